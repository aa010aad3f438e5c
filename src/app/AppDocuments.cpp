// Opening documents: loading files, the drop plan, the open panels and the workspace.
#include "AppDelegate.h"

#include "EditorHost.h"
#include "JournalKeeper.h"
#include "MainWindow.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include <variant>

namespace {

QString resolvedPath(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
}

// The text of a file about to be opened, or the note that says why it cannot be.
std::variant<DecodedText, QString> readNewDocument(const QString &path, const QString &name)
{
    using Outcome = TextFile::FileRead::Outcome;
    const TextFile::FileRead read = TextFile::readForOpening(path);
    switch (read.outcome) {
    case Outcome::text:
        break;
    case Outcome::notText:
        return name + QStringLiteral(" isn't a text file");
    case Outcome::notRegular:
        return name + QStringLiteral(" isn't a regular file");
    case Outcome::tooLarge:
        return name + QStringLiteral(" is too large to open here (limit 64 MB)");
    case Outcome::unreadable:
        return QStringLiteral("Couldn't read ") + name;
    }
    if (auto decoded = TextFile::decode(read.bytes))
        return std::move(*decoded);
    return QStringLiteral("Couldn't read ") + name;
}

}

bool AppDelegate::loadDocument(const QString &path, bool preview, bool focus, bool activate)
{
    const QString resolved = resolvedPath(path);
    if (const int existing = indexOfPath(resolved); existing >= 0) {
        if (!preview && documents[existing]->isPreview) {
            documents[existing]->isPreview = false;
            refreshTabStrip();
        }
        if (activate)
            activateDocument(existing, focus);
        return true;
    }
    QString note;
    const std::optional<DecodedText> decoded = readText(resolved, &note);
    if (!decoded) {
        showNote(note);
        return false;
    }
    return openDecoded(resolved, *decoded, preview, focus, activate);
}

// Touches nothing of the controller, so it may run on any thread.
std::optional<DecodedText> AppDelegate::readText(const QString &path, QString *failureNote)
{
    auto read = readNewDocument(path, QFileInfo(path).fileName());
    if (QString *note = std::get_if<QString>(&read)) {
        *failureNote = std::move(*note);
        return std::nullopt;
    }
    return std::get<DecodedText>(std::move(read));
}

// A file read and decoded (here or in the background) becomes a document.
bool AppDelegate::openDecoded(const QString &path, const DecodedText &decoded, bool preview, bool focus,
                              bool activate)
{
    const QString resolved = resolvedPath(path);
    const QString name = QFileInfo(resolved).fileName();
    if (const int existing = indexOfPath(resolved); existing >= 0)
        return loadDocument(resolved, preview, focus, activate);
    rememberPlace();
    const DocumentPtr document = makeDocument(resolved, decoded);
    attachBlame(document);
    restoreBookmarks(*document, storedBookmarkLines(resolved));
    if (document->isPlain)
        showNote(QStringLiteral("Very long lines: wrapping and colors are off for ") + name);
    document->isPreview = preview;
    placeDocument(document, preview);
    const int index = indexOfPath(resolved);
    if (activate) {
        activateDocument(index, focus);
    } else {
        documentsChanged();
    }
    return true;
}

DocumentPtr AppDelegate::makeDocument(const QString &path, const DecodedText &decoded)
{
    auto *view = new EditorTextView();
    scrollView->add(view);
    watchEditingKeys(view);
    view->onAnnotationClick = [this] { showBlameDetails(); };
    view->onAnnotationHover = [this](const std::optional<QRect> &area) {
        area ? blameHover->pointerEntered(*area) : blameHover->pointerLeft();
    };
    view->onDrop = [this](const QList<QUrl> &urls) { performDrop(urls); };
    auto document = std::make_shared<OpenDocument>(path, view, decoded.encoding);
    document->lineEnding = TextFile::detectLineEnding(decoded.text);
    document->isPlain = TextFile::hasVeryLongLines(decoded.text);
    // Decided before the text goes in: the view lays out what it is given at once, and a line
    // of megabytes laid out wrapped takes minutes.
    applyWrap(*document);
    view->setPlainText(decoded.text);
    view->document()->clearUndoRedoStacks();
    view->document()->setModified(false);
    document->diskDate = QFileInfo(path).lastModified();
    watchEdits(document);
    connect(view, &QPlainTextEdit::cursorPositionChanged, this, [this] { scheduleStatusRefresh(); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { editorScrolled(); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { editorScrolled(); });
    connect(view->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] { holdEditorPlace(); });
    return document;
}

void AppDelegate::placeDocument(const DocumentPtr &document, bool preview)
{
    if (preview) {
        for (DocumentPtr &slot : documents) {
            if (!slot->isPreview)
                continue;
            QVariantMap remotes = Defaults::dictionary(Defaults::RemoteFiles);
            if (remotes.remove(slot->path()) > 0)
                Defaults::set(Defaults::RemoteFiles, remotes);
            if (slot->textView)
                scrollView->remove(slot->textView);
            if (slot->blame)
                slot->blame->stop();
            slot = document;
            return;
        }
    }
    documents.push_back(document);
}

void AppDelegate::watchEdits(const DocumentPtr &document)
{
    std::weak_ptr<OpenDocument> weak = document;
    connect(document->textView->document(), &QTextDocument::contentsChange, this,
            [this, weak](int location, int removed, int added) {
                if ((removed == 0 && added == 0) || replacingText)
                    return;
                if (const DocumentPtr strong = weak.lock()) {
                    followEditWithBookmarks(*strong, location, removed, added);
                    if (strong->blame)
                        strong->blame->edit(*strong->textView->document(), location, removed, added);
                    textDidChange(strong.get());
                    journal->edited(strong, location, removed, added);
                }
            });
}

void AppDelegate::textDidChange(OpenDocument *document)
{
    document->editCount += 1;
    blameHover->hideNow();
    const bool wasDirty = document->isDirty;
    const bool wasPreview = document->isPreview;
    document->isDirty = true;
    document->isPreview = false;
    if (document == shown.lock().get())
        painter->textChanged();
    if (!wasDirty || wasPreview) {
        refreshTabStrip();
        updateTitle();
        explorer->setDirtyPaths(dirtyPaths());
    }
}

void AppDelegate::documentsChanged()
{
    refreshTabStrip();
    updateTitle();
    explorer->setDirtyPaths(dirtyPaths());
    journal->documentsChanged(documents); // saved, reverted and closed documents leave the journal
    if (outputPanel)
        outputPanel->refreshFolderLabel(); // a remote document's commands run on its machine
    persistSession();
}

void AppDelegate::promote(int index)
{
    if (index < 0 || index >= int(documents.size()))
        return;
    documents[index]->isPreview = false;
    refreshTabStrip();
    updateTitle();
}

void AppDelegate::performDrop(const QList<QUrl> &urls)
{
    for (const DropPlan &step : planDrop(urls)) {
        switch (step.action) {
        case DropPlan::Action::openFile:
            loadDocument(step.url.toLocalFile(), false, true, true);
            break;
        case DropPlan::Action::setWorkspace:
            setWorkspace(step.url.toLocalFile());
            break;
        }
    }
}

void AppDelegate::openDocument()
{
    QString start = explorer->root();
    if (start.isEmpty() && workspace)
        start = *workspace;
    auto *dialog = new QFileDialog(window, QString(), start);
    dialog->setLabelText(QFileDialog::LookIn, QStringLiteral("Choose files to open, or a folder to use as the workspace"));
    dialog->setWindowTitle(QStringLiteral("Choose files to open, or a folder to use as the workspace"));
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::DontUseNativeDialog, false);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::urlsSelected, this, [this](const QList<QUrl> &urls) { performDrop(urls); });
    dialog->open();
}

void AppDelegate::openFolder()
{
    auto *dialog = new QFileDialog(window, QStringLiteral("Choose a folder to use as the workspace"),
                                   workspace.value_or(QString()));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::urlSelected, this, [this](const QUrl &url) {
        if (url.isLocalFile())
            setWorkspace(url.toLocalFile());
    });
    dialog->open();
}
