#include "git/BlameHoverCard.h"

#include <QLabel>
#include <QPushButton>
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

TEST(BlameHoverCard, EachButtonReportsThroughItsOwnCallbackAndADraftHasNone)
{
    BlameHoverCard card(committed(), now);
    int copies = 0, shows = 0;
    card.onCopy = [&] { ++copies; };
    card.onShow = [&] { ++shows; };
    button(card, "Copy Hash")->click();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(shows, 0);
    button(card, "Show Commit")->click();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(shows, 1);

    BlameHoverCard draft(BlameInfo::draft(), now);
    EXPECT_EQ(label(draft, "title"), "Not committed yet");
    EXPECT_TRUE(draft.findChildren<QPushButton *>().isEmpty());
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
