// Unsaved work kept on disk: starting the journal and bringing its documents back at launch.
#include "AppDelegate.h"

#include "JournalKeeper.h"
#include "editor/EditorTextView.h"
#include "git/DocumentBlame.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QScrollBar>
#include <QSessionManager>
#include <QTextCursor>

void AppDelegate::startJournal()
{
    journal = std::make_unique<JournalKeeper>(Journal::defaultFolder());
    journal->selectionOf = [](const OpenDocument &document) {
        if (!document.textView)
            return document.selectedRange;
        const QTextCursor cursor = document.textView->textCursor();
        return TextRange { cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart() };
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
    // The journal keeps the lines; every line takes the file's most common break back.
    QString fileText = record.text;
    fileText.replace(QChar(u'\n'), LineBreaks::sequence(state.lineEnding).toString());
    if (const int index = indexOfPath(state.path); index >= 0) {
        document = documents[index];
        replacingText = true;
        document->textView->setFileText(fileText);
        replacingText = false;
        if (document->blame)
            document->blame->reset();
    } else {
        document = makeDocument(state.path, DecodedText { fileText, state.encoding });
        attachBlame(document);
        placeDocument(document, false);
    }
    restoreBookmarks(*document, storedBookmarkLines(state.path));
    document->encoding = state.encoding;
    document->isPlain = TextFile::hasVeryLongLines(record.text);
    document->diskDate = state.diskDate;
    // A file saved by someone else meanwhile gets the usual question at the next save.
    document->changedOnDisk = changedSinceRead(*document);
    document->isDirty = true;
    document->isPreview = false;
    document->selectedRange = state.selection;
    document->scrollOrigin = state.scroll;
    if (state.remote)
        setRemoteOrigin(document, *state.remote);
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
