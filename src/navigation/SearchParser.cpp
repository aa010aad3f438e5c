#include "SearchParser.h"

#include <climits>
#include <cstring>

namespace
{

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits as a number; a run too long for an int keeps the largest one.
int lineNumber(QByteArrayView digits)
{
    long long value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return int(value);
}

}

QList<SearchHit> SearchParser::feed(QByteArrayView chunk)
{
    QList<SearchHit> hits;
    const qsizetype lastBreak = chunk.lastIndexOf('\n');
    if (lastBreak < 0) {
        m_pending.append(chunk);
        return hits;
    }
    const qsizetype complete = lastBreak + 1;
    if (m_pending.isEmpty()) {
        parseLines(chunk.first(complete), hits);
    } else {
        m_pending.append(chunk.first(complete));
        parseLines(m_pending, hits);
    }
    m_pending = chunk.sliced(complete).toByteArray();
    return hits;
}

void SearchParser::parseLines(QByteArrayView lines, QList<SearchHit> &hits) const
{
    const char *at = lines.data();
    const char *end = at + lines.size();
    while (at < end) {
        const char *lineEnd = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
        if (!lineEnd)
            lineEnd = end;
        if (auto hit = parseLine(QByteArrayView(at, lineEnd - at)))
            hits.append(std::move(*hit));
        at = lineEnd + 1;
    }
}

std::optional<SearchHit> SearchParser::parseLine(QByteArrayView line)
{
    // Text never holds a NUL byte: the line comes from a binary file that grep read as text.
    if (line.contains('\0'))
        return std::nullopt;
    for (qsizetype colon = line.indexOf(':', 1); colon >= 0; colon = line.indexOf(':', colon + 1)) {
        qsizetype digitsEnd = colon + 1;
        while (digitsEnd < line.size() && isDigit(line[digitsEnd]))
            ++digitsEnd;
        if (digitsEnd == colon + 1 || digitsEnd == line.size() || line[digitsEnd] != ':')
            continue;
        QByteArrayView path = line.first(colon);
        if (path.startsWith("./"))
            path = path.sliced(2);
        SearchHit hit;
        hit.path = QString::fromUtf8(path);
        hit.line = lineNumber(line.sliced(colon + 1, digitsEnd - colon - 1));
        hit.text = QString::fromUtf8(line.sliced(digitsEnd + 1));
        return hit;
    }
    return std::nullopt;
}
