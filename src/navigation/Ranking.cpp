#include "Ranking.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

namespace
{

// Any name match outranks every path-only match.
constexpr int nameMatchBonus = 1000;
constexpr int wordStartBonus = 5;
constexpr int prefixBonus = 20;
constexpr int substringBonus = 10;

bool isWordCharacter(QChar c)
{
    return c.isLetter() || c.isDigit();
}

struct Match {
    int key;
    int depth; // folders above the file
    int length; // of the whole path
    int index;

    // Best first: the higher key; among equals the shallower, then the shorter path (the header
    // a build includes before the one deep in a vendored tree), then list order.
    bool operator<(const Match &other) const
    {
        return std::tie(other.key, depth, length, index)
            < std::tie(key, other.depth, other.length, other.index);
    }
};

}

QString normalizedQuery(QStringView query)
{
    QString q = query.toString().toLower();
    q.removeIf([](QChar c) { return c.isSpace(); });
    return q;
}

std::optional<int> score(QStringView q, QStringView candidate)
{
    int total = 0;
    int run = 0;
    qsizetype next = 0; // just after the previous match
    const QChar *const begin = candidate.begin();
    const QChar *const end = candidate.end();
    for (const QChar c : q) {
        // A plain scan: candidates are short, and a library search costs more to start than this.
        const QChar *found = std::find(begin + next, end, c);
        if (found == end)
            return std::nullopt;
        const qsizetype at = found - begin;
        run = run > 0 && at == next ? run + 1 : 1;
        total += 2 * run + 1;
        if (at == 0 || !isWordCharacter(candidate[at - 1]))
            total += wordStartBonus;
        next = at + 1;
    }
    if (candidate.startsWith(q))
        total += prefixBonus;
    else if (candidate.contains(q))
        total += substringBonus;
    return total - int(candidate.size() / 4);
}

QList<int> rank(QStringView query, const QStringList &lowerNames, const QStringList &lowerPaths,
    qsizetype limit)
{
    const QString q = normalizedQuery(query);
    QList<int> ranked;
    if (q.isEmpty()) {
        ranked.resize(std::min(lowerNames.size(), limit));
        std::iota(ranked.begin(), ranked.end(), 0);
        return ranked;
    }
    std::vector<Match> matches;
    for (int i = 0; i < int(lowerNames.size()); ++i) {
        // A name is the end of its path, so a query that misses the path misses the name too;
        // most files miss both, and are passed over in one scan.
        const std::optional<int> byPath = score(q, lowerPaths[i]);
        if (!byPath)
            continue;
        const std::optional<int> byName = score(q, lowerNames[i]);
        const QString &path = lowerPaths[i];
        matches.push_back({ byName ? *byName + nameMatchBonus : *byPath,
            int(path.count(QLatin1Char('/'))), int(path.size()), i });
    }
    // The index breaks the last ties, which gives what a stable sort would, for only the rows kept.
    const auto kept = matches.begin() + std::min<qsizetype>(qsizetype(matches.size()), limit);
    std::partial_sort(matches.begin(), kept, matches.end());
    ranked.reserve(kept - matches.begin());
    for (auto match = matches.begin(); match != kept; ++match)
        ranked.append(match->index);
    return ranked;
}
