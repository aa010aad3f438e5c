#include "editor/view/LayoutCache.h"

#include <gtest/gtest.h>

namespace
{

std::unique_ptr<QTextLayout> layoutOf(qsizetype line)
{
    return std::make_unique<QTextLayout>(QString::number(line));
}

QString textAt(LayoutCache &cache, qsizetype line)
{
    const QTextLayout *layout = cache.find(line);
    return layout ? layout->text() : QString();
}

}

TEST(LayoutCache, TheLeastRecentlyUsedLineGoesFirst)
{
    LayoutCache cache(3);
    for (qsizetype line : { 10, 11, 12 })
        cache.insert(line, layoutOf(line));
    cache.find(10); // 11 is now the oldest
    cache.insert(13, layoutOf(13));
    EXPECT_FALSE(cache.contains(11));
    EXPECT_TRUE(cache.contains(10));
    EXPECT_EQ(cache.size(), 3);
    EXPECT_EQ(cache.made(), 4u);
    cache.setCapacity(1);
    EXPECT_EQ(cache.size(), 1);
    EXPECT_TRUE(cache.contains(13));
}

TEST(LayoutCache, EditsDropTouchedLinesAndRenumberTheRest)
{
    LayoutCache cache(100);
    for (qsizetype line = 0; line < 10; ++line)
        cache.insert(line, layoutOf(line));

    // Typing in line 3: only line 3 goes.
    cache.follow(3, 0, 0);
    EXPECT_FALSE(cache.contains(3));
    EXPECT_EQ(cache.size(), 9);

    // Return in line 5: line 5 goes, line 6 becomes 7.
    cache.follow(5, 0, 1);
    EXPECT_FALSE(cache.contains(5));
    EXPECT_FALSE(cache.contains(6));
    EXPECT_EQ(textAt(cache, 7), QStringLiteral("6"));
    EXPECT_EQ(textAt(cache, 10), QStringLiteral("9"));
    EXPECT_EQ(textAt(cache, 4), QStringLiteral("4"));

    // Joining lines 1 to 3 (two breaks out): 1, 2 and 3 go, 4 becomes 2.
    cache.follow(1, 2, 0);
    EXPECT_EQ(textAt(cache, 0), QStringLiteral("0"));
    EXPECT_FALSE(cache.contains(1));
    EXPECT_EQ(textAt(cache, 2), QStringLiteral("4"));
    EXPECT_EQ(textAt(cache, 8), QStringLiteral("9"));
    EXPECT_EQ(cache.size(), 6);
}
