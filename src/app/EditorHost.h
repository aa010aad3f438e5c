#pragma once

#include <QWidget>

class QStackedWidget;

// The editor region under the tab strip: a slot for the line-number gutter beside the one
// text view on show. Views are swapped, never rebuilt, so each keeps its layout and history.
class EditorHost : public QWidget {
    Q_OBJECT
public:
    explicit EditorHost(QWidget *parent = nullptr);

    // Adds a view without showing it, so it is laid out at the editor's size from the start.
    void add(QWidget *view);
    void install(QWidget *view);
    void remove(QWidget *view);
    QWidget *current() const;
    QWidget *gutterSlot() const { return gutter; }

private:
    QWidget *gutter;
    QStackedWidget *stack;
};
