#pragma once

#include <QList>
#include <QTextLayout>

#include <map>

// Display formats (colours) given from outside for some lines, kept apart from the text. An
// edit keeps the formats of the characters it did not touch until the owner gives new ones:
// later lines are renumbered, and within an edited line the ranges after the edit move with it.
class LineFormats
{
public:
    using Formats = QList<QTextLayout::FormatRange>;

    // An empty list takes the line's formats off.
    void set(qsizetype line, const Formats &formats);
    Formats of(qsizetype line) const;
    bool isEmpty() const { return lines.empty(); }
    void clear() { lines.clear(); }

    // An edit at `column` of firstLine took out `removed` positions holding linesRemoved breaks
    // and put in `added` positions holding linesAdded breaks. Lines it joined or split lose
    // their formats after the edit point.
    void follow(qsizetype firstLine, qsizetype column, qsizetype removed, qsizetype added,
        qsizetype linesRemoved, qsizetype linesAdded);

    // A range mapped through an edit inside its line (start and end each moved as characters
    // either side of it move); empty when the edit took all of it.
    static QTextLayout::FormatRange shifted(
        QTextLayout::FormatRange range, qsizetype column, qsizetype removed, qsizetype added);

private:
    std::map<qsizetype, Formats> lines;
};
