#include "chrome/ActivityBarView.h"
#include "chrome/ActivityButton.h"

#include <QKeySequence>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

// The active buttons; the marker shows on exactly those.
QStringList shownActive(const ActivityBarView &bar)
{
    QStringList active;
    for (const char *identifier : { "explorer", "git", "search", "ssh" }) {
        const ActivityButton *button = bar.button(identifier);
        EXPECT_EQ(button->isActive(), button->marker()->isVisible()) << identifier;
        if (button->isActive())
            active << identifier;
    }
    return active;
}

}

TEST(ActivityBarView, ReportsClicksAndShowsOnlyTheStateItIsGiven)
{
    ActivityBarView bar(standardActivityItems());
    bar.resize(44, 400);
    bar.show();
    QStringList selected;
    bar.onSelect = [&](const QString &identifier) { selected << identifier; };
    QTest::mouseClick(bar.button("search"), Qt::LeftButton);
    QTest::mouseClick(bar.button("explorer"), Qt::LeftButton);
    EXPECT_EQ(selected, QStringList({ "search", "explorer" }));
    // Clicking never changes the state by itself: the controller decides.
    EXPECT_TRUE(shownActive(bar).isEmpty());

    bar.setActive("git", true);
    bar.setActive("git", false);
    bar.setActive("ssh", true);
    // A sidebar mode the bar does not know leaves it as it was.
    bar.setActive("terminal", true);
    EXPECT_EQ(shownActive(bar), QStringList { "ssh" });

    const QString search = QKeySequence("Ctrl+Shift+F").toString(QKeySequence::NativeText);
    EXPECT_EQ(bar.button("search")->toolTip(), "Search in files (" + search + ")");
}
