#include "Utf8Chunks.h"

int Utf8Chunks::incompleteTail(QByteArrayView data)
{
    const qsizetype size = data.size();
    for (int k = 1; k <= 3; ++k) {
        if (size < k)
            return 0;
        const auto byte = static_cast<unsigned char>(data[size - k]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back
        if (byte >= 0xF0)
            return k;
        if (byte >= 0xE0)
            return k < 3 ? k : 0;
        if (byte >= 0xC0)
            return k == 1 ? 1 : 0;
        return 0;
    }
    return 0;
}

QString Utf8Chunks::decode(QByteArrayView data)
{
    if (data.isEmpty())
        return {};
    if (bytes.isEmpty()) {
        // The common case: nothing held, decode straight from the piece.
        const int held = incompleteTail(data);
        bytes = data.last(held).toByteArray();
        return QString::fromUtf8(data.first(data.size() - held));
    }
    bytes.append(data);
    const int held = incompleteTail(bytes);
    QString text = QString::fromUtf8(QByteArrayView(bytes).first(bytes.size() - held));
    bytes = bytes.last(held);
    return text;
}

QString Utf8Chunks::finish()
{
    QString text = QString::fromUtf8(bytes);
    bytes.clear();
    return text;
}
