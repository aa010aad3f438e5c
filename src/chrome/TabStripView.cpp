#include "TabStripView.h"

#include "HorizontalScrollView.h"
#include "TabItemView.h"
#include "TabLayout.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScrollBar>

namespace
{

// Tabs are centred in the height left inside the stack's insets.
constexpr int tabTop = TabLayout::insetY
    + (TabLayout::stripHeight - 2 * TabLayout::insetY - TabLayout::tabHeight) / 2;

QPropertyAnimation *moveAnimation(QWidget *view, int x, int durationMs)
{
    auto *animation = new QPropertyAnimation(view, "pos", view);
    animation->setDuration(durationMs);
    animation->setStartValue(view->pos());
    animation->setEndValue(QPoint(x, tabTop));
    return animation;
}

}

TabStripView::TabStripView(QWidget *parent)
    : QWidget(parent)
    , m_scroll(new HorizontalScrollView(this))
    , m_stack(new QWidget())
    , m_slide(new QParallelAnimationGroup(this))
{
    setObjectName(QStringLiteral("tabStrip"));
    setFixedHeight(TabLayout::stripHeight);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    m_stack->setObjectName(QStringLiteral("tabStack"));
    m_scroll->setWidget(m_stack);
    // The scroll view paints its widget's background; the strip shows the window's through it.
    m_stack->setAutoFillBackground(false);
    resize(0, TabLayout::stripHeight);
    connect(m_scroll->horizontalScrollBar(), &QScrollBar::valueChanged, this,
        &TabStripView::showCloseButtons);
}

QSize TabStripView::sizeHint() const
{
    return { m_contentWidth, TabLayout::stripHeight };
}

QSize TabStripView::minimumSizeHint() const
{
    return { 0, TabLayout::stripHeight };
}

void TabStripView::setTabs(
    const QStringList &titles, const QList<bool> &dirty, const QList<bool> &preview, int selected)
{
    m_titles = titles;
    m_dirty = dirty;
    m_preview = preview;
    m_selected = selected;
    rebuild();
}

void TabStripView::rebuild()
{
    // The views lead during a drag; the strip catches up when the drag finishes.
    if (m_dragFrom)
        return;
    if (onHover)
        onHover(std::nullopt, nullptr);
    // Narrowing the row below may pull the view back; the place it was at is what counts.
    const int offset = m_scroll->horizontalScrollBar()->value();
    m_slide->stop();
    m_slide->clear();
    // A tab may be rebuilt away from inside its own event handler.
    for (TabItemView *tab : std::as_const(m_tabs)) {
        tab->hide();
        tab->deleteLater();
    }
    m_tabs.clear();
    for (int i = 0; i < m_titles.size(); ++i)
        m_tabs.append(makeTab(i));
    updateContentWidth();
    sizeStack();
    placeTabs(false);
    scrollToShowSelected(offset);
}

TabItemView *TabStripView::makeTab(int index)
{
    auto *tab = new TabItemView(TabLayout::titleText(m_titles[index], m_dirty.value(index)), index,
        index == m_selected, m_preview.value(index), m_stack);
    tab->onSelect = [this](int i) {
        if (onSelect)
            onSelect(i);
    };
    tab->onClose = [this](int i) {
        if (onClose)
            onClose(i);
    };
    tab->onPromote = [this](int i) {
        if (onPromote)
            onPromote(i);
    };
    tab->menuProvider = [this](int i) { return menuForTab ? menuForTab(i) : nullptr; };
    tab->onDragBegan = [this](int i, QPointF grab) { dragBegan(i, grab); };
    tab->onDragMoved = [this](QPointF point) { dragMoved(point); };
    tab->onDragEnded = [this](QPointF) { dragEnded(); };
    tab->onHover = [this](int i, bool entered) { tabHovered(i, entered); };
    tab->show();
    return tab;
}

QList<int> TabStripView::tabWidths() const
{
    QList<int> widths;
    widths.reserve(m_tabs.size());
    for (const TabItemView *tab : m_tabs)
        widths.append(tab->width());
    return widths;
}

void TabStripView::updateContentWidth()
{
    const int width = TabLayout::stripWidth(tabWidths());
    if (width == m_contentWidth)
        return;
    m_contentWidth = width;
    updateGeometry();
    resize(width, TabLayout::stripHeight);
}

void TabStripView::sizeStack()
{
    m_stack->resize(
        std::max(TabLayout::contentWidth(tabWidths()), width()), TabLayout::stripHeight);
}

void TabStripView::resizeEvent(QResizeEvent *)
{
    const int offset = m_scroll->horizontalScrollBar()->value();
    m_scroll->setGeometry(rect());
    sizeStack();
    // The layout may give the strip less than it asked for: the selected tab stays in view.
    if (!m_dragFrom)
        scrollToShowSelected(offset);
}

// Puts every tab but the dragged one in its slot; the dragged one follows the pointer.
void TabStripView::placeTabs(bool animated)
{
    m_slide->stop();
    m_slide->clear();
    const QList<int> lefts = TabLayout::tabLefts(tabWidths());
    for (int i = 0; i < m_tabs.size(); ++i) {
        TabItemView *tab = m_tabs[i];
        if (m_dragFrom == i)
            continue;
        if (animated && tab->x() != lefts[i])
            m_slide->addAnimation(moveAnimation(tab, lefts[i], TabLayout::slideMs));
        else
            tab->move(lefts[i], tabTop);
    }
    if (m_slide->animationCount() > 0)
        m_slide->start();
}

void TabStripView::scrollSelectedIntoView()
{
    scrollToShowSelected(m_scroll->horizontalScrollBar()->value());
}

void TabStripView::scrollToShowSelected(int from)
{
    QScrollBar *bar = m_scroll->horizontalScrollBar();
    const int visible = m_scroll->viewport()->width();
    const int offset = TabLayout::offsetShowing(tabWidths(), m_selected, from, visible);
    // Room to stop at a tab's start even near the end of the row.
    if (m_stack->width() < offset + visible)
        m_stack->resize(offset + visible, TabLayout::stripHeight);
    bar->setValue(offset);
    showCloseButtons();
}

void TabStripView::showCloseButtons()
{
    const int offset = m_scroll->horizontalScrollBar()->value();
    for (TabItemView *tab : std::as_const(m_tabs))
        tab->setCloseShown(!TabLayout::cutAtLeft(tab->x(), tab->width(), offset));
}

void TabStripView::tabHovered(int index, bool entered)
{
    if (!onHover)
        return;
    TabItemView *tab = m_tabs.value(index);
    if (entered && !m_dragFrom && tab)
        onHover(index, tab);
    else
        onHover(std::nullopt, nullptr);
}

void TabStripView::dragBegan(int index, QPointF grab)
{
    TabItemView *tab = m_tabs.value(index);
    if (!tab)
        return;
    m_dragFrom = index;
    m_dragGrab = grab.x();
    tab->setLifted(true);
}

void TabStripView::dragMoved(QPointF windowPoint)
{
    if (!m_dragFrom || !m_tabs.value(*m_dragFrom))
        return;
    const int from = *m_dragFrom;
    TabItemView *tab = m_tabs[from];
    const double left = m_stack->mapFrom(window(), windowPoint).x() - m_dragGrab;
    const int target = TabLayout::reorderTarget(tabWidths(), from, left);
    if (target != from) {
        m_tabs.move(from, target);
        for (int i = 0; i < m_tabs.size(); ++i)
            m_tabs[i]->setIndex(i);
        m_selected = TabLayout::selectionAfterMove(m_selected, from, target);
        m_dragFrom = target;
        placeTabs(true);
    }
    const double clamped = TabLayout::clampedLeft(left, tab->width(), m_stack->width());
    tab->move(qRound(clamped), tabTop);
}

void TabStripView::dragEnded()
{
    if (!m_dragFrom || !m_tabs.value(*m_dragFrom)) {
        m_dragFrom.reset();
        rebuild();
        return;
    }
    QList<int> order;
    for (const TabItemView *tab : std::as_const(m_tabs))
        order.append(tab->originIndex());
    TabItemView *tab = m_tabs[*m_dragFrom];
    const int slot = TabLayout::tabLefts(tabWidths()).value(*m_dragFrom);
    if (tab->x() == slot) {
        finishDrag(order);
        return;
    }
    QPropertyAnimation *settle = moveAnimation(tab, slot, TabLayout::settleMs);
    settle->setObjectName(QStringLiteral("settle"));
    settle->setEasingCurve(QEasingCurve::OutCubic);
    connect(settle, &QPropertyAnimation::finished, this, [this, order] { finishDrag(order); });
    settle->start(QAbstractAnimation::DeleteWhenStopped);
}

void TabStripView::finishDrag(const QList<int> &order)
{
    if (TabItemView *tab = m_tabs.value(m_dragFrom.value_or(-1)))
        tab->setLifted(false);
    m_dragFrom.reset();
    if (onReorderOrder)
        onReorderOrder(order);
    rebuild();
}
