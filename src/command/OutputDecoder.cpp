#include "OutputDecoder.h"

namespace
{

constexpr char16_t escapeChar = 0x1B;
constexpr char16_t bell = 0x07;
constexpr qsizetype longestHeldEscape = 256;

}

const QRegularExpression &OutputDecoder::escapePattern()
{
    // Control sequences with parameters, operating-system commands ended by BEL or ESC \,
    // and two-character escapes.
    static const QRegularExpression pattern = [] {
        QRegularExpression re(QStringLiteral(
            "\\x1B(?:\\[[0-?]*[ -/]*[@-~]|\\][^\\x07\\x1B]*(?:\\x07|\\x1B\\\\)|[@-Z^_])"));
        re.optimize();
        return re;
    }();
    return pattern;
}

int OutputDecoder::incompleteTail(QByteArrayView data)
{
    const qsizetype size = data.size();
    for (int k = 1; k <= 3; ++k) {
        if (size < k)
            return 0;
        const auto byte = static_cast<unsigned char>(data[size - k]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back
        if (byte >= 0xF0)
            return k;
        if (byte >= 0xE0)
            return k < 3 ? k : 0;
        if (byte >= 0xC0)
            return k == 1 ? 1 : 0;
        return 0;
    }
    return 0;
}

bool OutputDecoder::isUnfinishedEscape(QStringView tail)
{
    if (tail.size() >= longestHeldEscape)
        return false;
    if (tail.size() == 1)
        return true;
    const char16_t next = tail[1].unicode();
    if (next == u'[') {
        for (qsizetype i = 2; i < tail.size(); ++i) {
            const char16_t c = tail[i].unicode();
            if (c < 0x20 || c > 0x3F)
                return false;
        }
        return true;
    }
    if (next == u']') {
        const bool ended = tail.contains(QChar(bell)) || tail.contains(QStringView(u"\x1B\\"));
        return !ended;
    }
    return false;
}

QString OutputDecoder::decode(QByteArrayView data)
{
    if (data.isEmpty())
        return {};
    QString text;
    if (bytes.isEmpty()) {
        // The common case: nothing held, decode straight from the chunk.
        const int held = incompleteTail(data);
        text = QString::fromUtf8(data.first(data.size() - held));
        bytes = data.last(held).toByteArray();
    } else {
        bytes.append(data);
        const int held = incompleteTail(bytes);
        text = QString::fromUtf8(QByteArrayView(bytes).first(bytes.size() - held));
        bytes = bytes.last(held);
    }
    if (!carry.isEmpty())
        text.prepend(carry);
    return clean(std::move(text), false);
}

QString OutputDecoder::finish()
{
    QString text = carry + QString::fromUtf8(bytes);
    bytes.clear();
    return clean(std::move(text), true);
}

QString OutputDecoder::clean(QString text, bool final)
{
    carry.clear();
    const qsizetype escape = text.lastIndexOf(QChar(escapeChar));
    if (escape >= 0 && isUnfinishedEscape(QStringView(text).sliced(escape))) {
        if (!final)
            carry = text.sliced(escape);
        text.truncate(escape);
    }
    if (text.contains(QChar(escapeChar)))
        text.remove(escapePattern());
    if (text.contains(u'\r')) {
        // A carriage return at the very end may be the first half of a CR LF pair whose line
        // feed comes in the next chunk; hold it so the pair still makes one line break.
        if (!final && carry.isEmpty() && text.endsWith(u'\r')) {
            carry = QStringLiteral("\r");
            text.chop(1);
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
    }
    return text;
}
