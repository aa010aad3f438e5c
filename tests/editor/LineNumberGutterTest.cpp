#include "editor/LineNumberGutter.h"
#include "editor/EditorTextView.h"
#include "common/TextCounts.h"

#include "TestSupport.h"

#include <QHBoxLayout>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

using Band = std::pair<int, int>; // first and last pixel row

int twiceCentre(const Band &band)
{
    return band.first + band.second;
}

class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget)
        : QObject(widget)
    {
        widget->installEventFilter(this);
    }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class LineNumberGutterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QPalette colours;
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::WindowText, Qt::black);
        colours.setColor(QPalette::Text, Qt::black);
        colours.setColor(QPalette::Highlight, Qt::red);
        window.setPalette(colours);
        auto *layout = new QHBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(gutter = new LineNumberGutter);
        layout->addWidget(view = new EditorTextView);
        // No caret drawn among the text.
        view->setFocusPolicy(Qt::NoFocus);
        gutter->setTextView(view);
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void showText(const QString &text, int caret = 0)
    {
        view->setFileText(text);
        view->setCaretPosition(caret);
        // The gutter re-measures after the edit; the layout then places the view beside it.
        QCoreApplication::processEvents();
        ASSERT_TRUE(testsupport::waitUntil([&] { return widthSettled(); }));
    }

    bool widthSettled() const
    {
        return gutter->width() == gutter->minimumWidth() && view->x() == gutter->width();
    }

    // Pixel rows with anything but background between columns `left` and `right`.
    static std::vector<Band> inkBands(const QImage &image, int left, int right)
    {
        std::vector<Band> bands;
        for (int y = 0; y < image.height(); ++y) {
            bool ink = false;
            for (int x = left; x < right && !ink; ++x)
                ink = image.pixel(x, y) != qRgb(255, 255, 255);
            if (ink && !bands.empty() && bands.back().second == y - 1)
                bands.back().second = y;
            else if (ink)
                bands.push_back({ y, y });
        }
        return bands;
    }

    // Right of the bookmark dots.
    static constexpr int numbersLeft = 14;

    // The darkest grey level in a band of the gutter's numbers.
    int darkest(const QImage &image, const Band &band) const
    {
        int level = 255;
        for (int y = band.first; y <= band.second; ++y)
            for (int x = numbersLeft; x < gutter->width() - 1; ++x)
                level = std::min(level, qGray(image.pixel(x, y)));
        return level;
    }

    std::vector<qsizetype> shownLines() const
    {
        std::vector<qsizetype> lines;
        for (const LineNumberGutter::Row &row : gutter->rows())
            lines.push_back(row.line);
        return lines;
    }

    QWidget window;
    LineNumberGutter *gutter = nullptr;
    EditorTextView *view = nullptr;
};

}

TEST_F(LineNumberGutterTest, EmptyLastLineAfterAFinalLineFeedIsNumberedAndHoldsTheCaret)
{
    showText(QString());
    EXPECT_EQ(shownLines(), std::vector<qsizetype>({ 1 }));
    EXPECT_TRUE(gutter->rows()[0].caret);

    showText(QStringLiteral("a\n"), 2);
    EXPECT_EQ(shownLines(), std::vector<qsizetype>({ 1, 2 }));
    EXPECT_FALSE(gutter->rows()[0].caret);
    EXPECT_TRUE(gutter->rows()[1].caret);

    showText(QStringLiteral("a"), 1);
    EXPECT_EQ(shownLines(), std::vector<qsizetype>({ 1 }));
    EXPECT_TRUE(gutter->rows()[0].caret);
}

TEST_F(LineNumberGutterTest, CaretLineIsDarkAndBookmarkedLinesHaveDots)
{
    showText(QStringLiteral("one\ntwo\nthree\nfour\n"), 5);
    gutter->setBookmarkProvider([] { return std::vector<qsizetype> { 14, 0 }; });
    const QImage image = gutter->grab().toImage();
    // The separator is the last column.
    const std::vector<Band> numbers = inkBands(image, numbersLeft, gutter->width() - 1);
    ASSERT_EQ(numbers.size(), 5u);
    EXPECT_LT(darkest(image, numbers[1]), 80);
    for (int other : { 0, 2, 3, 4 })
        EXPECT_GT(darkest(image, numbers[other]), 150) << "line " << other + 1;

    const std::vector<LineNumberGutter::Row> rows = gutter->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QPoint centre(10, qRound(rows[i].rect.center().y()));
        const bool red = image.pixel(centre) == qRgb(255, 0, 0);
        EXPECT_EQ(red, i == 0 || i == 3) << "line " << i + 1;
    }
    EXPECT_TRUE(inkBands(image, 0, 6).empty());
}

TEST_F(LineNumberGutterTest, NumbersSitBesideTheirLinesAndFollowScrolling)
{
    QStringList lines(300, QStringLiteral("8888"));
    showText(lines.join(u'\n'));
    auto *counter = new PaintCounter(gutter);
    for (int scroll : { 150, 20 }) {
        counter->paints = 0;
        view->verticalScrollBar()->setValue(scroll);
        ASSERT_TRUE(testsupport::waitUntil([&] { return counter->paints > 0; }));
        EXPECT_EQ(gutter->rows().front().line, scroll + 1);
        const QImage image = window.grab().toImage();
        const std::vector<Band> numbers = inkBands(image, 0, gutter->width() - 1);
        const std::vector<Band> text = inkBands(image, gutter->width(), gutter->width() + 80);
        ASSERT_EQ(numbers.size(), text.size());
        for (std::size_t i = 0; i < numbers.size(); ++i)
            EXPECT_NEAR(twiceCentre(numbers[i]), twiceCentre(text[i]), 2) << "row " << i;
    }
}

TEST_F(LineNumberGutterTest, WrappedLineIsNumberedOnItsFirstRowOnly)
{
    view->setWordWrap(true);
    showText(QStringLiteral("8888 ").repeated(60) + QStringLiteral("\n8888"));
    const QImage image = window.grab().toImage();
    const std::vector<Band> numbers = inkBands(image, 0, gutter->width() - 1);
    const std::vector<Band> text = inkBands(image, gutter->width(), gutter->width() + 80);
    ASSERT_EQ(numbers.size(), 2u);
    ASSERT_GT(text.size(), 3u);
    EXPECT_NEAR(twiceCentre(numbers.front()), twiceCentre(text.front()), 2);
    EXPECT_NEAR(twiceCentre(numbers.back()), twiceCentre(text.back()), 2);
}

TEST_F(LineNumberGutterTest, NumbersAndWidthCatchUpWithEditsAfterTheyEndAndWithTheFont)
{
    showText(QString(998, u'\n'));
    view->verticalScrollBar()->setValue(500);
    const int narrow = gutter->width();
    for (int i = 0; i < 5; ++i)
        view->buffer()->insert(0, QStringLiteral("new\n"));
    // Refreshed once the edits are over, not during them.
    EXPECT_EQ(gutter->width(), narrow);
    ASSERT_TRUE(testsupport::waitUntil([&] { return gutter->width() > narrow; }));
    const QString text = view->buffer()->text();
    for (const LineNumberGutter::Row &row : gutter->rows())
        EXPECT_EQ(row.line, countLineFeeds(QStringView(text).first(row.start)) + 1);
    const int fourDigits = gutter->width();
    gutter->setFontSize(22);
    EXPECT_GT(gutter->width(), fourDigits);
}

TEST_F(LineNumberGutterTest, FollowsTheViewItIsGivenAndIsZeroWideWithout)
{
    showText(QStringLiteral("a\nb"));
    const int threeDigits = gutter->width();
    EXPECT_GT(threeDigits, 0);
    auto *other = new EditorTextView;
    gutter->setTextView(other);
    other->setFileText(QString(2000, u'\n'));
    ASSERT_TRUE(testsupport::waitUntil([&] { return gutter->width() > threeDigits; }));

    gutter->setTextView(nullptr);
    EXPECT_EQ(gutter->width(), 0);
    EXPECT_TRUE(gutter->rows().empty());
    gutter->setTextView(other);
    EXPECT_GT(gutter->width(), 0);
    delete other;
    EXPECT_EQ(gutter->width(), 0);
    EXPECT_EQ(gutter->textView(), nullptr);
}

TEST_F(LineNumberGutterTest, FollowsTheCaretAndTheViewsFont)
{
    showText(QStringLiteral("one\ntwo\nthree\n"));
    auto *counter = new PaintCounter(gutter);
    view->setCaretPosition(9); // in "three"
    ASSERT_TRUE(testsupport::waitUntil([&] { return counter->paints > 0; }));
    const std::vector<LineNumberGutter::Row> before = gutter->rows();
    ASSERT_EQ(before.size(), 4u);
    EXPECT_TRUE(before[2].caret);
    EXPECT_FALSE(before[0].caret);

    // Larger text sets the rows farther apart; the numbers follow them.
    counter->paints = 0;
    QFont larger = view->font();
    larger.setPointSizeF(28);
    view->setFont(larger);
    ASSERT_TRUE(testsupport::waitUntil([&] { return counter->paints > 0; }));
    const std::vector<LineNumberGutter::Row> after = gutter->rows();
    ASSERT_GE(after.size(), 2u);
    const qreal spacing = after[1].rect.top() - after[0].rect.top();
    EXPECT_EQ(spacing, view->rowHeight());
    EXPECT_GT(spacing, before[1].rect.top() - before[0].rect.top());
}
