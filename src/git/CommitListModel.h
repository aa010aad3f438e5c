#pragma once

#include "Commit.h"

#include <QAbstractListModel>
#include <QList>

// The rows of the Git log pane: one per commit shown, newest first, and a last "Load more…"
// row while the last page read was full.
class CommitListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        DetailRole = Qt::UserRole + 1, // commit rows: author, age and short hash
        LoadMoreRole, // true on the "Load more…" row
    };

    explicit CommitListModel(QObject *parent = nullptr);

    // Shows the first page; more can be read when it is full.
    void setCommits(const QList<Commit> &firstPage, int pageSize);
    // Adds a further page after the commits shown; more can be read when it is full.
    void appendPage(const QList<Commit> &page, int pageSize);
    void clear();

    const QList<Commit> &commits() const { return shown; }
    bool canLoadMore() const { return more; }
    // The commit of a row, or nullptr for the "Load more…" row and rows out of range.
    const Commit *commitAt(int row) const;
    bool isLoadMoreRow(int row) const { return more && row == shown.size(); }
    // The row of the commit with that sha, or -1.
    int rowOf(const QString &sha) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QList<Commit> shown;
    bool more = false;
};
