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
