#include "BlameHoverCard.h"

#include "BlameDisplay.h"
#include "common/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace
{

constexpr qreal cornerRadius = 8;
constexpr int border = 1;
constexpr int inset = 12;
constexpr int rowSpacing = 8;
constexpr int buttonSpacing = 12;
constexpr qreal titlePoints = 12;
constexpr qreal bodyPoints = 11;

QFont sized(QFont font, qreal points, QFont::Weight weight)
{
    font.setPointSizeF(points);
    font.setWeight(weight);
    return font;
}

}

BlameHoverCard::BlameHoverCard(const BlameInfo &info, const QDateTime &now, QWidget *parent)
    : QWidget(parent)
    , shown(info)
    , fullTitle(blameHoverTitle(info, now))
    , title(new QLabel(this))
    , body(new QLabel(this))
{
    // The editor keeps the keyboard, and its text cursor never shows over the card.
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    title->setObjectName(QStringLiteral("title"));
    title->setTextFormat(Qt::PlainText);
    title->setFont(sized(font(), titlePoints, QFont::DemiBold));
    body->setObjectName(QStringLiteral("body"));
    body->setTextFormat(Qt::PlainText);
    body->setWordWrap(true);
    body->setFont(sized(font(), bodyPoints, QFont::Normal));
    body->setText(blameHoverBody(info));

    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(inset, inset, inset, inset);
    stack->setSpacing(rowSpacing);
    stack->addWidget(title);
    stack->addWidget(body);
    if (!info.isUncommitted()) {
        buttons = buttonRow();
        stack->addWidget(buttons);
    }
    fit();
}

QPushButton *BlameHoverCard::makeButton(
    const QString &text, std::function<void()> BlameHoverCard::*callback)
{
    auto *button = new QPushButton(text, this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, [this, callback] {
        if (this->*callback)
            (this->*callback)();
    });
    return button;
}

QWidget *BlameHoverCard::buttonRow()
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("buttons"));
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(buttonSpacing);
    line->addWidget(makeButton(QStringLiteral("Copy Hash"), &BlameHoverCard::onCopy));
    line->addWidget(makeButton(QStringLiteral("Show Commit"), &BlameHoverCard::onShow));
    line->addStretch();
    return row;
}

void BlameHoverCard::setBody(const QString &text)
{
    body->setText(text);
    fit();
}

// As wide as the title and the body's longest line want, within the title's limit, and never
// narrower than the buttons.
int BlameHoverCard::wantedTextWidth() const
{
    int wanted = QFontMetrics(title->font()).horizontalAdvance(fullTitle);
    const QFontMetrics bodyMetrics(body->font());
    for (const QString &line : body->text().split(u'\n'))
        wanted = std::max(wanted, bodyMetrics.horizontalAdvance(line));
    wanted = std::min(wanted, widestTitle);
    if (buttons)
        wanted = std::max(wanted, buttons->sizeHint().width());
    return wanted;
}

void BlameHoverCard::showTitle()
{
    const int room = std::min(width() - 2 * inset, widestTitle);
    title->setText(QFontMetrics(title->font()).elidedText(fullTitle, Qt::ElideRight, room));
}

void BlameHoverCard::fit()
{
    const int cardWidth = wantedTextWidth() + 2 * inset;
    resize(cardWidth, height());
    showTitle();
    layout()->invalidate();
    layout()->activate();
    const int cardHeight = layout()->hasHeightForWidth() ? layout()->heightForWidth(cardWidth)
                                                         : layout()->sizeHint().height();
    resize(cardWidth, cardHeight);
}

void BlameHoverCard::paintEvent(QPaintEvent *)
{
    Theme::paintCardPanel(this, cornerRadius, border);
}

void BlameHoverCard::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (onEnter)
        onEnter();
}

void BlameHoverCard::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (onExit)
        onExit();
}
