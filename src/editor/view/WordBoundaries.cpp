#include "WordBoundaries.h"

#include <algorithm>

namespace WordBoundaries
{

CharClass classOf(QChar c)
{
    if (c.isLetterOrNumber() || c.isMark() || c == u'_' || c.isSurrogate())
        return CharClass::word;
    if (c.isSpace())
        return CharClass::space;
    return CharClass::other;
}

qsizetype nextWordStart(QStringView line, qsizetype column)
{
    const qsizetype length = line.size();
    qsizetype at = std::clamp<qsizetype>(column, 0, length);
    if (at < length && classOf(line[at]) != CharClass::space) {
        const CharClass run = classOf(line[at]);
        while (at < length && classOf(line[at]) == run)
            ++at;
    }
    while (at < length && classOf(line[at]) == CharClass::space)
        ++at;
    return at;
}

qsizetype previousWordStart(QStringView line, qsizetype column)
{
    qsizetype at = std::clamp<qsizetype>(column, 0, line.size());
    while (at > 0 && classOf(line[at - 1]) == CharClass::space)
        --at;
    if (at == 0)
        return 0;
    const CharClass run = classOf(line[at - 1]);
    while (at > 0 && classOf(line[at - 1]) == run)
        --at;
    return at;
}

Span wordAt(QStringView line, qsizetype column)
{
    const qsizetype length = line.size();
    qsizetype at = std::clamp<qsizetype>(column, 0, length);
    if (length == 0)
        return {};
    // A click after the last character, or between white space and a word it ends, takes the
    // run before.
    if (at == length
        || (at > 0 && classOf(line[at]) == CharClass::space
            && classOf(line[at - 1]) != CharClass::space))
        --at;
    const CharClass run = classOf(line[at]);
    qsizetype start = at;
    qsizetype end = at;
    while (start > 0 && classOf(line[start - 1]) == run)
        --start;
    while (end < length && classOf(line[end]) == run)
        ++end;
    return { start, end };
}

bool continuesTyping(QChar previous, QChar typed)
{
    return !(classOf(typed) == CharClass::word && classOf(previous) != CharClass::word);
}

}
