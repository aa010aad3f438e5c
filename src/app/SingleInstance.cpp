#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QtEndian>

#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A launch that has not sent its whole message by then is dropped.
constexpr int receiveTimeoutMs = 5000;

void appendNumber(QByteArray &out, quint32 number)
{
    char bytes[4];
    qToBigEndian(number, bytes);
    out.append(bytes, 4);
}

std::optional<quint32> numberAt(const QByteArray &bytes, qsizetype offset)
{
    if (bytes.size() - offset < 4)
        return std::nullopt;
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

// The user the process at the other end of a connected local socket runs as.
std::optional<uid_t> peerUser(qintptr descriptor)
{
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0
        || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

bool peerIsThisUser(const QLocalSocket &socket)
{
    return peerUser(socket.socketDescriptor()) == ::getuid();
}

}

namespace InstanceMessage
{

QByteArray encode(const QStringList &paths)
{
    QByteArray out;
    appendNumber(out, quint32(paths.size()));
    for (const QString &path : paths) {
        const QByteArray bytes = QFile::encodeName(path);
        appendNumber(out, quint32(bytes.size()));
        out += bytes;
    }
    return out;
}

Parsed decode(const QByteArray &bytes)
{
    using State = Parsed::State;
    if (bytes.size() > maxBytes)
        return { State::malformed, {} };
    const auto count = numberAt(bytes, 0);
    if (!count)
        return { State::incomplete, {} };
    if (*count > maxPaths)
        return { State::malformed, {} };
    Parsed parsed;
    qsizetype offset = 4;
    for (quint32 i = 0; i < *count; ++i) {
        const auto length = numberAt(bytes, offset);
        if (length && (*length == 0 || *length > maxPathBytes))
            return { State::malformed, {} };
        if (!length || bytes.size() - offset - 4 < qsizetype(*length))
            return { State::incomplete, {} };
        parsed.paths.append(QFile::decodeName(bytes.mid(offset + 4, *length)));
        offset += 4 + *length;
    }
    parsed.state = offset == bytes.size() ? State::complete : State::malformed;
    if (parsed.state == State::malformed)
        parsed.paths.clear();
    return parsed;
}

}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , socketPath(std::move(socketPath))
{
}

bool SingleInstance::isPrivateFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

std::optional<QString> SingleInstance::defaultSocketPath()
{
    // Never a shared path: another user listening there would receive what this user opens.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) || !isPrivateFolder(folder))
        folder = QDir::tempPath() + QStringLiteral("/quillmar-") + QString::number(::getuid());
    if (!isPrivateFolder(folder))
        return std::nullopt;
    return folder + QStringLiteral("/quillmar.socket");
}

bool SingleInstance::forward(const QList<QUrl> &urls, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs) || !peerIsThisUser(socket))
        return false;
    QStringList paths;
    for (const QUrl &url : urls)
        paths << url.toLocalFile();
    // An empty message still tells the running editor to come forward.
    socket.write(InstanceMessage::encode(paths));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath)) {
        // A socket left behind by an editor that died answers nobody: replace it.
        QLocalServer::removeServer(socketPath);
        if (!server->listen(socketPath))
            return false;
    }
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server->nextPendingConnection())
            accept(socket);
    });
    return true;
}

void SingleInstance::accept(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!peerIsThisUser(*socket)) {
        socket->abort();
        return;
    }
    // Qt stops reading from the connection once this much waits, so a flood is never buffered.
    socket->setReadBufferSize(InstanceMessage::maxBytes + 1);
    QTimer::singleShot(receiveTimeoutMs, socket, [socket] { socket->abort(); });
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
        // Never more than one byte past the limit is kept.
        *buffer += socket->read(InstanceMessage::maxBytes + 1 - buffer->size());
        const auto parsed = InstanceMessage::decode(*buffer);
        if (parsed.state == InstanceMessage::Parsed::State::incomplete)
            return;
        buffer->clear();
        socket->abort();
        if (parsed.state == InstanceMessage::Parsed::State::malformed)
            return;
        QList<QUrl> urls;
        for (const QString &path : parsed.paths)
            if (QDir::isAbsolutePath(path) && QFileInfo::exists(path))
                urls << QUrl::fromLocalFile(path);
        if (onOpen)
            onOpen(urls);
    });
}

QList<QUrl> commandLineFiles(const QStringList &arguments, const QString &folder)
{
    QList<QUrl> urls;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        urls << QUrl::fromLocalFile(QDir(folder).absoluteFilePath(argument));
    }
    return urls;
}
