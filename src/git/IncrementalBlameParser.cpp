#include "IncrementalBlameParser.h"

#include "GitText.h"

namespace
{

constexpr qsizetype shortestSha = 40;

// The rest of the line after the prefix, or nothing when it starts otherwise.
std::optional<QStringView> after(QStringView line, QLatin1StringView prefix)
{
    if (!line.startsWith(prefix))
        return std::nullopt;
    return line.sliced(prefix.size());
}

QString withoutAngles(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u'<' || text.front() == u'>'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u'<' || text.back() == u'>'))
        text.chop(1);
    return text.toString();
}

}

QList<BlameRange> IncrementalBlameParser::feed(QByteArrayView bytes)
{
    const QString text = decoder.decode(bytes);
    return feedText(text);
}

QList<BlameRange> IncrementalBlameParser::feedText(QStringView text)
{
    QList<BlameRange> ranges;
    const qsizetype lastBreak = text.lastIndexOf(u'\n');
    if (lastBreak < 0) {
        buffer += text;
        return ranges;
    }
    qsizetype start = 0;
    if (!buffer.isEmpty()) {
        // The line begun in an earlier piece.
        start = text.indexOf(u'\n') + 1;
        buffer += text.first(start - 1);
        readLine(buffer, ranges);
    }
    while (start <= lastBreak) {
        const qsizetype end = text.indexOf(u'\n', start);
        readLine(text.sliced(start, end - start), ranges);
        start = end + 1;
    }
    buffer = text.sliced(lastBreak + 1).toString();
    return ranges;
}

void IncrementalBlameParser::readLine(QStringView line, QList<BlameRange> &ranges)
{
    if (!header) {
        readHeader(line);
        return;
    }
    if (line.startsWith(QLatin1StringView("filename ")))
        ranges.append(finishEntry());
    else if (const auto rest = after(line, QLatin1StringView("author ")))
        author = rest->toString();
    else if (const auto rest = after(line, QLatin1StringView("author-mail ")))
        email = withoutAngles(*rest);
    else if (const auto rest = after(line, QLatin1StringView("author-time ")))
        time = parseSeconds(*rest).value_or(0);
    else if (const auto rest = after(line, QLatin1StringView("summary ")))
        summary = rest->toString();
    // committer, previous, boundary and anything else say nothing we show
}

void IncrementalBlameParser::readHeader(QStringView line)
{
    if (line.size() < shortestSha + 6)
        return; // not even room for the sha and three numbers
    QStringView pieces[5];
    qsizetype count = 0;
    for (QStringView piece : line.tokenize(u' ', Qt::SkipEmptyParts)) {
        if (count == 5)
            return;
        pieces[count++] = piece;
    }
    if (count != 4 || pieces[0].size() < shortestSha || !isHexHash(pieces[0]))
        return;
    const auto finalLine = parseDecimal(pieces[2]);
    const auto lines = parseDecimal(pieces[3]);
    // git counts lines from 1; anything else would index outside the text.
    if (!finalLine || !lines || *finalLine < 1 || *lines < 1)
        return;
    header = Header { pieces[0].toString(), qsizetype(*finalLine), qsizetype(*lines) };
    author.clear();
    email.clear();
    summary.clear();
    time = 0;
}

BlameRange IncrementalBlameParser::finishEntry()
{
    const Header entry = *header;
    header.reset();
    // git describes a commit only the first time it names it.
    auto found = known.constFind(entry.sha);
    if (found == known.cend())
        found = known.insert(
            entry.sha, BlameInfo { entry.sha, author, email, dateFromSeconds(time), summary });
    return BlameRange { *found, entry.finalLine, entry.count };
}
