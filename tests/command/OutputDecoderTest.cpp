#include "command/OutputDecoder.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <vector>

namespace
{

struct DecodeCase {
    const char *name;
    std::vector<QByteArray> chunks;
    QString expected;
};

QString decodeAll(const std::vector<QByteArray> &chunks)
{
    OutputDecoder decoder;
    QString out;
    for (const QByteArray &chunk : chunks)
        out += decoder.decode(chunk);
    return out + decoder.finish();
}

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    *os << c.name;
}

class DecodeTable : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(DecodeTable, DecodesChunksToCleanText)
{
    const DecodeCase &c = GetParam();
    EXPECT_EQ(decodeAll(c.chunks), c.expected);
}

const QString replacement = QString(QChar(0xFFFD));

INSTANTIATE_TEST_SUITE_P(EdgeCases, DecodeTable,
    ::testing::Values(DecodeCase { "plain", { "hello\n" }, "hello\n" },
        DecodeCase {
            "e_acute_split_across_chunks", { "caf\xC3", "\xA9!" }, QString::fromUtf8("café!") },
        DecodeCase {
            "three_byte_char_split_after_one", { "\xE2", "\x82\xAC" }, QString::fromUtf8("€") },
        DecodeCase {
            "three_byte_char_split_after_two", { "\xE2\x82", "\xAC" }, QString::fromUtf8("€") },
        DecodeCase { "four_byte_char_split_in_three", { "\xF0\x9F", "\x98", "\x80" },
            QString::fromUtf8("😀") },
        DecodeCase { "colour_split_across_chunks", { "\x1B[3", "1mred" }, "red" },
        DecodeCase { "colour_and_reset", { "\x1B[1;31mred\x1B[0m plain\n" }, "red plain\n" },
        DecodeCase { "escape_alone_at_chunk_end", { "a\x1B", "[32mb" }, "ab" },
        DecodeCase { "progress_with_carriage_return", { "50%\r100%\n" }, "50%\n100%\n" },
        DecodeCase { "crlf_is_one_line_break", { "one\r\ntwo\r\n" }, "one\ntwo\n" },
        DecodeCase { "crlf_split_across_chunks", { "one\r", "\ntwo" }, "one\ntwo" },
        DecodeCase { "carriage_return_at_the_very_end", { "done\r" }, "done\n" },
        DecodeCase { "title_ended_by_bel",
            { "\x1B]0;my title\x07"
              "after" },
            "after" },
        DecodeCase { "title_ended_by_esc_backslash", { "\x1B]2;t\x1B\\after" }, "after" },
        DecodeCase { "title_split_across_chunks", { "x\x1B]0;ti", "tle\x07y" }, "xy" },
        DecodeCase { "title_still_open_at_end_is_dropped", { "text\x1B]0;unfinished" }, "text" },
        DecodeCase { "colour_still_open_at_end_is_dropped", { "text\x1B[3" }, "text" },
        DecodeCase { "two_character_escape",
            { "a\x1B"
              "Db\x1B"
              "Mc\x1B_d" },
            "abcd" },
        DecodeCase { "cursor_movement", { "a\x1B[2Kb\x1B[1A" }, "ab" },
        DecodeCase { "invalid_byte",
            { "a\xFF"
              "b" },
            "a" + replacement + "b" },
        DecodeCase { "truncated_char_before_ascii",
            { "a\xC3"
              "b" },
            "a" + replacement + "b" },
        DecodeCase { "truncated_char_at_end_of_stream", { "a\xC3" }, "a" + replacement },
        DecodeCase { "lone_continuation_bytes", { "\x80\x80\x80" },
            replacement + replacement + replacement },
        DecodeCase { "escape_then_line_break_is_not_held", { "a\x1B[1\nb" }, "a\x1B[1\nb" }),
    [](const ::testing::TestParamInfo<DecodeCase> &info) { return std::string(info.param.name); });

TEST(OutputDecoder, SplitColourSequenceIsCarriedThenRemoved)
{
    OutputDecoder decoder;
    EXPECT_EQ(decoder.decode(QByteArray("\x1B[3")), QString());
    EXPECT_EQ(decoder.heldText(), QStringLiteral("\x1B[3"));
    EXPECT_EQ(decoder.decode(QByteArray("1mred")), QStringLiteral("red"));
    EXPECT_TRUE(decoder.heldText().isEmpty());
}

TEST(OutputDecoder, EscapeOf256CharactersIsNotHeld)
{
    OutputDecoder decoder;
    const QByteArray longTitle = "\x1B]0;" + QByteArray(252, 't'); // 256 characters
    EXPECT_EQ(decoder.decode(longTitle), QString::fromLatin1(longTitle));
    EXPECT_TRUE(decoder.heldText().isEmpty());

    OutputDecoder shorter;
    EXPECT_EQ(shorter.decode(longTitle.chopped(1)), QString());
    EXPECT_EQ(shorter.heldText().size(), 255);
}

struct TailCase {
    QByteArray data;
    int held;
};

TEST(OutputDecoder, IncompleteTailTable)
{
    const std::vector<TailCase> cases = {
        { "", 0 },
        { "abc", 0 },
        { "\xC3", 1 },
        { "a\xC3", 1 },
        { "\xC3\xA9", 0 },
        { "\xE2", 1 },
        { "\xE2\x82", 2 },
        { "\xE2\x82\xAC", 0 },
        { "\xF0", 1 },
        { "\xF0\x9F", 2 },
        { "\xF0\x9F\x98", 3 },
        { "\xF0\x9F\x98\x80", 0 },
        { "\x82\xAC", 0 }, // shorter than the lead byte would need: nothing held
        { "\x80\x80\x80", 0 },
    };
    for (const TailCase &c : cases)
        EXPECT_EQ(OutputDecoder::incompleteTail(c.data), c.held) << c.data.toHex().constData();
}

TEST(OutputDecoder, UnfinishedEscapeTable)
{
    const std::vector<std::pair<QString, bool>> cases = {
        { QStringLiteral("\x1B"), true },
        { QStringLiteral("\x1B["), true },
        { QStringLiteral("\x1B[1;3"), true },
        { QStringLiteral("\x1B[1 "), true },
        { QStringLiteral("\x1B[1m"), false },
        { QStringLiteral("\x1B[1\n"), false },
        { QStringLiteral("\x1B[1") + QChar(0xE9), false },
        { QStringLiteral("\x1B]0;title"), true },
        { QStringLiteral("\x1B]0;title\x07"), false },
        { QStringLiteral("\x1B("), false },
        { QStringLiteral("\x1B"
                         "7"),
            false },
    };
    for (const auto &[tail, unfinished] : cases)
        EXPECT_EQ(OutputDecoder::isUnfinishedEscape(tail), unfinished) << tail.toStdString();
}

// Cutting a stream anywhere must not change the result: the held bytes and text make chunk
// boundaries invisible.
TEST(OutputDecoder, ChunkBoundariesDoNotChangeTheResult)
{
    const QByteArray stream = QByteArray("caf\xC3\xA9 \x1B[1;32mok\x1B[0m 50%\r100%\r\n")
        + "\x1B]0;title\x07"
        + "\xE2\x82\xAC \xF0\x9F\x98\x80 \x1B"
          "E done\n";
    const QString whole = decodeAll({ stream });
    EXPECT_EQ(whole, QString::fromUtf8("café ok 50%\n100%\n€ 😀  done\n"));
    QRandomGenerator random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<QByteArray> chunks;
        qsizetype at = 0;
        while (at < stream.size()) {
            const qsizetype size = 1 + random.bounded(6);
            chunks.push_back(stream.mid(at, size));
            at += size;
        }
        ASSERT_EQ(decodeAll(chunks), whole) << "round " << round;
    }
}

// The one-pass scan removes exactly what the compiled expression matches.
TEST(OutputDecoder, EscapeScanAgreesWithTheExpression)
{
    const QString alphabet
        = QStringLiteral("\x1B\x1B\x1B[[]]0;?9 /m@~AZ^_`\x07\\x\n\r") + QChar(0xE9);
    QRandomGenerator random(11);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(16);
        for (int i = 0; i < length; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];
        QString expected = text;
        expected.remove(OutputDecoder::escapePattern());
        QString scanned = text;
        OutputDecoder::removeEscapes(scanned);
        ASSERT_EQ(scanned, expected) << text.toUtf8().toHex().constData();
    }
}

TEST(OutputDecoder, LineFeedTable)
{
    const std::vector<std::pair<QString, QString>> cases = {
        { "", "" },
        { "a\r\nb", "a\nb" },
        { "a\rb", "a\nb" },
        { "\r\r\n", "\n\n" },
        { "\n\r", "\n\n" },
        { "no breaks", "no breaks" },
    };
    for (auto [text, expected] : cases) {
        OutputDecoder::toLineFeeds(text);
        EXPECT_EQ(text, expected);
    }
}

}
