#pragma once

#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

// A new widget of the given size, shown and exposed, so that paints really draw.
template <typename Widget> Widget *shownWidget(int width, int height)
{
    auto *made = new Widget;
    made->resize(width, height);
    made->show();
    while (!made->windowHandle() || !made->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return made;
}
