#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The break that ends each line of a file, kept apart from the lines: the text view separates
// its lines all alike, and a save writes every line back with the break it had, so a mixed
// file stays mixed. Lines count from 0; the last line has no break. Only the breaks unlike the
// most common one are stored, so a file with one kind of break costs nothing per line.
class LineBreaks
{
public:
    // Every sequence the text view starts a new line at. A line separator (U+2028) is not one:
    // it stays inside its line.
    enum class Kind : quint8 { lf, crlf, cr, paragraph, frameStart, frameEnd };

    // The breaks of text; the most common kind rules (the earlier one on a tie), line feeds
    // when there is no break at all.
    static LineBreaks scan(QStringView text);
    static QStringView sequence(Kind kind);

    Kind dominant() const { return m_dominant; }
    qsizetype lineCount() const { return m_lineCount; }
    // The break after line; the dominant kind for a line that has none of its own.
    Kind breakAfter(qsizetype line) const;

    // An edit that began in `line` took out `removed` breaks and put in `added`. An edit that
    // began at the line's first character pushes the line down (or removes it whole), so the
    // breaks change from that line on; any other edit leaves the line its own break and
    // changes the ones after it. New breaks take the dominant kind.
    void edit(qsizetype line, bool atLineStart, qsizetype removed, qsizetype added);

    // text holds the lines with one separator character between each two; gives them joined
    // by their own breaks.
    QString join(QStringView text, QChar separator) const;

private:
    struct Exception {
        qsizetype line;
        Kind kind;
    };

    Kind m_dominant = Kind::lf;
    qsizetype m_lineCount = 1;
    std::vector<Exception> m_exceptions; // sorted by line
};
