#pragma once

#include "IndexedFile.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// The files below root, sorted by relative path, at most `limit` of them. The walk goes breadth
// first, so a tree over the limit keeps its shallower files; the hidden names are never listed
// and heavy folders are never entered. Links to folders are followed, each real folder once.
QList<IndexedFile> buildLocalIndex(const QString &root, qsizetype limit = fileIndexLimit);

// Builds local indexes on the global thread pool and hands each result back on the main thread,
// but only the result of the latest request: a build overtaken by a newer request, or by
// dropPending, comes to nothing.
class FileIndexer : public QObject
{
    Q_OBJECT
public:
    explicit FileIndexer(QObject *parent = nullptr);

    // Called on the main thread with the root and its index, for the latest request only.
    std::function<void(const QString &root, const QList<IndexedFile> &files)> onBuilt;

    void rebuild(const QString &root);
    // Makes every build still running stale, for when there is no root to index any more.
    void dropPending();

private:
    // Counts the requests; a result is wanted only while this still has its request's value.
    quint64 quickGeneration = 0;
};
