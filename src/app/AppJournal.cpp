// Unsaved work kept on disk: starting the journal and bringing its documents back at launch.
#include "AppDelegate.h"
#include "RemoteDocumentController.h"

#include "JournalKeeper.h"
#include "editor/EditorTextView.h"
#include "git/DocumentBlame.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QScrollBar>
#include <QSessionManager>

void AppDelegate::startJournal()
{
    journal = std::make_unique<JournalKeeper>(Journal::defaultFolder());
    journal->selectionOf = [](const OpenDocument &document) {
        if (!document.textView)
            return document.selectedRange;
        const EditorTextView *view = document.textView;
        return TextRange { view->selectionStart(), view->selectionEnd() - view->selectionStart() };
    };
    journal->scrollOf = [this](const OpenDocument &document) {
        if (shown.lock().get() != &document || !document.textView)
            return document.scrollOrigin;
        return QPoint(document.textView->horizontalScrollBar()->value(), document.textView->verticalScrollBar()->value());
    };
    // Logging out keeps the unsaved documents in the journal instead of asking about them.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        journal->flushNow();
        for (const DocumentPtr &document : documents)
            storeBookmarks(*document);
        persistSession();
    }, Qt::DirectConnection);
}

std::map<QString, JournalRecord> AppDelegate::takeUnsaved()
{
    std::map<QString, JournalRecord> byPath;
    // Newest last, so that a newer entry for the same file replaces an older one.
    for (JournalRecord &record : journal->takeLeftovers()) {
        const QString path = record.state.path;
        if (const auto older = byPath.find(path); older != byPath.end())
            journal->discard(older->second.key);
        byPath[path] = std::move(record);
    }
    return byPath;
}

void AppDelegate::openRecovered(const JournalRecord &record)
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
        attachBlame(document);
        placeDocument(document, false);
    }
    restoreBookmarks(*document, storedBookmarkLines(state.path));
    document->diskDate = state.diskDate;
    // A file saved by someone else meanwhile gets the usual question at the next save.
    document->changedOnDisk = changedSinceRead(*document);
    document->isDirty = true;
    document->isPreview = false;
    document->selectedRange = state.selection;
    document->scrollOrigin = state.scroll;
    if (state.remote)
        remoteDocuments().setRemoteOrigin(document, *state.remote);
    journal->adopt(document, record);
}

void AppDelegate::noteRecovered(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    showNote(paths.size() == 1
                 ? QStringLiteral("Recovered unsaved changes to %1").arg(QFileInfo(paths.front()).fileName())
                 : QStringLiteral("Recovered unsaved changes to %1 files").arg(QLocale::system().toString(paths.size())));
}
