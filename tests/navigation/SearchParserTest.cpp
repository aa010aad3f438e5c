#include "navigation/SearchParser.h"

#include <gtest/gtest.h>

#include <optional>

TEST(SearchParserTest, LineTable)
{
    const struct {
        QByteArray line;
        std::optional<SearchHit> expected;
    } cases[] = {
        { "./src/main.cpp:12:    int x = 1;", SearchHit { "src/main.cpp", 12, "    int x = 1;" } },
        // Colons in the text stay in the text; only a leading "./" goes.
        { "a.txt:3:b:4:c", SearchHit { "a.txt", 3, "b:4:c" } },
        { "a.txt:7:", SearchHit { "a.txt", 7, "" } },
        { "x/./y:1:t", SearchHit { "x/./y", 1, "t" } },
        // The file is really "a:12:b.txt", but the earliest colon, digits, colon wins.
        { "./a:12:b.txt:1:hello", SearchHit { "a", 12, "b.txt:1:hello" } },
        // Colons not followed by digits and a colon are part of the path.
        { "a:b::x:5:t", SearchHit { "a:b::x", 5, "t" } },
        { "a:1x:2:t", SearchHit { "a:1x", 2, "t" } },
        { "a:99999999999999999999:t", SearchHit { "a", INT_MAX, "t" } },
        { "", std::nullopt },
        { "grep: warning: recursive search", std::nullopt },
        { "a.txt:12", std::nullopt },
        { "a.txt::text", std::nullopt },
        // At least one byte before the first colon.
        { ":12:text", std::nullopt },
        { ":12:x:3:y", SearchHit { ":12:x", 3, "y" } },
        // Bytes that are not UTF-8 become replacement characters; the hit stays.
        { "caf\xe9.txt:2:na\xefve \xc3\xa9t\xc3\xa9",
            SearchHit { QString::fromUtf8("caf\xef\xbf\xbd.txt"), 2,
                QString::fromUtf8("na\xef\xbf\xbdve \xc3\xa9t\xc3\xa9") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(SearchParser::parseLine(c.line), c.expected);
    }
}

TEST(SearchParserTest, ChunksAreSplitAtLineFeedsWhereverTheyBreak)
{
    const QByteArray output = "./a.txt:1:one\n./b/c.txt:22:two \xe2\x82\xac\nnoise\n./d:3:three\n";
    SearchParser whole;
    const QList<SearchHit> expected = whole.feed(output);
    ASSERT_EQ(expected.size(), 3);
    EXPECT_EQ(expected[1], (SearchHit { "b/c.txt", 22, QString::fromUtf8("two \xe2\x82\xac") }));

    // Byte by byte, even through the middle of a UTF-8 sequence.
    SearchParser bytewise;
    QList<SearchHit> collected;
    for (char byte : output)
        collected += bytewise.feed(QByteArrayView(&byte, 1));
    EXPECT_EQ(collected, expected);
    EXPECT_TRUE(bytewise.pending().isEmpty());

    // Bytes after the last line feed wait for the rest of their line.
    SearchParser parser;
    EXPECT_TRUE(parser.feed("a.txt:1:x").isEmpty());
    const QList<SearchHit> hits = parser.feed("y\nb.txt:2:z");
    EXPECT_EQ(hits, (QList<SearchHit> { { "a.txt", 1, "xy" } }));
    EXPECT_EQ(parser.pending(), "b.txt:2:z");
}
