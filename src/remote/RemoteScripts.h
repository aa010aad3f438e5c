#pragma once

#include "SSHResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The sh scripts that read and write one remote file, and the parsing of what they print.
// They need only sh, stat (GNU, BSD or busybox), cat, wc, tr, mktemp, chmod, mv and rm on the
// machine. Each one says that it did its work on standard output; an answer without that
// word is a failure whatever the exit status, so a shell that runs nothing never passes for
// an empty file or a finished save.

// The largest remote file that opens: 64 MiB.
inline constexpr qsizetype remoteFileLimit = 67'108'864;

// Refuses anything but a readable regular file, with the reason on standard error (a folder,
// a FIFO or a device never reaches cat, so nothing blocks). Otherwise prints a header line
// "quillmar-file <modification time> <size>" (the time empty when stat can't tell), then the
// file's bytes, unless the size passes the limit; the exit status is cat's own.
QString readScript(const QString &path, qsizetype limit = remoteFileLimit);

// Writes its standard input, size bytes, to the file and prints "quillmar-saved" and the
// file's new modification time once the bytes are in place. When the file changed since
// expectedTime (a missing file has not changed) it prints "quillmar-conflict" and writes
// nothing. Exit status 4: no permission, with the reason on standard error; 1: the bytes
// could not be put in place, the file left as it was.
// The bytes always arrive in a temporary file first and count before they replace anything,
// so input that ends short of size (the upload was cut off) changes nothing. In a writable
// folder the temporary file sits beside the file, takes its permission bits and is renamed
// over it. In a folder that is not writable an existing writable file keeps its inode: the
// complete upload is copied into it with hang-up and interrupt signals ignored, so a cut
// connection can't stop the copy halfway, and a copy that fails puts the old bytes back.
QString writeScript(const QString &path, std::optional<double> expectedTime, qsizetype size);

// What the read script printed, when its header arrived.
struct ReadOutput {
    std::optional<double> modified; // seconds since 1970
    qint64 size = 0; // the size the machine gave before reading
    QByteArray content;
};
std::optional<ReadOutput> parseReadOutput(const QByteArray &output);

// What the write script said it did.
struct WriteReply {
    enum class Kind { none, saved, conflict };
    Kind kind = Kind::none;
    std::optional<double> modified; // after a save, when stat could tell
};
WriteReply parseWriteOutput(const QByteArray &output);

// A script whose answer is its standard output, followed by a last line that says the script
// got to its end with status 0. markedOutput answers the output without that line, and
// nothing when the line is missing (a shell that ran nothing, an answer cut short).
QString withEndMarker(const QString &script);
std::optional<QByteArray> markedOutput(int status, const QByteArray &output);
// The output of a marked script's run when it got to its end, and nothing when it did not or
// when it printed nothing but errors: an empty answer with something on standard error is a
// failure, not "nothing here".
std::optional<QByteArray> confirmedOutput(const SSHResult &result);
// The marker line itself (without its line feeds), for streamed readers.
QByteArray endMarkerLine();

// The output of a marked script as it streams in: take passes the bytes on, holding back
// only the last few, which may be the end line; ended tells, once the output is over, whether
// that line came last. The end line itself is never passed on.
class MarkedStream
{
public:
    QByteArray take(QByteArrayView chunk);
    bool ended() const;
    // Whether any output besides the end line came.
    bool hadOutput() const { return passedOn || (!held.isEmpty() && !ended()); }

private:
    QByteArray held;
    bool passedOn = false;
};
