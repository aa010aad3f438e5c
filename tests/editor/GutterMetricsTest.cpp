#include "editor/GutterMetrics.h"

#include <gtest/gtest.h>

TEST(GutterMetricsTest, WidthHoldsThreeDigitsAndGrowsAtEachPowerOfTen)
{
    const qreal digit = 7.25;
    const int three = GutterMetrics::widthForLineCount(1, digit);
    EXPECT_EQ(three, 22 + 22); // ceil(3 x 7.25) + 22
    EXPECT_EQ(GutterMetrics::widthForLineCount(9, digit), three);
    EXPECT_EQ(GutterMetrics::widthForLineCount(999, digit), three);
    EXPECT_EQ(GutterMetrics::widthForLineCount(1000, digit), 29 + 22);
    EXPECT_EQ(GutterMetrics::widthForLineCount(9999, digit), 29 + 22);
    EXPECT_EQ(GutterMetrics::widthForLineCount(10000, digit), 37 + 22);
    EXPECT_EQ(GutterMetrics::widthForLineCount(1234567890123, digit), 95 + 22);
}
