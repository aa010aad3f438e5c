#include "AppFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using SavingTest = AppFixture;

namespace {

void touchLater(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(bytes);
    out.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime);
}

}

TEST_F(SavingTest, CleanDocumentWritesNothingUnlessItsFileWasDeleted)
{
    AppDelegate &a = launch();
    const QString path = file("same.txt", "same\n");
    a.documents().loadDocument(path, false, true, true);
    const QDateTime before = QFileInfo(path).lastModified();
    bool reported = false;
    EXPECT_TRUE(a.documents().saveFile(a.documents()[0], false, [&](bool ok) { reported = ok; }));
    EXPECT_TRUE(reported);
    EXPECT_EQ(QFileInfo(path).lastModified(), before);
    QFile::remove(path);
    EXPECT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_EQ(testsupport::readFile(path), "same\n");
    EXPECT_EQ(a.window().diskNote(*a.documents()[0]), "");
}

TEST_F(SavingTest, FileChangedElsewhereAsksAndOverwriteWrites)
{
    AppDelegate &a = launch();
    const QString path = file("shared.txt", "base\n");
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "mine ");
    touchLater(path, "theirs\n");
    EXPECT_FALSE(a.documents().saveFile(a.documents()[0], false));
    ASSERT_TRUE(a.window().card());
    EXPECT_EQ(cardTexts().value(0), "shared.txt changed on disk");
    EXPECT_EQ(testsupport::readFile(path), "theirs\n");
    ASSERT_TRUE(pressCardButton("Overwrite"));
    EXPECT_EQ(testsupport::readFile(path), "mine base\n");
    EXPECT_FALSE(a.documents()[0]->isDirty);
}

TEST_F(SavingTest, ReloadDiscardsEditsAndClearsTheUndoHistory)
{
    AppDelegate &a = launch();
    const QString path = file("shared.txt", "base\n");
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "mine ");
    touchLater(path, "theirs\n");
    a.documents().saveFile(a.documents()[0], false);
    ASSERT_TRUE(pressCardButton("Reload"));
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "theirs\n");
    EXPECT_FALSE(a.documents()[0]->isDirty);
    EXPECT_FALSE(a.documents()[0]->textView->buffer()->canUndo());
}

// Whatever took the file's place is read as opening reads it: a FIFO would block a plain read
// for ever, and a folder would replace the user's text with nothing.
TEST_F(SavingTest, ReloadRefusesWhatIsNoLongerARegularTextFileAndKeepsTheEdits)
{
    AppDelegate &a = launch();
    const QString path = file("shared.txt", "base\n");
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "mine ");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    a.documents().reloadDocument(a.documents()[0]);
    EXPECT_EQ(a.window().statusText().value_or(""), "shared.txt isn't a regular file");
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "mine base\n");
    EXPECT_TRUE(a.documents()[0]->isDirty);

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkdir(path));
    a.documents().reloadDocument(a.documents()[0]);
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "mine base\n");
    EXPECT_TRUE(a.documents()[0]->isDirty);
}

TEST_F(SavingTest, SaveAllSavesEveryDirtyDocument)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt"), false, true, true);
    a.documents().loadDocument(file("b.txt"), false, true, true);
    a.documents().loadDocument(file("c.txt"), false, true, true);
    type(a.documents()[0], "1");
    type(a.documents()[2], "3");
    a.documents().saveAll();
    EXPECT_EQ(testsupport::readFile(dir.filePath("a.txt")), "1text\n");
    EXPECT_EQ(testsupport::readFile(dir.filePath("c.txt")), "3text\n");
    EXPECT_TRUE(a.documents().dirtyDocuments().empty());
}

TEST_F(SavingTest, QuitSaveAllStopsAtTheFirstFailure)
{
    AppDelegate &a = launch();
    const QString locked = testsupport::makeFolder(dir, "locked");
    a.documents().loadDocument(file("locked/a.txt"), false, true, true);
    a.documents().loadDocument(file("b.txt"), false, true, true);
    type(a.documents()[0], "1");
    type(a.documents()[1], "2");
    // A folder that is gone cannot take the temporary file of the write.
    QDir(locked).removeRecursively();
    a.requestQuit();
    ASSERT_TRUE(pressCardButton("Save All"));
    EXPECT_TRUE(a.window().statusText().value_or("").startsWith("Save failed: "));
    EXPECT_TRUE(a.documents()[0]->isDirty);
    EXPECT_TRUE(a.documents()[1]->isDirty);
    EXPECT_TRUE(a.window().mainWindow()->isVisible());
}

namespace {

// Makes a file or folder refuse changes, even for root (whose writes permissions do not stop).
bool lock(const QString &path, bool locked)
{
    return QProcess::execute(QStringLiteral("chattr"), { locked ? "+i" : "-i", path }) == 0;
}

}

TEST_F(SavingTest, AFailedWriteLeavesTheOldFileByteForByte)
{
    AppDelegate &a = launch();
    const QString path = file("keep.txt", "precious\n");
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "edit ");
    if (!lock(path, true))
        GTEST_SKIP() << "this file system cannot lock a file";
    const bool saved = a.documents().saveFile(a.documents()[0], false);
    const QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    lock(path, false);
    EXPECT_FALSE(saved);
    EXPECT_EQ(testsupport::readFile(path), "precious\n");
    EXPECT_EQ(entries, QStringList { "keep.txt" });
    EXPECT_TRUE(a.documents()[0]->isDirty);
    EXPECT_TRUE(a.window().statusText().value_or("").startsWith("Save failed: "));
}

TEST_F(SavingTest, AWritableFileInAFolderThatTakesNoNewFilesIsSaved)
{
    AppDelegate &a = launch();
    const QString folder = testsupport::makeFolder(dir, "locked");
    const QString path = file("locked/notes.txt", "old\n");
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "new ");
    if (!lock(folder, true))
        GTEST_SKIP() << "this file system cannot lock a folder";
    const bool saved = a.documents().saveFile(a.documents()[0], false);
    lock(folder, false);
    EXPECT_TRUE(saved) << a.window().statusText().value_or("").toStdString();
    EXPECT_EQ(testsupport::readFile(path), "new old\n");
    EXPECT_FALSE(a.documents()[0]->isDirty);
}

TEST_F(SavingTest, AFileWithTwoNamesStaysOneFile)
{
    AppDelegate &a = launch();
    const QString path = file("one.txt", "old\n");
    const QString second = dir.filePath("two.txt");
    ASSERT_TRUE(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()) == 0);
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], "new ");
    ASSERT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_EQ(testsupport::readFile(second), "new old\n");
}

TEST_F(SavingTest, AFullDiskKeepsTheOldFileShowsWhyAndTheTabStaysDirty)
{
    const QString folder = testsupport::makeFolder(dir, "small");
    testsupport::SmallDisk disk(folder, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    AppDelegate &a = launch();
    const QByteArray old(600 * 1024, 'o');
    const QString path = file("small/big.txt", old);
    ASSERT_EQ(testsupport::readFile(path).size(), old.size());
    a.documents().loadDocument(path, false, true, true);
    type(a.documents()[0], QString(300 * 1024, 'n'));
    bool reported = true;
    EXPECT_FALSE(a.documents().saveFile(a.documents()[0], false, [&](bool ok) { reported = ok; }));
    EXPECT_FALSE(reported);
    EXPECT_EQ(testsupport::readFile(path), old);
    EXPECT_TRUE(a.documents()[0]->isDirty);
    EXPECT_EQ(a.window().statusText().value_or(""), "Save failed: " + QString::fromLocal8Bit(std::strerror(ENOSPC)));
}

TEST_F(SavingTest, SavingThroughALinkKeepsTheLink)
{
    AppDelegate &a = launch();
    const QString target = file("real.txt", "one\n");
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(target, link));
    a.documents().loadDocument(link, false, true, true);
    type(a.documents()[0], "two ");
    ASSERT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::readFile(target), "two one\n");
}

TEST_F(SavingTest, TheQuitCardAnswersItsKeys)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt"), false, true, true);
    type(a.documents()[0], "x");
    a.requestQuit();
    ASSERT_TRUE(a.window().card());
    QTest::keyClick(a.window().card(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(a.window().card());
    EXPECT_TRUE(a.documents()[0]->isDirty);

    a.requestQuit();
    QTest::keyClick(a.window().card(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_FALSE(a.documents()[0]->isDirty);
    EXPECT_EQ(testsupport::readFile(dir.filePath("a.txt")), "text\n");
    EXPECT_FALSE(a.window().mainWindow()->isVisible());
}

TEST_F(SavingTest, ReturnInTheQuitCardSavesEverythingAndQuits)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("a.txt"), false, true, true);
    type(a.documents()[0], "x");
    a.requestQuit();
    ASSERT_TRUE(a.window().card());
    QTest::keyClick(a.window().card(), Qt::Key_Return);
    EXPECT_EQ(testsupport::readFile(dir.filePath("a.txt")), "xtext\n");
    EXPECT_FALSE(a.window().mainWindow()->isVisible());
}

TEST_F(SavingTest, SavingKeepsTheLineBreaksOfEveryLineNotEdited)
{
    AppDelegate &a = launch();
    const QString progress = file("progress.log", "progress 10%\rprogress 100%\nline two\n");
    const QString mixed = file("mixed.txt", "a\r\nb\nc\r\n");
    const QByteArray paragraphs = QString(QStringLiteral("one") + QChar(0x2029) + "two\n").toUtf8();
    const QString separated = file("paragraphs.txt", paragraphs);
    for (const QString &path : { progress, mixed, separated }) {
        ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
        type(a.documents().activeDocument(), "x");
        ASSERT_TRUE(a.documents().saveFile(a.documents().activeDocument(), false));
    }
    EXPECT_EQ(testsupport::readFile(progress), "xprogress 10%\rprogress 100%\nline two\n");
    EXPECT_EQ(testsupport::readFile(mixed), "xa\r\nb\nc\r\n");
    EXPECT_EQ(testsupport::readFile(separated), "x" + paragraphs);
}

TEST_F(SavingTest, ANewLineTakesTheFilesCommonestBreak)
{
    AppDelegate &a = launch();
    const QString path = file("mixed.txt", "a\r\nb\nc\r\n");
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    EditorTextView *view = a.documents().activeDocument()->textView;
    view->setCaretPosition(view->buffer()->lineStart(1) + view->buffer()->lineLength(1));
    type(a.documents().activeDocument(), "\nnew");
    ASSERT_TRUE(a.documents().saveFile(a.documents().activeDocument(), false));
    EXPECT_EQ(testsupport::readFile(path), "a\r\nb\nnew\r\nc\r\n");
}

TEST_F(SavingTest, UndoingADeletedLinePutsItsOwnBreakBack)
{
    AppDelegate &a = launch();
    const QString path = file("mixed.txt", "a\r\nb\nc\r\n");
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    const DocumentPtr document = a.documents().activeDocument();
    EditorTextView *view = document->textView;
    view->setSelection(view->buffer()->lineStart(1), view->buffer()->lineStart(2));
    type(document, "");
    ASSERT_TRUE(a.documents().saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), "a\r\nc\r\n");
    view->undo();
    ASSERT_TRUE(document->isDirty);
    ASSERT_TRUE(a.documents().saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), "a\r\nb\nc\r\n");
}
