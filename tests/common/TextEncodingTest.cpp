#include "common/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

QByteArray utf16le(const QString &text, bool mark)
{
    QByteArray bytes = mark ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

}

struct RoundTrip {
    const char *name;
    QByteArray bytes;
    TextEncoding::Kind kind;
    bool mark;
    QString text;
};

// A failing case names itself and its bytes, not a dump of the struct.
void PrintTo(const RoundTrip &c, std::ostream *out)
{
    *out << c.name << " (" << c.bytes.toHex(' ').toStdString() << ")";
}

class DecodeOrder : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(DecodeOrder, PicksTheEncodingAndWritesTheSameBytesBack)
{
    const RoundTrip &c = GetParam();
    const auto decoded = TextFile::decode(c.bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->text, c.text);
    EXPECT_EQ(decoded->encoding.kind, c.kind);
    EXPECT_EQ(decoded->encoding.byteOrderMark, c.mark);
    EXPECT_EQ(TextFile::encode(decoded->text, decoded->encoding), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeOrder,
    ::testing::Values(
        RoundTrip { "utf8", QByteArray("caf\xC3\xA9\n"), TextEncoding::Kind::Utf8, false, QString::fromUtf8("café\n") },
        RoundTrip { "utf8bom", QByteArray("\xEF\xBB\xBFx = 1\n"), TextEncoding::Kind::Utf8, true, "x = 1\n" },
        RoundTrip { "utf16le", utf16le(QString::fromUtf8("héllo\n"), true), TextEncoding::Kind::Utf16LE, true,
                    QString::fromUtf8("héllo\n") },
        RoundTrip { "utf16be", QByteArray("\xFE\xFF\0a\0\n", 6), TextEncoding::Kind::Utf16BE, true, "a\n" },
        // Not valid UTF-8: a lone Latin-1 é and a stray continuation byte.
        RoundTrip { "latin1", QByteArray("caf\xE9 \x80\xFF\n"), TextEncoding::Kind::Latin1, false,
                    QString::fromLatin1("caf\xE9 \x80\xFF\n") },
        RoundTrip { "crlf", QByteArray("a\r\nb\r\n"), TextEncoding::Kind::Utf8, false, "a\r\nb\r\n" },
        RoundTrip { "empty", QByteArray(), TextEncoding::Kind::Utf8, false, QString() }),
    [](const auto &info) { return std::string(info.param.name); });

struct Awkward {
    const char *name;
    QByteArray bytes;
    TextEncoding::Kind kind;
};

void PrintTo(const Awkward &c, std::ostream *out)
{
    *out << c.name << " (" << c.bytes.toHex(' ').toStdString() << ")";
}

class AwkwardBytes : public ::testing::TestWithParam<Awkward> {};

// Whatever a file holds, opening it and saving it untouched writes the same bytes.
TEST_P(AwkwardBytes, ComeBackByteForByte)
{
    const Awkward &c = GetParam();
    const auto decoded = TextFile::decode(c.bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->encoding.kind, c.kind);
    EXPECT_TRUE(TextFile::canEncode(decoded->text, decoded->encoding));
    EXPECT_EQ(TextFile::encode(decoded->text, decoded->encoding).toHex(), c.bytes.toHex());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AwkwardBytes,
    ::testing::Values(
        // An odd byte at the end of UTF-16 used to be dropped on save.
        Awkward { "utf16OddLength", QByteArray::fromHex("fffe68006900" "21"), TextEncoding::Kind::Latin1 },
        Awkward { "utf16beOddLength", QByteArray::fromHex("feff006800"), TextEncoding::Kind::Latin1 },
        // A code point past U+10FFFF used to be rewritten as a replacement character.
        Awkward { "utf32BeyondUnicode", QByteArray::fromHex("fffe0000" "61000000" "00001100"), TextEncoding::Kind::Latin1 },
        Awkward { "utf32le", QByteArray::fromHex("fffe0000" "61000000" "00f60100"), TextEncoding::Kind::Utf32LE },
        // UTF-16 carries unpaired surrogates through unchanged, so they stay UTF-16.
        Awkward { "utf16LoneSurrogate", QByteArray::fromHex("fffe" "6100" "00d8" "6200"), TextEncoding::Kind::Utf16LE },
        Awkward { "utf16SwappedPair", QByteArray::fromHex("fffe" "00dc" "00d8"), TextEncoding::Kind::Utf16LE },
        Awkward { "utf16Pair", QByteArray::fromHex("fffe" "3dd8" "00de"), TextEncoding::Kind::Utf16LE },
        // A second mark after the first is text, not something to swallow.
        Awkward { "utf8TwoMarks", QByteArray::fromHex("efbbbf" "efbbbf" "780a"), TextEncoding::Kind::Utf8 },
        Awkward { "utf16TwoMarks", QByteArray::fromHex("fffe" "fffe" "6100"), TextEncoding::Kind::Utf16LE },
        Awkward { "utf8MarkThenBadBytes", QByteArray::fromHex("efbbbf" "636166" "e9" "0a"), TextEncoding::Kind::Latin1 },
        Awkward { "utf8EncodedSurrogate", QByteArray::fromHex("61" "eda080" "62"), TextEncoding::Kind::Latin1 },
        Awkward { "utf8Overlong", QByteArray::fromHex("c0af" "78"), TextEncoding::Kind::Latin1 },
        Awkward { "latin1Controls", QByteArray::fromHex("017f809fa0ff"), TextEncoding::Kind::Latin1 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Encoding, UnicodeFormsCannotHoldLoneSurrogates)
{
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    EXPECT_FALSE(TextFile::canEncode(lone, TextEncoding {}));
    EXPECT_FALSE(TextFile::canEncode(lone, { TextEncoding::Kind::Utf32BE, true }));
    EXPECT_TRUE(TextFile::canEncode(QString::fromUtf8("a😀b"), { TextEncoding::Kind::Utf16BE, true }));
}

TEST(Encoding, Latin1CannotHoldCharactersAboveFF)
{
    const TextEncoding latin1 { TextEncoding::Kind::Latin1, false };
    EXPECT_TRUE(TextFile::canEncode(QString::fromLatin1("caf\xE9"), latin1));
    EXPECT_FALSE(TextFile::canEncode(QString::fromUtf8("€"), latin1));
    EXPECT_TRUE(TextFile::canEncode(QString::fromUtf8("€"), TextEncoding {}));
}
