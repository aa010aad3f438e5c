#include "app/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(TextSample, ByteOrderMarkMakesZeroBytesText)
{
    EXPECT_TRUE(TextFile::isTextSample(QByteArray("\xFF\xFEh\0e\0l\0l\0o\0", 12)));
    EXPECT_TRUE(TextFile::isTextSample(QByteArray("\xFE\xFF\0h\0i", 6)));
    EXPECT_FALSE(TextFile::isTextSample(QByteArray("h\0e\0l\0l\0o\0", 10)));
}

TEST(TextSample, OneZeroByteWithoutMarkIsNotText)
{
    EXPECT_FALSE(TextFile::isTextSample(QByteArray("abc\0def", 7)));
    EXPECT_TRUE(TextFile::isTextSample(QByteArray("plain text\n")));
    EXPECT_TRUE(TextFile::isTextSample(QByteArray()));
}

TEST(LongLines, LimitIsInclusive)
{
    EXPECT_FALSE(TextFile::hasVeryLongLines(QString(20000, 'x')));
    EXPECT_TRUE(TextFile::hasVeryLongLines(QString(20001, 'x')));
    EXPECT_FALSE(TextFile::hasVeryLongLines(QString(20000, 'x') + "\n" + QString(20000, 'y')));
}

TEST(LongLines, LinesAcrossChunkBoundariesAreMeasuredWhole)
{
    // A line that starts near the end of one 16,384-unit chunk and runs into the next.
    const QString text = QString(16380, 'a') + "\n" + QString(30000, 'b') + "\nshort";
    EXPECT_EQ(TextFile::longestLineLength(text), 30000);
    EXPECT_EQ(TextFile::longestLineLength(QString(50000, 'c')), 50000);
    EXPECT_EQ(TextFile::longestLineLength(QStringLiteral("ab\n\nabcd\n")), 4);
    EXPECT_EQ(TextFile::longestLineLength(QString()), 0);
}

TEST(ReadForOpening, OnlyRegularFilesAreReadAndNeverPastTheLimit)
{
    using Outcome = TextFile::FileRead::Outcome;
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // Neither blocks on a FIFO without a writer nor reads a device that never ends.
    EXPECT_EQ(TextFile::readForOpening(fifo).outcome, Outcome::notRegular);
    EXPECT_FALSE(TextFile::passesTextTest(fifo));
    EXPECT_EQ(TextFile::readForOpening("/dev/zero").outcome, Outcome::notRegular);
    EXPECT_FALSE(TextFile::passesTextTest("/dev/zero"));
    EXPECT_EQ(TextFile::readForOpening(dir.filePath("missing")).outcome, Outcome::unreadable);
    EXPECT_EQ(TextFile::readForOpening(dir.path()).outcome, Outcome::notRegular);

    QFile text(dir.filePath("a.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("caf\xC3\xA9\n");
    text.close();
    const auto read = TextFile::readForOpening(text.fileName());
    EXPECT_EQ(read.outcome, Outcome::text);
    EXPECT_EQ(read.bytes, QByteArray("caf\xC3\xA9\n"));

    // Text first, then size: a large binary file is "not text", a large text file too large.
    QFile big(dir.filePath("big"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(TextFile::sampleBytes, 'x'));
    big.resize(TextFile::maxOpenBytes + 1);
    big.close();
    EXPECT_EQ(TextFile::readForOpening(big.fileName()).outcome, Outcome::tooLarge);
}
