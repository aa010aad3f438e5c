#include "RemoteOutline.h"

#include <QContextMenuEvent>
#include <QMenu>

RemoteOutline::RemoteOutline(QWidget *parent)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setIndentation(12);
    setIconSize(QSize(16, 16));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A click already toggles a folder; the second click of a double click must not undo it.
    setExpandsOnDoubleClick(false);
    setAnimated(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void RemoteOutline::contextMenuEvent(QContextMenuEvent *event)
{
    const bool fromKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QModelIndex row = fromKeyboard ? currentIndex() : indexAt(event->pos());
    QMenu *menu = row.isValid() && menuForRow ? menuForRow(row) : nullptr;
    if (!menu)
        return;
    const QRect cell = visualRect(row);
    menu->exec(fromKeyboard ? viewport()->mapToGlobal(cell.bottomLeft()) : event->globalPos());
    menu->deleteLater();
}
