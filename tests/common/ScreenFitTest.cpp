#include "common/ScreenFit.h"

#include <gtest/gtest.h>

namespace {

const QList<QRect> twoScreens { QRect(0, 0, 1280, 800), QRect(1280, 0, 1920, 1080) };

}

TEST(ScreenFit, AReachableFrameStaysWhereItWas)
{
    EXPECT_EQ(fitOnScreens(QRect(100, 50, 1000, 700), twoScreens), QRect(100, 50, 1000, 700));
    // Hanging off the right edge of the second screen is the user's choice.
    EXPECT_EQ(fitOnScreens(QRect(2800, 100, 800, 600), twoScreens), QRect(2800, 100, 800, 600));
    EXPECT_EQ(fitOnScreens(QRect(1000, 100, 800, 600), twoScreens), QRect(1000, 100, 800, 600));
}

TEST(ScreenFit, AFrameOutsideEveryScreenComesOntoOne)
{
    // Left behind by a screen that is no longer attached.
    EXPECT_EQ(fitOnScreens(QRect(5000, 3000, 1000, 700), twoScreens), QRect(280, 100, 1000, 700));
    EXPECT_EQ(fitOnScreens(QRect(-4000, 200, 1000, 700), twoScreens), QRect(0, 100, 1000, 700));
    // Only the bottom of the window shows: its title bar is above the screen.
    EXPECT_EQ(fitOnScreens(QRect(200, -650, 1000, 700), twoScreens), QRect(200, 0, 1000, 700));
}

TEST(ScreenFit, AFrameLargerThanItsScreenShrinksToIt)
{
    EXPECT_EQ(fitOnScreens(QRect(10, 10, 4000, 3000), twoScreens), QRect(1280, 0, 1920, 1080));
    EXPECT_EQ(fitOnScreens(QRect(0, 0, 1000, 700), {}), QRect(0, 0, 1000, 700));
}
