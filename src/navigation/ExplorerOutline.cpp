#include "ExplorerOutline.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

ExplorerOutline::ExplorerOutline(QWidget *parent)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setIndentation(12);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A click on a folder already toggles it; a second one must not toggle it back.
    setExpandsOnDoubleClick(false);
    setAnimated(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setMouseTracking(true);
    header()->setStretchLastSection(true);
}

QRect ExplorerOutline::globalRowRect(const QModelIndex &row) const
{
    const QRect cell = visualRect(row);
    if (cell.isNull())
        return {};
    const QRect local(0, cell.top(), viewport()->width(), cell.height());
    return QRect(viewport()->mapToGlobal(local.topLeft()), local.size());
}

void ExplorerOutline::mousePressEvent(QMouseEvent *event)
{
    // A right click only asks for a menu; the selection stays as it is.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    const QModelIndex row = indexAt(event->position().toPoint());
    const bool wasExpanded = isExpanded(row);
    QTreeView::mousePressEvent(event);
    // A press on the disclosure arrow has toggled the folder already; it is no click.
    m_clickArmed
        = event->button() == Qt::LeftButton && row.isValid() && isExpanded(row) == wasExpanded;
    m_pressedRow = row;
}

void ExplorerOutline::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    const QModelIndex row = indexAt(event->position().toPoint());
    const bool click
        = m_clickArmed && event->button() == Qt::LeftButton && row.isValid() && row == m_pressedRow;
    m_clickArmed = false;
    if (click && onClickRow)
        onClickRow(row, event->modifiers());
}

void ExplorerOutline::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex row = indexAt(event->position().toPoint());
    const bool wasExpanded = isExpanded(row);
    QTreeView::mouseDoubleClickEvent(event);
    // The release that ends a double click is not a click of its own.
    m_clickArmed = false;
    if (event->button() == Qt::LeftButton && row.isValid() && isExpanded(row) == wasExpanded
        && onDoubleClickRow)
        onDoubleClickRow(row);
}

void ExplorerOutline::mouseMoveEvent(QMouseEvent *event)
{
    QTreeView::mouseMoveEvent(event);
    setHoveredRow(indexAt(event->position().toPoint()));
}

bool ExplorerOutline::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        setHoveredRow({});
    return QTreeView::viewportEvent(event);
}

void ExplorerOutline::setHoveredRow(const QModelIndex &row)
{
    if (row == m_hoveredRow)
        return;
    m_hoveredRow = row;
    if (onHoverRow)
        onHoverRow(row);
}

void ExplorerOutline::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        if (onDeleteKey)
            onDeleteKey();
        event->accept();
        return;
    }
    m_handlingKey = true;
    QTreeView::keyPressEvent(event);
    m_handlingKey = false;
    if (onKeyHandled)
        onKeyHandled();
}

void ExplorerOutline::contextMenuEvent(QContextMenuEvent *event)
{
    const bool fromKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex row = fromKeyboard ? currentIndex() : indexAt(event->pos());
    QMenu *menu = menuForRow ? menuForRow(row) : nullptr;
    if (!menu)
        return;
    const QRect cell = visualRect(row);
    const bool atRow = fromKeyboard && !cell.isNull();
    menu->exec(atRow ? viewport()->mapToGlobal(cell.bottomLeft()) : event->globalPos());
    menu->deleteLater();
}
