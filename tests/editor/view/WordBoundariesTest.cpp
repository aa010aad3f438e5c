#include "editor/view/WordBoundaries.h"

#include <QString>
#include <gtest/gtest.h>

using namespace WordBoundaries;

TEST(WordBoundaries, CtrlRightStopsAtTheStartOfEachRun)
{
    const QString line = QStringLiteral("  value = compute(a_b, 42);");
    std::vector<qsizetype> stops;
    for (qsizetype at = 0; at < line.size(); at = nextWordStart(line, at))
        stops.push_back(at);
    stops.push_back(line.size());
    // Leading space, "value", "=", "compute", "(", "a_b", ",", "42", ");", end.
    EXPECT_EQ(stops, (std::vector<qsizetype> { 0, 2, 8, 10, 17, 18, 21, 23, 25, 27 }));
}

TEST(WordBoundaries, CtrlLeftRetracesCtrlRight)
{
    const QString line = QStringLiteral("  value = compute(a_b, 42);");
    std::vector<qsizetype> forward { 0 };
    while (forward.back() < line.size())
        forward.push_back(nextWordStart(line, forward.back()));
    std::vector<qsizetype> backward { line.size() };
    while (backward.back() > 0)
        backward.push_back(previousWordStart(line, backward.back()));
    // Backwards the caret stops where runs start too, but never at the white space before them.
    EXPECT_EQ(backward, (std::vector<qsizetype> { 27, 25, 23, 21, 18, 17, 10, 8, 2, 0 }));
    EXPECT_EQ(previousWordStart(line, 5), 2) << "from inside a word: to its start";
    EXPECT_EQ(previousWordStart(QStringView(u"   "), 3), 0);
}

TEST(WordBoundaries, DoubleClickTakesTheRunUnderOrJustBefore)
{
    const QString line = QStringLiteral("int émile_2  = x;");
    auto word = [&](qsizetype column) {
        const Span span = wordAt(line, column);
        return line.mid(span.start, span.end - span.start);
    };
    EXPECT_EQ(word(5), QStringLiteral("émile_2"));
    EXPECT_EQ(word(4), QStringLiteral("émile_2"));
    EXPECT_EQ(word(11), QStringLiteral("émile_2")) << "just after the word";
    EXPECT_EQ(word(12), QStringLiteral("  ")) << "white space after white space";
    EXPECT_EQ(word(13), QStringLiteral("="));
    EXPECT_EQ(word(17), QStringLiteral(";")) << "end of line";
    EXPECT_EQ(wordAt(QStringView(), 0).end, 0);
}

TEST(WordBoundaries, TypingStartsANewStepAtEachWord)
{
    EXPECT_TRUE(continuesTyping(u'a', u'b'));
    EXPECT_TRUE(continuesTyping(u'a', u' '));
    EXPECT_TRUE(continuesTyping(u' ', u' '));
    EXPECT_TRUE(continuesTyping(u'a', u'('));
    EXPECT_FALSE(continuesTyping(u' ', u'b'));
    EXPECT_FALSE(continuesTyping(u'(', u'b'));
}
