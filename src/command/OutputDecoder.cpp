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

namespace
{

// The length of the escapePattern match that starts at `at` (an ESC), or 0 when none does.
// The expression's parts are disjoint character classes, so a greedy scan is its only match.
qsizetype escapeLength(const char16_t *text, qsizetype at, qsizetype size)
{
    qsizetype i = at + 1;
    if (i >= size)
        return 0;
    const char16_t kind = text[i++];
    if (kind == u'[') {
        while (i < size && text[i] >= u'0' && text[i] <= u'?')
            ++i;
        while (i < size && text[i] >= u' ' && text[i] <= u'/')
            ++i;
        return i < size && text[i] >= u'@' && text[i] <= u'~' ? i + 1 - at : 0;
    }
    if (kind == u']') {
        while (i < size && text[i] != bell && text[i] != escapeChar)
            ++i;
        if (i < size && text[i] == bell)
            return i + 1 - at;
        return i + 1 < size && text[i + 1] == u'\\' ? i + 2 - at : 0;
    }
    return (kind >= u'@' && kind <= u'Z') || kind == u'^' || kind == u'_' ? 2 : 0;
}

}

// Measured on colourful build output (bench_command_decoder): QString::remove with the
// compiled expression spends about 110 ns per match in match objects and holds the decoder to
// about 110 MB/s; this scan of the same language runs well past 200 MB/s. The expression stays
// the definition, and the tests check the two agree.
void OutputDecoder::removeEscapes(QString &text)
{
    qsizetype read = text.indexOf(QChar(escapeChar));
    if (read < 0)
        return;
    char16_t *data = reinterpret_cast<char16_t *>(text.data());
    const qsizetype size = text.size();
    qsizetype write = read;
    while (read < size) {
        if (data[read] == escapeChar) {
            if (const qsizetype length = escapeLength(data, read, size)) {
                read += length;
                continue;
            }
        }
        data[write++] = data[read++];
    }
    text.truncate(write);
}

void OutputDecoder::toLineFeeds(QString &text)
{
    qsizetype read = text.indexOf(u'\r');
    if (read < 0)
        return;
    char16_t *data = reinterpret_cast<char16_t *>(text.data());
    const qsizetype size = text.size();
    qsizetype write = read;
    for (; read < size; ++read) {
        const char16_t c = data[read];
        if (c != u'\r')
            data[write++] = c;
        else if (read + 1 >= size || data[read + 1] != u'\n')
            data[write++] = u'\n';
    }
    text.truncate(write);
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
    removeEscapes(text);
    // A carriage return at the very end may be the first half of a CR LF pair whose line feed
    // comes in the next chunk; hold it so that the pair still makes one line break.
    if (!final && carry.isEmpty() && text.endsWith(u'\r')) {
        carry = QStringLiteral("\r");
        text.chop(1);
    }
    toLineFeeds(text);
    return text;
}
