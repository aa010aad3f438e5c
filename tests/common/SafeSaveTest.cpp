#include "common/SafeSave.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <iostream>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

struct stat statOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

bool runQuietly(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A user with a group of its own, made for one test and removed afterwards.
class Stranger {
public:
    Stranger()
        : name(QStringLiteral("qmsv%1x%2").arg(::getpid()).arg(counter++))
    {
        made = runQuietly(QStringLiteral("/usr/sbin/groupadd"), { name })
            && runQuietly(QStringLiteral("/usr/sbin/useradd"), { "-M", "-N", "-g", name, "-s", "/bin/sh", name });
        if (const passwd *user = made ? ::getpwnam(name.toUtf8().constData()) : nullptr) {
            userID = user->pw_uid;
            groupID = user->pw_gid;
        }
    }
    ~Stranger()
    {
        runQuietly(QStringLiteral("/usr/sbin/userdel"), { "-f", name });
        runQuietly(QStringLiteral("/usr/sbin/groupdel"), { name });
    }
    bool exists() const { return made && userID != 0; }
    uid_t uid() const { return userID; }
    gid_t gid() const { return groupID; }

private:
    static inline int counter = 0;
    QString name;
    bool made = false;
    uid_t userID = 0;
    gid_t groupID = 0;
};

// Makes a folder refuse new entries, even for root.
bool lockFolder(const QString &folder, bool locked)
{
    return runQuietly(QStringLiteral("chattr"), { locked ? "+i" : "-i", folder });
}

QStringList backupsLeft()
{
    return QDir(SafeSave::backupFolder()).entryList(QDir::Files);
}

QByteArray attribute(const QString &path, const char *name)
{
    char value[256];
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray() : QByteArray(value, n);
}

}

TEST(SafeSave, ReplacingKeepsOwnerGroupSetIdModeAndAttributes)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    Stranger other;
    ASSERT_TRUE(other.exists());
    QTemporaryDir dir;
    const QString path = testsupport::writeFile(dir, "shared.txt", "old\n");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), other.uid(), other.gid()), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 06764), 0);
    if (::setxattr(QFile::encodeName(path).constData(), "user.origin", "kept", 4, 0) != 0)
        GTEST_SKIP() << "this file system takes no user attributes: " << std::strerror(errno);

    QString error;
    EXPECT_EQ(SafeSave::write(path, "new\n", &error), SafeSave::Way::replaced) << error.toStdString();
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_uid, other.uid());
    EXPECT_EQ(after.st_gid, other.gid());
    EXPECT_EQ(after.st_mode & 07777, 06764u);
    EXPECT_EQ(attribute(path, "user.origin"), "kept");
    EXPECT_EQ(testsupport::readFile(path), "new\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(SafeSave, HardLinksStayOneFile)
{
    QTemporaryDir dir;
    const QString path = testsupport::writeFile(dir, "one.txt", "old\n");
    const QString second = dir.filePath("two.txt");
    ASSERT_TRUE(::link(QFile::encodeName(path).constData(), QFile::encodeName(second).constData()) == 0);
    const ino_t inode = statOf(path).st_ino;

    QString error;
    EXPECT_EQ(SafeSave::write(path, "new and longer\n", &error), SafeSave::Way::inPlace) << error.toStdString();
    EXPECT_EQ(statOf(path).st_ino, inode);
    EXPECT_EQ(statOf(path).st_nlink, 2u);
    EXPECT_EQ(testsupport::readFile(second), "new and longer\n");
    EXPECT_EQ(SafeSave::write(second, "s\n", &error), SafeSave::Way::inPlace);
    EXPECT_EQ(testsupport::readFile(path), "s\n");
    EXPECT_TRUE(backupsLeft().isEmpty()) << backupsLeft().join(' ').toStdString();
}

TEST(SafeSave, AFolderThatTakesNoNewFilesIsWrittenInPlace)
{
    QTemporaryDir dir;
    const QString folder = testsupport::makeFolder(dir, "locked");
    const QString path = testsupport::writeFile(dir, "locked/notes.txt", "old\n");
    if (!lockFolder(folder, true))
        GTEST_SKIP() << "this file system cannot lock a folder";
    QString error;
    const auto way = SafeSave::write(path, "new\n", &error);
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    lockFolder(folder, false);
    EXPECT_EQ(way, SafeSave::Way::inPlace) << error.toStdString();
    EXPECT_EQ(testsupport::readFile(path), "new\n");
    EXPECT_EQ(entries, QStringList { "notes.txt" });
    EXPECT_TRUE(backupsLeft().isEmpty());
}

TEST(SafeSave, AnOwnerThatCannotBeKeptIsWrittenInPlace)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a second user needs root";
    Stranger colleague;
    Stranger team;
    ASSERT_TRUE(colleague.exists() && team.exists());
    QTemporaryDir dir;
    ::chmod(QFile::encodeName(dir.path()).constData(), 0777);
    const QString path = testsupport::writeFile(dir, "team.txt", "old\n");
    const QString cache = testsupport::makeFolder(dir, "cache");
    ::chown(QFile::encodeName(cache).constData(), colleague.uid(), colleague.gid());
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 0, team.gid()), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0664), 0);
    const ino_t inode = statOf(path).st_ino;

    // The colleague may write the file through the team's group but cannot give a new file
    // root as its owner.
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t groups[] = { team.gid() };
        if (::setgroups(1, groups) != 0 || ::setgid(colleague.gid()) != 0 || ::setuid(colleague.uid()) != 0)
            ::_exit(3);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        QString error;
        const auto way = SafeSave::write(path, "new\n", &error);
        ::_exit(way == SafeSave::Way::inPlace ? 0 : way ? 2 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    const struct stat after = statOf(path);
    EXPECT_EQ(after.st_ino, inode);
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(after.st_gid, team.gid());
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(testsupport::readFile(path), "new\n");
}

TEST(SafeSave, ANewFileIsCreatedAndALinkLeadsToItsTarget)
{
    QTemporaryDir dir;
    const QString target = testsupport::writeFile(dir, "real.sh", "old\n");
    ::chmod(QFile::encodeName(target).constData(), 0750);
    const QString link = dir.filePath("link.sh");
    ASSERT_TRUE(QFile::link(target, link));
    QString error;
    EXPECT_EQ(SafeSave::write(link, "new\n", &error), SafeSave::Way::replaced);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(statOf(target).st_mode & 07777, 0750u);
    EXPECT_EQ(testsupport::readFile(target), "new\n");
    EXPECT_EQ(SafeSave::write(dir.filePath("fresh.txt"), "made\n", &error), SafeSave::Way::created);
    EXPECT_EQ(testsupport::readFile(dir.filePath("fresh.txt")), "made\n");
    EXPECT_FALSE(SafeSave::write(dir.filePath("no/such/folder.txt"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(SafeSave, AFullDiskKeepsTheOldFileBothWays)
{
    QTemporaryDir dir;
    const QString folder = testsupport::makeFolder(dir, "small");
    testsupport::SmallDisk disk(folder, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason().toStdString();
    const QByteArray old(600 * 1024, 'o');
    const QString path = folder + "/big.txt";
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(old), old.size());
    }
    QString error;
    EXPECT_FALSE(SafeSave::write(path, QByteArray(900 * 1024, 'n'), &error));
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(ENOSPC)));
    EXPECT_EQ(testsupport::readFile(path), old);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList { "big.txt" });

    // With a second link the file is rewritten where it is; the old bytes still survive.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(folder + "/again.txt").constData()), 0);
    error.clear();
    EXPECT_FALSE(SafeSave::write(path, QByteArray(1200 * 1024, 'n'), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(testsupport::readFile(path), old);
    EXPECT_TRUE(backupsLeft().isEmpty());
}
