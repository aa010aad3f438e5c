#include "editor/buffer/TextBuffer.h"

#include <QRandomGenerator>
#include <QStringList>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <thread>

namespace
{

using Kind = LineBreaks::Kind;
using Selection = TextBuffer::Selection;

}

TEST(TextBufferTest, InsertedBreaksOfAnyKindTakeTheDominantOne)
{
    TextBuffer buffer;
    buffer.setFileText(u"a\r\nb\r\nc\nd");
    buffer.insert(1, u"1\n2\r3\u20294\r\n5");
    EXPECT_EQ(buffer.text(), QStringLiteral("a1\n2\n3\n4\n5\nb\nc\nd"));
    EXPECT_EQ(buffer.fileText(), QStringLiteral("a1\r\n2\r\n3\r\n4\r\n5\r\nb\r\nc\nd"));
}

TEST(TextBufferTest, UndoGivesBackTheExactFileFormAndRedoTheEditedOne)
{
    // Mixed breaks over several chunks; random edits, many of them dropping odd breaks.
    QRandomGenerator random(7);
    const QStringList breaks { "\n", "\r\n", "\r", "\u2029" };
    QString file;
    while (file.size() < 400000)
        file += QString(random.bounded(40), u'y') + breaks[random.bounded(breaks.size())];
    TextBuffer buffer;
    buffer.setFileText(file);
    ASSERT_EQ(buffer.fileText(), file);
    for (int i = 0; i < 200; ++i) {
        qsizetype position = random.bounded(buffer.length() + 1);
        qsizetype removed = random.bounded(std::min<qsizetype>(300, buffer.length() - position) + 1);
        if (i % 100 == 99) { // now and then a long stretch, kept apart from short ones
            position = random.bounded(buffer.length() - 80000);
            removed = 70000 + random.bounded(10000);
        }
        buffer.replace(position, removed, random.bounded(2) ? u"z\n" : u"");
    }
    const QString edited = buffer.fileText();
    ASSERT_NE(edited, file);
    while (buffer.undo()) {
    }
    EXPECT_EQ(buffer.fileText(), file);
    EXPECT_FALSE(buffer.isModified());
    while (buffer.redo()) {
    }
    EXPECT_EQ(buffer.fileText(), edited);
}

TEST(TextBufferTest, GroupsUndoAsOneStepAndGiveBackTheirSelections)
{
    TextBuffer buffer;
    buffer.setFileText(u"hello world");
    buffer.beginEditGroup(0, 5);
    buffer.beginEditGroup(); // nested: still the same step
    buffer.replace(0, 5, u"HELLO");
    buffer.endEditGroup();
    buffer.insert(11, u"!");
    buffer.endEditGroup(0, 12);
    buffer.replace(0, 1, u">");

    EXPECT_EQ(buffer.undo(), (Selection { 1, 1 })); // no selection given: after the text put back
    EXPECT_EQ(buffer.text(), QStringLiteral("HELLO world!"));
    EXPECT_EQ(buffer.undo(), (Selection { 0, 5 }));
    EXPECT_EQ(buffer.text(), QStringLiteral("hello world"));
    EXPECT_FALSE(buffer.undo());
    EXPECT_EQ(buffer.redo(), (Selection { 0, 12 }));
    EXPECT_EQ(buffer.text(), QStringLiteral("HELLO world!"));

    buffer.insert(0, u"x"); // a new edit forgets what could be redone
    EXPECT_FALSE(buffer.canRedo());
    EXPECT_FALSE(buffer.redo());
}

TEST(TextBufferTest, OnlyTheLatestStepsAreKept)
{
    TextBuffer buffer;
    for (int i = 0; i < TextBuffer::undoLimit + 20; ++i)
        buffer.insert(buffer.length(), u"a");
    int undone = 0;
    while (buffer.undo())
        ++undone;
    EXPECT_EQ(undone, TextBuffer::undoLimit);
    EXPECT_EQ(buffer.length(), 20);
    // The oldest steps are gone, so the unedited text cannot come back: still modified.
    EXPECT_TRUE(buffer.isModified());
}

TEST(TextBufferTest, ModifiedFollowsTheCleanPointThroughUndoAndRedo)
{
    TextBuffer buffer;
    QSignalSpy modified(&buffer, &TextBuffer::modificationChanged);
    buffer.setFileText(u"text");
    EXPECT_FALSE(buffer.isModified());
    buffer.insert(0, u"1");
    EXPECT_TRUE(buffer.isModified());
    buffer.setClean();
    EXPECT_FALSE(buffer.isModified());
    buffer.insert(0, u"2");
    EXPECT_TRUE(buffer.isModified());
    buffer.undo();
    EXPECT_FALSE(buffer.isModified());
    buffer.undo();
    EXPECT_TRUE(buffer.isModified());
    buffer.redo();
    EXPECT_FALSE(buffer.isModified());
    ASSERT_EQ(modified.size(), 6);
    EXPECT_EQ(modified.at(5).at(0).toBool(), false);

    // A clean point that was undone and then replaced by other edits cannot come back.
    buffer.undo();
    buffer.insert(0, u"3");
    buffer.undo();
    EXPECT_TRUE(buffer.isModified());

    // An open group already counts as a change.
    buffer.setClean();
    buffer.beginEditGroup();
    buffer.insert(0, u"4");
    EXPECT_TRUE(buffer.isModified());
    EXPECT_TRUE(buffer.canUndo());
    buffer.endEditGroup();
}

TEST(TextBufferTest, ChangesAreReportedInPositionsBeforeTheChange)
{
    TextBuffer buffer;
    buffer.setFileText(u"ab\ncd\nef");
    std::vector<TextChange> changes;
    QObject::connect(&buffer, &TextBuffer::changed, [&](const TextChange &change) { changes.push_back(change); });
    const quint64 revision = buffer.revision();
    buffer.replace(1, 4, u"X\nY\nZ");
    buffer.undo();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], (TextChange { 1, 4, 5, 0, 1, 2 }));
    EXPECT_EQ(changes[1], (TextChange { 1, 5, 4, 0, 2, 1 }));
    EXPECT_EQ(buffer.revision(), revision + 2);
}

TEST(TextBufferTest, SnapshotKeepsItsTextWhileTheBufferChangesAndReadsFromAnotherThread)
{
    TextBuffer buffer;
    QString file;
    for (int i = 0; i < 20000; ++i)
        file += QStringLiteral("line %1\r\n").arg(i);
    buffer.setFileText(file);
    const TextSnapshot snapshot = buffer.snapshot();

    QString seen;
    std::thread reader([&] {
        for (int i = 0; i < 20; ++i)
            seen = snapshot.fileText();
    });
    for (int i = 0; i < 200; ++i)
        buffer.replace(buffer.length() / 2, 3, u"edit\n");
    reader.join();

    EXPECT_EQ(seen, file);
    EXPECT_EQ(snapshot.fileText(), file);
    EXPECT_EQ(snapshot.lineCount(), 20001);
    EXPECT_EQ(buffer.lineCount(), 20201);
    EXPECT_NE(buffer.text(), snapshot.text());
}
