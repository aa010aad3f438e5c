#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , socketPath(std::move(socketPath))
{
}

QString SingleInstance::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/quillmar.socket");
}

bool SingleInstance::forward(const QList<QUrl> &urls, int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    for (const QUrl &url : urls)
        message += url.toLocalFile().toUtf8() + '\n';
    // An empty message still tells the running editor to come forward.
    message += '\0';
    socket.write(message);
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
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer] {
                *buffer += socket->readAll();
                if (!buffer->endsWith('\0'))
                    return;
                buffer->chop(1);
                QList<QUrl> urls;
                for (const QByteArray &line : buffer->split('\n'))
                    if (!line.isEmpty())
                        urls << QUrl::fromLocalFile(QString::fromUtf8(line));
                buffer->clear();
                if (onOpen)
                    onOpen(urls);
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}
