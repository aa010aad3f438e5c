#include "StatusBarView.h"

#include "BlameButton.h"
#include "common/Theme.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace
{

constexpr int barHeight = 22;
constexpr int edgeInset = 10;
constexpr int leftSpacing = 14;
constexpr int rightSpacing = 16;
constexpr int minimumGap = 12;
constexpr int dividerHeight = 1;
// The items sit a little below the bar's centre, clear of the divider.
constexpr int centreDrop = 1;
constexpr qreal labelPoints = 11;

// The system's green, as it reads on a light or a dark background.
QColor connectedGreen(const QPalette &palette)
{
    return Theme::isDark(palette) ? QColor(48, 209, 88) : QColor(52, 199, 89);
}

struct ItemWidths {
    int remote = 0;
    int left = 0;
    int right = 0;
    int blame = 0;
};

// Shrinks the items until they fit the room: the blame and remote items give way first, then
// the caret text; the indent and encoding text keeps its whole width.
ItemWidths fitted(ItemWidths wanted, int room)
{
    int overflow = wanted.remote + wanted.left + wanted.right + wanted.blame - room;
    for (int *width : { &wanted.blame, &wanted.remote, &wanted.left }) {
        const int taken = std::clamp(overflow, 0, *width);
        *width -= taken;
        overflow -= taken;
    }
    return wanted;
}

int textWidth(const QLabel *label, const QString &text)
{
    return qCeil(QFontMetricsF(label->font()).horizontalAdvance(text));
}

QLabel *makeLabel(QWidget *parent, Qt::Alignment alignment)
{
    auto *label = new QLabel(parent);
    QFont small = label->font();
    small.setPointSizeF(labelPoints);
    label->setFont(small);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

}

StatusBarView::StatusBarView(QWidget *parent)
    : QWidget(parent)
    , left(makeLabel(this, Qt::AlignLeft))
    , right(makeLabel(this, Qt::AlignRight))
    , blame(new BlameButton(
          QStringLiteral("arrow.triangle.branch"), QStringLiteral("Last change"), this))
    , remote(new BlameButton(QStringLiteral("server.rack"), QStringLiteral("Remote"), this))
{
    setFixedHeight(barHeight);
    blame->setToolTip(QStringLiteral("Who last changed this line. Click for the commit."));
    blame->hide();
    remote->hide();
    connect(blame, &QAbstractButton::clicked, this, [this] {
        if (onBlameClick)
            onBlameClick();
    });
    connect(remote, &QAbstractButton::clicked, this, [this] {
        if (onRemoteClick)
            onRemoteClick();
    });
    applyColours();
}

void StatusBarView::setTexts(const QString &leftText, const QString &rightText)
{
    leftFull = leftText;
    rightFull = rightText;
    placeItems();
}

void StatusBarView::setBlame(const QString &text)
{
    blame->setText(text);
    blame->setVisible(!text.isEmpty());
    placeItems();
}

void StatusBarView::setRemote(const QString &title, bool connected, const QString &toolTip)
{
    remoteConnected = connected;
    remote->setText(title);
    remote->setToolTip(toolTip);
    remote->setTint(connected ? connectedGreen(palette()) : QColor());
    remote->setVisible(!title.isEmpty());
    placeItems();
}

QSize StatusBarView::sizeHint() const
{
    return { 2 * edgeInset + minimumGap, barHeight };
}

void StatusBarView::placeItems()
{
    // isVisibleTo: the bar may not be on screen yet, and its items still need their places.
    const bool hasRemote = remote->isVisibleTo(this);
    const bool hasBlame = blame->isVisibleTo(this);
    const ItemWidths wanted { hasRemote ? remote->sizeHint().width() : 0, textWidth(left, leftFull),
        textWidth(right, rightFull), hasBlame ? blame->sizeHint().width() : 0 };
    const int spacing = (hasRemote ? leftSpacing : 0) + (hasBlame ? rightSpacing : 0) + minimumGap;
    const ItemWidths widths = fitted(wanted, width() - 2 * edgeInset - spacing);
    const auto place = [this](QWidget *item, int x, int itemWidth) {
        const int itemHeight = item->sizeHint().height();
        item->setGeometry(x, (height() - itemHeight) / 2 + centreDrop, itemWidth, itemHeight);
    };

    int x = edgeInset;
    if (hasRemote) {
        place(remote, x, widths.remote);
        x += widths.remote + leftSpacing;
    }
    place(left, x, widths.left);
    left->setText(widths.left < wanted.left
            ? left->fontMetrics().elidedText(leftFull, Qt::ElideRight, widths.left)
            : leftFull);

    int end = width() - edgeInset;
    if (hasBlame) {
        place(blame, end - widths.blame, widths.blame);
        end -= widths.blame + rightSpacing;
    }
    place(right, end - widths.right, widths.right);
    right->setText(rightFull);
}

void StatusBarView::applyColours()
{
    for (QLabel *label : { left, right }) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, Theme::secondaryLabel(palette()));
        label->setPalette(colours);
    }
    if (remoteConnected)
        remote->setTint(connectedGreen(palette()));
}

void StatusBarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::windowBackground(palette()));
    painter.fillRect(QRect(0, 0, width(), dividerHeight), Theme::separator(palette()));
}

void StatusBarView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeItems();
}

void StatusBarView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        applyColours();
    QWidget::changeEvent(event);
}
