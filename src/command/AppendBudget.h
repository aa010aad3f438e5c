#pragma once

#include <QtGlobal>

// How much queued output one append to the output view may take. Inserting costs the text
// document about 2 microseconds per line, so the line budget follows the measured cost to keep
// each append near 15 ms of main-thread work on any machine, which leaves room for the repaint
// that follows within the 50 ms the window may stop answering. The unit cap bounds long lines.
class AppendBudget
{
public:
    static constexpr qsizetype maxUnits = 256 * 1024;
    static constexpr double targetMilliseconds = 15;

    qsizetype lines() const { return lineBudget; }
    // An append of this many lines took this long.
    void record(qsizetype lines, double milliseconds);

private:
    qsizetype lineBudget = 4000;
};
