#pragma once

#include <QString>

// One matching line as grep reported it.
struct SearchHit {
    QString path; // relative to the searched folder, without a leading "./"
    int line = 0; // 1-based, as printed
    QString text; // the whole line without its line feed

    bool operator==(const SearchHit &) const = default;
};

// A search keeps at most this many hits; one that finds more is stopped there.
inline constexpr int searchHitLimit = 2000;
