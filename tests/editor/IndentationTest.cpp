#include "editor/Indentation.h"

#include <gtest/gtest.h>

using namespace Indentation;

TEST(ReturnRules, BetweenBracesOpensAnIndentedLineAndClosesBelow)
{
    const auto edit = returnEdit(u"    if x {", u"}", true, true, 4);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->insertion, "\n        \n    ");
    EXPECT_EQ(edit->caretBack, 5); // back over the closing line's indent and its line break
}

TEST(ReturnRules, AfterAnOpenerWithNothingFollowingGoesOneUnitDeeper)
{
    const auto edit = returnEdit(u"  call(", u"", true, true, 2);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->insertion, "\n    ");
    EXPECT_EQ(edit->caretBack, 0);
    // An opener followed by something else than its closer.
    EXPECT_EQ(returnEdit(u"x = [", u")", true, true, 2)->insertion, "\n  ");
    // Trailing blanks after the opener do not hide it.
    EXPECT_EQ(returnEdit(u"f() {  ", u"", true, true, 4)->insertion, "\n    ");
}

TEST(ReturnRules, SettingsDecide)
{
    EXPECT_FALSE(returnEdit(u"  x {", u"}", false, false, 4));
    EXPECT_EQ(returnEdit(u"\t  x", u"", true, false, 4)->insertion, "\n\t  ");
    EXPECT_EQ(returnEdit(u"  x {", u"}", false, true, 4)->insertion, "\n    \n");
    EXPECT_EQ(returnEdit(u"  x {", u"}", true, false, 4)->insertion, "\n  ");
}

TEST(ShiftRules, IndentLeavesEmptyLinesEmpty)
{
    EXPECT_EQ(shiftLines(u"a\n\nb", false, 4), "    a\n\n    b");
    EXPECT_EQ(shiftLines(u"", false, 2), "");
}

TEST(ShiftRules, OutdentTakesTheUnitOrATabOrTheSpacesThereAre)
{
    EXPECT_EQ(shiftLines(u"  two", true, 4), "two");
    EXPECT_EQ(shiftLines(u"\ttab", true, 4), "tab");
    EXPECT_EQ(shiftLines(u"      six", true, 4), "  six");
    EXPECT_EQ(shiftLines(u"none\n   \tmixed", true, 4), "none\n\tmixed");
}

TEST(CloserRules, OutdentOnlyOnBlankPrefixes)
{
    EXPECT_EQ(closerOutdent(u"        ", u'}', 4), 4);
    EXPECT_EQ(closerOutdent(u"\t", u'}', 4), 1);
    EXPECT_EQ(closerOutdent(u"  ", u')', 4), std::nullopt); // less than a unit and no tab
    EXPECT_EQ(closerOutdent(u"", u']', 4), std::nullopt);
    EXPECT_EQ(closerOutdent(u"  x ", u'}', 2), std::nullopt);
    EXPECT_EQ(closerOutdent(u"    ", u'a', 4), std::nullopt);
}
