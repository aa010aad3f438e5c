#pragma once

#include <QtGlobal>

#include <optional>

// Characters from start up to (not including) end, in UTF-16 code units.
struct CharRange {
    qsizetype start = 0;
    qsizetype end = 0;

    qsizetype length() const { return end - start; }
    bool isEmpty() const { return end <= start; }
    friend bool operator==(const CharRange &, const CharRange &) = default;
};

// How much of a text is scanned and coloured.
namespace ScanWindow
{

// Longer (or empty) texts are never scanned.
constexpr qsizetype scanLimit = 2'000'000;
// From this length on only the characters around the visible ones are coloured.
constexpr qsizetype largeText = 40'001;
// How far the coloured window reaches beyond the visible characters.
constexpr qsizetype colourMargin = 20'000;

bool isScannable(qsizetype length);
bool isLargeText(qsizetype length);

// The characters to colour in a text of `length` of which `visible` is on screen: the whole text,
// or for a large text the visible characters widened by the margin. Without a visible range the
// whole text.
CharRange colourWindow(qsizetype length, std::optional<CharRange> visible);

}
