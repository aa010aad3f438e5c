#include "SafeSave.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace SafeSave {

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// Closes the descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : fd(fd) { }
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept : fd(std::exchange(other.fd, -1)) { }
    int get() const { return fd; }
    void reset(int next = -1)
    {
        if (fd >= 0)
            ::close(fd);
        fd = next;
    }

private:
    int fd;
};

QByteArray local(const QString &path)
{
    return QFile::encodeName(path);
}

// Every byte, or errno of the first failure.
int writeAll(int fd, const QByteArray &bytes, off_t at)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), at + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

std::optional<QByteArray> readAll(int fd, off_t size, int *code)
{
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *code = errno;
            return std::nullopt;
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

int flush(int fd)
{
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

void flushFolder(const QString &folder)
{
    Fd dir(::open(local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

// The file a path leads to, through any symbolic links, even when that file does not exist yet.
QString targetOf(const QString &path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

QByteArray temporaryName(const QString &target)
{
    const QFileInfo info(target);
    return local(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".quillmar-"
        + QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

// A new file beside the target under a hidden name; the kernel applies the umask to mode.
int openTemporary(const QString &target, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = temporaryName(target);
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A file without a name in the target's folder where the system offers one, so that a crash
// leaves nothing behind; else a hidden named one. name stays empty for the first kind.
int openReplacement(const QString &target, QByteArray *name)
{
#ifdef O_TMPFILE
    if (::access("/proc/self/fd", X_OK) == 0) {
        const QByteArray folder = local(QFileInfo(target).absolutePath());
        const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return fd;
    }
#endif
    return openTemporary(target, 0600, name);
}

// Copies every extended attribute; false when one cannot be read or set.
bool copyAttributes(int from, int to)
{
    const ssize_t size = ::flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;
    QByteArray names(size, '\0');
    const ssize_t got = ::flistxattr(from, names.data(), size_t(names.size()));
    if (got < 0)
        return false;
    for (const QByteArray &name : names.left(got).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t length = ::fgetxattr(from, name.constData(), nullptr, 0);
        if (length < 0)
            return false;
        QByteArray value(length, '\0');
        const ssize_t read = ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        if (read < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(read), 0) != 0)
            return false;
    }
    return true;
}

// A new file beside the target, given the old one's owner, group, attributes and mode.
// Empty with keep false when the new file cannot be made the same as the old one.
struct Replacement {
    QByteArray path;
    Fd fd;
};

std::optional<Replacement> makeReplacement(const QString &target, int old, const struct stat &before, int *code,
                                           bool *keep)
{
    QByteArray name;
    const int fd = openReplacement(target, &name);
    if (fd < 0) {
        *code = errno;
        return std::nullopt;
    }
    Replacement made { name, Fd(fd) };
    // Changing the owner clears the set-id bits, so the mode comes last.
    const bool same = ::fchown(fd, before.st_uid, before.st_gid) == 0 && copyAttributes(old, fd)
        && ::fchmod(fd, before.st_mode & 07777) == 0;
    struct stat after {};
    if (!same || ::fstat(fd, &after) != 0 || after.st_uid != before.st_uid || after.st_gid != before.st_gid
        || (after.st_mode & 07777) != (before.st_mode & 07777)) {
        if (!name.isEmpty())
            ::unlink(name.constData());
        *keep = false;
        return std::nullopt;
    }
    return made;
}

// Gives the finished file the target's name; its own name, if any, is in made.path afterwards.
int publish(Replacement &made, const QString &target)
{
    const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(made.fd.get());
    for (int attempt = 0; attempt < 100 && made.path.isEmpty(); ++attempt) {
        const QByteArray name = temporaryName(target);
        if (::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            made.path = name;
        else if (errno != EEXIST)
            return errno;
    }
    if (made.path.isEmpty())
        return EEXIST;
    return ::rename(made.path.constData(), local(target).constData()) == 0 ? 0 : errno;
}

QString recordName(const QString &target)
{
    return QString::fromLatin1(QCryptographicHash::hash(local(target), QCryptographicHash::Sha1).toHex());
}

QByteArray digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// Writes a whole file under a new name and renames it into place, flushed.
bool writeBackupFile(const QString &path, const QByteArray &bytes, int *code)
{
    const QByteArray temporary = local(path) + ".part";
    Fd fd(::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        *code = errno;
        return false;
    }
    *code = writeAll(fd.get(), bytes, 0);
    if (*code == 0)
        *code = flush(fd.get());
    if (*code == 0 && ::rename(temporary.constData(), local(path).constData()) != 0)
        *code = errno;
    if (*code != 0)
        ::unlink(temporary.constData());
    return *code == 0;
}

// The old content, and a record naming the file and the new content's digest, flushed before
// the file is touched. The record is written last: without it the backup is incomplete.
bool keepBackup(const QString &target, const QByteArray &old, const QByteArray &bytes, int *code)
{
    const QString folder = backupFolder();
    if (!QDir().mkpath(folder)) {
        *code = EACCES;
        return false;
    }
    const QString base = folder + QLatin1Char('/') + recordName(target);
    const QByteArray record = target.toUtf8() + '\n' + digest(bytes) + '\n';
    if (!writeBackupFile(base + QStringLiteral(".old"), old, code)
        || !writeBackupFile(base + QStringLiteral(".record"), record, code))
        return false;
    flushFolder(folder);
    return true;
}

void dropBackup(const QString &target)
{
    const QString base = backupFolder() + QLatin1Char('/') + recordName(target);
    QFile::remove(base + QStringLiteral(".record"));
    QFile::remove(base + QStringLiteral(".old"));
}

// Room for the new bytes without changing the file, where the file system can promise it.
int reserve(int fd, off_t oldSize, off_t newSize)
{
#ifdef __linux__
    if (newSize > oldSize && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, oldSize, newSize - oldSize) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
#else
    Q_UNUSED(fd);
    Q_UNUSED(oldSize);
    Q_UNUSED(newSize);
#endif
    return 0;
}

int overwrite(int fd, const QByteArray &bytes)
{
    int code = writeAll(fd, bytes, 0);
    if (code == 0 && ::ftruncate(fd, off_t(bytes.size())) != 0)
        code = errno;
    return code == 0 ? flush(fd) : code;
}

std::optional<Way> writeInPlace(const QString &target, int fd, const QByteArray &bytes, QString *error)
{
    struct stat before {};
    int code = ::fstat(fd, &before) == 0 ? 0 : errno;
    std::optional<QByteArray> old = code == 0 ? readAll(fd, before.st_size, &code) : std::nullopt;
    if (old && !keepBackup(target, *old, bytes, &code))
        dropBackup(target);
    if (code == 0)
        code = reserve(fd, before.st_size, off_t(bytes.size()));
    if (code != 0) {
        dropBackup(target);
        *error = systemError(code);
        return std::nullopt;
    }
    code = overwrite(fd, bytes);
    if (code == 0) {
        dropBackup(target);
        return Way::inPlace;
    }
    *error = systemError(code);
    if (overwrite(fd, *old) == 0)
        dropBackup(target);
    else
        *error += QStringLiteral(". The old content is kept in ") + backupFolder() + QLatin1Char('/')
            + recordName(target) + QStringLiteral(".old");
    return std::nullopt;
}

std::optional<Way> replace(const QString &target, int old, const struct stat &before, const QByteArray &bytes,
                           QString *error, bool *keep)
{
    int code = 0;
    std::optional<Replacement> made = makeReplacement(target, old, before, &code, keep);
    if (!made) {
        // A folder that takes no new files still lets the file itself be written.
        *keep = *keep && code != EACCES && code != EPERM;
        *error = systemError(code);
        return std::nullopt;
    }
    code = writeAll(made->fd.get(), bytes, 0);
    if (code == 0)
        code = flush(made->fd.get());
    if (code == 0)
        code = publish(*made, target);
    if (code != 0) {
        if (!made->path.isEmpty())
            ::unlink(made->path.constData());
        *error = systemError(code);
        return std::nullopt;
    }
    flushFolder(QFileInfo(target).absolutePath());
    return Way::replaced;
}

std::optional<Way> create(const QString &target, const QByteArray &bytes, QString *error)
{
    QByteArray name;
    Fd fd(openTemporary(target, 0666, &name));
    int code = fd.get() < 0 ? errno : 0;
    if (code == 0)
        code = writeAll(fd.get(), bytes, 0);
    if (code == 0)
        code = flush(fd.get());
    if (code == 0 && ::rename(name.constData(), local(target).constData()) != 0)
        code = errno;
    if (code != 0) {
        if (fd.get() >= 0)
            ::unlink(name.constData());
        *error = systemError(code);
        return std::nullopt;
    }
    flushFolder(QFileInfo(target).absolutePath());
    return Way::created;
}

}

std::optional<Way> write(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString target = targetOf(path);
    Fd old(::open(local(target).constData(), O_RDONLY | O_CLOEXEC));
    if (old.get() < 0 && errno == ENOENT)
        return create(target, bytes, error);
    struct stat before {};
    if (old.get() < 0 || ::fstat(old.get(), &before) != 0) {
        *error = systemError(errno);
        return std::nullopt;
    }
    if (!S_ISREG(before.st_mode)) {
        *error = QStringLiteral("Not a regular file");
        return std::nullopt;
    }
    // A file the user may not write is not saved by replacing it either.
    if (::access(local(target).constData(), W_OK) != 0) {
        *error = systemError(errno);
        return std::nullopt;
    }
    bool keep = true;
    if (before.st_nlink == 1) {
        if (auto way = replace(target, old.get(), before, bytes, error, &keep))
            return way;
        if (keep)
            return std::nullopt;
    }
    // Hard links, an owner that a new file cannot get, or a folder that takes no new files.
    Fd writable(::open(local(target).constData(), O_RDWR | O_CLOEXEC));
    if (writable.get() < 0) {
        *error = systemError(errno);
        return std::nullopt;
    }
    return writeInPlace(target, writable.get(), bytes, error);
}

QString backupFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/org.quillmar.Quillmar/saving");
}

QStringList recoverInterrupted()
{
    QStringList restored;
    const QDir folder(backupFolder());
    for (const QString &name : folder.entryList({ QStringLiteral("*.record") }, QDir::Files)) {
        QFile record(folder.filePath(name));
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = record.readAll().split('\n');
        QFile backup(folder.filePath(name.chopped(7) + QStringLiteral(".old")));
        if (lines.size() < 2 || !backup.open(QIODevice::ReadOnly)) {
            record.remove();
            continue;
        }
        const QString target = QString::fromUtf8(lines[0]);
        const QByteArray old = backup.readAll();
        Fd fd(::open(local(target).constData(), O_RDWR | O_CLOEXEC));
        struct stat now {};
        int code = 0;
        const auto current = fd.get() >= 0 && ::fstat(fd.get(), &now) == 0
            ? readAll(fd.get(), now.st_size, &code) : std::nullopt;
        if (!current)
            continue;
        if (digest(*current) != lines[1] && *current != old) {
            if (overwrite(fd.get(), old) != 0)
                continue;
            restored << target;
        }
        record.remove();
        backup.remove();
    }
    // Backups whose record was already gone, and pieces of backups never finished.
    for (const QString &name : folder.entryList({ QStringLiteral("*.old"), QStringLiteral("*.part") }, QDir::Files)) {
        if (!name.endsWith(QStringLiteral(".old")) || !folder.exists(name.chopped(4) + QStringLiteral(".record")))
            QFile::remove(folder.filePath(name));
    }
    return restored;
}

}
