#include "TextFile.h"

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
