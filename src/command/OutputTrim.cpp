#include "OutputTrim.h"

namespace OutputTrim
{

qsizetype cutLength(qsizetype length, const std::function<qsizetype(qsizetype from)> &nextLineFeed)
{
    if (length <= limit)
        return 0;
    const qsizetype from = length - keep;
    const qsizetype lineFeed = nextLineFeed(from);
    return lineFeed >= from ? lineFeed + 1 : from;
}

}
