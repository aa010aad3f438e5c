#include "EditorTextView.h"

#include "AnnotationGeometry.h"
#include "DroppedFiles.h"
#include "UndoHistory.h"
#include "common/Defaults.h"
#include "common/Theme.h"

#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace
{

constexpr qreal insets = 12;

bool isPlainEscape(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
}

QFont editorFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(Defaults::fontSize());
    return font;
}

}

EditorTextView::EditorTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(insets);
    setFont(editorFont());
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    setUndoRedoEnabled(true);
    new UndoHistory(document(), undoLimit);
    connect(document(), &QTextDocument::contentsChange, this, &EditorTextView::breaksFollowEdit);
}

void EditorTextView::setFileText(const QString &text)
{
    setPlainText(text);
    breaks = LineBreaks::scan(text);
    blockCount = document()->blockCount();
}

QString EditorTextView::fileText() const
{
    return breaks.join(document()->toRawText(), QChar::ParagraphSeparator);
}

void EditorTextView::breaksFollowEdit(int location, int removed, int added)
{
    if (removed == 0 && added == 0)
        return;
    const QTextDocument *text = document();
    const int end = std::min(location + added, text->characterCount() - 1);
    const QTextBlock first = text->findBlock(location);
    const QTextBlock last = text->findBlock(end);
    if (!first.isValid() || !last.isValid())
        return;
    // Breaks now inside the changed range are new; the change in the number of lines tells
    // how many the range held before.
    const int addedBreaks = last.blockNumber() - first.blockNumber();
    const int removedBreaks = blockCount - text->blockCount() + addedBreaks;
    blockCount = text->blockCount();
    breaks.edit(first.blockNumber(), location == first.position(), removedBreaks, addedBreaks);
}

void EditorTextView::annotationChanged()
{
    viewport()->update();
    if (!annotation) {
        drawnAnnotation.reset();
        leaveAnnotation();
    }
    refreshPointer();
}

bool EditorTextView::event(QEvent *event)
{
    // Escape belongs to the owner here, not to a window shortcut.
    if (event->type() == QEvent::ShortcutOverride && onEscape
        && isPlainEscape(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

bool EditorTextView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        leaveAnnotation();
    return QPlainTextEdit::viewportEvent(event);
}

void EditorTextView::keyPressEvent(QKeyEvent *event)
{
    if (onEscape && isPlainEscape(event)) {
        onEscape();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void EditorTextView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    setAnnotationRect(drawAnnotation());
}

std::optional<EditorTextView::Row> EditorTextView::annotatedRow() const
{
    const QTextDocument *text = document();
    const int length = text->characterCount() - 1;
    const QTextBlock block = text->findBlock(std::clamp(annotation->location, 0, length));
    if (!block.isValid() || !block.isVisible())
        return std::nullopt;
    // Lays the block out when needed; walks at most a few screens from the top block.
    const QRectF bounds = blockBoundingGeometry(block).translated(contentOffset());
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return std::nullopt;
    // The row holding the line's last character: the last visual row of a wrapped line.
    const QTextLine row = layout->lineForTextPosition(std::max(0, block.length() - 2));
    if (!row.isValid())
        return std::nullopt;
    return Row { QRectF(bounds.left() + row.x(), bounds.top() + row.y(), row.naturalTextWidth(),
                     row.height()),
        row.ascent() };
}

std::optional<QRect> EditorTextView::drawAnnotation()
{
    if (!annotation)
        return std::nullopt;
    const std::optional<Row> row = annotatedRow();
    if (!row)
        return std::nullopt;
    const QFontMetricsF metrics(font());
    const std::optional<QRectF> room = AnnotationGeometry::room(
        row->used, metrics.horizontalAdvance(QLatin1Char(' ')), viewport()->width());
    if (!room)
        return std::nullopt;
    const QString shown = metrics.elidedText(annotation->text, Qt::ElideRight, room->width());
    QPainter painter(viewport());
    painter.setFont(font());
    painter.setPen(Theme::tertiaryLabel(palette()));
    painter.drawText(QPointF(room->left(), room->top() + row->ascent), shown);
    return AnnotationGeometry::area(*room, metrics.horizontalAdvance(shown));
}

void EditorTextView::setAnnotationRect(const std::optional<QRect> &rect)
{
    if (rect == drawnAnnotation)
        return;
    drawnAnnotation = rect;
    // Never inside painting: the cursor follows on the next turn of the event loop.
    QMetaObject::invokeMethod(
        this, [this] { refreshPointer(); }, Qt::QueuedConnection);
}

bool EditorTextView::onAnnotation(const QPointF &point) const
{
    return annotation && drawnAnnotation && drawnAnnotation->contains(point.toPoint());
}

void EditorTextView::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    hoverAt(event->position().toPoint());
}

void EditorTextView::hoverAt(const QPoint &point)
{
    const bool inside = drawnAnnotation && drawnAnnotation->contains(point);
    showHandCursor(inside);
    if (inside == hovering)
        return;
    hovering = inside;
    if (onAnnotationHover)
        onAnnotationHover(inside ? drawnAnnotation : std::nullopt);
}

void EditorTextView::leaveAnnotation()
{
    showHandCursor(false);
    if (!hovering)
        return;
    hovering = false;
    if (onAnnotationHover)
        onAnnotationHover(std::nullopt);
}

void EditorTextView::refreshPointer()
{
    const QPoint point = viewport()->mapFromGlobal(QCursor::pos());
    showHandCursor(viewport()->underMouse() && drawnAnnotation && drawnAnnotation->contains(point));
}

void EditorTextView::showHandCursor(bool hand)
{
    if (hand == handCursor)
        return;
    handCursor = hand;
    if (hand) {
        cursorBeforeHand = viewport()->cursor();
        viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        viewport()->setCursor(cursorBeforeHand);
    }
}

void EditorTextView::mousePressEvent(QMouseEvent *event)
{
    // A click on the annotation is the annotation's; the caret stays where it is.
    if (event->button() == Qt::LeftButton && onAnnotation(event->position())) {
        if (onAnnotationClick)
            onAnnotationClick();
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
}

void EditorTextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onAnnotation(event->position())) {
        event->accept();
        return;
    }
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

QList<QUrl> EditorTextView::filesIn(const QDropEvent *event) const
{
    // Text dragged within this editor is always moved as text, even when it reads like a path.
    for (const QObject *source = event->source(); source; source = source->parent()) {
        if (source == this)
            return {};
    }
    return droppedFiles(event->mimeData());
}

bool EditorTextView::takeFileDrag(QDropEvent *event) const
{
    if (filesIn(event).isEmpty())
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void EditorTextView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!takeFileDrag(event))
        QPlainTextEdit::dragEnterEvent(event);
}

void EditorTextView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takeFileDrag(event))
        QPlainTextEdit::dragMoveEvent(event);
}

void EditorTextView::dropEvent(QDropEvent *event)
{
    const QList<QUrl> files = filesIn(event);
    if (files.isEmpty()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (onDrop)
        onDrop(files);
}
