#pragma once

#include <QString>

#include <memory>
#include <vector>

// One entry of the Explorer's tree. A folder reads its children from disk the first time they
// are asked for and keeps them until a reload.
class FileNode
{
public:
    FileNode(QString path, bool isDirectory, FileNode *parent = nullptr);

    const QString &path() const { return m_path; }
    const QString &name() const { return m_name; }
    bool isDirectory() const { return m_isDirectory; }
    FileNode *parent() const { return m_parent; }
    // Position among the parent's children.
    int row() const { return m_row; }

    // True once the children have been read; files never read any.
    bool isLoaded() const { return m_loaded; }
    int childCount();
    FileNode *child(int row);
    FileNode *childNamed(const QString &name);

    // Reads the loaded folders again, in this node and below. Entries still present keep their
    // node, and with it the children it had loaded; new entries get fresh, unloaded nodes.
    void reload();

private:
    void ensureLoaded();

    QString m_path;
    QString m_name;
    bool m_isDirectory;
    FileNode *m_parent;
    int m_row = 0;
    bool m_loaded = false;
    std::vector<std::unique_ptr<FileNode>> m_children;
};
