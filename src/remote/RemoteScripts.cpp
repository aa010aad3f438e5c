#include "RemoteScripts.h"

#include "SSHArguments.h"
#include "SSHFailure.h"

#include <QList>
#include <QStringList>

#include <cmath>

namespace
{

const QByteArray fileHeader = "quillmar-file ";
const QByteArray savedWord = "quillmar-saved";
const QByteArray conflictWord = "quillmar-conflict";
const QByteArray endWord = "quillmar-done";

// The path in $f, made to start with "/" or "./" so that no utility reads it as an option.
QString pathVariable(const QString &path)
{
    return QStringLiteral("f=") + remoteQuote(path)
        + QStringLiteral("; case $f in /*) ;; *) f=./$f ;; esac");
}

// Shell functions: mtime (GNU or busybox stat, else BSD stat: whole seconds, nothing when
// neither tells) and count (the byte count, without the blanks BSD wc puts in front).
const QString helpers = QStringLiteral(
    "mtime() { stat -c %Y -- \"$1\" 2>/dev/null || stat -f %m -- \"$1\" 2>/dev/null; }\n"
    "count() { wc -c < \"$1\" | tr -d ' '; }");

std::optional<double> timeOf(const QString &text)
{
    bool ok = false;
    const double time = text.toDouble(&ok);
    if (!ok || !std::isfinite(time))
        return std::nullopt;
    return time;
}

QString writableFolderSave()
{
    return QStringLiteral(
        "  t=$f.quillmar-tmp\n"
        "  mode=$(stat -c %a -- \"$f\" 2>/dev/null || stat -f %Mp%Lp -- \"$f\" 2>/dev/null)\n"
        "  trap 'rm -f -- \"$t\"; exit 1' HUP INT TERM PIPE\n"
        "  rm -f -- \"$t\"\n"
        "  (set -C; cat > \"$t\") || { rm -f -- \"$t\"; exit 1; }\n"
        "  if [ \"$(count \"$t\")\" != \"$n\" ]; then rm -f -- \"$t\"; "
        "echo 'The upload was cut short; the file is as it was' >&2; exit 1; fi\n"
        "  { [ -z \"$mode\" ] || chmod \"$mode\" \"$t\"; } && mv -f -- \"$t\" \"$f\" "
        "|| { rm -f -- \"$t\"; exit 1; }\n");
}

// The upload goes to the temporary folder (else the home folder) and is counted; only then
// is the old content copied aside and the new one copied in, with signals that a cut
// connection sends ignored.
QString inPlaceSave()
{
    return QStringLiteral(
        "  t=$(mktemp \"${TMPDIR:-/tmp}/quillmar.XXXXXX\" 2>/dev/null "
        "|| mktemp \"$HOME/.quillmar.XXXXXX\") || exit 1\n"
        "  trap 'rm -f -- \"$t\"; exit 1' HUP INT TERM PIPE\n"
        "  cat > \"$t\" || { rm -f -- \"$t\"; exit 1; }\n"
        "  if [ \"$(count \"$t\")\" != \"$n\" ]; then rm -f -- \"$t\"; "
        "echo 'The upload was cut short; the file is as it was' >&2; exit 1; fi\n"
        "  trap '' HUP INT TERM PIPE\n"
        "  b=$(mktemp \"${t%/*}/quillmar.XXXXXX\") && cat -- \"$f\" > \"$b\" "
        "|| { rm -f -- \"$t\" \"$b\"; "
        "echo 'No room for a copy of the old file; the file is as it was' >&2; exit 1; }\n"
        "  if cat -- \"$t\" > \"$f\" && [ \"$(count \"$f\")\" = \"$n\" ]; then "
        "rm -f -- \"$t\" \"$b\"\n"
        "  else cat -- \"$b\" > \"$f\"; rm -f -- \"$t\" \"$b\"; "
        "echo 'The new bytes could not be written; the old ones were put back' >&2; exit 1; "
        "fi\n");
}

}

QString readScript(const QString &path, qsizetype limit)
{
    return QStringList {
        pathVariable(path),
        QStringLiteral("if [ ! -e \"$f\" ]; then echo 'No such file' >&2; exit 1; fi"),
        QStringLiteral("if [ -d \"$f\" ]; then echo 'This is a folder, not a file' >&2; exit 1; "
                       "fi"),
        QStringLiteral("if [ ! -f \"$f\" ]; then "
                       "echo 'This is not a regular file (a pipe, a device or a socket)' >&2; "
                       "exit 1; fi"),
        QStringLiteral("if [ ! -r \"$f\" ]; then echo 'Permission denied' >&2; exit 1; fi"),
        QStringLiteral("st=$(stat -c '%Y %s' -- \"$f\" 2>/dev/null "
                       "|| stat -f '%m %z' -- \"$f\" 2>/dev/null)"),
        QStringLiteral("case $st in *' '*) m=${st% *}; s=${st#* } ;; "
                       "*) m=; s=$(wc -c < \"$f\" | tr -d ' ') || exit 1 ;; esac"),
        QStringLiteral("printf 'quillmar-file %s %s\\n' \"$m\" \"$s\""),
        QStringLiteral("[ \"$s\" -gt ") + QString::number(limit) + QStringLiteral(" ] && exit 0"),
        QStringLiteral("exec cat -- \"$f\""),
    }
        .join(QLatin1Char('\n'));
}

QString writeScript(const QString &path, std::optional<double> expectedTime, qsizetype size)
{
    QString script = pathVariable(path) + QStringLiteral("; n=") + QString::number(size)
        + QLatin1Char('\n') + helpers + QLatin1Char('\n');
    if (expectedTime)
        script += QStringLiteral("cur=$(mtime \"$f\")\nif [ -n \"$cur\" ] && [ \"$cur\" != \"")
            + QString::number(qint64(std::trunc(*expectedTime)))
            + QStringLiteral("\" ]; then echo quillmar-conflict; exit 3; fi\n");
    script += QStringLiteral(
        "if [ -e \"$f\" ] && [ ! -f \"$f\" ]; then "
        "echo 'This is not a regular file' >&2; exit 1; fi\n"
        "if [ -e \"$f\" ] && [ ! -w \"$f\" ]; then "
        "echo 'No permission to write this file' >&2; exit 4; fi\n"
        "d=${f%/*}; [ -n \"$d\" ] || d=/\n"
        "if [ -w \"$d\" ]; then\n");
    script += writableFolderSave() + QStringLiteral("elif [ -e \"$f\" ]; then\n") + inPlaceSave()
        + QStringLiteral("else echo 'No permission to create files in this folder' >&2; exit 4; "
                         "fi\n"
                         "printf 'quillmar-saved %s\\n' \"$(mtime \"$f\")\"");
    return script;
}

std::optional<ReadOutput> parseReadOutput(const QByteArray &output)
{
    const qsizetype newline = output.indexOf('\n');
    if (!output.startsWith(fileHeader) || newline < 0)
        return std::nullopt;
    const QList<QByteArray> fields
        = output.mid(fileHeader.size(), newline - fileHeader.size()).split(' ');
    bool sized = false;
    const qint64 size = fields.size() == 2 ? fields[1].toLongLong(&sized) : 0;
    if (!sized || size < 0)
        return std::nullopt;
    return ReadOutput { timeOf(QString::fromLatin1(fields[0])), size, output.mid(newline + 1) };
}

WriteReply parseWriteOutput(const QByteArray &output)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line == conflictWord)
            return { WriteReply::Kind::conflict, std::nullopt };
        if (line == savedWord || line.startsWith(savedWord + ' '))
            return { WriteReply::Kind::saved,
                timeOf(QString::fromLatin1(line.mid(savedWord.size()).trimmed())) };
    }
    return {};
}

QString withEndMarker(const QString &script)
{
    return QStringLiteral("{\n") + script + QStringLiteral("\n} && printf '\\n%s\\n' ")
        + QString::fromLatin1(endWord);
}

std::optional<QByteArray> markedOutput(int status, const QByteArray &output)
{
    const QByteArray ending = '\n' + endWord + '\n';
    if (status != 0 || !output.endsWith(ending))
        return std::nullopt;
    return output.left(output.size() - ending.size());
}

std::optional<QByteArray> confirmedOutput(const SSHResult &result)
{
    auto output = markedOutput(result.status, result.stdout);
    if (output && output->isEmpty() && !firstErrorLine(result.stderr).isEmpty())
        return std::nullopt;
    return output;
}


QByteArray endMarkerLine()
{
    return endWord;
}

QByteArray MarkedStream::take(QByteArrayView chunk)
{
    held.append(chunk);
    const qsizetype keep = endWord.size() + 2;
    if (held.size() <= keep)
        return {};
    QByteArray ready = held.left(held.size() - keep);
    held.remove(0, ready.size());
    passedOn = true;
    return ready;
}

bool MarkedStream::ended() const
{
    return held == '\n' + endWord + '\n';
}
