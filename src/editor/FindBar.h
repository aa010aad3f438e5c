#pragma once

#include "TextFinder.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class TextArea;
class QToolButton;

// The find and replace bar over the editor: a find field with match-case and regular-expression
// toggles, the match count, previous, next and close; Find and Replace adds a row with the
// replacement. Typing searches at once from the caret and selects the match in the text view;
// the other matches in sight are tinted for display only. The matching itself is TextFinder's.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(QWidget *parent = nullptr);
    ~FindBar() override;

    // After the bar closed (close button, Escape or close()), with the focus back in the view.
    std::function<void()> onClose;

    // The view to search; nullptr when there is none, which clears the results. While the bar
    // is open it follows the new view at once without moving that view's selection.
    void setTextView(TextArea *view);
    TextArea *textView() const { return view; }

    // Opens the bar (without or with the replace row) and puts the focus in the find field.
    void showFind();
    void showReplace();
    // Select the next or previous match, wrapping. They work with the bar closed too; with the
    // find field empty they open it.
    void findNext();
    void findPrevious();
    // Puts the view's selected text (its first line) in the find field, escaped for a regular
    // expression when that option is on.
    void useSelectionForFind();
    // Replaces the selected match and selects the next one; without one selected, finds it.
    void replace();
    // Replaces every match as one undo step.
    void replaceAll();
    void close();
    bool isOpen() const { return open; }

    TextFinder::Options options() const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildLayout();
    void buildFindRow();
    void buildReplaceRow();
    void applyIcons();
    void openBar(bool withReplace);
    void queryChanged();
    void step(bool forward);
    void search(int from);
    void refresh();
    void select(const std::optional<TextFinder::Match> &match);
    void documentChanged();
    void watch(TextArea *newView);
    void forgetResults();
    void showState();
    void updateHighlights();
    bool onSelectedMatch() const;
    QStringView currentText();

    QLineEdit *findField = nullptr;
    QLineEdit *replaceField = nullptr;
    QToolButton *caseButton = nullptr;
    QToolButton *regexButton = nullptr;
    QLabel *countLabel = nullptr;
    QToolButton *previousButton = nullptr;
    QToolButton *nextButton = nullptr;
    QToolButton *closeButton = nullptr;
    QToolButton *replaceButton = nullptr;
    QToolButton *replaceAllButton = nullptr;
    QWidget *replaceRow = nullptr;
    QAction *searchIcon = nullptr;

    QPointer<TextArea> view;
    std::vector<QMetaObject::Connection> watching;
    bool open = false;
    TextFinder finder;
    // The view's text as last searched, rebuilt on the first search after an edit.
    QString text;
    bool textCurrent = false;
    // The match this bar selected, while it is still the view's selection; the tally goes with it.
    std::optional<TextFinder::Match> selected;
    TextFinder::Tally tally;
    // Where the search typed in the field starts: the caret when the typing began.
    int origin = 0;
    // Recounts a while after edits in the view, not at every keystroke.
    QTimer recount;
};
