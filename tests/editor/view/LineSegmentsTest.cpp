#include "editor/view/LineSegments.h"

#include "editor/view/LayoutCache.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace
{

// Every segment start of a line, each found from its window alone.
std::vector<qsizetype> startsOf(const QString &line, qsizetype size)
{
    std::vector<qsizetype> starts { 0 };
    const qsizetype count = LineSegments::count(line.size(), size);
    for (qsizetype segment = 1; segment < count; ++segment) {
        const qsizetype from = LineSegments::windowStart(segment, size);
        const qsizetype to = LineSegments::windowEnd(segment, size, line.size());
        starts.push_back(LineSegments::start(segment, size, QStringView(line).mid(from, to - from)));
    }
    starts.push_back(line.size());
    return starts;
}

QString segmentText(const QString &line, const std::vector<qsizetype> &starts, size_t segment)
{
    return line.mid(starts[segment], starts[segment + 1] - starts[segment]);
}

}

TEST(LineSegments, OnlyVeryLongLinesAreSplitNearTheirSizeAfterASpaceAndNeverInsideAPair)
{
    constexpr qsizetype size = 256;
    EXPECT_EQ(LineSegments::count(LineSegments::longLine, size), 1);
    EXPECT_EQ(LineSegments::count(LineSegments::longLine + 1, size),
        (LineSegments::longLine + size) / size);

    // Punctuation nearer than spaces: every end still falls just after a space.
    QString words;
    while (words.size() < 20 * size)
        words += QStringLiteral("ab, cd;");
    const std::vector<qsizetype> wordStarts = startsOf(words, size);
    for (size_t segment = 1; segment + 1 < wordStarts.size(); ++segment) {
        const qsizetype start = wordStarts[segment];
        EXPECT_EQ(words.at(start - 1), u' ') << segment;
        EXPECT_LE(start, qsizetype(segment) * size);
        EXPECT_GT(start, qsizetype(segment) * size - 8);
    }

    // No spaces, and a surrogate pair across every grid column: the pair stays whole.
    QString pairs(20 * size, u'x');
    const QString face = QString::fromUcs4(U"\U0001F600");
    for (qsizetype segment = 1; segment < 20; ++segment) {
        pairs[segment * size - 1] = face[0];
        pairs[segment * size] = face[1];
    }
    const std::vector<qsizetype> pairStarts = startsOf(pairs, size);
    ASSERT_EQ(pairStarts.size(), 21u);
    for (size_t segment = 1; segment + 1 < pairStarts.size(); ++segment) {
        EXPECT_EQ(pairStarts[segment], qsizetype(segment) * size - 1) << segment;
        EXPECT_FALSE(pairs.at(pairStarts[segment]).isLowSurrogate());
    }
}

TEST(LineSegments, SegmentsBeforeAnEditKeepTheirText)
{
    constexpr qsizetype size = 256;
    QRandomGenerator random(11);
    const QString alphabet = QStringLiteral("ab c,d ef(g);");
    QString line;
    for (int i = 0; i < 40 * size; ++i)
        line += alphabet[random.bounded(int(alphabet.size()))];
    const std::vector<qsizetype> before = startsOf(line, size);
    for (int round = 0; round < 200; ++round) {
        const qsizetype column = random.bounded(int(line.size()));
        const qsizetype removed = random.bounded(3);
        QString edited = line;
        edited.replace(column, removed, QStringLiteral("x ").left(random.bounded(3)));
        const std::vector<qsizetype> after = startsOf(edited, size);
        const qsizetype kept = LineSegments::keptBefore(column, size);
        for (qsizetype segment = 0; segment < kept; ++segment) {
            ASSERT_EQ(segmentText(edited, after, segment), segmentText(line, before, segment))
                << "edit at " << column << ", segment " << segment;
        }
        // The segment holding the edit is never counted as kept.
        ASSERT_LE(before[kept], column);
    }
}

TEST(LineSegments, TheCacheKeepsASegmentsBeforeAnEditInItsLine)
{
    LayoutCache cache(100);
    for (qsizetype segment = 0; segment < 5; ++segment)
        cache.insert(7, segment, std::make_unique<QTextLayout>(QString::number(segment)));
    cache.insert(8, std::make_unique<QTextLayout>(QStringLiteral("next")));
    cache.follow(7, 0, 1, 2);
    EXPECT_TRUE(cache.contains(7, 0));
    EXPECT_TRUE(cache.contains(7, 1));
    EXPECT_FALSE(cache.contains(7, 2));
    EXPECT_FALSE(cache.contains(7, 4));
    ASSERT_TRUE(cache.contains(9));
    EXPECT_EQ(cache.find(9)->text(), QStringLiteral("next"));
    cache.remove(7);
    EXPECT_EQ(cache.size(), 1);
}
