#pragma once

#include "DiffLine.h"

#include <QList>

// The diff of one file in a commit: the lines kept and how many more there were.
struct FileDiff {
    QList<DiffLine> lines;
    int notShown = 0;
};
