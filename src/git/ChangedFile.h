#pragma once

#include <QString>

#include <optional>

// A file changed by a commit, with its line counts when git has them (not for binary files).
struct ChangedFile {
    QString path; // after the change
    std::optional<QString> oldPath; // only for a rename or copy
    std::optional<int> added;
    std::optional<int> removed;

    bool operator==(const ChangedFile &) const = default;
};
