#include "chrome/ActivityBarView.h"
#include "chrome/ActivityButton.h"

#include <QKeySequence>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

const QStringList identifiers { "explorer", "git", "search", "ssh" };

class ActivityBarViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar = std::make_unique<ActivityBarView>(standardActivityItems());
        bar->resize(44, 400);
        bar->show();
    }

    std::vector<QString> shownActive() const
    {
        std::vector<QString> active;
        for (const QString &identifier : identifiers) {
            const ActivityButton *button = bar->button(identifier);
            EXPECT_EQ(button->isActive(), button->marker()->isVisible());
            if (button->isActive())
                active.push_back(identifier);
        }
        return active;
    }

    std::unique_ptr<ActivityBarView> bar;
};

}

TEST_F(ActivityBarViewTest, ShowsTheActiveStateItIsGiven)
{
    EXPECT_TRUE(shownActive().empty());
    bar->setActive("git", true);
    EXPECT_EQ(shownActive(), std::vector<QString>({ "git" }));
    bar->setActive("git", false);
    bar->setActive("ssh", true);
    EXPECT_EQ(shownActive(), std::vector<QString>({ "ssh" }));

    // A sidebar mode the bar does not know leaves it as it was.
    bar->setActive("terminal", true);
    EXPECT_EQ(shownActive(), std::vector<QString>({ "ssh" }));

    const QWidget *marker = bar->button("ssh")->marker();
    EXPECT_EQ(marker->geometry(), QRect(0, 6, 2, 30));
}

TEST_F(ActivityBarViewTest, ClickReportsTheItem)
{
    std::vector<QString> selected;
    bar->onSelect = [&](const QString &identifier) { selected.push_back(identifier); };
    QTest::mouseClick(bar->button("search"), Qt::LeftButton);
    QTest::mouseClick(bar->button("explorer"), Qt::LeftButton);
    EXPECT_EQ(selected, std::vector<QString>({ "search", "explorer" }));
    // Clicking never changes the state by itself: the controller decides.
    EXPECT_TRUE(shownActive().empty());
}

TEST_F(ActivityBarViewTest, ButtonsAreStackedInOrderWithTitledShortcuts)
{
    int lastTop = -1;
    for (const QString &identifier : identifiers) {
        const ActivityButton *button = bar->button(identifier);
        EXPECT_EQ(button->size(), QSize(43, 42));
        EXPECT_GT(button->y(), lastTop);
        lastTop = button->y();
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    }
    EXPECT_EQ(bar->button("explorer")->y(), 6);
    EXPECT_EQ(bar->button("git")->y(), 6 + 42 + 2);

    const QList<ActivityItem> items = standardActivityItems();
    ASSERT_EQ(items.size(), 4);
    const QString search = QKeySequence("Ctrl+Shift+F").toString(QKeySequence::NativeText);
    EXPECT_EQ(bar->button("search")->toolTip(), "Search in files (" + search + ")");
    const QString explorer = QKeySequence("Ctrl+Meta+E").toString(QKeySequence::NativeText);
    EXPECT_EQ(bar->button("explorer")->toolTip(), "Explorer (" + explorer + ")");
    EXPECT_TRUE(bar->button("git")->toolTip().startsWith("Git log ("));
    EXPECT_TRUE(bar->button("ssh")->toolTip().startsWith("Remote over ssh ("));
}
