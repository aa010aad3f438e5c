// The commit view over the editor: opened from the git log pane or a blame card, closed by
// Escape, Close Tab, the settings pane or another tab.
#include "AppDelegate.h"

#include "EditorHost.h"
#include "editor/EditorTextView.h"
#include "git/CommitView.h"
#include "git/GitLogView.h"
#include "git/GitQueries.h"

#include <QBoxLayout>

void AppDelegate::showCommitView(const Commit &commit, const GitSource &root)
{
    closeSettings();
    if (!commitView) {
        commitView = new CommitView(editorContainer);
        commitView->onClose = [this] { closeCommitView(); };
        auto *layout = static_cast<QBoxLayout *>(editorContainer->layout());
        layout->insertWidget(layout->indexOf(scrollView), commitView, 1);
    }
    shownCommit = commit;
    commitView->showCommit(commit, root);
    gitLog->select(commit.sha);
    scrollView->hide();
    commitView->show();
    commitView->setFocus();
}

bool AppDelegate::isCommitViewShown() const
{
    return commitView && commitView->isVisible();
}

void AppDelegate::closeCommitView()
{
    if (!isCommitViewShown())
        return;
    commitView->hide();
    scrollView->show();
    shownCommit.reset();
    if (const DocumentPtr active = activeDocument(); active && active->textView)
        active->textView->setFocus();
}

// A blame card's "Show Commit": the commit as the repository that holds the file knows it.
void AppDelegate::showCommit(const QString &folder, const QString &sha)
{
    const GitSource source = GitSource::local(folder);
    gitWork(source, [this, source, sha] {
        const std::optional<GitSource> root = source.repositoryRoot();
        const std::optional<Commit> found = root ? GitQueries::commit(*root, sha) : std::nullopt;
        QMetaObject::invokeMethod(
            this,
            [this, root, found] {
                if (!found) {
                    showNote(QStringLiteral("Couldn't find that commit"));
                    return;
                }
                showCommitView(*found, *root);
            },
            Qt::QueuedConnection);
    });
}
