#pragma once

#include "CardPlacement.h"
#include "FileHoverCard.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <functional>

// Shows at most one file hover card in the main window, next to an anchor, above every other
// view. While a card is on screen any mouse press, key press or wheel turn anywhere in the
// application hides it and carries on to where it was going.
class HoverCards : public QObject
{
    Q_OBJECT
public:
    // The timings of the editor's annotation card: the show waits for the pointer to rest, the
    // hide leaves time to move from the annotation onto the card.
    static constexpr int editorShowDelayMs = 350;
    static constexpr int editorHideDelayMs = 300;
    // How long the pointer rests on a tab before its card shows.
    static constexpr int tabShowDelayMs = 500;

    class EditorHover;

    explicit HoverCards(QWidget *window, QObject *parent = nullptr);
    ~HoverCards() override;

    // Hides any card, then shows one for the info next to the anchor (in window coordinates).
    // Returns the card now on screen; none once the window is gone.
    FileHoverCard *show(const FileCardInfo &info, const QRect &anchor, Side side);
    // Removes the card and the monitor and cancels the pending show.
    void hide();
    // Fills in the commit row once git has answered, resizing the card in place; does nothing
    // when `shown` is no longer the card on screen.
    void setCommit(const FileHoverCard *shown, const QString &text);

    // Runs `show` after the delay unless hide, cancelPending or a newer request comes first.
    void scheduleShow(int delayMs, std::function<void()> show);
    void cancelPending();
    bool showPending() const { return work.isActive(); }

    FileHoverCard *card() const { return current; }
    // A view's rectangle in the window's coordinates, to anchor a card by.
    QRect rectInWindow(const QWidget *view) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPointer<QWidget> window;
    QPointer<FileHoverCard> current;
    QTimer work;
    std::function<void()> pendingShow;
    bool monitoring = false;
    QRect anchor;
    Side side = Side::below;
};

// The show and hide timings of the editor's annotation card. The owner reports where the pointer
// is; this decides when the supplied show and hide run. A newer report replaces a pending one.
class HoverCards::EditorHover
{
public:
    // `show` puts a card up at the annotation's rectangle, `hide` takes it down (and must do
    // nothing when there is none), `isShown` tells whether a card is up.
    EditorHover(std::function<void(const QRect &)> show, std::function<void()> hide,
        std::function<bool()> isShown);

    // The pointer rests on the annotation: show a card soon unless one is up already.
    void pointerEntered(const QRect &annotation);
    // The pointer left the annotation: hide the card soon.
    void pointerLeft();
    // The pointer moved onto the card: keep it.
    void cardEntered();
    void cardLeft();
    // Scrolling, edits, selection changes and tab switches hide the card at once.
    void hideNow();

    bool wanted() const { return hoverWanted; }
    bool showPending() const { return showWork.isActive(); }
    bool hidePending() const { return hideWork.isActive(); }

private:
    std::function<void(const QRect &)> show;
    std::function<void()> hide;
    std::function<bool()> isShown;
    QTimer showWork;
    QTimer hideWork;
    bool hoverWanted = false;
    QRect annotation;
};
