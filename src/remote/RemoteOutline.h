#pragma once

#include <QTreeView>

#include <functional>

class QMenu;

// The Remote pane's tree view: rows of different heights, no header, folders toggled by the
// pane rather than by double clicks.
class RemoteOutline : public QTreeView
{
    Q_OBJECT
public:
    explicit RemoteOutline(QWidget *parent = nullptr);

    // The menu for a row; none for the empty area. The outline deletes it once it has closed.
    std::function<QMenu *(const QModelIndex &row)> menuForRow;

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
