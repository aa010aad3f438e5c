#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QTimer;

// Watches files and folders for changes other programs make and reports them a burst at a
// time. The system's watch ends with a file that is replaced or removed, and the system may
// refuse a watch (a missing path, too many watches): such paths are polled until a watch takes.
class DiskWatcher : public QObject
{
    Q_OBJECT
public:
    // A burst of changes settles this long before it is reported.
    static constexpr int settleMs = 100;
    static constexpr int pollMs = 1500;

    explicit DiskWatcher(QObject *parent = nullptr);

    // The watched paths that changed, once per burst.
    std::function<void(const QSet<QString> &changed)> onChange;

    // Everything to watch from now on; paths not named any more are dropped.
    void watch(const QStringList &paths);
    // The watched paths the system does not watch, looked at by polling instead.
    QStringList polledPaths() const { return polled.keys(); }

private:
    // What a poll compares.
    struct Stamp {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;

        bool operator==(const Stamp &) const = default;
    };

    static Stamp stampOf(const QString &path);
    void add(const QString &path);
    void changed(const QString &path);
    void poll();
    void report();

    QFileSystemWatcher *system;
    QSet<QString> wanted;
    QHash<QString, Stamp> polled;
    QSet<QString> pending;
    QTimer *settle;
    QTimer *poller;
};
