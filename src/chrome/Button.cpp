#include "Button.h"

#include <algorithm>

std::optional<qsizetype> buttonForKey(const QList<Button> &buttons, QKeyCombination key)
{
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    const bool isReturn = (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && modifiers == Qt::NoModifier;
    if (isReturn) {
        const auto primary = std::find_if(
            buttons.begin(), buttons.end(), [](const Button &button) { return button.isPrimary; });
        if (primary == buttons.end() || !primary->commandKey.isEmpty())
            return std::nullopt;
        return primary - buttons.begin();
    }
    const QKeySequence pressed(QKeyCombination(modifiers, key.key()));
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        if (!buttons[i].commandKey.isEmpty() && buttons[i].commandKey == pressed)
            return i;
    }
    return std::nullopt;
}
