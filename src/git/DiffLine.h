#pragma once

#include <QString>

enum class DiffLineKind { header, hunk, added, removed, context, note };

// One line of a file's diff as git printed it, its prefix character included.
struct DiffLine {
    DiffLineKind kind = DiffLineKind::context;
    QString text;

    bool operator==(const DiffLine &) const = default;
};
