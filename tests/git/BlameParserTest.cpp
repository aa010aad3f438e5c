#include "git/BlameTable.h"
#include "git/IncrementalBlameParser.h"

#include "TestRepo.h"

#include <gtest/gtest.h>

namespace
{

const QString ada = "2adce85efc57632fdd4ccfc07735f8e1f7fc218f";
const QString zoe = "b04d1cc145bed45325cebd361c11fe6b692b7941";
const QString zeros(40, u'0');

// The recorded output of blaming seven lines, the fourth typed but not saved.
BlameTable tableOf(const QList<BlameRange> &ranges)
{
    BlameTable table = BlameTable::withLines(7);
    for (const BlameRange &range : ranges)
        table.apply(range);
    return table;
}

TEST(IncrementalBlameParser, RecordedOutputAttributesEveryLine)
{
    IncrementalBlameParser parser;
    const auto ranges = parser.feed(fixture("blame-incremental.txt"));
    ASSERT_EQ(ranges.size(), 5);
    EXPECT_EQ(ranges[0].info.sha, zeros);
    EXPECT_EQ(ranges[0].info.author, "Not Committed Yet");
    EXPECT_EQ(ranges[0].info.email, "not.committed.yet");
    // git describes a commit once; its second entry gets the first one's description.
    EXPECT_EQ(ranges[2],
        (BlameRange { { zoe, QString::fromUtf8("Zoë Ŝmith"), "zoe@example.com",
                          QDateTime::fromSecsSinceEpoch(1700003600, Qt::UTC),
                          QString::fromUtf8("Split\x1fsubject with a unit separator 😀") },
            7, 1 }));
    EXPECT_EQ(ranges[4].info, ranges[3].info);

    const BlameTable table = tableOf(ranges);
    EXPECT_EQ(table.marks, (std::vector<qint32> { 1, 1, 0, BlameTable::draftMark, 1, 1, 0 }));
    EXPECT_EQ(table.lookup(4).kind, BlameLookup::Kind::draft);
    EXPECT_EQ(table.lookup(4).shownInfo(), BlameInfo::draft());
    EXPECT_EQ(table.lookup(5).info.summary, "First commit");
    EXPECT_EQ(table.lookup(0), BlameLookup());
    EXPECT_EQ(table.lookup(8).shownInfo(), std::nullopt);
}

TEST(IncrementalBlameParser, AnySplitOfTheBytesGivesTheSameRanges)
{
    // The output holds two- and four-byte characters; every cut point is tried, in the middle
    // of lines and of characters.
    const QByteArray output = fixture("blame-incremental.txt");
    IncrementalBlameParser whole;
    const auto expected = whole.feed(output);
    for (qsizetype cut = 1; cut < output.size(); ++cut) {
        IncrementalBlameParser parser;
        auto ranges = parser.feed(output.first(cut));
        ranges += parser.feed(output.sliced(cut));
        ASSERT_EQ(ranges, expected) << "cut at " << cut;
    }
    // One byte at a time.
    IncrementalBlameParser bytewise;
    QList<BlameRange> ranges;
    for (char byte : output)
        ranges += bytewise.feed(QByteArrayView(&byte, 1));
    EXPECT_EQ(ranges, expected);
}

TEST(IncrementalBlameParser, MalformedLinesAreIgnored)
{
    const QString sha39 = ada.left(39);
    const struct {
        const char *why;
        QString output;
        QList<qsizetype> firstLines; // of the ranges produced
    } cases[] = {
        { "39-digit sha", sha39 + " 1 1 1\nfilename f\n", {} },
        { "counts not numbers", ada + " 1 x 1\nfilename f\n" + ada + " 1 2 one\nfilename f\n", {} },
        { "five pieces", ada + " 1 1 1 1\nfilename f\n", {} },
        { "not hexadecimal", QString(40, u'g') + " 1 1 1\nfilename f\n", {} },
        { "double spaces", ada + "  1  3  1\nfilename f\n", { 3 } },
        { "junk between entries", "hello\n" + ada + " 1 2 1\nmystery line\nfilename f\n", { 2 } },
        { "64-digit sha", ada + ada.left(24) + " 1 4 1\nfilename f\n", { 4 } },
    };
    for (const auto &c : cases) {
        IncrementalBlameParser parser;
        QList<qsizetype> firstLines;
        for (const BlameRange &range : parser.feed(c.output.toUtf8()))
            firstLines.append(range.firstLine);
        EXPECT_EQ(firstLines, c.firstLines) << c.why;
    }

    // Without an author-time line the date is 1970; angle brackets go from the email.
    IncrementalBlameParser parser;
    const auto ranges = parser.feed(
        QString(ada + " 1 1 1\nauthor-mail <<a@b>>\nauthor-time soon\nfilename f\n").toUtf8());
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].info.email, "a@b");
    EXPECT_EQ(ranges[0].info.date, QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
}

TEST(BlameTable, RangesAreClippedToTheText)
{
    const BlameInfo info { ada, "Ada", "", {}, "s" };
    BlameTable table = BlameTable::withLines(3);
    table.apply({ info, 0, 2 });
    table.apply({ info, 1, 0 });
    table.apply({ info, 4, 1 });
    EXPECT_EQ(table.marks, (std::vector<qint32> { -2, -2, -2 }));
    table.apply({ info, 2, 10 });
    table.apply({ { zeros, "", "", {}, "" }, 1, 1 });
    EXPECT_EQ(table.marks, (std::vector<qint32> { -1, 0, 0 }));
    EXPECT_EQ(table.commits.size(), 1);
}

// Line i (1-based) of a 20-line table carries the mark i.
BlameTable numbered()
{
    BlameTable table = BlameTable::withLines(20);
    for (qint32 i = 0; i < 20; ++i)
        table.marks[size_t(i)] = i + 1;
    return table;
}

TEST(BlameTable, EditsTurnTheirLinesIntoDraftsAndMoveTheRest)
{
    // A line break typed on line 10: lines 10 and 11 are drafts, the rest moves down one.
    BlameTable typed = numbered();
    ASSERT_TRUE(typed.absorbEdit(10, 1, 21));
    EXPECT_EQ(typed.marks[8], 9);
    EXPECT_EQ(typed.marks[9], -1);
    EXPECT_EQ(typed.marks[10], -1);
    EXPECT_EQ(typed.marks[11], 11);
    EXPECT_EQ(typed.marks[20], 20);

    // Lines 5 to 7 joined into one: line 5 is a draft, line 8 moves up to line 6.
    BlameTable joined = numbered();
    ASSERT_TRUE(joined.absorbEdit(5, 0, 18));
    EXPECT_EQ(joined.marks,
        (std::vector<qint32> { 1, 2, 3, 4, -1, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 }));

    // A character typed on the last line; a paste of three lines replacing two.
    BlameTable last = numbered();
    ASSERT_TRUE(last.absorbEdit(20, 0, 20));
    EXPECT_EQ(last.marks.back(), -1);
    BlameTable pasted = numbered();
    ASSERT_TRUE(pasted.absorbEdit(2, 2, 21));
    EXPECT_EQ(std::vector<qint32>(pasted.marks.begin(), pasted.marks.begin() + 6),
        (std::vector<qint32> { 1, -1, -1, -1, 4, 5 }));

    // Numbers that cannot come from an edit of this table.
    for (auto [line, breaks, total] :
        { std::tuple { 0, 0, 20 }, { 22, 0, 20 }, { 3, 0, 22 }, { 3, -1, 19 }, { 19, 0, 15 } }) {
        BlameTable table = numbered();
        EXPECT_FALSE(table.absorbEdit(line, breaks, total))
            << line << " " << breaks << " " << total;
    }
}

}
