#include "RemoteIndex.h"

#include "Ranking.h"
#include "common/NameLists.h"
#include "remote/RemoteScripts.h"

#include <QStringList>

#include <algorithm>

namespace
{

// Longer queries would only make the machine's grep slower, not its answer better.
constexpr qsizetype longestPattern = 64;

// One word for a POSIX shell: single quotes, each ' inside written '\''.
QString singleQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

// The files below the root, one a record: git's list inside a work tree, else find's. The
// find arguments end in how each file is printed.
QString fileListing(const QString &quotedRoot, const QString &gitOptions, const QString &findArguments)
{
    return QStringLiteral("cd -- ") + quotedRoot
        + QStringLiteral(" || exit 1\nif git rev-parse --is-inside-work-tree >/dev/null 2>&1; "
                         "then git -c core.quotepath=false ls-files ")
        + gitOptions + QStringLiteral(" -co --exclude-standard; else find . ") + findArguments
        + QStringLiteral("; fi");
}

QString prunedNames()
{
    QStringList names = NameLists::hiddenNames() + NameLists::heavyFolderNames();
    std::sort(names.begin(), names.end());
    QStringList tests;
    for (const QString &name : names)
        tests.append(QStringLiteral("-name ") + singleQuoted(name));
    return tests.join(QStringLiteral(" -o "));
}

}

QString remoteIndexScript(const QString &quotedRoot, qsizetype limit)
{
    const QString find = QStringLiteral("\\( ") + prunedNames()
        + QStringLiteral(" \\) -prune -o -type f -exec printf '%s\\000' {} +");
    // NUL and line feed swap places around head, so that it counts names, not lines.
    return withEndMarker(fileListing(quotedRoot, QStringLiteral("-z"), find)
        + QStringLiteral(" | tr '\\000\\n' '\\n\\000' | head -n ") + QString::number(limit + 1)
        + QStringLiteral(" | tr '\\000\\n' '\\n\\000'"));
}

RemoteFileList parseRemoteFileList(
    const QByteArray &output, const QString &root, qsizetype limit, char separator)
{
    QStringList paths;
    for (const QByteArray &record : output.split(separator)) {
        const QString line = QString::fromUtf8(record);
        const QString path = line.startsWith(QStringLiteral("./")) ? line.mid(2) : line;
        if (!path.isEmpty())
            paths.append(path);
    }
    RemoteFileList list;
    list.truncated = paths.size() > limit;
    if (list.truncated)
        paths.resize(limit);
    std::sort(paths.begin(), paths.end());
    QString base = root;
    while (base.endsWith(u'/'))
        base.chop(1);
    list.files.reserve(paths.size());
    for (QString &path : paths) {
        QString url = base + u'/' + path;
        list.files.append(IndexedFile::make(std::move(url), std::move(path)));
    }
    return list;
}

QString serverSearchPattern(QStringView query)
{
    static const QString special = QStringLiteral("\\.^$|?*+()[]{}");
    QStringList characters;
    for (const QChar c : normalizedQuery(query).left(longestPattern))
        characters.append(special.contains(c) ? QString(u'\\') + c : QString(c));
    return characters.join(QStringLiteral(".*"));
}

QString serverSearchCommand(const QString &quotedRoot, const QString &pattern)
{
    const QString find = QStringLiteral(
        "-type f ! -path '*/.git/*' ! -path '*/node_modules/*' -exec printf '%s\\000' {} +");
    // grep and head work on lines: names travel one a line, a line feed inside a name as \001,
    // and come back ended by NUL with their line feeds.
    return withEndMarker(fileListing(quotedRoot, QStringLiteral("-z"), find)
        + QStringLiteral(" | tr '\\000\\n' '\\n\\001' | grep -i -E ") + singleQuoted(pattern)
        + QStringLiteral(" | head -n ") + QString::number(serverSearchLimit)
        + QStringLiteral(" | tr '\\n\\001' '\\000\\n'"));
}
