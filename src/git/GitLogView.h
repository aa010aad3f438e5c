#pragma once

#include "Commit.h"
#include "GitLogPaging.h"
#include "GitSource.h"
#include "Place.h"
#include "common/SolidBackdrop.h"

#include <QString>

#include <functional>
#include <optional>

class CommitCell;
class CommitListModel;
class QLabel;
class QListView;
class QToolButton;

// The Git log pane: the commits of the repository that holds a place, newest first, 200 at a
// time, under a header naming the branch and the repository. Works the same for a local folder
// and for a folder on an ssh host. Answers that arrive after the pane was pointed elsewhere are
// dropped.
class GitLogView : public SolidBackdrop
{
    Q_OBJECT
public:
    explicit GitLogView(QWidget *parent = nullptr);
    ~GitLogView() override;

    // The user chose a commit row (never called for select or for the selection a reload
    // restores): the commit and the root of the repository it belongs to.
    std::function<void(const Commit &commit, const GitSource &root)> onSelect;

    // Reads the log of the repository that holds the place; none shows that there is no
    // workspace. The refresh button loads the last place again.
    void load(const std::optional<Place> &place);
    // Marks the commit with that sha as chosen, without reporting it; no row is selected when
    // it is not shown.
    void select(const QString &sha);

    // The root of the repository shown, or nothing while a notice is shown.
    const std::optional<GitSource> &repo() const { return paging.repo(); }
    const std::optional<Place> &lastPlace() const { return paging.lastPlace(); }
    bool isLoadingMore() const { return paging.isLoadingMore(); }

    QLabel *header() const { return m_header; }
    QLabel *notice() const { return m_notice; }
    QToolButton *refreshButton() const { return m_refresh; }
    QListView *table() const { return m_table; }
    CommitListModel *model() const { return m_model; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildHeader();
    void buildTable();
    void takeFirstPage(const GitSource &place, const GitLogPaging::FirstPage &found);
    void showLog(
        const GitSource &root, const std::optional<QString> &branch, const QList<Commit> &commits);
    void showNotice(const QString &text);
    void loadMore();
    void takePage(const QList<Commit> &page);
    void selectionChanged();
    void restoreSelection();
    void updateRefreshIcon();

    GitLogPaging paging;
    // Set while the pane changes the selection itself: no report follows.
    bool programmaticSelection = false;
    CommitListModel *m_model;
    CommitCell *m_cell;
    QLabel *m_header = nullptr;
    QLabel *m_notice = nullptr;
    QToolButton *m_refresh = nullptr;
    QListView *m_table = nullptr;
};
