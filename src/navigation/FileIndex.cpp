#include "FileIndex.h"

#include "FileListing.h"
#include "common/NameLists.h"
#include "common/MainThread.h"

#include <QPointer>
#include <QThreadPool>

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <deque>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace
{

struct PendingFolder {
    QString path;
    QString relative; // empty for the root
};

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The folders already walked, by device and inode, so that links to folders are followed
// without walking any folder twice (a link to an ancestor would loop).
class VisitedFolders
{
public:
    // True the first time a folder is seen; an unreadable folder is never walked.
    bool firstVisit(const QString &path)
    {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            return false;
        return seen.emplace(info.st_dev, info.st_ino).second;
    }

private:
    std::set<std::pair<dev_t, ino_t>> seen;
};

}

QList<IndexedFile> buildLocalIndex(const QString &root, qsizetype limit)
{
    QList<IndexedFile> files;
    if (limit <= 0)
        return files;
    std::deque<PendingFolder> queue { { root, QString() } };
    // Folders reached through links wait until every other folder was walked, so that a
    // folder is listed under its own name when it has one in the tree.
    std::deque<PendingFolder> linked;
    VisitedFolders visited;
    while (!queue.empty() || !linked.empty()) {
        std::deque<PendingFolder> &from = queue.empty() ? linked : queue;
        const PendingFolder folder = std::move(from.front());
        from.pop_front();
        if (!visited.firstVisit(folder.path))
            continue;
        for (const DirectoryEntry &entry : listChildren(folder.path, false)) {
            const QString name = lastComponent(entry.path);
            const QString relative
                = folder.relative.isEmpty() ? name : folder.relative + u'/' + name;
            if (entry.isDirectory) {
                if (!NameLists::isHeavy(name))
                    (QFileInfo(entry.path).isSymLink() ? linked : queue).push_back({ entry.path, relative });
                continue;
            }
            files.append(IndexedFile::make(entry.path, relative));
            if (files.size() >= limit) {
                queue.clear();
                linked.clear();
                break;
            }
        }
    }
    std::sort(files.begin(), files.end(),
        [](const IndexedFile &a, const IndexedFile &b) { return a.path < b.path; });
    return files;
}

FileIndexer::FileIndexer(QObject *parent)
    : QObject(parent)
{
}

void FileIndexer::rebuild(const QString &root)
{
    const quint64 generation = ++quickGeneration;
    QPointer<FileIndexer> self(this);
    QThreadPool::globalInstance()->start([self, root, generation] {
        QList<IndexedFile> files = buildLocalIndex(root);
        // Posted to the application, which outlives the indexer, so a deleted indexer is only
        // ever looked at on the main thread.
        MainThread::post([self, root, generation, files = std::move(files)] {
            if (self && self->quickGeneration == generation && self->onBuilt)
                self->onBuilt(root, files);
        });
    });
}

void FileIndexer::dropPending()
{
    ++quickGeneration;
}
