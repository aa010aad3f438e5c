#include "editor/buffer/TextBuffer.h"
#include "editor/buffer/TextLoader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

namespace
{

TextLoader::Result loadBytes(const QByteArray &bytes, qsizetype pieceBytes)
{
    QBuffer device;
    device.setData(bytes);
    device.open(QIODevice::ReadOnly);
    std::atomic_bool cancel = false;
    return TextLoader::load(device, cancel, {}, pieceBytes);
}

// Long enough for many chunks, with ASCII stretches, accented lines and CR LF now and then.
QByteArray bigMixedFile()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < 200000; ++i) {
        bytes += i % 97 == 0 ? QByteArray("caf\xC3\xA9 \xE2\x82\xAC") : QByteArray("int value = ") + QByteArray::number(i);
        bytes += i % 5 == 0 ? "\r\n" : "\n";
    }
    return bytes;
}

}

// Whatever the pieces, the loader reads a file as decoding it whole does.
TEST(TextLoaderTest, PiecesOfAnySizeDecodeAsTheWholeFileDoes)
{
    const std::vector<QByteArray> files {
        QByteArray("caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80\r\nnext\r\rlast\r"), // cut inside characters and CR LF
        QByteArray("\xEF\xBB\xBF" "a\r\n\xEF\xBB\xBF" "b"), // a mark, then one that is text
        QByteArray("plain\nascii\n") + QByteArray(3000, 'x') + QByteArray("\xE9\n"), // Latin-1 found late
        QByteArray("ends inside a character \xE4\xB8"),
        QByteArray("\xEF\xBB\xBF" "caf\xE9"), // a UTF-8 mark over Latin-1 text
        QByteArray("a\xED\xA0\x80z"), // an encoded surrogate is not UTF-8
        QByteArray::fromHex("fffe" "6100" "0d00" "0a00" "3dd8" "00de"), // UTF-16 with a mark
        QByteArray("x\r\xC3\xA9\r\ny\xC3\xA9\r\nz\r"), // a CR held over from ASCII to wider text and back
        QByteArray(),
        bigMixedFile(),
    };
    for (const QByteArray &bytes : files) {
        const std::optional<DecodedText> whole = TextFile::decode(bytes);
        ASSERT_TRUE(whole);
        for (const qsizetype piece : { 1, 2, 3, 5, 1 << 20 }) {
            const TextLoader::Result loaded = loadBytes(bytes, piece);
            ASSERT_EQ(loaded.outcome, TextLoader::Outcome::loaded);
            EXPECT_EQ(loaded.storage.fileText(), whole->text) << bytes.toHex().constData() << " in pieces of " << piece;
            EXPECT_EQ(loaded.encoding, whole->encoding) << bytes.toHex().constData();
            EXPECT_EQ(TextFile::encode(loaded.storage.fileText(), loaded.encoding), bytes);
        }
    }
}

TEST(TextLoaderTest, ReportsProgressAndStopsWhenCancelled)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("big.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray line("int value = compute(first, second);\r\n");
    for (int i = 0; i < 10000; ++i)
        file.write(line);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));

    std::atomic_bool cancel = false;
    std::vector<qint64> seen;
    const auto progress = [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, line.size() * 10000);
        seen.push_back(done);
    };
    const TextLoader::Result loaded = TextLoader::load(file, cancel, progress, 4096);
    ASSERT_EQ(loaded.outcome, TextLoader::Outcome::loaded);
    EXPECT_EQ(loaded.storage.lineCount(), 10001);
    EXPECT_EQ(loaded.storage.dominantBreak(), LineBreaks::Kind::crlf);
    ASSERT_EQ(seen.size(), size_t((line.size() * 10000 + 4095) / 4096));
    EXPECT_EQ(seen.back(), line.size() * 10000);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    ASSERT_TRUE(file.seek(0));
    seen.clear();
    const auto cancelLater = [&](qint64 done, qint64) {
        seen.push_back(done);
        if (seen.size() == 3)
            cancel = true;
    };
    const TextLoader::Result cancelled = TextLoader::load(file, cancel, cancelLater, 4096);
    EXPECT_EQ(cancelled.outcome, TextLoader::Outcome::cancelled);
    EXPECT_EQ(seen.size(), 3u); // no piece read after the flag was set
    EXPECT_EQ(cancelled.storage.length(), 0);
}

TEST(TextLoaderTest, StorageFilledOnAWorkerIsAdoptedWholeWithItsBreaks)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("mixed.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += QByteArray("line ") + QByteArray::number(i) + (i % 7 == 0 ? "\r\n" : "\n");
    file.write(bytes);
    file.close();

    TextLoader::Result loaded;
    std::thread worker([&] {
        QFile reading(file.fileName());
        reading.open(QIODevice::ReadOnly);
        std::atomic_bool cancel = false;
        loaded = TextLoader::load(reading, cancel, {}, 1000);
    });
    worker.join();
    ASSERT_EQ(loaded.outcome, TextLoader::Outcome::loaded);

    TextBuffer buffer;
    buffer.insert(0, u"unsaved");
    int resets = 0;
    QObject::connect(&buffer, &TextBuffer::reset, [&resets] { ++resets; });
    buffer.adopt(std::move(loaded.storage));
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(buffer.canUndo());
    EXPECT_FALSE(buffer.isModified());
    EXPECT_EQ(buffer.lineCount(), 5001);
    EXPECT_EQ(buffer.breakAfter(7), LineBreaks::Kind::crlf);
    EXPECT_EQ(buffer.fileText().toUtf8(), bytes);
}
