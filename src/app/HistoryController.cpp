#include "HistoryController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"
#include "EditorHost.h"
#include "common/Defaults.h"
#include "common/RelativeTime.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "editor/LineNumberGutter.h"
#include "editor/PaintScheduler.h"
#include "git/CommitView.h"
#include "git/GitLogView.h"
#include "git/GitQueries.h"
#include "git/GitRun.h"

#include <QBoxLayout>
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

HistoryController::HistoryController(AppDelegate &app)
    : app(app)
{
}

HistoryController::~HistoryController() = default;

void HistoryController::step(int delta)
{
    const DocumentPtr document = app.documents().activeDocument();
    if (!document)
        return;
    if (!gitAvailable()) {
        app.window().showNote(QStringLiteral("History needs git — install the git package"));
        return;
    }
    if (!document->revisions) {
        std::weak_ptr<OpenDocument> weak = document;
        QPointer<HistoryController> self = this;
        const QString path = document->path();
        gitWork(folderSource(*document), [self, weak, path, delta] {
            QList<Revision> revisions = GitQueries::fileRevisions(path);
            QMetaObject::invokeMethod(self, [self, weak, revisions = std::move(revisions), delta] {
                const DocumentPtr strong = weak.lock();
                if (!self || !strong)
                    return;
                const std::vector<DocumentPtr> &documents = self->app.documents().all();
                if (std::find(documents.begin(), documents.end(), strong) == documents.end())
                    return;
                strong->revisions = revisions;
                if (strong == self->app.documents().activeDocument())
                    self->step(delta);
            }, Qt::QueuedConnection);
        });
        return;
    }
    if (document->revisions->isEmpty()) {
        app.window().showNote(QStringLiteral("No git history for this file"));
        return;
    }
    if (!document->historyIndex) {
        if (delta >= 1)
            showRevision(0, true);
        return;
    }
    const int index = *document->historyIndex + delta;
    if (index < 0)
        leave();
    else if (index >= document->revisions->size())
        app.window().showNote(QStringLiteral("That is the oldest version"));
    else
        showRevision(index, false);
}

void HistoryController::showRevision(int index, bool fromLive)
{
    const DocumentPtr document = app.documents().activeDocument();
    if (!document || !document->revisions || index < 0 || index >= document->revisions->size())
        return;
    const int generation = ++document->historyGeneration;
    const Revision revision = document->revisions->at(index);
    std::weak_ptr<OpenDocument> weak = document;
    QPointer<HistoryController> self = this;
    const QString path = document->path();
    gitWork(folderSource(*document), [self, weak, path, revision, index, fromLive, generation] {
        const std::optional<QString> text = GitQueries::fileAtRevision(path, revision);
        QMetaObject::invokeMethod(self, [self, weak, text, index, fromLive, generation] {
            const DocumentPtr strong = weak.lock();
            if (!self || !strong || strong->historyGeneration != generation || strong != self->app.documents().activeDocument())
                return;
            if (!text) {
                self->app.window().showNote(QStringLiteral("Couldn't read that version"));
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

void HistoryController::showVersionText(const DocumentPtr &document, int index, const QString &text)
{
    const bool fromLive = !document->historyIndex;
    if (fromLive)
        app.tabs().rememberPlace();
    document->historyIndex = index;
    if (!m_view) {
        m_view = new EditorTextView();
        m_view->setReadOnly(true);
        m_view->onEscape = [this] { leave(); };
        connect(m_view, &TextArea::selectionChanged, this, [this] { app.window().scheduleStatusRefresh(); });
    }
    m_view->setFont(document->textView->font());
    m_view->setFileText(text);
    m_view->setWordWrap(Defaults::wrap() && !document->isPlain);
    app.window().scrollView()->install(m_view);
    app.window().lineRuler()->setTextView(m_view);
    app.window().findBar()->setTextView(m_view);
    if (fromLive)
        m_view->verticalScrollBar()->setValue(0);
    m_view->setFocus();
    app.window().painter()->show(m_view, document->url, document->isPlain);
    app.window().updateTitle();
}

void HistoryController::leave()
{
    const DocumentPtr document = app.documents().activeDocument();
    if (!document || !document->historyIndex)
        return;
    document->historyIndex.reset();
    document->historyGeneration += 1;
    app.documents().setActive(app.documents().activeIndex()); // the active document is shown again
    app.tabs().installView(*document);
    document->textView->setFocus();
    app.window().updateTitle();
}

QString HistoryController::note(const OpenDocument &document) const
{
    if (!document.historyIndex || !document.revisions)
        return {};
    const Revision &revision = document.revisions->at(*document.historyIndex);
    return revision.sha.left(7) + QStringLiteral(" · ") + relativeTime(revision.date) + QStringLiteral(" · ")
        + revision.subject + QStringLiteral("  —  ") + shortcutText(QKeySequence(QStringLiteral("Ctrl+]")))
        + QStringLiteral(" newer · Esc back");
}

EditorTextView *HistoryController::view() const
{
    return m_view;
}

void HistoryController::showCommitView(const Commit &commit, const GitSource &root)
{
    app.window().closeSettings();
    if (!m_commitView) {
        m_commitView = new CommitView(app.window().editorContainer());
        m_commitView->onClose = [this] { closeCommitView(); };
        auto *layout = static_cast<QBoxLayout *>(app.window().editorContainer()->layout());
        layout->insertWidget(layout->indexOf(app.window().scrollView()), m_commitView, 1);
    }
    m_shownCommit = commit;
    m_commitView->showCommit(commit, root);
    app.window().gitLog()->select(commit.sha);
    app.window().scrollView()->hide();
    m_commitView->show();
    m_commitView->setFocus();
}

bool HistoryController::isCommitViewShown() const
{
    return m_commitView && m_commitView->isVisible();
}

void HistoryController::closeCommitView()
{
    if (!isCommitViewShown())
        return;
    m_commitView->hide();
    app.window().scrollView()->show();
    m_shownCommit.reset();
    if (const DocumentPtr active = app.documents().activeDocument(); active && active->textView)
        active->textView->setFocus();
}

// A blame card's "Show Commit": the commit as the repository that holds the file knows it.
void HistoryController::showCommit(const QString &folder, const QString &sha)
{
    const GitSource source = GitSource::local(folder);
    gitWork(source, [this, source, sha] {
        const std::optional<GitSource> root = source.repositoryRoot();
        const std::optional<Commit> found = root ? GitQueries::commit(*root, sha) : std::nullopt;
        QMetaObject::invokeMethod(
            this,
            [this, root, found] {
                if (!found) {
                    app.window().showNote(QStringLiteral("Couldn't find that commit"));
                    return;
                }
                showCommitView(*found, *root);
            },
            Qt::QueuedConnection);
    });
}
