#include "LineNumberCache.h"

#include <algorithm>
#include <cstdint>

namespace
{

// A chunk holds at most 16,384 line feeds, so its count fits 16 bits, which lets the compiler
// compare and count many code units per instruction.
constexpr qsizetype chunkSize = 16384;

qsizetype countInChunk(const char16_t *units, qsizetype size)
{
    std::uint16_t count = 0;
    for (qsizetype i = 0; i < size; ++i)
        count += units[i] == u'\n';
    return count;
}

}

qsizetype countLineFeeds(QStringView text, qsizetype start, qsizetype length)
{
    if (length <= 0 || start >= text.size())
        return 0;
    const qsizetype from = std::max<qsizetype>(start, 0);
    const qsizetype to = length >= text.size() - start ? text.size() : start + length;
    const char16_t *units = text.utf16();
    qsizetype count = 0;
    for (qsizetype at = from; at < to; at += chunkSize)
        count += countInChunk(units + at, std::min(chunkSize, to - at));
    return count;
}

qsizetype lineNumberAt(qsizetype index, QStringView text, LineNumberCache &cache)
{
    const qsizetype at = std::clamp<qsizetype>(index, 0, text.size());
    const qsizetype known = cache.index;
    qsizetype line;
    if (std::abs(at - known) >= at)
        line = 1 + countLineFeeds(text, 0, at);
    else if (at >= known)
        line = cache.line + countLineFeeds(text, known, at - known);
    else
        line = cache.line - countLineFeeds(text, at, known - at);
    cache = { at, line };
    return line;
}
