// Opening documents: loading files, the drop plan, the open panels and the workspace.
#include "AppDelegate.h"
#include "RemoteDocumentController.h"
#include "BookmarkController.h"
#include "BlameController.h"

#include "EditingController.h"

#include "EditorHost.h"
#include "FileOperationsController.h"
#include "JournalKeeper.h"
#include "SessionController.h"
#include "MainWindow.h"
#include "OpenPanel.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileListing.h"

#include "common/MainThread.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>

namespace {

quint64 lastLoad = 0; // main thread only

bool isCurrentLoad(const DocumentPtr &document, quint64 generation)
{
    return document && document->loading && document->loading->generation == generation;
}

}

bool AppDelegate::loadDocument(const QString &path, bool preview, bool focus, bool activate)
{
    const QString resolved = canonicalPath(path);
    if (const int existing = indexOfPath(resolved); existing >= 0) {
        if (!preview && documents[existing]->isPreview) {
            documents[existing]->isPreview = false;
            refreshTabStrip();
        }
        if (activate)
            activateDocument(existing, focus);
        return true;
    }
    // Only the first bytes are read here: whatever cannot be opened is refused without waiting.
    const auto [outcome, size] = TextFile::probeForOpening(resolved);
    if (const auto note = TextFile::refusalNote(outcome, QFileInfo(resolved).fileName())) {
        showNote(*note);
        return false;
    }
    if (size <= TextFile::backgroundLoadBytes) {
        QString note;
        std::optional<LoadedText> loaded = readText(resolved, &note);
        if (!loaded) {
            showNote(note);
            return false;
        }
        return openLoaded(resolved, std::move(*loaded), preview, focus, activate);
    }
    // The tab is there at once; its text follows.
    rememberPlace();
    const DocumentPtr document = makeDocument(resolved, TextEncoding());
    blame().attach(document);
    startLoading(document, size, true, [this](const DocumentPtr &loaded, FileLoad load) {
        if (const auto note = TextFile::refusalNote(load.outcome, loaded->fileName())) {
            showNote(*note);
            closeDocument(loaded);
            return;
        }
        fillDocument(*loaded, std::move(load.text));
        noteVeryLongLines(*loaded);
        bookmarks().restore(*loaded, bookmarks().storedLines(loaded->path()));
        if (loaded->blame)
            loaded->blame->reset();
        if (loaded == shown.lock())
            installView(*loaded);
        documentsChanged();
    });
    showDocument(document, preview, focus, activate);
    return true;
}

// Touches nothing of the controller, so it may run on any thread.
std::optional<LoadedText> AppDelegate::readText(const QString &path, QString *failureNote)
{
    const std::atomic_bool never = false;
    FileLoad load = TextFile::loadForOpening(path, never);
    if (auto note = TextFile::refusalNote(load.outcome, QFileInfo(path).fileName())) {
        *failureNote = std::move(*note);
        return std::nullopt;
    }
    return std::move(load.text);
}

// A file read (here or in the background) becomes a document.
bool AppDelegate::openLoaded(const QString &path, LoadedText loaded, bool preview, bool focus, bool activate)
{
    const QString resolved = canonicalPath(path);
    if (const int existing = indexOfPath(resolved); existing >= 0)
        return loadDocument(resolved, preview, focus, activate);
    rememberPlace();
    const DocumentPtr document = makeDocument(resolved, loaded.encoding);
    fillDocument(*document, std::move(loaded));
    blame().attach(document);
    bookmarks().restore(*document, bookmarks().storedLines(resolved));
    noteVeryLongLines(*document);
    showDocument(document, preview, focus, activate);
    return true;
}

void AppDelegate::showDocument(const DocumentPtr &document, bool preview, bool focus, bool activate)
{
    document->isPreview = preview;
    placeDocument(document, preview);
    if (activate)
        activateDocument(indexOfPath(document->path()), focus);
    else
        documentsChanged();
}

// The text goes in as the file holds it: no undo history, unmodified.
void AppDelegate::fillDocument(OpenDocument &document, LoadedText loaded)
{
    document.encoding = loaded.encoding;
    document.isPlain = loaded.veryLongLines;
    // Decided before the text goes in, so that a line of megabytes is never laid out wrapped.
    editing().applyWrap(document);
    document.textView->adoptText(std::move(loaded.storage));
    document.diskDate = QFileInfo(document.path()).lastModified();
}

void AppDelegate::noteVeryLongLines(const OpenDocument &document)
{
    if (document.isPlain)
        showNote(QStringLiteral("Very long lines: wrapping and colors are off for ") + document.fileName());
}

void AppDelegate::startLoading(const DocumentPtr &document, qint64 size, bool opening,
                               std::function<void(const DocumentPtr &, FileLoad)> then)
{
    document->stopLoading();
    const quint64 generation = ++lastLoad;
    auto cancel = std::make_shared<std::atomic_bool>(false);
    document->loading = OpenDocument::Loading { generation, cancel, opening };
    document->textView->showLoading(0, size);
    std::weak_ptr<OpenDocument> weak = document;
    QPointer<AppDelegate> self(this);
    MainThread::startThread([self, weak, generation, cancel, path = document->path(), then = std::move(then)] {
        const auto progress = [weak, generation](qint64 done, qint64 total) {
            MainThread::post([weak, generation, done, total] {
                if (const DocumentPtr document = weak.lock(); isCurrentLoad(document, generation) && document->textView)
                    document->textView->showLoading(done, total);
            });
        };
        auto load = std::make_shared<FileLoad>(TextFile::loadForOpening(path, *cancel, progress));
        MainThread::post([self, weak, generation, load, then] {
            const DocumentPtr document = weak.lock();
            // Closed, reloaded again or cancelled meanwhile: this text is not wanted any more.
            if (!self || !isCurrentLoad(document, generation) || !document->textView)
                return;
            document->loading.reset();
            document->textView->endLoading();
            then(document, std::move(*load));
        });
    });
}

void AppDelegate::cancelLoading(const DocumentPtr &document)
{
    if (!document->loading)
        return;
    const bool opening = document->loading->opening;
    document->stopLoading();
    if (opening)
        closeDocument(document); // the tab never had a text of its own
}

DocumentPtr AppDelegate::makeDocument(const QString &path, TextEncoding encoding)
{
    auto *view = new EditorTextView();
    scrollView->add(view);
    editing().watchKeys(view);
    view->onAnnotationClick = [this] { blame().showDetails(); };
    view->onAnnotationHover = [this](const std::optional<QRect> &area) { blame().hoverAnnotation(area); };
    view->onDrop = [this](const QList<QUrl> &urls) { performDrop(urls); };
    auto document = std::make_shared<OpenDocument>(path, view, encoding);
    std::weak_ptr<OpenDocument> weak = document;
    view->onCancelLoad = [this, weak] {
        if (const DocumentPtr strong = weak.lock())
            cancelLoading(strong);
    };
    watchEdits(document);
    connect(view, &TextArea::selectionChanged, this, [this] { scheduleStatusRefresh(); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { editorScrolled(); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { editorScrolled(); });
    connect(view->horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] { holdEditorPlace(); });
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
    const TextBuffer *buffer = document->textView->buffer();
    // Direct: TextChange is not a registered metatype, and the numbers must meet the text they
    // describe.
    connect(buffer, &TextBuffer::changed, this, [this, weak, buffer](const TextChange &change) {
        if ((change.removed == 0 && change.added == 0) || replacingText)
            return;
        const DocumentPtr strong = weak.lock();
        if (!strong)
            return;
        bookmarks().followEdit(*strong, int(change.position), int(change.removed), int(change.added));
        if (strong->blame)
            strong->blame->edit(change.firstLine, change.linesAdded, buffer->lineCount(), buffer->length());
        textDidChange(strong.get());
        session().journal().edited(strong, change);
    }, Qt::DirectConnection);
}

void AppDelegate::textDidChange(OpenDocument *document)
{
    document->editCount += 1;
    blame().hideHoverCard();
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
    session().journal().documentsChanged(documents); // saved, reverted and closed documents leave the journal
    if (outputPanel)
        outputPanel->refreshFolderLabel(); // a remote document's commands run on its machine
    updateDiskWatches();
    session().persist();
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
            fileOperations().setWorkspace(step.url.toLocalFile());
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
            fileOperations().setWorkspace(url.toLocalFile());
    });
    dialog->open();
}

// A document whose text came from the journal: dirty, where it was, as it was.
DocumentPtr AppDelegate::openRecovered(const JournalRecord &record)
{
    const JournalState &state = record.state;
    DocumentPtr document;
    // The journal keeps the text as the file would hold it, every line with its own break.
    TextStorage storage = TextStorage::fromFileText(record.text);
    const bool veryLong = storage.longestLineLength() > TextFile::longLineLimit;
    LoadedText loaded { std::move(storage), state.encoding, veryLong };
    if (const int index = indexOfPath(state.path); index >= 0) {
        document = documents[index];
        document->stopLoading(); // the file's own text is not wanted any more
        replacingText = true;
        fillDocument(*document, std::move(loaded));
        replacingText = false;
        if (document->blame)
            document->blame->reset();
    } else {
        document = makeDocument(state.path, state.encoding);
        fillDocument(*document, std::move(loaded));
        blame().attach(document);
        placeDocument(document, false);
    }
    bookmarks().restore(*document, bookmarks().storedLines(state.path));
    document->diskDate = state.diskDate;
    // A file saved by someone else meanwhile gets the usual question at the next save.
    document->changedOnDisk = changedSinceRead(*document);
    document->isDirty = true;
    document->isPreview = false;
    document->selectedRange = state.selection;
    document->scrollOrigin = state.scroll;
    if (state.remote)
        remoteDocuments().setRemoteOrigin(document, *state.remote);
    return document;
}
