#include "GitRun.h"

#include "GitLogging.h"
#include "GitText.h"

#include "remote/SSHArguments.h"

#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <mutex>

Q_LOGGING_CATEGORY(lcGit, "quillmar.git", QtWarningMsg)

namespace
{

using Clock = std::chrono::steady_clock;

constexpr auto retryAfterFailure = std::chrono::seconds(3);

// The process-wide availability cache and the program it speaks of.
struct Availability {
    std::mutex mutex;
    QString program = QStringLiteral("/usr/bin/git");
    bool found = false;
    std::optional<Clock::time_point> lastFailure;
};

Availability &availability()
{
    static Availability cache;
    return cache;
}

bool probe(const QString &program)
{
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable();
}

// One word for a POSIX shell: single quotes, an embedded quote written as '\''. Unlike a path,
// an argument starting with "~" is quoted too.
QString singleQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}

QString gitProgram()
{
    Availability &cache = availability();
    std::lock_guard lock(cache.mutex);
    return cache.program;
}

void setGitProgramForTests(const QString &program)
{
    Availability &cache = availability();
    std::lock_guard lock(cache.mutex);
    cache.program = program;
    cache.found = false;
    cache.lastFailure.reset();
}

bool gitAvailable()
{
    Availability &cache = availability();
    // Held through the probe, so concurrent callers wait for one probe instead of starting
    // several.
    std::lock_guard lock(cache.mutex);
    if (cache.found)
        return true;
    const auto now = Clock::now();
    if (cache.lastFailure && now - *cache.lastFailure < retryAfterFailure)
        return false;
    cache.found = probe(cache.program);
    if (cache.found)
        cache.lastFailure.reset();
    else
        cache.lastFailure = now;
    return cache.found;
}

ChildProcess::Program gitProcess(const QStringList &arguments, const QString &folder)
{
    QStringList all { QStringLiteral("-c"), QStringLiteral("core.hooksPath=/dev/null"),
        QStringLiteral("-c"), QStringLiteral("core.fsmonitor=false") };
    all += arguments;
    // Only the repository's own configuration applies; nothing prompts or takes optional locks.
    const QStringList environment { QStringLiteral("PATH=/usr/bin:/bin:/usr/sbin:/sbin"),
        QStringLiteral("HOME=") + QDir::homePath(), QStringLiteral("LANG=en_US.UTF-8"),
        QStringLiteral("GIT_TERMINAL_PROMPT=0"), QStringLiteral("GIT_OPTIONAL_LOCKS=0"),
        QStringLiteral("GIT_CONFIG_NOSYSTEM=1"), QStringLiteral("GIT_CONFIG_GLOBAL=/dev/null") };
    return { gitProgram(), all, folder, environment };
}

std::optional<QByteArray> runGit(
    const QStringList &arguments, const QString &folder, const std::optional<QByteArray> &input)
{
    if (!gitAvailable())
        return std::nullopt;
    const auto result
        = ChildProcess::run(gitProcess(arguments, folder), input, ChildProcess::Errors::discard);
    if (!result.started)
        qCDebug(lcGit) << "git did not start:" << qt_error_string(result.startError);
    if (result.status != 0)
        return std::nullopt;
    return result.output;
}

std::optional<QString> repositoryRoot(const QString &folder)
{
    const auto output
        = runGit({ QStringLiteral("rev-parse"), QStringLiteral("--show-toplevel") }, folder);
    const auto text = output ? decodeUtf8(*output) : std::nullopt;
    const QString path = text ? text->trimmed() : QString();
    if (path.isEmpty())
        return std::nullopt;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

std::optional<QString> repositoryRootOfFile(const QString &filePath)
{
    return repositoryRoot(QFileInfo(filePath).absolutePath());
}

QString remoteGitCommand(const QStringList &arguments, const QString &directory)
{
    QStringList words;
    words.reserve(arguments.size());
    for (const QString &argument : arguments)
        words.append(singleQuoted(argument));
    return QLatin1String("cd ") + remoteQuote(directory)
        + QLatin1String(" && GIT_OPTIONAL_LOCKS=0 GIT_TERMINAL_PROMPT=0 git --no-pager ")
        + words.join(QLatin1Char(' '));
}
