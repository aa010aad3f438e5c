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

// Clears the test settings store so that each test starts from a first run.
void clearSettings();

}
