#include "editor/ScanWindow.h"

#include <gtest/gtest.h>

TEST(ScanWindow, ColourWindowFollowsLengthAndVisibleRange)
{
    const struct {
        const char *name;
        qsizetype length;
        std::optional<CharRange> visible;
        CharRange expected;
    } cases[] = {
        { "short text", 40'000, CharRange { 38'000, 40'000 }, { 0, 40'000 } },
        { "large text, start", 40'001, CharRange { 0, 3'000 }, { 0, 23'000 } },
        { "large text, middle", 40'001, CharRange { 20'000, 20'001 }, { 0, 40'001 } },
        { "large text, just past the margin", 40'001, CharRange { 20'001, 20'002 }, { 1, 40'001 } },
        { "large text, end", 40'001, CharRange { 38'000, 40'001 }, { 18'000, 40'001 } },
        { "large text, nothing visible", 40'001, std::nullopt, { 0, 40'001 } },
        { "huge text, middle", 64'000'000, CharRange { 30'000'000, 30'004'000 },
            { 29'980'000, 30'024'000 } },
        { "empty text", 0, CharRange { 0, 0 }, { 0, 0 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScanWindow::colourWindow(c.length, c.visible), c.expected);
    }
}

TEST(ScanWindow, RangesFollowEditsAndNewTextJoinsOnlyInside)
{
    const struct {
        const char *name;
        qsizetype position, removed, added;
        CharRange expected;
    } cases[] = {
        // All edits are made to the range 10-20.
        { "insert before", 5, 0, 3, { 13, 23 } },
        { "insert at the start stays outside", 10, 0, 3, { 13, 23 } },
        { "insert inside widens", 15, 0, 3, { 10, 23 } },
        { "insert at the end stays outside", 20, 0, 3, { 10, 20 } },
        { "delete before", 2, 4, 0, { 6, 16 } },
        { "delete the head", 8, 4, 0, { 8, 16 } },
        { "delete the tail", 18, 4, 0, { 10, 18 } },
        { "delete inside", 12, 4, 0, { 10, 16 } },
        { "replace the tail", 15, 5, 2, { 10, 15 } },
        { "replace the head", 10, 2, 5, { 15, 23 } },
        { "replace it all", 5, 20, 4, { 9, 9 } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            ScanWindow::shiftedForEdit({ 10, 20 }, c.position, c.removed, c.added), c.expected);
    }
}
