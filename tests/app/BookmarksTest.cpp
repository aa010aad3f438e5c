#include "AppFixture.h"

#include "app/BookmarkController.h"
#include "app/Bookmarks.h"
#include "common/Defaults.h"

using BookmarksTest = AppFixture;

namespace {

void caretToLine(EditorTextView *view, int line)
{
    view->setCaretPosition(view->buffer()->lineStart(line - 1));
}

int caretLine(EditorTextView *view)
{
    return int(view->buffer()->lineAt(view->caretPosition())) + 1;
}

QByteArray lines(int count)
{
    QByteArray text;
    for (int i = 1; i <= count; ++i)
        text += "line " + QByteArray::number(i) + "\n";
    return text;
}

}

std::function<qsizetype(qsizetype)> lineStartsOf(const QString &text)
{
    return [text](qsizetype offset) { return offset == 0 ? 0 : text.lastIndexOf(u'\n', offset - 1) + 1; };
}

TEST(BookmarkRules, OffsetsFollowEdits)
{
    // "aaaa\nbbbb\ncccc": lines start at 0, 5 and 10. Two characters typed at 2 move the later
    // marks with their lines; the mark at 0 stays.
    EXPECT_EQ(Bookmarks::followEdit({ 0, 5, 10 }, 2, 0, 2, 16, lineStartsOf("aa##aa\nbbbb\ncccc")),
              (std::vector<qsizetype> { 0, 7, 12 }));
    // Deleting "a\nbbbb\nc" (3..11) pulls the marks inside to the edit's line and merges them.
    EXPECT_EQ(Bookmarks::followEdit({ 0, 5, 10 }, 3, 8, -8, 6, lineStartsOf("aaaccc")),
              (std::vector<qsizetype> { 0 }));
    // A mark right at an insertion point stays where it is.
    EXPECT_EQ(Bookmarks::followEdit({ 5 }, 5, 0, 3, 17, lineStartsOf("aaaa\nxyzbbbb\ncccc")),
              (std::vector<qsizetype> { 5 }));
}

TEST(BookmarkRules, StepWrapsAround)
{
    const std::vector<BookmarkPlace> places { { "/a.txt", 5 }, { "/b.txt", 2 } };
    EXPECT_EQ(Bookmarks::step(places, { "/a.txt", 9 }, true), (BookmarkPlace { "/b.txt", 2 }));
    EXPECT_EQ(Bookmarks::step(places, { "/b.txt", 2 }, true), (BookmarkPlace { "/a.txt", 5 }));
    EXPECT_EQ(Bookmarks::step(places, { "/a.txt", 1 }, false), (BookmarkPlace { "/b.txt", 2 }));
    EXPECT_EQ(Bookmarks::step(places, {}, true), (BookmarkPlace { "/a.txt", 5 }));
    EXPECT_FALSE(Bookmarks::step({}, {}, true));
}

TEST_F(BookmarksTest, TogglingTwiceRemovesTheStoredEntry)
{
    AppDelegate &a = launch();
    const QString path = file("a.txt", lines(10));
    a.documents().loadDocument(path, false, true, true);
    caretToLine(a.documents()[0]->textView, 4);
    a.bookmarks().toggle();
    EXPECT_EQ(a.bookmarks().storedLines(path), QList<int> { 4 });
    a.bookmarks().toggle();
    EXPECT_TRUE(a.documents()[0]->bookmarks.empty());
    EXPECT_FALSE(Defaults::dictionary(Defaults::Bookmarks).contains(path));
}

TEST_F(BookmarksTest, NextOpensTheNextFileAndWraps)
{
    const QString first = file("a.txt", lines(12));
    const QString second = file("b.txt", lines(3));
    Defaults::set(Defaults::Bookmarks, QVariantMap { { first, QVariantList { 5 } }, { second, QVariantList { 2 } } });
    AppDelegate &a = launch();
    a.documents().loadDocument(first, false, true, true);
    caretToLine(a.documents()[0]->textView, 9);
    a.bookmarks().step(true);
    ASSERT_EQ(a.documents().activeDocument()->path(), second);
    EXPECT_EQ(caretLine(a.documents().activeDocument()->textView), 2);
    a.bookmarks().step(true);
    ASSERT_EQ(a.documents().activeDocument()->path(), first);
    EXPECT_EQ(caretLine(a.documents().activeDocument()->textView), 5);
    a.bookmarks().step(false);
    EXPECT_EQ(a.documents().activeDocument()->path(), second);
}

TEST_F(BookmarksTest, NoBookmarksGivesTheNote)
{
    AppDelegate &a = launch();
    a.bookmarks().step(true);
    EXPECT_EQ(a.window().statusText().value_or(""), "No bookmarks. Ctrl+Alt+K adds one.");
}

TEST_F(BookmarksTest, MarksFollowEditsAndSurviveReopening)
{
    AppDelegate &a = launch();
    const QString path = file("a.txt", "one\ntwo\nlast");
    a.documents().loadDocument(path, false, true, true);
    caretToLine(a.documents()[0]->textView, 3);
    a.bookmarks().toggle();
    // Two new lines above push the mark down with its text.
    caretToLine(a.documents()[0]->textView, 1);
    type(a.documents()[0], "new\nnewer\n");
    EXPECT_EQ(a.documents()[0]->bookmarks, (std::vector<qsizetype> { 18 }));
    a.documents().saveFile(a.documents()[0], false);
    a.tabs().closeTab(0);
    EXPECT_EQ(a.bookmarks().storedLines(path), QList<int> { 5 });
    a.documents().loadDocument(path, false, true, true);
    EXPECT_EQ(a.documents()[0]->bookmarks, (std::vector<qsizetype> { 18 }));
}

TEST_F(BookmarksTest, StoredLinesPastTheEndAreDropped)
{
    const QString path = file("short.txt", lines(3));
    Defaults::set(Defaults::Bookmarks, QVariantMap { { path, QVariantList { 0, 2, 40 } } });
    AppDelegate &a = launch();
    a.documents().loadDocument(path, false, true, true);
    EXPECT_EQ(a.documents()[0]->bookmarks.size(), 1u);
    a.willTerminate();
    EXPECT_EQ(a.bookmarks().storedLines(path), QList<int> { 2 });
}
