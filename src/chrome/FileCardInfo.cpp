#include "FileCardInfo.h"

#include "common/TextCounts.h"

namespace
{

QString counted(qsizetype count, const QString &one, const QString &many, const QLocale &locale)
{
    return count == 1 ? one : locale.toString(qlonglong(count)) + many;
}

}

FileCardInfo fileCardInfo(
    const QString &name, const QString &path, QStringView text, bool dirty, const QLocale &locale)
{
    FileCardInfo info;
    info.name = name;
    info.path = path;
    if (text.size() <= lineCountLimit)
        info.lines = counted(
            countLineFeeds(text) + 1, QStringLiteral("1 line"), QStringLiteral(" lines"), locale);
    info.characters = counted(
        text.size(), QStringLiteral("1 character"), QStringLiteral(" characters"), locale);
    if (dirty)
        info.commit = QStringLiteral("Unsaved changes");
    return info;
}
