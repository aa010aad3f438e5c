#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The sh scripts that read and write one remote file, and the parsing of what they print.
// They need only sh, stat (GNU or BSD), cat, head, wc, dirname, chmod, mv and rm on the machine.

// The largest remote file that opens: 64 MiB.
inline constexpr qsizetype remoteFileLimit = 67'108'864;

// Prints the file's modification time on a line of its own (empty when stat can't tell), then
// at most limit + 1 bytes of the file, so that a larger file shows as too large.
QString readScript(const QString &path, qsizetype limit = remoteFileLimit);

// Writes its standard input, size bytes, to the file and prints the file's new modification
// time. Exit status 3: the file changed since expectedTime (a missing file has not changed);
// 4: no permission, with the reason on standard error; 1: the bytes could not be put in place.
// In a writable folder the bytes go to a temporary file beside the file, which takes the old
// permission bits and then replaces it; input that ends short of size (the upload was cut
// off) is thrown away. In a folder that is not writable, an existing file is written in place.
QString writeScript(const QString &path, std::optional<double> expectedTime, qsizetype size);

// What the read script printed.
struct ReadOutput {
    std::optional<double> modified; // seconds since 1970
    QByteArray content;
};
ReadOutput parseReadOutput(const QByteArray &output);

// The modification time the write script printed, when it printed one.
std::optional<double> parseSavedTime(const QByteArray &output);
