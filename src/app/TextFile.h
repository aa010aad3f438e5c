#pragma once

#include "common/TextEncoding.h"
#include "editor/buffer/TextStorage.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <atomic>
#include <functional>
#include <optional>

// A file's text read for a document: filled on whatever thread read it, adopted by a view.
struct LoadedText {
    TextStorage storage;
    TextEncoding encoding;
    bool veryLongLines = false;
};

// What loading a file in order to open it found. The same rules as readForOpening, but the
// text goes straight into a TextStorage, piece by piece, so that a worker can do it and stop
// when asked.
struct FileLoad {
    enum class Outcome { text, notText, notRegular, tooLarge, unreadable, cancelled };
    Outcome outcome = Outcome::unreadable;
    LoadedText text;
};

namespace TextFile {

// Files above this size are refused before any of their text is read.
inline constexpr qint64 maxOpenBytes = 67108864;
// Files up to this size are read at once, on the main thread, which costs less than a worker's
// round trip; bigger ones are read by a worker while their tab shows how far it got.
inline constexpr qint64 backgroundLoadBytes = 4 * 1024 * 1024;
// Lines longer than this (in UTF-16 code units) turn wrapping and colours off.
inline constexpr qsizetype longLineLimit = 20000;
// How much of a file the text test reads.
inline constexpr qsizetype sampleBytes = 4096;

// A sample is text when it starts with a UTF-16 byte-order mark or holds no zero byte.
bool isTextSample(const QByteArray &firstBytes);
// Opens the file and tests its first bytes; a file that cannot be opened, or that is not a
// regular file, is not text.
bool passesTextTest(const QString &path);

// What reading a file in order to open it found.
struct FileRead {
    enum class Outcome { text, notText, notRegular, tooLarge, unreadable };
    Outcome outcome = Outcome::unreadable;
    QByteArray bytes; // the whole file, when it is text
};
// Reads a file to open it. Only a regular file is read, and it is opened without waiting, so a
// FIFO or a device is refused before anything is read from it. The text test comes first, then
// the size; never more than maxOpenBytes plus one byte is read, even from a growing file.
FileRead readForOpening(const QString &path);

using LoadProgress = std::function<void(qint64 bytesRead, qint64 bytesTotal)>;
FileLoad loadForOpening(const QString &path, const std::atomic_bool &cancel, const LoadProgress &progress = {});
// Only the quick tests of opening (nothing past the first bytes is read): the outcome, and the
// file's size when it is text.
std::pair<FileLoad::Outcome, qint64> probeForOpening(const QString &path);
// Why a file by that name cannot be opened; none for text.
std::optional<QString> refusalNote(FileLoad::Outcome outcome, const QString &name);

// The bytes of a text handed over in pieces, in the encoding; none when the encoding cannot
// hold every character.
using TextPieces = std::function<void(const std::function<void(QStringView)> &)>;
std::optional<QByteArray> encodePieces(const TextPieces &pieces, const TextEncoding &encoding);

// Length of the longest line in UTF-16 code units (lines end at U+000A).
qsizetype longestLineLength(QStringView text);
inline bool hasVeryLongLines(QStringView text) { return longestLineLength(text) > longLineLimit; }

}
