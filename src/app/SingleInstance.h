#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

// What a second launch sends to the running editor: the number of paths, then each path's
// length and bytes (4-byte big-endian numbers), so a path may hold any byte, a line feed
// included. Bounded: a message past these limits is dropped whole.
namespace InstanceMessage
{

inline constexpr quint32 maxPaths = 4096;
inline constexpr quint32 maxPathBytes = 4096;
inline constexpr qsizetype maxBytes = 1024 * 1024;

QByteArray encode(const QStringList &paths);

struct Parsed {
    enum class State { incomplete, complete, malformed };
    State state = State::incomplete;
    QStringList paths;
};
// The paths of the bytes received so far; complete only when they are exactly one message.
Parsed decode(const QByteArray &bytes);

}

// One editor per user session: a second launch hands its files to the first and exits. The
// socket lives in a folder only this user can enter, and each side checks that the other runs
// as this user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject *parent = nullptr);

    // The socket in the user's runtime folder, or in a folder of the user's own under the
    // temporary folder; none when neither is safe (then the editor runs on its own).
    static std::optional<QString> defaultSocketPath();
    // Makes the folder with mode 0700 when it is missing; true when it is a real folder (not a
    // link) owned by this user that nobody else may enter.
    static bool isPrivateFolder(const QString &folder);

    // True when a running editor took the files; this process should then exit.
    bool forward(const QList<QUrl> &urls, int timeoutMs = 1000) const;
    // Starts answering later launches; false when the socket could not be made.
    bool listen();

    // Paths that are absolute and exist; called with none when a launch only asks the editor
    // to come forward.
    std::function<void(const QList<QUrl> &)> onOpen;

private:
    void accept(QLocalSocket *socket);

    QString socketPath;
    QLocalServer *server = nullptr;
};

// The files named on the command line, relative ones taken from the folder. Every argument is
// a file, even one that starts with "-"; a first "--" is dropped, as the end of options.
QList<QUrl> commandLineFiles(const QStringList &arguments, const QString &folder);
