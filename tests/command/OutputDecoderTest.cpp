#include "command/OutputDecoder.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <vector>

namespace
{

QString decodeAll(const std::vector<QByteArray> &chunks)
{
    OutputDecoder decoder;
    QString out;
    for (const QByteArray &chunk : chunks)
        out += decoder.decode(chunk);
    return out + decoder.finish();
}

TEST(OutputDecoder, DecodesChunksToCleanText)
{
    const QString replacement = QString(QChar(0xFFFD));
    const struct {
        const char *name;
        std::vector<QByteArray> chunks;
        QString expected;
    } cases[] = {
        { "e acute split across chunks", { "caf\xC3", "\xA9!" }, QString::fromUtf8("café!") },
        { "three-byte character split after one", { "\xE2", "\x82\xAC" }, "€" },
        { "three-byte character split after two", { "\xE2\x82", "\xAC" }, "€" },
        { "four-byte character split in three", { "\xF0\x9F", "\x98", "\x80" }, "😀" },
        { "colour split across chunks", { "\x1B[3", "1mred" }, "red" },
        { "colour and reset", { "\x1B[1;31mred\x1B[0m plain\n" }, "red plain\n" },
        { "escape alone at a chunk's end", { "a\x1B", "[32mb" }, "ab" },
        { "progress with carriage returns", { "50%\r100%\n" }, "50%\n100%\n" },
        { "CRLF is one line break", { "one\r\ntwo\r\n" }, "one\ntwo\n" },
        { "CRLF split across chunks", { "one\r", "\ntwo" }, "one\ntwo" },
        { "carriage return at the very end", { "done\r" }, "done\n" },
        { "title ended by BEL", { "\x1B]0;my title\aafter" }, "after" },
        { "title ended by ESC backslash", { "\x1B]2;t\x1B\\after" }, "after" },
        { "title split across chunks", { "x\x1B]0;ti", "tle\x07y" }, "xy" },
        { "title split inside its ESC backslash", { "a\x1B]0;t\x1B", "\\b" }, "ab" },
        { "colour after a title, split in both", { "\x1B]0;t\x07\x1B[3", "1mx" }, "x" },
        { "title still open at the end is dropped", { "text\x1B]0;unfinished" }, "text" },
        { "colour still open at the end is dropped", { "text\x1B[3" }, "text" },
        { "two-character escapes", { "a\033Db\033Mc\033_d" }, "abcd" },
        { "cursor movement", { "a\x1B[2Kb\x1B[1A" }, "ab" },
        { "invalid byte", { "a\377b" }, "a" + replacement + "b" },
        { "truncated character before ASCII", { "a\303b" }, "a" + replacement + "b" },
        { "truncated character at the stream's end", { "a\xC3" }, "a" + replacement },
        { "lone continuation bytes", { "\x80\x80\x80" }, replacement.repeated(3) },
        { "escape then line break is not held", { "a\x1B[1\nb" }, "a\x1B[1\nb" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeAll(c.chunks), c.expected);
    }
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
        + "\x1B]0;title\x07" + "\x1B]2;other\x1B\\"
        + "\xE2\x82\xAC \xF0\x9F\x98\x80 \x1B"
          "E done\n";
    const QString whole = decodeAll({ stream });
    EXPECT_EQ(whole, QString::fromUtf8("café ok 50%\n100%\n€ 😀  done\n"));
    // A sequence too long to hold between chunks is no escape at all, however it arrives.
    const QByteArray longTitle = "\x1B]0;" + QByteArray(300, 't') + "\x07";
    EXPECT_EQ(decodeAll({ longTitle.first(100), longTitle.sliced(100) }),
        decodeAll({ longTitle }));
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
        if (round % 100 == 0) // now and then longer than any escape may be
            text.insert(random.bounded(int(text.size()) + 1), QString(250 + random.bounded(8), u';'));
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
