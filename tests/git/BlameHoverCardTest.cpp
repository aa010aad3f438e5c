#include "git/BlameHoverCard.h"

#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

const QDateTime now(QDate(2024, 3, 10), QTime(12, 0), Qt::UTC);

BlameInfo committed(const QString &author = QStringLiteral("Ada Lovelace"))
{
    return { QStringLiteral("0123456789abcdef0123456789abcdef01234567"), author,
        QStringLiteral("ada@example.com"), now.addSecs(-3 * 3'600),
        QStringLiteral("Fix the parser") };
}

QPushButton *button(const BlameHoverCard &card, const QString &title)
{
    for (QPushButton *b : card.findChildren<QPushButton *>())
        if (b->text() == title)
            return b;
    return nullptr;
}

QString label(const BlameHoverCard &card, const char *name)
{
    return card.findChild<QLabel *>(name)->text();
}

}

TEST(BlameHoverCard, ButtonsReportThroughTheirCallbacks)
{
    QWidget host;
    host.resize(800, 600);
    auto *card = new BlameHoverCard(committed(), now, &host);
    int copies = 0, shows = 0;
    card->onCopy = [&] { ++copies; };
    card->onShow = [&] { ++shows; };
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

    QTest::mouseClick(button(*card, "Copy Hash"), Qt::LeftButton);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(shows, 0);
    QTest::mouseClick(button(*card, "Show Commit"), Qt::LeftButton);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(shows, 1);
}

TEST(BlameHoverCard, ReportsThePointerEnteringAndLeaving)
{
    BlameHoverCard card(committed(), now);
    int enters = 0, exits = 0;
    card.onEnter = [&] { ++enters; };
    card.onExit = [&] { ++exits; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&card, &enter);
    EXPECT_EQ(enters, 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&card, &leave);
    EXPECT_EQ(exits, 1);
}

TEST(BlameHoverCard, UncommittedLineHasNoButtons)
{
    BlameHoverCard card(BlameInfo::draft(), now);
    EXPECT_EQ(label(card, "title"), "Not committed yet");
    EXPECT_EQ(label(card, "body"), "This line has changes that aren't in a commit.");
    EXPECT_TRUE(card.findChildren<QPushButton *>().isEmpty());
}

TEST(BlameHoverCard, BodyArrivesLaterAndTheCardGrows)
{
    BlameHoverCard card(committed(), now);
    EXPECT_EQ(label(card, "title"), "3h  Ada Lovelace  ada@example.com");
    EXPECT_EQ(label(card, "body"), "Fix the parser");
    const int before = card.height();
    card.setBody(
        "Fix the parser\n\nIt dropped the last byte of a line\nwhen the file had no newline.");
    EXPECT_EQ(label(card, "body"),
        "Fix the parser\n\nIt dropped the last byte of a line\nwhen the file had no newline.");
    EXPECT_GT(card.height(), before);
}

TEST(BlameHoverCard, LongTitleIsCutToItsWidthLimit)
{
    BlameInfo info = committed(QString(200, u'A'));
    BlameHoverCard card(info, now);
    const QLabel *title = card.findChild<QLabel *>("title");
    EXPECT_TRUE(title->text().endsWith(QChar(0x2026)));
    EXPECT_LE(
        QFontMetrics(title->font()).horizontalAdvance(title->text()), BlameHoverCard::widestTitle);
    EXPECT_LE(card.width(), BlameHoverCard::widestTitle + 24);
}
