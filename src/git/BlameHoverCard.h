#pragma once

#include "BlameInfo.h"

#include <QDateTime>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// The card shown while the pointer rests on the caret line's blame annotation: who changed the
// line and when, the commit's message, and buttons to copy its hash or show it. The card only
// shows; what its buttons and the pointer do is reported through the callbacks.
class BlameHoverCard : public QWidget
{
    Q_OBJECT
public:
    static constexpr int widestTitle = 396;

    explicit BlameHoverCard(const BlameInfo &info,
        const QDateTime &now = QDateTime::currentDateTimeUtc(), QWidget *parent = nullptr);

    std::function<void()> onCopy; // "Copy Hash" pressed
    std::function<void()> onShow; // "Show Commit" pressed
    std::function<void()> onEnter; // the pointer entered the card
    std::function<void()> onExit; // the pointer left the card

    const BlameInfo &info() const { return shown; }
    // The full message arrives after the card is shown; the card takes its new size at once.
    void setBody(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QPushButton *makeButton(const QString &title, std::function<void()> BlameHoverCard::*callback);
    QWidget *buttonRow();
    int wantedTextWidth() const;
    void showTitle();
    void fit();

    BlameInfo shown;
    QString fullTitle;
    QLabel *title;
    QLabel *body;
    QWidget *buttons = nullptr;
};
