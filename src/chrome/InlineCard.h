#pragma once

#include "Button.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

// How much of a name the card's field selects at first: up to the last "." unless that dot
// starts the name, so that a file name is selected without its extension.
qsizetype nameSelectionLength(const QString &name);

// A question asked over the editor area: a title, a detail line, an optional text field and a
// row of buttons. Return presses the primary button, a button's commandKey presses that button,
// Escape cancels. The card deletes itself once closed, whichever way that happens.
class InlineCard : public QWidget
{
    Q_OBJECT
public:
    InlineCard(const QString &title, const QString &detail, const std::optional<QString> &fieldText,
        const QList<Button> &buttons, bool dismissesOnClick = false,
        std::function<void()> onCancel = {});

    // Called after Escape has closed the card.
    std::function<void()> onCancel;
    // Gives the keyboard focus back when the card closes; without it the focus goes back to
    // where it was when the card was shown.
    std::function<void()> restoreFocus;
    // Called once when the card closes for any reason, so its owner can let go of it.
    std::function<void()> onDismiss;

    // Adds the card to the host (the editor area), above everything in it, and takes the focus.
    void showIn(QWidget *host);
    // Closes the card, giving the focus back first when `restore` is true.
    void dismiss(bool restore);

    QString fieldText() const;
    QLineEdit *field() const { return nameField; }
    // The detail line is also where a card shows what is wrong with the field's text.
    void setDetail(const QString &text);
    // A line under the field saying what is wrong with its text; empty hides it.
    void setFieldNote(const QString &text);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QLayout *buttonRow();
    void applyColours();
    void place();
    void takeFocus();
    void giveFocusBack();
    bool answers(const QKeyEvent *event) const;
    bool answer(const QKeyEvent *event);
    void press(qsizetype index);
    void cancel();
    void noticePress(QObject *target);

    QList<Button> buttons;
    QString title;
    QLabel *titleLabel;
    QLabel *detailLabel;
    QLineEdit *nameField = nullptr;
    QLabel *fieldNote = nullptr;
    bool dismissesOnClick;
    bool dismissPending = false;
    QPointer<QWidget> focusBefore;
};
