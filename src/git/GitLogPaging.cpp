#include "GitLogPaging.h"

#include "GitQueries.h"

GitLogPaging::FirstPage GitLogPaging::readFirstPage(const GitSource &place)
{
    FirstPage found;
    found.root = place.repositoryRoot();
    if (!found.root)
        return found;
    found.branch = GitQueries::currentBranch(*found.root);
    found.commits = GitQueries::logPage(*found.root, pageSize, 0).value_or(QList<Commit>());
    return found;
}

QList<Commit> GitLogPaging::readPage(const GitSource &root, int skip)
{
    return GitQueries::logPage(root, pageSize, skip).value_or(QList<Commit>());
}

int GitLogPaging::startLoad(const std::optional<Place> &wanted)
{
    place = wanted;
    return ++current;
}

std::optional<int> GitLogPaging::startPage(bool canLoadMore)
{
    if (!root || !canLoadMore || loadingMore)
        return std::nullopt;
    loadingMore = true;
    return current;
}

bool GitLogPaging::finishPage(int generation)
{
    loadingMore = false;
    return isCurrent(generation);
}
