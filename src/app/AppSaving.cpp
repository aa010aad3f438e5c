// Writing documents back and noticing files that changed on disk.
#include "AppDelegate.h"
#include "RemoteDocumentController.h"

#include "BookmarkController.h"
#include "chrome/InlineCard.h"
#include "common/SafeSave.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"

#include <QFile>
#include <QFileInfo>

bool AppDelegate::changedSinceRead(const OpenDocument &document) const
{
    if (!document.diskDate)
        return false;
    const QFileInfo info(document.path());
    return info.exists() && info.lastModified() != *document.diskDate;
}

bool AppDelegate::saveFile(const DocumentPtr &document, bool force, std::function<void(bool)> completion)
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
        return remoteDocuments().saveRemoteDocument(document, force, std::move(completion));
    if (!force && exists && changedSinceRead(*document)) {
        showChangedOnDiskCard(document);
        return finish(false);
    }
    QString error;
    if (!writeLocally(*document, &error)) {
        showNote(QStringLiteral("Save failed: ") + error);
        return finish(false);
    }
    documentsChanged();
    return finish(true);
}

bool AppDelegate::writeLocally(OpenDocument &document, QString *error)
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

void AppDelegate::saveInTurn(std::vector<DocumentPtr> pending, std::function<void(bool)> done)
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

void AppDelegate::saveDocument()
{
    if (const DocumentPtr active = activeDocument())
        saveFile(active, false);
}

void AppDelegate::saveAll()
{
    for (const DocumentPtr &document : dirtyDocuments())
        saveFile(document, false);
}

void AppDelegate::showChangedOnDiskCard(const DocumentPtr &document)
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
    showCard(new InlineCard(document->fileName() + QStringLiteral(" changed on disk"),
                            QStringLiteral("Something else saved this file after you opened it. "
                                           "Overwrite it with your version, or reload theirs and lose your edits?"),
                            std::nullopt, buttons));
}

void AppDelegate::reloadDocument(const DocumentPtr &document)
{
    // Read as opening reads: whatever took the file's place (a FIFO, a folder, a huge file) is
    // refused with a note instead of blocking or replacing the user's text with nothing.
    const auto [outcome, size] = TextFile::probeForOpening(document->path());
    if (const auto note = TextFile::refusalNote(outcome, document->fileName())) {
        showNote(*note);
        return;
    }
    if (size > TextFile::backgroundLoadBytes) {
        startLoading(document, size, false, [this](const DocumentPtr &loaded, FileLoad load) {
            if (const auto note = TextFile::refusalNote(load.outcome, loaded->fileName()))
                showNote(*note);
            else
                takeReloaded(loaded, std::move(load.text));
        });
        return;
    }
    QString note;
    std::optional<LoadedText> loaded = readText(document->path(), &note);
    if (!loaded) {
        showNote(note);
        return;
    }
    takeReloaded(document, std::move(*loaded));
}

void AppDelegate::takeReloaded(const DocumentPtr &document, LoadedText loaded)
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
    bookmarks().restore(*document, bookmarkLines);
    view->setCaretPosition(std::min(start, buffer->length()));
    if (document == shown.lock())
        painter->show(view, document->url, document->isPlain);
    document->isDirty = false;
    document->changedOnDisk = false;
    document->revisions.reset();
    documentsChanged();
}
