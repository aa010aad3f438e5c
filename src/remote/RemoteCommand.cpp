#include "RemoteCommand.h"

#include "SSHArguments.h"

#include <QUuid>

namespace
{

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

// The one place that hands a script to /bin/sh past whatever login shell reads the line first.
QString underSh(const QString &script)
{
    return QStringLiteral("exec /bin/sh -c ") + quoted(script);
}

QString leaderFile(const QString &tag)
{
    return QStringLiteral("f=/tmp/quillmar-run-") + tag;
}

}

QString remoteRunLine(const QString &folder, const QString &line, const QString &tag)
{
    const QString shell = QStringLiteral("\"${SHELL:-/bin/sh}\" -c ") + quoted(line);
    return underSh(QStringLiteral("cd ") + remoteQuote(folder) + QStringLiteral(" || exit 1; ")
        + leaderFile(tag)
        + QStringLiteral("; if command -v setsid >/dev/null 2>&1; then setsid ") + shell
        + QStringLiteral(" & else ") + shell
        + QStringLiteral(" & fi; echo $! > \"$f\"; wait $!; s=$?; rm -f \"$f\"; exit $s"));
}

QString remoteStopLine(const QString &tag)
{
    // The leader's file may lag a stop pressed at once; give it three seconds.
    return underSh(leaderFile(tag)
        + QStringLiteral("; for i in 1 2 3; do [ -s \"$f\" ] && break; sleep 1; done; "
                         "p=$(cat \"$f\" 2>/dev/null); [ -n \"$p\" ] || exit 0; "
                         "below() { for c in $(ps -A -o pid= -o ppid= | awk -v p=\"$1\" "
                         "'$2 == p { print $1 }'); do echo \"$c\"; below \"$c\"; done; }; "
                         "t=$(below \"$p\"); kill -s TERM -- -\"$p\" 2>/dev/null; "
                         "kill -s TERM $t \"$p\" 2>/dev/null; exit 0"));
}

QString newRunTag()
{
    return QUuid::createUuid().toString(QUuid::Id128);
}
