#include "editor/view/TextArea.h"

#include "TestSupport.h"
#include "editor/buffer/TextBuffer.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QTest>
#include <QTextCharFormat>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

std::unique_ptr<TextArea> shownArea(int width = 600, int height = 400)
{
    auto area = std::make_unique<TextArea>();
    area->resize(width, height);
    area->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(area.get()));
    return area;
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1 of the text").arg(i);
    return lines.join(u'\n');
}

QImage painted(TextArea &area)
{
    // Scroll bars come and go on a posted layout request.
    QCoreApplication::processEvents();
    area.viewport()->repaint();
    return area.viewport()->grab().toImage();
}

class TextAreaTest : public ::testing::Test
{
protected:
    void SetUp() override { area = shownArea(); }

    void setText(const QString &text) { area->buffer()->setFileText(text); }
    QString text() const { return area->buffer()->text(); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(area.get(), key, modifiers);
    }
    void type(const QString &typed) { QTest::keyClicks(area.get(), typed); }
    QPoint pointAt(qsizetype position) const { return area->cursorRect(position).center(); }
    std::pair<qsizetype, qsizetype> selection() const
    {
        return { area->anchorPosition(), area->caretPosition() };
    }
    void drag(const QPoint &from, const QPoint &to)
    {
        QWidget *viewport = area->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
    }

    std::unique_ptr<TextArea> area;
};

using Selection = std::pair<qsizetype, qsizetype>;

}

TEST_F(TextAreaTest, TypingUndoesAWordAtATimeAndRestoresTheSelection)
{
    setText(QStringLiteral("alpha beta\ngamma"));
    area->setSelection(6, 10); // "beta"
    type(QStringLiteral("delta epsilon"));
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilon\ngamma"));
    EXPECT_EQ(selection(), Selection(19, 19));

    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta \ngamma"));
    EXPECT_EQ(selection(), Selection(12, 12));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha beta\ngamma"));
    EXPECT_EQ(selection(), Selection(6, 10)) << "the replaced selection comes back";

    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta \ngamma"));
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilon\ngamma"));
    EXPECT_EQ(selection(), Selection(19, 19));

    // A save in the middle of a word closes its step; the rest of the word is one more.
    type(QStringLiteral(" hel"));
    area->buffer()->setClean();
    type(QStringLiteral("lo"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilon hel\ngamma"));
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilon\ngamma"));

    key(Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilon\ngamma")) << "Alt+F is a menu's";
    type(QStringLiteral("ab"));
    area->endTypingStep();
    area->buffer()->insert(0, QStringLiteral(">"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("alpha delta epsilonab\ngamma"))
        << "an edit from outside is a step of its own";
}

TEST_F(TextAreaTest, ReturnBackspaceDeleteAndTabEditAtTheCaret)
{
    setText(QStringLiteral("ab\ncd"));
    area->setCaretPosition(1);
    key(Qt::Key_Return);
    EXPECT_EQ(text(), QStringLiteral("a\nb\ncd"));
    key(Qt::Key_Tab);
    EXPECT_EQ(text(), QStringLiteral("a\n\tb\ncd"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(text(), QStringLiteral("ab\ncd"));
    key(Qt::Key_End);
    key(Qt::Key_Delete); // joins the lines
    EXPECT_EQ(text(), QStringLiteral("abcd"));
    EXPECT_EQ(area->caretPosition(), 2);
    EXPECT_EQ(area->buffer()->lineCount(), 1);

    const QStringList undone { QStringLiteral("ab\ncd"), QStringLiteral("a\n\tb\ncd"),
        QStringLiteral("a\nb\ncd"), QStringLiteral("ab\ncd") };
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Z, Qt::ControlModifier);
        seen << text();
    }
    EXPECT_EQ(seen, undone) << "Backspaces in a row undo together; the caret move ends the run";
    EXPECT_EQ(area->caretPosition(), 1);
}

TEST_F(TextAreaTest, ArrowsStepOverWholeCharactersAndBackspaceTakesOneCodePoint)
{
    // An emoji (two code units) and an e with a combining accent (two code points).
    setText(QStringLiteral("a\U0001F600e\u0301z"));
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(area->caretPosition(), 3) << "over both halves of the emoji";
    key(Qt::Key_Right);
    EXPECT_EQ(area->caretPosition(), 5) << "over the letter and its accent";
    key(Qt::Key_Backspace);
    EXPECT_EQ(text(), QStringLiteral("a\U0001F600ez")) << "the accent alone";
    key(Qt::Key_Left);
    key(Qt::Key_Backspace);
    EXPECT_EQ(text(), QStringLiteral("aez")) << "the whole emoji, never half of it";
}

TEST_F(TextAreaTest, ReadOnlyMovesButNeverEdits)
{
    setText(QStringLiteral("fixed text"));
    area->setReadOnly(true);
    type(QStringLiteral("xy"));
    key(Qt::Key_Return);
    key(Qt::Key_Delete);
    key(Qt::Key_Right, Qt::ShiftModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("fixed text"));
    EXPECT_EQ(selection(), Selection(0, 1));
}

TEST_F(TextAreaTest, ShiftArrowsSelectAndArrowsCollapse)
{
    setText(QStringLiteral("first line\nsecond line\nthird"));
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(area->selectedText(), QStringLiteral("fir"));
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selection(), Selection(0, 14));
    EXPECT_EQ(area->selectedText(), QStringLiteral("first line\nsec"));
    key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(selection(), Selection(0, 22));
    key(Qt::Key_Left);
    EXPECT_EQ(selection(), Selection(0, 0)) << "Left goes to the selection's start";
    key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(selection(), Selection(0, 28));
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(area->selectedText(), text());
}

TEST_F(TextAreaTest, UpAndDownKeepTheColumnAcrossShortLines)
{
    setText(QStringLiteral("long line here\nab\nanother long one"));
    area->setCaretPosition(10);
    key(Qt::Key_Down);
    EXPECT_EQ(area->caretPosition(), 17) << "the end of the short line";
    key(Qt::Key_Down);
    EXPECT_EQ(area->caretPosition(), 28) << "back to column 10";
    key(Qt::Key_Down);
    EXPECT_EQ(area->caretPosition(), text().size()) << "past the last line: the end";
}

TEST_F(TextAreaTest, CtrlArrowsMoveByWordsAndAcrossLines)
{
    setText(QStringLiteral("int value = 42;\n  next"));
    std::vector<qsizetype> stops;
    for (int i = 0; i < 8; ++i) {
        key(Qt::Key_Right, Qt::ControlModifier);
        stops.push_back(area->caretPosition());
    }
    EXPECT_EQ(stops, (std::vector<qsizetype> { 4, 10, 12, 14, 15, 16, 18, 22 }));
    key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(area->selectedText(), QStringLiteral("next"));
    key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("int value = 42;\n  "));
    area->setCaretPosition(4);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("int = 42;\n  "));
}

TEST_F(TextAreaTest, MouseSelectsByDragWordLineAndShiftClick)
{
    setText(QStringLiteral("alpha beta gamma\nsecond line"));
    drag(pointAt(2), pointAt(20));
    EXPECT_EQ(selection(), Selection(2, 20));
    drag(pointAt(20), pointAt(2));
    EXPECT_EQ(selection(), Selection(20, 2)) << "a drag upwards keeps its anchor below";

    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(8));
    EXPECT_EQ(selection(), Selection(8, 8));
    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::ShiftModifier, pointAt(14));
    EXPECT_EQ(selection(), Selection(8, 14));
    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(10));
    EXPECT_EQ(selection(), Selection(10, 10)) << "a click inside a selection, not a drag";

    QTest::mouseDClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(8));
    EXPECT_EQ(area->selectedText(), QStringLiteral("beta"));
    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(8));
    EXPECT_EQ(area->selectedText(), QStringLiteral("alpha beta gamma\n")) << "a third click";

    // Clicks below the last line go to the end of the text.
    QTest::mouseClick(area->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(30, 380));
    EXPECT_EQ(area->caretPosition(), text().size());
}

TEST_F(TextAreaTest, ADragHeldBelowTheTextScrollsAndKeepsSelecting)
{
    setText(numberedLines(200));
    QWidget *viewport = area->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, pointAt(3));
    const QPoint below(40, viewport->height() + 30);
    QMouseEvent move(QEvent::MouseMove, below, viewport->mapToGlobal(below), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    const qsizetype firstLast = area->lastVisibleLine();
    ASSERT_TRUE(testsupport::waitUntil([&] { return area->firstVisibleLine() >= 5; }));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, below);
    const qsizetype reached = area->buffer()->lineAt(area->caretPosition());
    EXPECT_GT(reached, firstLast);
    EXPECT_EQ(area->anchorPosition(), 3);
    const qsizetype stopped = area->firstVisibleLine();
    QTest::qWait(150);
    EXPECT_EQ(area->firstVisibleLine(), stopped) << "the release stops the scrolling";
}

TEST_F(TextAreaTest, ClipboardCopyCutAndPasteGoThroughTheBuffer)
{
    setText(QStringLiteral("one two\nthree"));
    area->setSelection(4, 11); // "two\nthr"
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("two\nthr"));
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("one ee"));
    area->setCaretPosition(text().size());
    QGuiApplication::clipboard()->setText(QStringLiteral("\r\nx\ry"));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("one ee\nx\ny")) << "each break of any kind is one line";
    EXPECT_EQ(area->caretPosition(), text().size());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("one ee"));
}

TEST_F(TextAreaTest, PageDownMovesTheCaretAndTheViewByTheVisibleLines)
{
    setText(numberedLines(1000));
    qsizetype fullyVisible = 0;
    while (area->lineRect(fullyVisible).bottom() < area->viewport()->height())
        ++fullyVisible;
    ASSERT_GT(fullyVisible, 5);
    key(Qt::Key_PageDown);
    const qsizetype caretLine = area->buffer()->lineAt(area->caretPosition());
    EXPECT_NEAR(caretLine, fullyVisible, 1);
    EXPECT_NEAR(area->firstVisibleLine(), fullyVisible, 1);
    key(Qt::Key_PageUp);
    EXPECT_EQ(area->caretPosition(), 0);
    EXPECT_EQ(area->firstVisibleLine(), 0);
}

TEST_F(TextAreaTest, ScrollingToALineMakesItTheFirstVisible)
{
    setText(numberedLines(1000));
    area->scrollToLine(500);
    EXPECT_EQ(area->firstVisibleLine(), 500);
    EXPECT_EQ(area->verticalScrollBar()->value(), 500);
    const qsizetype atTop = area->positionAt(QPoint(TextArea::insets + 2, 2));
    EXPECT_EQ(area->buffer()->lineAt(atTop), 500);

    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(area->lastVisibleLine(), 999);
    EXPECT_GT(area->firstVisibleLine(), 950);
    EXPECT_TRUE(area->viewport()->rect().contains(area->cursorRect()));
    area->scrollToLine(5000);
    EXPECT_EQ(area->lastVisibleLine(), 999) << "never scrolled past the end";
}

TEST_F(TextAreaTest, EditsElsewhereKeepTheSameTextInView)
{
    setText(numberedLines(1000));
    TextBuffer *buffer = area->buffer();
    area->scrollToLine(100);
    buffer->insert(buffer->lineStart(10), QStringLiteral("a\nb\nc\n"));
    EXPECT_EQ(area->firstVisibleLine(), 103);
    EXPECT_EQ(area->verticalScrollBar()->value(), 103);
    buffer->remove(buffer->lineStart(500), buffer->lineStart(600) - buffer->lineStart(500));
    EXPECT_EQ(area->firstVisibleLine(), 103) << "lines below the view do not move it";
    buffer->remove(buffer->lineStart(90), buffer->lineStart(110) - buffer->lineStart(90));
    EXPECT_EQ(area->firstVisibleLine(), 90) << "the top line went: the line after the cut";

    key(Qt::Key_End, Qt::ControlModifier);
    const qsizetype lastTop = area->firstVisibleLine();
    buffer->remove(buffer->lineStart(880), buffer->length() - buffer->lineStart(880));
    EXPECT_LT(area->firstVisibleLine(), lastTop);
    EXPECT_EQ(area->lastVisibleLine(), buffer->lineCount() - 1);
    EXPECT_EQ(area->verticalScrollBar()->value(), area->firstVisibleLine());
}

TEST_F(TextAreaTest, TheWheelScrollsByRowsThroughAWrappedLine)
{
    setText(QString(QStringLiteral("word ")).repeated(400) + QStringLiteral("\n")
        + numberedLines(100));
    area->setWordWrap(true);
    painted(*area);
    QSignalSpy visible(area.get(), &TextArea::visibleLinesChanged);
    const QRect before = area->lineRect(0);
    ASSERT_GT(before.height(), 6 * area->rowHeight());
    const auto turn = [&](int angle) {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, area->viewport()->mapToGlobal(at), QPoint(), QPoint(0, angle),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(area->viewport(), &wheel);
    };
    turn(-120);
    const int rows = QApplication::wheelScrollLines();
    EXPECT_EQ(area->firstVisibleLine(), 0) << "still inside the long line";
    // The margin above the first row goes with it.
    EXPECT_EQ(before.top(), TextArea::insets);
    EXPECT_EQ(area->lineRect(0).top(), -rows * area->rowHeight());
    EXPECT_FALSE(visible.isEmpty());
    const int lineRows = before.height() / area->rowHeight();
    while (area->firstVisibleLine() == 0 && area->lineRect(0).top() > -before.height())
        turn(-120);
    // The turn that passed the long line's last row went on into the short lines after it.
    const int turns = (lineRows + rows - 1) / rows;
    EXPECT_EQ(area->firstVisibleLine(), turns * rows - lineRows + 1);
    EXPECT_EQ(area->lineRect(area->firstVisibleLine()).top(), 0);
    for (int i = 0; i <= lineRows / rows; ++i)
        turn(120);
    EXPECT_EQ(area->firstVisibleLine(), 0);
    EXPECT_EQ(area->lineRect(0).top(), before.top());
}

TEST_F(TextAreaTest, EditsRelayOutOnlyTheLinesTheyTouch)
{
    setText(numberedLines(40));
    painted(*area);
    ASSERT_TRUE(area->isLaidOut(3) && area->isLaidOut(4) && area->isLaidOut(5));

    const auto madeBy = [&](const std::function<void()> &edit) {
        const quint64 before = area->layoutsMade();
        edit();
        painted(*area);
        return area->layoutsMade() - before;
    };
    area->setCaretPosition(area->buffer()->lineStart(4) + 4);
    EXPECT_EQ(madeBy([&] { type(QStringLiteral("X")); }), 1u);
    EXPECT_EQ(madeBy([&] { key(Qt::Key_Return); }), 2u) << "the two halves of the line";
    EXPECT_EQ(madeBy([&] {
        area->setCaretPosition(area->buffer()->lineStart(10));
        key(Qt::Key_Backspace);
    }),
        1u)
        << "the joined line";
    EXPECT_EQ(madeBy([&] { key(Qt::Key_Z, Qt::ControlModifier); }), 2u);
    area->clearFocus();

    // What is painted is what a view that never saw the edits paints.
    auto fresh = shownArea();
    fresh->buffer()->setFileText(text());
    fresh->setSelection(area->anchorPosition(), area->caretPosition());
    fresh->clearFocus();
    EXPECT_EQ(painted(*area), painted(*fresh));
}

TEST_F(TextAreaTest, WrapGivesALongLineMoreRows)
{
    const QString longLine = QString(QStringLiteral("word ")).repeated(200);
    setText(longLine + QStringLiteral("\nshort"));
    const int row = area->rowHeight();
    EXPECT_EQ(area->lineRect(0).height(), row);
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);

    area->setWordWrap(true);
    painted(*area);
    const QRect wrapped = area->lineRect(0);
    EXPECT_GE(wrapped.height(), 4 * row);
    EXPECT_EQ(area->lineRect(1).top(), wrapped.bottom() + 1);
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0);
    // The second row starts where the first broke.
    const qsizetype secondRow = area->positionAt(QPoint(TextArea::insets, wrapped.top() + row + 2));
    EXPECT_GT(secondRow, 20);
    EXPECT_EQ(longLine.at(secondRow - 1), u' ');
    // What is drawn after the line's end goes after its last row.
    const std::optional<QRectF> lastRow = area->lastRowRect(0);
    ASSERT_TRUE(lastRow);
    EXPECT_EQ(qRound(lastRow->bottom()), wrapped.bottom() + 1);
    EXPECT_NEAR(lastRow->right(), area->cursorRect(longLine.size()).x(), 1.0);
    EXPECT_FALSE(area->lastRowRect(2).has_value());
    // End goes to the end of the row, not of the line.
    area->setCaretPosition(0);
    key(Qt::Key_End);
    EXPECT_EQ(area->caretPosition(), secondRow - 1);
}

TEST_F(TextAreaTest, PreeditIsShownAtTheCaretAndCommittedAsOneStep)
{
    setText(QStringLiteral("ab\ncd"));
    area->setCaretPosition(1);
    const QImage before = painted(*area);
    const int caretX = area->cursorRect().x();

    QTextCharFormat underline;
    underline.setFontUnderline(true);
    QInputMethodEvent compose(QStringLiteral("nihao"),
        { { QInputMethodEvent::TextFormat, 0, 5, underline },
            { QInputMethodEvent::Cursor, 5, 1, QVariant() } });
    QCoreApplication::sendEvent(area.get(), &compose);
    EXPECT_EQ(text(), QStringLiteral("ab\ncd")) << "pre-edit text is not in the buffer";
    EXPECT_NE(painted(*area), before);
    EXPECT_GT(area->cursorRect().x(), caretX + 3 * QFontMetrics(area->font()).horizontalAdvance('n'));
    EXPECT_EQ(area->inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab"));
    EXPECT_EQ(area->inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    const QRect reported = area->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(reported, area->cursorRect().translated(area->viewport()->pos()));

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("你好"));
    QCoreApplication::sendEvent(area.get(), &commit);
    EXPECT_EQ(text(), QStringLiteral("a你好b\ncd"));
    EXPECT_EQ(area->caretPosition(), 3);
    area->clearFocus();
    auto fresh = shownArea();
    fresh->buffer()->setFileText(text());
    fresh->clearFocus();
    area->setCaretPosition(0);
    EXPECT_EQ(painted(*area), painted(*fresh)) << "the pre-edit is gone from the screen";
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("ab\ncd"));
}

TEST_F(TextAreaTest, FormatsFromOutsideColourTheirCharactersThroughEdits)
{
    setText(QStringLiteral("plain\nred word here"));
    QTextLayout::FormatRange red;
    red.start = 4;
    red.length = 4; // "word"
    red.format.setForeground(QColor(Qt::red));
    area->setLineFormats(1, { red });
    const auto redColumns = [&] {
        const QImage image = painted(*area);
        const QRect line = area->lineRect(1);
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x)
            for (int y = line.top(); y <= line.bottom(); ++y)
                if (QColor(image.pixel(x, y)).red() > 200 && QColor(image.pixel(x, y)).green() < 80) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    };
    const std::vector<int> first = redColumns();
    ASSERT_FALSE(first.empty());
    EXPECT_GE(first.front(), area->cursorRect(area->buffer()->lineStart(1) + 4).x() - 1);
    area->setCaretPosition(area->buffer()->lineStart(1));
    type(QStringLiteral("xx"));
    const std::vector<int> moved = redColumns();
    ASSERT_FALSE(moved.empty());
    const int shift = area->cursorRect(area->buffer()->lineStart(1) + 2).x()
        - area->cursorRect(area->buffer()->lineStart(1)).x();
    EXPECT_EQ(moved.front(), first.front() + shift);
    EXPECT_TRUE(redColumns().size() > 0);
    EXPECT_TRUE(area->buffer()->text().indexOf(QStringLiteral("xxred")) > 0);
}

TEST(TextAreaLoad, AMillionLinesOpenLayingOutOnlyTheVisibleLines)
{
    auto area = shownArea(800, 600);
    const QString text = numberedLines(1'000'000);
    const quint64 empty = area->layoutsMade();
    area->buffer()->setFileText(text);
    painted(*area);
    const qsizetype visible = area->lastVisibleLine() - area->firstVisibleLine() + 1;
    EXPECT_GT(area->layoutsMade(), empty);
    EXPECT_LE(area->layoutsMade() - empty, quint64(visible));

    const quint64 before = area->layoutsMade();
    QTest::keyClick(area.get(), Qt::Key_End, Qt::ControlModifier);
    painted(*area);
    EXPECT_EQ(area->lastVisibleLine(), 999'999);
    EXPECT_LE(area->layoutsMade() - before, quint64(visible + 1));
    area->scrollToLine(400'000);
    painted(*area);
    EXPECT_TRUE(area->isLaidOut(400'000));
    EXPECT_FALSE(area->isLaidOut(399'999));
    EXPECT_FALSE(area->isLaidOut(500'000));
}

TEST_F(TextAreaTest, DroppedTextGoesWhereItLandsAsOneStep)
{
    setText(QStringLiteral("first line\nsecond line"));
    const auto drop = [&](const QPoint &at) {
        QMimeData mime;
        mime.setText(QStringLiteral("NEW "));
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(area->viewport(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {},
            QEvent::Drop);
        QCoreApplication::sendEvent(area->viewport(), &dropped);
        return dropped.isAccepted();
    };
    EXPECT_TRUE(drop(pointAt(18)));
    EXPECT_EQ(text(), QStringLiteral("first line\nsecond NEW line"));
    EXPECT_EQ(area->selectedText(), QStringLiteral("NEW ")) << "the dropped text is selected";
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), QStringLiteral("first line\nsecond line"));

    area->setReadOnly(true);
    EXPECT_FALSE(drop(pointAt(3)));
    EXPECT_EQ(text(), QStringLiteral("first line\nsecond line"));
}

TEST_F(TextAreaTest, TheContextMenuOffersWhatAppliesNow)
{
    setText(QStringLiteral("some text"));
    QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
    const auto actions = [&] {
        std::unique_ptr<QMenu> menu(area->createStandardContextMenu());
        QMap<QString, bool> enabled;
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                enabled.insert(action->text().remove(u'&'), action->isEnabled());
        return enabled;
    };
    QMap<QString, bool> now = actions();
    EXPECT_FALSE(now.value(QStringLiteral("Undo")));
    EXPECT_FALSE(now.value(QStringLiteral("Copy")));
    EXPECT_TRUE(now.value(QStringLiteral("Paste")));
    area->setSelection(0, 4);
    type(QStringLiteral("any"));
    area->setSelection(0, 3);
    now = actions();
    EXPECT_TRUE(now.value(QStringLiteral("Undo")));
    EXPECT_TRUE(now.value(QStringLiteral("Cut")));
    std::unique_ptr<QMenu> menu(area->createStandardContextMenu());
    for (QAction *action : menu->actions())
        if (action->text() == QStringLiteral("Delete"))
            action->trigger();
    EXPECT_EQ(text(), QStringLiteral(" text"));
    area->setSelection(1, 3);
    area->setReadOnly(true);
    now = actions();
    EXPECT_FALSE(now.value(QStringLiteral("Paste")));
    EXPECT_FALSE(now.value(QStringLiteral("Cut")));
    EXPECT_TRUE(now.value(QStringLiteral("Copy")));
}

TEST_F(TextAreaTest, ALongLineScrollsSidewaysToKeepTheCaretInView)
{
    setText(QString(300, u'x') + QStringLiteral("\nshort"));
    key(Qt::Key_End);
    QScrollBar *bar = area->horizontalScrollBar();
    EXPECT_GT(bar->value(), 0);
    EXPECT_TRUE(area->viewport()->rect().contains(area->cursorRect()));
    key(Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_GE(bar->maximum(), 300 * QFontMetrics(area->font()).horizontalAdvance(u'x') - 600)
        << "room for the whole line";
}

TEST_F(TextAreaTest, AnotherBufferCanBeShownAndOutlivedSafely)
{
    setText(QStringLiteral("own text"));
    auto other = std::make_unique<TextBuffer>();
    other->setFileText(QStringLiteral("other text\nline two"));
    area->setBuffer(other.get());
    EXPECT_EQ(area->buffer(), other.get());
    EXPECT_EQ(area->caretPosition(), 0);
    type(QStringLiteral("new "));
    EXPECT_EQ(other->text(), QStringLiteral("new other text\nline two"));
    other.reset();
    EXPECT_NE(area->buffer(), nullptr);
    EXPECT_EQ(text(), QStringLiteral("own text")) << "back to the view's own buffer";
    type(QStringLiteral("still "));
    EXPECT_EQ(text(), QStringLiteral("still own text"));
    painted(*area);
}

TEST_F(TextAreaTest, AnotherFontLaysTheLinesOutAgain)
{
    setText(numberedLines(50));
    painted(*area);
    const int rowBefore = area->rowHeight();
    const qsizetype lastBefore = area->lastVisibleLine();
    QFont bigger = area->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 2);
    area->setFont(bigger);
    EXPECT_GT(area->rowHeight(), rowBefore * 3 / 2);
    EXPECT_EQ(area->lineRect(1).height(), area->rowHeight());
    EXPECT_LT(area->lastVisibleLine(), lastBefore);
    EXPECT_FALSE(area->isLaidOut(1)) << "layouts in the old font are gone";
}

TEST_F(TextAreaTest, HighlightsAreTintedUnderTheSelectionAndMoveWithEdits)
{
    setText(QStringLiteral("find me, find me again"));
    QTextCharFormat tint;
    tint.setBackground(QColor(Qt::yellow));
    area->setHighlights({ { 0, 4, tint }, { 9, 4, tint } });
    const auto yellowAt = [&](qsizetype position) {
        const QImage image = painted(*area);
        const QRect caret = area->cursorRect(position);
        const QColor pixel = image.pixelColor(caret.x() + 3, caret.y() + 2);
        return pixel.red() > 200 && pixel.green() > 200 && pixel.blue() < 80;
    };
    EXPECT_TRUE(yellowAt(1));
    EXPECT_FALSE(yellowAt(6));
    EXPECT_TRUE(yellowAt(10));

    area->setCaretPosition(0);
    type(QStringLiteral("xyz "));
    ASSERT_EQ(area->highlights().size(), 2);
    EXPECT_EQ(area->highlights()[0].start, 4);
    EXPECT_EQ(area->highlights()[1].start, 13);
    EXPECT_TRUE(yellowAt(14));
    area->setSelection(13, 17);
    EXPECT_FALSE(yellowAt(14)) << "the selection is painted over it";
    key(Qt::Key_Delete);
    EXPECT_EQ(area->highlights().size(), 1) << "a highlight whose text went goes too";
}

TEST_F(TextAreaTest, CenteringPutsTheCaretMidView)
{
    setText(numberedLines(1000));
    area->setCaretPosition(area->buffer()->lineStart(500));
    area->centerOnCaret();
    const qsizetype first = area->firstVisibleLine();
    const qsizetype last = area->lastVisibleLine();
    EXPECT_NEAR(500 - first, last - 500, 2);
    area->setCaretPosition(area->buffer()->lineStart(3));
    area->centerOnCaret();
    EXPECT_EQ(area->firstVisibleLine(), 0);
}
