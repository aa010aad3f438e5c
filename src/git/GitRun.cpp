#include "GitRun.h"

#include "GitLogging.h"
#include "GitText.h"

#include "remote/SSHArguments.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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

// More than any real configuration lists; a run past it is refused.
constexpr qsizetype configListLimit = 4 * 1024 * 1024;

const QStringList fixedOverrides { QStringLiteral("-c"), QStringLiteral("core.hooksPath=/dev/null"),
    QStringLiteral("-c"), QStringLiteral("core.fsmonitor=false") };

// The key names the configuration of the program's folder sets, as git lists them.
std::optional<QStringList> configuredKeys(const ChildProcess::Program &git)
{
    ChildProcess::Program list = git;
    list.arguments = fixedOverrides
        + QStringList { QStringLiteral("config"), QStringLiteral("--list"), QStringLiteral("-z"),
              QStringLiteral("--name-only") };
    const auto result
        = ChildProcess::run(list, std::nullopt, ChildProcess::Errors::discard, configListLimit);
    if (result.status != 0 || result.cutOff)
        return std::nullopt;
    QStringList keys;
    for (const QByteArray &key : result.output.split('\0'))
        if (!key.isEmpty())
            keys.append(QString::fromUtf8(key));
    return keys;
}

// The shell loop of a remote run that turns each listed key into "-c key=" in "$@".
QString remoteOverrideLoop()
{
    return QLatin1String("keys=$(git config --list --name-only </dev/null 2>/dev/null) || exit 1; "
                         "set -f; IFS=$(printf '\\nx'); IFS=${IFS%x}; set --; "
                         "for k in $keys; do case $k in ")
        + repositoryProgramKeys().join(QLatin1Char('|'))
        + QLatin1String(") case $k in *=*) exit 1;; esac; set -- \"$@\" -c \"$k=\";; "
                        "esac; done; ");
}

}

const QStringList &repositoryProgramKeys()
{
    static const QStringList keys { QStringLiteral("filter.*.clean"),
        QStringLiteral("filter.*.smudge"), QStringLiteral("filter.*.process"),
        QStringLiteral("filter.*.required"), QStringLiteral("diff.*.textconv"),
        QStringLiteral("diff.*.command") };
    return keys;
}

bool isRepositoryProgramKey(const QString &key)
{
    static const QRegularExpression pattern = [] {
        QStringList alternatives;
        // "*" matches anything, "/" and "." included, as in a shell's case.
        for (const QString &glob : repositoryProgramKeys())
            alternatives.append(QRegularExpression::escape(glob).replace(
                QLatin1String("\\*"), QLatin1String(".*")));
        return QRegularExpression(QLatin1String("\\A(?:") + alternatives.join(QLatin1Char('|'))
            + QLatin1String(")\\z"), QRegularExpression::DotMatchesEverythingOption);
    }();
    return pattern.match(key).hasMatch();
}

std::optional<ChildProcess::Program> withoutRepositoryPrograms(ChildProcess::Program git)
{
    const auto keys = configuredKeys(git);
    if (!keys)
        return std::nullopt;
    // Passed through the environment rather than "-c", which cannot carry a key with "=" in
    // its subsection.
    QStringList overridden;
    for (const QString &key : *keys)
        if (isRepositoryProgramKey(key) && !overridden.contains(key))
            overridden.append(key);
    QStringList environment = git.environment.value_or(QStringList());
    for (qsizetype i = 0; i < overridden.size(); ++i) {
        environment.append(QStringLiteral("GIT_CONFIG_KEY_%1=%2").arg(i).arg(overridden[i]));
        environment.append(QStringLiteral("GIT_CONFIG_VALUE_%1=").arg(i));
    }
    environment.append(QStringLiteral("GIT_CONFIG_COUNT=%1").arg(overridden.size()));
    git.environment = environment;
    return git;
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
    const QStringList all = fixedOverrides + arguments;
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
    const auto git = withoutRepositoryPrograms(gitProcess(arguments, folder));
    if (!git)
        return std::nullopt;
    const auto result = ChildProcess::run(*git, input, ChildProcess::Errors::discard);
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
    return QLatin1String("cd ") + remoteQuote(directory) + QLatin1String(" && ")
        + remoteOverrideLoop()
        + QLatin1String("GIT_OPTIONAL_LOCKS=0 GIT_TERMINAL_PROMPT=0 git --no-pager ")
        + fixedOverrides.join(QLatin1Char(' ')) + QLatin1String(" \"$@\" ")
        + words.join(QLatin1Char(' '));
}
