#pragma once

#include <QStyledItemDelegate>

// Draws a row of the Git log pane: a commit's subject over its author, age and short hash, or
// the "Load more…" row in the accent colour. Rows are 44 points high.
class CommitCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 44;

    explicit CommitCell(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
