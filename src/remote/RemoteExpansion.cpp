#include "RemoteExpansion.h"

#include "common/Defaults.h"

#include <QStringList>
#include <QVariantMap>

#include <algorithm>

RemoteExpansion::RemoteExpansion()
{
    const QVariantMap stored = Defaults::dictionary(Defaults::RemoteExpanded);
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        const QStringList paths = it.value().toStringList();
        table.insert(it.key(), QSet<QString>(paths.begin(), paths.end()));
    }
}

bool RemoteExpansion::isExpanded(const QString &hostID, const QString &path) const
{
    const auto found = table.constFind(hostID);
    return found != table.constEnd() && found->contains(path);
}

void RemoteExpansion::setExpanded(const QString &hostID, const QString &path, bool expanded)
{
    QSet<QString> &paths = table[hostID];
    if (expanded)
        paths.insert(path);
    else
        paths.remove(path);
    save();
}

void RemoteExpansion::forget(const QString &hostID)
{
    if (table.remove(hostID))
        save();
}

void RemoteExpansion::carry(const QString &oldID, const QString &newID)
{
    if (oldID == newID || !table.contains(oldID))
        return;
    table.insert(newID, table.take(oldID));
    save();
}

void RemoteExpansion::save() const
{
    QVariantMap stored;
    for (auto it = table.constBegin(); it != table.constEnd(); ++it) {
        QStringList paths(it->begin(), it->end());
        // A fixed order keeps the stored value the same for the same set.
        std::sort(paths.begin(), paths.end());
        stored.insert(it.key(), paths);
    }
    Defaults::set(Defaults::RemoteExpanded, stored);
}
