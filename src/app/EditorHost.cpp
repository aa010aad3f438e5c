#include "EditorHost.h"

#include <QHBoxLayout>
#include <QStackedWidget>

EditorHost::EditorHost(QWidget *parent)
    : QWidget(parent)
    , gutter(new QWidget(this))
    , stack(new QStackedWidget(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(gutter);
    layout->addWidget(stack, 1);
    gutter->hide();
}

void EditorHost::add(QWidget *view)
{
    if (stack->indexOf(view) < 0)
        stack->addWidget(view);
}

void EditorHost::install(QWidget *view)
{
    add(view);
    stack->setCurrentWidget(view);
}

void EditorHost::remove(QWidget *view)
{
    stack->removeWidget(view);
}

QWidget *EditorHost::current() const
{
    return stack->currentWidget();
}
