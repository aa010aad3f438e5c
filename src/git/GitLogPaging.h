#pragma once

#include "Commit.h"
#include "GitCommands.h"
#include "Place.h"

#include <QList>
#include <QString>

#include <optional>

// Which answers the Git log pane still waits for. Every load starts a new generation; an answer
// of an older generation, a first page or a further one, is dropped. Plain state on the main
// thread; the reads block and run through gitWork.
class GitLogPaging
{
public:
    static constexpr int pageSize = GitCommands::logPageSize;

    // What a load finds: the repository root, or nothing outside one; then its branch and its
    // first page (a failed log reads as no commits).
    struct FirstPage {
        std::optional<GitSource> root;
        std::optional<QString> branch;
        QList<Commit> commits;
    };
    static FirstPage readFirstPage(const GitSource &place);
    // The page after the commits already shown; a failure reads as an empty page.
    static QList<Commit> readPage(const GitSource &root, int skip);

    // A new load of the place: answers its generation. Any page still being read goes stale.
    int startLoad(const std::optional<Place> &place);
    bool isCurrent(int generation) const { return generation == current; }
    // The place of the last load, which the refresh button loads again.
    const std::optional<Place> &lastPlace() const { return place; }

    // The repository root whose log is shown, or nothing while a notice is shown.
    const std::optional<GitSource> &repo() const { return root; }
    void setRepo(const std::optional<GitSource> &shown) { root = shown; }

    // Asks for a further page: answers its generation, or nothing when no log is shown, the last
    // page was not full or a page is already being read.
    std::optional<int> startPage(bool canLoadMore);
    // The page of that generation arrived: answers whether it still belongs to what is shown.
    bool finishPage(int generation);
    bool isLoadingMore() const { return loadingMore; }

    // The commit the user chose last, chosen again after every reload.
    std::optional<QString> selectedSHA;

private:
    int current = 0;
    std::optional<Place> place;
    std::optional<GitSource> root;
    bool loadingMore = false;
};
