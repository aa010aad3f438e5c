#pragma once

#include <QList>
#include <QUrl>

#include <vector>

// What a dropped or handed-over URL does.
struct DropPlan {
    enum class Action { openFile, setWorkspace };
    Action action;
    QUrl url;

    bool operator==(const DropPlan &) const = default;
};

// Files open first, in the order given; at most one folder (the last) becomes the workspace.
// Missing entries are skipped without a word; every other file is planned for opening, which
// tells what keeps one from opening.
std::vector<DropPlan> planDrop(const QList<QUrl> &urls);
