#pragma once

#include <QKeySequence>
#include <QString>

// Shortcut text as this platform writes it ("Ctrl+O" here, "⌘O" on a Mac).
inline QString shortcutText(const QKeySequence &sequence)
{
    return sequence.toString(QKeySequence::NativeText);
}
