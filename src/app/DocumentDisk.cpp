// Writing documents back, reloading them, and noticing what other programs change on disk: the
// open documents' files, the folders the Explorer shows, and whatever a command did.
#include "DocumentController.h"
#include "WindowController.h"

#include "AppDelegate.h"
#include "BookmarkController.h"
#include "DiskWatcher.h"
#include "PlacesController.h"
#include "RemoteDocumentController.h"
#include "chrome/InlineCard.h"
#include "command/OutputPanelView.h"
#include "common/SafeSave.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

bool DocumentController::changedSinceRead(const OpenDocument &document) const
{
    if (!document.diskDate)
        return false;
    const QFileInfo info(document.path());
    return info.exists() && info.lastModified() != *document.diskDate;
}

bool DocumentController::saveFile(const DocumentPtr &document, bool force, std::function<void(bool)> completion)
{
    const auto finish = [&completion](bool ok) {
        if (completion)
            completion(ok);
        return ok;
    };
    const bool exists = QFileInfo::exists(document->path());
    if (!document->isDirty && exists)
        return finish(true);
    if (document->remote)
        return app.remoteDocuments().saveRemoteDocument(document, force, std::move(completion));
    if (!force && exists && changedSinceRead(*document)) {
        showChangedOnDiskCard(document);
        return finish(false);
    }
    QString error;
    if (!writeLocally(*document, &error)) {
        app.window().showNote(QStringLiteral("Save failed: ") + error);
        return finish(false);
    }
    documentsChanged();
    return finish(true);
}

bool DocumentController::writeLocally(OpenDocument &document, QString *error)
{
    const QString path = document.path();
    const std::optional<QByteArray> bytes = document.fileBytes();
    if (!bytes) {
        *error = QStringLiteral("the text can't be written in this file's encoding");
        return false;
    }
    // Owner, group, mode, attributes and links stay; a crash leaves the old or the new file.
    if (!SafeSave::write(path, *bytes, error))
        return false;
    document.diskDate = QFileInfo(path).lastModified();
    document.isDirty = false;
    document.changedOnDisk = false;
    document.revisions.reset();
    if (document.blame) {
        document.blame->stop();
        document.blame->markStale();
    }
    return true;
}

void DocumentController::saveInTurn(std::vector<DocumentPtr> pending, std::function<void(bool)> done)
{
    if (pending.empty()) {
        done(true);
        return;
    }
    const DocumentPtr first = pending.front();
    pending.erase(pending.begin());
    saveFile(first, false, [this, pending, done](bool ok) {
        if (!ok) {
            done(false);
            return;
        }
        saveInTurn(pending, done);
    });
}

void DocumentController::saveDocument()
{
    if (const DocumentPtr current = activeDocument())
        saveFile(current, false);
}

void DocumentController::saveAll()
{
    for (const DocumentPtr &document : dirtyDocuments())
        saveFile(document, false);
}

void DocumentController::showChangedOnDiskCard(const DocumentPtr &document)
{
    std::weak_ptr<OpenDocument> weak = document;
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { QStringLiteral("Reload"), false, true, QKeySequence(), [this, weak] {
                           if (const DocumentPtr strong = weak.lock())
                               reloadDocument(strong);
                       } };
    buttons << Button { QStringLiteral("Overwrite"), true, true, QKeySequence(), [this, weak] {
                           if (const DocumentPtr strong = weak.lock())
                               saveFile(strong, true);
                       } };
    app.window().showCard(new InlineCard(document->fileName() + QStringLiteral(" changed on disk"),
                            QStringLiteral("Something else saved this file after you opened it. "
                                           "Overwrite it with your version, or reload theirs and lose your edits?"),
                            std::nullopt, buttons));
}

void DocumentController::reloadDocument(const DocumentPtr &document)
{
    // Read as opening reads: whatever took the file's place (a FIFO, a folder, a huge file) is
    // refused with a note instead of blocking or replacing the user's text with nothing.
    const auto [outcome, size] = TextFile::probeForOpening(document->path());
    if (const auto note = TextFile::refusalNote(outcome, document->fileName())) {
        app.window().showNote(*note);
        return;
    }
    if (size > TextFile::backgroundLoadBytes) {
        startLoading(document, size, false, [this](const DocumentPtr &loaded, FileLoad load) {
            if (const auto note = TextFile::refusalNote(load.outcome, loaded->fileName()))
                app.window().showNote(*note);
            else
                takeReloaded(loaded, std::move(load.text));
        });
        return;
    }
    QString note;
    std::optional<LoadedText> loaded = readText(document->path(), &note);
    if (!loaded) {
        app.window().showNote(note);
        return;
    }
    takeReloaded(document, std::move(*loaded));
}

void DocumentController::takeReloaded(const DocumentPtr &document, LoadedText loaded)
{
    document->stopLoading(); // a read of a bigger version still running
    EditorTextView *view = document->textView;
    const TextBuffer *buffer = view->buffer();
    const qsizetype start = view->selectionStart();
    QList<int> bookmarkLines;
    for (qsizetype offset : document->bookmarks)
        bookmarkLines << int(buffer->lineAt(offset)) + 1;
    // Replacing the text is not an edit of the user's.
    replacingText = true;
    fillDocument(*document, std::move(loaded));
    replacingText = false;
    if (document->blame)
        document->blame->reset();
    app.bookmarks().restore(*document, bookmarkLines);
    view->setCaretPosition(std::min(start, buffer->length()));
    if (document == shownDocument.lock())
        app.window().painter()->show(view, document->url, document->isPlain);
    document->isDirty = false;
    document->changedOnDisk = false;
    document->revisions.reset();
    documentsChanged();
}

void DocumentController::watchDisk()
{
    diskWatcher = new DiskWatcher(this);
    diskWatcher->onChange = [this](const QSet<QString> &changed) { diskChanged(changed); };
    app.window().explorer()->onFoldersShown = [this] { updateDiskWatches(); };
    // A command may change any file, also below folders nobody watches.
    app.window().outputPanel()->onCommandFinished = [this] { diskChanged({}); };
}

void DocumentController::updateDiskWatches()
{
    if (!diskWatcher)
        return;
    QStringList paths;
    for (const DocumentPtr &document : list)
        paths << document->path();
    if (!app.window().explorer()->root().isEmpty()) {
        paths << app.window().explorer()->root();
        paths << app.window().explorer()->expanded().values();
    }
    diskWatcher->watch(paths);
}

void DocumentController::checkDocumentsOnDisk()
{
    for (const DocumentPtr &document : list) {
        if (!document->diskDate)
            continue;
        const QFileInfo info(document->path());
        if (!info.exists() || info.lastModified() == *document->diskDate)
            continue;
        if (document->isDirty)
            document->changedOnDisk = true;
        else
            reloadDocument(document);
    }
}

void DocumentController::diskChanged(const QSet<QString> &changed)
{
    checkDocumentsOnDisk();
    app.window().updateTitle();
    const bool onlyDocuments = !changed.isEmpty() && std::all_of(changed.begin(), changed.end(), [this](const QString &path) {
        return indexOfPath(path) >= 0;
    });
    if (onlyDocuments)
        return;
    app.window().explorer()->reload();
    // Go to file lists the new files from now on: the index is built again.
    app.places().rebuildFileIndex();
}
