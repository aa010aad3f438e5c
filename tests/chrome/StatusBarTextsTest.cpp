#include "chrome/StatusTexts.h"
#include "editor/buffer/TextBuffer.h"

#include <gtest/gtest.h>

#include <optional>

TEST(StatusBarTexts, CaretPlaceCountsLineBreaksAndCodeUnits)
{
    const struct {
        const char16_t *text;
        qsizetype offset;
        CaretPlace place;
    } cases[] = {
        { u"", 0, { 1, 1 } },
        { u"abc", 3, { 1, 4 } },
        { u"abc\n", 3, { 1, 4 } },
        // After a final line feed: one line more, first column.
        { u"abc\n", 4, { 2, 1 } },
        { u"a\nbc\ndef", 5, { 3, 1 } },
        { u"a\nbc\ndef", 7, { 3, 3 } },
        { u"\n\n\n", 2, { 3, 1 } },
        // Every kind of break is one position and ends a line.
        { u"ab\r\ncd", 3, { 2, 1 } },
        { u"ab\r\ncd", 4, { 2, 2 } },
        { u"a\rb\u2029c", 4, { 3, 1 } },
        // A character outside the BMP counts as two code units.
        { u"\U0001F600x", 3, { 1, 4 } },
        // Offsets beyond either end are clamped.
        { u"ab\ncd", 99, { 2, 3 } },
        { u"ab\ncd", -4, { 1, 1 } },
    };
    for (const auto &c : cases) {
        TextBuffer text;
        text.setFileText(QString::fromUtf16(c.text));
        EXPECT_EQ(caretPlace(text, c.offset), c.place) << text.fileText().toStdString() << " @" << c.offset;
    }
}

TEST(StatusBarTexts, CaretAndRightTexts)
{
    EXPECT_EQ(caretText({ 12, 5 }, 0), "Ln 12, Col 5");
    // Plain decimal, never grouped.
    EXPECT_EQ(caretText({ 123456, 10001 }, 2500000), "Ln 123456, Col 10001 (2500000 selected)");
    // A selection over several lines reports its start and its whole length.
    EXPECT_EQ(caretText({ 2, 2 }, 5), "Ln 2, Col 2 (5 selected)");

    EXPECT_EQ(statusRightText(4, StatusEncoding::Utf8, false), "Spaces: 4   UTF-8");
    EXPECT_EQ(
        statusRightText(2, StatusEncoding::Latin1, true), "Old version   Spaces: 2   Latin-1");
    // Without a current document only the indent is left.
    EXPECT_EQ(statusRightText(3, std::nullopt, false), "Spaces: 3");
}
