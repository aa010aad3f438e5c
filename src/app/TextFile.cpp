#include "TextFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    QStringDecoder decoder(converterEncoding(kind),
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// An open descriptor of a regular file, closed when it goes. Opening never waits: a FIFO with
// no writer would otherwise hold the caller forever.
class RegularFile
{
public:
    explicit RegularFile(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(),
              O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
    {
        struct stat status {};
        if (fd >= 0 && ::fstat(fd, &status) == 0) {
            regular = S_ISREG(status.st_mode);
            size = status.st_size;
        }
    }
    ~RegularFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    bool isOpen() const { return fd >= 0; }
    bool isRegular() const { return regular; }
    qint64 sizeWhenOpened() const { return size; }

    // Appends up to limit more bytes; false on a read error.
    bool readUpTo(QByteArray &into, qsizetype limit)
    {
        while (into.size() < limit) {
            const qsizetype before = into.size();
            into.resize(std::min(limit, before + qsizetype(1 << 20)));
            const ssize_t got = ::read(fd, into.data() + before, size_t(into.size() - before));
            if (got < 0 && errno == EINTR) {
                into.resize(before);
                continue;
            }
            into.resize(before + std::max<qsizetype>(got, 0));
            if (got < 0)
                return false;
            if (got == 0)
                break;
        }
        return true;
    }

private:
    int fd;
    bool regular = false;
    qint64 size = 0;
};

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
    RegularFile file(path);
    QByteArray sample;
    return file.isRegular() && file.readUpTo(sample, sampleBytes) && isTextSample(sample);
}

FileRead readForOpening(const QString &path)
{
    RegularFile file(path);
    if (!file.isOpen())
        return { FileRead::Outcome::unreadable, {} };
    if (!file.isRegular())
        return { FileRead::Outcome::notRegular, {} };
    QByteArray bytes;
    if (!file.readUpTo(bytes, sampleBytes))
        return { FileRead::Outcome::unreadable, {} };
    if (!isTextSample(bytes))
        return { FileRead::Outcome::notText, {} };
    if (file.sizeWhenOpened() > maxOpenBytes)
        return { FileRead::Outcome::tooLarge, {} };
    // One byte past the limit tells a file that grew since it was opened.
    bytes.reserve(std::min(file.sizeWhenOpened(), maxOpenBytes) + 1);
    if (!file.readUpTo(bytes, maxOpenBytes + 1))
        return { FileRead::Outcome::unreadable, {} };
    if (bytes.size() > maxOpenBytes)
        return { FileRead::Outcome::tooLarge, {} };
    return { FileRead::Outcome::text, std::move(bytes) };
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
    if (const Mark *mark = markOf(bytes)) {
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

LineEnding detectLineEnding(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return LineEnding::lf;
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? LineEnding::crlf : LineEnding::cr;
    }
    return LineEnding::lf;
}

QString withLineEnding(const QString &text, LineEnding ending)
{
    switch (ending) {
    case LineEnding::lf:
        return text;
    case LineEnding::crlf:
        return QString(text).replace(u'\n', QStringLiteral("\r\n"));
    case LineEnding::cr:
        return QString(text).replace(u'\n', u'\r');
    }
    return text;
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
