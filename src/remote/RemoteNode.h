#pragma once

#include "RemoteFolders.h"
#include "common/ListingOrder.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// One row below a machine in the Remote pane: one of the host's folders (a root) or an entry a
// listing found below one. A folder's children are absent until it has been listed.
struct RemoteNode {
    using Children = std::vector<std::shared_ptr<RemoteNode>>;

    QString path; // absolute on the machine; for a root it could not find, the folder as written
    QString name; // what the row shows
    bool isDirectory = false;
    QString folder; // for a root, the host's folder it shows, as written; empty below the roots
    std::optional<Children> children;
    bool loading = false;
    std::optional<QString> error; // shown instead of children
    RemoteNode *parent = nullptr;
    int row = 0; // position among the parent's children

    bool isRoot() const { return !folder.isEmpty(); }
    int childCount() const { return children ? int(children->size()) : 0; }
    RemoteNode *childAt(int index) const;
    // Takes the nodes as its children, in their order.
    void setChildren(Children nodes);

    // A root for a folder of the host as the machine resolved it: named by its absolute path,
    // or by the folder as written with "No such folder" when it was not found.
    static std::shared_ptr<RemoteNode> forRoot(const ResolvedFolder &resolved, QString folder);
    static std::shared_ptr<RemoteNode> forEntry(const DirectoryEntry &entry);
};
