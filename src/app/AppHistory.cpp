// File history: stepping back through the committed versions of the active file in a read-only
// view that takes the editor's place, and back to the live text.
#include "AppDelegate.h"

#include "EditorHost.h"
#include "common/Defaults.h"
#include "common/RelativeTime.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "editor/LineNumberGutter.h"
#include "editor/PaintScheduler.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"

#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>

namespace {

GitSource folderSource(const OpenDocument &document)
{
    return GitSource::local(QFileInfo(document.path()).absolutePath());
}

}

void AppDelegate::stepHistory(int delta)
{
    const DocumentPtr document = activeDocument();
    if (!document)
        return;
    if (!gitAvailable()) {
        showNote(QStringLiteral("History needs git — install the git package"));
        return;
    }
    if (!document->revisions) {
        std::weak_ptr<OpenDocument> weak = document;
        QPointer<AppDelegate> self = this;
        const QString path = document->path();
        gitWork(folderSource(*document), [self, weak, path, delta] {
            QList<Revision> revisions = GitQueries::fileRevisions(path);
            QMetaObject::invokeMethod(self, [self, weak, revisions = std::move(revisions), delta] {
                const DocumentPtr strong = weak.lock();
                if (!self || !strong
                    || std::find(self->documents.begin(), self->documents.end(), strong) == self->documents.end())
                    return;
                strong->revisions = revisions;
                if (strong == self->activeDocument())
                    self->stepHistory(delta);
            }, Qt::QueuedConnection);
        });
        return;
    }
    if (document->revisions->isEmpty()) {
        showNote(QStringLiteral("No git history for this file"));
        return;
    }
    if (!document->historyIndex) {
        if (delta >= 1)
            showRevision(0, true);
        return;
    }
    const int index = *document->historyIndex + delta;
    if (index < 0)
        leaveHistory();
    else if (index >= document->revisions->size())
        showNote(QStringLiteral("That is the oldest version"));
    else
        showRevision(index, false);
}

void AppDelegate::showRevision(int index, bool fromLive)
{
    const DocumentPtr document = activeDocument();
    if (!document || !document->revisions || index < 0 || index >= document->revisions->size())
        return;
    const int generation = ++document->historyGeneration;
    const Revision revision = document->revisions->at(index);
    std::weak_ptr<OpenDocument> weak = document;
    QPointer<AppDelegate> self = this;
    const QString path = document->path();
    gitWork(folderSource(*document), [self, weak, path, revision, index, fromLive, generation] {
        const std::optional<QString> text = GitQueries::fileAtRevision(path, revision);
        QMetaObject::invokeMethod(self, [self, weak, text, index, fromLive, generation] {
            const DocumentPtr strong = weak.lock();
            if (!self || !strong || strong->historyGeneration != generation || strong != self->activeDocument())
                return;
            if (!text) {
                self->showNote(QStringLiteral("Couldn't read that version"));
                return;
            }
            // The newest commit usually equals the saved file: show the first that differs.
            if (fromLive && *text == strong->fileText() && index + 1 < strong->revisions->size()) {
                self->showRevision(index + 1, false);
                return;
            }
            self->showVersionText(strong, index, *text);
        }, Qt::QueuedConnection);
    });
}

void AppDelegate::showVersionText(const DocumentPtr &document, int index, const QString &text)
{
    const bool fromLive = !document->historyIndex;
    if (fromLive)
        rememberPlace();
    document->historyIndex = index;
    if (!historyView) {
        historyView = new EditorTextView();
        historyView->setReadOnly(true);
        historyView->onEscape = [this] { leaveHistory(); };
        connect(historyView, &TextArea::selectionChanged, this, [this] { scheduleStatusRefresh(); });
    }
    historyView->setFont(document->textView->font());
    historyView->setFileText(text);
    historyView->setWordWrap(Defaults::wrap() && !document->isPlain);
    scrollView->install(historyView);
    lineRuler->setTextView(historyView);
    findBar->setTextView(historyView);
    if (fromLive)
        historyView->verticalScrollBar()->setValue(0);
    historyView->setFocus();
    painter->show(historyView, document->url, document->isPlain);
    updateTitle();
}

void AppDelegate::leaveHistory()
{
    const DocumentPtr document = activeDocument();
    if (!document || !document->historyIndex)
        return;
    document->historyIndex.reset();
    document->historyGeneration += 1;
    shown = document;
    installView(*document);
    document->textView->setFocus();
    updateTitle();
}

QString AppDelegate::historyNote(const OpenDocument &document) const
{
    if (!document.historyIndex || !document.revisions)
        return {};
    const Revision &revision = document.revisions->at(*document.historyIndex);
    return revision.sha.left(7) + QStringLiteral(" · ") + relativeTime(revision.date) + QStringLiteral(" · ")
        + revision.subject + QStringLiteral("  —  ") + shortcutText(QKeySequence(QStringLiteral("Ctrl+]")))
        + QStringLiteral(" newer · Esc back");
}
