#pragma once

#include <QString>

// What the Search pane looks for.
struct SearchQuery {
    QString text; // exactly as typed, never trimmed
    bool caseSensitive = false; // "Aa"
    bool regex = false; // ".*": an extended regular expression; otherwise a fixed string

    bool operator==(const SearchQuery &) const = default;
};
