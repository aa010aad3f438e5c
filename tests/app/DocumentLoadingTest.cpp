#include "AppFixture.h"

#include "common/Defaults.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QPlainTextEdit>

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

}

TEST_F(DocumentLoadingTest, SizeLimitIsSixtyFourMegabytesInclusive)
{
    AppDelegate &a = launch();
    const QString over = sparseTextFile(dir.filePath("over.log"), TextFile::maxOpenBytes + 1);
    EXPECT_FALSE(a.loadDocument(over, false, true, true));
    EXPECT_EQ(a.statusText.value_or(""), "over.log is too large to open here (limit 64 MB)");
    EXPECT_TRUE(a.documents.empty());

    // Exactly the limit opens (real text, so it is read and shown whole).
    QByteArray line(1023, 'x');
    line += '\n';
    QFile exact(dir.filePath("exact.log"));
    ASSERT_TRUE(exact.open(QIODevice::WriteOnly));
    for (qint64 i = 0; i < TextFile::maxOpenBytes / line.size(); ++i)
        exact.write(line);
    exact.close();
    ASSERT_EQ(QFileInfo(exact.fileName()).size(), TextFile::maxOpenBytes);
    EXPECT_TRUE(a.loadDocument(exact.fileName(), false, true, true));
    ASSERT_EQ(a.documents.size(), 1u);
    EXPECT_EQ(a.documents[0]->textView->document()->characterCount() - 1, TextFile::maxOpenBytes);
}

TEST_F(DocumentLoadingTest, TextTestUsesTheByteOrderMark)
{
    AppDelegate &a = launch();
    EXPECT_TRUE(a.loadDocument(file("wide.txt", QByteArray("\xFF\xFEh\0i\0\n\0", 8)), false, true, true));
    EXPECT_EQ(a.documents.back()->textView->toPlainText(), "hi\n");
    EXPECT_FALSE(a.loadDocument(file("blob.bin", QByteArray("ab\0cd", 5)), false, true, true));
    EXPECT_EQ(a.statusText.value_or(""), "blob.bin isn't a text file");
    EXPECT_EQ(a.documents.size(), 1u);
}

TEST_F(DocumentLoadingTest, VeryLongLinesTurnWrappingAndColoursOff)
{
    AppDelegate &a = launch();
    ASSERT_TRUE(a.loadDocument(file("edge.txt", QByteArray(20000, 'a') + "\n"), false, true, true));
    EXPECT_FALSE(a.documents.back()->isPlain);
    EXPECT_EQ(a.documents.back()->textView->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    ASSERT_TRUE(a.loadDocument(file("long.txt", "short\n" + QByteArray(20001, 'a')), false, true, true));
    EXPECT_TRUE(a.documents.back()->isPlain);
    EXPECT_EQ(a.documents.back()->textView->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(a.statusText.value_or(""), "Very long lines: wrapping and colors are off for long.txt");
}

TEST_F(DocumentLoadingTest, SymbolicLinkAndTargetShareOneTab)
{
    AppDelegate &a = launch();
    const QString target = file("real.txt");
    const QString link = dir.filePath("link.txt");
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_TRUE(a.loadDocument(link, true, false, true));
    EXPECT_TRUE(a.loadDocument(target, false, true, true));
    ASSERT_EQ(a.documents.size(), 1u);
    EXPECT_EQ(a.documents[0]->path(), target);
    // Opening it kept turns the preview into a kept tab.
    EXPECT_FALSE(a.documents[0]->isPreview);
}

TEST_F(DocumentLoadingTest, APreviewReplacesThePreviewInPlace)
{
    AppDelegate &a = launch();
    a.loadDocument(file("kept1.txt"), false, true, true);
    a.loadDocument(file("p1.txt"), true, false, true);
    a.loadDocument(file("kept2.txt"), false, true, true);
    a.loadDocument(file("p2.txt"), true, false, true);
    ASSERT_EQ(a.documents.size(), 3u);
    EXPECT_EQ(a.documents[1]->fileName(), "p2.txt");
    EXPECT_TRUE(a.documents[1]->isPreview);
    EXPECT_EQ(a.activeIndex, 1);
}

TEST_F(DocumentLoadingTest, AnEditPromotesThePreview)
{
    AppDelegate &a = launch();
    a.loadDocument(file("p.txt"), true, false, true);
    type(a.documents[0], "x");
    EXPECT_FALSE(a.documents[0]->isPreview);
    EXPECT_TRUE(a.documents[0]->isDirty);
    EXPECT_EQ(a.documents[0]->editCount, 1);
    a.loadDocument(file("q.txt"), true, false, true);
    EXPECT_EQ(a.documents.size(), 2u);
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
    const auto plan = planDrop(urls);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[2], (DropPlan { DropPlan::Action::setWorkspace, QUrl::fromLocalFile(two) }));
    a.performDrop(urls);
    ASSERT_EQ(a.documents.size(), 2u);
    EXPECT_EQ(a.documents[0]->fileName(), "x.txt");
    EXPECT_EQ(a.documents[1]->fileName(), "y.txt");
    EXPECT_EQ(a.workspace.value_or(""), two);
    EXPECT_EQ(Defaults::string(Defaults::Workspace).value_or(""), two);
}

TEST_F(DocumentLoadingTest, Latin1FileRoundTripsByteForByte)
{
    const QByteArray bytes("na\xEFve caf\xE9\nend \xFF\n");
    const QString path = file("latin.txt", bytes);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.loadDocument(path, false, true, true));
    const DocumentPtr document = a.documents[0];
    EXPECT_EQ(document->encoding.kind, TextEncoding::Kind::Latin1);
    type(document, "!");
    document->textView->textCursor().deletePreviousChar();
    ASSERT_TRUE(document->isDirty);
    EXPECT_TRUE(a.saveFile(document, false));
    EXPECT_EQ(testsupport::readFile(path), bytes);
}

TEST_F(DocumentLoadingTest, LineBreaksAndNoBreakSpacesAreWrittenBack)
{
    AppDelegate &a = launch();
    const QByteArray crlf("one\r\ntwo\xC2\xA0three\r\n\r\n");
    const QByteArray cr("old\rmac\r");
    for (const auto &[name, bytes] : { std::pair { "crlf.txt", crlf }, std::pair { "cr.txt", cr } }) {
        const QString path = file(name, bytes);
        ASSERT_TRUE(a.loadDocument(path, false, true, true));
        const DocumentPtr document = a.documents.back();
        type(document, "!");
        document->textView->textCursor().deletePreviousChar();
        ASSERT_TRUE(a.saveFile(document, false));
        EXPECT_EQ(testsupport::readFile(path), bytes) << name;
    }
}

TEST_F(DocumentLoadingTest, ByteOrderMarkIsWrittenBack)
{
    const QByteArray bytes("\xEF\xBB\xBFkeep the mark\n");
    const QString path = file("bom.txt", bytes);
    AppDelegate &a = launch();
    ASSERT_TRUE(a.loadDocument(path, false, true, true));
    type(a.documents[0], "x");
    ASSERT_TRUE(a.saveFile(a.documents[0], false));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("\xEF\xBB\xBFxkeep the mark\n"));
}

TEST_F(DocumentLoadingTest, SavingKeepsPermissionsAndRefusesUnwritableCharacters)
{
    const QString script = file("run.sh", "#!/bin/sh\necho hi\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
    const QString latin = file("old.txt", QByteArray("caf\xE9\n"));
    AppDelegate &a = launch();
    a.loadDocument(script, false, true, true);
    type(a.documents[0], "# ");
    ASSERT_TRUE(a.saveFile(a.documents[0], false));
    EXPECT_TRUE(QFile::permissions(script) & QFileDevice::ExeOwner);

    a.loadDocument(latin, false, true, true);
    type(a.documents[1], QString::fromUtf8("€"));
    EXPECT_FALSE(a.saveFile(a.documents[1], false));
    EXPECT_TRUE(a.documents[1]->isDirty);
    EXPECT_TRUE(a.statusText.value_or("").startsWith("Save failed: "));
    EXPECT_EQ(testsupport::readFile(latin), QByteArray("caf\xE9\n"));
}

namespace {

// The file dialog the window shows now, once it is on screen.
QFileDialog *shownDialog(AppDelegate &a)
{
    QFileDialog *dialog = nullptr;
    testsupport::waitUntil([&] {
        dialog = a.window->findChild<QFileDialog *>();
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
    ASSERT_TRUE(testsupport::waitUntil([&] { return !a.documents.empty(); }));
    EXPECT_EQ(a.activeDocument()->path(), path);

    a.openDocument();
    dialog = shownDialog(a);
    ASSERT_NE(dialog, nullptr);
    answer(dialog, folder);
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.workspace.value_or("") == folder; }));
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
    EXPECT_TRUE(testsupport::waitUntil([&] { return a.workspace.value_or("") == folder; }));
}
