#include "common/RelativeTime.h"

#include <gtest/gtest.h>

namespace
{

const QDateTime now = QDateTime::fromSecsSinceEpoch(1'800'000'000, Qt::UTC);

QDateTime ago(double seconds)
{
    return now.addMSecs(-qint64(seconds * 1000));
}

TEST(RelativeTime, LongWordsAtEachBoundary)
{
    const struct {
        double seconds;
        const char *text;
    } cases[] = {
        { -3600, "just now" }, // the future
        { 44.9, "just now" },
        { 45, "1 min ago" },
        { 90, "1 min ago" },
        { 3599, "59 min ago" },
        { 3600, "1 hr ago" },
        { 86399, "23 hr ago" },
        { 86400, "1 days ago" },
        { 36 * 3600, "1 days ago" },
        { 5'183'999, "59 days ago" },
        { 5'184'000, "2 months ago" },
        { 63'071'999, "24 months ago" },
        { 63'072'000, "2 years ago" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(relativeTime(ago(c.seconds), now), QLatin1String(c.text)) << c.seconds;
}

TEST(RelativeTime, CompactAgesAtEachBoundary)
{
    const struct {
        double seconds;
        const char *text;
    } cases[] = {
        { -10, "now" },
        { 59.9, "now" },
        { 60, "1m" },
        { 3599, "59m" },
        { 5400, "1h" },
        { 86399, "23h" },
        { 86400, "1d" },
        { 604'799, "6d" },
        { 604'800, "1w" },
        { 2'591'999, "4w" },
        { 40 * 86400, "1mo" },
        { 31'535'999, "12mo" },
        { 31'536'000, "1y" },
        { 3 * 31'536'000 - 1, "2y" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(shortRelativeTime(ago(c.seconds), now), QLatin1String(c.text)) << c.seconds;
}

}
