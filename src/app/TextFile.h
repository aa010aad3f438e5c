#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// How a file's bytes became text, kept so that saving writes the same form back.
struct TextEncoding {
    enum class Kind { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Latin1 };
    Kind kind = Kind::Utf8;
    bool byteOrderMark = false;

    bool operator==(const TextEncoding &) const = default;
};

// The editor keeps lines apart by itself; the file's own line break is written back on save.
enum class LineEnding { lf, crlf, cr };

struct DecodedText {
    QString text;
    TextEncoding encoding;
};

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

// A byte-order mark decides; otherwise strict UTF-8; otherwise ISO Latin-1, which takes anything.
std::optional<DecodedText> decode(const QByteArray &bytes);
// False when the encoding cannot hold every character of the text.
bool canEncode(QStringView text, const TextEncoding &encoding);
// The bytes that decode() read, for text that was not changed.
QByteArray encode(QStringView text, const TextEncoding &encoding);

// The first line break of the text decides; a text without one uses line feeds.
LineEnding detectLineEnding(QStringView text);
// Text with line feeds, written with the given line break.
QString withLineEnding(const QString &text, LineEnding ending);

// Length of the longest line in UTF-16 code units (lines end at U+000A).
qsizetype longestLineLength(QStringView text);
inline bool hasVeryLongLines(QStringView text) { return longestLineLength(text) > longLineLimit; }

}
