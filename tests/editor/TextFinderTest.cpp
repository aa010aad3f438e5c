#include "editor/TextFinder.h"

#include <QLocale>
#include <QPlainTextDocumentLayout>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <vector>

namespace
{

using Match = TextFinder::Match;
using Tally = TextFinder::Tally;

constexpr TextFinder::Options plain {};
constexpr TextFinder::Options matchCase { true, false };
constexpr TextFinder::Options regex { false, true };

std::vector<Match> allMatches(const TextFinder &finder, QStringView text)
{
    std::vector<Match> found;
    finder.forEachMatch(text, 0, int(text.size()), [&](Match m) {
        found.push_back(m);
        return true;
    });
    return found;
}

std::vector<Match> all(const QString &pattern, TextFinder::Options options, const QString &text)
{
    return allMatches(TextFinder(pattern, options), text);
}

TEST(TextFinderTest, NextAndPreviousWrapAroundTheEnds)
{
    const QString text = QStringLiteral("one two one two one");
    const TextFinder finder(QStringLiteral("one"), plain);
    EXPECT_EQ(finder.next(text, 0), (Match { 0, 3 }));
    EXPECT_EQ(finder.next(text, 1), (Match { 8, 3 }));
    EXPECT_EQ(finder.next(text, 17), (Match { 0, 3 }));
    EXPECT_EQ(finder.previous(text, 16), (Match { 8, 3 }));
    EXPECT_EQ(finder.previous(text, 1), (Match { 0, 3 }));
    EXPECT_EQ(finder.previous(text, 0), (Match { 16, 3 }));
    EXPECT_FALSE(TextFinder(QStringLiteral("three"), plain).next(text, 5));
    EXPECT_FALSE(TextFinder(QStringLiteral("three"), plain).previous(text, 5));
    EXPECT_FALSE(TextFinder(QString(), plain).next(text, 0));
}

TEST(TextFinderTest, PreviousFindsFarMatchesAndKeepsMatchesInLine)
{
    // Far behind the first window Find Previous looks at.
    const QString far = QStringLiteral("x needle ") + QString(200000, u'.');
    EXPECT_EQ(TextFinder(QStringLiteral("needle"), plain).previous(far, 190000), (Match { 2, 6 }));
    // Matches step as a search from the start does: "aaaa" holds "aa" at 0 and 2, never at 1.
    const QString runs = QStringLiteral("aaaa\naaaa");
    const TextFinder pairs(QStringLiteral("aa"), plain);
    EXPECT_EQ(pairs.previous(runs, 4), (Match { 2, 2 }));
    EXPECT_EQ(pairs.previous(runs, 9), (Match { 7, 2 }));
}

TEST(TextFinderTest, CaseMattersOnlyWithTheOption)
{
    const QString text = QStringLiteral("Foo foo FOO");
    EXPECT_EQ(all(QStringLiteral("foo"), plain, text).size(), 3u);
    EXPECT_EQ(all(QStringLiteral("foo"), matchCase, text), (std::vector<Match> { { 4, 3 } }));
    EXPECT_EQ(all(QStringLiteral("f.o"), { true, true }, text), (std::vector<Match> { { 4, 3 } }));
    EXPECT_EQ(all(QStringLiteral("f.o"), regex, text).size(), 3u);
}

TEST(TextFinderTest, PlainTextIsTakenLiterally)
{
    const QString text = QStringLiteral("abc a.c (x) $1");
    EXPECT_EQ(all(QStringLiteral("a.c"), plain, text), (std::vector<Match> { { 4, 3 } }));
    EXPECT_EQ(all(QStringLiteral("(x)"), plain, text), (std::vector<Match> { { 8, 3 } }));
    EXPECT_EQ(all(QStringLiteral("a.c"), regex, text).size(), 2u);
}

TEST(TextFinderTest, InvalidPatternIsReportedAndFindsNothing)
{
    const TextFinder broken(QStringLiteral("(unclosed"), regex);
    EXPECT_FALSE(broken.isValid());
    EXPECT_TRUE(broken.isEmpty());
    EXPECT_FALSE(broken.errorString().isEmpty());
    const QString text = QStringLiteral("(unclosed");
    EXPECT_FALSE(broken.next(text, 0));
    EXPECT_FALSE(broken.previous(text, 5));
    EXPECT_EQ(broken.locate(text, 0).tally, Tally {});
    // The same text as plain text is fine.
    const TextFinder literal(QStringLiteral("(unclosed"), plain);
    EXPECT_TRUE(literal.isValid());
    EXPECT_TRUE(literal.errorString().isEmpty());
    EXPECT_EQ(literal.next(text, 0), (Match { 0, 9 }));
}

TEST(TextFinderTest, RegularExpressionsWorkLineByLineAndAcrossLines)
{
    const QString text = QStringLiteral("alpha beta\ngamma delta\n");
    // "$" and "^" hold at every line's end and start.
    EXPECT_EQ(
        all(QStringLiteral("\\w+$"), regex, text), (std::vector<Match> { { 6, 4 }, { 17, 5 } }));
    EXPECT_EQ(
        all(QStringLiteral("^\\w"), regex, text), (std::vector<Match> { { 0, 1 }, { 11, 1 } }));
    // A line break is matched by "\n" and "\s", never by ".".
    EXPECT_EQ(all(QStringLiteral("beta\\ngamma"), regex, text), (std::vector<Match> { { 6, 10 } }));
    EXPECT_EQ(
        all(QStringLiteral("beta\\s+gamma"), regex, text), (std::vector<Match> { { 6, 10 } }));
    EXPECT_TRUE(all(QStringLiteral("beta.gamma"), regex, text).empty());
    // Empty matches are never reported.
    EXPECT_EQ(all(QStringLiteral("x*"), regex, QStringLiteral("ab xx")),
        (std::vector<Match> { { 3, 2 } }));
    EXPECT_TRUE(all(QStringLiteral("^"), regex, text).empty());
}

TEST(TextFinderTest, DocumentTextKeepsPositionsAndIsValidUtf16)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one\ntwo\nthree"));
    const QString text = TextFinder::textOf(document);
    EXPECT_EQ(text, QStringLiteral("one\ntwo\nthree"));
    const std::optional<Match> match = TextFinder(QStringLiteral("o\nt"), plain).next(text, 0);
    ASSERT_TRUE(match);
    QTextCursor cursor(&document);
    cursor.setPosition(match->start);
    cursor.setPosition(match->end(), QTextCursor::KeepAnchor);
    EXPECT_EQ(cursor.selectedText(), QStringLiteral("o") + QChar(QChar::ParagraphSeparator) + "t");

    // An unpaired surrogate becomes a replacement character in place; a pair stays.
    document.setPlainText(QString(QChar(0xD800)) + QStringLiteral("x \U0001F600y"));
    const QString mended = TextFinder::textOf(document);
    EXPECT_EQ(mended.size(), document.characterCount() - 1);
    EXPECT_EQ(mended[0], QChar(QChar::ReplacementCharacter));
    EXPECT_EQ(mended.mid(3, 2), QStringLiteral("\U0001F600"));
    EXPECT_EQ(TextFinder(QStringLiteral("x"), regex).next(mended, 0), (Match { 1, 1 }));
    EXPECT_EQ(TextFinder(QStringLiteral("y"), regex).next(mended, 0), (Match { 5, 1 }));
}

TEST(TextFinderTest, LocateCountsUpToTheLimit)
{
    const QString text = QStringLiteral("a a a a a");
    const TextFinder finder(QStringLiteral("a"), plain);
    const TextFinder::Found middle = finder.locate(text, 3);
    EXPECT_EQ(middle.match, (Match { 4, 1 }));
    EXPECT_EQ(middle.tally, (Tally { 3, 5, false }));
    // Past the last match the search wraps to the first.
    const TextFinder::Found wrapped = finder.locate(text, 9);
    EXPECT_EQ(wrapped.match, (Match { 0, 1 }));
    EXPECT_EQ(wrapped.tally, (Tally { 1, 5, false }));
    // Exactly at the limit nothing is missing; one more is.
    EXPECT_EQ(finder.locate(text, 0, 5).tally, (Tally { 1, 5, false }));
    EXPECT_EQ(finder.locate(text, 0, 4).tally, (Tally { 1, 4, true }));
    // A match beyond the limit is still found, with its place unknown.
    const TextFinder::Found beyond = finder.locate(text, 7, 2);
    EXPECT_EQ(beyond.match, (Match { 8, 1 }));
    EXPECT_EQ(beyond.tally, (Tally { 0, 2, true }));
    EXPECT_EQ(finder.locate(QStringLiteral("b"), 0).tally, Tally {});
}

TEST(TextFinderTest, TalliesReadAndStep)
{
    const QLocale locale = QLocale::system();
    EXPECT_EQ((Tally { 3, 12, false }).text(), QStringLiteral("3 of 12"));
    EXPECT_EQ((Tally { 3, 1000, true }).text(), "3 of " + locale.toString(1000) + "+");
    EXPECT_EQ((Tally { 0, 12, false }).text(), QStringLiteral("12 results"));
    EXPECT_EQ((Tally { 0, 1, false }).text(), QStringLiteral("1 result"));
    EXPECT_EQ((Tally { 0, 1000, true }).text(), locale.toString(1000) + "+ results");
    EXPECT_EQ(Tally {}.text(), QStringLiteral("No results"));

    EXPECT_EQ((Tally { 3, 12 }).stepped(true, false).index, 4);
    EXPECT_EQ((Tally { 12, 12 }).stepped(true, true).index, 1);
    EXPECT_EQ((Tally { 3, 12 }).stepped(false, false).index, 2);
    EXPECT_EQ((Tally { 1, 12 }).stepped(false, true).index, 12);
    // Beyond the counted matches the place is unknown, until a wrap to the first.
    EXPECT_EQ((Tally { 1000, 1000, true }).stepped(true, false).index, 0);
    EXPECT_EQ((Tally { 1, 1000, true }).stepped(false, true).index, 0);
    EXPECT_EQ((Tally { 0, 1000, true }).stepped(true, true).index, 1);
}

TEST(TextFinderTest, CountingAHugeNumberOfMatchesStopsAtTheLimit)
{
    const QString text = QString(50000, u'e');
    const TextFinder::Found found = TextFinder(QStringLiteral("e"), plain).locate(text, 0);
    EXPECT_EQ(found.tally, (Tally { 1, TextFinder::countLimit, true }));
}

class TextFinderEditTest : public ::testing::Test
{
protected:
    void SetUp() override { document.setDocumentLayout(new QPlainTextDocumentLayout(&document)); }
    QTextDocument document;
};

TEST_F(TextFinderEditTest, ReplaceChangesOnlyAMatchThatStillStands)
{
    document.setPlainText(QStringLiteral("cat hat cat"));
    const TextFinder finder(QStringLiteral("cat"), plain);
    EXPECT_EQ(finder.replace(document, TextFinder::textOf(document), { 8, 3 }, "dog"), 11);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("cat hat dog"));
    // "hat" is no match, and neither is a match that has moved.
    EXPECT_FALSE(finder.replace(document, TextFinder::textOf(document), { 4, 3 }, "dog"));
    EXPECT_FALSE(finder.replace(document, TextFinder::textOf(document), { 1, 3 }, "dog"));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("cat hat dog"));
    document.undo();
    EXPECT_EQ(document.toPlainText(), QStringLiteral("cat hat cat"));
}

TEST_F(TextFinderEditTest, RegularExpressionReplacementsUseGroups)
{
    document.setPlainText(QStringLiteral("ada@home bob@work"));
    const TextFinder groups(QStringLiteral("(\\w+)@(\\w+)"), regex);
    EXPECT_EQ(groups.replaceAll(document, TextFinder::textOf(document), "$2: $1 ($$0, $9)"), 2);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("home: ada ($0, ) work: bob ($0, )"));
    // Plain text replaces with the replacement as it stands.
    document.setPlainText(QStringLiteral("a.b"));
    const TextFinder literal(QStringLiteral("."), plain);
    EXPECT_EQ(literal.replaceAll(document, TextFinder::textOf(document), "$1"), 1);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("a$1b"));
}

TEST_F(TextFinderEditTest, ReplaceAllIsOneUndoStep)
{
    const QString before = QStringLiteral("Cat one\ncat two cat\n\nlast CAT");
    document.setPlainText(before);
    document.clearUndoRedoStacks();
    // The replacement holds the pattern: nothing is replaced twice.
    const TextFinder finder(QStringLiteral("cat"), plain);
    EXPECT_EQ(finder.replaceAll(document, TextFinder::textOf(document), "cats\ncat"), 4);
    EXPECT_EQ(document.toPlainText(),
        QStringLiteral("cats\ncat one\ncats\ncat two cats\ncat\n\nlast cats\ncat"));
    document.undo();
    EXPECT_EQ(document.toPlainText(), before);
    EXPECT_FALSE(document.isUndoAvailable());
}

TEST_F(TextFinderEditTest, StaleTextOrNoMatchReplacesNothing)
{
    document.setPlainText(QStringLiteral("abc abc"));
    const QString stale = TextFinder::textOf(document);
    document.setPlainText(QStringLiteral("abc abc and more"));
    const TextFinder finder(QStringLiteral("abc"), plain);
    EXPECT_EQ(finder.replaceAll(document, stale, "x"), 0);
    EXPECT_FALSE(finder.replace(document, stale, { 0, 3 }, "x"));
    EXPECT_EQ(TextFinder(QStringLiteral("("), regex)
                  .replaceAll(document, TextFinder::textOf(document), "x"),
        0);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("abc abc and more"));
}

}
