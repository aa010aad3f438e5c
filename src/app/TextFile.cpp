#include "TextFile.h"

#include "editor/buffer/TextLoader.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TextFile {

namespace {

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
    int handle() const { return fd; }
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

// The quick tests of opening, on a file just opened: nothing past its first bytes is read.
std::pair<FileLoad::Outcome, qint64> probe(RegularFile &file)
{
    using Outcome = FileLoad::Outcome;
    if (!file.isOpen())
        return { Outcome::unreadable, 0 };
    if (!file.isRegular())
        return { Outcome::notRegular, 0 };
    QByteArray sample;
    if (!file.readUpTo(sample, sampleBytes))
        return { Outcome::unreadable, 0 };
    if (!isTextSample(sample))
        return { Outcome::notText, 0 };
    if (file.sizeWhenOpened() > maxOpenBytes)
        return { Outcome::tooLarge, 0 };
    return { Outcome::text, file.sizeWhenOpened() };
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

std::pair<FileLoad::Outcome, qint64> probeForOpening(const QString &path)
{
    RegularFile file(path);
    return probe(file);
}

FileLoad loadForOpening(const QString &path, const std::atomic_bool &cancel, const LoadProgress &progress)
{
    using Outcome = FileLoad::Outcome;
    RegularFile file(path);
    if (const auto [outcome, size] = probe(file); outcome != Outcome::text)
        return { outcome, {} };
    QFile device;
    if (::lseek(file.handle(), 0, SEEK_SET) != 0
        || !device.open(file.handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return { Outcome::unreadable, {} };
    // A file that grows past the limit while it is read is refused one piece later.
    std::atomic_bool stop = false;
    bool overLimit = false;
    TextLoader::Result result = TextLoader::load(device, stop, [&](qint64 done, qint64 total) {
        overLimit = done > maxOpenBytes;
        stop = overLimit || cancel.load(std::memory_order_relaxed);
        if (progress)
            progress(done, total);
    });
    switch (result.outcome) {
    case TextLoader::Outcome::loaded:
        break;
    case TextLoader::Outcome::cancelled:
        return { overLimit ? Outcome::tooLarge : Outcome::cancelled, {} };
    case TextLoader::Outcome::unreadable:
        return { Outcome::unreadable, {} };
    }
    const bool veryLong = result.storage.longestLineLength() > longLineLimit;
    return { Outcome::text, { std::move(result.storage), result.encoding, veryLong } };
}

std::optional<QString> refusalNote(FileLoad::Outcome outcome, const QString &name)
{
    using Outcome = FileLoad::Outcome;
    switch (outcome) {
    case Outcome::text:
    case Outcome::cancelled:
        return std::nullopt;
    case Outcome::notText:
        return name + QStringLiteral(" isn't a text file");
    case Outcome::notRegular:
        return name + QStringLiteral(" isn't a regular file");
    case Outcome::tooLarge:
        return name + QStringLiteral(" is too large to open here (limit 64 MB)");
    case Outcome::unreadable:
        break;
    }
    return QStringLiteral("Couldn't read ") + name;
}

std::optional<QByteArray> encodePieces(const TextPieces &pieces, const TextEncoding &encoding)
{
    QByteArray out = encode(QStringView(), encoding); // the byte-order mark, if any
    const TextEncoding bare { encoding.kind, false };
    QString held;
    bool ok = true;
    pieces([&](QStringView piece) {
        if (!ok)
            return;
        QString joined;
        if (!held.isEmpty()) {
            joined = held;
            joined += piece;
            piece = joined;
        }
        // A surrogate pair split between two pieces is encoded whole with the next one.
        const qsizetype keep = !piece.isEmpty() && piece.back().isHighSurrogate() ? 1 : 0;
        const QStringView whole = piece.first(piece.size() - keep);
        ok = canEncode(whole, bare);
        out += encode(whole, bare);
        held = piece.last(keep).toString();
    });
    if (ok && !held.isEmpty())
        ok = false; // a lone high surrogate at the end
    if (!ok)
        return std::nullopt;
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
