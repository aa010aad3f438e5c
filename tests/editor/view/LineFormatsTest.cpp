#include "editor/view/LineFormats.h"

#include <gtest/gtest.h>

namespace
{

QTextLayout::FormatRange range(int start, int length, Qt::GlobalColor colour = Qt::blue)
{
    QTextLayout::FormatRange made;
    made.start = start;
    made.length = length;
    made.format.setForeground(QColor(colour));
    return made;
}

// start:length of each range of the line.
std::vector<std::pair<int, int>> spansOf(const LineFormats &formats, qsizetype line)
{
    std::vector<std::pair<int, int>> spans;
    for (const QTextLayout::FormatRange &r : formats.of(line))
        spans.emplace_back(r.start, r.length);
    return spans;
}

using Spans = std::vector<std::pair<int, int>>;

}

TEST(LineFormats, TypingInALineKeepsEachColourOnItsCharacters)
{
    LineFormats formats;
    // "int value = 42;" with "int" at 0..3, "value" at 4..9, "42" at 12..14.
    formats.set(7, { range(0, 3), range(4, 5), range(12, 2) });

    formats.follow(7, 6, 0, 2, 0, 0); // two characters typed inside "value"
    EXPECT_EQ(spansOf(formats, 7), (Spans { { 0, 3 }, { 4, 7 }, { 14, 2 } }));

    formats.follow(7, 4, 0, 1, 0, 0); // one typed right before "value": not part of it
    EXPECT_EQ(spansOf(formats, 7), (Spans { { 0, 3 }, { 5, 7 }, { 15, 2 } }));

    formats.follow(7, 2, 4, 0, 0, 0); // "t" of int and the next three characters removed
    EXPECT_EQ(spansOf(formats, 7), (Spans { { 0, 2 }, { 2, 6 }, { 11, 2 } }));

    formats.follow(7, 0, 30, 0, 0, 0); // everything removed
    EXPECT_TRUE(formats.of(7).isEmpty());
}

TEST(LineFormats, BreaksRenumberLaterLinesAndCutTheSplitLine)
{
    LineFormats formats;
    formats.set(1, { range(0, 4) });
    formats.set(2, { range(0, 3), range(6, 3) });
    formats.set(3, { range(1, 1) });
    formats.set(9, { range(2, 2) });

    formats.follow(2, 5, 0, 1, 0, 1); // Return at column 5 of line 2
    EXPECT_EQ(spansOf(formats, 1), (Spans { { 0, 4 } }));
    EXPECT_EQ(spansOf(formats, 2), (Spans { { 0, 3 } })) << "the part after the break waits";
    EXPECT_TRUE(formats.of(3).isEmpty());
    EXPECT_EQ(spansOf(formats, 4), (Spans { { 1, 1 } }));
    EXPECT_EQ(spansOf(formats, 10), (Spans { { 2, 2 } }));

    formats.follow(1, 2, 20, 0, 3, 0); // lines 1 to 4 joined from column 2 of line 1
    EXPECT_EQ(spansOf(formats, 1), (Spans { { 0, 2 } }));
    EXPECT_TRUE(formats.of(2).isEmpty());
    EXPECT_EQ(spansOf(formats, 7), (Spans { { 2, 2 } }));

    formats.set(7, {});
    formats.set(1, {});
    EXPECT_TRUE(formats.isEmpty());
}
