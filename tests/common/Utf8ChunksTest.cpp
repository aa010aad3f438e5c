#include "common/Utf8Chunks.h"

#include <gtest/gtest.h>

namespace
{

TEST(Utf8Chunks, IncompleteTailTable)
{
    const struct {
        QByteArray data;
        int held;
    } cases[] = {
        { "", 0 },
        { "abc", 0 },
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
    for (const auto &c : cases)
        EXPECT_EQ(Utf8Chunks::incompleteTail(c.data), c.held) << c.data.toHex().constData();
}

// Qt's stateful decoder swallowed the "c" after the invalid byte: "Lovel\uFFFDe".
TEST(Utf8Chunks, InvalidByteAtAPieceEndKeepsWhatFollows)
{
    for (const QByteArray &bytes : { QByteArray("Lovel\xF6"), QByteArray("Lovel\xE2\x82"),
             QByteArray("Lovel\xF0\x9F\x98") }) {
        Utf8Chunks chunks;
        QString text = chunks.decode(bytes);
        text += chunks.decode("ce");
        text += chunks.finish();
        EXPECT_EQ(text, QString::fromUtf8(bytes + "ce")) << bytes.toHex().constData();
    }
}

}
