#include "editor/LineNumberCache.h"

#include <QString>
#include <gtest/gtest.h>

namespace
{

// `size` code units of 'x' with line feeds at the given offsets.
QString textWithFeedsAt(qsizetype size, std::initializer_list<qsizetype> feeds)
{
    QString text(size, u'x');
    for (qsizetype at : feeds)
        text[at] = u'\n';
    return text;
}

}

TEST(LineNumberCacheTest, CountsLineFeedsOnBothSidesOfChunkBoundaries)
{
    const QString text = textWithFeedsAt(3 * 16384 + 10, { 0, 16383, 16384, 16385, 32768, 49161 });
    EXPECT_EQ(countLineFeeds(text, 0, text.size()), 6);
    EXPECT_EQ(countLineFeeds(text, 0, 16383), 1);
    EXPECT_EQ(countLineFeeds(text, 0, 16384), 2);
    EXPECT_EQ(countLineFeeds(text, 16384, 1), 1);
    // A range that starts mid-chunk and ends mid-chunk.
    EXPECT_EQ(countLineFeeds(text, 16384, 16385), 3);
    EXPECT_EQ(countLineFeeds(text, 16386, 16382), 0);
    // The last unit of the text.
    EXPECT_EQ(countLineFeeds(text, text.size() - 1, 1), 1);
}

TEST(LineNumberCacheTest, CountsEveryUnitOfAChunkFullOfLineFeeds)
{
    // More than 65,535 line feeds in all, and a whole chunk of them.
    const QString text(5 * 16384 + 3, u'\n');
    EXPECT_EQ(countLineFeeds(text, 0, text.size()), text.size());
    EXPECT_EQ(countLineFeeds(text, 100, 16384), 16384);
}

TEST(LineNumberCacheTest, ClampsTheRangeToTheText)
{
    const QString text = QStringLiteral("a\nb\nc\n");
    EXPECT_EQ(countLineFeeds(text, -4, 6), 1);
    EXPECT_EQ(countLineFeeds(text, 3, 1000), 2);
    EXPECT_EQ(countLineFeeds(text, 2, std::numeric_limits<qsizetype>::max()), 2);
    EXPECT_EQ(countLineFeeds(text, 7, 3), 0);
    EXPECT_EQ(countLineFeeds(text, 1, -3), 0);
    EXPECT_EQ(countLineFeeds(QString(), 0, 10), 0);
}

TEST(LineNumberCacheTest, CarriageReturnsDoNotEndLines)
{
    const QString text = QStringLiteral("one\rtwo\rthree\r\nfour");
    EXPECT_EQ(countLineFeeds(text, 0, text.size()), 1);
    LineNumberCache cache;
    EXPECT_EQ(lineNumberAt(text.indexOf(u'f'), text, cache), 2);
    EXPECT_EQ(lineNumberAt(text.indexOf(u't'), text, cache), 1);
}

TEST(LineNumberCacheTest, NumbersLinesFromTheCacheInEitherDirection)
{
    const QString text = textWithFeedsAt(40000, { 10, 16383, 16384, 20000, 39999 });
    LineNumberCache cache;
    EXPECT_EQ(lineNumberAt(16384, text, cache), 3);
    EXPECT_EQ(cache.index, 16384);
    EXPECT_EQ(cache.line, 3);
    EXPECT_EQ(lineNumberAt(16385, text, cache), 4);
    EXPECT_EQ(lineNumberAt(30000, text, cache), 5);
    EXPECT_EQ(lineNumberAt(20000, text, cache), 4);
    EXPECT_EQ(lineNumberAt(20001, text, cache), 5);
    EXPECT_EQ(lineNumberAt(11, text, cache), 2);
    EXPECT_EQ(lineNumberAt(text.size(), text, cache), 6);
    // Clamped to the text.
    EXPECT_EQ(lineNumberAt(-5, text, cache), 1);
    EXPECT_EQ(lineNumberAt(text.size() + 100, text, cache), 6);
    EXPECT_EQ(cache.index, text.size());
}

TEST(LineNumberCacheTest, CountsFromTheTopWhenThatIsTheShorterWalk)
{
    const QString text = textWithFeedsAt(100, { 5, 50, 90 });
    // Caches that disagree with the text show which way was counted.
    LineNumberCache near { 95, 10 };
    EXPECT_EQ(lineNumberAt(80, text, near), 9);
    LineNumberCache far { 95, 10 };
    EXPECT_EQ(lineNumberAt(40, text, far), 2);
    EXPECT_EQ(far.line, 2);
}
