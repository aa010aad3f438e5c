#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// Go to file shows no more rows than this.
inline constexpr qsizetype rankedRowLimit = 200;

// The query as the ranking reads it: lower-cased, with every white-space character removed.
QString normalizedQuery(QStringView query);

// How well the characters of q, in order, fit the candidate; nothing when they do not all occur.
// Both are expected in lower case. Runs of adjacent matches, matches at word starts, a prefix and
// a short candidate all score higher.
std::optional<int> score(QStringView q, QStringView candidate);

// Indexes into the parallel lists, best first, at most `limit`: name matches above path-only
// matches; among equal scores the path with fewer folders, then the shorter path, then list
// order. An empty query keeps the list order. Each name is the last component of its path.
QList<int> rank(QStringView query, const QStringList &lowerNames, const QStringList &lowerPaths,
    qsizetype limit = rankedRowLimit);
