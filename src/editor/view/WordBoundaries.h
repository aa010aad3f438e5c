#pragma once

#include <QStringView>

// Word-wise caret moves and word selection within one line of text. Columns are UTF-16 offsets
// into the line. Characters fall into three classes: word characters (letters, digits, marks,
// '_'), white space, and everything else; a run of one class is one step.
namespace WordBoundaries
{

enum class CharClass { word, space, other };

CharClass classOf(QChar c);

// Ctrl+Right: past the rest of the run under the caret, then past any white space after it.
// The line's length when nothing follows.
qsizetype nextWordStart(QStringView line, qsizetype column);
// Ctrl+Left: back over white space, then to the start of the run before it. 0 at the most.
qsizetype previousWordStart(QStringView line, qsizetype column);

struct Span {
    qsizetype start = 0;
    qsizetype end = 0;
};
// The run that a double click at column selects: the run that starts at column, or failing
// that the one that ends there (a click just after a word takes the word).
Span wordAt(QStringView line, qsizetype column);

// Whether typing `typed` right after `previous` (typed just before it) continues one undo
// step: a word character after white space or punctuation starts a new step, so undo takes
// typing back a word at a time.
bool continuesTyping(QChar previous, QChar typed);

}
