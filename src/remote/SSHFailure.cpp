#include "SSHFailure.h"

#include <QStringList>

#include <array>

namespace
{

// The pattern that tells each reachability failure, and the row text it gets.
struct Pattern {
    QLatin1String pattern;
    QLatin1String message;
};

constexpr std::array<QLatin1String, 5> unreachablePatterns {
    QLatin1String("Could not resolve hostname"),
    QLatin1String("Connection refused"),
    QLatin1String("timed out"),
    QLatin1String("No route to host"),
    QLatin1String("Network is unreachable"),
};

// What ssh says when a link that was up stops answering or drops: the keep-alives gave up,
// or the shared master connection went away under a run. Its own words mean nothing to a user.
constexpr std::array<QLatin1String, 6> lostPatterns {
    QLatin1String("not responding"),
    QLatin1String("Broken pipe"),
    QLatin1String("read from master failed"),
    QLatin1String("closed by remote host"),
    QLatin1String("Connection reset"),
    QLatin1String("Connection closed"),
};

constexpr QLatin1String lostText("The machine stopped answering");

constexpr std::array<Pattern, 8> shortTexts { {
    { QLatin1String("Could not resolve hostname"), QLatin1String("Could not resolve hostname") },
    { QLatin1String("Connection refused"), QLatin1String("Connection refused") },
    { QLatin1String("Permission denied"), QLatin1String("Permission denied") },
    { QLatin1String("timed out"), QLatin1String("Timed out") },
    { QLatin1String("No route to host"), QLatin1String("No route to host") },
    { QLatin1String("Network is unreachable"), QLatin1String("Network is unreachable") },
    { QLatin1String("Host key verification failed"),
        QLatin1String("Host key verification failed") },
    { lostText, QLatin1String("Stopped answering") },
} };

// The first error line, else the whole text trimmed.
QString detailOf(const QString &errors)
{
    const QString line = firstErrorLine(errors);
    return line.isEmpty() ? errors.trimmed() : line;
}

}

QString SSHFailure::text() const
{
    switch (kind) {
    case Kind::hostKeyChanged:
        return QStringLiteral(
            "The machine's key has changed. This could be an attack; nothing was sent.");
    case Kind::unknownHostKey:
        return QStringLiteral("This machine hasn't been seen before");
    default:
        return detail;
    }
}

std::optional<SSHFailure> classifyFailure(const SSHResult &result)
{
    if (result.status != 255)
        return std::nullopt;
    const QString &errors = result.stderr;
    using Kind = SSHFailure::Kind;
    if (errors.contains(QLatin1String("REMOTE HOST IDENTIFICATION HAS CHANGED")))
        return SSHFailure { Kind::hostKeyChanged, {} };
    if (errors.contains(QLatin1String("Host key verification failed")))
        return SSHFailure { Kind::unknownHostKey, {} };
    const QString detail = detailOf(errors);
    if (errors.contains(QLatin1String("Permission denied")))
        return SSHFailure { Kind::authentication, detail };
    // A dropped link wins over what ssh said when it then tried a connection of its own.
    for (const QLatin1String pattern : lostPatterns)
        if (errors.contains(pattern))
            return SSHFailure { Kind::unreachable, lostText };
    for (const QLatin1String pattern : unreachablePatterns)
        if (errors.contains(pattern))
            return SSHFailure { Kind::unreachable, detail };
    return SSHFailure { Kind::other, detail.isEmpty() ? QStringLiteral("ssh failed") : detail };
}

QString shortFailureText(const QString &text)
{
    QString line = text.trimmed();
    if (line.startsWith(QLatin1String("ssh: ")))
        line.remove(0, 5);
    for (const Pattern &row : shortTexts)
        if (line.contains(row.pattern))
            return row.message;
    return line.isEmpty() ? QStringLiteral("Couldn't connect") : line;
}

QString failureReason(const SSHResult &result)
{
    const QString line = firstErrorLine(result.stderr);
    return line.isEmpty() ? QStringLiteral("status ") + QString::number(result.status) : line;
}

QString firstErrorLine(const QString &errors)
{
    for (const QString &piece : errors.split(QLatin1Char('\n'))) {
        const QString line = piece.trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1String("Warning:")))
            return line;
    }
    return {};
}
