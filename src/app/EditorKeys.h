#pragma once

#include <QObject>

#include <functional>

class EditorTextView;

// Hands the editing keys of a text view (Tab, Shift-Tab, Return, typed closers) to the
// controller before the view sees them.
class EditorKeys : public QObject {
    Q_OBJECT
public:
    enum class Command { insertTab, insertBacktab, insertNewline, insertCloser };

    explicit EditorKeys(EditorTextView *view);

    // Answers whether the command was handled; an unhandled key goes on to the view.
    std::function<bool(EditorTextView *, Command, QChar closer)> onCommand;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EditorTextView *view;
};
