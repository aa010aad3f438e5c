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

TEST(LineNumberCacheTest, NumbersOffsetsOnBothSidesOfLineFeedsAtBlockBoundaries)
{
    const QString text = textWithFeedsAt(40000, { 255, 256, 16383, 16384, 16385, 39999 });
    // Each offset from the top, then the same offsets walked from the cache, up and down.
    const std::vector<std::pair<qsizetype, qsizetype>> expected { { 255, 1 }, { 256, 2 },
        { 257, 3 }, { 16383, 3 }, { 16384, 4 }, { 16385, 5 }, { 16386, 6 }, { 39999, 6 },
        { 40000, 7 } };
    for (const auto &[offset, line] : expected) {
        LineNumberCache fresh;
        EXPECT_EQ(lineNumberAt(offset, text, fresh), line) << "from the top to " << offset;
    }
    LineNumberCache cache;
    for (const auto &[offset, line] : expected) {
        EXPECT_EQ(lineNumberAt(offset, text, cache), line) << "up to " << offset;
    }
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        EXPECT_EQ(lineNumberAt(it->first, text, cache), it->second) << "down to " << it->first;
}

TEST(LineNumberCacheTest, ClampsOffsetsAndEndsLinesOnlyAtLineFeeds)
{
    const QString text = QStringLiteral("one\rtwo\rthree\r\nfour");
    LineNumberCache cache;
    EXPECT_EQ(lineNumberAt(text.indexOf(u'f'), text, cache), 2);
    EXPECT_EQ(lineNumberAt(text.indexOf(u't'), text, cache), 1);
    EXPECT_EQ(lineNumberAt(-5, text, cache), 1);
    EXPECT_EQ(cache.index, 0);
    EXPECT_EQ(lineNumberAt(text.size() + 100, text, cache), 2);
    EXPECT_EQ(cache.index, text.size());
    LineNumberCache empty;
    EXPECT_EQ(lineNumberAt(3, QString(), empty), 1);
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
    // A cache left from a longer text is never walked from.
    LineNumberCache stale { 100000, 500 };
    EXPECT_EQ(lineNumberAt(60, text, stale), 3);
}
