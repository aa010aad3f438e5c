#pragma once

#include <QList>
#include <QPointF>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class HorizontalScrollView;
class QMenu;
class QParallelAnimationGroup;
class TabItemView;

// The row of tabs above the editor, one per open document. It shows what the controller gives
// it and reports clicks, closes, promotions, hovering, menus and drag-to-reorder; it never
// changes the document list itself. Past its width bound it scrolls sideways.
class TabStripView : public QWidget
{
    Q_OBJECT
public:
    explicit TabStripView(QWidget *parent = nullptr);

    std::function<void(int index)> onSelect;
    // The close button or a middle-click on a tab.
    std::function<void(int index)> onClose;
    // A double-click: the preview tab becomes a kept one.
    std::function<void(int index)> onPromote;
    // A drag finished: for each new position, the old index of the tab now there.
    std::function<void(const QList<int> &order)> onReorderOrder;
    // The pointer entered a tab (its index and view, to place a hover card by), or hovering
    // ended (no index, no view).
    std::function<void(std::optional<int> index, TabItemView *tab)> onHover;
    // The context menu of a tab, shown at the pointer; the strip deletes it once it closes.
    std::function<QMenu *(int index)> menuForTab;

    // Shows the tabs: titles in order, per tab its unsaved-changes and preview flags (a missing
    // flag counts as false), and the selected index. Rebuilds the tab views.
    void setTabs(const QStringList &titles, const QList<bool> &dirty, const QList<bool> &preview,
        int selected);
    // Recreates every tab view from the tabs last given; ignored while a drag is under way.
    void rebuild();
    void scrollSelectedIntoView();

    const QStringList &titles() const { return m_titles; }
    int selected() const { return m_selected; }
    // The current index of the tab being dragged; none when no drag is under way.
    std::optional<int> dragFrom() const { return m_dragFrom; }
    int tabCount() const { return int(m_tabs.size()); }
    // The tab view at a position in the strip, or null.
    TabItemView *tabView(int index) const { return m_tabs.value(index); }
    HorizontalScrollView *scrollView() const { return m_scroll; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TabItemView *makeTab(int index);
    QList<int> tabWidths() const;
    void updateContentWidth();
    void sizeStack();
    void placeTabs(bool animated);
    void scrollToShowSelected(int from);
    void showCloseButtons();
    void tabHovered(int index, bool entered);
    void dragBegan(int index, QPointF grab);
    void dragMoved(QPointF windowPoint);
    void dragEnded();
    void finishDrag(const QList<int> &order);

    QStringList m_titles;
    QList<bool> m_dirty;
    QList<bool> m_preview;
    int m_selected = 0;
    HorizontalScrollView *m_scroll;
    QWidget *m_stack;
    QList<TabItemView *> m_tabs;
    int m_contentWidth = 0;
    std::optional<int> m_dragFrom;
    double m_dragGrab = 0;
    QParallelAnimationGroup *m_slide;
};
