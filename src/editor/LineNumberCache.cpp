#include "LineNumberCache.h"

#include "common/TextCounts.h"

#include <algorithm>

namespace
{

qsizetype lineFeedsBetween(QStringView text, qsizetype from, qsizetype to)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, from, text.size());
    return countLineFeeds(text.sliced(from, to - from));
}

}

qsizetype lineNumberAt(qsizetype index, QStringView text, LineNumberCache &cache)
{
    const qsizetype at = std::clamp<qsizetype>(index, 0, text.size());
    const qsizetype known = cache.index;
    qsizetype line;
    if (std::abs(at - known) >= at)
        line = 1 + lineFeedsBetween(text, 0, at);
    else if (at >= known)
        line = cache.line + lineFeedsBetween(text, known, at);
    else
        line = cache.line - lineFeedsBetween(text, at, known);
    cache = { at, line };
    return line;
}
