#include "editor/ScanWindow.h"

#include <gtest/gtest.h>

namespace
{

struct WindowCase {
    const char *name;
    qsizetype length;
    std::optional<CharRange> visible;
    CharRange expected;
};

}

TEST(ScanWindow, ColourWindowFollowsLengthAndVisibleRange)
{
    const WindowCase cases[] = {
        { "short text, start", 40'000, CharRange { 0, 3'000 }, { 0, 40'000 } },
        { "short text, middle", 40'000, CharRange { 19'000, 21'000 }, { 0, 40'000 } },
        { "short text, end", 40'000, CharRange { 38'000, 40'000 }, { 0, 40'000 } },
        { "large text, start", 40'001, CharRange { 0, 3'000 }, { 0, 23'000 } },
        { "large text, middle", 40'001, CharRange { 20'000, 20'001 }, { 0, 40'001 } },
        { "large text, just past the margin", 40'001, CharRange { 20'001, 20'002 }, { 1, 40'001 } },
        { "large text, end", 40'001, CharRange { 38'000, 40'001 }, { 18'000, 40'001 } },
        { "large text, nothing visible", 40'001, std::nullopt, { 0, 40'001 } },
        { "huge text, middle", 64'000'000, CharRange { 30'000'000, 30'004'000 },
            { 29'980'000, 30'024'000 } },
        { "huge text, end", 64'000'000, CharRange { 63'999'000, 64'000'000 },
            { 63'979'000, 64'000'000 } },
        { "empty text", 0, CharRange { 0, 0 }, { 0, 0 } },
    };
    for (const WindowCase &c : cases) {
        SCOPED_TRACE(c.name);
        const CharRange window = ScanWindow::colourWindow(c.length, c.visible);
        EXPECT_EQ(window.start, c.expected.start);
        EXPECT_EQ(window.end, c.expected.end);
    }
}

TEST(ScanWindow, LimitsAreInclusiveWhereTheyShouldBe)
{
    EXPECT_FALSE(ScanWindow::isScannable(0));
    EXPECT_TRUE(ScanWindow::isScannable(1));
    EXPECT_TRUE(ScanWindow::isScannable(2'000'000));
    EXPECT_FALSE(ScanWindow::isScannable(2'000'001));
    EXPECT_FALSE(ScanWindow::isLargeText(40'000));
    EXPECT_TRUE(ScanWindow::isLargeText(40'001));
}

TEST(ScanWindow, RangesFollowEditsAndNewTextJoinsOnlyInside)
{
    struct EditCase {
        const char *name;
        CharRange range;
        qsizetype position, removed, added;
        CharRange expected;
    };
    const EditCase cases[] = {
        { "insert before", { 10, 20 }, 5, 0, 3, { 13, 23 } },
        { "insert at the start stays outside", { 10, 20 }, 10, 0, 3, { 13, 23 } },
        { "insert inside widens", { 10, 20 }, 15, 0, 3, { 10, 23 } },
        { "insert at the end stays outside", { 10, 20 }, 20, 0, 3, { 10, 20 } },
        { "insert after", { 10, 20 }, 25, 0, 3, { 10, 20 } },
        { "delete before", { 10, 20 }, 2, 4, 0, { 6, 16 } },
        { "delete the head", { 10, 20 }, 8, 4, 0, { 8, 16 } },
        { "delete the tail", { 10, 20 }, 18, 4, 0, { 10, 18 } },
        { "delete inside", { 10, 20 }, 12, 4, 0, { 10, 16 } },
        { "replace the tail", { 10, 20 }, 15, 5, 2, { 10, 15 } },
        { "replace the head", { 10, 20 }, 10, 2, 5, { 15, 23 } },
        { "replace it all", { 10, 20 }, 5, 20, 4, { 9, 9 } },
    };
    for (const EditCase &c : cases) {
        SCOPED_TRACE(c.name);
        const CharRange moved = ScanWindow::shiftedForEdit(c.range, c.position, c.removed, c.added);
        EXPECT_EQ(moved.start, c.expected.start);
        EXPECT_EQ(moved.end, c.expected.end);
    }
}
