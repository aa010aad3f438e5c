#pragma once

#include "EditorKeys.h"
#include "OpenDocument.h"

#include <QObject>

class AppDelegate;
class EditorTextView;
class QFont;

// Editing beyond plain typing: Return, Tab and typed closers by the indentation rules, shifting
// lines, undo routed to the focused field, and the editor's font, wrap and indent settings.
class EditingController : public QObject {
    Q_OBJECT
public:
    explicit EditingController(AppDelegate &app, QObject *parent = nullptr);

    // The view's Return, Tab, Shift-Tab and closer keys go through the rules from now on.
    void watchKeys(EditorTextView *view);
    void indentLines(EditorTextView *view, bool outdent);
    // In the focused text field, else in the active document.
    void undoOrRedo(bool redo);

    void setFontSize(double size);
    void stepFontSize(int step); // +1 Bigger, -1 Smaller, 0 Actual Size
    static QFont editorFont();
    void setIndentWidth(int width);
    void toggleSetting(const char *key, bool fallback);
    // The wrap setting changed (here or in the settings view): the active document follows.
    void followWrapSetting();
    void applyWrap(OpenDocument &document) const;

signals:
    void fontChanged(const QFont &font); // every document view already has it
    void settingChanged(); // menus and the status bar show settings
    void wrapChangedWithoutDocument();

private:
    bool doCommand(EditorTextView *view, EditorKeys::Command command, QChar closer);
    void insertNewline(EditorTextView *view);
    bool outdentCloser(EditorTextView *view, QChar closer);

    AppDelegate &app;
};
