#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class TextBuffer;

// Finds a pattern in a text, as plain text or as a regular expression, with or without regard to
// case. The text is a whole document with "\n" between its lines (textOf), so positions are the
// document's own. Regular expressions run in multi-line mode: "^" and "$" hold at every line's
// start and end, and "\n" or "\s" match line breaks, so a match may span lines. Empty matches are
// never reported. Searches wrap around the end of the text.
class TextFinder
{
public:
    struct Options {
        bool matchCase = false;
        bool regularExpression = false;
    };

    // A match, in UTF-16 offsets of the text.
    struct Match {
        int start = 0;
        int length = 0;
        int end() const { return start + length; }
        friend bool operator==(const Match &, const Match &) = default;
    };

    // Where the current match stands: 1-based `index` among `total` matches, 0 when not known.
    // Counting stops at the limit; `more` says that there are matches beyond it.
    struct Tally {
        int index = 0;
        int total = 0;
        bool more = false;

        // "3 of 12", "3 of 1,000+", "12 results", "No results".
        QString text() const;
        // The tally after a step to the next or previous match; `wrapped` when the step went round
        // the end of the text.
        Tally stepped(bool forward, bool wrapped) const;
        friend bool operator==(const Tally &, const Tally &) = default;
    };

    struct Found {
        std::optional<Match> match;
        Tally tally;
    };

    static constexpr int countLimit = 1000;
    static constexpr int reach = 4096;

    TextFinder() = default;
    TextFinder(const QString &pattern, Options options);

    const QString &pattern() const { return needle; }
    Options options() const { return chosen; }
    // Nothing to look for: an empty pattern or one that does not compile.
    bool isEmpty() const { return needle.isEmpty() || !isValid(); }
    bool isValid() const { return regex.isValid(); }
    // Why the regular expression does not compile; empty when it does.
    QString errorString() const;

    // A buffer's text as this class searches it: one position per buffer position, lines
    // joined by "\n", unpaired surrogates replaced so that the text is always valid UTF-16.
    static QString textOf(const TextBuffer &buffer);

    // Each match that starts in from … to - 1, in order, until `visit` answers false. The search
    // sees the text up to `reach` characters past `to`, so a match that starts before `to` and
    // ends beyond that is cut short there.
    void forEachMatch(
        QStringView text, int from, int to, const std::function<bool(Match)> &visit) const;
    // The first match at or after `from`, else (wrapping) the first in the text.
    std::optional<Match> next(QStringView text, int from) const;
    // The last match that starts before `before`, else (wrapping) the last in the text.
    std::optional<Match> previous(QStringView text, int before) const;
    // The match exactly on start … end, if there is one.
    std::optional<Match> matchAt(QStringView text, int start, int end) const;
    // What a new search selects, next(text, from), with its tally, in at most one pass over the
    // text however many matches there are.
    Found locate(QStringView text, int from, int limit = countLimit) const;

    // What replaces `match`: the replacement as it stands, or for a regular expression with "$0"
    // to "$9" standing for the groups and "$$" for a dollar sign.
    QString replacementFor(QStringView text, Match match, const QString &replacement) const;
    // Replaces `match` when it still stands in `text` (the document's textOf) as one undo step;
    // answers where the replacement ends.
    std::optional<int> replace(
        TextBuffer &buffer, QStringView text, Match match, const QString &replacement) const;
    // Replaces every match in one edit block, so one undo restores the text; answers how many.
    int replaceAll(TextBuffer &buffer, QStringView text, const QString &replacement) const;

private:
    QString needle;
    Options chosen;
    QRegularExpression regex;
};
