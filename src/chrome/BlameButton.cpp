#include "BlameButton.h"

#include "common/Theme.h"

#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace
{

constexpr int symbolSize = 10;
constexpr int symbolGap = 4;

}

BlameButton::BlameButton(const QString &symbol, const QString &symbolDescription, QWidget *parent)
    : QAbstractButton(parent)
    , symbol(symbol)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleDescription(symbolDescription);
    QFont small = font();
    small.setPointSizeF(11);
    setFont(small);
}

void BlameButton::setTint(const QColor &colour)
{
    symbolTint = colour;
    update();
}

QColor BlameButton::tint() const
{
    // Resolved when asked, so a palette change is followed without being told.
    return symbolTint.isValid() ? symbolTint : Theme::secondaryLabel(palette());
}

QSize BlameButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const int titleWidth
        = text().isEmpty() ? 0 : symbolGap + qCeil(metrics.horizontalAdvance(text()));
    return { symbolSize + titleWidth, std::max(symbolSize, qCeil(metrics.height())) };
}

QSize BlameButton::minimumSizeHint() const
{
    return { symbolSize, sizeHint().height() };
}

void BlameButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap icon = Theme::symbol(symbol, tint(), symbolSize, devicePixelRatioF());
    painter.drawPixmap(QPointF(0, (height() - symbolSize) / 2.0), icon);
    const QRect titleRect = rect().adjusted(symbolSize + symbolGap, 0, 0, 0);
    if (titleRect.width() <= 0)
        return;
    painter.setPen(Theme::secondaryLabel(palette()));
    // Cut only when narrower than asked for: eliding measures a little wider than the advance.
    const bool fits = titleRect.width() >= sizeHint().width() - symbolSize - symbolGap;
    const QString shown
        = fits ? text() : fontMetrics().elidedText(text(), Qt::ElideRight, titleRect.width());
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, shown);
}
