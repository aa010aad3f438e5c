#include "editor/EditorTextView.h"

#include "TestSupport.h"

#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QtMath>
#include <gtest/gtest.h>

#include <memory>

namespace
{

class EditorTextViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view = std::make_unique<EditorTextView>();
        view->setWordWrap(false);
        view->resize(500, 300);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }

    qreal charWidth() const { return QFontMetricsF(view->font()).horizontalAdvance('x'); }

    // A line of 'x' whose end leaves about `room` points for an annotation after it.
    QString lineLeaving(qreal room) const
    {
        const qreal end = view->viewport()->width() - room - 8 - charWidth();
        return QString(int((end - 12) / charWidth()), 'x');
    }

    void annotate(int location, const QString &text = QStringLiteral("Ada Lovelace, 3d ago"))
    {
        view->annotation = EditorTextView::Annotation { text, location };
        view->annotationChanged();
        view->viewport()->repaint();
    }

    // Pixels that differ from the editor's background inside an area of the viewport.
    int inkIn(const QRect &area) const
    {
        const QImage image = view->viewport()->grab().toImage();
        const QRgb background = image.pixel(image.width() - 2, image.height() - 2);
        int ink = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                ink += image.valid(x, y) && image.pixel(x, y) != background;
        return ink;
    }

    void drop(QMimeData *mime)
    {
        const QPointF at(40, 20);
        QDragEnterEvent enter(
            at.toPoint(), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view->viewport(), &enter);
        QDropEvent dropped(
            at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {}, QEvent::Drop);
        QCoreApplication::sendEvent(view->viewport(), &dropped);
    }

    std::unique_ptr<EditorTextView> view;
};

}

TEST_F(EditorTextViewTest, AnnotationNeedsMoreThan60PointsOfRoom)
{
    const QString longLine = lineLeaving(40);
    view->setFileText(longLine + "\nshort\n");
    annotate(3);
    EXPECT_FALSE(view->annotationRect());
    const int lineEnd = qCeil(12 + longLine.size() * charWidth());
    const int lineHeight = qFloor(QFontMetricsF(view->font()).height());
    EXPECT_EQ(
        inkIn(QRect(lineEnd + 1, 12, view->viewport()->width() - lineEnd - 1, lineHeight)), 0);

    const int secondLine = int(longLine.size()) + 2;
    annotate(secondLine);
    ASSERT_TRUE(view->annotationRect());
    const QRect rect = *view->annotationRect();
    EXPECT_NEAR(rect.left(), 12 + 6 * charWidth(), 2);
    EXPECT_GT(inkIn(rect), 0);

    // Scrolling right makes room for the long line.
    view->setFileText(longLine + "\n" + QString(200, 'y'));
    annotate(3);
    EXPECT_FALSE(view->annotationRect());
    view->horizontalScrollBar()->setValue(200);
    view->viewport()->repaint();
    EXPECT_TRUE(view->annotationRect());
}

TEST_F(EditorTextViewTest, AnnotationOnTheEmptyLastLine)
{
    view->setFileText("one\ntwo\n");
    annotate(8);
    ASSERT_TRUE(view->annotationRect());
    const QRect rect = *view->annotationRect();
    const QRect lastLine = view->cursorRect(view->buffer()->lineStart(view->buffer()->lineCount() - 1));
    EXPECT_NEAR(rect.center().y(), lastLine.center().y(), 2);
    EXPECT_NEAR(rect.left(), 12 + charWidth(), 2);

    // A location past the end is clamped onto the same line; clearing removes the area.
    annotate(99);
    EXPECT_EQ(view->annotationRect(), rect);
    view->annotation.reset();
    view->annotationChanged();
    EXPECT_FALSE(view->annotationRect());
}

TEST_F(EditorTextViewTest, ClickOnTheAnnotationKeepsTheCaret)
{
    view->setFileText("hello\nworld");
    int clicks = 0;
    view->onAnnotationClick = [&] { ++clicks; };
    annotate(2);
    ASSERT_TRUE(view->annotationRect());
    const QRect rect = *view->annotationRect();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(view->caretPosition(), 0);

    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, QPoint(rect.left() - 1, rect.center().y()));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(view->caretPosition(), 5);
}

TEST_F(EditorTextViewTest, HoverReportsEnteringAndLeaving)
{
    view->setFileText("hello");
    std::vector<std::optional<QRect>> reports;
    view->onAnnotationHover = [&](const std::optional<QRect> &rect) { reports.push_back(rect); };
    annotate(0);
    ASSERT_TRUE(view->annotationRect());
    const QRect rect = *view->annotationRect();
    const Qt::CursorShape textCursor = view->viewport()->cursor().shape();

    QTest::mouseMove(view->viewport(), rect.center());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], rect);
    EXPECT_TRUE(view->hoveringAnnotation());
    EXPECT_EQ(view->viewport()->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseMove(view->viewport(), rect.center() + QPoint(2, 0));
    EXPECT_EQ(reports.size(), 1u);

    QTest::mouseMove(view->viewport(), QPoint(rect.left() - 4, rect.center().y()));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[1]);
    EXPECT_EQ(view->viewport()->cursor().shape(), textCursor);

    // Clearing the annotation while the pointer is on it also reports leaving.
    QTest::mouseMove(view->viewport(), rect.center());
    view->annotation.reset();
    view->annotationChanged();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_FALSE(reports[3]);
    EXPECT_FALSE(view->hoveringAnnotation());
}

// Which drops are files is DroppedFiles' rule; the view opens those and inserts the rest.
TEST_F(EditorTextViewTest, DroppedFilesOpenAndOtherTextIsInserted)
{
    QTemporaryDir dir;
    const QString file = testsupport::writeFile(dir, "notes.txt", "x");
    view->setFileText("text");
    QList<QUrl> opened;
    view->onDrop = [&](const QList<QUrl> &urls) { opened = urls; };

    QMimeData urls;
    urls.setUrls({ QUrl::fromLocalFile(file) });
    urls.setText(file);
    drop(&urls);
    EXPECT_EQ(opened, QList<QUrl>({ QUrl::fromLocalFile(file) }));
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("text"));

    opened.clear();
    const QString missing = dir.filePath("missing.txt");
    QMimeData missingPath;
    missingPath.setText(missing);
    drop(&missingPath);
    EXPECT_TRUE(view->buffer()->text().contains(missing));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(EditorTextViewTest, WhileLoadingItIsReadOnlyAndEscapeStopsTheLoad)
{
    view->setFileText("kept");
    int stops = 0;
    view->onCancelLoad = [&] { ++stops; };
    view->showLoading(5, 10);
    EXPECT_TRUE(view->isLoading());
    EXPECT_TRUE(view->isReadOnly());
    view->setFocus();
    QTest::keyClick(view.get(), Qt::Key_A);
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("kept"));
    // The progress line is drawn where the text would be.
    view->viewport()->repaint();
    EXPECT_GT(inkIn(QRect(12, 12, 200, view->rowHeight())), 0);
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(stops, 1);

    view->endLoading();
    EXPECT_FALSE(view->isLoading());
    EXPECT_FALSE(view->isReadOnly());
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(stops, 1);
    QTest::keyClick(view.get(), Qt::Key_A);
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("akept"));

    // A view that was read-only stays so after its load.
    view->setReadOnly(true);
    view->showLoading(0, 0);
    view->endLoading();
    EXPECT_TRUE(view->isReadOnly());
}

TEST_F(EditorTextViewTest, OpenedTextHasNoHistoryAndShowLineCentresIt)
{
    QString text;
    for (int i = 0; i < 1000; ++i)
        text += QStringLiteral("line %1\r\n").arg(i);
    view->setFileText("before");
    QTest::keyClick(view.get(), Qt::Key_X);
    view->setFileText(text);
    EXPECT_FALSE(view->buffer()->canUndo());
    EXPECT_FALSE(view->buffer()->isModified());
    EXPECT_EQ(view->fileText(), text);

    view->showLine(600);
    EXPECT_EQ(view->caretPosition(), view->buffer()->lineStart(600));
    EXPECT_EQ(view->caretLine(), 600);
    const qsizetype middle = (view->firstVisibleLine() + view->lastVisibleLine()) / 2;
    EXPECT_NEAR(double(middle), 600.0, 2.0);
    // Past the end goes to the last line.
    view->showLine(5000);
    EXPECT_EQ(view->caretLine(), 1000);
}

// Each key at the start is a step of its own; the oldest falls off past the limit.
TEST_F(EditorTextViewTest, KeepsOnlyTheNewest500Steps)
{
    view->setFileText("oldest");
    view->setFocus();
    for (int i = 0; i < EditorTextView::undoLimit + 1; ++i) {
        view->setCaretPosition(0);
        QTest::keyClick(view.get(), Qt::Key_Return);
    }
    int undone = 0;
    while (view->buffer()->canUndo()) {
        view->undo();
        ++undone;
    }
    EXPECT_EQ(undone, EditorTextView::undoLimit);
    EXPECT_EQ(view->buffer()->text(), QStringLiteral("\noldest"));
}

TEST(EditorTextViewEscape, GoesToTheOwnerWhenItAsks)
{
    struct Counter : QObject {
        int escapes = 0;
        bool eventFilter(QObject *, QEvent *event) override
        {
            escapes += event->type() == QEvent::KeyPress
                && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
            return false;
        }
    } parentSaw;
    QWidget parent;
    auto *view = new EditorTextView(&parent);
    parent.installEventFilter(&parentSaw);
    parent.show();

    // Without a hook Escape does what it always does: the editor passes it on.
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(parentSaw.escapes, 1);

    int escapes = 0;
    view->onEscape = [&] { ++escapes; };
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
    EXPECT_EQ(parentSaw.escapes, 1);
}
