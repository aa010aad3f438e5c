#include "app/Journal.h"
#include "app/TextFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

namespace {

// Each edit as the editor would report it on the given text (each break one position), with
// the length it leaves; added is as the file would hold it.
JournalEdit editOf(const QString &text, qsizetype position, qsizetype removed, const QString &added)
{
    return { position, removed, added, text.size() - removed + added.size() - added.count(u"\r\n") };
}

TextSnapshot snapshotOf(const QString &fileText)
{
    return TextSnapshot(std::make_shared<const TextStorage>(TextStorage::fromFileText(fileText)));
}

QString withCrLf(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

class JournalTest : public ::testing::Test {
protected:
    JournalState stateFor(const QString &path)
    {
        JournalState state;
        state.path = path;
        state.diskDate = QFileInfo(path).lastModified();
        return state;
    }

    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files); }

    QTemporaryDir folder;
    QTemporaryDir dir;
};

}

TEST_F(JournalTest, TextAndEverythingAboutTheDocumentComeBack)
{
    JournalState state;
    state.path = dir.filePath("notes.txt");
    state.remote = RemoteFile { "me@box:2222", "/srv/notes.txt", 1700000123 };
    state.encoding = { TextEncoding::Kind::Utf16LE, true };
    state.lineEnding = LineBreaks::Kind::crlf;
    state.diskDate = QDateTime::fromMSecsSinceEpoch(1700000123456);
    state.selection = { 7, 3 };
    state.scroll = { 12, 340 };
    const QString text = QStringLiteral("héllo\nwörld ✓ 😀\n");
    {
        Journal journal(folder.path());
        journal.writeText("k1", state, snapshotOf(text));
        journal.wait();
    }
    Journal journal(folder.path());
    EXPECT_EQ(journal.keys(), QStringList { "k1" });
    const auto record = journal.read("k1");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->text, text);
    EXPECT_TRUE(record->complete);
    EXPECT_EQ(record->state.path, state.path);
    EXPECT_EQ(record->state.remote, state.remote);
    EXPECT_EQ(record->state.encoding, state.encoding);
    EXPECT_EQ(record->state.lineEnding, LineBreaks::Kind::crlf);
    EXPECT_EQ(record->state.diskDate, state.diskDate);
    EXPECT_EQ(record->state.selection.location, 7);
    EXPECT_EQ(record->state.selection.length, 3);
    EXPECT_EQ(record->state.scroll, QPoint(12, 340));
    // A new text replaces the old generation: no stale base or log is left beside it.
    journal.writeText("k1", state, snapshotOf("second"));
    journal.wait();
    EXPECT_EQ(journal.read("k1")->text, "second");
    EXPECT_EQ(files().size(), 3) << files().join(' ').toStdString();
    journal.remove("k1");
    journal.wait();
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
}

TEST_F(JournalTest, EditsReplayOnTheFileAsTheEditorReadIt)
{
    // Carriage returns are one line break each in the editor, so positions count them once; the
    // texts come back as the file holds them.
    const QString path = testsupport::writeFile(dir, "big.txt", "one\r\ntwo\r\nthree\r\n");
    QString text = "one\ntwo\nthree\n";
    std::vector<JournalEdit> edits;
    edits.push_back(editOf(text, 4, 0, "2 "));
    text.insert(4, "2 ");
    edits.push_back(editOf(text, 0, 3, "ONE"));
    text.replace(0, 3, "ONE");
    Journal journal(folder.path());
    journal.writeFromFile("k", stateFor(path), 14, edits);
    journal.wait();
    ASSERT_TRUE(journal.read("k").has_value());
    EXPECT_EQ(journal.read("k")->text, withCrLf(text));
    std::vector<JournalEdit> more { editOf(text, text.size(), 0, "four\r\n") };
    text += "four\n";
    journal.writeEdits("k", stateFor(path), more);
    journal.wait();
    EXPECT_EQ(journal.read("k")->text, withCrLf(text));
    EXPECT_TRUE(journal.read("k")->complete);
}

TEST_F(JournalTest, TheCopyOfALongFileOutlivesTheFile)
{
    // Longer than a piece of the copy, in UTF-16 with its mark, a pair of surrogates and every
    // kind of break scattered through it: the copy is the text as the editor read it.
    QString fileText;
    for (int line = 0; fileText.size() < 1500000; ++line)
        fileText += QStringLiteral("line %1 é😀%2").arg(line).arg(line % 3 == 0 ? "\r\n" : line % 3 == 1 ? "\n" : "\r");
    const TextEncoding utf16 { TextEncoding::Kind::Utf16LE, true };
    const QString path = testsupport::writeFile(dir, "long.txt", TextFile::encode(fileText, utf16));
    const qsizetype length = fileText.size() - fileText.count(u"\r\n");
    Journal journal(folder.path());
    journal.writeFromFile("k", stateFor(path), length, { editOf(TextStorage::normalized(fileText), 0, 0, "new ") });
    const auto copied = [&] {
        QFile header(folder.filePath("k.json"));
        return header.open(QIODevice::ReadOnly) && !header.readAll().contains("baseLength");
    };
    ASSERT_TRUE(testsupport::waitUntil(copied, 60000));
    journal.wait();
    // The file changes afterwards; the entry no longer needs it.
    ASSERT_FALSE(testsupport::writeFile(dir, "long.txt", "other\n").isEmpty());
    const auto record = journal.read("k");
    ASSERT_TRUE(record.has_value());
    EXPECT_TRUE(record->complete);
    EXPECT_TRUE(record->text == "new " + fileText) << record->text.size() << " " << fileText.size();
}

TEST_F(JournalTest, AFileChangedSinceItWasReadIsNoBase)
{
    const QString path = testsupport::writeFile(dir, "a.txt", "original\n");
    JournalState state = stateFor(path);
    state.diskDate = state.diskDate->addSecs(-60);
    std::atomic<int> missing = 0;
    Journal journal(folder.path());
    journal.onBaseMissing = [&missing](const QString &) { missing += 1; };
    journal.writeFromFile("k", state, 9, { editOf("original\n", 0, 0, "x") });
    // A base of the wrong length (the file was not what the editor holds) is refused too.
    journal.writeFromFile("k2", stateFor(path), 4, { editOf("orig", 0, 0, "x") });
    // The length is checked when the file is copied, on its own thread.
    EXPECT_TRUE(testsupport::waitUntil([&] { return missing.load() == 2; }));
    journal.wait();
    EXPECT_FALSE(journal.read("k").has_value());
    EXPECT_FALSE(journal.read("k2").has_value()); // never read against the wrong base
    // Edits for an entry without a base are dropped rather than applied to nothing.
    journal.writeEdits("k", stateFor(path), { editOf("original\n", 0, 0, "y") });
    journal.wait();
    EXPECT_TRUE(QDir(folder.path()).entryList({ "k.*" }, QDir::Files).isEmpty()) << files().join(' ').toStdString();
}

TEST_F(JournalTest, ARecordTornByACrashIsLeftOutAndWrittenOver)
{
    QString text = "abc";
    Journal journal(folder.path());
    journal.writeText("k", stateFor(dir.filePath("x")), snapshotOf(text));
    journal.writeEdits("k", stateFor(dir.filePath("x")), { editOf(text, 3, 0, "d") });
    journal.wait();
    text += "d";
    const QStringList logs = QDir(folder.path()).entryList({ "*.log" });
    ASSERT_EQ(logs.size(), 1);
    QFile log(folder.filePath(logs.front()));
    ASSERT_TRUE(log.open(QIODevice::Append));
    log.write("4 0 5 9\nef"); // the crash came in the middle of this record
    log.close();
    EXPECT_EQ(journal.read("k")->text, "abcd");

    Journal next(folder.path());
    next.adopt("k");
    next.writeEdits("k", stateFor(dir.filePath("x")), { editOf(text, 4, 0, "E") });
    next.wait();
    EXPECT_EQ(next.read("k")->text, "abcdE");
}

TEST_F(JournalTest, AnEditThatDoesNotLandWhereItWasMadeEndsTheReplay)
{
    bool consistent = true;
    const QString text = replayEdits("hello", { { 5, 0, "!", 6 }, { 0, 1, "J", 99 }, { 0, 0, "x", 7 } }, &consistent);
    EXPECT_EQ(text, "hello!");
    EXPECT_FALSE(consistent);
    // Far apart edits replay like QString::replace would.
    QString expected = QString(100000, u'a');
    std::vector<JournalEdit> edits;
    for (int i = 0; i < 50; ++i) {
        const qsizetype at = (i * 7919) % expected.size();
        edits.push_back(editOf(expected, at, i % 3, QString::number(i)));
        expected.replace(at, i % 3, QString::number(i));
    }
    EXPECT_EQ(replayEdits(QString(100000, u'a'), edits, &consistent), expected);
    EXPECT_TRUE(consistent);
}

TEST_F(JournalTest, ALongLogIsFoldedIntoANewBase)
{
    QString text = "start\n";
    Journal journal(folder.path());
    journal.writeText("k", stateFor(dir.filePath("x")), snapshotOf(text));
    const QString chunk(200000, u'z');
    for (qint64 written = 0; written <= Journal::compactBytes; written += chunk.size()) {
        journal.writeEdits("k", stateFor(dir.filePath("x")), { editOf(text, 0, 0, chunk) });
        text.prepend(chunk);
    }
    journal.wait();
    const QStringList bases = QDir(folder.path()).entryList({ "k.*.text" });
    ASSERT_EQ(bases.size(), 1);
    EXPECT_NE(bases.front(), "k.1.text");
    EXPECT_EQ(QFileInfo(folder.filePath(bases.front())).size(), text.size());
    EXPECT_EQ(journal.read("k")->text, text);
}

TEST(JournalLineBreaks, EveryLineKeepsItsOwnBreakThroughTheEdits)
{
    // Mostly CR LF, one line feed and one lone CR.
    const QString base = "a\r\nb\nc\r\nd\re";
    QString text = "a\nb\nc\nd\ne"; // as the editor holds it
    std::vector<JournalEdit> edits;
    const auto edit = [&](qsizetype position, qsizetype removed, const QString &added) {
        edits.push_back(editOf(text, position, removed, added));
        text.replace(position, removed, TextStorage::normalized(added));
    };
    edit(2, 2, ""); // line b with its line feed goes...
    edit(2, 0, "b\n"); // ...and comes back as the undo puts it
    edit(0, 0, "new\r\nx\r"); // a CR LF and a lone CR, before the first line
    edit(6, 3, "A\r\n"); // "a\nb": one break replaced by another, the following line ends in its own
    bool consistent = false;
    EXPECT_EQ(replayEdits(base, edits, &consistent), "new\r\nx\rA\r\n\nc\r\nd\re");
    EXPECT_TRUE(consistent);
}

TEST_F(JournalTest, AnEntryOfTheEarlierFormWithLineFeedsOnlyTakesTheUsualBreakBack)
{
    // As an earlier version left it: the text with line feeds, the header naming the break.
    const QByteArray header = R"({"version":1,"generation":"1","path":"/tmp/old.txt","encoding":"utf8",)"
                              R"("byteOrderMark":false,"lineEnding":"crlf","selection":[0,0],"scroll":[0,0]})";
    ASSERT_FALSE(testsupport::writeFile(folder, "old.json", header).isEmpty());
    ASSERT_FALSE(testsupport::writeFile(folder, "old.1.text", "one\ntwo\n").isEmpty());
    ASSERT_FALSE(testsupport::writeFile(folder, "old.1.log", "4 0 6 14\nthree\n\n").isEmpty());
    Journal journal(folder.path());
    const auto record = journal.read("old");
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->text, "one\r\nthree\r\ntwo\r\n");
    EXPECT_TRUE(record->complete);
    EXPECT_TRUE(record->olderFormat);
    // What is written now is of today's form.
    journal.writeText("old", record->state, snapshotOf(record->text));
    journal.wait();
    EXPECT_EQ(journal.read("old")->text, "one\r\nthree\r\ntwo\r\n");
    EXPECT_FALSE(journal.read("old")->olderFormat);
}
