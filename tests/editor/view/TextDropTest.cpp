#include "editor/view/TextDrop.h"

#include <gtest/gtest.h>

namespace
{

// The text after a drop of `dragged` planned on `text` with the selection [from, to).
std::string dropped(std::string text, qsizetype from, qsizetype to, qsizetype at, bool move)
{
    const std::string dragged = text.substr(from, to - from);
    const TextDrop drop = TextDrop::plan(from, to, at, move);
    if (drop.nothing)
        return text;
    text.erase(drop.removeFrom, drop.removed);
    text.insert(drop.insertAt, dragged);
    return text;
}

}

TEST(TextDrop, MovingOwnTextTakesItOutAndPutsItAtTheDropPoint)
{
    EXPECT_EQ(dropped("one two three", 0, 4, 13, true), "two threeone ");
    EXPECT_EQ(dropped("one two three", 8, 13, 0, true), "threeone two ");
    EXPECT_EQ(dropped("one two three", 4, 8, 2, true), "ontwo e three");
    EXPECT_EQ(dropped("one two three", 4, 8, 6, true), "one two three") << "inside itself";
    EXPECT_EQ(dropped("one two three", 4, 8, 8, true), "one two three") << "at its own end";
}

TEST(TextDrop, CopiesAndOutsideTextLeaveTheSelection)
{
    EXPECT_EQ(dropped("one two three", 0, 4, 13, false), "one two threeone ");
    EXPECT_EQ(dropped("one two three", 4, 8, 6, false), "one twtwo o three");
}
