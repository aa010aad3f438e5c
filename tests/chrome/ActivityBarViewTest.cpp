#include "chrome/ActivityBarView.h"
#include "chrome/ActivityButton.h"

#include <QImage>
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

TEST(ActivityBarView, TheActiveButtonShowsAnAccentMarkerAtItsLeadingEdge)
{
    ActivityBarView bar(standardActivityItems());
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Highlight, QColor(250, 20, 120));
    palette.setColor(QPalette::Button, QColor(90, 90, 90));
    bar.setPalette(palette);
    bar.resize(44, 400);
    bar.show();
    bar.setActive("git", true);
    const ActivityButton *git = bar.button("git");
    const QImage shown = bar.grab().toImage();
    const auto pixel = [&](const ActivityButton *button, int x, int y) {
        return shown.pixelColor(button->mapTo(&bar, QPoint(x, y)) * shown.devicePixelRatio());
    };
    EXPECT_EQ(pixel(git, 0, git->height() / 2), QColor(250, 20, 120));
    EXPECT_EQ(pixel(git, 1, 7), QColor(250, 20, 120));
    EXPECT_NE(pixel(git, 1, 3), QColor(250, 20, 120)) << "the marker starts 6 points down";
    EXPECT_NE(pixel(git, 3, git->height() / 2), QColor(250, 20, 120)) << "2 points wide";
    const ActivityButton *search = bar.button("search");
    EXPECT_NE(pixel(search, 0, search->height() / 2), QColor(250, 20, 120));
}
