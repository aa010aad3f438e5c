#include "chrome/HoverCards.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

constexpr int showDelay = HoverCards::editorShowDelayMs;
constexpr int hideDelay = HoverCards::editorHideDelayMs;

// Stands in for the controller's blame card: records every show and hide it is asked for.
class HoverCardsEditor : public ::testing::Test
{
protected:
    bool shownWithin(int ms)
    {
        return waitUntil([this] { return shown; }, ms);
    }
    bool hiddenWithin(int ms)
    {
        return waitUntil([this] { return !shown; }, ms);
    }

    QList<QRect> shows;
    int hides = 0;
    bool shown = false;
    HoverCards::EditorHover hover {
        [this](const QRect &rect) {
            shows << rect;
            shown = true;
        },
        [this] {
            ++hides;
            shown = false;
        },
        [this] { return shown; },
    };
    const QRect annotation { 300, 40, 120, 16 };
    QElapsedTimer clock;
};

}

TEST_F(HoverCardsEditor, ShowsOnlyAfterThePointerRests)
{
    clock.start();
    hover.pointerEntered(annotation);
    EXPECT_FALSE(shown);
    ASSERT_TRUE(shownWithin(2000));
    EXPECT_GE(clock.elapsed(), showDelay);
    EXPECT_EQ(shows, QList<QRect> { annotation });
    // Entering again while the card is up shows no second card.
    hover.pointerEntered(annotation.translated(0, 20));
    EXPECT_FALSE(hover.showPending());

    // Leaving before the delay is over shows nothing.
    hover.hideNow();
    hover.pointerEntered(annotation);
    hover.pointerLeft();
    EXPECT_FALSE(hover.wanted());
    EXPECT_FALSE(shownWithin(showDelay + 200));
    EXPECT_EQ(shows.size(), 1);
}

TEST_F(HoverCardsEditor, TheCardStaysWhileThePointerMovesOntoItOrBack)
{
    hover.pointerEntered(annotation);
    ASSERT_TRUE(shownWithin(2000));
    hover.pointerLeft();
    EXPECT_TRUE(hover.hidePending());
    hover.cardEntered();
    EXPECT_TRUE(hover.wanted());
    hover.cardLeft();
    hover.pointerEntered(annotation);
    EXPECT_FALSE(hiddenWithin(hideDelay + 200));

    hover.pointerLeft();
    hover.cardEntered();
    clock.start();
    hover.cardLeft();
    EXPECT_FALSE(hover.wanted());
    ASSERT_TRUE(hiddenWithin(2000));
    EXPECT_GE(clock.elapsed(), hideDelay);
    EXPECT_EQ(shows.size(), 1);
    EXPECT_EQ(hides, 1);
}

TEST_F(HoverCardsEditor, HidingNowCancelsEverythingPending)
{
    hover.pointerEntered(annotation);
    hover.hideNow();
    EXPECT_FALSE(hover.wanted());
    EXPECT_FALSE(shownWithin(showDelay + 200));

    hover.pointerEntered(annotation);
    ASSERT_TRUE(shownWithin(2000));
    hover.pointerLeft();
    hover.hideNow();
    EXPECT_FALSE(shown);
    EXPECT_FALSE(hover.hidePending());
}
