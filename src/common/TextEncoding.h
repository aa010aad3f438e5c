#pragma once

#include <QByteArray>
#include <QByteArrayView>
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

struct DecodedText {
    QString text;
    TextEncoding encoding;
};

namespace TextFile {

// A byte-order mark decides; otherwise strict UTF-8; otherwise ISO Latin-1, which takes anything.
std::optional<DecodedText> decode(const QByteArray &bytes);
// False when the encoding cannot hold every character of the text.
bool canEncode(QStringView text, const TextEncoding &encoding);
// The bytes that decode() read, for text that was not changed.
QByteArray encode(QStringView text, const TextEncoding &encoding);

// The byte-order mark that bytes start with, if any: what it names and how long it is.
struct ByteOrderMark {
    TextEncoding::Kind kind;
    int length;
};
std::optional<ByteOrderMark> byteOrderMarkOf(QByteArrayView bytes);

// bytes in the encoding, none when they are not valid in it. A mark at the start is text.
std::optional<QString> decodeStrictly(QByteArrayView bytes, TextEncoding::Kind kind);

}
