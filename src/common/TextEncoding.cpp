#include "TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>

namespace TextFile {

namespace {

struct Mark {
    std::array<char, 4> bytes;
    int length;
    TextEncoding::Kind kind;
};

// Longest marks first: a UTF-32 LE mark begins with the UTF-16 LE one.
const std::array<Mark, 5> marks { {
    { { '\xFF', '\xFE', '\0', '\0' }, 4, TextEncoding::Kind::Utf32LE },
    { { '\0', '\0', '\xFE', '\xFF' }, 4, TextEncoding::Kind::Utf32BE },
    { { '\xEF', '\xBB', '\xBF', 0 }, 3, TextEncoding::Kind::Utf8 },
    { { '\xFF', '\xFE', 0, 0 }, 2, TextEncoding::Kind::Utf16LE },
    { { '\xFE', '\xFF', 0, 0 }, 2, TextEncoding::Kind::Utf16BE },
} };

QStringConverter::Encoding converterEncoding(TextEncoding::Kind kind)
{
    switch (kind) {
    case TextEncoding::Kind::Utf8:
        return QStringConverter::Utf8;
    case TextEncoding::Kind::Utf16LE:
        return QStringConverter::Utf16LE;
    case TextEncoding::Kind::Utf16BE:
        return QStringConverter::Utf16BE;
    case TextEncoding::Kind::Utf32LE:
        return QStringConverter::Utf32LE;
    case TextEncoding::Kind::Utf32BE:
        return QStringConverter::Utf32BE;
    case TextEncoding::Kind::Latin1:
        return QStringConverter::Latin1;
    }
    return QStringConverter::Utf8;
}

}

std::optional<ByteOrderMark> byteOrderMarkOf(QByteArrayView bytes)
{
    for (const Mark &mark : marks) {
        if (bytes.size() >= mark.length
            && std::equal(mark.bytes.begin(), mark.bytes.begin() + mark.length, bytes.begin()))
            return ByteOrderMark { mark.kind, mark.length };
    }
    return std::nullopt;
}

std::optional<QString> decodeStrictly(QByteArrayView bytes, TextEncoding::Kind kind)
{
    // The mark, when present, is skipped by the caller; never let the decoder eat another one.
    QStringDecoder decoder(converterEncoding(kind),
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<DecodedText> decode(const QByteArray &bytes)
{
    // An encoding is taken only when writing the text back gives the very same bytes.
    const auto exactly = [&bytes](TextEncoding encoding, qsizetype markLength) -> std::optional<DecodedText> {
        auto text = decodeStrictly(QByteArrayView(bytes).sliced(markLength), encoding.kind);
        if (!text || encode(*text, encoding) != bytes)
            return std::nullopt;
        return DecodedText { std::move(*text), encoding };
    };
    if (const auto mark = byteOrderMarkOf(bytes)) {
        if (auto decoded = exactly({ mark->kind, true }, mark->length))
            return decoded;
    }
    if (auto decoded = exactly({ TextEncoding::Kind::Utf8, false }, 0))
        return decoded;
    return DecodedText { QString::fromLatin1(bytes), { TextEncoding::Kind::Latin1, false } };
}

bool canEncode(QStringView text, const TextEncoding &encoding)
{
    if (encoding.kind == TextEncoding::Kind::Latin1)
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    // Lone surrogates and the like would come back as something else.
    const auto back = decodeStrictly(encode(text, { encoding.kind, false }), encoding.kind);
    return back && *back == text;
}

QByteArray encode(QStringView text, const TextEncoding &encoding)
{
    QByteArray out;
    if (encoding.byteOrderMark) {
        for (const Mark &mark : marks) {
            if (mark.kind == encoding.kind) {
                out.append(mark.bytes.data(), mark.length);
                break;
            }
        }
    }
    if (encoding.kind == TextEncoding::Kind::Latin1)
        return out + text.toLatin1();
    QStringEncoder encoder(converterEncoding(encoding.kind), QStringConverter::Flag::Stateless);
    out += encoder.encode(text);
    return out;
}

}
