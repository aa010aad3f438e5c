#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Indentation rules of the editor: spaces only, one unit = `width` spaces.
namespace Indentation {

QString unit(int width);

// What Return inserts in place of the selection, and how far the caret then steps back.
struct ReturnEdit {
    QString insertion;
    int caretBack = 0;
};

// `before`: the line up to the selection; `after`: the line from the selection's end.
// Nothing when both copying the indent and brace handling are off (a plain line break).
std::optional<ReturnEdit> returnEdit(QStringView before, QStringView after, bool copyIndent,
                                     bool braces, int width);

// Indents (or outdents) every line of `lines` (lines joined by '\n'); empty lines stay empty.
QString shiftLines(QStringView lines, bool outdent, int width);

// How many characters before a typed closer go away: the unit, else one tab, when the line
// holds only blanks before the caret. Nothing when the closer is inserted as typed.
std::optional<int> closerOutdent(QStringView prefix, QChar closer, int width);

bool isCloser(QStringView text);

}
