#include "SearchCommand.h"

#include "SearchHit.h"
#include "common/NameLists.h"

#include <QProcessEnvironment>

#include <algorithm>
#include <clocale>
#if defined(Q_OS_MACOS)
#include <xlocale.h>
#endif

namespace
{

bool isUtf8Name(const QString &locale)
{
    return locale.contains(QLatin1String("UTF-8"), Qt::CaseInsensitive)
        || locale.contains(QLatin1String("utf8"), Qt::CaseInsensitive);
}

// Whether this machine's C library can load the locale (grep uses the same one).
bool localeExists(const QString &name)
{
    const QByteArray bytes = name.toLatin1();
    locale_t locale = ::newlocale(LC_CTYPE_MASK, bytes.constData(), locale_t(nullptr));
    if (!locale)
        return false;
    ::freelocale(locale);
    return true;
}

QString &grepProgramStore()
{
    static QString program = QStringLiteral("/usr/bin/grep");
    return program;
}

// One word for a POSIX shell: single quotes, each ' inside written '\''.
QString singleQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

}

namespace SearchCommand
{

QStringList optionFlags(const SearchQuery &query)
{
    QStringList flags;
    if (!query.caseSensitive)
        flags.append(QStringLiteral("-i"));
    flags.append(query.regex ? QStringLiteral("-E") : QStringLiteral("-F"));
    return flags;
}

QStringList excludedFolderNames()
{
    QStringList names = NameLists::heavyFolderNames();
    for (const QString &name : NameLists::hiddenNames())
        if (name != QLatin1String(".DS_Store")) // a file, never a folder
            names.append(name);
    std::sort(names.begin(), names.end());
    return names;
}

QStringList localArguments(const SearchQuery &query)
{
    QStringList arguments { QStringLiteral("-rnI") };
    if (localLocale() != QLatin1String("C"))
        arguments.append(QStringLiteral("-a"));
    for (const QString &name : excludedFolderNames())
        arguments.append(QStringLiteral("--exclude-dir=") + name);
    arguments += optionFlags(query);
    arguments += { QStringLiteral("-e"), query.text, QStringLiteral(".") };
    return arguments;
}

QString firstUtf8Locale(const QStringList &candidates)
{
    for (const QString &candidate : candidates)
        if (isUtf8Name(candidate) && localeExists(candidate))
            return candidate;
    return QStringLiteral("C");
}

QString localLocale()
{
    static const QString chosen = [] {
        // The neutral UTF-8 locale first, then the user's own, then a common one.
        const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        QStringList candidates { QStringLiteral("C.UTF-8"), QStringLiteral("C.utf8") };
        for (const char *name : { "LC_ALL", "LC_CTYPE", "LANG" })
            candidates.append(environment.value(QLatin1String(name)));
        candidates += { QStringLiteral("en_US.UTF-8"), QStringLiteral("en_US.utf8") };
        return firstUtf8Locale(candidates);
    }();
    return chosen;
}

QString grepProgram()
{
    return grepProgramStore();
}

void setGrepProgramForTesting(const QString &program)
{
    grepProgramStore() = program;
}

QString remoteCommandLine(const QString &quotedRoot, const SearchQuery &query)
{
    const QString flags = optionFlags(query).join(u' ');
    const QString text = singleQuoted(query.text);
    QStringList excludes;
    for (const QString &name : excludedFolderNames())
        excludes.append(QStringLiteral("--exclude-dir=") + singleQuoted(name));
    return QStringLiteral("cd ") + quotedRoot + QStringLiteral(" || exit 1; ")
        + QStringLiteral("{ if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then ")
        // The hooks and file-system monitor a repository names never run.
        + QStringLiteral("git -c core.hooksPath=/dev/null -c core.fsmonitor=false "
                         "-c core.quotepath=false grep -n -I --no-color --untracked "
                         "--exclude-standard ")
        + flags + QStringLiteral(" -e ") + text + QStringLiteral("; ")
        + QStringLiteral("else grep -rnI ") + excludes.join(u' ') + u' ' + flags
        + QStringLiteral(" -e ") + text + QStringLiteral(" .; fi; } 2>/dev/null | head -n ")
        + QString::number(searchHitLimit + 1);
}

}
