#pragma once

#include "BlameInfo.h"

// Consecutive lines of the blamed text that came from one commit.
struct BlameRange {
    BlameInfo info;
    qsizetype firstLine = 0; // 1-based, in the blamed text
    qsizetype count = 0;

    bool operator==(const BlameRange &) const = default;
};
