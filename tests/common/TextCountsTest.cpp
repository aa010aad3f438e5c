#include "common/TextCounts.h"

#include <QString>
#include <gtest/gtest.h>

TEST(TextCounts, CountsOnlyLineFeeds)
{
    EXPECT_EQ(countLineFeeds(u""), 0);
    EXPECT_EQ(countLineFeeds(u"no break"), 0);
    EXPECT_EQ(countLineFeeds(u"\n"), 1);
    EXPECT_EQ(countLineFeeds(u"one\r\ntwo\rthree\n"), 2);
    EXPECT_EQ(countLineFeeds(u"\u2028\u0085\n\n"), 2);
}

TEST(TextCounts, LargeTextsAndViewsThatStartMidway)
{
    const QString text = QStringLiteral("abcdef\n").repeated(500'000);
    EXPECT_EQ(countLineFeeds(text), 500'000);
    // Starts and ends away from any alignment the scan might lean on.
    EXPECT_EQ(countLineFeeds(QStringView(text).mid(3, 7 * 1000 + 1)), 1000);
    EXPECT_EQ(countLineFeeds(QStringView(text).mid(6, 2)), 1);
    // Nothing but line feeds, around the lengths where a scan in blocks changes step.
    for (qsizetype size : { 255, 256, 257, 511, 512, 1000 })
        EXPECT_EQ(countLineFeeds(QString(size, u'\n')), size) << size;
}
