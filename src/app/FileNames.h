#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Rules for the names typed into cards, and paths that follow a moved item.
namespace FileNames {

// The message for a name that cannot be used, after trimming; none when it can.
std::optional<QString> nameError(const QString &name);

// True when `path` is `folder` or lies under it, component by component.
bool isAtOrUnder(const QString &path, const QString &folder);

// `path` after the first of the folders strictly above it and its "/" (for "/" only the leading
// "/" goes); the whole path when none is.
QString relativeToFirst(const QString &path, const QStringList &folders);

// `path` (at or under `from`) as it reads after `from` moved to `to`.
QString moved(const QString &path, const QString &from, const QString &to);

}
