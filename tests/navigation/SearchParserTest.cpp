#include "navigation/SearchParser.h"

#include <gtest/gtest.h>

namespace
{

SearchHit hit(const QString &path, int line, const QString &text)
{
    return SearchHit { path, line, text };
}

TEST(SearchParserTest, SplitsPathLineAndText)
{
    EXPECT_EQ(SearchParser::parseLine("./src/main.cpp:12:    int x = 1;"),
        hit("src/main.cpp", 12, "    int x = 1;"));
    // Colons in the text stay in the text.
    EXPECT_EQ(SearchParser::parseLine("a.txt:3:b:4:c"), hit("a.txt", 3, "b:4:c"));
    EXPECT_EQ(SearchParser::parseLine("a.txt:7:"), hit("a.txt", 7, ""));
    // Only a leading "./" goes.
    EXPECT_EQ(SearchParser::parseLine("x/./y:1:t"), hit("x/./y", 1, "t"));
}

TEST(SearchParserTest, FileNameWithColonDigitsColonIsCutAtTheFirstSuchPlace)
{
    // The file is really "a:12:b.txt", but the earliest colon, digits, colon wins.
    EXPECT_EQ(SearchParser::parseLine("./a:12:b.txt:1:hello"), hit("a", 12, "b.txt:1:hello"));
    // Colons not followed by digits and a colon are part of the path.
    EXPECT_EQ(SearchParser::parseLine("a:b::x:5:t"), hit("a:b::x", 5, "t"));
    EXPECT_EQ(SearchParser::parseLine("a:1x:2:t"), hit("a:1x", 2, "t"));
}

TEST(SearchParserTest, LinesWithoutTheSeparatorsAreSkipped)
{
    EXPECT_FALSE(SearchParser::parseLine(""));
    EXPECT_FALSE(SearchParser::parseLine("grep: warning: recursive search"));
    EXPECT_FALSE(SearchParser::parseLine("a.txt:12"));
    EXPECT_FALSE(SearchParser::parseLine("a.txt::text"));
    // At least one byte before the first colon.
    EXPECT_FALSE(SearchParser::parseLine(":12:text"));
    EXPECT_EQ(SearchParser::parseLine(":12:x:3:y"), hit(":12:x", 3, "y"));
}

TEST(SearchParserTest, InvalidUtf8StillGivesAHit)
{
    const auto parsed = SearchParser::parseLine("caf\xe9.txt:2:na\xefve \xc3\xa9t\xc3\xa9");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->path, QString::fromUtf8("caf\xef\xbf\xbd.txt"));
    EXPECT_EQ(parsed->line, 2);
    EXPECT_EQ(parsed->text, QString::fromUtf8("na\xef\xbf\xbdve \xc3\xa9t\xc3\xa9"));
}

TEST(SearchParserTest, HugeLineNumberDoesNotOverflow)
{
    const auto parsed = SearchParser::parseLine("a:99999999999999999999:t");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->line, INT_MAX);
}

TEST(SearchParserTest, ChunksAreSplitAtLineFeedsWhereverTheyBreak)
{
    const QByteArray output = "./a.txt:1:one\n./b/c.txt:22:two \xe2\x82\xac\nnoise\n./d:3:three\n";
    SearchParser whole;
    const QList<SearchHit> expected = whole.feed(output);
    ASSERT_EQ(expected.size(), 3);
    EXPECT_EQ(expected[1], hit("b/c.txt", 22, QString::fromUtf8("two \xe2\x82\xac")));

    // Byte by byte, even through the middle of a UTF-8 sequence.
    SearchParser bytewise;
    QList<SearchHit> collected;
    for (char byte : output)
        collected += bytewise.feed(QByteArrayView(&byte, 1));
    EXPECT_EQ(collected, expected);
    EXPECT_TRUE(bytewise.pending().isEmpty());
}

TEST(SearchParserTest, BytesAfterTheLastLineFeedWait)
{
    SearchParser parser;
    EXPECT_TRUE(parser.feed("a.txt:1:x").isEmpty());
    EXPECT_EQ(parser.pending(), "a.txt:1:x");
    const QList<SearchHit> hits = parser.feed("y\nb.txt:2:z");
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0], hit("a.txt", 1, "xy"));
    EXPECT_EQ(parser.pending(), "b.txt:2:z");
}

}
