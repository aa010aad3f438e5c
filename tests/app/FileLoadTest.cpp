#include "app/TextFile.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using Outcome = FileLoad::Outcome;

// Hands the text over in the pieces given, as a buffer hands over its chunks.
TextFile::TextPieces piecesOf(const QStringList &pieces)
{
    return [pieces](const std::function<void(QStringView)> &take) {
        for (const QString &piece : pieces)
            take(piece);
    };
}

TEST(FileLoad, TextComesWithItsOwnBreaksAndEncoding)
{
    QTemporaryDir dir;
    const std::atomic_bool never = false;
    FileLoad load = TextFile::loadForOpening(testsupport::writeFile(dir, "mixed.txt", "a\r\nb\nc\rd"), never);
    ASSERT_EQ(load.outcome, Outcome::text);
    EXPECT_EQ(load.text.storage.text(), "a\nb\nc\nd");
    EXPECT_EQ(load.text.storage.fileText(), "a\r\nb\nc\rd");
    EXPECT_EQ(load.text.encoding.kind, TextEncoding::Kind::Utf8);
    EXPECT_FALSE(load.text.veryLongLines);

    load = TextFile::loadForOpening(testsupport::writeFile(dir, "latin.txt", "caf\xE9\n"), never);
    ASSERT_EQ(load.outcome, Outcome::text);
    EXPECT_EQ(load.text.storage.text(), QString::fromUtf8("café\n"));
    EXPECT_EQ(load.text.encoding.kind, TextEncoding::Kind::Latin1);

    load = TextFile::loadForOpening(testsupport::writeFile(dir, "long.txt", QByteArray(TextFile::longLineLimit + 1, 'a')), never);
    EXPECT_TRUE(load.text.veryLongLines);
}

TEST(FileLoad, WhatCannotOpenIsRefusedAsOpeningRefusesIt)
{
    QTemporaryDir dir;
    const std::atomic_bool never = false;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile big(dir.filePath("big.log"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(TextFile::sampleBytes, 'x'));
    big.resize(TextFile::maxOpenBytes + 1);
    big.close();
    const struct {
        QString path;
        Outcome outcome;
    } cases[] = {
        { fifo, Outcome::notRegular },
        { dir.path(), Outcome::notRegular },
        { testsupport::writeFile(dir, "blob.bin", QByteArray("ab\0cd", 5)), Outcome::notText },
        { big.fileName(), Outcome::tooLarge },
        { dir.filePath("missing.txt"), Outcome::unreadable },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TextFile::loadForOpening(c.path, never).outcome, c.outcome) << c.path.toStdString();
        EXPECT_EQ(TextFile::probeForOpening(c.path).first, c.outcome) << c.path.toStdString();
    }
    EXPECT_EQ(TextFile::refusalNote(Outcome::tooLarge, "big.log").value_or(""), "big.log is too large to open here (limit 64 MB)");
    EXPECT_FALSE(TextFile::refusalNote(Outcome::text, "a.txt").has_value());
}

TEST(FileLoad, ACancelledLoadStopsAndSaysSo)
{
    QTemporaryDir dir;
    const std::atomic_bool cancel = true;
    int pieces = 0;
    const FileLoad load = TextFile::loadForOpening(
        testsupport::writeFile(dir, "some.txt", QByteArray(3 << 20, 'x')), cancel, [&](qint64, qint64) { ++pieces; });
    EXPECT_EQ(load.outcome, Outcome::cancelled);
    EXPECT_LE(pieces, 1);
    EXPECT_FALSE(TextFile::refusalNote(load.outcome, "some.txt").has_value());
}

TEST(FileLoad, PiecesAreEncodedAsTheWholeWouldBe)
{
    // A surrogate pair cut between two pieces is one character still.
    const QString face = QString::fromUtf8("😀");
    const QStringList cut { "a" + face.first(1), face.last(1) + "b" };
    EXPECT_EQ(TextFile::encodePieces(piecesOf(cut), { TextEncoding::Kind::Utf8, false }).value_or(""),
              QByteArray("a\xF0\x9F\x98\x80" "b"));
    // The mark comes once, before everything.
    EXPECT_EQ(TextFile::encodePieces(piecesOf({ "h", "i" }), { TextEncoding::Kind::Utf16LE, true }).value_or(""),
              QByteArray("\xFF\xFEh\0i\0", 6));
    // What the encoding cannot hold refuses the whole, wherever it is.
    const TextEncoding latin1 { TextEncoding::Kind::Latin1, false };
    EXPECT_EQ(TextFile::encodePieces(piecesOf({ QString::fromLatin1("caf\xE9") }), latin1).value_or(""), "caf\xE9");
    EXPECT_FALSE(TextFile::encodePieces(piecesOf({ QString::fromLatin1("caf\xE9"), QString::fromUtf8("€") }), latin1));
    EXPECT_FALSE(TextFile::encodePieces(piecesOf({ "a" + face.first(1) }), { TextEncoding::Kind::Utf8, false }));
}

}
