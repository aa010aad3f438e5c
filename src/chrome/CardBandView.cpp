#include "CardBandView.h"

#include "common/Theme.h"

#include <QPainter>

namespace
{

constexpr qreal washOpacity = 0.06;

}

CardBandView::CardBandView(qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , cornerRadius(cornerRadius)
{
}

void CardBandView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor wash = Theme::label(palette());
    wash.setAlphaF(washOpacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(wash);
    // Only the bottom corners are round: the top ones are pushed out of the clip.
    painter.setClipRect(rect());
    painter.drawRoundedRect(
        QRectF(rect()).adjusted(0, -cornerRadius, 0, 0), cornerRadius, cornerRadius);
}
