#pragma once

#include "common/TextEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace TextFile {

// Files above this size are refused before any of their text is read.
inline constexpr qint64 maxOpenBytes = 67108864;
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

// Length of the longest line in UTF-16 code units (lines end at U+000A).
qsizetype longestLineLength(QStringView text);
inline bool hasVeryLongLines(QStringView text) { return longestLineLength(text) > longLineLimit; }

}
