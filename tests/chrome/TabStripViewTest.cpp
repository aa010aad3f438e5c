#include "chrome/TabStripView.h"
#include "chrome/HorizontalScrollView.h"
#include "chrome/TabItemView.h"
#include "chrome/TabLayout.h"

#include "TestSupport.h"
#include "common/Theme.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

// A strip at the top left of a window, wired to a stand-in for the controller that records what
// it hears and, like the real one, answers selections and reorders by setting the tabs again.
class TabStrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        strip.onSelect = [this](int i) {
            selects.append(i);
            show(titles, i);
        };
        strip.onClose = [this](int i) { closes.append(i); };
        strip.onPromote = [this](int i) { promotes.append(i); };
        strip.onReorderOrder = [this](const QList<int> &order) {
            orders.append(order);
            reorder(order);
        };
        strip.onHover = [this](std::optional<int> i, TabItemView *tab) {
            hovers.append(i ? *i : -1);
            hoveredView = tab;
        };
        host.resize(600, 40);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }

    void show(const QStringList &newTitles, int selected, const QList<bool> &dirty = {},
        const QList<bool> &preview = {})
    {
        titles = newTitles;
        active = selected;
        strip.setTabs(titles, dirty, preview, selected);
    }

    void reorder(const QList<int> &order)
    {
        QStringList moved;
        int newActive = active;
        for (int i = 0; i < order.size(); ++i) {
            moved.append(titles[order[i]]);
            if (order[i] == active)
                newActive = i;
        }
        show(moved, newActive);
    }

    TabItemView *tab(int i) const { return strip.tabView(i); }
    // Pointer events go through the window, so that the pressed tab keeps the mouse as a real
    // one would; points are in the window's coordinates.
    QWindow *window() const { return host.windowHandle(); }
    QPoint centreOf(QWidget *w) const { return w->mapTo(&host, w->rect().center()); }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(window(), button, {}, at);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(window(), button, {}, at);
    }
    void moveTo(QPoint at) { QTest::mouseMove(window(), at); }
    bool settled() const { return !strip.dragFrom(); }

    QWidget host;
    TabStripView strip { &host };
    QStringList titles;
    int active = 0;
    QList<int> selects, closes, promotes, hovers;
    QList<QList<int>> orders;
    TabItemView *hoveredView = nullptr;
};

TEST_F(TabStrip, titlesShowDirtyMarkItalicPreviewAndSelection)
{
    EXPECT_EQ(strip.width(), 0);
    show({ "a.txt", "b.txt", "c.txt" }, 1, { true, false }, { true });
    ASSERT_EQ(strip.tabCount(), 3);
    QLabel *first = tab(0)->titleLabel();
    EXPECT_EQ(first->text(), QString::fromUtf8("\xE2\x97\x8F a.txt"));
    EXPECT_TRUE(first->font().italic());
    EXPECT_EQ(tab(1)->titleLabel()->text(), QString("b.txt"));
    EXPECT_FALSE(tab(1)->titleLabel()->font().italic());
    // Missing flags count as false.
    EXPECT_EQ(tab(2)->titleLabel()->text(), QString("c.txt"));
    EXPECT_FALSE(tab(2)->isPreview());
    EXPECT_TRUE(tab(1)->isSelected());
    EXPECT_FALSE(tab(0)->isSelected());
    const QPalette palette = strip.palette();
    EXPECT_EQ(tab(1)->titleLabel()->palette().color(QPalette::WindowText), Theme::accent(palette));
    EXPECT_EQ(first->palette().color(QPalette::WindowText), Theme::label(palette));
}

TEST_F(TabStrip, clickSelectsOnReleaseAndDoubleClickPromotes)
{
    show({ "a", "b", "c" }, 0);
    press(centreOf(tab(2)));
    EXPECT_TRUE(selects.isEmpty());
    release(centreOf(tab(2)));
    EXPECT_EQ(selects, QList<int> { 2 });
    EXPECT_TRUE(promotes.isEmpty());
    EXPECT_TRUE(tab(2)->isSelected());

    // The first click rebuilds the strip; the second lands on the new view of the same tab.
    selects.clear();
    QTest::mouseDClick(window(), Qt::LeftButton, {}, centreOf(tab(1)));
    EXPECT_EQ(promotes, QList<int> { 1 });
    EXPECT_EQ(selects, (QList<int> { 1, 1 }));
}

TEST_F(TabStrip, dragStartsAtFourPoints)
{
    show({ "a", "b", "c" }, 0);
    const QPoint start = centreOf(tab(1));
    press(start);
    moveTo(start + QPoint(3, 0));
    moveTo(start + QPoint(-3, 0));
    EXPECT_FALSE(strip.dragFrom());
    release(start + QPoint(3, 0));
    EXPECT_EQ(selects, QList<int> { 1 });
    EXPECT_TRUE(orders.isEmpty());

    selects.clear();
    TabItemView *dragged = tab(1);
    const int slot = dragged->x();
    press(start);
    moveTo(start + QPoint(4, 0));
    EXPECT_EQ(strip.dragFrom(), 1);
    EXPECT_TRUE(dragged->isLifted());
    EXPECT_EQ(dragged->x(), slot + 4);
    release(start + QPoint(4, 0));
    ASSERT_TRUE(waitUntil([this] { return settled() && !orders.isEmpty(); }));
    EXPECT_EQ(orders, (QList<QList<int>> { { 0, 1, 2 } }));
    EXPECT_TRUE(selects.isEmpty());
}

TEST_F(TabStrip, draggingPastNeighboursReordersLiveWithTheSelectionFollowing)
{
    show({ "a", "b", "c" }, 1);
    TabItemView *dragged = tab(1);
    const QPoint start = centreOf(dragged);
    press(start);
    moveTo(start + QPoint(20, 0));
    EXPECT_EQ(strip.dragFrom(), 1);
    EXPECT_EQ(strip.tabView(1), dragged);
    const QPoint farRight(strip.width() - 2, start.y());
    moveTo(farRight);
    EXPECT_EQ(strip.dragFrom(), 2);
    EXPECT_EQ(strip.tabView(2), dragged);
    EXPECT_EQ(strip.selected(), 2);
    EXPECT_EQ(dragged->index(), 2);
    EXPECT_EQ(dragged->originIndex(), 1);
    // Rebuilds asked for during the drag wait until it has finished.
    strip.rebuild();
    EXPECT_EQ(strip.tabView(2), dragged);
    release(farRight);
    ASSERT_TRUE(waitUntil([this] { return !orders.isEmpty(); }));
    EXPECT_EQ(orders.first(), (QList<int> { 0, 2, 1 }));
    EXPECT_EQ(titles, (QStringList { "a", "c", "b" }));
    EXPECT_TRUE(settled());
    EXPECT_EQ(strip.selected(), 2);
    EXPECT_TRUE(tab(2)->isSelected());
    EXPECT_FALSE(tab(2)->isLifted());
    EXPECT_TRUE(selects.isEmpty());
}

TEST_F(TabStrip, losingTheWindowDuringADragFinishesIt)
{
    show({ "a", "b", "c" }, 0);
    const QPoint start = centreOf(tab(0));
    press(start);
    moveTo(start + QPoint(150, 0));
    ASSERT_EQ(strip.dragFrom(), 1);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitUntil([this] { return !orders.isEmpty(); }));
    EXPECT_EQ(orders.first(), (QList<int> { 1, 0, 2 }));
    EXPECT_TRUE(settled());
    release(start);
    EXPECT_TRUE(selects.isEmpty());
}

TEST_F(TabStrip, draggingLeftMovesTheSelectionOfAPassedTab)
{
    show({ "a", "b", "c", "d" }, 1);
    TabItemView *dragged = tab(3);
    const QPoint start = centreOf(dragged);
    press(start);
    moveTo(QPoint(2, start.y()));
    EXPECT_EQ(strip.dragFrom(), 0);
    EXPECT_EQ(strip.selected(), 2); // "b" was passed and moved one to the right
    EXPECT_EQ(dragged->x(), 0); // held inside the stack
    release(QPoint(2, start.y()));
    ASSERT_TRUE(waitUntil([this] { return !orders.isEmpty(); }));
    EXPECT_EQ(orders.first(), (QList<int> { 3, 0, 1, 2 }));
    EXPECT_EQ(titles, (QStringList { "d", "a", "b", "c" }));
    EXPECT_TRUE(tab(2)->isSelected());
}

TEST_F(TabStrip, middleClickClosesOnlyWhenReleasedInside)
{
    show({ "a", "b", "c" }, 0);
    press(centreOf(tab(1)), Qt::MiddleButton);
    release(centreOf(tab(0)), Qt::MiddleButton);
    EXPECT_TRUE(closes.isEmpty());
    press(centreOf(tab(1)), Qt::MiddleButton);
    release(centreOf(tab(1)) + QPoint(10, 0), Qt::MiddleButton);
    EXPECT_EQ(closes, QList<int> { 1 });
    EXPECT_TRUE(selects.isEmpty());
    QTest::mouseClick(window(), Qt::LeftButton, {}, centreOf(tab(2)->closeButton()));
    EXPECT_EQ(closes, (QList<int> { 1, 2 }));
    EXPECT_TRUE(selects.isEmpty());
}

TEST_F(TabStrip, manyTabsStopAtTheBoundAndScrollSideways)
{
    QStringList many;
    for (int i = 0; i < 12; ++i)
        many.append(QString("file-%1.txt").arg(i));
    show(many.mid(0, 2), 0);
    EXPECT_LT(strip.width(), 420);
    EXPECT_EQ(strip.width(), tab(1)->geometry().right() + 1 + 4 + 8);

    show(many, 11);
    EXPECT_EQ(strip.width(), 420);
    EXPECT_EQ(strip.sizeHint().width(), 420);
    QScrollBar *bar = strip.scrollView()->horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // The selected last tab was scrolled into view.
    const QRect last = tab(11)->geometry().translated(-bar->value(), 0);
    EXPECT_GE(last.left(), 0);
    EXPECT_LE(last.right(), strip.width());
    show(many, 0);
    EXPECT_EQ(bar->value(), 0);

    QWidget *viewport = strip.scrollView()->viewport();
    const QPointF at(100, 10);
    QWheelEvent wheelDown(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheelDown);
    EXPECT_EQ(bar->value(), 12);
    QWheelEvent wheelUp(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheelUp);
    EXPECT_EQ(bar->value(), 0);
    // A trackpad's vertical swipe is not turned sideways.
    QWheelEvent swipe(at, viewport->mapToGlobal(at), QPoint(0, -30), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::ScrollUpdate, false);
    QApplication::sendEvent(viewport, &swipe);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(TabStrip, hoverReportsTheTabAndEndsOnPressAndMenu)
{
    show({ "a", "b" }, 0);
    QMenu *menu = nullptr;
    int menuIndex = -1;
    strip.menuForTab = [&](int i) {
        menuIndex = i;
        menu = new QMenu();
        menu->addAction("Close");
        return menu;
    };
    // Off the tabs first: a move to where the pointer already is would not count.
    moveTo(QPoint(host.width() - 5, host.height() - 5));
    moveTo(centreOf(tab(1)));
    ASSERT_TRUE(waitUntil([this] { return hovers.contains(1); }));
    EXPECT_EQ(hoveredView, tab(1));
    hovers.clear();
    press(centreOf(tab(1)));
    EXPECT_EQ(hovers, QList<int> { -1 });
    EXPECT_EQ(hoveredView, nullptr);
    release(centreOf(tab(1)));

    moveTo(centreOf(tab(0)));
    ASSERT_TRUE(waitUntil([this] { return hovers.contains(0); }));
    hovers.clear();
    const QPoint inside = tab(0)->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Mouse, inside, tab(0)->mapToGlobal(inside));
    QApplication::sendEvent(tab(0), &request);
    ASSERT_FALSE(hovers.isEmpty());
    EXPECT_EQ(hovers.first(), -1);
    EXPECT_EQ(menuIndex, 0);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(waitUntil([&] { return menu->isVisible(); }));
    QPointer<QMenu> closing(menu);
    menu->close();
    // The strip deletes the menu once it has closed.
    EXPECT_TRUE(waitUntil([&] { return closing.isNull(); }));
}

}

// The strip where the window puts it: in a column, left-aligned, narrower than the tabs need.
TEST(NarrowTabStrip, keepsTheSelectedTabWholeAndNoCloseButtonStandsAlone)
{
    QWidget host;
    auto *column = new QVBoxLayout(&host);
    column->setContentsMargins(0, 0, 0, 0);
    auto *strip = new TabStripView(&host);
    column->addWidget(strip, 0, Qt::AlignLeft);
    column->addStretch(1);
    host.resize(260, 80);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QStringList titles;
    for (int i = 0; i < 6; ++i)
        titles.append(QString("document-%1.cpp").arg(i));
    QScrollBar *bar = strip->scrollView()->horizontalScrollBar();
    const auto onScreen = [&](int i) {
        return strip->tabView(i)->geometry().translated(-bar->value(), 0);
    };
    const auto checkCuts = [&] {
        for (int i = 0; i < strip->tabCount(); ++i) {
            const QRect shown = onScreen(i);
            const bool cut = shown.left() < 0 && shown.right() >= 0;
            EXPECT_EQ(strip->tabView(i)->closeButton()->isVisible(), !cut) << i;
        }
    };
    for (const int selected : { 5, 3, 0, 4 }) {
        SCOPED_TRACE(selected);
        strip->setTabs(titles, {}, {}, selected);
        QApplication::processEvents();
        ASSERT_LE(strip->width(), 260);
        const QRect shown = onScreen(selected);
        EXPECT_GE(shown.left(), 0);
        EXPECT_LE(shown.right(), strip->width() - 1);
        for (int i = 0; i < strip->tabCount(); ++i) {
            const QRect other = onScreen(i);
            // Stopping short of a tab by the strip's inset leaves its neighbour's last points, blank.
            EXPECT_FALSE(other.left() < 0 && other.right() >= TabLayout::insetX) << "tab " << i << " is cut";
        }
        checkCuts();
    }

    // The window narrows further: the selected tab is brought back into view.
    strip->setTabs(titles, {}, {}, 2);
    host.resize(200, 80);
    QApplication::processEvents();
    EXPECT_GE(onScreen(2).left(), 0);
    EXPECT_LE(onScreen(2).right(), strip->width() - 1);

    // A wheel turn leaves a tab cut at the left: it shows no lone close button.
    QWidget *viewport = strip->scrollView()->viewport();
    const QPointF at(50, 10);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    checkCuts();
    int hidden = 0;
    for (int i = 0; i < strip->tabCount(); ++i)
        hidden += strip->tabView(i)->closeButton()->isVisible() ? 0 : 1;
    EXPECT_EQ(hidden, 1) << "the wheel moved 12 points into a tab";
}
