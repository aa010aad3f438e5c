#include "CommitListModel.h"

#include "GitLogTexts.h"

CommitListModel::CommitListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

void CommitListModel::setCommits(const QList<Commit> &firstPage, int pageSize)
{
    beginResetModel();
    shown = firstPage;
    more = firstPage.size() == pageSize;
    endResetModel();
}

void CommitListModel::appendPage(const QList<Commit> &page, int pageSize)
{
    const int before = int(shown.size());
    const bool moreAfter = page.size() == pageSize;
    // The "Load more…" row stays the last one: it goes before the page comes and returns after,
    // so rows already shown keep their place and the list keeps its scroll position.
    if (more) {
        beginRemoveRows(QModelIndex(), before, before);
        more = false;
        endRemoveRows();
    }
    const int added = int(page.size()) + (moreAfter ? 1 : 0);
    if (added == 0)
        return;
    beginInsertRows(QModelIndex(), before, before + added - 1);
    shown += page;
    more = moreAfter;
    endInsertRows();
}

void CommitListModel::clear()
{
    beginResetModel();
    shown.clear();
    more = false;
    endResetModel();
}

const Commit *CommitListModel::commitAt(int row) const
{
    return row >= 0 && row < shown.size() ? &shown[row] : nullptr;
}

int CommitListModel::rowOf(const QString &sha) const
{
    for (int row = 0; row < shown.size(); ++row)
        if (shown[row].sha == sha)
            return row;
    return -1;
}

int CommitListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(shown.size()) + (more ? 1 : 0);
}

QVariant CommitListModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (index.parent().isValid() || row < 0 || row >= rowCount())
        return {};
    const Commit *commit = commitAt(row);
    switch (role) {
    case Qt::DisplayRole:
        return commit ? commit->subject : GitLogTexts::loadMore();
    case Qt::ToolTipRole:
        return commit ? commit->subject : QVariant();
    case DetailRole:
        return commit ? GitLogTexts::commitDetail(*commit) : QVariant();
    case LoadMoreRole:
        return commit == nullptr;
    default:
        return {};
    }
}

Qt::ItemFlags CommitListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
