#include "GitText.h"

#include <QStringDecoder>

#include <charconv>
#include <cmath>

namespace
{

// Longest field we parse as a number; anything longer is not one of git's.
constexpr qsizetype longestNumber = 64;

}

std::optional<QString> decodeUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<qint64> parseDecimal(QStringView text)
{
    qsizetype at = 0;
    const bool negative = !text.isEmpty() && text.front() == u'-';
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+'))
        at = 1;
    if (at == text.size() || text.size() - at > 18) // 18 digits never overflow
        return std::nullopt;
    qint64 value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

std::optional<double> parseSeconds(QStringView text)
{
    if (text.isEmpty() || text.size() > longestNumber || text.front().isSpace())
        return std::nullopt;
    char bytes[longestNumber];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7F)
            return std::nullopt;
        bytes[i] = char(c);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(bytes, bytes + text.size(), value);
    if (error != std::errc() || end != bytes + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QDateTime dateFromSeconds(double seconds)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(seconds * 1000)), Qt::UTC);
}

bool isHexHash(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')))
            return false;
    }
    return true;
}
