#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QLocalServer;

// One editor per user session: a second launch hands its files to the first and exits.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);

    static QString defaultSocketPath();

    // True when a running editor took the files; this process should then exit.
    bool forward(const QList<QUrl> &urls, int timeoutMs = 1000) const;
    // Starts answering later launches; false when the socket could not be made.
    bool listen();

    std::function<void(const QList<QUrl> &)> onOpen;

private:
    QString socketPath;
    QLocalServer *server = nullptr;
};
