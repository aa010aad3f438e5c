#include "chrome/StatusBarView.h"
#include "chrome/BlameButton.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

const QString caret = QStringLiteral("Ln 12, Col 5 (30 selected)");
const QString indentAndEncoding = QStringLiteral("Old version   Spaces: 4   UTF-8");
const QString blameText = QStringLiteral("2d Margaret");
const QString remoteTitle = QStringLiteral("build-box — connected");

class StatusBarViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar = std::make_unique<StatusBarView>();
        bar->resize(800, 22);
        bar->show();
    }

    int fullWidth(const QLabel *label, const QString &text) const
    {
        return qCeil(QFontMetricsF(label->font()).horizontalAdvance(text));
    }

    // Everything the bar shows: a document with blame, opened from a machine.
    void fill()
    {
        bar->setTexts(caret, indentAndEncoding);
        bar->setBlame(blameText);
        bar->setRemote(remoteTitle, true, QStringLiteral("Connected to build-box"));
    }

    std::unique_ptr<StatusBarView> bar;
};

}

TEST_F(StatusBarViewTest, ShowsTheGivenItemsInOrderAndHidesEmptyOnes)
{
    EXPECT_FALSE(bar->blameItem()->isVisible());
    EXPECT_FALSE(bar->remoteItem()->isVisible());
    fill();
    EXPECT_EQ(bar->leftLabel()->text(), caret);
    EXPECT_EQ(bar->rightLabel()->text(), indentAndEncoding);
    EXPECT_EQ(bar->blameItem()->text(), blameText);
    EXPECT_EQ(bar->remoteItem()->text(), remoteTitle);
    EXPECT_EQ(bar->remoteItem()->toolTip(), "Connected to build-box");
    // Remote and caret text from the left edge, right text and blame up to the right edge.
    const QRect remote = bar->remoteItem()->geometry();
    EXPECT_LT(remote.right(), bar->leftLabel()->x());
    EXPECT_LT(bar->rightLabel()->geometry().right(), bar->blameItem()->x());
    EXPECT_GT(bar->blameItem()->geometry().right(), bar->width() - 20);

    // The document closes: no texts, no items; the caret text takes the remote's place.
    bar->setTexts({}, {});
    bar->setBlame({});
    bar->setRemote({}, false, {});
    EXPECT_TRUE(bar->leftLabel()->text().isEmpty());
    EXPECT_TRUE(bar->rightLabel()->text().isEmpty());
    EXPECT_FALSE(bar->blameItem()->isVisible());
    EXPECT_FALSE(bar->remoteItem()->isVisible());
    EXPECT_EQ(bar->leftLabel()->x(), remote.x());
}

TEST_F(StatusBarViewTest, RemoteSymbolIsGreenOnlyWhileConnected)
{
    const QColor secondary = bar->blameItem()->tint();
    bar->setRemote(remoteTitle, true, {});
    const QColor connected = bar->remoteItem()->tint();
    EXPECT_GT(connected.green(), connected.red() + 100);
    bar->setRemote(QStringLiteral("build-box — not connected"), false, {});
    EXPECT_EQ(bar->remoteItem()->tint(), secondary);
}

TEST_F(StatusBarViewTest, NarrowBarCutsTheBlameFirstAndNeverTheRightText)
{
    fill();
    const int remote = bar->remoteItem()->sizeHint().width();
    const int left = fullWidth(bar->leftLabel(), caret);
    const int right = fullWidth(bar->rightLabel(), indentAndEncoding);
    const int blame = bar->blameItem()->sizeHint().width();
    const int spacing = 10 + 14 + 12 + 16 + 10;

    bar->resize(spacing + remote + left + right + blame / 2, 22);
    EXPECT_EQ(bar->blameItem()->width(), blame / 2);
    EXPECT_EQ(bar->leftLabel()->text(), caret);
    EXPECT_EQ(bar->remoteItem()->width(), remote);
    EXPECT_EQ(bar->rightLabel()->width(), right);

    // Once blame and remote have given way, the caret text is cut at its tail.
    bar->resize(spacing + right + left / 2, 22);
    EXPECT_EQ(bar->blameItem()->width(), 0);
    EXPECT_EQ(bar->remoteItem()->width(), 0);
    EXPECT_TRUE(bar->leftLabel()->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(bar->rightLabel()->width(), right);
    EXPECT_EQ(bar->rightLabel()->text(), indentAndEncoding);

    bar->resize(800, 22);
    EXPECT_EQ(bar->leftLabel()->text(), caret);
    EXPECT_EQ(bar->blameItem()->width(), blame);
}

TEST_F(StatusBarViewTest, ClicksOnTheItemsAreReported)
{
    int blameClicks = 0, remoteClicks = 0;
    bar->onBlameClick = [&] { ++blameClicks; };
    bar->onRemoteClick = [&] { ++remoteClicks; };
    fill();
    QTest::mouseClick(bar->blameItem(), Qt::LeftButton);
    EXPECT_EQ(blameClicks, 1);
    EXPECT_EQ(remoteClicks, 0);
    QTest::mouseClick(bar->remoteItem(), Qt::LeftButton, {}, QPoint(2, 5));
    EXPECT_EQ(remoteClicks, 1);
    // The items never take the keyboard away from the editor.
    EXPECT_EQ(bar->blameItem()->focusPolicy(), Qt::NoFocus);

    // A click with nobody listening does nothing.
    bar->onBlameClick = nullptr;
    QTest::mouseClick(bar->blameItem(), Qt::LeftButton);
    EXPECT_EQ(blameClicks, 1);
}
