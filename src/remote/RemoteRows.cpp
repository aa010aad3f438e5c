#include "RemoteRows.h"

#include "SSHFailure.h"

#include <algorithm>

HostRowText hostRowText(const HostItem &item)
{
    HostRowText text { item.host.name, item.host.destination, RowTone::secondary, {} };
    switch (item.state) {
    case HostItem::State::connected:
        if (item.alive == false) {
            text.detail = QStringLiteral("Not connected · reconnects when used");
        } else {
            text.detail = QStringLiteral("Connected · ") + item.host.destination;
            text.tone = RowTone::green;
        }
        break;
    case HostItem::State::connecting:
        text.detail = QStringLiteral("Connecting…");
        text.tone = RowTone::orange;
        break;
    case HostItem::State::failed:
        text.detail = shortFailureText(item.failure);
        text.tone = RowTone::red;
        text.toolTip = item.failure;
        break;
    case HostItem::State::idle:
        break;
    }
    return text;
}

QString nodeTitle(const RemoteNode &node)
{
    return node.loading ? node.name + QStringLiteral("  …") : node.name;
}

bool offersAddAsFolder(const HostItem &item, const RemoteNode &node)
{
    if (!node.isDirectory || node.error || node.isRoot() || item.host.folders.contains(node.path))
        return false;
    // A folder written as "~/code" is the same folder as its resolved path.
    return std::none_of(item.roots.begin(), item.roots.end(),
        [&node](const ResolvedFolder &root) { return root.found && root.path == node.path; });
}

bool offersRemoveFolder(const HostItem &item, const RemoteNode &node)
{
    return node.isRoot() && item.host.folders.size() >= 2
        && item.host.folders.contains(node.folder);
}
