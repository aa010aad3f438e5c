#include "AppendBudget.h"

#include <algorithm>

namespace
{

constexpr qsizetype fewestLines = 500;
constexpr qsizetype mostLines = 100'000;
constexpr qsizetype smallestSample = 200; // fewer lines say too little about the cost

}

void AppendBudget::record(qsizetype lines, double milliseconds)
{
    if (lines < smallestSample || milliseconds <= 0)
        return;
    const double perLine = milliseconds / double(lines);
    const auto fitting = qsizetype(targetMilliseconds / perLine);
    // Halfway towards the new estimate: one slow append (a page fault, a busy core) does not
    // swing the budget.
    lineBudget = std::clamp((lineBudget + fitting) / 2, fewestLines, mostLines);
}
