#include "editor/view/TextArea.h"

#include "editor/buffer/TextBuffer.h"
#include "editor/view/LineSegments.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace
{

// Minified code on one line, about `length` characters.
QString minified(qsizetype length)
{
    const QString piece = QStringLiteral("f(a,b);var x=1;");
    QString line;
    line.reserve(length + piece.size());
    while (line.size() < length)
        line += piece;
    return line;
}

class TextAreaLongLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        area = std::make_unique<TextArea>();
        area->resize(700, 400);
        area->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(area.get()));
        area->setFocus();
    }

    void open(const QString &text)
    {
        area->buffer()->setFileText(text);
        paint();
    }
    void paint()
    {
        QCoreApplication::processEvents();
        area->viewport()->repaint();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(area.get(), key, modifiers);
        paint();
    }
    // The first position shown on the row below the caret's (where a segment starts when
    // wrapping is off).
    qsizetype nextRowStart(qsizetype from) const
    {
        const int y = area->cursorRect(from).y();
        const qsizetype length = area->buffer()->length();
        qsizetype at = from;
        while (at <= length && area->cursorRect(at).y() == y)
            ++at;
        return at;
    }
    int visibleRows() const { return area->viewport()->height() / area->rowHeight() + 1; }

    std::unique_ptr<TextArea> area;
};

}

TEST_F(TextAreaLongLineTest, ALineOfTwoMegabytesLaysOutOnlyTheSegmentsInView)
{
    const quint64 empty = area->layoutsMade();
    open(minified(2 << 20));
    EXPECT_GT(area->layoutsMade(), empty);
    EXPECT_LE(area->layoutsMade() - empty, quint64(visibleRows()));
    EXPECT_TRUE(area->isLaidOut(0, 0));
    EXPECT_FALSE(area->isLaidOut(0, 1000));
    EXPECT_FALSE(area->lastRowRect(0)) << "the line's end is far below";

    // End goes to the line's end, showing it; Home back to its start.
    const quint64 beforeEnd = area->layoutsMade();
    area->setCaretPosition(5000);
    key(Qt::Key_End);
    const qsizetype length = area->buffer()->length();
    EXPECT_EQ(area->caretPosition(), length);
    EXPECT_TRUE(area->viewport()->rect().contains(area->cursorRect().center()));
    EXPECT_LE(area->layoutsMade() - beforeEnd, quint64(2 * visibleRows()));
    const qsizetype lastSegment = LineSegments::count(length, LineSegments::unwrappedSize) - 1;
    EXPECT_TRUE(area->isLaidOut(0, lastSegment));
    EXPECT_FALSE(area->isLaidOut(0, lastSegment / 2));
    EXPECT_EQ(area->positionAt(area->cursorRect().center()), length);
    const std::optional<QRectF> end = area->lastRowRect(0);
    ASSERT_TRUE(end);
    EXPECT_EQ(qRound(end->y()), area->cursorRect().y());
    EXPECT_EQ(qRound(end->right()), area->cursorRect().x());
    key(Qt::Key_Home);
    EXPECT_EQ(area->caretPosition(), 0);
    EXPECT_EQ(area->cursorRect().y(), TextArea::insets);
}

TEST_F(TextAreaLongLineTest, TheCaretCrossesSegmentsWithArrowsAndUpDown)
{
    open(minified(100'000));
    const qsizetype boundary = nextRowStart(0);
    ASSERT_GT(boundary, LineSegments::unwrappedSize / 2);
    ASSERT_LE(boundary, LineSegments::unwrappedSize);
    const QRect rowStart = area->cursorRect(0);

    area->setCaretPosition(boundary - 1);
    key(Qt::Key_Right);
    EXPECT_EQ(area->caretPosition(), boundary);
    EXPECT_EQ(area->cursorRect().x(), rowStart.x()) << "a segment's start begins its row";
    EXPECT_EQ(area->cursorRect().y(), rowStart.y() + area->rowHeight());
    key(Qt::Key_Left);
    EXPECT_EQ(area->caretPosition(), boundary - 1);
    EXPECT_EQ(area->cursorRect().y(), rowStart.y());

    // Down keeps the column's x on the next row, Up comes back.
    area->setCaretPosition(20);
    area->ensureCaretVisible();
    const int x = area->cursorRect().x();
    key(Qt::Key_Down);
    EXPECT_GT(area->caretPosition(), boundary);
    EXPECT_EQ(area->cursorRect().y(), rowStart.y() + area->rowHeight());
    EXPECT_NEAR(area->cursorRect().x(), x, area->fontMetrics().averageCharWidth());
    key(Qt::Key_Up);
    EXPECT_EQ(area->caretPosition(), 20);

    // Points map to positions and back across the boundary.
    for (qsizetype at : { boundary - 2, boundary, boundary + 3, 3 * boundary })
        EXPECT_EQ(area->positionAt(area->cursorRect(at).center() + QPoint(1, 0)), at) << at;
}

TEST_F(TextAreaLongLineTest, ASelectionOverSeveralSegmentsIsPaintedAndCopiedWhole)
{
    const QString line = minified(100'000);
    open(line);
    const qsizetype from = 10;
    const qsizetype to = nextRowStart(nextRowStart(nextRowStart(0))) + 30;
    QTest::mousePress(area->viewport(), Qt::LeftButton, Qt::NoModifier, area->cursorRect(from).center());
    QTest::mouseMove(area->viewport(), area->cursorRect(to).center());
    QTest::mouseRelease(area->viewport(), Qt::LeftButton, Qt::NoModifier, area->cursorRect(to).center());
    ASSERT_EQ(area->selectionStart(), from);
    ASSERT_EQ(area->selectionEnd(), to);
    area->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), line.mid(from, to - from));

    // The rows between the ends are highlighted from their start.
    paint();
    const QImage image = area->viewport()->grab().toImage();
    const QColor highlight = area->palette().color(QPalette::Active, QPalette::Highlight);
    const int dpr = int(image.devicePixelRatio());
    for (int row = 1; row <= 2; ++row) {
        const QRect rect = area->cursorRect(nextRowStart(row == 1 ? 0 : nextRowStart(0)));
        EXPECT_EQ(image.pixelColor((rect.x() + 1) * dpr, (rect.y() + 1) * dpr), highlight) << row;
    }
}

TEST_F(TextAreaLongLineTest, ColoursOverASegmentsEndShowOnBothRows)
{
    open(minified(100'000));
    const qsizetype boundary = nextRowStart(0);
    QTextLayout::FormatRange red;
    red.format.setForeground(Qt::red);
    red.start = int(boundary - 6);
    red.length = 12;
    area->setLineFormats(0, { red });
    // Whether the text from `from` to `to`, scrolled into view, shows any red.
    const auto redIn = [&](qsizetype from, qsizetype to) {
        area->setCaretPosition(to);
        area->ensureCaretVisible();
        paint();
        const QImage image = area->viewport()->grab().toImage();
        const int dpr = int(image.devicePixelRatio());
        const QRect start = area->cursorRect(from);
        const QRect rect(start.topLeft(), QPoint(area->cursorRect(to).x(), start.bottom()));
        for (int y = rect.top() * dpr; y <= rect.bottom() * dpr; ++y) {
            for (int x = rect.left() * dpr; x <= rect.right() * dpr; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
                    return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(redIn(boundary - 5, boundary - 1));
    EXPECT_TRUE(redIn(boundary, boundary + 5));
    EXPECT_FALSE(redIn(boundary + 7, boundary + 20));
    EXPECT_FALSE(redIn(boundary - 20, boundary - 7));
}

TEST_F(TextAreaLongLineTest, TypingInTheMiddleRelaysOutOnlyTheSegmentsFromTheEditOn)
{
    open(minified(2 << 20));
    const qsizetype middle = area->buffer()->length() / 2;
    area->setCaretPosition(middle);
    area->ensureCaretVisible();
    paint();
    // The caret's row near the bottom: only the rows from it down may be laid out again.
    const int rowsBelow = (area->viewport()->height() - area->cursorRect().y()) / area->rowHeight() + 1;
    for (int i = 0; i < 3; ++i) {
        const quint64 before = area->layoutsMade();
        QTest::keyClicks(area.get(), QStringLiteral("y"));
        paint();
        EXPECT_GE(area->layoutsMade() - before, 1u);
        EXPECT_LE(area->layoutsMade() - before, quint64(rowsBelow + 1));
    }
    EXPECT_EQ(area->buffer()->text(middle, middle + 3), QStringLiteral("yyy"));
    EXPECT_EQ(area->caretPosition(), middle + 3);
    EXPECT_EQ(area->positionAt(area->cursorRect().center()), middle + 3);
}

TEST_F(TextAreaLongLineTest, ALineGrowingPastTheLimitIsShownInSegmentsFromItsStart)
{
    open(QString(LineSegments::longLine, u'w'));
    ASSERT_EQ(nextRowStart(0), LineSegments::longLine + 1) << "one row while short enough";
    area->setCaretPosition(LineSegments::longLine - 10);
    QTest::keyClicks(area.get(), QStringLiteral("z"));
    const qsizetype boundary = nextRowStart(0);
    ASSERT_LE(boundary, LineSegments::unwrappedSize);
    // Nothing of the line is drawn on the first row past its segment's end.
    area->setCaretPosition(boundary - 1);
    area->ensureCaretVisible();
    paint();
    const QImage image = area->viewport()->grab().toImage();
    const int dpr = int(image.devicePixelRatio());
    const QRect end = area->cursorRect(boundary - 1);
    const int from = end.x() + 2 * area->fontMetrics().averageCharWidth();
    int inked = 0;
    for (int x = from * dpr; x < image.width(); ++x) {
        for (int y = end.top() * dpr; y <= end.bottom() * dpr; ++y)
            inked += image.pixelColor(x, y).lightness() < 128 ? 1 : 0;
    }
    ASSERT_LT(from + 20, area->viewport()->width());
    EXPECT_EQ(inked, 0);
}

TEST_F(TextAreaLongLineTest, PreeditAndWrappingWorkInsideASegment)
{
    open(minified(100'000));
    area->setCaretPosition(5000);
    area->ensureCaretVisible();
    paint();
    const int x = area->cursorRect().x();
    QInputMethodEvent compose(QStringLiteral("ab"), {});
    QCoreApplication::sendEvent(area.get(), &compose);
    EXPECT_GT(area->cursorRect().x(), x);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("ab"));
    QCoreApplication::sendEvent(area.get(), &commit);
    EXPECT_EQ(area->buffer()->text(5000, 5002), QStringLiteral("ab"));

    // Wrapped, a segment takes several rows; positions and points still agree.
    area->setWordWrap(true);
    area->setCaretPosition(0);
    paint();
    EXPECT_TRUE(area->isLaidOut(0, 0));
    EXPECT_FALSE(area->isLaidOut(0, 1));
    const qsizetype second = nextRowStart(0);
    EXPECT_LT(second, LineSegments::wrappedSize);
    for (qsizetype at : { qsizetype(3), second + 1, nextRowStart(second) + 2 })
        EXPECT_EQ(area->positionAt(area->cursorRect(at).center() + QPoint(1, 0)), at) << at;
    key(Qt::Key_Down);
    EXPECT_EQ(area->cursorRect().y(), area->cursorRect(0).y() + area->rowHeight());
}

TEST_F(TextAreaLongLineTest, ASurrogatePairAtASegmentsEndIsNeverSplit)
{
    QString line(20'000, u'x');
    const QString face = QString::fromUcs4(U"\U0001F600");
    const qsizetype grid = 4 * LineSegments::unwrappedSize;
    line[grid - 1] = face[0];
    line[grid] = face[1];
    open(line);
    area->setCaretPosition(grid - 1);
    key(Qt::Key_Right);
    EXPECT_EQ(area->caretPosition(), grid + 1);
    key(Qt::Key_Left);
    EXPECT_EQ(area->caretPosition(), grid - 1);
    key(Qt::Key_Left);
    EXPECT_EQ(area->caretPosition(), grid - 2);
    // The pair begins a row of its own.
    EXPECT_EQ(area->cursorRect(grid - 1).x(), area->cursorRect(0).x());
    EXPECT_GT(area->cursorRect(grid - 1).y(), area->cursorRect(grid - 2).y());
}
