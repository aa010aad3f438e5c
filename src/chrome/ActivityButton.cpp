#include "ActivityButton.h"

#include "common/Theme.h"

#include <QEvent>
#include <QPainter>

namespace
{

constexpr QSize buttonSize(43, 42);
constexpr int symbolSize = 19;
constexpr int markerWidth = 2;
constexpr int markerInset = 6;

}

ActivityButton::ActivityButton(const QString &symbol, const QString &title, QWidget *parent)
    : QAbstractButton(parent)
    , symbol(symbol)
    , activeMarker(new QWidget(this))
{
    setFixedSize(buttonSize);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(title);
    setAccessibleName(title);
    activeMarker->setGeometry(0, markerInset, markerWidth, buttonSize.height() - 2 * markerInset);
    // Filled with its own Window colour: left alone it would take the button's background role.
    activeMarker->setBackgroundRole(QPalette::Window);
    activeMarker->setAutoFillBackground(true);
    activeMarker->hide();
    paintMarker();
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onClick)
            onClick();
    });
}

void ActivityButton::setActive(bool isActive)
{
    active = isActive;
    activeMarker->setVisible(isActive);
    update();
}

QSize ActivityButton::sizeHint() const
{
    return buttonSize;
}

void ActivityButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor tint = active ? Theme::label(palette()) : Theme::tertiaryLabel(palette());
    const QPixmap icon = Theme::symbol(symbol, tint, symbolSize, devicePixelRatioF());
    const QSizeF size = icon.deviceIndependentSize();
    painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), icon);
}

void ActivityButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        paintMarker();
    QAbstractButton::changeEvent(event);
}

void ActivityButton::paintMarker()
{
    QPalette colours = activeMarker->palette();
    colours.setColor(QPalette::Window, Theme::accent(palette()));
    activeMarker->setPalette(colours);
}
