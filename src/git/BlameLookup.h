#pragma once

#include "BlameInfo.h"

#include <optional>

// What blame knows about one line.
struct BlameLookup {
    enum class Kind { commit, unknown, draft };

    Kind kind = Kind::unknown;
    BlameInfo info; // the line's commit; empty unless kind is commit

    // The info to show for the line: its commit, the draft placeholder, or nothing when unknown.
    std::optional<BlameInfo> shownInfo() const
    {
        switch (kind) {
        case Kind::commit:
            return info;
        case Kind::draft:
            return BlameInfo::draft();
        case Kind::unknown:
            break;
        }
        return std::nullopt;
    }

    bool operator==(const BlameLookup &) const = default;
};
