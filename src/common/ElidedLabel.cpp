#include "ElidedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

ElidedLabel::ElidedLabel(QWidget *parent)
    : ElidedLabel(QString(), parent)
{
}

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QMargins around = contentsMargins();
    return { fontMetrics().horizontalAdvance(QChar(0x2026)) + 2 * margin() + around.left()
            + around.right(),
        QLabel::minimumSizeHint().height() };
}

QRect ElidedLabel::textRect() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

bool ElidedLabel::isElided() const
{
    return fontMetrics().horizontalAdvance(text()) > textRect().width();
}

QString ElidedLabel::shownText() const
{
    return isElided() ? fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width())
                      : text();
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const Qt::Alignment aligned = QStyle::visualAlignment(layoutDirection(), alignment());
    style()->drawItemText(&painter, textRect(), int(aligned), palette(), isEnabled(), shownText(),
        foregroundRole());
}

bool ElidedLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && isElided()) {
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}
