#pragma once

#include "OpenDocument.h"
#include "git/Commit.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class AppDelegate;
class CommitView;
class EditorTextView;
class GitSource;

// Older versions of the active file in a read-only view that takes the editor's place, and
// the commit view over the editor, opened from the git log pane or a blame card.
class HistoryController : public QObject {
    Q_OBJECT
public:
    explicit HistoryController(AppDelegate &app);
    ~HistoryController() override;

    // Older (+1) or newer (-1) than the version on show; newer than the newest is the live text.
    void step(int delta);
    void leave(); // back to the live text
    // The subtitle while an older version is on show; empty otherwise.
    QString note(const OpenDocument &document) const;
    // The view that shows older versions, once one was shown.
    EditorTextView *view() const;

    void showCommitView(const Commit &commit, const GitSource &root);
    // The commit as the repository that holds the folder knows it.
    void showCommit(const QString &folder, const QString &sha);
    void closeCommitView();
    bool isCommitViewShown() const;
    const std::optional<Commit> &shownCommit() const { return m_shownCommit; }
    CommitView *commitView() const { return m_commitView; }

private:
    void showRevision(int index, bool fromLive);
    void showVersionText(const DocumentPtr &document, int index, const QString &text);

    AppDelegate &app;
    QPointer<EditorTextView> m_view;
    CommitView *m_commitView = nullptr; // made the first time a commit is shown
    std::optional<Commit> m_shownCommit;
};
