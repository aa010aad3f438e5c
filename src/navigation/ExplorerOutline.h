#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

#include <functional>

class QMenu;

// The Explorer's tree view. It turns mouse and key input into row-level reports; what a report
// means is decided by its owner.
class ExplorerOutline : public QTreeView
{
    Q_OBJECT
public:
    explicit ExplorerOutline(QWidget *parent = nullptr);

    // The menu for a row, or for the empty area when the index is invalid. The view deletes
    // the menu once it has closed.
    std::function<QMenu *(const QModelIndex &row)> menuForRow;
    std::function<void()> onDeleteKey;
    // The row under the pointer changed; an invalid index when it left the rows.
    std::function<void(const QModelIndex &row)> onHoverRow;
    // A left click that pressed and released on the same row without toggling it.
    std::function<void(const QModelIndex &row, Qt::KeyboardModifiers modifiers)> onClickRow;
    std::function<void(const QModelIndex &row)> onDoubleClickRow;
    // A key press has been handled in full (selection changes it made included).
    std::function<void()> onKeyHandled;

    QModelIndex hoveredRow() const { return m_hoveredRow; }
    // True while a key press is being handled, so that its selection changes can be told apart.
    bool isHandlingKey() const { return m_handlingKey; }
    // The whole row in global coordinates, indentation included.
    QRect globalRowRect(const QModelIndex &row) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void setHoveredRow(const QModelIndex &row);

    QPersistentModelIndex m_hoveredRow;
    QPersistentModelIndex m_pressedRow;
    bool m_clickArmed = false;
    bool m_handlingKey = false;
};
