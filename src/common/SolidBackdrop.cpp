#include "SolidBackdrop.h"

#include "Theme.h"

#include <QPainter>

SolidBackdrop::SolidBackdrop(QWidget *parent)
    : QWidget(parent)
{
}

void SolidBackdrop::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::windowBackground(palette()));
}
