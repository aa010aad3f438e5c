#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A bookmarked line of a file, 1-based.
struct BookmarkPlace {
    QString path;
    int line = 0;

    bool operator==(const BookmarkPlace &) const = default;
    bool operator<(const BookmarkPlace &other) const
    {
        return path != other.path ? path < other.path : line < other.line;
    }
};

namespace Bookmarks {

// Offsets after an edit at `location` that replaced `replaced` characters and changed the
// length by `delta`: each moves with the text, then to the start of its line; sorted, unique.
std::vector<qsizetype> followEdit(const std::vector<qsizetype> &offsets, qsizetype location,
                                  qsizetype replaced, qsizetype delta, qsizetype textLength,
                                  const std::function<qsizetype(qsizetype)> &lineStart);

// The next (or previous) place after the current one, wrapping around; places are sorted.
std::optional<BookmarkPlace> step(const std::vector<BookmarkPlace> &places,
                                  const BookmarkPlace &current, bool forward);

}
