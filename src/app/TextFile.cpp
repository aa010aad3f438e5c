#include "TextFile.h"

#include <QFile>
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

std::optional<QString> decodeStrictly(QByteArrayView bytes, TextEncoding::Kind kind)
{
    // The mark, when present, is skipped by the caller; never let the decoder eat another one.
    QStringDecoder decoder(converterEncoding(kind), QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

const Mark *markOf(const QByteArray &bytes)
{
    for (const Mark &mark : marks) {
        if (bytes.size() >= mark.length
            && std::equal(mark.bytes.begin(), mark.bytes.begin() + mark.length, bytes.begin()))
            return &mark;
    }
    return nullptr;
}

}

bool isTextSample(const QByteArray &firstBytes)
{
    if (firstBytes.startsWith("\xFF\xFE") || firstBytes.startsWith("\xFE\xFF"))
        return true;
    return !firstBytes.contains('\0');
}

bool passesTextTest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return isTextSample(file.read(sampleBytes));
}

std::optional<DecodedText> decode(const QByteArray &bytes)
{
    if (const Mark *mark = markOf(bytes)) {
        const auto body = QByteArrayView(bytes).sliced(mark->length);
        if (auto text = decodeStrictly(body, mark->kind))
            return DecodedText { std::move(*text), { mark->kind, true } };
    } else if (auto text = decodeStrictly(bytes, TextEncoding::Kind::Utf8)) {
        return DecodedText { std::move(*text), { TextEncoding::Kind::Utf8, false } };
    }
    return DecodedText { QString::fromLatin1(bytes), { TextEncoding::Kind::Latin1, false } };
}

bool canEncode(QStringView text, const TextEncoding &encoding)
{
    if (encoding.kind != TextEncoding::Kind::Latin1)
        return true;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
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

qsizetype longestLineLength(QStringView text)
{
    // Chunks keep the scan's working set small and its loop tight.
    constexpr qsizetype chunk = 16384;
    qsizetype longest = 0;
    qsizetype current = 0;
    const qsizetype n = text.size();
    for (qsizetype start = 0; start < n; start += chunk) {
        const QStringView part = text.mid(start, std::min(chunk, n - start));
        qsizetype from = 0;
        while (true) {
            const qsizetype lf = part.indexOf(u'\n', from);
            if (lf < 0) {
                current += part.size() - from;
                break;
            }
            longest = std::max(longest, current + lf - from);
            current = 0;
            from = lf + 1;
        }
    }
    return std::max(longest, current);
}

}
