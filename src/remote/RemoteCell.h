#pragma once

#include <QStyledItemDelegate>

// Draws one row of the Remote pane. A machine: its symbol, its name and under it how it is
// connected, in that state's colour. A folder or file: its symbol and name, and the reason in
// red when its listing failed.
class RemoteCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int hostRowHeight = 38;
    static constexpr int nodeRowHeight = 22;
    static constexpr int iconSize = 16;

    explicit RemoteCell(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintHost(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
    void paintNode(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const;
};
