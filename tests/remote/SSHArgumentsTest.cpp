#include "remote/SSHArguments.h"
#include "remote/RemoteHost.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

namespace
{

const QStringList sharedOptions { "-o", "BatchMode=yes", "-o", "ConnectTimeout=10", "-o",
    "ServerAliveInterval=5", "-o", "ServerAliveCountMax=2", "-o", "ControlMaster=auto", "-o", "ControlPersist=10m", "-o",
    "ControlPath=/tmp/quillmar-ssh-501/%C" };

struct ArgumentCase {
    std::optional<int> port;
    bool acceptNew;
    QStringList tail;
};

TEST(SSHArguments, SSHArgumentsTable)
{
    const QString command = QStringLiteral("cd '/srv/it'\\''s' && printf \"a b\"; ls -la");
    const std::vector<ArgumentCase> cases = {
        { 2222, false, { "-p", "2222", "me@box", command } },
        { std::nullopt, false, { "me@box", command } },
        { std::nullopt, true, { "-o", "StrictHostKeyChecking=accept-new", "me@box", command } },
        { 22, true, { "-o", "StrictHostKeyChecking=accept-new", "-p", "22", "me@box", command } },
    };
    for (const ArgumentCase &c : cases) {
        const QStringList arguments = sshArguments(QStringLiteral("me@box"), c.port, command,
            QStringLiteral("/tmp/quillmar-ssh-501"), c.acceptNew);
        EXPECT_EQ(arguments, sharedOptions + c.tail) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(sshArguments(QStringLiteral("me@box"), 2222, command,
                  QStringLiteral("/tmp/quillmar-ssh-501"), false)
                  .size(),
        18);
}

TEST(SSHArguments, ControlArgumentsTable)
{
    const QString folder = QStringLiteral("/tmp/quillmar-ssh-501");
    EXPECT_EQ(controlArguments(QStringLiteral("box"), std::nullopt, folder, "check"),
        QStringList({ "-o", "ControlPath=/tmp/quillmar-ssh-501/%C", "-O", "check", "box" }));
    EXPECT_EQ(controlArguments(QStringLiteral("me@box"), 2200, folder, "exit"),
        QStringList({ "-o", "ControlPath=/tmp/quillmar-ssh-501/%C", "-O", "exit", "-p", "2200",
            "me@box" }));
}

TEST(SSHArguments, ControlDirectoryIsThePrivateFolderOfTheUser)
{
    const QString folder = controlDirectory();
    EXPECT_EQ(folder, QStringLiteral("/tmp/quillmar-ssh-") + QString::number(::getuid()));
    const QFileInfo info(folder);
    ASSERT_TRUE(info.isDir());
    EXPECT_EQ(info.permissions()
            & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther
                | QFile::ExeGroup | QFile::ExeOther),
        QFile::Permissions());
}

TEST(SSHArguments, HostIDUses22WhenThereIsNoPort)
{
    EXPECT_EQ(hostID(QStringLiteral("user@host"), std::nullopt), "user@host:22");
    EXPECT_EQ(hostID(RemoteHost { "n", "box", 2200, { "~" } }), "box:2200");
}

TEST(SSHArguments, RemoteQuoteTable)
{
    const std::vector<std::pair<QString, QString>> cases = {
        { "~", "~" },
        { "~/", "~/''" },
        { "a'b", "'a'\\''b'" },
        { "~/my docs", "~/'my docs'" },
        { "/srv/it's", "'/srv/it'\\''s'" },
        { "-rf", "'-rf'" },
        { "/a \"quoted\" $HOME `x`", "'/a \"quoted\" $HOME `x`'" },
        { "~user/x", "'~user/x'" },
        { "", "''" },
    };
    for (const auto &[path, quoted] : cases)
        EXPECT_EQ(remoteQuote(path), quoted) << path.toStdString();
}

TEST(SSHArguments, ShortHostLabelTable)
{
    const std::vector<std::pair<QString, QString>> cases = {
        { "me@box", "box" },
        { "a@b@host.example", "host.example" },
        { "sixteen-chars-ab", "sixteen-chars-ab" },
        { "me@seventeen-chars-a", QStringLiteral("seventeen-chars…") },
        { "build-server.example.com", QStringLiteral("build-server.ex…") },
        { "me@", "" },
    };
    for (const auto &[destination, label] : cases)
        EXPECT_EQ(shortHostLabel(destination), label) << destination.toStdString();
}

}
