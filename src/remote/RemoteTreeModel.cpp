#include "RemoteTreeModel.h"

#include "RemoteListing.h"
#include "RemoteRows.h"
#include "SSHClient.h"
#include "SSHRun.h"

#include <QPointer>

#include <algorithm>

// A machine's row: its node holds the roots as children and is the only node without a parent.
struct RemoteTreeModel::HostRow {
    HostItemPtr item;
    std::shared_ptr<SSHClient> client; // the client the shown folders were listed through
    QList<ResolvedFolder> resolved; // what the shown roots were made from
    RemoteNode machine;
};

namespace
{

std::shared_ptr<RemoteNode> sharedNode(const RemoteNode &node)
{
    return node.parent ? (*node.parent->children)[node.row] : nullptr;
}

}

RemoteTreeModel::RemoteTreeModel(RemoteHostList *list, QObject *parent)
    : QAbstractItemModel(parent)
    , m_list(list)
{
    reload();
}

RemoteTreeModel::~RemoteTreeModel() = default;

void RemoteTreeModel::reload()
{
    beginResetModel();
    std::vector<std::unique_ptr<HostRow>> rows;
    for (const HostItemPtr &item : m_list->items()) {
        const auto kept = std::find_if(m_rows.begin(), m_rows.end(),
            [&item](const std::unique_ptr<HostRow> &row) { return row && row->item == item; });
        rows.push_back(kept != m_rows.end() ? std::move(*kept) : std::make_unique<HostRow>());
        HostRow &row = *rows.back();
        row.item = item;
        row.machine.isDirectory = true;
        row.machine.row = int(rows.size()) - 1;
        if (row.client != item->client || row.resolved != item->roots || !row.machine.children) {
            row.machine.setChildren(rootsFor(row));
            row.client = item->client;
            row.resolved = item->roots;
        }
    }
    m_rows = std::move(rows);
    endResetModel();
}

bool RemoteTreeModel::refresh(const HostItemPtr &item)
{
    HostRow *row = rowOf(item);
    if (!row)
        return false;
    const bool fresh = row->client != item->client || row->resolved != item->roots;
    if (fresh) {
        replaceChildren(row->machine, rootsFor(*row));
        row->client = item->client;
        row->resolved = item->roots;
    }
    const QModelIndex host = indexOf(&row->machine);
    emit dataChanged(host, host);
    return fresh && !item->roots.isEmpty();
}

RemoteNode::Children RemoteTreeModel::rootsFor(const HostRow &row) const
{
    const QList<ResolvedFolder> &resolved = row.item->roots;
    const QStringList &folders = row.item->host.folders;
    // Folders that are still there keep what they listed, unless another client listed it.
    const bool sameClient = row.client == row.item->client && row.machine.children;
    RemoteNode::Children roots;
    for (int i = 0; i < int(resolved.size()); ++i) {
        // The resolution answers the host's folders one by one.
        const QString folder = resolved.size() == folders.size() ? folders[i] : resolved[i].path;
        std::shared_ptr<RemoteNode> kept;
        if (sameClient && resolved[i].found)
            for (const auto &old : *row.machine.children)
                if (old->path == resolved[i].path && !old->error)
                    kept = old;
        roots.push_back(kept ? kept : RemoteNode::forRoot(resolved[i], folder));
        roots.back()->folder = folder;
    }
    return roots;
}

void RemoteTreeModel::addRoot(const HostItemPtr &item, const QString &path)
{
    HostRow *row = rowOf(item);
    if (!row)
        return;
    // Only the new row is inserted, so the rows that are open stay open.
    RemoteNode::Children roots = *row->machine.children;
    const int position = int(roots.size());
    roots.push_back(RemoteNode::forRoot({ path, true }, path));
    beginInsertRows(indexOf(&row->machine), position, position);
    row->machine.setChildren(std::move(roots));
    endInsertRows();
    row->resolved = row->item->roots;
}

void RemoteTreeModel::removeRoot(const QModelIndex &root)
{
    const RemoteNode *node = nodeAt(root);
    if (!node || !node->isRoot())
        return;
    RemoteNode &machine = *node->parent;
    const int position = node->row;
    RemoteNode::Children roots = *machine.children;
    roots.erase(roots.begin() + position);
    beginRemoveRows(indexOf(&machine), position, position);
    machine.setChildren(std::move(roots));
    endRemoveRows();
    if (HostRow *row = rowOf(&machine))
        row->resolved = row->item->roots;
}

void RemoteTreeModel::replaceChildren(RemoteNode &node, RemoteNode::Children children)
{
    const QModelIndex parent = indexOf(&node);
    if (node.childCount() > 0) {
        beginRemoveRows(parent, 0, node.childCount() - 1);
        node.children.reset();
        endRemoveRows();
    }
    const int count = int(children.size());
    if (count > 0)
        beginInsertRows(parent, 0, count - 1);
    node.setChildren(std::move(children));
    if (count > 0)
        endInsertRows();
}

void RemoteTreeModel::list(const QModelIndex &folder)
{
    RemoteNode *node = nodeAt(folder);
    HostRow *row = node ? rowOf(node) : nullptr;
    if (!row || !node->isDirectory || node->loading)
        return;
    node->loading = true;
    emit dataChanged(folder, folder);
    QPointer<RemoteTreeModel> self(this);
    std::weak_ptr<RemoteNode> weakNode = sharedNode(*node);
    const std::shared_ptr<SSHClient> client = row->client;
    client->run(listingCommand(node->path), std::nullopt, commandOutputLimit,
        [self, weakNode, client](const SSHResult &result) {
            // A closed pane, a row that went and a machine edited since all drop the answer.
            const std::shared_ptr<RemoteNode> strong = weakNode.lock();
            if (self && strong)
                self->finishListing(*strong, client, result);
        });
}

void RemoteTreeModel::finishListing(
    RemoteNode &node, const std::shared_ptr<SSHClient> &client, const SSHResult &result)
{
    const HostRow *row = rowOf(&node);
    if (!row || row->client != client || row->item->client != client)
        return;
    node.loading = false;
    RemoteNode::Children children;
    if (result.status == 0) {
        node.error.reset();
        for (const DirectoryEntry &entry : parseListing(result.stdout, node.path))
            children.push_back(RemoteNode::forEntry(entry));
    } else {
        node.error = listingError(result);
    }
    replaceChildren(node, std::move(children));
    const QModelIndex folder = indexOf(&node);
    emit dataChanged(folder, folder);
    if (onListed)
        onListed(folder);
    if (result.status == 0)
        m_list->markAnswered(hostID(row->item->host));
}

HostItemPtr RemoteTreeModel::itemAt(const QModelIndex &index) const
{
    const RemoteNode *node = static_cast<const RemoteNode *>(index.internalPointer());
    const HostRow *row = index.isValid() ? rowOf(node) : nullptr;
    return row ? row->item : nullptr;
}

RemoteNode *RemoteTreeModel::nodeAt(const QModelIndex &index) const
{
    auto *node = index.isValid() ? static_cast<RemoteNode *>(index.internalPointer()) : nullptr;
    return node && node->parent ? node : nullptr;
}

QModelIndex RemoteTreeModel::indexOf(const HostItemPtr &item) const
{
    const HostRow *row = rowOf(item);
    return row ? indexOf(&row->machine) : QModelIndex();
}

QModelIndex RemoteTreeModel::indexOf(const RemoteNode *node) const
{
    return node ? createIndex(node->row, 0, const_cast<RemoteNode *>(node)) : QModelIndex();
}

RemoteTreeModel::HostRow *RemoteTreeModel::rowOf(const RemoteNode *node) const
{
    while (node && node->parent)
        node = node->parent;
    if (!node || node->row < 0 || node->row >= int(m_rows.size()))
        return nullptr;
    HostRow *row = m_rows[node->row].get();
    return &row->machine == node ? row : nullptr;
}

RemoteTreeModel::HostRow *RemoteTreeModel::rowOf(const HostItemPtr &item) const
{
    for (const auto &row : m_rows)
        if (row->item == item)
            return row.get();
    return nullptr;
}

QModelIndex RemoteTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0)
        return {};
    if (!parent.isValid())
        return row >= 0 && row < int(m_rows.size()) ? indexOf(&m_rows[row]->machine)
                                                    : QModelIndex();
    const auto *node = static_cast<const RemoteNode *>(parent.internalPointer());
    return indexOf(node->childAt(row));
}

QModelIndex RemoteTreeModel::parent(const QModelIndex &child) const
{
    const auto *node
        = child.isValid() ? static_cast<const RemoteNode *>(child.internalPointer()) : nullptr;
    return node ? indexOf(node->parent) : QModelIndex();
}

int RemoteTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_rows.size());
    if (parent.column() > 0)
        return 0;
    return static_cast<const RemoteNode *>(parent.internalPointer())->childCount();
}

int RemoteTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool RemoteTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return !m_rows.empty();
    const RemoteNode *node = nodeAt(parent);
    if (!node)
        return rowCount(parent) > 0; // a machine opens once it shows folders
    // A folder can be opened until its listing failed; Refresh tries again.
    return node->isDirectory && !node->error;
}

QVariant RemoteTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (const RemoteNode *node = nodeAt(index))
        return nodeData(*node, role);
    const HostRow *row = rowOf(static_cast<const RemoteNode *>(index.internalPointer()));
    return row ? hostData(*row, role) : QVariant();
}

QVariant RemoteTreeModel::hostData(const HostRow &row, int role) const
{
    const HostRowText text = hostRowText(*row.item);
    switch (role) {
    case Qt::DisplayRole:
        return text.title;
    case DetailRole:
        return text.detail;
    case ToneRole:
        return int(text.tone);
    case Qt::ToolTipRole:
        return text.toolTip.isEmpty() ? QVariant() : text.toolTip;
    case IsHostRole:
        return true;
    default:
        return {};
    }
}

QVariant RemoteTreeModel::nodeData(const RemoteNode &node, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        return nodeTitle(node);
    case DetailRole:
        return node.error.value_or(QString());
    case Qt::ToolTipRole:
        return node.error.value_or(node.path);
    case PathRole:
        return node.path;
    case IsHostRole:
        return false;
    case IsDirectoryRole:
        return node.isDirectory;
    default:
        return {};
    }
}

Qt::ItemFlags RemoteTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const RemoteNode *node = nodeAt(index);
    if (node && !node->isDirectory)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
