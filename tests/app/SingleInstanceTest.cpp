#include "app/SingleInstance.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::waitUntil;

namespace
{

using State = InstanceMessage::Parsed::State;

QByteArray number(quint32 value)
{
    const char bytes[] { char(value >> 24), char(value >> 16), char(value >> 8), char(value) };
    return QByteArray(bytes, 4);
}

// A running editor's end of the socket, in a folder of its own, counting what it was handed.
struct Listener {
    QTemporaryDir dir;
    QString socketPath = dir.filePath("quillmar.socket");
    SingleInstance instance { socketPath };
    QList<QList<QUrl>> received;

    Listener()
    {
        instance.onOpen = [this](const QList<QUrl> &urls) { received << urls; };
        EXPECT_TRUE(instance.listen());
    }
};

// Connects as another user (a child process that gives up root) and sends the bytes; answers
// whether the connection was made.
bool sendAsNobody(const QString &socketPath, const QByteArray &bytes)
{
    const QByteArray path = QFile::encodeName(socketPath);
    const pid_t child = ::fork();
    if (child == 0) {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        ::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0
            || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            ::_exit(1);
        [[maybe_unused]] const auto sent = ::write(fd, bytes.constData(), size_t(bytes.size()));
        ::_exit(0);
    }
    int status = 0;
    // The child is reaped while the event loop runs, so the server can accept meanwhile.
    waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 20000);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(InstanceMessage, CarriesAnyPathWhole)
{
    const QStringList paths { "/tmp/a\nb.txt", "/tmp/with space", QString::fromUtf8("/tmp/é") };
    const QByteArray bytes = InstanceMessage::encode(paths);
    const auto parsed = InstanceMessage::decode(bytes);
    EXPECT_EQ(parsed.state, State::complete);
    EXPECT_EQ(parsed.paths, paths);
    EXPECT_EQ(InstanceMessage::decode(InstanceMessage::encode({})).state, State::complete);

    for (qsizetype cut = 0; cut < bytes.size(); ++cut)
        EXPECT_EQ(InstanceMessage::decode(bytes.left(cut)).state, State::incomplete) << cut;
}

TEST(InstanceMessage, RefusesWhatPassesTheBounds)
{
    const struct {
        const char *why;
        QByteArray bytes;
    } cases[] = {
        { "too many paths", number(InstanceMessage::maxPaths + 1) },
        { "a path too long", number(1) + number(InstanceMessage::maxPathBytes + 1) },
        { "an empty path", number(1) + number(0) },
        { "bytes after the message", InstanceMessage::encode({ "/a" }) + "x" },
        { "a message too large",
            number(InstanceMessage::maxPaths)
                + QByteArray(InstanceMessage::maxBytes, 'x') },
    };
    for (const auto &c : cases) {
        const auto parsed = InstanceMessage::decode(c.bytes);
        EXPECT_EQ(parsed.state, State::malformed) << c.why;
        EXPECT_TRUE(parsed.paths.isEmpty()) << c.why;
    }
}

TEST(SingleInstance, ForwardsExistingAbsolutePathsOnly)
{
    Listener editor;
    QTemporaryDir files;
    const QString odd = testsupport::writeFile(files, "two\nlines.txt", "x");
    const QString plain = testsupport::writeFile(files, "lines.txt", "x");
    const SingleInstance launch(editor.socketPath);
    ASSERT_TRUE(launch.forward({ QUrl::fromLocalFile(odd), QUrl::fromLocalFile("relative.txt"),
        QUrl::fromLocalFile(files.filePath("missing.txt")), QUrl::fromLocalFile(plain) }));
    ASSERT_TRUE(waitUntil([&] { return !editor.received.isEmpty(); }));
    EXPECT_EQ(editor.received.front(),
        QList<QUrl>({ QUrl::fromLocalFile(odd), QUrl::fromLocalFile(plain) }));

    // Nothing to open still brings the editor forward.
    ASSERT_TRUE(launch.forward({}));
    ASSERT_TRUE(waitUntil([&] { return editor.received.size() == 2; }));
    EXPECT_TRUE(editor.received.back().isEmpty());
}

TEST(SingleInstance, AFloodIsCutOffUnread)
{
    Listener editor;
    QLocalSocket flood;
    flood.connectToServer(editor.socketPath);
    ASSERT_TRUE(flood.waitForConnected(5000));
    // A well-formed start that promises far more than one message may hold.
    QByteArray bytes = number(InstanceMessage::maxPaths);
    for (quint32 i = 0; i < 1024; ++i)
        bytes += number(InstanceMessage::maxPathBytes) + QByteArray(InstanceMessage::maxPathBytes, 'x');
    flood.write(bytes);
    ASSERT_TRUE(waitUntil([&] { return flood.state() == QLocalSocket::UnconnectedState; }, 20000));
    EXPECT_TRUE(editor.received.isEmpty());
}

TEST(SingleInstance, AnotherUserIsNotListenedTo)
{
    Listener editor;
    // Open to everyone here, so that only the check of the peer stands in the way.
    ::chmod(QFile::encodeName(editor.dir.path()).constData(), 0755);
    ::chmod(QFile::encodeName(editor.socketPath).constData(), 0777);
    QTemporaryDir files;
    const QString path = testsupport::writeFile(files, "secret.txt", "x");
    const QByteArray message = InstanceMessage::encode({ path });

    ASSERT_TRUE(sendAsNobody(editor.socketPath, message));
    QTest::qWait(300);
    EXPECT_TRUE(editor.received.isEmpty());

    // The same message from this user is taken.
    QLocalSocket own;
    own.connectToServer(editor.socketPath);
    ASSERT_TRUE(own.waitForConnected(5000));
    own.write(message);
    ASSERT_TRUE(waitUntil([&] { return !editor.received.isEmpty(); }));
    EXPECT_EQ(editor.received.front(), QList<QUrl> { QUrl::fromLocalFile(path) });
}

TEST(SingleInstance, OnlyAFolderOfTheUsersOwnHoldsTheSocket)
{
    QTemporaryDir dir;
    const QString made = dir.filePath("made");
    EXPECT_TRUE(SingleInstance::isPrivateFolder(made));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    const QString open = dir.filePath("open");
    ASSERT_TRUE(QDir().mkdir(open));
    ::chmod(QFile::encodeName(open).constData(), 0755);
    EXPECT_FALSE(SingleInstance::isPrivateFolder(open));

    const QString theirs = dir.filePath("theirs");
    ASSERT_TRUE(SingleInstance::isPrivateFolder(theirs));
    ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
    EXPECT_FALSE(SingleInstance::isPrivateFolder(theirs));

    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(made, link));
    EXPECT_FALSE(SingleInstance::isPrivateFolder(link));

    // Without a usable runtime folder the socket goes in one of the user's own, never a
    // shared path.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
    const auto fallback = SingleInstance::defaultSocketPath();
    qputenv("XDG_RUNTIME_DIR", runtime);
    ASSERT_TRUE(fallback.has_value());
    EXPECT_TRUE(SingleInstance::isPrivateFolder(QFileInfo(*fallback).absolutePath()));
    EXPECT_NE(QFileInfo(*fallback).absolutePath(), QDir::tempPath());
}

TEST(CommandLine, EveryArgumentIsAFile)
{
    const auto files = commandLineFiles({ "-reverse", "--", "--", "/abs/x.txt", "sub/y.txt" }, "/home/ada");
    EXPECT_EQ(files,
        QList<QUrl>({ QUrl::fromLocalFile("/home/ada/-reverse"), QUrl::fromLocalFile("/home/ada/--"),
            QUrl::fromLocalFile("/abs/x.txt"), QUrl::fromLocalFile("/home/ada/sub/y.txt") }));
}

}
