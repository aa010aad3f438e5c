// The open documents: the list and the active one, opening files and loading them in the
// background, and the edits that make a document dirty.
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"

#include "AppDelegate.h"
#include "BlameController.h"
#include "BookmarkController.h"
#include "EditingController.h"
#include "EditorHost.h"
#include "JournalKeeper.h"
#include "RemoteDocumentController.h"
#include "SessionController.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "common/MainThread.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileListing.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>

namespace {

quint64 lastLoad = 0; // main thread only

bool isCurrentLoad(const DocumentPtr &document, quint64 generation)
{
    return document && document->loading && document->loading->generation == generation;
}

}

DocumentController::DocumentController(AppDelegate &app)
    : app(app)
{
}

DocumentController::~DocumentController() = default;

void DocumentController::setActive(int index)
{
    if (index < 0 || index >= int(list.size()))
        return;
    active = index;
    shownDocument = list[size_t(index)];
}

void DocumentController::removeAt(int index)
{
    if (index < 0 || index >= int(list.size()))
        return;
    list.erase(list.begin() + index);
    if (list.empty()) {
        active = 0;
        shownDocument.reset();
    } else if (index < active) {
        active -= 1;
    }
}

bool DocumentController::reorder(const QList<int> &order)
{
    const int count = int(list.size());
    if (order.size() != count)
        return false;
    QList<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < count; ++i)
        if (sorted[i] != i)
            return false;
    const DocumentPtr current = activeDocument();
    std::vector<DocumentPtr> reordered;
    for (int old : order)
        reordered.push_back(list[size_t(old)]);
    list = std::move(reordered);
    active = current ? indexOfPath(current->path()) : 0;
    return true;
}

void DocumentController::clear()
{
    list.clear();
    active = -1;
    shownDocument.reset();
}

DocumentPtr DocumentController::activeDocument() const
{
    if (active < 0 || active >= int(list.size()))
        return nullptr;
    return list[active];
}

int DocumentController::indexOfPath(const QString &path) const
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i]->path() == path)
            return int(i);
    return -1;
}

QSet<QString> DocumentController::dirtyPaths() const
{
    QSet<QString> paths;
    for (const DocumentPtr &document : list)
        if (document->isDirty)
            paths.insert(QDir::cleanPath(document->path()));
    return paths;
}

std::vector<DocumentPtr> DocumentController::dirtyDocuments() const
{
    std::vector<DocumentPtr> dirty;
    for (const DocumentPtr &document : list)
        if (document->isDirty)
            dirty.push_back(document);
    return dirty;
}

bool DocumentController::loadDocument(const QString &path, bool preview, bool focus, bool activate)
{
    const QString resolved = canonicalPath(path);
    if (const int existing = indexOfPath(resolved); existing >= 0) {
        if (!preview && list[existing]->isPreview) {
            list[existing]->isPreview = false;
            app.tabs().refreshTabStrip();
        }
        if (activate)
            app.tabs().activateDocument(existing, focus);
        return true;
    }
    // Only the first bytes are read here: whatever cannot be opened is refused without waiting.
    const auto [outcome, size] = TextFile::probeForOpening(resolved);
    if (const auto note = TextFile::refusalNote(outcome, QFileInfo(resolved).fileName())) {
        app.window().showNote(*note);
        return false;
    }
    if (size <= TextFile::backgroundLoadBytes) {
        QString note;
        std::optional<LoadedText> loaded = readText(resolved, &note);
        if (!loaded) {
            app.window().showNote(note);
            return false;
        }
        return openLoaded(resolved, std::move(*loaded), preview, focus, activate);
    }
    // The tab is there at once; its text follows.
    app.tabs().rememberPlace();
    const DocumentPtr document = makeDocument(resolved, TextEncoding());
    app.blame().attach(document);
    startLoading(document, size, true, [this](const DocumentPtr &loaded, FileLoad load) {
        if (const auto note = TextFile::refusalNote(load.outcome, loaded->fileName())) {
            app.window().showNote(*note);
            app.tabs().closeDocument(loaded);
            return;
        }
        fillDocument(*loaded, std::move(load.text));
        noteVeryLongLines(*loaded);
        app.bookmarks().restore(*loaded, app.bookmarks().storedLines(loaded->path()));
        if (loaded->blame)
            loaded->blame->reset();
        if (loaded == shownDocument.lock())
            app.tabs().installView(*loaded);
        documentsChanged();
    });
    showDocument(document, preview, focus, activate);
    return true;
}

// Touches nothing of the controller, so it may run on any thread.
std::optional<LoadedText> DocumentController::readText(const QString &path, QString *failureNote)
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
bool DocumentController::openLoaded(const QString &path, LoadedText loaded, bool preview, bool focus, bool activate)
{
    const QString resolved = canonicalPath(path);
    if (const int existing = indexOfPath(resolved); existing >= 0)
        return loadDocument(resolved, preview, focus, activate);
    app.tabs().rememberPlace();
    const DocumentPtr document = makeDocument(resolved, loaded.encoding);
    fillDocument(*document, std::move(loaded));
    app.blame().attach(document);
    app.bookmarks().restore(*document, app.bookmarks().storedLines(resolved));
    noteVeryLongLines(*document);
    showDocument(document, preview, focus, activate);
    return true;
}

void DocumentController::showDocument(const DocumentPtr &document, bool preview, bool focus, bool activate)
{
    document->isPreview = preview;
    placeDocument(document, preview);
    if (activate)
        app.tabs().activateDocument(indexOfPath(document->path()), focus);
    else
        documentsChanged();
}

// The text goes in as the file holds it: no undo history, unmodified.
void DocumentController::fillDocument(OpenDocument &document, LoadedText loaded)
{
    document.encoding = loaded.encoding;
    document.isPlain = loaded.veryLongLines;
    // Decided before the text goes in, so that a line of megabytes is never laid out wrapped.
    app.editing().applyWrap(document);
    document.textView->adoptText(std::move(loaded.storage));
    document.diskDate = QFileInfo(document.path()).lastModified();
}

void DocumentController::noteVeryLongLines(const OpenDocument &document)
{
    if (document.isPlain)
        app.window().showNote(QStringLiteral("Very long lines: wrapping and colors are off for ") + document.fileName());
}

void DocumentController::startLoading(const DocumentPtr &document, qint64 size, bool opening,
                               std::function<void(const DocumentPtr &, FileLoad)> then)
{
    document->stopLoading();
    const quint64 generation = ++lastLoad;
    auto cancel = std::make_shared<std::atomic_bool>(false);
    document->loading = OpenDocument::Loading { generation, cancel, opening };
    document->textView->showLoading(0, size);
    std::weak_ptr<OpenDocument> weak = document;
    QPointer<DocumentController> self(this);
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

void DocumentController::cancelLoading(const DocumentPtr &document)
{
    if (!document->loading)
        return;
    const bool opening = document->loading->opening;
    document->stopLoading();
    if (opening)
        app.tabs().closeDocument(document); // the tab never had a text of its own
}

DocumentPtr DocumentController::makeDocument(const QString &path, TextEncoding encoding)
{
    auto *view = new EditorTextView();
    app.window().scrollView()->add(view);
    app.editing().watchKeys(view);
    view->onAnnotationClick = [this] { app.blame().showDetails(); };
    view->onAnnotationHover = [this](const std::optional<QRect> &area) { app.blame().hoverAnnotation(area); };
    view->onDrop = [this](const QList<QUrl> &urls) { app.performDrop(urls); };
    auto document = std::make_shared<OpenDocument>(path, view, encoding);
    std::weak_ptr<OpenDocument> weak = document;
    view->onCancelLoad = [this, weak] {
        if (const DocumentPtr strong = weak.lock())
            cancelLoading(strong);
    };
    watchEdits(document);
    connect(view, &TextArea::selectionChanged, this, [this] { app.window().scheduleStatusRefresh(); });
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { app.tabs().editorScrolled(); });
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { app.tabs().editorScrolled(); });
    connect(view->horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this] { app.tabs().holdEditorPlace(); });
    return document;
}

void DocumentController::placeDocument(const DocumentPtr &document, bool preview)
{
    if (preview) {
        for (DocumentPtr &slot : list) {
            if (!slot->isPreview)
                continue;
            QVariantMap remotes = Defaults::dictionary(Defaults::RemoteFiles);
            if (remotes.remove(slot->path()) > 0)
                Defaults::set(Defaults::RemoteFiles, remotes);
            if (slot->textView)
                app.window().scrollView()->remove(slot->textView);
            if (slot->blame)
                slot->blame->stop();
            slot = document;
            return;
        }
    }
    list.push_back(document);
}

void DocumentController::watchEdits(const DocumentPtr &document)
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
        app.bookmarks().followEdit(*strong, int(change.position), int(change.removed), int(change.added));
        if (strong->blame)
            strong->blame->edit(change.firstLine, change.linesAdded, buffer->lineCount(), buffer->length());
        textDidChange(strong.get());
        app.session().journal().edited(strong, change);
    }, Qt::DirectConnection);
}

void DocumentController::textDidChange(OpenDocument *document)
{
    document->editCount += 1;
    app.blame().hideHoverCard();
    const bool wasDirty = document->isDirty;
    const bool wasPreview = document->isPreview;
    document->isDirty = true;
    document->isPreview = false;
    if (document == shownDocument.lock().get())
        app.window().painter()->textChanged();
    if (!wasDirty || wasPreview) {
        app.tabs().refreshTabStrip();
        app.window().updateTitle();
        app.window().explorer()->setDirtyPaths(dirtyPaths());
    }
}

void DocumentController::documentsChanged()
{
    app.tabs().refreshTabStrip();
    app.window().updateTitle();
    app.window().explorer()->setDirtyPaths(dirtyPaths());
    app.session().journal().documentsChanged(list); // saved, reverted and closed documents leave the journal
    if (app.window().outputPanel())
        app.window().outputPanel()->refreshFolderLabel(); // a remote document's commands run on its machine
    updateDiskWatches();
    app.session().persist();
}

void DocumentController::promote(int index)
{
    if (index < 0 || index >= int(list.size()))
        return;
    list[index]->isPreview = false;
    app.tabs().refreshTabStrip();
    app.window().updateTitle();
}

// A document whose text came from the journal: dirty, where it was, as it was.
DocumentPtr DocumentController::openRecovered(const JournalRecord &record)
{
    const JournalState &state = record.state;
    DocumentPtr document;
    // The journal keeps the text as the file would hold it, every line with its own break.
    TextStorage storage = TextStorage::fromFileText(record.text);
    const bool veryLong = storage.longestLineLength() > TextFile::longLineLimit;
    LoadedText loaded { std::move(storage), state.encoding, veryLong };
    if (const int index = indexOfPath(state.path); index >= 0) {
        document = list[index];
        document->stopLoading(); // the file's own text is not wanted any more
        replacingText = true;
        fillDocument(*document, std::move(loaded));
        replacingText = false;
        if (document->blame)
            document->blame->reset();
    } else {
        document = makeDocument(state.path, state.encoding);
        fillDocument(*document, std::move(loaded));
        app.blame().attach(document);
        placeDocument(document, false);
    }
    app.bookmarks().restore(*document, app.bookmarks().storedLines(state.path));
    document->diskDate = state.diskDate;
    // A file saved by someone else meanwhile gets the usual question at the next save.
    document->changedOnDisk = changedSinceRead(*document);
    document->isDirty = true;
    document->isPreview = false;
    document->selectedRange = state.selection;
    document->scrollOrigin = state.scroll;
    if (state.remote)
        app.remoteDocuments().setRemoteOrigin(document, *state.remote);
    return document;
}
