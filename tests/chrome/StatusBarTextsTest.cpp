#include "TestSupport.h"
#include "chrome/StatusTexts.h"
#include "common/Defaults.h"

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace
{

struct PlaceCase {
    const char16_t *text;
    qsizetype offset;
    CaretPlace place;
};

}

TEST(StatusBarTexts, CaretPlaceCountsLineFeedsAndCodeUnits)
{
    const PlaceCase cases[] = {
        { u"", 0, { 1, 1 } },
        { u"abc", 0, { 1, 1 } },
        { u"abc", 3, { 1, 4 } },
        { u"abc\n", 3, { 1, 4 } },
        // After a final line feed: one line more, first column.
        { u"abc\n", 4, { 2, 1 } },
        { u"a\nbc\ndef", 5, { 3, 1 } },
        { u"a\nbc\ndef", 7, { 3, 3 } },
        { u"\n\n\n", 2, { 3, 1 } },
        // A carriage return is an ordinary character here.
        { u"ab\r\ncd", 3, { 1, 4 } },
        { u"ab\r\ncd", 5, { 2, 2 } },
        // A character outside the BMP counts as two code units.
        { u"\U0001F600x", 3, { 1, 4 } },
        // Offsets beyond either end are clamped.
        { u"ab\ncd", 99, { 2, 3 } },
        { u"ab\ncd", -4, { 1, 1 } },
    };
    for (const PlaceCase &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(caretPlace(text, c.offset), c.place) << text.toStdString() << " @" << c.offset;
    }
}

TEST(StatusBarTexts, CaretTextWithAndWithoutSelection)
{
    EXPECT_EQ(caretText({ 1, 1 }, 0), "Ln 1, Col 1");
    EXPECT_EQ(caretText({ 12, 5 }, 0), "Ln 12, Col 5");
    EXPECT_EQ(caretText({ 3, 1 }, 30), "Ln 3, Col 1 (30 selected)");
    // Plain decimal, never grouped.
    EXPECT_EQ(caretText({ 123456, 10001 }, 2500000), "Ln 123456, Col 10001 (2500000 selected)");

    // A selection over several lines reports its start and its whole length.
    const QString text = QStringLiteral("one\ntwo\nthree");
    const qsizetype start = 5, end = 10;
    EXPECT_EQ(caretText(caretPlace(text, start), end - start), "Ln 2, Col 2 (5 selected)");
}

TEST(StatusBarTexts, EncodingNames)
{
    const std::pair<StatusEncoding, const char *> names[] = {
        { StatusEncoding::Utf8, "UTF-8" },
        { StatusEncoding::Utf16LE, "UTF-16" },
        { StatusEncoding::Utf16BE, "UTF-16" },
        { StatusEncoding::Latin1, "Latin-1" },
        { StatusEncoding::MacRoman, "Mac Roman" },
        { StatusEncoding::Ascii, "ASCII" },
        { StatusEncoding::Utf32LE, "Other" },
        { StatusEncoding::Utf32BE, "Other" },
    };
    for (const auto &[encoding, name] : names)
        EXPECT_EQ(encodingName(encoding), name) << int(encoding);
}

TEST(StatusBarTexts, RightTextItemsInOrder)
{
    EXPECT_EQ(statusRightText(4, StatusEncoding::Utf8, false), "Spaces: 4   UTF-8");
    EXPECT_EQ(
        statusRightText(2, StatusEncoding::Latin1, true), "Old version   Spaces: 2   Latin-1");
    EXPECT_EQ(statusRightText(8, StatusEncoding::Utf16BE, false), "Spaces: 8   UTF-16");
    // Without a current document only the indent is left.
    EXPECT_EQ(statusRightText(3, std::nullopt, false), "Spaces: 3");
}

TEST(StatusBarTexts, IndentTextFollowsTheStoredWidth)
{
    testsupport::clearSettings();
    EXPECT_EQ(indentText(Defaults::indentWidth()), "Spaces: 2");
    const std::pair<int, const char *> stored[]
        = { { 0, "Spaces: 2" }, { 12, "Spaces: 8" }, { -3, "Spaces: 1" }, { 5, "Spaces: 5" } };
    for (const auto &[width, shown] : stored) {
        Defaults::set(Defaults::IndentWidth, width);
        EXPECT_EQ(indentText(Defaults::indentWidth()), shown) << width;
    }
    testsupport::clearSettings();
}

TEST(StatusBarTexts, LargeTextsWaitBeforeRefreshing)
{
    EXPECT_EQ(statusRefreshDelay(0), 0ms);
    EXPECT_EQ(statusRefreshDelay(500000), 0ms);
    EXPECT_EQ(statusRefreshDelay(500001), 100ms);
    EXPECT_EQ(statusRefreshDelay(60000000), 100ms);
}
