#include "AppFixture.h"
#include "app/DropPlan.h"

#include "app/BookmarkController.h"
#include "app/EditorHost.h"
#include "common/Defaults.h"
#include "common/MainThread.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QStackedWidget>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using DocumentLoadingTest = AppFixture;

namespace {

// A file of the given size whose first bytes are text and the rest a hole: fast to make.
QString sparseTextFile(const QString &path, qint64 size)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(QByteArray(TextFile::sampleBytes, 'x'));
    out.resize(size);
    return path;
}

// A text file of about `megabytes` MB, of numbered lines: big enough to be read in the background.
QString bigTextFile(const QString &path, int megabytes)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    QByteArray block;
    for (int i = 0; block.size() < 1024 * 1024; ++i)
        block += "line " + QByteArray::number(i) + " of a file too big to read at once\n";
    for (int i = 0; i < megabytes; ++i)
        out.write(block);
    return path;
}

// Every background read has ended and handed its result to the event loop, which ran it.
bool readsSettled()
{
    const bool ended = testsupport::waitUntil([] { return MainThread::runningThreads() == 0; }, 60000);
    QApplication::processEvents();
    return ended;
}

}

TEST_F(DocumentLoadingTest, ABigFileOpensInItsTabWhileTheWindowKeepsAnswering)
{
    const QString path = bigTextFile(dir.filePath("big.log"), 48);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    // The tab is there at once, showing that its text is on the way.
    ASSERT_EQ(a.documents().size(), 1u);
    const DocumentPtr document = a.documents()[0];
    EXPECT_EQ(a.documents().activeDocument(), document);
    EXPECT_TRUE(document->loading.has_value());
    EXPECT_TRUE(document->textView->isLoading());
    EXPECT_TRUE(document->textView->isReadOnly());
    // The event loop runs meanwhile: a timer fires before the text is in.
    std::optional<bool> loadingWhenFired;
    QTimer::singleShot(0, [&] { loadingWhenFired = document->loading.has_value(); });
    ASSERT_TRUE(testsupport::waitUntil([&] { return loadingWhenFired.has_value(); }, 60000));
    EXPECT_TRUE(*loadingWhenFired);

    ASSERT_TRUE(loaded(document));
    EXPECT_FALSE(document->textView->isLoading());
    EXPECT_FALSE(document->textView->isReadOnly());
    EXPECT_EQ(document->textView->buffer()->length(), QFileInfo(path).size());
    EXPECT_EQ(document->textView->buffer()->lineText(1), "line 1 of a file too big to read at once");
    EXPECT_FALSE(document->isDirty);
    EXPECT_FALSE(document->textView->buffer()->canUndo());
    EXPECT_TRUE(document->diskDate.has_value());
    type(document, "x");
    EXPECT_TRUE(document->isDirty);
}

TEST_F(DocumentLoadingTest, EscapeOrClosingStopsALoadAndTheTabClosesCleanly)
{
    const QString path = bigTextFile(dir.filePath("big.log"), 48);
    const QString other = file("other.txt", "stays\n");
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(other, false, true, true));

    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    ASSERT_EQ(a.documents().size(), 2u);
    std::weak_ptr<OpenDocument> escaped = a.documents()[1];
    press(a.documents()[1], Qt::Key_Escape);
    EXPECT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.documents().activeDocument()->path(), other);

    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    ASSERT_EQ(a.documents().size(), 2u);
    a.tabs().closeDocument(a.documents()[1]);
    ASSERT_TRUE(readsSettled());
    // Nothing of either read comes back: no tab, no document kept alive, no note of a failure.
    ASSERT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.documents()[0]->textView->buffer()->text(), "stays\n");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(escaped.expired());
    EXPECT_FALSE(a.window().statusText().value_or("").contains("big.log"));
}

// A tab closed before its text is in has no lines yet: the bookmarks stored for it stay.
TEST_F(DocumentLoadingTest, ClosingATabStillLoadingKeepsItsStoredBookmarks)
{
    const QString path = bigTextFile(dir.filePath("big.log"), 48);
    Defaults::set(Defaults::Bookmarks, QVariantMap { { path, QVariantList { 2, 7 } } });
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    ASSERT_TRUE(a.documents()[0]->loading.has_value());
    a.tabs().closeDocument(a.documents()[0]);
    ASSERT_TRUE(readsSettled());
    EXPECT_EQ(a.bookmarks().storedLines(path), (QList<int> { 2, 7 }));

    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    ASSERT_TRUE(loaded(a.documents()[0]));
    EXPECT_EQ(a.documents()[0]->bookmarks.size(), 2u);
}

TEST_F(DocumentLoadingTest, AReadOvertakenByANewerOneIsDropped)
{
    const QString path = bigTextFile(dir.filePath("big.log"), 48);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    const DocumentPtr document = a.documents()[0];
    ASSERT_TRUE(document->loading.has_value());
    // The file is replaced by a small one, read again at once, before the first read ends.
    ASSERT_TRUE(QFile::remove(path));
    file("big.log", "short now\n");
    a.documents().reloadDocument(document);
    EXPECT_EQ(document->textView->buffer()->text(), "short now\n");
    ASSERT_TRUE(readsSettled());
    EXPECT_EQ(document->textView->buffer()->text(), "short now\n");
    EXPECT_FALSE(document->loading.has_value());
    EXPECT_FALSE(document->textView->isLoading());
    EXPECT_FALSE(document->isDirty);
}

TEST_F(DocumentLoadingTest, SizeLimitIsSixtyFourMegabytesInclusive)
{
    AppDelegate &a = launch();
    const QString over = sparseTextFile(dir.filePath("over.log"), TextFile::maxOpenBytes + 1);
    EXPECT_FALSE(a.documents().loadDocument(over, false, true, true));
    EXPECT_EQ(a.window().statusText().value_or(""), "over.log is too large to open here (limit 64 MB)");
    EXPECT_TRUE(a.documents().empty());

    // Exactly the limit opens (real text, so it is read and shown whole).
    QByteArray line(1023, 'x');
    line += '\n';
    QFile exact(dir.filePath("exact.log"));
    ASSERT_TRUE(exact.open(QIODevice::WriteOnly));
    for (qint64 i = 0; i < TextFile::maxOpenBytes / line.size(); ++i)
        exact.write(line);
    exact.close();
    ASSERT_EQ(QFileInfo(exact.fileName()).size(), TextFile::maxOpenBytes);
    EXPECT_TRUE(a.documents().loadDocument(exact.fileName(), false, true, true));
    ASSERT_EQ(a.documents().size(), 1u);
    ASSERT_TRUE(loaded(a.documents()[0]));
    EXPECT_EQ(a.documents()[0]->textView->buffer()->length(), TextFile::maxOpenBytes);
}

TEST_F(DocumentLoadingTest, TextTestUsesTheByteOrderMark)
{
    AppDelegate &a = launch();
    EXPECT_TRUE(a.documents().loadDocument(file("wide.txt", QByteArray("\xFF\xFEh\0i\0\n\0", 8)), false, true, true));
    EXPECT_EQ(a.documents().back()->textView->buffer()->text(), "hi\n");
    EXPECT_FALSE(a.documents().loadDocument(file("blob.bin", QByteArray("ab\0cd", 5)), false, true, true));
    EXPECT_EQ(a.window().statusText().value_or(""), "blob.bin isn't a text file");
    EXPECT_EQ(a.documents().size(), 1u);
}

TEST_F(DocumentLoadingTest, VeryLongLinesTurnWrappingAndColoursOff)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(file("edge.txt", QByteArray(20000, 'a') + "\n"), false, true, true));
    EXPECT_FALSE(a.documents().back()->isPlain);
    EXPECT_TRUE(a.documents().back()->textView->wordWrap());
    ASSERT_TRUE(a.documents().loadDocument(file("long.txt", "short\n" + QByteArray(20001, 'a')), false, true, true));
    EXPECT_TRUE(a.documents().back()->isPlain);
    EXPECT_FALSE(a.documents().back()->textView->wordWrap());
    EXPECT_EQ(a.window().statusText().value_or(""), "Very long lines: wrapping and colors are off for long.txt");
}

TEST_F(DocumentLoadingTest, SymbolicLinkAndTargetShareOneTab)
{
    AppDelegate &a = launch();
    const QString target = file("real.txt");
    const QString link = dir.filePath("link.txt");
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_TRUE(a.documents().loadDocument(link, true, false, true));
    EXPECT_TRUE(a.documents().loadDocument(target, false, true, true));
    ASSERT_EQ(a.documents().size(), 1u);
    EXPECT_EQ(a.documents()[0]->path(), target);
    // Opening it kept turns the preview into a kept tab.
    EXPECT_FALSE(a.documents()[0]->isPreview);
}

TEST_F(DocumentLoadingTest, APreviewReplacesThePreviewInPlace)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("kept1.txt"), false, true, true);
    a.documents().loadDocument(file("p1.txt"), true, false, true);
    a.documents().loadDocument(file("kept2.txt"), false, true, true);
    a.documents().loadDocument(file("p2.txt"), true, false, true);
    ASSERT_EQ(a.documents().size(), 3u);
    EXPECT_EQ(a.documents()[1]->fileName(), "p2.txt");
    EXPECT_TRUE(a.documents()[1]->isPreview);
    EXPECT_EQ(a.documents().activeIndex(), 1);
}

TEST_F(DocumentLoadingTest, AnEditPromotesThePreview)
{
    AppDelegate &a = launch();
    a.documents().loadDocument(file("p.txt"), true, false, true);
    type(a.documents()[0], "x");
    EXPECT_FALSE(a.documents()[0]->isPreview);
    EXPECT_TRUE(a.documents()[0]->isDirty);
    EXPECT_EQ(a.documents()[0]->editCount, 1);
    a.documents().loadDocument(file("q.txt"), true, false, true);
    EXPECT_EQ(a.documents().size(), 2u);
}

TEST_F(DocumentLoadingTest, DroppingFilesAndFoldersOpensFilesAndTakesTheLastFolder)
{
    AppDelegate &a = launch();
    const QString one = testsupport::makeFolder(dir, "one");
    const QString two = testsupport::makeFolder(dir, "two");
    const QList<QUrl> urls { QUrl::fromLocalFile(one), QUrl::fromLocalFile(file("x.txt")),
                             QUrl::fromLocalFile(two), QUrl::fromLocalFile(file("y.txt")),
                             QUrl::fromLocalFile(file("z.bin", QByteArray("\0", 1))),
                             QUrl::fromLocalFile(dir.filePath("missing.txt")) };
    // The binary file is planned too: opening it says why it stays closed.
    const auto plan = planDrop(urls);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[3], (DropPlan { DropPlan::Action::setWorkspace, QUrl::fromLocalFile(two) }));
    a.performDrop(urls);
    ASSERT_EQ(a.documents().size(), 2u);
    EXPECT_EQ(a.documents()[0]->fileName(), "x.txt");
    EXPECT_EQ(a.documents()[1]->fileName(), "y.txt");
    EXPECT_EQ(a.fileOperations().workspace().value_or(""), two);
    EXPECT_EQ(Defaults::string(Defaults::Workspace).value_or(""), two);
}

TEST_F(DocumentLoadingTest, Latin1FileRoundTripsByteForByte)
{
    const QByteArray bytes("na\xEFve caf\xE9\nend \xFF\n");
    const QString path = file("latin.txt", bytes);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    const DocumentPtr document = a.documents()[0];
    EXPECT_EQ(document->encoding.kind, TextEncoding::Kind::Latin1);
    type(document, "!");
    press(document, Qt::Key_Backspace);
    ASSERT_TRUE(document->isDirty);
    EXPECT_TRUE(a.documents().saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), bytes);
}

TEST_F(DocumentLoadingTest, LineBreaksAndNoBreakSpacesAreWrittenBack)
{
    AppDelegate &a = launch();
    const QByteArray crlf("one\r\ntwo\xC2\xA0three\r\n\r\n");
    const QByteArray cr("old\rmac\r");
    for (const auto &[name, bytes] : { std::pair { "crlf.txt", crlf }, std::pair { "cr.txt", cr } }) {
        const QString path = file(name, bytes);
        ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
        const DocumentPtr document = a.documents().back();
        type(document, "!");
        press(document, Qt::Key_Backspace);
        ASSERT_TRUE(a.documents().saveFile(document, false));
        EXPECT_EQ(testsupport::readFile(path), bytes) << name;
    }
}

TEST_F(DocumentLoadingTest, ByteOrderMarkIsWrittenBack)
{
    const QByteArray bytes("\xEF\xBB\xBFkeep the mark\n");
    const QString path = file("bom.txt", bytes);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(path, false, true, true));
    type(a.documents()[0], "x");
    ASSERT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("\xEF\xBB\xBFxkeep the mark\n"));
}

TEST_F(DocumentLoadingTest, SavingKeepsPermissionsAndRefusesUnwritableCharacters)
{
    const QString script = file("run.sh", "#!/bin/sh\necho hi\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QString latin = file("old.txt", QByteArray("caf\xE9\n"));
    AppDelegate &a = launch();
    a.documents().loadDocument(script, false, true, true);
    type(a.documents()[0], "# ");
    ASSERT_TRUE(a.documents().saveFile(a.documents()[0], false));
    EXPECT_TRUE(QFile::permissions(script) & QFileDevice::ExeOwner);

    a.documents().loadDocument(latin, false, true, true);
    type(a.documents()[1], QString::fromUtf8("€"));
    EXPECT_FALSE(a.documents().saveFile(a.documents()[1], false));
    EXPECT_TRUE(a.documents()[1]->isDirty);
    EXPECT_TRUE(a.window().statusText().value_or("").startsWith("Save failed: "));
    EXPECT_EQ(testsupport::readFile(latin), QByteArray("caf\xE9\n"));
}

TEST_F(DocumentLoadingTest, WhatCannotOpenSaysWhyAndNeverWaits)
{
    AppDelegate &a = launch();
    // A FIFO with no writer would hold an open for reading forever.
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const struct {
        QString path;
        QString note;
    } cases[] = {
        { fifo, "pipe isn't a regular file" },
        { "/dev/zero", "zero isn't a regular file" },
        { file("blob.bin", QByteArray("ab\0cd", 5)), "blob.bin isn't a text file" },
        { file("locked.txt"), "Couldn't read locked.txt" },
    };
    QFile::setPermissions(dir.filePath("locked.txt"), QFileDevice::Permissions());
    const bool rootReadsAnyway = QFile(dir.filePath("locked.txt")).open(QIODevice::ReadOnly);
    for (const auto &c : cases) {
        if (rootReadsAnyway && c.path.endsWith("locked.txt"))
            continue; // root reads a file whatever its mode
        a.performDrop({ QUrl::fromLocalFile(c.path) });
        EXPECT_EQ(a.window().statusText().value_or(""), c.note);
        EXPECT_FALSE(a.documents().loadDocument(c.path, true, false, true));
    }
    EXPECT_TRUE(a.documents().empty());
}

TEST_F(DocumentLoadingTest, AVeryLongLineIsNeverLaidOutWrapped)
{
    AppDelegate &a = launch();
    // The view each new document gets, and its wrap mode at the moment its text goes in.
    std::optional<bool> wrapWhenSet;
    struct Watch : QObject {
        std::function<void(QObject *)> added;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::ChildAdded)
                added(static_cast<QChildEvent *>(event)->child());
            return false;
        }
    } watch;
    watch.added = [&](QObject *child) {
        if (auto *view = qobject_cast<EditorTextView *>(child))
            QObject::connect(view->buffer(), &TextBuffer::reset, view,
                [&wrapWhenSet, view] { wrapWhenSet = view->wordWrap(); });
    };
    auto *stack = a.window().scrollView()->findChild<QStackedWidget *>();
    ASSERT_NE(stack, nullptr);
    stack->installEventFilter(&watch);

    QByteArray line;
    while (line.size() < 100 * 1024)
        line += "value = compute(values) + 42; ";
    ASSERT_TRUE(a.documents().loadDocument(file("one-line.txt", line), false, true, true));
    ASSERT_TRUE(wrapWhenSet.has_value());
    EXPECT_FALSE(*wrapWhenSet);

    // The window answers keys: the caret moves and a letter goes in.
    EditorTextView *view = a.documents().back()->textView;
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(view, &right);
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(view, &letter);
    EXPECT_EQ(view->caretPosition(), 2);
    EXPECT_EQ(view->buffer()->at(1), QChar(u'a'));
    stack->removeEventFilter(&watch);
}

namespace {

// The file dialog the window shows now, once it is on screen.
QFileDialog *shownDialog(AppDelegate &a)
{
    QFileDialog *dialog = nullptr;
    testsupport::waitUntil([&] {
        dialog = a.window().mainWindow()->findChild<QFileDialog *>();
        return dialog && dialog->isVisible();
    });
    return dialog;
}

// Types a path into the dialog's name field and presses Return, as a user does.
void answer(QFileDialog *dialog, const QString &path)
{
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

}

// A 20 MB line is shown a few pieces at a time: showing it, going to its end and typing there
// lay out a handful of them, never the whole line.
TEST_F(DocumentLoadingTest, ATwentyMegabyteLineAnswersKeysLayingOutOnlyWhatIsShown)
{
    QByteArray line;
    while (line.size() < 20 * 1024 * 1024)
        line += "value = compute(values) + 42; ";
    AppDelegate &a = launch();
    ASSERT_TRUE(a.documents().loadDocument(file("long.txt", line), false, true, true));
    const DocumentPtr document = a.documents().back();
    ASSERT_TRUE(loaded(document));
    EditorTextView *view = document->textView;
    ASSERT_EQ(view->buffer()->length(), line.size());
    EXPECT_FALSE(view->wordWrap());
    view->viewport()->repaint();
    const quint64 before = view->layoutsMade();

    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(view, &end);
    view->viewport()->repaint();
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(view, &letter);
    view->viewport()->repaint();
    EXPECT_EQ(view->caretPosition(), line.size() + 1);
    EXPECT_EQ(view->buffer()->at(line.size()), QChar(u'a'));
    EXPECT_TRUE(view->viewport()->rect().contains(view->cursorRect()));
    // Of the line's 80,000 or so pieces, those in sight and their neighbours.
    EXPECT_LT(view->layoutsMade() - before, 100u);
}

TEST_F(DocumentLoadingTest, TheOpenPanelOpensTypedFilesAndTakesAFolderAsTheWorkspace)
{
    AppDelegate &a = launch();
    const QString path = file("notes.txt", "hello\n");
    const QString folder = testsupport::makeFolder(dir, "project");
    a.openDocument();
    QFileDialog *dialog = shownDialog(a);
    ASSERT_NE(dialog, nullptr);
    // The message is the title; the field for the path keeps its room.
    EXPECT_EQ(dialog->windowTitle(), "Choose files to open, or a folder to use as the workspace");
    EXPECT_NE(dialog->labelText(QFileDialog::LookIn), dialog->windowTitle());
    answer(dialog, path);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.documents().empty(); }));
    EXPECT_EQ(a.documents().activeDocument()->path(), path);

    a.openDocument();
    dialog = shownDialog(a);
    ASSERT_NE(dialog, nullptr);
    answer(dialog, folder);
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.fileOperations().workspace().value_or("") == folder; }));
}

TEST_F(DocumentLoadingTest, TheOpenFolderPanelMakesTheChosenFolderTheWorkspace)
{
    AppDelegate &a = launch();
    const QString folder = testsupport::makeFolder(dir, "chosen");
    a.openFolder();
    QFileDialog *dialog = shownDialog(a);
    ASSERT_NE(dialog, nullptr);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(folder);
    // The dialog's own confirming button, whatever it is called.
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    QPushButton *confirm = nullptr;
    for (QAbstractButton *button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            confirm = qobject_cast<QPushButton *>(button);
    ASSERT_NE(confirm, nullptr);
    ASSERT_TRUE(testsupport::waitUntil([&] { return confirm->isEnabled(); }));
    confirm->click();
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.fileOperations().workspace().value_or("") == folder; }));
}
