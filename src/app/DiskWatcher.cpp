#include "DiskWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <utility>

DiskWatcher::DiskWatcher(QObject *parent)
    : QObject(parent)
    , system(new QFileSystemWatcher(this))
    , settle(new QTimer(this))
    , poller(new QTimer(this))
{
    settle->setSingleShot(true);
    settle->setInterval(settleMs);
    poller->setInterval(pollMs);
    connect(settle, &QTimer::timeout, this, [this] { report(); });
    connect(poller, &QTimer::timeout, this, [this] { poll(); });
    connect(system, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) { changed(path); });
    connect(system, &QFileSystemWatcher::directoryChanged, this, [this](const QString &path) { changed(path); });
}

void DiskWatcher::watch(const QStringList &paths)
{
    const QSet<QString> next(paths.begin(), paths.end());
    for (const QString &path : wanted - next) {
        system->removePath(path);
        polled.remove(path);
        pending.remove(path);
    }
    for (const QString &path : next - wanted)
        add(path);
    wanted = next;
}

DiskWatcher::Stamp DiskWatcher::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return { true, info.lastModified(), info.isDir() ? -1 : info.size() };
}

void DiskWatcher::add(const QString &path)
{
    if (system->addPath(path)) {
        polled.remove(path);
        return;
    }
    polled.insert(path, stampOf(path));
    if (!poller->isActive())
        poller->start();
}

void DiskWatcher::changed(const QString &path)
{
    if (!wanted.contains(path))
        return;
    // A file replaced by a rename, or removed, took its watch with it.
    if (!system->files().contains(path) && !system->directories().contains(path))
        add(path);
    pending.insert(path);
    settle->start();
}

void DiskWatcher::poll()
{
    const QStringList paths = polled.keys();
    for (const QString &path : paths) {
        const Stamp now = stampOf(path);
        if (now == polled.value(path))
            continue;
        polled.insert(path, now);
        pending.insert(path);
        if (now.exists)
            add(path);
    }
    if (polled.isEmpty())
        poller->stop();
    if (!pending.isEmpty())
        settle->start();
}

void DiskWatcher::report()
{
    if (pending.isEmpty())
        return;
    const QSet<QString> changedPaths = std::exchange(pending, {});
    if (onChange)
        onChange(changedPaths);
}
