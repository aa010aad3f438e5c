#pragma once

#include <QByteArray>
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

// C++ source of exactly `bytes` bytes: the same short function over and over.
inline QByteArray cppText(qint64 bytes)
{
    const QByteArray block = "#include <vector>\n"
                             "// A comment line that explains what follows in some detail.\n"
                             "int compute(const std::vector<int> &values) {\n"
                             "    int total = 0;\n"
                             "    for (int v : values) { if (v > 0) total += v * 2; }\n"
                             "    return total; /* done */\n"
                             "}\n";
    return repeatedTo(block, bytes);
}
