#include "RemoteNode.h"

RemoteNode *RemoteNode::childAt(int index) const
{
    if (!children || index < 0 || index >= int(children->size()))
        return nullptr;
    return (*children)[index].get();
}

void RemoteNode::setChildren(Children nodes)
{
    for (int i = 0; i < int(nodes.size()); ++i) {
        nodes[i]->parent = this;
        nodes[i]->row = i;
    }
    children = std::move(nodes);
}

std::shared_ptr<RemoteNode> RemoteNode::forRoot(const ResolvedFolder &resolved, QString folder)
{
    auto node = std::make_shared<RemoteNode>();
    node->path = resolved.path;
    node->name = resolved.path;
    node->isDirectory = true;
    node->folder = std::move(folder);
    if (!resolved.found)
        node->error = QStringLiteral("No such folder");
    return node;
}

std::shared_ptr<RemoteNode> RemoteNode::forEntry(const DirectoryEntry &entry)
{
    auto node = std::make_shared<RemoteNode>();
    node->path = entry.path;
    node->name = entry.path.mid(entry.path.lastIndexOf(QLatin1Char('/')) + 1);
    node->isDirectory = entry.isDirectory;
    return node;
}
