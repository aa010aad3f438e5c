// Opening documents: loading files, the drop plan, the open panels and the workspace.
#include "AppDelegate.h"

#include "EditorHost.h"
#include "MainWindow.h"
#include "OpenPanel.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileListing.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

bool AppDelegate::loadDocument(const QString &path, bool preview, bool focus, bool activate)
{
    const QString resolved = canonicalPath(path);
    const QString name = QFileInfo(resolved).fileName();
    if (const int existing = indexOfPath(resolved); existing >= 0) {
        if (!preview && documents[existing]->isPreview) {
            documents[existing]->isPreview = false;
            refreshTabStrip();
        }
        if (activate)
            activateDocument(existing, focus);
        return true;
    }
    if (!TextFile::passesTextTest(resolved)) {
        showNote(name + QStringLiteral(" isn't a text file"));
        return false;
    }
    const QFileInfo info(resolved);
    if (info.exists() && info.size() > TextFile::maxOpenBytes) {
        showNote(name + QStringLiteral(" is too large to open here (limit 64 MB)"));
        return false;
    }
    QFile file(resolved);
    std::optional<DecodedText> decoded;
    if (file.open(QIODevice::ReadOnly))
        decoded = TextFile::decode(file.readAll());
    if (!decoded) {
        showNote(QStringLiteral("Couldn't read ") + name);
        return false;
    }
    rememberPlace();
    const DocumentPtr document = makeDocument(resolved, *decoded);
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
    document->isPlain = TextFile::hasVeryLongLines(decoded.text);
    view->setFileText(decoded.text);
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
    if (outputPanel)
        outputPanel->refreshFolderLabel(); // a remote document's commands run on its machine
    updateDiskWatches();
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
    auto *panel = new OpenPanel(window, QStringLiteral("Choose files to open, or a folder to use as the workspace"), start);
    panel->onChoose = [this](const QList<QUrl> &urls) { performDrop(urls); };
    panel->open();
}

void AppDelegate::openFolder()
{
    auto *dialog = new QFileDialog(window, QStringLiteral("Choose a folder to use as the workspace"),
                                   workspace.value_or(QString()));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Qt's own dialog emits no urlSelected: the answer is read from the dialog once accepted.
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const QUrl url = dialog->selectedUrls().value(0);
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            setWorkspace(url.toLocalFile());
    });
    dialog->open();
}
