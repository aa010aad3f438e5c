#include "editor/TextFinder.h"

#include <QLocale>
#include "editor/buffer/TextBuffer.h"
#include <gtest/gtest.h>

#include <vector>

namespace
{

using Match = TextFinder::Match;
using Matches = std::vector<Match>;
using Tally = TextFinder::Tally;

constexpr TextFinder::Options plain {};
constexpr TextFinder::Options regex { false, true };

Matches all(const QString &pattern, TextFinder::Options options, const QString &text)
{
    Matches found;
    TextFinder(pattern, options).forEachMatch(text, 0, int(text.size()), [&](Match m) {
        found.push_back(m);
        return true;
    });
    return found;
}

TEST(TextFinderTest, NextAndPreviousWrapAroundTheEnds)
{
    const QString text = QStringLiteral("one two one two one");
    const TextFinder finder(QStringLiteral("one"), plain);
    EXPECT_EQ(finder.next(text, 1), (Match { 8, 3 }));
    EXPECT_EQ(finder.next(text, 17), (Match { 0, 3 }));
    EXPECT_EQ(finder.previous(text, 16), (Match { 8, 3 }));
    EXPECT_EQ(finder.previous(text, 0), (Match { 16, 3 }));
    EXPECT_FALSE(TextFinder(QStringLiteral("three"), plain).next(text, 5));
    EXPECT_FALSE(TextFinder(QStringLiteral("three"), plain).previous(text, 5));
    // Far behind the first stretch Find Previous looks at.
    const QString far = QStringLiteral("x needle ") + QString(200000, u'.');
    EXPECT_EQ(TextFinder(QStringLiteral("needle"), plain).previous(far, 190000), (Match { 2, 6 }));
    // Backwards, matches fall where a search from the start puts them: "aa" at 2, never at 1.
    EXPECT_EQ(TextFinder(QStringLiteral("aa"), plain).previous(QStringLiteral("aaaa"), 4),
        (Match { 2, 2 }));
}

TEST(TextFinderTest, CaseAndRegularExpressionOptions)
{
    const QString text = QStringLiteral("Foo foo FOO f.o");
    EXPECT_EQ(all(QStringLiteral("foo"), plain, text).size(), 3u);
    EXPECT_EQ(all(QStringLiteral("foo"), { true, false }, text), (Matches { { 4, 3 } }));
    EXPECT_EQ(all(QStringLiteral("f.o"), plain, text), (Matches { { 12, 3 } }));
    EXPECT_EQ(all(QStringLiteral("f.o"), { true, true }, text), (Matches { { 4, 3 }, { 12, 3 } }));

    const TextFinder broken(QStringLiteral("(unclosed"), regex);
    EXPECT_FALSE(broken.isValid());
    EXPECT_FALSE(broken.errorString().isEmpty());
    EXPECT_FALSE(broken.next(QStringLiteral("(unclosed"), 0));
    EXPECT_EQ(broken.locate(QStringLiteral("(unclosed"), 0).tally, Tally {});
    EXPECT_EQ(TextFinder(QStringLiteral("(unclosed"), plain).next(QStringLiteral("(unclosed"), 0),
        (Match { 0, 9 }));
}

TEST(TextFinderTest, RegularExpressionsSeeLinesAndLineBreaks)
{
    const QString text = QStringLiteral("alpha beta\ngamma delta\n");
    EXPECT_EQ(all(QStringLiteral("\\w+$"), regex, text), (Matches { { 6, 4 }, { 17, 5 } }));
    EXPECT_EQ(all(QStringLiteral("^\\w"), regex, text), (Matches { { 0, 1 }, { 11, 1 } }));
    EXPECT_EQ(all(QStringLiteral("beta\\s+gamma"), regex, text), (Matches { { 6, 10 } }));
    EXPECT_TRUE(all(QStringLiteral("beta.gamma"), regex, text).empty());
    // Empty matches are never reported.
    EXPECT_EQ(all(QStringLiteral("x*"), regex, QStringLiteral("ab xx")), (Matches { { 3, 2 } }));
}

TEST(TextFinderTest, DocumentTextKeepsPositionsAndIsValidUtf16)
{
    TextBuffer document;
    document.setFileText(QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(TextFinder::textOf(document), QStringLiteral("one\ntwo"));
    // An unpaired surrogate becomes a replacement character in place; a pair stays.
    document.setFileText(QString(QChar(0xD800)) + QStringLiteral("x \U0001F600y"));
    const QString mended = TextFinder::textOf(document);
    EXPECT_EQ(
        mended, QString(QChar(QChar::ReplacementCharacter)) + QStringLiteral("x \U0001F600y"));
    EXPECT_EQ(TextFinder(QStringLiteral("y"), regex).next(mended, 0), (Match { 5, 1 }));
}

TEST(TextFinderTest, LocateCountsUpToTheLimit)
{
    const QString text = QStringLiteral("a a a a a");
    const TextFinder finder(QStringLiteral("a"), plain);
    EXPECT_EQ(finder.locate(text, 3).match, (Match { 4, 1 }));
    EXPECT_EQ(finder.locate(text, 3).tally, (Tally { 3, 5, false }));
    EXPECT_EQ(finder.locate(text, 9).match, (Match { 0, 1 }));
    EXPECT_EQ(finder.locate(text, 0, 5).tally, (Tally { 1, 5, false }));
    EXPECT_EQ(finder.locate(text, 0, 4).tally, (Tally { 1, 4, true }));
    // A match beyond the limit is still found, its place unknown.
    EXPECT_EQ(finder.locate(text, 7, 2).match, (Match { 8, 1 }));
    EXPECT_EQ(finder.locate(text, 7, 2).tally, (Tally { 0, 2, true }));
    EXPECT_EQ(finder.locate(QString(50000, u'a'), 0).tally, (Tally { 1, 1000, true }));
}

TEST(TextFinderTest, TalliesReadAndStep)
{
    const QString thousand = QLocale::system().toString(1000);
    EXPECT_EQ((Tally { 3, 12 }).text(), QStringLiteral("3 of 12"));
    EXPECT_EQ((Tally { 3, 1000, true }).text(), "3 of " + thousand + "+");
    EXPECT_EQ((Tally { 0, 1 }).text(), QStringLiteral("1 result"));
    EXPECT_EQ((Tally { 0, 1000, true }).text(), thousand + "+ results");
    EXPECT_EQ(Tally {}.text(), QStringLiteral("No results"));

    EXPECT_EQ((Tally { 12, 12 }).stepped(true, true).index, 1);
    EXPECT_EQ((Tally { 1, 12 }).stepped(false, true).index, 12);
    EXPECT_EQ((Tally { 1000, 1000, true }).stepped(true, false).index, 0);
    EXPECT_EQ((Tally { 1, 1000, true }).stepped(false, true).index, 0);
}

class TextFinderEditTest : public ::testing::Test
{
protected:
    QString text() const { return TextFinder::textOf(document); }
    TextBuffer document;
};

TEST_F(TextFinderEditTest, ReplaceChangesOnlyAMatchThatStillStands)
{
    document.setFileText(QStringLiteral("cat hat cat"));
    const TextFinder finder(QStringLiteral("cat"), plain);
    EXPECT_EQ(finder.replace(document, text(), { 8, 3 }, "dog"), 11);
    EXPECT_FALSE(finder.replace(document, text(), { 4, 3 }, "dog"));
    const QString stale = text();
    document.setFileText(QStringLiteral("more cat hat dog"));
    EXPECT_FALSE(finder.replace(document, stale, { 0, 3 }, "dog"));
    EXPECT_EQ(finder.replaceAll(document, stale, "dog"), 0);
    EXPECT_EQ(document.text(), QStringLiteral("more cat hat dog"));
}

TEST_F(TextFinderEditTest, RegularExpressionReplacementsUseGroups)
{
    document.setFileText(QStringLiteral("ada@home bob@work"));
    const TextFinder groups(QStringLiteral("(\\w+)@(\\w+)"), regex);
    EXPECT_EQ(groups.replaceAll(document, text(), "$2: $1 ($$0, $9)"), 2);
    EXPECT_EQ(document.text(), QStringLiteral("home: ada ($0, ) work: bob ($0, )"));
    document.setFileText(QStringLiteral("a.b"));
    EXPECT_EQ(TextFinder(QStringLiteral("."), plain).replaceAll(document, text(), "$1"), 1);
    EXPECT_EQ(document.text(), QStringLiteral("a$1b"));
}

TEST_F(TextFinderEditTest, ReplaceAllIsOneUndoStep)
{
    const QString before = QStringLiteral("Cat one\ncat two cat\n\nlast CAT");
    document.setFileText(before);
    // The replacement holds the pattern: nothing is replaced twice.
    const TextFinder finder(QStringLiteral("cat"), plain);
    EXPECT_EQ(finder.replaceAll(document, text(), "cats\ncat"), 4);
    EXPECT_EQ(document.text(),
        QStringLiteral("cats\ncat one\ncats\ncat two cats\ncat\n\nlast cats\ncat"));
    document.undo();
    EXPECT_EQ(document.text(), before);
    EXPECT_FALSE(document.canUndo());
}

}
