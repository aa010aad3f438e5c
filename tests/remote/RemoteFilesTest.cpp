#include "ServerTest.h"

#include "remote/LocalCopies.h"
#include "remote/RemoteFiles.h"
#include "remote/RemoteScripts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using testsupport::readFile;
using testsupport::waitUntil;

namespace
{

// Bytes whose every offset is told apart from its neighbours.
QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

double modifiedTime(const QString &path)
{
    return double(QFileInfo(path).lastModified().toSecsSinceEpoch());
}

class RemoteFilesTest : public ServerTest
{
};

TEST_F(RemoteFilesTest, AFileOfExactly64MiBOpensAndOneByteMoreDoesNot)
{
    const auto ssh = client();
    const QByteArray largest = pattern(remoteFileLimit);
    const QString remote = server.writeFile("largest.bin", largest);
    const RemoteRead opened = readOn(*ssh, remote);
    ASSERT_TRUE(opened.opened) << opened.message.toStdString();
    EXPECT_EQ(opened.modified, modifiedTime(remote));
    EXPECT_EQ(opened.localCopy, localCopyURL(hostID(ssh->host), remote));
    EXPECT_TRUE(readFile(opened.localCopy) == largest);

    server.writeFile("larger.bin", largest + 'x');
    const RemoteRead refused = readOn(*ssh, server.path("larger.bin"));
    EXPECT_FALSE(refused.opened);
    EXPECT_EQ(refused.message, "larger.bin is too large to open here (limit 64 MB)");
    EXPECT_FALSE(QFile::exists(localCopyURL(hostID(ssh->host), server.path("larger.bin"))));
}

TEST_F(RemoteFilesTest, APathWithQuotesSpacesAndALeadingDashRoundTrips)
{
    const auto ssh = client();
    const QString relative = QStringLiteral("-rf it's \"here\"/-n $(x) it's.txt");
    const QString remote = server.writeFile(relative, "before\n");
    const RemoteRead opened = readOn(*ssh, remote);
    ASSERT_TRUE(opened.opened) << opened.message.toStdString();
    EXPECT_EQ(readFile(opened.localCopy), "before\n");

    const SaveOutcome saved = saveOn(*ssh, remote, "after\n", opened.modified, opened.localCopy);
    ASSERT_EQ(saved.status, SaveStatus::saved) << saved.message.toStdString();
    EXPECT_EQ(saved.message, "Saved to " + server.destination());
    EXPECT_EQ(readFile(remote), "after\n");
    EXPECT_EQ(saved.modified, modifiedTime(remote));
    EXPECT_EQ(readFile(opened.localCopy), "after\n");
    EXPECT_EQ(QDir(QFileInfo(remote).absolutePath()).entryList(QDir::Files),
        QStringList { "-n $(x) it's.txt" });
    // Through the home folder's "~/" too.
    EXPECT_EQ(readOn(*ssh, "~/" + relative).opened, true);
}

TEST_F(RemoteFilesTest, SavingAFileDeletedOnTheMachineRecreatesIt)
{
    const auto ssh = client();
    const QString remote = server.writeFile("gone.txt", "one\n");
    const RemoteRead opened = readOn(*ssh, remote);
    ASSERT_TRUE(opened.opened);
    QFile::remove(remote);
    const SaveOutcome saved = saveOn(*ssh, remote, "two\n", opened.modified);
    EXPECT_EQ(saved.status, SaveStatus::saved) << saved.message.toStdString();
    EXPECT_EQ(readFile(remote), "two\n");
}

TEST_F(RemoteFilesTest, SavingAFileTouchedOnTheMachineIsAConflictUntilOverwritten)
{
    const auto ssh = client();
    const QString remote = server.writeFile("touched.txt", "mine\n");
    const RemoteRead opened = readOn(*ssh, remote);
    ASSERT_TRUE(opened.opened);
    QFile file(remote);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(100), QFileDevice::FileModificationTime);
    file.close();
    const SaveOutcome conflict = saveOn(*ssh, remote, "yours\n", opened.modified);
    EXPECT_EQ(conflict.status, SaveStatus::conflict);
    EXPECT_EQ(readFile(remote), "mine\n");
    const SaveOutcome overwritten = saveOn(*ssh, remote, "yours\n", std::nullopt);
    EXPECT_EQ(overwritten.status, SaveStatus::saved);
    EXPECT_EQ(readFile(remote), "yours\n");
}

TEST_F(RemoteFilesTest, AReadOnlyFileIsNotWrittenForLackOfPermission)
{
    const auto ssh = client();
    const QString remote = server.writeFile("app.conf", "kept\n");
    QFile::setPermissions(remote, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const SaveOutcome refused = saveOn(*ssh, remote, "changed\n", modifiedTime(remote));
    EXPECT_EQ(refused.status, SaveStatus::failed);
    EXPECT_EQ(refused.message,
        "No permission to write app.conf as " + server.destination() + ". The tab stays unsaved.");
    EXPECT_EQ(readFile(remote), "kept\n");

    // A new file in a folder the account may not write to.
    const QString closed = server.path("closed");
    QDir().mkpath(closed);
    const SaveOutcome uncreated = saveOn(*ssh, closed + "/new.txt", "x", std::nullopt);
    EXPECT_EQ(uncreated.status, SaveStatus::failed);
    EXPECT_TRUE(uncreated.message.startsWith("No permission to write new.txt"));
}

TEST_F(RemoteFilesTest, AWritableFileInAClosedFolderIsWrittenInPlaceWithItsMode)
{
    const auto ssh = client();
    const QString remote = server.writeFile("locked/settings.ini", "a=1\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(remote, mode);
    QFile::setPermissions(QFileInfo(remote).absolutePath(),
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    struct stat before {
    };
    ::stat(QFile::encodeName(remote).constData(), &before);

    const SaveOutcome saved = saveOn(*ssh, remote, "a=2\n", modifiedTime(remote));
    ASSERT_EQ(saved.status, SaveStatus::saved) << saved.message.toStdString();
    EXPECT_EQ(readFile(remote), "a=2\n");
    struct stat after {
    };
    ::stat(QFile::encodeName(remote).constData(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(QFileInfo(remote).permissions() & ~(QFile::ReadUser | QFile::WriteUser), mode);
}

TEST_F(RemoteFilesTest, AReplacedFileKeepsItsPermissionBits)
{
    const auto ssh = client();
    const QString remote = server.writeFile("run.sh", "#!/bin/sh\n");
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
        | QFile::ExeOther;
    QFile::setPermissions(remote, mode);
    const SaveOutcome saved = saveOn(*ssh, remote, "#!/bin/sh\necho\n", std::nullopt);
    ASSERT_EQ(saved.status, SaveStatus::saved) << saved.message.toStdString();
    EXPECT_EQ(
        QFileInfo(remote).permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
        mode);
}

TEST_F(RemoteFilesTest, HostsThatDifferOnlyByPortKeepSeparateCopies)
{
    const auto first = client(server.port());
    const auto second = client(server.secondPort());
    const QString remote = server.writeFile("same.txt", "same\n");
    const RemoteRead one = readOn(*first, remote);
    const RemoteRead two = readOn(*second, remote);
    ASSERT_TRUE(one.opened && two.opened);
    EXPECT_NE(one.localCopy, two.localCopy);
    EXPECT_EQ(readFile(one.localCopy), "same\n");
    EXPECT_EQ(readFile(two.localCopy), "same\n");
}

TEST_F(RemoteFilesTest, AnUploadCutOffMidwayLeavesTheOldFileAsItWas)
{
    const auto ssh = client();
    const QString remote = server.writeFile("data.bin", "old contents\n");
    const QString temporary = remote + ".quillmar-tmp";
    bool called = false;
    saveRemote(*ssh, remote, pattern(256 * 1024 * 1024), std::nullopt, {},
        [&](const SaveOutcome &) { called = true; });
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(temporary).size() > 0; }, 30000));
    ssh->cancel();
    ASSERT_TRUE(waitUntil([&] { return !QFile::exists(temporary); }, 30000));
    EXPECT_EQ(readFile(remote), "old contents\n");
    EXPECT_FALSE(called);
}

}
