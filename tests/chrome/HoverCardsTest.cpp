#include "chrome/HoverCards.h"
#include "chrome/CardBandView.h"
#include "chrome/FileHoverCard.h"
#include "chrome/InlineCard.h"

#include "TestSupport.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

struct Placement {
    const char *what;
    QRect anchor;
    Side side;
    QSize card;
    QPoint expected;
};

const QSize container(800, 600);

const Placement placements[] = {
    { "below, with room", { 100, 10, 120, 30 }, Side::below, { 280, 100 }, { 100, 44 } },
    { "right, with room", { 100, 10, 120, 30 }, Side::right, { 280, 100 }, { 226, 10 } },
    { "below, near the right edge", { 700, 10, 80, 30 }, Side::below, { 280, 100 }, { 514, 44 } },
    { "right, near the right edge", { 600, 200, 100, 20 }, Side::right, { 280, 100 },
        { 514, 200 } },
    { "below, near the bottom", { 100, 560, 50, 30 }, Side::below, { 280, 100 }, { 100, 494 } },
    { "right, near the bottom", { 10, 550, 50, 30 }, Side::right, { 280, 100 }, { 66, 494 } },
    { "right, past the top left", { -50, -40, 10, 10 }, Side::right, { 280, 100 }, { 6, 6 } },
    { "taller than the room keeps its top", { 100, 10, 120, 30 }, Side::below, { 280, 700 },
        { 100, 6 } },
    { "wider than the room keeps its left", { 700, 10, 80, 30 }, Side::below, { 900, 100 },
        { 6, 44 } },
};

FileCardInfo sampleInfo()
{
    return { "notes.txt", "/home/someone/notes.txt", "12 lines", "340 characters", "" };
}

QLabel *row(const FileHoverCard *card, const char *name)
{
    return card->findChild<QLabel *>(name);
}

class HoverCardsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(800, 600);
        button = new QPushButton("under", &window);
        button->setGeometry(10, 100, 200, 40);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        field = new QLineEdit(&window);
        field->setGeometry(400, 500, 200, 30);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus();
    }

    // A card below a "tab" that sits just above the button, so the card covers the button.
    QPointer<FileHoverCard> showOverButton()
    {
        return cards.show(sampleInfo(), { 10, 60, 100, 30 }, Side::below);
    }

    QWidget window;
    QPushButton *button = nullptr;
    QLineEdit *field = nullptr;
    HoverCards cards { &window };
    int clicks = 0;
};

}

TEST(HoverCardPlacement, KeepsSixPointsInsideTheContainer)
{
    for (const Placement &p : placements)
        EXPECT_EQ(cardPosition(p.anchor, p.side, p.card, container), p.expected) << p.what;
}

TEST(HoverCardView, ShowsOnlyTheRowsItIsGiven)
{
    FileHoverCard card({ "a.txt", "/a.txt", "", "", "" });
    EXPECT_TRUE(card.findChild<CardBandView *>()->isHidden());
    EXPECT_TRUE(row(&card, "lines")->isHidden());
    EXPECT_TRUE(row(&card, "commit")->isHidden());
    const int bare = card.height();

    card.setInfo(sampleInfo());
    EXPECT_FALSE(row(&card, "lines")->isHidden());
    EXPECT_FALSE(row(&card, "characters")->isHidden());
    EXPECT_TRUE(row(&card, "commit")->isHidden());
    EXPECT_FALSE(card.findChild<CardBandView *>()->isHidden());
    const int counted = card.height();
    EXPECT_GT(counted, bare);

    card.setCommit("Unsaved changes");
    EXPECT_EQ(row(&card, "commit")->text(), "Unsaved changes");
    EXPECT_GT(card.height(), counted);
}

TEST(HoverCardView, LongNamesAreCutInTheMiddle)
{
    const QString name = "a-" + QString("very-").repeated(40) + "long-name.txt";
    FileHoverCard card({ name, "/x", "", "", "" });
    const QString shown = row(&card, "name")->text();
    EXPECT_TRUE(shown.startsWith("a-very-")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("name.txt")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(row(&card, "name")->sizeHint().width(), FileHoverCard::cardWidth);
}

TEST_F(HoverCardsTest, ANewCardReplacesTheOneOnScreen)
{
    QPointer<FileHoverCard> card = cards.show(sampleInfo(), { 700, 10, 80, 30 }, Side::below);
    ASSERT_TRUE(card);
    EXPECT_EQ(card->parentWidget(), &window);
    EXPECT_TRUE(card->isVisible());
    EXPECT_EQ(card->pos(), QPoint(800 - 6 - FileHoverCard::cardWidth, 44));

    // Anchored to a widget: below the button's rectangle in the window.
    QPointer<FileHoverCard> next
        = cards.show(sampleInfo(), cards.rectInWindow(button), Side::below);
    EXPECT_TRUE(!card || card->isHidden());
    EXPECT_EQ(cards.card(), next);
    EXPECT_EQ(next->pos(), QPoint(10, 144));
}

TEST_F(HoverCardsTest, ClicksPassThroughTheCardAndHideIt)
{
    QPointer<FileHoverCard> card = showOverButton();
    const QPoint point(60, 120);
    ASSERT_TRUE(card->geometry().contains(point));
    EXPECT_EQ(window.childAt(point), button);

    // Through the window, as a real click arrives, so hit testing decides the target.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, point);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(cards.card(), nullptr);
    EXPECT_TRUE(!card || card->isHidden());
}

TEST_F(HoverCardsTest, KeysAndWheelTurnsHideTheCardAndCarryOn)
{
    QPointer<FileHoverCard> card = showOverButton();
    QTest::mouseMove(window.windowHandle(), QPoint(300, 300));
    EXPECT_EQ(cards.card(), card.data());

    QTest::keyClick(field, Qt::Key_Q);
    EXPECT_EQ(field->text(), "q");
    EXPECT_EQ(cards.card(), nullptr);

    showOverButton();
    QWheelEvent wheel(QPointF(300, 300), window.mapToGlobal(QPointF(300, 300)), {}, { 0, -120 },
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&window, &wheel);
    EXPECT_EQ(cards.card(), nullptr);
}

TEST_F(HoverCardsTest, ANewerShowCancelsThePendingOne)
{
    QStringList ran;
    cards.scheduleShow(40, [&] { ran << "first"; });
    cards.scheduleShow(40, [&] { ran << "second"; });
    ASSERT_TRUE(waitUntil([&] { return !ran.isEmpty(); }));
    EXPECT_EQ(ran, QStringList { "second" });

    // Hiding cancels too: the cancelled show would have run before the later one.
    cards.scheduleShow(20, [&] { ran << "hidden"; });
    cards.hide();
    EXPECT_FALSE(cards.showPending());
    cards.scheduleShow(60, [&] { ran << "third"; });
    ASSERT_TRUE(waitUntil([&] { return ran.size() == 2; }));
    EXPECT_EQ(ran, QStringList({ "second", "third" }));
}

TEST_F(HoverCardsTest, TheCommitRowArrivesLaterAndOnlyForTheCardOnScreen)
{
    // Anchored near the bottom: the card grows and is kept inside again.
    QPointer<FileHoverCard> card = cards.show(sampleInfo(), { 10, 540, 100, 30 }, Side::below);
    const int height = card->height();
    EXPECT_EQ(card->geometry().bottom() + 1, 600 - 6);
    cards.setCommit(card, "2h Ana Lima · Fix the parser");
    EXPECT_GT(card->height(), height);
    EXPECT_EQ(card->geometry().bottom() + 1, 600 - 6);
    EXPECT_EQ(row(card, "commit")->text(), "2h Ana Lima · Fix the parser");

    QPointer<FileHoverCard> next = cards.show(sampleInfo(), { 10, 10, 100, 30 }, Side::below);
    cards.setCommit(card, "a late answer");
    EXPECT_TRUE(row(next, "commit")->isHidden());
}

// Whatever lies under a card, light or dark, none of it shows through the card's panel.
TEST(Cards, TheirPanelsHideTheCodeUnderThem)
{
    for (const QColor &window : { QColor(236, 236, 236), QColor(30, 30, 30) }) {
        SCOPED_TRACE(window.name().toStdString());
        QWidget host;
        host.resize(700, 400);
        auto *code = new QWidget(&host);
        code->setGeometry(host.rect());
        code->setAutoFillBackground(true);
        QPalette loud = code->palette();
        loud.setColor(QPalette::Window, QColor(255, 0, 0));
        code->setPalette(loud);
        QPalette colours = host.palette();
        colours.setColor(QPalette::Window, window);

        auto *fileCard = new FileHoverCard({ "a.txt", "/tmp/a.txt", "1 line", "1 character", "" }, &host);
        fileCard->setPalette(colours);
        fileCard->move(10, 10);
        auto *inlineCard = new InlineCard("Title", "", std::nullopt, {});
        inlineCard->setPalette(colours);
        inlineCard->showIn(&host);
        host.show();
        fileCard->show();
        fileCard->raise();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));

        const QImage shown = host.grab().toImage();
        for (const QWidget *card : { static_cast<QWidget *>(fileCard), static_cast<QWidget *>(inlineCard) }) {
            // Just inside the border, clear of the rounded corners and the text.
            const QPoint inside = card->geometry().topLeft() + QPoint(card->width() / 2, 2);
            EXPECT_EQ(shown.pixelColor(inside * shown.devicePixelRatio()), window)
                << card->metaObject()->className();
        }
    }
}
