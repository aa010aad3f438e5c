#include "navigation/Ranking.h"

#include <gtest/gtest.h>

#include <optional>

namespace
{

struct ScoreCase {
    const char16_t *q;
    const char16_t *candidate;
    std::optional<int> expected;
};

// Worked by hand: each matched character 2 × run + 1, 5 at a word start, 20 for a prefix or 10
// for a substring, less a quarter of the candidate's length.
const ScoreCase scoreCases[] = {
    { u"ab", u"ab.txt", 32 }, // 3 + 5, 5, prefix 20, less 1
    { u"ab", u"xab", 18 }, // 3, 5, substring 10
    { u"ab", u"a_b", 16 }, // 3 + 5, 3 + 5 after "_"
    { u"abc", u"abc", 40 }, // 3 + 5, 5, 7, prefix 20
    { u"fb", u"foo/bar.cpp", 14 }, // 3 + 5, 3 + 5 after "/", less 2
    { u"ab", u"a-ab", 20 }, // first occurrences: a at 0, b at 3 after a letter; substring; less 1
    { u"b", u"1b", 13 }, // a digit before is no word start
    { u"2", u"v.2", 18 }, // 3 + 5 after ".", substring 10
    { u"x", u"\u00e9x", 13 }, // a non-ASCII letter before is no word start
    { u"a", u"axxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", 18 }, // 40 long: less 10
    { u"ba", u"ab", std::nullopt }, // order matters
    { u"aa", u"a", std::nullopt }, // each character needs its own match
    { u"x", u"", std::nullopt },
};

QStringList names(const QList<const char16_t *> &list)
{
    QStringList result;
    for (const char16_t *name : list)
        result.append(QString::fromUtf16(name));
    return result;
}

QList<int> firstIndexes(int count)
{
    QList<int> indexes;
    for (int i = 0; i < count; ++i)
        indexes.append(i);
    return indexes;
}

}

TEST(Ranking, ScoreTable)
{
    for (const ScoreCase &row : scoreCases)
        EXPECT_EQ(score(QStringView(row.q), QStringView(row.candidate)), row.expected)
            << QString::fromUtf16(row.q).toStdString() << " in "
            << QString::fromUtf16(row.candidate).toStdString();
}

TEST(Ranking, EmptyOrBlankQueryKeepsListOrderUpTo200)
{
    QStringList many;
    for (int i = 0; i < 250; ++i)
        many.append(QStringLiteral("f%1").arg(i));
    EXPECT_EQ(rank(u"", many, many), firstIndexes(200));
    EXPECT_EQ(rank(u"  \t ", many, many), firstIndexes(200));
    EXPECT_EQ(rank(u" ", many.mid(0, 3), many.mid(0, 3)), firstIndexes(3));
}

TEST(Ranking, QueryIsLowerCasedAndSpacesIgnored)
{
    const QStringList list = names({ u"domain.cpp", u"main.cpp", u"readme" });
    EXPECT_EQ(rank(u"Ma In", list, list), rank(u"main", list, list));
    EXPECT_EQ(rank(u"Ma In", list, list), QList<int>({ 1, 0 }));
}

TEST(Ranking, AnyNameMatchAboveEveryPathMatch)
{
    // The folder "src" scores high on the paths, a name holding s, r, c far apart scores low.
    const QStringList lowerPaths = names(
        { u"src/a.cpp", u"docs/s_r_c_notes_and_more_words.txt", u"lib/other.cpp", u"src/b.cpp" });
    const QStringList lowerNames
        = names({ u"a.cpp", u"s_r_c_notes_and_more_words.txt", u"other.cpp", u"b.cpp" });
    EXPECT_EQ(rank(u"src", lowerNames, lowerPaths), QList<int>({ 1, 0, 3 }));
}

TEST(Ranking, EqualScoresKeepListOrderAcrossTheCut)
{
    QStringList lowerPaths;
    QStringList lowerNames;
    for (int i = 0; i < 300; ++i) {
        lowerPaths.append(QStringLiteral("d%1/readme.md").arg(i, 3, 10, QLatin1Char('0')));
        lowerNames.append(QStringLiteral("readme.md"));
    }
    // A better match at the end still comes first; the rest keep their order.
    lowerPaths.append(QStringLiteral("readme"));
    lowerNames.append(QStringLiteral("readme"));
    QList<int> expected { 300 };
    expected += firstIndexes(199);
    EXPECT_EQ(rank(u"readme", lowerNames, lowerPaths), expected);
}

// Equal names: the header at the top of include/ before the one deep in asm-generic/, and the
// shorter of two equally deep paths, whatever the list order.
TEST(Ranking, EqualScoresPreferShallowerThenShorterPaths)
{
    const QStringList lowerPaths = names({ u"arch/x86/include/asm-generic/unistd.h",
        u"include/asm-generic/unistd.h", u"include/unistd.h", u"tools/unistd.h", u"lib/unistd.h" });
    const QStringList lowerNames
        = names({ u"unistd.h", u"unistd.h", u"unistd.h", u"unistd.h", u"unistd.h" });
    EXPECT_EQ(rank(u"unistd", lowerNames, lowerPaths), QList<int>({ 4, 3, 2, 1, 0 }));
}
