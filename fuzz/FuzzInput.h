#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>
#include <vector>

// The fuzzer's bytes as chunks: the first byte seeds the cut points, so the same input always
// splits the same way and a crash reproduces.
inline std::vector<QByteArrayView> chunksOf(const uint8_t *data, size_t size)
{
    std::vector<QByteArrayView> chunks;
    if (size == 0)
        return chunks;
    unsigned seed = data[0] | 1u;
    const auto *bytes = reinterpret_cast<const char *>(data + 1);
    qsizetype left = qsizetype(size) - 1;
    while (left > 0) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(left, 1 + (seed >> 16) % 17);
        chunks.emplace_back(bytes, length);
        bytes += length;
        left -= length;
    }
    return chunks;
}

// The same bytes as chunksOf, in one piece.
inline QByteArrayView wholeOf(const uint8_t *data, size_t size)
{
    return size == 0 ? QByteArrayView() : QByteArrayView(reinterpret_cast<const char *>(data + 1), qsizetype(size) - 1);
}

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            __builtin_printf("check failed: %s\n", #condition);                                \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)
