#pragma once

#include "FileNode.h"

#include <QAbstractItemModel>

#include <memory>

// The Explorer's tree as an item model: the root folder's entries are the top rows, and a
// folder's children are read only when a view first asks how many it has.
class FileTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role { PathRole = Qt::UserRole + 1, IsDirectoryRole };

    explicit FileTreeModel(QObject *parent = nullptr);
    ~FileTreeModel() override;

    // Replaces the whole tree; an empty path leaves the model empty.
    void setRootPath(const QString &path);
    QString rootPath() const;
    FileNode *rootNode() const { return m_root.get(); }

    // Reads the loaded folders again, keeping the nodes of entries still present.
    void reload();

    FileNode *nodeAt(const QModelIndex &index) const;
    QModelIndex indexOf(const FileNode *node) const;
    // The row of the entry at path under the root, the path named either as the tree names it
    // or with links resolved. Folders on the way are read when needed only if loadFolders is
    // set; otherwise an unread folder ends the search.
    QModelIndex find(const QString &path, bool loadFolders) const;
    // path as the tree names it when it lies under the root reached through a link (the root
    // itself may be one); otherwise path unchanged.
    QString inTree(const QString &path) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    FileNode *nodeOrRoot(const QModelIndex &index) const;

    std::unique_ptr<FileNode> m_root;
    QString m_canonicalRoot;
};
