#include "AppFixture.h"
#include "editor/EditorTextView.h"

#include "app/JournalKeeper.h"
#include "common/Defaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

class RecoveryTest : public AppFixture {
protected:
    // The texts the journal holds now, as a later launch would read them (as the file would
    // hold them).
    QStringList journaled() const
    {
        QStringList texts;
        Journal &store = app->session().journal().journal();
        for (const QString &key : store.keys())
            if (const auto record = store.read(key))
                texts << record->text;
        return texts;
    }

    bool waitForJournal(const QString &text)
    {
        return testsupport::waitUntil([&] { return journaled().contains(text); }, 10000);
    }

    bool waitForEmptyJournal()
    {
        return testsupport::waitUntil([&] {
            app->session().journal().flushNow();
            return QDir(Journal::defaultFolder()).entryList({ "*.json" }, QDir::Files).isEmpty();
        });
    }

    // Ends the editor the way a kill does: nothing is asked and nothing is saved.
    void relaunch()
    {
        app.reset();
        launch();
    }

    QString subtitle() const { return app->window().mainWindow()->windowTitle(); }

    void moveCaret(const DocumentPtr &document, int anchor, int position)
    {
        document->textView->setSelection(anchor, position);
    }
};

}

TEST_F(RecoveryTest, UnsavedTextComesBackDirtyWithItsCaretEncodingAndLineBreaks)
{
    const QString path = file("notes.txt", "caf\xe9\r\nline two\r\n");
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    AppDelegate &a = launch();
    ASSERT_EQ(a.documents().size(), 1u);
    DocumentPtr document = a.documents()[0];
    ASSERT_EQ(document->encoding.kind, TextEncoding::Kind::Latin1);
    moveCaret(document, 4, 4);
    type(document, " au lait");
    moveCaret(document, 13, 9);
    ASSERT_TRUE(waitForJournal("café au lait\r\nline two\r\n"));

    relaunch();
    ASSERT_EQ(app->documents().size(), 1u);
    document = app->documents()[0];
    EXPECT_TRUE(document->isDirty);
    EXPECT_EQ(document->text(), "café au lait\nline two\n");
    EXPECT_EQ(document->encoding.kind, TextEncoding::Kind::Latin1);
    EXPECT_EQ(document->textView->buffer()->dominantBreak(), LineBreaks::Kind::crlf);
    EXPECT_EQ(document->textView->selectionStart(), 9);
    EXPECT_EQ(document->textView->selectionEnd(), 13);
    EXPECT_TRUE(subtitle().contains("Recovered unsaved changes to notes.txt")) << subtitle().toStdString();
    EXPECT_EQ(app->window().mainWindow()->isWindowModified(), true);

    // Saving writes the recovered text in the file's own encoding and line breaks, and the
    // journal lets go of it.
    ASSERT_TRUE(app->documents().saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("caf\xe9 au lait\r\nline two\r\n"));
    EXPECT_TRUE(waitForEmptyJournal());
    relaunch();
    ASSERT_EQ(app->documents().size(), 1u);
    EXPECT_FALSE(app->documents()[0]->isDirty);
}

TEST_F(RecoveryTest, AMixedBreakDocumentComesBackWithEveryLinesOwnBreak)
{
    const QByteArray bytes("a\r\nb\nc\r\nd\re\r\n");
    const QString path = file("mixed.txt", bytes);
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    AppDelegate &a = launch();
    DocumentPtr document = a.documents()[0];
    // The line with the odd break goes and comes back by undo; a new line takes the usual one.
    moveCaret(document, 2, 4);
    type(document, "");
    document->textView->undo();
    moveCaret(document, 0, 0);
    type(document, "new\n");
    const QByteArray expected("new\r\na\r\nb\nc\r\nd\re\r\n");
    ASSERT_TRUE(waitForJournal(QString::fromLatin1(expected)));

    relaunch();
    ASSERT_EQ(app->documents().size(), 1u);
    document = app->documents()[0];
    EXPECT_TRUE(document->isDirty);
    EXPECT_EQ(document->fileText(), QString::fromLatin1(expected));
    ASSERT_TRUE(app->documents().saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), expected);
}

TEST_F(RecoveryTest, EveryDirtyTabComesBackInItsPlaceEvenWithoutASession)
{
    const QString one = file("one.txt", "1\n");
    const QString two = file("two.txt", "2\n");
    const QString three = file("three.txt", "3\n");
    AppDelegate &a = launch();
    for (const QString &path : { one, two, three })
        ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    type(a.documents()[0], "first ");
    type(a.documents()[2], "third ");
    ASSERT_TRUE(waitForJournal("first 1\n") && waitForJournal("third 3\n"));
    // The stored session is lost too: the journal alone brings the documents back.
    app.reset();
    QSettings().clear();
    launch();
    QStringList texts;
    for (const DocumentPtr &document : app->documents()) {
        EXPECT_TRUE(document->isDirty);
        texts << document->text();
    }
    texts.sort();
    EXPECT_EQ(texts, (QStringList { "first 1\n", "third 3\n" }));
    EXPECT_TRUE(subtitle().contains("Recovered unsaved changes to 2 files")) << subtitle().toStdString();
}

TEST_F(RecoveryTest, SessionOrderIsKeptAndCleanTabsStayClean)
{
    const QString one = file("one.txt", "1\n");
    const QString two = file("two.txt", "2\n");
    Defaults::set(Defaults::OpenFiles, QStringList { one, two });
    AppDelegate &a = launch();
    type(a.documents()[1], "edited ");
    ASSERT_TRUE(waitForJournal("edited 2\n"));
    relaunch();
    ASSERT_EQ(app->documents().size(), 2u);
    EXPECT_EQ(app->documents()[0]->path(), one);
    EXPECT_FALSE(app->documents()[0]->isDirty);
    EXPECT_EQ(app->documents()[1]->path(), two);
    EXPECT_TRUE(app->documents()[1]->isDirty);
    EXPECT_EQ(app->documents()[1]->text(), "edited 2\n");
}

TEST_F(RecoveryTest, DontSaveRevertAndCloseLetGoOfTheJournal)
{
    const QString one = file("one.txt", "1\n");
    const QString two = file("two.txt", "2\n");
    Defaults::set(Defaults::OpenFiles, QStringList { one, two });
    AppDelegate &a = launch();
    // Closing a tab without saving.
    type(a.documents()[0], "x");
    ASSERT_TRUE(waitForJournal("x1\n"));
    a.tabs().closeTab(0);
    ASSERT_TRUE(pressCardButton("Don't Save"));
    EXPECT_TRUE(waitForEmptyJournal());
    // Reverting to the file's text.
    type(a.documents()[0], "y");
    ASSERT_TRUE(waitForJournal("y2\n"));
    a.documents().reloadDocument(a.documents()[0]);
    EXPECT_TRUE(waitForEmptyJournal());
    // Quitting without saving.
    type(a.documents()[0], "z");
    ASSERT_TRUE(waitForJournal(a.documents()[0]->text()));
    a.requestQuit();
    ASSERT_TRUE(pressCardButton("Don't Save"));
    EXPECT_TRUE(waitForEmptyJournal());
}

TEST_F(RecoveryTest, AFileChangedOnDiskMeanwhileAsksBeforeItIsOverwritten)
{
    const QString path = file("shared.txt", "theirs\n");
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    AppDelegate &a = launch();
    type(a.documents()[0], "mine ");
    ASSERT_TRUE(waitForJournal("mine theirs\n"));
    app.reset();
    QFile changed(path);
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write("someone else's\n");
    changed.flush();
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    changed.close();
    launch();
    const DocumentPtr document = app->documents()[0];
    EXPECT_EQ(document->text(), "mine theirs\n");
    EXPECT_TRUE(document->changedOnDisk);
    EXPECT_FALSE(app->documents().saveFile(document, false));
    EXPECT_TRUE(cardTexts().contains("shared.txt changed on disk")) << cardTexts().join('|').toStdString();
    EXPECT_EQ(testsupport::readFile(path), "someone else's\n");
}

TEST_F(RecoveryTest, ADeletedFileComesBackFromTheJournalWithItsRemoteOrigin)
{
    const QString path = file("copy.txt", "remote text\n");
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    Defaults::set(Defaults::RemoteFiles,
                  QVariantMap { { path, QStringList { "me@box:22", "/srv/copy.txt", "1700000000" } } });
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents()[0]->remote.has_value());
    type(a.documents()[0], "more ");
    ASSERT_TRUE(waitForJournal("more remote text\n"));
    app.reset();
    QFile::remove(path);
    Defaults::remove(Defaults::RemoteFiles);
    launch();
    ASSERT_EQ(app->documents().size(), 1u);
    const DocumentPtr document = app->documents()[0];
    EXPECT_EQ(document->text(), "more remote text\n");
    EXPECT_TRUE(document->isDirty);
    ASSERT_TRUE(document->remote.has_value());
    EXPECT_EQ(document->remote->hostID, "me@box:22");
    EXPECT_EQ(document->remote->path, "/srv/copy.txt");
    EXPECT_EQ(document->remote->modified.value_or(0), 1700000000);
}

TEST_F(RecoveryTest, ALongDocumentIsJournaledAsEditsAgainstItsFile)
{
    const QByteArray line = "a line of a long document that is journaled as edits\n";
    QByteArray bytes;
    while (bytes.size() <= JournalKeeper::wholeTextLimit + 1000)
        bytes += line;
    const QString path = file("long.txt", bytes);
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    AppDelegate &a = launch();
    DocumentPtr document = a.documents()[0];
    moveCaret(document, 0, 0);
    type(document, "top\n");
    EditorTextView *view = document->textView;
    view->setCaretPosition(view->buffer()->length());
    type(document, "bottom");
    moveCaret(document, int(line.size()) * 3, int(line.size()) * 3 + 2);
    type(document, "");
    const QString expected = document->text();
    ASSERT_TRUE(waitForJournal(expected));
    // The base is the file's content, not a copy of the typed text; the edits are in the log.
    const QStringList logs = QDir(Journal::defaultFolder()).entryList({ "*.log" }, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_GT(QFileInfo(QDir(Journal::defaultFolder()).filePath(logs.front())).size(), 0);
    type(document, "!");
    const QString later = document->text();
    ASSERT_TRUE(waitForJournal(later));

    relaunch();
    document = app->documents()[0];
    EXPECT_TRUE(document->isDirty);
    EXPECT_EQ(document->text(), later);
    // Typing on after the recovery keeps appending to the same journal.
    type(document, "?");
    ASSERT_TRUE(waitForJournal(document->text()));
}

TEST_F(RecoveryTest, ASecondEditorNeverRestoresTheSameJournal)
{
    const QString path = file("one.txt", "1\n");
    Defaults::set(Defaults::OpenFiles, QStringList { path });
    type(launch().documents()[0], "unsaved ");
    ASSERT_TRUE(waitForJournal("unsaved 1\n"));
    relaunch();
    ASSERT_TRUE(app->documents()[0]->isDirty);

    // The first editor owns the entry now; a second one started beside it leaves it alone.
    AppDelegate second;
    second.didFinishLaunching();
    ASSERT_EQ(second.documents().size(), 1u);
    EXPECT_FALSE(second.documents()[0]->isDirty);
    EXPECT_EQ(second.documents()[0]->text(), "1\n");
    EXPECT_EQ(journaled(), QStringList { "unsaved 1\n" });
}
