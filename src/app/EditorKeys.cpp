#include "EditorKeys.h"

#include "editor/EditorTextView.h"
#include "editor/Indentation.h"

#include <QKeyEvent>

EditorKeys::EditorKeys(EditorTextView *view)
    : QObject(view)
    , view(view)
{
    view->installEventFilter(this);
}

bool EditorKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != view || event->type() != QEvent::KeyPress || !onCommand || view->isReadOnly())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
        return modifiers == Qt::NoModifier && onCommand(view, Command::insertTab, {});
    case Qt::Key_Backtab:
        return onCommand(view, Command::insertBacktab, {});
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Shift+Return too: the editor keeps plain line breaks, never soft ones.
        return (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier
            && onCommand(view, Command::insertNewline, {});
    default:
        break;
    }
    if (Indentation::isCloser(key->text()) && !(modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return onCommand(view, Command::insertCloser, key->text().front());
    return false;
}
