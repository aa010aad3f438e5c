#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
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

    // A break unlike the dominant one: the line it ends and its kind.
    struct Exception {
        qsizetype line;
        Kind kind;
        bool operator==(const Exception &) const = default;
    };

    // Takes the breaks one at a time in the order of the text, as a reader meets them, so a
    // text read in pieces never has to be whole.
    class Builder
    {
    public:
        void add(Kind kind, qsizetype count = 1);
        LineBreaks finish() const;

    private:
        struct Run {
            qsizetype firstLine;
            Kind kind;
        };
        std::vector<Run> runs;
        std::array<qsizetype, 6> counts {};
        qsizetype breaks = 0;
    };

    // The breaks of text; the most common kind rules (the earlier one on a tie), line feeds
    // when there is no break at all.
    static LineBreaks scan(QStringView text);
    static QStringView sequence(Kind kind);
    // The break that starts at text[i], none when none does; a CR that ends text is a lone CR.
    static std::optional<Kind> kindAt(QStringView text, qsizetype i);

    Kind dominant() const { return m_dominant; }
    qsizetype lineCount() const { return m_lineCount; }
    // The break after line; the dominant kind for a line that has none of its own.
    Kind breakAfter(qsizetype line) const;

    // An edit that began in `line` took out `removed` breaks and put in `added`. An edit that
    // began at the line's first character pushes the line down (or removes it whole), so the
    // breaks change from that line on; any other edit leaves the line its own break and
    // changes the ones after it. New breaks take the dominant kind, or the kind `restored` gives
    // them (lines counted from the first new break). Gives the dropped breaks unlike the
    // dominant one, counted the same way, so that an undo can restore them.
    std::vector<Exception> edit(qsizetype line, bool atLineStart, qsizetype removed, qsizetype added,
                                const std::vector<Exception> &restored = {});

    // text holds the lines with one separator character between each two; gives them joined
    // by their own breaks.
    QString join(QStringView text, QChar separator) const;

private:
    Kind m_dominant = Kind::lf;
    qsizetype m_lineCount = 1;
    std::vector<Exception> m_exceptions; // sorted by line
};
