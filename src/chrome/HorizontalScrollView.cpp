#include "HorizontalScrollView.h"

#include "TabLayout.h"

#include <QScrollBar>
#include <QWheelEvent>

HorizontalScrollView::HorizontalScrollView(QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(false);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void HorizontalScrollView::wheelEvent(QWheelEvent *event)
{
    // A trackpad reports pixel deltas; a wheel only notches of 120.
    const QPoint angle = event->angleDelta();
    if (!event->pixelDelta().isNull() || angle.x() != 0 || angle.y() == 0 || !widget()) {
        QScrollArea::wheelEvent(event);
        return;
    }
    QScrollBar *bar = horizontalScrollBar();
    bar->setValue(TabLayout::sidewaysScroll(
        bar->value(), angle.y() / 120.0, widget()->width(), viewport()->width()));
    event->accept();
}
