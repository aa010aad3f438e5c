#include "ActionButton.h"

ActionButton::ActionButton(const QString &title, std::function<void()> handler, QWidget *parent)
    : QPushButton(title, parent)
    , handler(std::move(handler))
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, [this] {
        if (this->handler)
            this->handler();
    });
}
