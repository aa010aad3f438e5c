#include "HoverCards.h"

#include "FileHoverCard.h"

#include <QApplication>
#include <QMouseEvent>

#include <utility>

namespace
{

bool hidesCard(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const Qt::MouseButton button = static_cast<const QMouseEvent *>(event)->button();
        return button == Qt::LeftButton || button == Qt::RightButton;
    }
    case QEvent::KeyPress:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

void prepare(QTimer &timer)
{
    timer.setSingleShot(true);
    // Coarse timers may run up to 5 % early; these delays are what the user feels.
    timer.setTimerType(Qt::PreciseTimer);
}

}

HoverCards::HoverCards(QWidget *window, QObject *parent)
    : QObject(parent)
    , window(window)
{
    prepare(work);
    work.callOnTimeout(this, [this] {
        if (auto run = std::exchange(pendingShow, {}))
            run();
    });
}

HoverCards::~HoverCards()
{
    hide();
}

FileHoverCard *HoverCards::show(const FileCardInfo &info, const QRect &anchorRect, Side onSide)
{
    hide();
    if (!window)
        return nullptr;
    current = new FileHoverCard(info, window);
    anchor = anchorRect;
    side = onSide;
    place();
    current->show();
    current->raise();
    qApp->installEventFilter(this);
    monitoring = true;
    return current;
}

void HoverCards::hide()
{
    cancelPending();
    if (monitoring) {
        qApp->removeEventFilter(this);
        monitoring = false;
    }
    if (FileHoverCard *card = current.data()) {
        current = nullptr;
        card->hide();
        card->deleteLater();
    }
}

void HoverCards::setCommit(const FileHoverCard *shown, const QString &text)
{
    if (!current || current != shown)
        return;
    current->setCommit(text);
    place();
}

void HoverCards::scheduleShow(int delayMs, std::function<void()> show)
{
    pendingShow = std::move(show);
    work.start(delayMs);
}

void HoverCards::cancelPending()
{
    work.stop();
    pendingShow = {};
}

QRect HoverCards::rectInWindow(const QWidget *view) const
{
    if (!window || (view != window && !window->isAncestorOf(view)))
        return view->rect();
    return { view->mapTo(window.data(), QPoint(0, 0)), view->size() };
}

void HoverCards::place()
{
    if (current && window)
        current->move(cardPosition(anchor, side, current->size(), window->size()));
}

bool HoverCards::eventFilter(QObject *watched, QEvent *event)
{
    // The event goes on to its target either way.
    if (current && hidesCard(event))
        hide();
    return QObject::eventFilter(watched, event);
}

HoverCards::EditorHover::EditorHover(std::function<void(const QRect &)> show,
    std::function<void()> hide, std::function<bool()> isShown)
    : show(std::move(show))
    , hide(std::move(hide))
    , isShown(std::move(isShown))
{
    prepare(showWork);
    prepare(hideWork);
    showWork.callOnTimeout([this] {
        if (hoverWanted)
            this->show(annotation);
    });
    hideWork.callOnTimeout([this] { hideNow(); });
}

void HoverCards::EditorHover::pointerEntered(const QRect &rect)
{
    showWork.stop();
    hideWork.stop();
    hoverWanted = true;
    if (isShown())
        return;
    annotation = rect;
    showWork.start(editorShowDelayMs);
}

void HoverCards::EditorHover::pointerLeft()
{
    showWork.stop();
    hoverWanted = false;
    hideWork.start(editorHideDelayMs);
}

void HoverCards::EditorHover::cardEntered()
{
    hideWork.stop();
    hoverWanted = true;
}

void HoverCards::EditorHover::cardLeft()
{
    hoverWanted = false;
    hideWork.start(editorHideDelayMs);
}

void HoverCards::EditorHover::hideNow()
{
    showWork.stop();
    hideWork.stop();
    hoverWanted = false;
    hide();
}
