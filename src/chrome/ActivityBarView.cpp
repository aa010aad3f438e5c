#include "ActivityBarView.h"

#include "ActivityButton.h"
#include "common/Theme.h"

#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace
{

constexpr int barWidth = 44;
constexpr int separatorWidth = 1;

}

ActivityBarView::ActivityBarView(const QList<ActivityItem> &items, QWidget *parent)
    : QWidget(parent)
    , stack(new QVBoxLayout(this))
{
    setFixedWidth(barWidth);
    stack->setContentsMargins(0, 6, separatorWidth, 0);
    stack->setSpacing(2);
    for (const ActivityItem &item : items) {
        auto *button = new ActivityButton(item.symbol, item.title, this);
        button->onClick = [bar = QPointer<ActivityBarView>(this), identifier = item.identifier] {
            if (bar && bar->onSelect)
                bar->onSelect(identifier);
        };
        buttons.insert(item.identifier, button);
        stack->addWidget(button, 0, Qt::AlignHCenter);
    }
    stack->addStretch(1);
}

void ActivityBarView::setActive(const QString &identifier, bool active)
{
    if (ActivityButton *found = buttons.value(identifier))
        found->setActive(active);
}

void ActivityBarView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::windowBackground(palette()));
    painter.fillRect(
        QRect(width() - separatorWidth, 0, separatorWidth, height()), Theme::separator(palette()));
}
