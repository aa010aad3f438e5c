#include "editor/view/RowScroll.h"

#include <gtest/gtest.h>

#include <set>

using RowScroll::Place;

TEST(RowScroll, MovesAcrossWrappedLinesAndStopsAtTheEnds)
{
    // Line 2 wraps into 4 rows, line 5 into 3; the rest take one row. 8 lines, 13 rows.
    const RowScroll::RowsOf rows = [](qsizetype line) -> qsizetype {
        return line == 2 ? 4 : line == 5 ? 3 : 1;
    };
    EXPECT_EQ(RowScroll::moved({ 0, 0 }, 3, 8, rows), (Place { 2, 1 }));
    EXPECT_EQ(RowScroll::moved({ 2, 1 }, 3, 8, rows), (Place { 3, 0 }));
    EXPECT_EQ(RowScroll::moved({ 3, 0 }, -2, 8, rows), (Place { 2, 2 }));
    EXPECT_EQ(RowScroll::moved({ 6, 0 }, -5, 8, rows), (Place { 3, 0 }));
    EXPECT_EQ(RowScroll::moved({ 1, 0 }, -5, 8, rows), (Place { 0, 0 }));
    EXPECT_EQ(RowScroll::moved({ 6, 0 }, 50, 8, rows), (Place { 7, 0 }));
    EXPECT_EQ(RowScroll::moved({ 2, 9 }, 0, 8, rows), (Place { 2, 3 })) << "a stale row is clamped";
}

TEST(RowScroll, LastTopFillsTheLastScreenAskingOnlyAboutIt)
{
    std::set<qsizetype> asked;
    const RowScroll::RowsOf rows = [&](qsizetype line) -> qsizetype {
        asked.insert(line);
        return line == 999'998 ? 3 : 1;
    };
    // The last 5 rows: line 999,999, the three rows of 999,998, and 999,997.
    EXPECT_EQ(RowScroll::lastTop(1'000'000, 5, rows), (Place { 999'997, 0 }));
    EXPECT_EQ(RowScroll::lastTop(1'000'000, 3, rows), (Place { 999'998, 1 }));
    EXPECT_LE(asked.size(), 5u);
    EXPECT_EQ(RowScroll::lastTop(2, 10, rows), (Place { 0, 0 })) << "a short text starts at the top";
}
