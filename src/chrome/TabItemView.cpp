#include "TabItemView.h"

#include "TabLayout.h"
#include "common/Theme.h"

#include <QContextMenuEvent>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace
{

constexpr int closeSide = 16;

QFont smallFont(const QFont &base, QFont::Weight weight, bool italic)
{
    QFont font = base;
    font.setPointSizeF(11);
    font.setWeight(weight);
    font.setItalic(italic);
    return font;
}

// Room for the whole title, an italic one's overhang included.
int textWidth(const QFontMetrics &metrics, const QString &text)
{
    return std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).right() + 1);
}

QGraphicsDropShadowEffect *liftShadow(QObject *parent)
{
    auto *shadow = new QGraphicsDropShadowEffect(parent);
    shadow->setColor(QColor(0, 0, 0, qRound(0.3 * 255)));
    shadow->setOffset(0, 1);
    shadow->setBlurRadius(4);
    return shadow;
}

}

TabItemView::TabItemView(
    const QString &title, int index, bool selected, bool preview, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_index(index)
    , m_originIndex(index)
    , m_selected(selected)
    , m_preview(preview)
    , m_label(new QLabel(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("tab"));
    m_label->setObjectName(QStringLiteral("title"));
    m_label->setFont(smallFont(font(), QFont::Normal, preview));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setText(QStringLiteral("\u00D7"));
    m_close->setFont(smallFont(font(), QFont::Medium, false));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setFixedSize(closeSide, closeSide);
    m_close->setAccessibleName(QStringLiteral("Close tab"));
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (onClose)
            onClose(m_index);
    });
    applyColours();
    resize(sizeHint());
}

void TabItemView::setLifted(bool lifted)
{
    if (lifted == m_lifted)
        return;
    m_lifted = lifted;
    if (lifted) {
        raise();
        setGraphicsEffect(liftShadow(this));
    } else {
        setGraphicsEffect(nullptr);
    }
}

void TabItemView::setCloseShown(bool shown)
{
    m_close->setVisible(shown);
}

QSize TabItemView::sizeHint() const
{
    return { TabLayout::tabWidth(textWidth(m_label->fontMetrics(), m_title), closeSide),
        TabLayout::tabHeight };
}

void TabItemView::paintEvent(QPaintEvent *)
{
    if (!m_selected)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::textBackground(palette()));
    painter.drawRoundedRect(QRectF(rect()), TabLayout::cornerRadius, TabLayout::cornerRadius);
}

void TabItemView::resizeEvent(QResizeEvent *)
{
    layoutContents();
}

bool TabItemView::event(QEvent *event)
{
    // Losing the window ends the press as if the button had been let go where it went down.
    if (event->type() == QEvent::WindowDeactivate)
        endTracking();
    else if (event->type() == QEvent::PaletteChange)
        applyColours();
    return QWidget::event(event);
}

void TabItemView::applyColours()
{
    QPalette colours = m_label->palette();
    colours.setColor(
        QPalette::WindowText, m_selected ? Theme::accent(palette()) : Theme::label(palette()));
    m_label->setPalette(colours);
}

void TabItemView::layoutContents()
{
    const int closeX = width() - TabLayout::closeInset - closeSide;
    m_close->move(closeX, (height() - closeSide) / 2);
    const int labelWidth = std::max(0, closeX - TabLayout::closeGap - TabLayout::titleInset);
    const int labelHeight = m_label->fontMetrics().height();
    m_label->setGeometry(
        TabLayout::titleInset, (height() - labelHeight) / 2, labelWidth, labelHeight);
    const QFontMetrics metrics = m_label->fontMetrics();
    m_label->setText(textWidth(metrics, m_title) <= labelWidth
            ? m_title
            : metrics.elidedText(m_title, Qt::ElideRight, labelWidth));
}

void TabItemView::reportHover(bool entered)
{
    if (onHover)
        onHover(m_index, entered);
}

void TabItemView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::MiddleButton) {
        m_middlePressed = true;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    reportHover(false);
    m_pressed = true;
    m_doubleClick = false;
    m_dragging = false;
    m_pressLocal = event->position();
    m_pressWindow = event->scenePosition();
}

void TabItemView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press has already arrived as a press; this only marks it.
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    if (!m_pressed)
        mousePressEvent(event);
    m_doubleClick = true;
}

void TabItemView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    // Measured in the window: the tab itself moves while it is dragged.
    const QPointF point = event->scenePosition();
    if (!TabLayout::startsDrag(point.x() - m_pressWindow.x()))
        return;
    if (!m_dragging) {
        m_dragging = true;
        if (onDragBegan)
            onDragBegan(m_index, m_pressLocal);
    }
    if (onDragMoved)
        onDragMoved(point);
}

void TabItemView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const int index = m_index;
    if (event->button() == Qt::MiddleButton && m_middlePressed) {
        m_middlePressed = false;
        if (rect().contains(event->position().toPoint()) && onClose)
            onClose(index);
        return;
    }
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        if (onDragEnded)
            onDragEnded(event->scenePosition());
        return;
    }
    const bool promote = m_doubleClick;
    if (onSelect)
        onSelect(index);
    if (promote && onPromote)
        onPromote(index);
}

void TabItemView::endTracking()
{
    const bool dragging = m_pressed && m_dragging;
    m_pressed = false;
    m_dragging = false;
    m_middlePressed = false;
    if (dragging && onDragEnded)
        onDragEnded(m_pressWindow);
}

void TabItemView::enterEvent(QEnterEvent *)
{
    if (isActiveWindow())
        reportHover(true);
}

void TabItemView::leaveEvent(QEvent *)
{
    reportHover(false);
}

void TabItemView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    reportHover(false);
    QMenu *menu = menuProvider ? menuProvider(m_index) : nullptr;
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
