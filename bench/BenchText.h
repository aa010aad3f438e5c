#pragma once

#include <QtGlobal>

// A block repeated until the text is exactly length long (a QString or a QByteArray).
template <typename Text> Text repeatedTo(const Text &block, qsizetype length)
{
    Text text;
    text.reserve(length + block.size());
    while (text.size() < length)
        text += block;
    text.truncate(length);
    return text;
}
