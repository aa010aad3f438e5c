#include "TextLoader.h"

#include "common/Utf8Chunks.h"

namespace
{

enum class Read { done, cancelled, invalid, unreadable };

struct Reading {
    QIODevice &device;
    const std::atomic_bool &cancel;
    const TextLoader::Progress &progress;
    qsizetype pieceBytes;

    // Hands every piece of the device to take, which refuses one it cannot decode.
    Read pieces(const std::function<bool(QByteArrayView)> &take) const
    {
        QByteArray buffer(pieceBytes, Qt::Uninitialized);
        const qint64 total = device.size();
        qint64 done = 0;
        while (true) {
            if (cancel.load(std::memory_order_relaxed))
                return Read::cancelled;
            const qint64 got = device.read(buffer.data(), pieceBytes);
            if (got < 0)
                return Read::unreadable;
            if (got == 0)
                return Read::done;
            done += got;
            if (!take(QByteArrayView(buffer.constData(), got)))
                return Read::invalid;
            if (progress)
                progress(done, std::max(total, done));
        }
    }
};

// Strict UTF-8 after `skip` bytes of mark: false at the first byte that is not.
Read readUtf8(const Reading &reading, TextStorage &storage, qsizetype skip)
{
    QByteArray held; // an unfinished character from the last piece
    const Read read = reading.pieces([&](QByteArrayView piece) {
        const qsizetype skipped = std::min(skip, piece.size());
        skip -= skipped;
        piece = piece.sliced(skipped);
        QByteArray joined;
        if (!held.isEmpty()) {
            joined = held + piece.toByteArray();
            piece = joined;
        }
        const int open = Utf8Chunks::incompleteTail(piece);
        const QByteArrayView whole = piece.first(piece.size() - open);
        held = piece.last(open).toByteArray();
        if (QtPrivate::isAscii(QLatin1String(whole))) {
            storage.appendLatin1(whole); // the same bytes in any of the three
            return true;
        }
        const std::optional<QString> text = TextFile::decodeStrictly(whole, TextEncoding::Kind::Utf8);
        // Taken only when writing it back would give the very same bytes.
        if (!text || text->toUtf8() != whole)
            return false;
        storage.append(*text);
        return true;
    });
    return read == Read::done && !held.isEmpty() ? Read::invalid : read;
}

TextLoader::Outcome outcomeOf(Read read)
{
    return read == Read::cancelled ? TextLoader::Outcome::cancelled : TextLoader::Outcome::unreadable;
}

}

TextLoader::Result TextLoader::load(QIODevice &device, const std::atomic_bool &cancel, const Progress &progress,
                                    qsizetype pieceBytes)
{
    const Reading reading { device, cancel, progress, std::max<qsizetype>(pieceBytes, 1) };
    Result result;
    const std::optional<TextFile::ByteOrderMark> mark = TextFile::byteOrderMarkOf(device.peek(4));
    if (mark && mark->kind != TextEncoding::Kind::Utf8) {
        // Files in UTF-16 or UTF-32 are rare: read whole, decoded by the same rules at once.
        QByteArray bytes;
        const Read read = reading.pieces([&bytes](QByteArrayView piece) {
            bytes.append(piece);
            return true;
        });
        if (read != Read::done)
            return { outcomeOf(read), {}, {} };
        std::optional<DecodedText> decoded = TextFile::decode(bytes);
        if (!decoded)
            return result;
        return { Outcome::loaded, TextStorage::fromFileText(decoded->text), decoded->encoding };
    }

    Read read = readUtf8(reading, result.storage, mark ? mark->length : 0);
    result.encoding = { TextEncoding::Kind::Utf8, mark.has_value() };
    if (read == Read::invalid) {
        // Not UTF-8 after all: every byte is a Latin-1 character.
        if (!device.seek(0))
            return result;
        result.storage = TextStorage();
        result.encoding = { TextEncoding::Kind::Latin1, false };
        read = reading.pieces([&result](QByteArrayView piece) {
            result.storage.appendLatin1(piece);
            return true;
        });
    }
    if (read != Read::done)
        return { outcomeOf(read), {}, {} };
    result.storage.finish();
    result.outcome = Outcome::loaded;
    return result;
}
