#pragma once

#include "SearchHit.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// Turns grep's output, as it streams in, into hits. It works on bytes: a path or a line that is
// not valid UTF-8 still gives a hit, with the bad bytes replaced.
class SearchParser
{
public:
    // Adds a chunk of output and answers the hits of the lines it completed, in order. Bytes
    // after the last line feed wait for the next chunk.
    QList<SearchHit> feed(QByteArrayView chunk);

    // One output line without its line feed, "path:line:text". The path ends at the first ":"
    // that follows at least one byte and is followed by digits and another ":". None when the
    // line has no such place, or when it holds a NUL byte (a binary file's).
    static std::optional<SearchHit> parseLine(QByteArrayView line);

    // Bytes received that are not yet part of a complete line.
    const QByteArray &pending() const { return m_pending; }

private:
    void parseLines(QByteArrayView lines, QList<SearchHit> &hits) const;

    QByteArray m_pending;
};
