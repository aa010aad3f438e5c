#pragma once

#include <QList>
#include <QString>

// The geometry and arithmetic of the tab strip, kept apart from the widgets so that it can be
// reasoned about (and tested) on plain numbers.
namespace TabLayout
{

inline constexpr int stripHeight = 28;
inline constexpr int maxStripWidth = 420;
inline constexpr int tabHeight = 22;
inline constexpr int minTabWidth = 80;
inline constexpr int maxTabWidth = 180;
inline constexpr int tabSpacing = 2;
inline constexpr int insetX = 4;
inline constexpr int insetY = 2;
// Room beyond the tabs' fitting width, so the last tab never touches the strip's edge.
inline constexpr int trailingRoom = 8;
inline constexpr int titleInset = 8;
inline constexpr int closeGap = 4;
inline constexpr int closeInset = 4;
inline constexpr int cornerRadius = 5;
inline constexpr double dragThreshold = 4;
inline constexpr double wheelStep = 12;
inline constexpr int slideMs = 140;
inline constexpr int settleMs = 120;

// The text a tab shows: a dirty document's title starts with a black circle.
QString titleText(const QString &title, bool dirty);

// A tab's width for a title and a close button of the given widths.
int tabWidth(int titleWidth, int closeWidth);

// Left edges of tabs of the given widths laid out side by side, in stack coordinates.
QList<int> tabLefts(const QList<int> &widths);

// Width of the row of tabs with its insets and trailing room; the stack is at least this wide.
int contentWidth(const QList<int> &widths);

// The strip's preferred width: the content width up to the bound, 0 without tabs.
int stripWidth(const QList<int> &widths);

// Whether a horizontal move of dx from the press point makes the press a drag.
bool startsDrag(double dx);

// Where the tab at dragged (widths in stack order) belongs when its left edge is at
// draggedLeft: the number of other tabs, in order, whose centres lie left of its centre.
int reorderTarget(const QList<int> &widths, int dragged, double draggedLeft);

// The selected index after the tab at from moved to to.
int selectionAfterMove(int selected, int from, int to);

// A dragged tab's left edge, kept inside a stack of the given width.
double clampedLeft(double left, int width, int stackWidth);

// The scroll offset that shows the tab at `index` whole (its start when it is wider than the
// view), moving as little as possible from `current`. When it has to move, it stops where a tab
// begins, so that no tab is left cut at the strip's left edge. May exceed the scroll range: the
// caller widens the row to suit.
int offsetShowing(const QList<int> &widths, int index, int current, int visibleWidth);

// Whether a tab is cut by the strip's left edge, so that its close button would stand alone.
bool cutAtLeft(int tabLeft, int tabWidth, int offset);

// The horizontal scroll offset after a vertical wheel turn of verticalDelta notches.
int sidewaysScroll(int current, double verticalDelta, int documentWidth, int visibleWidth);

}
