#include "FileNode.h"

#include "FileListing.h"

#include <unordered_map>

#include <utility>

FileNode::FileNode(QString path, bool isDirectory, FileNode *parent)
    : m_path(std::move(path))
    , m_isDirectory(isDirectory)
    , m_parent(parent)
{
    const qsizetype slash = m_path.lastIndexOf(u'/');
    m_name = slash < 0 || slash == m_path.size() - 1 ? m_path : m_path.mid(slash + 1);
}

int FileNode::childCount()
{
    ensureLoaded();
    return int(m_children.size());
}

FileNode *FileNode::child(int row)
{
    ensureLoaded();
    return row >= 0 && row < int(m_children.size()) ? m_children[size_t(row)].get() : nullptr;
}

FileNode *FileNode::childNamed(const QString &name)
{
    ensureLoaded();
    for (const auto &node : m_children)
        if (node->name() == name)
            return node.get();
    return nullptr;
}

void FileNode::ensureLoaded()
{
    if (m_loaded || !m_isDirectory)
        return;
    m_loaded = true;
    for (const DirectoryEntry &entry : listChildren(m_path, true)) {
        m_children.push_back(std::make_unique<FileNode>(entry.path, entry.isDirectory, this));
        m_children.back()->m_row = int(m_children.size()) - 1;
    }
}

void FileNode::reload()
{
    if (!m_loaded)
        return;
    std::unordered_map<QString, std::unique_ptr<FileNode>> previous;
    for (auto &node : m_children)
        previous.emplace(node->path(), std::move(node));
    m_children.clear();

    for (const DirectoryEntry &entry : listChildren(m_path, true)) {
        auto kept = previous.find(entry.path);
        // A file that became a folder (or the reverse) is a new entry.
        if (kept != previous.end() && kept->second->isDirectory() == entry.isDirectory) {
            m_children.push_back(std::move(kept->second));
            m_children.back()->reload();
        } else {
            m_children.push_back(std::make_unique<FileNode>(entry.path, entry.isDirectory, this));
        }
        m_children.back()->m_row = int(m_children.size()) - 1;
    }
}
