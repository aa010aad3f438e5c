#pragma once

#include <QtGlobal>

#include <functional>

// How much of the output to drop from the top so that it never keeps more than 2,000,000
// UTF-16 units: past that limit the text is cut back to about the last 1,500,000, at a line
// start when possible.
namespace OutputTrim
{

inline constexpr qsizetype limit = 2'000'000;
inline constexpr qsizetype keep = 1'500'000;

// The number of units to delete from the start of a text of the given length: 0 when it is
// within the limit; otherwise everything up to and including the first line feed at or after
// (length - keep), or everything before that position when no line feed follows it.
// nextLineFeed(from) answers the position of the first line feed at or after `from`, or -1.
qsizetype cutLength(qsizetype length, const std::function<qsizetype(qsizetype from)> &nextLineFeed);

}
