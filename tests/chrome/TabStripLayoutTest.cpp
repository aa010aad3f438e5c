#include "chrome/TabLayout.h"

#include <gtest/gtest.h>

using namespace TabLayout;

// Three 100-point tabs sit at 4, 106 and 208, with centres at 54, 156 and 258.
TEST(TabStripLayout, reorderTargetCountsCentresLeftOfTheDraggedCentre)
{
    const QList<int> even { 100, 100, 100 };
    const QList<int> mixed { 80, 180, 80 }; // centres 44, 176, 308
    const struct {
        QList<int> widths;
        int dragged;
        double left;
        int target;
    } cases[] = {
        { even, 1, 106, 1 }, // where it started
        { even, 1, 166, 1 }, // centre 216: not yet past the third tab's 258
        { even, 1, 209, 2 }, // centre 259: past it
        { even, 1, 1000, 2 }, // far right
        { even, 1, -50, 0 }, // far left
        { even, 0, 106, 0 }, // centre 156 equals the neighbour's: not strictly left
        { even, 0, 107, 1 }, { even, 2, 0, 0 }, // centre 50 is left of the first tab's 54
        { even, 2, 10, 1 }, { mixed, 0, 140, 1 }, // a narrow tab must pass the wide tab's centre
        { mixed, 0, 95, 0 }, { mixed, 2, 50, 1 }, { mixed, 2, 95, 1 }, { mixed, 1, -200, 0 },
        { { 120 }, 0, 500, 0 }, // alone, nothing to pass
    };
    for (const auto &c : cases)
        EXPECT_EQ(reorderTarget(c.widths, c.dragged, c.left), c.target)
            << "widths " << c.widths.size() << " dragged " << c.dragged << " left " << c.left;
}

TEST(TabStripLayout, selectionFollowsAMove)
{
    const struct {
        int selected, from, to, after;
    } cases[] = {
        { 1, 1, 2, 2 }, // the dragged tab was selected
        { 2, 1, 2, 1 }, // selected was passed to the right
        { 0, 1, 2, 0 }, // untouched on the left
        { 0, 2, 0, 1 }, // selected was passed to the left
        { 1, 3, 0, 2 },
        { 4, 3, 0, 4 }, // untouched on the right
        { 3, 3, 3, 3 },
    };
    for (const auto &c : cases)
        EXPECT_EQ(selectionAfterMove(c.selected, c.from, c.to), c.after)
            << c.selected << " " << c.from << "->" << c.to;
}

// The drag threshold and the strip's bound are exercised through the widget in TabStripViewTest.
TEST(TabStripLayout, widthsAreKeptWithinTheirBounds)
{
    // Title inset 8, title, gap 4, close button, inset 4; kept between 80 and 180.
    EXPECT_EQ(tabWidth(50, 16), 82);
    EXPECT_EQ(tabWidth(10, 16), 80);
    EXPECT_EQ(tabWidth(400, 16), 180);
    // Insets 4 + 4, spacing 2 between tabs, 8 to spare.
    EXPECT_EQ(tabLefts({ 100, 80, 120 }), (QList<int> { 4, 106, 188 }));
    EXPECT_EQ(contentWidth({ 100, 100 }), 218);
    EXPECT_EQ(stripWidth({}), 0);
    EXPECT_EQ(stripWidth(QList<int>(20, 180)), 420);
    // A dragged tab stays inside the stack.
    EXPECT_EQ(clampedLeft(-30, 100, 400), 0);
    EXPECT_EQ(clampedLeft(350, 100, 400), 300);
    EXPECT_EQ(clampedLeft(50, 100, 80), 0);
}

TEST(TabStripLayout, wheelScrollsTwelvePointsPerNotchWithinTheDocument)
{
    // Wheel turned towards the user (negative) moves right, away from the user moves left.
    EXPECT_EQ(sidewaysScroll(100, -1, 1000, 420), 112);
    EXPECT_EQ(sidewaysScroll(100, 2.5, 1000, 420), 70);
    EXPECT_EQ(sidewaysScroll(5, 1, 1000, 420), 0);
    EXPECT_EQ(sidewaysScroll(575, -1, 1000, 420), 580);
    EXPECT_EQ(sidewaysScroll(0, -1, 300, 420), 0);
}

TEST(TabStripLayout, showingATabStopsWhereATabBegins)
{
    // Tabs begin (with their inset) at 0, 102, 204 and 306; the row is 422 wide.
    const QList<int> four(4, 100);
    EXPECT_EQ(offsetShowing(four, 3, 0, 250), 204) << "not 164, which would cut the second tab";
    EXPECT_EQ(offsetShowing(four, 0, 204, 250), 0);
    EXPECT_EQ(offsetShowing(four, 2, 204, 250), 204) << "already whole on screen";
    EXPECT_EQ(offsetShowing(four, 2, 150, 250), 150) << "a place the wheel left is kept";
    EXPECT_EQ(offsetShowing(four, 3, 300, 250), 204) << "no more room after the row than it needs";
    EXPECT_EQ(offsetShowing(four, 1, 0, 422), 0);
    // A tab wider than the view shows its start.
    EXPECT_EQ(offsetShowing({ 100, 180 }, 1, 0, 120), 102);
    EXPECT_EQ(offsetShowing({}, 0, 50, 300), 0);

    EXPECT_TRUE(cutAtLeft(106, 100, 150));
    EXPECT_FALSE(cutAtLeft(204, 100, 150));
    EXPECT_FALSE(cutAtLeft(4, 100, 150)) << "wholly out of view";
}
