#include "FileTreeModel.h"

#include "FileListing.h"

namespace
{

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

}

FileTreeModel::FileTreeModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

FileTreeModel::~FileTreeModel() = default;

void FileTreeModel::setRootPath(const QString &path)
{
    beginResetModel();
    m_root = path.isEmpty() ? nullptr : std::make_unique<FileNode>(path, true);
    m_canonicalRoot = canonicalPath(path);
    endResetModel();
}

QString FileTreeModel::rootPath() const
{
    return m_root ? m_root->path() : QString();
}

void FileTreeModel::reload()
{
    if (!m_root)
        return;
    beginResetModel();
    m_root->reload();
    endResetModel();
}

FileNode *FileTreeModel::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<FileNode *>(index.internalPointer()) : nullptr;
}

FileNode *FileTreeModel::nodeOrRoot(const QModelIndex &index) const
{
    return index.isValid() ? nodeAt(index) : m_root.get();
}

QModelIndex FileTreeModel::indexOf(const FileNode *node) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row(), 0, const_cast<FileNode *>(node));
}

QModelIndex FileTreeModel::find(const QString &path, bool loadFolders) const
{
    if (!m_root)
        return {};
    const QString prefix = withSlash(m_root->path());
    const QString named = inTree(path);
    if (!named.startsWith(prefix) || named.size() == prefix.size())
        return {};
    FileNode *node = m_root.get();
    for (const QString &name : named.mid(prefix.size()).split(u'/', Qt::SkipEmptyParts)) {
        if (!node->isDirectory() || (!node->isLoaded() && !loadFolders))
            return {};
        node = node->childNamed(name);
        if (!node)
            return {};
    }
    return indexOf(node);
}

QString FileTreeModel::inTree(const QString &path) const
{
    if (!m_root || path.startsWith(withSlash(m_root->path())))
        return path;
    const QString resolved = canonicalPath(path);
    const QString prefix = withSlash(m_canonicalRoot);
    if (!resolved.startsWith(prefix))
        return path;
    return withSlash(m_root->path()) + resolved.mid(prefix.size());
}

QModelIndex FileTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    FileNode *node = nodeOrRoot(parent);
    FileNode *child = node && column == 0 ? node->child(row) : nullptr;
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex FileTreeModel::parent(const QModelIndex &child) const
{
    const FileNode *node = nodeAt(child);
    return node ? indexOf(node->parent()) : QModelIndex();
}

int FileTreeModel::rowCount(const QModelIndex &parent) const
{
    // Asking is what reads a folder for the first time.
    FileNode *node = nodeOrRoot(parent);
    return node && parent.column() <= 0 ? node->childCount() : 0;
}

int FileTreeModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool FileTreeModel::hasChildren(const QModelIndex &parent) const
{
    // Every folder can be opened, read or not, empty or not.
    const FileNode *node = nodeOrRoot(parent);
    return node && node->isDirectory();
}

QVariant FileTreeModel::data(const QModelIndex &index, int role) const
{
    const FileNode *node = nodeAt(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return node->name();
    case PathRole:
        return node->path();
    case IsDirectoryRole:
        return node->isDirectory();
    default:
        return {};
    }
}

Qt::ItemFlags FileTreeModel::flags(const QModelIndex &index) const
{
    const FileNode *node = nodeAt(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!node->isDirectory())
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}
