#pragma once

#include <QString>

#include <deque>

// The colours the output panel writes in.
enum class OutputTint { Label, Secondary, Red, Orange, Green };

// Text waiting to be appended to the output: coloured runs, oldest first. The panel takes it a
// bounded piece at a time, so that no single append holds up the main thread.
class OutputQueue
{
public:
    struct Run {
        QString text;
        OutputTint tint;
    };

    // Adds text at the end (joined to the last run when the colour is the same).
    void push(const QString &text, OutputTint tint);
    bool isEmpty() const { return runs.empty(); }
    // Units in all runs together.
    qsizetype size() const { return total; }
    void clear();

    // The position, in all runs read as one text, of the first line feed at or after `from`,
    // or -1.
    qsizetype indexOfLineFeed(qsizetype from) const;
    // Drops the first count units.
    void dropFront(qsizetype count);
    // Drops the oldest command output (the Label runs) so that at most its last maxLines lines
    // and maxUnits units remain, from a line start where the unit cap allows; runs in other
    // colours (command lines, summaries) stay.
    void keepOutputTail(qsizetype maxLines, qsizetype maxUnits);
    // Takes the first run, or only its beginning: up to and including its maxLines-th line
    // feed, and at most maxUnits units. Takes at least one unit.
    Run takeFront(qsizetype maxLines, qsizetype maxUnits);

private:
    std::deque<Run> runs;
    qsizetype total = 0;
};
