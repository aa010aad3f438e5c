// Kills a process that keeps saving a 50 MB file, at random moments, and checks what is left.
#include "common/SafeSave.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <iostream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qsizetype fileSize = 50 * 1024 * 1024;

// Two contents of the same size that differ in every block, so a mix of them is seen.
QByteArray content(char first, char second)
{
    QByteArray bytes(fileSize, first);
    for (qsizetype i = 4096; i < bytes.size(); i += 8192)
        bytes[i] = second;
    return bytes;
}

// A child that saves the two contents in turn until it is killed.
class Saver {
public:
    Saver(const QString &path, const QByteArray &one, const QByteArray &two)
    {
        pid = ::fork();
        if (pid == 0) {
            QString error;
            for (;;) {
                SafeSave::write(path, one, &error);
                SafeSave::write(path, two, &error);
            }
        }
    }
    ~Saver() { kill(); }
    void kill()
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }

private:
    pid_t pid = -1;
};

enum class Found { first, second, mixed };

Found whatIsIn(const QString &path, const QByteArray &one, const QByteArray &two)
{
    const QByteArray now = testsupport::readFile(path);
    return now == one ? Found::first : now == two ? Found::second : Found::mixed;
}

// How long a child takes from its start to the end of one save here, so that the kills fall
// inside saves however busy the machine is.
int saveMilliseconds(const QString &path, const QByteArray &bytes)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        QString error;
        ::_exit(SafeSave::write(path, bytes, &error) ? 0 : 1);
    }
    ::waitpid(child, nullptr, 0);
    return std::max<int>(1, int(timer.elapsed()));
}

// Memory-backed when the machine has one: the kills do not care where the bytes go, and the
// run stays short on a busy disk.
QString workFolderTemplate()
{
    const QString shared = QStringLiteral("/dev/shm");
    const QFileInfo info(shared);
    const QString base = info.isDir() && info.isWritable() ? shared : QDir::tempPath();
    return base + QStringLiteral("/quillmar-crash-XXXXXX");
}

// Backups of in-place saves go beside the test's file while this lives.
class CacheFolder {
public:
    explicit CacheFolder(const QString &folder) : before(qgetenv("XDG_CACHE_HOME"))
    {
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder));
    }
    ~CacheFolder() { qputenv("XDG_CACHE_HOME", before); }

private:
    QByteArray before;
};

struct Tally {
    int first = 0;
    int second = 0;
    int mixed = 0;
    void add(Found found) { ++(found == Found::first ? first : found == Found::second ? second : mixed); }
};

}

TEST(SaveCrash, AKilledReplacingSaveLeavesTheWholeOldOrNewFileWithItsModeAndLink)
{
    QTemporaryDir dir(workFolderTemplate());
    const QByteArray one = content('a', 'b');
    const QByteArray two = content('c', 'd');
    const QString target = testsupport::writeFile(dir, "big.txt", one);
    ::chmod(QFile::encodeName(target).constData(), 0750);
    const QString link = dir.filePath("link.txt");
    ASSERT_TRUE(QFile::link(target, link));
    const int span = saveMilliseconds(link, one);
    Tally tally;
    Found found = Found::first;
    for (int round = 0; round < 24; ++round) {
        // Each child starts with the content that is not on disk.
        Saver saver(link, found == Found::first ? two : one, found == Found::first ? one : two);
        QThread::msleep(QRandomGenerator::global()->bounded(3 * span / 2 + 1));
        saver.kill();
        found = whatIsIn(target, one, two);
        tally.add(found);
        ASSERT_NE(found, Found::mixed) << "round " << round;
        ASSERT_TRUE(QFileInfo(link).isSymLink());
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
        ASSERT_EQ(info.st_mode & 07777, 0750u) << "round " << round;
    }
    std::cout << "one save " << span << " ms; after the kills: " << tally.first << " first content, " << tally.second
              << " second content\n";
}

TEST(SaveCrash, AKilledInPlaceSaveIsPutBackOnTheNextStart)
{
    QTemporaryDir dir(workFolderTemplate());
    const CacheFolder cache(dir.filePath("cache"));
    const QByteArray one = content('a', 'b');
    const QByteArray two = content('c', 'd');
    const QString path = testsupport::writeFile(dir, "linked.txt", one);
    const QString second = dir.filePath("second.txt");
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()), 0);
    const int span = saveMilliseconds(path, one);
    Tally before;
    Tally after;
    int putBack = 0;
    Found found = Found::first;
    for (int round = 0; round < 10; ++round) {
        Saver saver(path, found == Found::first ? two : one, found == Found::first ? one : two);
        QThread::msleep(QRandomGenerator::global()->bounded(3 * span / 2 + 1));
        saver.kill();
        before.add(whatIsIn(path, one, two));
        putBack += int(SafeSave::recoverInterrupted().size());
        found = whatIsIn(path, one, two);
        after.add(found);
        ASSERT_NE(found, Found::mixed) << "round " << round;
        ASSERT_EQ(testsupport::readFile(second), testsupport::readFile(path));
    }
    EXPECT_EQ(before.mixed, putBack);
    EXPECT_TRUE(QDir(dir.filePath("cache/org.quillmar.Quillmar/saving")).isEmpty());
    std::cout << "one save " << span << " ms; " << before.mixed << " of 10 kills left a mixed file, " << putBack
              << " put back; afterwards " << after.first << " first content, " << after.second << " second content\n";
}
