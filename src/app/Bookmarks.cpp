#include "Bookmarks.h"

#include <algorithm>

namespace Bookmarks {

std::vector<qsizetype> followEdit(const std::vector<qsizetype> &offsets, qsizetype location,
                                  qsizetype replaced, qsizetype delta, qsizetype textLength,
                                  const std::function<qsizetype(qsizetype)> &lineStart)
{
    std::vector<qsizetype> moved;
    moved.reserve(offsets.size());
    for (qsizetype offset : offsets) {
        if (offset > location && offset < location + replaced)
            offset = location;
        else if (offset >= location + replaced && offset > location)
            offset += delta;
        moved.push_back(lineStart(std::clamp<qsizetype>(offset, 0, textLength)));
    }
    std::sort(moved.begin(), moved.end());
    moved.erase(std::unique(moved.begin(), moved.end()), moved.end());
    return moved;
}

std::optional<BookmarkPlace> step(const std::vector<BookmarkPlace> &places,
                                  const BookmarkPlace &current, bool forward)
{
    if (places.empty())
        return std::nullopt;
    if (forward) {
        const auto next = std::upper_bound(places.begin(), places.end(), current);
        return next == places.end() ? places.front() : *next;
    }
    const auto previous = std::lower_bound(places.begin(), places.end(), current);
    return previous == places.begin() ? places.back() : *std::prev(previous);
}

}
