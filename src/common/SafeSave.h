#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Writes a user's file so that a failure or a crash never leaves it half old, half new, and
// so that the file keeps what makes it the same file: owner, group, mode with set-id bits,
// extended attributes, hard links and the symbolic link that leads to it.
//
// Two ways, chosen per save:
// - replace: the new bytes go to a temporary file beside the old one, which takes the old
//   file's owner, group, extended attributes and mode, is flushed, and is renamed over it. A
//   crash at any moment leaves the whole old or the whole new file.
// - in place: when the folder takes no new files, the file has other hard links, or its
//   owner, group, mode or attributes cannot be given to a new file. The old bytes are first
//   copied to a flushed backup in the backup folder, then the file is rewritten. A failed
//   write puts the old bytes back; a crash leaves the backup, and recoverInterrupted() puts
//   the old bytes back on the next start unless the file already holds the whole new content.
namespace SafeSave {

enum class Way { created, replaced, inPlace };

// The bytes end up at path (through its symbolic links), or the answer is empty and error
// holds the system's description; the old content is then unchanged.
std::optional<Way> write(const QString &path, const QByteArray &bytes, QString *error);

// Where in-place saves keep the old content until they finish.
QString backupFolder();

// After a crash: each interrupted in-place save's file gets its old content back, unless it
// holds the whole new content. Answers the files that were put back.
QStringList recoverInterrupted();

}
