#pragma once

#include <QPushButton>

#include <functional>

// A push button that runs its handler when pressed.
class ActionButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ActionButton(
        const QString &title, std::function<void()> handler = {}, QWidget *parent = nullptr);

    std::function<void()> handler;
};
