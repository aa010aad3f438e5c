#pragma once

#include "TextStorage.h"
#include "common/TextEncoding.h"

#include <QIODevice>

#include <atomic>
#include <functional>

// Reads a text file in pieces into a TextStorage, decoding as it goes so that the whole file is
// never held twice, on whatever thread calls it (a worker). The encoding is chosen as
// TextFile::decode chooses it: a byte-order mark, else strict UTF-8, else Latin-1.
class TextLoader
{
public:
    enum class Outcome { loaded, cancelled, unreadable };
    struct Result {
        Outcome outcome = Outcome::unreadable;
        TextStorage storage;
        TextEncoding encoding;
    };
    using Progress = std::function<void(qint64 bytesRead, qint64 bytesTotal)>;

    static constexpr qsizetype defaultPieceBytes = 1 << 20;

    // device is open for reading and seekable: text that turns out not to be UTF-8 is read
    // again from the start. cancel is checked between pieces; progress follows each piece.
    static Result load(QIODevice &device, const std::atomic_bool &cancel, const Progress &progress = {},
                       qsizetype pieceBytes = defaultPieceBytes);
};
