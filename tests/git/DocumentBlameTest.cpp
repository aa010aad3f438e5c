#include "git/DocumentBlame.h"
#include "git/GitCommands.h"
#include "git/GitRun.h"

#include "FakeSsh.h"
#include "TestRepo.h"
#include "TestSupport.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"

#include <QThread>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <atomic>

using testsupport::waitUntil;

namespace
{

// A file of ten lines: lines 1-5 by Ada, 6-10 by Zoë a day later.
struct BlamedFile {
    TestRepo repo;
    QString path;
    QString text; // as the editor holds it
    DocumentBlame *following = nullptr;
    int changes = 0;

    BlamedFile()
    {
        QByteArray first;
        for (int i = 1; i <= 5; ++i)
            first += "line " + QByteArray::number(i) + '\n';
        path = repo.write("src/notes.txt", first);
        repo.commit("Ada's lines", 1700000000);
        QByteArray all = first;
        for (int i = 6; i <= 10; ++i)
            all += "line " + QByteArray::number(i) + '\n';
        repo.write("src/notes.txt", all.chopped(1)); // no line feed after line 10
        repo.commit(QString::fromUtf8("Zoë's lines"), 1700086400, QString::fromUtf8("Zoë"));
        text = QString::fromUtf8(all.chopped(1));
    }

    void attach(DocumentBlame &blame)
    {
        blame.onChange = [this] { ++changes; };
        following = &blame;
    }

    qsizetype lineCount() const { return text.count(u'\n') + 1; }

    // Replaces the characters [from, from + length) of the text and reports it as the editor's
    // buffer does: the line it began in, the breaks put in, the lines and length after it.
    void replace(int from, int length, const QString &with)
    {
        const qsizetype firstLine = QStringView(text).first(from).count(u'\n');
        text.replace(from, length, with);
        if (following)
            following->edit(firstLine, with.count(u'\n'), lineCount(), text.size());
    }

    int offsetOfLine(int line) const
    {
        qsizetype at = 0;
        for (int i = 1; i < line; ++i)
            at = text.indexOf(u'\n', at) + 1;
        return int(at);
    }
};

// The unsaved text goes to git once it was read on a worker.
bool streamStarts(const DocumentBlame &blame)
{
    return waitUntil([&] { return blame.stream() != nullptr || !blame.isComputing(); }) && blame.stream();
}

QString authorOf(const DocumentBlame &blame, qsizetype line)
{
    const BlameLookup lookup = blame.lookup(line);
    switch (lookup.kind) {
    case BlameLookup::Kind::commit:
        return lookup.info.author;
    case BlameLookup::Kind::draft:
        return "draft";
    case BlameLookup::Kind::unknown:
        break;
    }
    return "unknown";
}

QStringList authors(const DocumentBlame &blame, qsizetype lines)
{
    QStringList out;
    for (qsizetype line = 1; line <= lines; ++line)
        out.append(authorOf(blame, line));
    return out;
}

const QString zoe = QString::fromUtf8("Zoë");

TEST(DocumentBlame, CommittedFileAttributesEveryLine)
{
    BlamedFile file;
    DocumentBlame blame(file.path);
    file.attach(blame);
    EXPECT_TRUE(blame.isStale());
    blame.start(file.text, false);
    EXPECT_TRUE(blame.isComputing());
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    EXPECT_FALSE(blame.hasFailed());
    EXPECT_EQ(authors(blame, 10),
        QStringList({ "Ada Lovelace", "Ada Lovelace", "Ada Lovelace", "Ada Lovelace",
            "Ada Lovelace", zoe, zoe, zoe, zoe, zoe }));
    EXPECT_EQ(blame.lookup(6).info.summary, QString::fromUtf8("Zoë's lines"));
    EXPECT_EQ(blame.lookup(6).info.date, QDateTime::fromSecsSinceEpoch(1700086400, Qt::UTC));
    EXPECT_EQ(blame.lookup(11).kind, BlameLookup::Kind::unknown);
    ASSERT_TRUE(waitUntil([&] { return file.changes > 0; }));

    // The table matches the text: starting again runs nothing.
    blame.start(file.text, false);
    EXPECT_FALSE(blame.isComputing());
}

TEST(DocumentBlame, UnsavedTextIsBlamedFromStandardInput)
{
    BlamedFile file;
    file.replace(file.offsetOfLine(3), 0, "typed here\n");
    DocumentBlame blame(file.path);
    blame.start(file.text, true);
    ASSERT_TRUE(streamStarts(blame));
    EXPECT_EQ(blame.stream()->program().arguments.mid(4), GitCommands::blame("notes.txt", true));
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    const QStringList got = authors(blame, 11);
    EXPECT_EQ(
        got.mid(0, 4), QStringList({ "Ada Lovelace", "Ada Lovelace", "draft", "Ada Lovelace" }));
    EXPECT_EQ(got.last(), zoe);
    EXPECT_EQ(blame.lookup(3).shownInfo()->author, "Not Committed Yet");
}

TEST(DocumentBlame, EditsAreAbsorbedWithoutANewRun)
{
    BlamedFile file;
    DocumentBlame blame(file.path);
    file.attach(blame);
    blame.start(file.lineCount(), std::nullopt); // as the editor asks
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing() && file.changes > 0; }));
    const int changesBefore = file.changes;

    // A line break in the middle of line 2, then lines 7 to 9 joined into one.
    file.replace(file.offsetOfLine(2) + 2, 0, "\n");
    file.replace(file.offsetOfLine(8) + 1, file.offsetOfLine(10) - file.offsetOfLine(8), "");
    EXPECT_EQ(file.lineCount(), 9);
    EXPECT_EQ(authors(blame, 9),
        QStringList({ "Ada Lovelace", "draft", "draft", "Ada Lovelace", "Ada Lovelace",
            "Ada Lovelace", zoe, "draft", zoe }));
    EXPECT_EQ(blame.stream(), nullptr);
    EXPECT_FALSE(blame.isStale());

    // A burst of edits causes one notification.
    for (int i = 0; i < 50; ++i)
        file.replace(file.offsetOfLine(1), 0, "x");
    ASSERT_TRUE(waitUntil([&] { return file.changes > changesBefore; }));
    EXPECT_EQ(file.changes, changesBefore + 1);
}

TEST(DocumentBlame, AnEditDuringARunCancelsItAndTheNextRunBlamesTheEditedText)
{
    BlamedFile file;
    DocumentBlame blame(file.path);
    file.attach(blame);
    blame.start(file.text, false);
    ASSERT_TRUE(blame.isComputing());
    // The run's output has not been read yet: it is on the event loop at the earliest.
    file.replace(file.offsetOfLine(10), 0, "new first half of ");
    EXPECT_FALSE(blame.isComputing());
    EXPECT_TRUE(blame.isStale());
    EXPECT_EQ(blame.stream(), nullptr);
    EXPECT_EQ(blame.lookup(10).kind, BlameLookup::Kind::draft);

    blame.start(file.lineCount(), DocumentBlame::Contents { file.text.size(), [text = file.text] { return text; } });
    ASSERT_TRUE(streamStarts(blame));
    EXPECT_TRUE(blame.stream()->program().arguments.contains("--contents"));
    // The old table keeps answering while the new one is built.
    EXPECT_EQ(blame.lookup(10).kind, BlameLookup::Kind::draft);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    EXPECT_EQ(authors(blame, 10),
        QStringList({ "Ada Lovelace", "Ada Lovelace", "Ada Lovelace", "Ada Lovelace",
            "Ada Lovelace", zoe, zoe, zoe, zoe, "draft" }));
}

TEST(DocumentBlame, ARunStoppedWhileItsTextIsReadNeverStarts)
{
    BlamedFile file;
    std::atomic_bool release = false;
    std::atomic_int reads = 0;
    const auto slowText = [&] {
        return DocumentBlame::Contents { file.text.size(), [&, text = file.text] {
                                            while (!release)
                                                QThread::msleep(5);
                                            ++reads;
                                            return text;
                                        } };
    };
    {
        // An edit while the worker reads: the text it reads is no longer the document's.
        DocumentBlame blame(file.path);
        file.attach(blame);
        blame.start(file.lineCount(), slowText());
        EXPECT_TRUE(blame.isComputing());
        blame.stop();
        release = true;
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(30000));
        QCoreApplication::processEvents();
        EXPECT_EQ(reads, 1);
        EXPECT_EQ(blame.stream(), nullptr);
        EXPECT_FALSE(blame.isComputing());
        release = false;

        // The document goes while its text is read: the late result finds nothing.
        auto closing = std::make_unique<DocumentBlame>(file.path);
        closing->start(file.lineCount(), slowText());
        closing.reset();
        release = true;
        ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(30000));
        QCoreApplication::processEvents();
        EXPECT_EQ(reads, 2);
        file.following = nullptr;
    }
}

TEST(DocumentBlame, AFileOutsideARepositoryFailsOnceAndStaysQuiet)
{
    QTemporaryDir outside;
    const QString path = testsupport::writeFile(outside, "loose.txt", "one\ntwo\n");
    DocumentBlame blame(path);
    int changes = 0;
    blame.onChange = [&] { ++changes; };
    blame.start("one\ntwo\n", false);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing() && changes > 0; }));
    EXPECT_TRUE(blame.hasFailed());
    EXPECT_FALSE(blame.table().has_value());
    EXPECT_EQ(blame.lookup(1).kind, BlameLookup::Kind::unknown);
    blame.start("one\ntwo\n", false);
    EXPECT_FALSE(blame.isComputing());

    // Settings changed: one more try, which fails again.
    blame.markStale();
    blame.start("one\ntwo\n", false);
    EXPECT_TRUE(blame.isComputing());
    ASSERT_TRUE(waitUntil([&] { return blame.hasFailed(); }));
}

TEST(DocumentBlame, SaveRenameAndReloadStartOver)
{
    BlamedFile file;
    DocumentBlame blame(file.path);
    file.attach(blame);
    blame.start(file.text, false);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    ASSERT_TRUE(blame.table().has_value());

    blame.reset();
    EXPECT_FALSE(blame.table().has_value());
    EXPECT_TRUE(blame.isStale());
    file.repo.git({ "mv", "src/notes.txt", "src/moved.txt" });
    blame.setFile(file.repo.filePath("src/moved.txt"));
    blame.start(file.text, true);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    // The moved file is not committed under its new name, yet git follows it from the index.
    EXPECT_FALSE(blame.hasFailed());
    EXPECT_EQ(authorOf(blame, 1), "Ada Lovelace");
}

TEST(DocumentBlame, RemoteDocumentsRunGitThroughTheClient)
{
    BlamedFile file;
    DocumentBlame blame(file.repo.filePath("local-copy.txt"));
    FakeSsh ssh;
    const auto client = FakeSsh::client();
    blame.remoteTarget = [&] {
        return std::optional(DocumentBlame::RemoteTarget { client, file.path });
    };
    blame.start(file.text, false);
    ASSERT_TRUE(waitUntil([&] { return !blame.isComputing(); }));
    EXPECT_EQ(ssh.commandLines(),
        QStringList {
            shellNeutral(withEndMarker(remoteGitCommand(
                GitCommands::blame("notes.txt", false), file.repo.filePath("src")))) });
    EXPECT_EQ(authorOf(blame, 10), zoe);
}

}
