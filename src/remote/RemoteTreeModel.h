#pragma once

#include "RemoteHostList.h"
#include "RemoteNode.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

class SSHClient;

// The Remote pane's tree as an item model: one top row per saved connection, its folders below
// it once it is connected, and below those whatever listing a folder over ssh found. Folders
// are listed when asked to, through the client of their machine; a listing that comes back
// after its rows, its machine's client or the model are gone is dropped.
class RemoteTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        IsHostRole,
        IsDirectoryRole,
        DetailRole, // the host's connection, or the error a folder shows
        ToneRole, // a host detail's RowTone
    };

    RemoteTreeModel(RemoteHostList *list, QObject *parent = nullptr);
    ~RemoteTreeModel() override;

    // Shows the list's items in its order. Items already shown keep their listed folders.
    void reload();
    // Shows the item's state again, and its roots as the machine resolved them last. Answers
    // whether the roots were made anew from a fresh resolution (the machine just connected).
    bool refresh(const HostItemPtr &item);
    // Shows a folder that became one of the host's folders as a root of its own.
    void addRoot(const HostItemPtr &item, const QString &path);
    // No longer shows a root whose folder the host dropped.
    void removeRoot(const QModelIndex &root);

    // Lists a folder on its machine, unless that is under way; the children are replaced when
    // the answer comes, and onListed reports the folder then.
    void list(const QModelIndex &folder);
    std::function<void(const QModelIndex &folder)> onListed;

    // The connection a row belongs to, and the node of a folder or file row (none for a host).
    HostItemPtr itemAt(const QModelIndex &index) const;
    RemoteNode *nodeAt(const QModelIndex &index) const;
    QModelIndex indexOf(const HostItemPtr &item) const;
    QModelIndex indexOf(const RemoteNode *node) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct HostRow;

    HostRow *rowOf(const RemoteNode *node) const;
    HostRow *rowOf(const HostItemPtr &item) const;
    RemoteNode::Children rootsFor(const HostRow &row) const;
    void replaceChildren(RemoteNode &node, RemoteNode::Children children);
    void finishListing(
        RemoteNode &node, const std::shared_ptr<SSHClient> &client, const SSHResult &result);
    QVariant hostData(const HostRow &row, int role) const;
    QVariant nodeData(const RemoteNode &node, int role) const;

    RemoteHostList *m_list;
    std::vector<std::unique_ptr<HostRow>> m_rows;
};
