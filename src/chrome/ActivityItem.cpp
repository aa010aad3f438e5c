#include "ActivityItem.h"

#include "common/Shortcuts.h"

namespace
{

QString titled(const char *name, const char *keys)
{
    return QStringLiteral("%1 (%2)").arg(
        QLatin1String(name), shortcutText(QKeySequence(QLatin1String(keys))));
}

}

QList<ActivityItem> standardActivityItems()
{
    return {
        { QStringLiteral("explorer"), QStringLiteral("doc.on.doc"),
            titled("Explorer", "Ctrl+Meta+E") },
        { QStringLiteral("git"), QStringLiteral("arrow.triangle.branch"),
            titled("Git log", "Ctrl+Meta+G") },
        { QStringLiteral("search"), QStringLiteral("magnifyingglass"),
            titled("Search in files", "Ctrl+Shift+F") },
        { QStringLiteral("ssh"), QStringLiteral("server.rack"),
            titled("Remote over ssh", "Ctrl+Meta+R") },
    };
}
