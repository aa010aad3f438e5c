#include "chrome/InlineCard.h"
#include "chrome/ActionButton.h"
#include "editor/EditorTextView.h"

#include "TestSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

class InlineCardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host = std::make_unique<QWidget>();
        host->resize(800, 500);
        editor = new EditorTextView(host.get());
        editor->setGeometry(host->rect());
        editor->setFileText("first line\nsecond line");
        host->show();
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
        editor->setFocus();
    }

    // The unsaved-changes card: Cancel, Don't Save (Ctrl+D) and the primary Save All.
    QPointer<InlineCard> showSaveCard(bool dismissesOnClick = false)
    {
        QList<Button> buttons {
            { "Cancel", false, true, {}, [this] { pressed << "Cancel"; } },
            { "Don't Save", false, true, QKeySequence(Qt::CTRL | Qt::Key_D),
                [this] { pressed << "Don't Save"; } },
            { "Save All", true, true, {}, [this] { pressed << "Save All"; } },
        };
        return show(new InlineCard("Save changes to notes.txt?",
            "Your changes will be lost if you don't save them.", std::nullopt, buttons,
            dismissesOnClick, [this] { pressed << "cancelled"; }));
    }

    QPointer<InlineCard> show(InlineCard *card)
    {
        card->onDismiss = [this] { ++dismissed; };
        card->showIn(host.get());
        return card;
    }

    // Closed cards delete themselves once control is back in the event loop.
    static bool gone(const QPointer<InlineCard> &card)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return card.isNull();
    }

    static ActionButton *buttonTitled(InlineCard *card, const QString &title)
    {
        for (ActionButton *button : card->findChildren<ActionButton *>())
            if (button->text() == title)
                return button;
        return nullptr;
    }

    std::unique_ptr<QWidget> host;
    EditorTextView *editor = nullptr;
    QStringList pressed;
    int dismissed = 0;
};

}

TEST(InlineCardName, SelectionLeavesTheExtensionOut)
{
    EXPECT_EQ(nameSelectionLength("notes.txt"), 5);
    EXPECT_EQ(nameSelectionLength("archive.tar.gz"), 11);
    EXPECT_EQ(nameSelectionLength(".bashrc"), 7);
    EXPECT_EQ(nameSelectionLength("Makefile"), 8);
    EXPECT_EQ(nameSelectionLength(""), 0);
}

TEST_F(InlineCardTest, KeysPressTheirButtons)
{
    QPointer<InlineCard> card = showSaveCard();
    ASSERT_TRUE(card->hasFocus());
    QTest::keyClick(card, Qt::Key_Return);
    EXPECT_EQ(pressed, QStringList({ "Save All" }));
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(gone(card));
    EXPECT_TRUE(editor->hasFocus());

    card = showSaveCard();
    QTest::keyClick(card, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(pressed, QStringList({ "Save All", "Don't Save" }));

    card = showSaveCard();
    QTest::keyClick(card, Qt::Key_Escape);
    EXPECT_EQ(pressed, QStringList({ "Save All", "Don't Save", "cancelled" }));
    EXPECT_EQ(dismissed, 3);
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_TRUE(gone(card));
}

TEST_F(InlineCardTest, APrimaryButtonWithItsOwnKeyIgnoresReturn)
{
    QPointer<InlineCard> card = show(new InlineCard("Add host", "", QString("user@host"),
        { { "Cancel", false, true, {}, [] {} },
            { "Add", true, true, QKeySequence(Qt::CTRL | Qt::Key_A),
                [this] { pressed << "Add"; } } }));
    ASSERT_TRUE(card->field()->hasFocus());
    QTest::keyClick(card->field(), Qt::Key_Return);
    EXPECT_TRUE(pressed.isEmpty());
    // The field would select all on Ctrl+A; the card's key comes first.
    QTest::keyClick(card->field(), Qt::Key_Home);
    QTest::keyClick(card->field(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(pressed, QStringList({ "Add" }));
    EXPECT_EQ(card->fieldText(), "user@host");
}

TEST_F(InlineCardTest, FieldSelectsTheNameAndAnswersKeys)
{
    QString renamedTo;
    QPointer<InlineCard> card = show(new InlineCard("Rename", "", QString("notes.txt"),
        { { "Cancel", false, true, {}, [] {} },
            { "Rename", true, false, {}, [&] { renamedTo = card->fieldText(); } } }));
    QLineEdit *field = card->field();
    ASSERT_TRUE(field);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), "notes");

    QTest::keyClicks(field, "todo");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(renamedTo, "todo.txt");
    // Rename does not dismiss by itself: the card stays to show what is wrong.
    ASSERT_FALSE(card.isNull());
    // The detail line, hidden while empty, makes room for the message.
    const int height = card->height();
    card->setDetail("todo.txt already exists");
    EXPECT_GT(card->height(), height);

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(gone(card));
}

TEST_F(InlineCardTest, FieldTakesTheFocusBackShortlyAfter)
{
    QPointer<InlineCard> card = show(
        new InlineCard("Rename", "", QString(".bashrc"), { { "Rename", true, true, {}, [] {} } }));
    EXPECT_EQ(card->field()->selectedText(), ".bashrc");
    editor->setFocus();
    EXPECT_TRUE(testsupport::waitUntil([&] { return card->field()->hasFocus(); }, 2000));
    EXPECT_EQ(card->field()->selectedText(), ".bashrc");
}

TEST_F(InlineCardTest, ButtonsCloseTheCardOnlyWhenTheyDismiss)
{
    int copies = 0;
    QPointer<InlineCard> card = show(new InlineCard("Commit", "", std::nullopt,
        { { "Copy Hash", false, false, {}, [&] { ++copies; } },
            { "Close", false, true, {}, [] {} } }));
    QTest::mouseClick(buttonTitled(card, "Copy Hash"), Qt::LeftButton);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(dismissed, 0);
    EXPECT_TRUE(card->isVisible());

    QTest::mouseClick(buttonTitled(card, "Close"), Qt::LeftButton);
    EXPECT_EQ(dismissed, 1);
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(gone(card));
}

TEST_F(InlineCardTest, ClickAwayClosesTheCardAndStillReachesTheEditor)
{
    QPointer<InlineCard> card = showSaveCard(true);
    QCoreApplication::processEvents();
    QTest::mouseClick(buttonTitled(card, "Cancel"), Qt::LeftButton);
    // A button of the card only runs the button.
    EXPECT_EQ(pressed, QStringList({ "Cancel" }));
    EXPECT_EQ(dismissed, 1);

    pressed.clear();
    card = showSaveCard(true);
    QCoreApplication::processEvents();
    const QPoint below(200, card->geometry().bottom() + 40);
    const QPoint target = editor->viewport()->mapFrom(host.get(), below);
    QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, target);
    EXPECT_TRUE(testsupport::waitUntil([&] { return gone(card); }));
    EXPECT_TRUE(pressed.isEmpty());
    EXPECT_EQ(dismissed, 2);
    EXPECT_EQ(editor->caretPosition(), editor->positionAt(target));
    EXPECT_GT(editor->caretPosition(), 0);
}

TEST_F(InlineCardTest, ALongTitleWidensTheCardOnlyToItsBoundAndItStaysCentred)
{
    const QString longTitle = QString("Save changes to ") + QString(200, 'n') + ".txt?";
    QPointer<InlineCard> wide
        = show(new InlineCard(longTitle, "", std::nullopt, { { "OK", true, true, {}, [] {} } }));
    EXPECT_EQ(wide->parentWidget(), host.get());
    EXPECT_EQ(wide->width(), 520);
    host->resize(1000, 500);
    EXPECT_NEAR(wide->geometry().center().x(), 500, 1);
}
