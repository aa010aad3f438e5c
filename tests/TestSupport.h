#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace testsupport {

// Writes bytes to dir/relative, creating parent folders; returns the absolute path.
QString writeFile(const QTemporaryDir &dir, const QString &relative, const QByteArray &bytes);
QString makeFolder(const QTemporaryDir &dir, const QString &relative);
QByteArray readFile(const QString &path);

// Runs the event loop until the predicate holds or the timeout passes; returns the predicate.
bool waitUntil(const std::function<bool()> &predicate, int timeoutMs = 5000);

// A tmpfs of the given size (such as "1m") mounted on a folder while this lives, to fill a
// disk in a test. When mounting is not allowed, mounted() is false and reason() says why.
class SmallDisk {
public:
    SmallDisk(const QString &folder, const QString &size);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;
    bool mounted() const { return isMounted; }
    QString reason() const { return why; }

private:
    QString folder;
    bool isMounted = false;
    QString why;
};

// Clears the test settings store so that each test starts from a first run.
void clearSettings();

}
