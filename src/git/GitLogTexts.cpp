#include "GitLogTexts.h"

#include "common/RelativeTime.h"

namespace
{

constexpr qsizetype shortShaLength = 7;

const QString &separator()
{
    static const QString dot = QStringLiteral(" · ");
    return dot;
}

}

namespace GitLogTexts
{

QString noWorkspace()
{
    return QStringLiteral("Open a folder to see its git log.");
}

QString gitMissing()
{
    return QStringLiteral("Git isn't installed. Install the git package to read a log.");
}

QString notRepository(const QString &placeName)
{
    return placeName + QStringLiteral(" isn't in a git repository.");
}

QString noCommits()
{
    return QStringLiteral("No commits yet.");
}

QString loadMore()
{
    return QStringLiteral("Load more…");
}

QString refreshToolTip()
{
    return QStringLiteral("Read the log again");
}

QString branchText(const std::optional<QString> &branch)
{
    if (!branch)
        return QStringLiteral("no commits");
    if (*branch == QLatin1String("HEAD"))
        return QStringLiteral("HEAD (detached)");
    return *branch;
}

QString header(const std::optional<QString> &branch, const GitSource &root)
{
    return QStringLiteral("\u2442 ") + branchText(branch) + separator() + root.displayName();
}

QString headerToolTip(const GitSource &root)
{
    return root.isLocal() ? root.folder() : root.displayName();
}

QString commitDetail(const Commit &commit, const QDateTime &now)
{
    return commit.author + separator() + shortRelativeTime(commit.date, now) + separator()
        + commit.sha.left(shortShaLength);
}

}
