#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One button of an inline card.
struct Button {
    QString title;
    bool isPrimary = false;
    // Pressing it closes the card before its action runs.
    bool dismisses = false;
    // A key the button also answers, such as Ctrl+D; empty for none.
    QKeySequence commandKey;
    std::function<void()> action;
};

// The button a key press stands for: the first primary button answers Return (unless it has a
// key of its own), a button with a commandKey answers that key. None for any other key.
std::optional<qsizetype> buttonForKey(const QList<Button> &buttons, QKeyCombination key);
