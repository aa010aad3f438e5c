#include "GitLogView.h"

#include "BranchHeaderLabel.h"
#include "CommitCell.h"
#include "CommitListModel.h"
#include "GitLogTexts.h"
#include "GitRun.h"
#include "common/Theme.h"
#include "common/MainThread.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace
{

constexpr qreal headerPoints = 11;
constexpr qreal noticePoints = 12;
constexpr int refreshIconPoints = 16;

// Changes made by the pane itself while this lives are not the user's choice.
class Programmatic
{
public:
    explicit Programmatic(bool &flag)
        : flag(flag)
        , before(std::exchange(flag, true))
    {
    }
    ~Programmatic() { flag = before; }
    Programmatic(const Programmatic &) = delete;
    Programmatic &operator=(const Programmatic &) = delete;

private:
    bool &flag;
    bool before;
};

// Runs the answer on the main thread, unless the pane is gone by then.
void answer(QPointer<GitLogView> view, std::function<void(GitLogView *)> apply)
{
    MainThread::post([view, apply = std::move(apply)] {
        if (view)
            apply(view);
    });
}

}

GitLogView::GitLogView(QWidget *parent)
    : SolidBackdrop(parent)
    , m_model(new CommitListModel(this))
    , m_cell(new CommitCell(this))
{
    m_notice = new QLabel(this);
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_notice->setContentsMargins(10, 8, 10, 8);
    m_notice->setFont(Theme::pointFont(font(), noticePoints));
    m_notice->setForegroundRole(QPalette::PlaceholderText);
    buildTable();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(m_notice, 1);
    layout->addWidget(m_table, 1);
    showNotice(QString());
}

GitLogView::~GitLogView() = default;

QWidget *GitLogView::buildHeader()
{
    auto *row = new QWidget(this);
    m_header = new BranchHeaderLabel(row);
    m_header->setFont(Theme::pointFont(font(), headerPoints, QFont::DemiBold));
    // A long branch or repository name is cut rather than widening the sidebar.
    m_header->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_refresh = new QToolButton(row);
    m_refresh->setToolTip(GitLogTexts::refreshToolTip());
    m_refresh->setAutoRaise(true);
    m_refresh->setFocusPolicy(Qt::NoFocus);
    updateRefreshIcon();
    connect(m_refresh, &QToolButton::clicked, this, [this] { load(paging.lastPlace()); });
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(10, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_header, 1);
    layout->addWidget(m_refresh);
    return row;
}

void GitLogView::buildTable()
{
    m_table = new QListView(this);
    m_table->setModel(m_model);
    m_table->setItemDelegate(m_cell);
    m_table->setUniformItemSizes(true);
    m_table->setSpacing(0);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->setFrameShape(QFrame::NoFrame);
    // Clear: the backdrop shows through.
    m_table->setAutoFillBackground(false);
    m_table->viewport()->setAutoFillBackground(false);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { selectionChanged(); });
}

void GitLogView::changeEvent(QEvent *event)
{
    SolidBackdrop::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateRefreshIcon();
}

void GitLogView::updateRefreshIcon()
{
    m_refresh->setIcon(Theme::symbolIcon(
        QStringLiteral("arrow.clockwise"), Theme::secondaryLabel(palette()), refreshIconPoints));
}

void GitLogView::load(const std::optional<Place> &place)
{
    const int generation = paging.startLoad(place);
    if (!place) {
        showNotice(GitLogTexts::noWorkspace());
        return;
    }
    // A remote place runs the host's git and never asks about this machine's.
    if (place->isLocal() && !gitAvailable()) {
        showNotice(GitLogTexts::gitMissing());
        return;
    }
    const GitSource source = place->source();
    QPointer<GitLogView> self(this);
    gitWork(source, [self, generation, source] {
        GitLogPaging::FirstPage found = GitLogPaging::readFirstPage(source);
        answer(self, [generation, source, found = std::move(found)](GitLogView *view) {
            if (view->paging.isCurrent(generation))
                view->takeFirstPage(source, found);
        });
    });
}

void GitLogView::takeFirstPage(const GitSource &place, const GitLogPaging::FirstPage &found)
{
    if (!found.root)
        showNotice(GitLogTexts::notRepository(place.displayName()));
    else
        showLog(*found.root, found.branch, found.commits);
}

void GitLogView::showLog(
    const GitSource &root, const std::optional<QString> &branch, const QList<Commit> &commits)
{
    if (commits.isEmpty()) {
        showNotice(GitLogTexts::noCommits());
        return;
    }
    paging.setRepo(root);
    {
        Programmatic quiet(programmaticSelection);
        m_model->setCommits(commits, GitLogPaging::pageSize);
    }
    m_header->setText(GitLogTexts::header(branch, root));
    m_header->setToolTip(GitLogTexts::headerToolTip(root));
    m_notice->hide();
    m_table->show();
    restoreSelection();
}

void GitLogView::showNotice(const QString &text)
{
    paging.setRepo(std::nullopt);
    {
        Programmatic quiet(programmaticSelection);
        m_model->clear();
    }
    m_header->clear();
    m_header->setToolTip(QString());
    m_notice->setText(text);
    m_notice->show();
    m_table->hide();
}

void GitLogView::loadMore()
{
    {
        Programmatic quiet(programmaticSelection);
        m_table->selectionModel()->clear();
    }
    const std::optional<int> generation = paging.startPage(m_model->canLoadMore());
    if (!generation)
        return;
    const GitSource root = *paging.repo();
    const int skip = int(m_model->commits().size());
    QPointer<GitLogView> self(this);
    gitWork(root, [self, generation = *generation, root, skip] {
        QList<Commit> page = GitLogPaging::readPage(root, skip);
        answer(self, [generation, page = std::move(page)](GitLogView *view) {
            if (view->paging.finishPage(generation))
                view->takePage(page);
        });
    });
}

void GitLogView::takePage(const QList<Commit> &page)
{
    {
        Programmatic quiet(programmaticSelection);
        m_model->appendPage(page, GitLogPaging::pageSize);
    }
    restoreSelection();
}

void GitLogView::select(const QString &sha)
{
    paging.selectedSHA = sha;
    const int row = m_model->rowOf(sha);
    Programmatic quiet(programmaticSelection);
    if (row < 0) {
        m_table->selectionModel()->clear();
        return;
    }
    const QModelIndex index = m_model->index(row);
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_table->scrollTo(index);
}

void GitLogView::restoreSelection()
{
    if (paging.selectedSHA)
        select(*paging.selectedSHA);
}

void GitLogView::selectionChanged()
{
    if (programmaticSelection)
        return;
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const int row = rows.front().row();
    if (const Commit *shown = m_model->commitAt(row)) {
        // Copies: the callback may well load the pane again.
        const Commit commit = *shown;
        paging.selectedSHA = commit.sha;
        if (onSelect && paging.repo())
            onSelect(commit, GitSource(*paging.repo()));
    } else if (m_model->isLoadMoreRow(row)) {
        loadMore();
    }
}
