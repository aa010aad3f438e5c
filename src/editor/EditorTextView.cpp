#include "EditorTextView.h"

#include "AnnotationGeometry.h"
#include "DroppedFiles.h"
#include "common/Theme.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace
{

bool isPlainEscape(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
}

}

EditorTextView::EditorTextView(QWidget *parent)
    : TextArea(parent)
{
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

void EditorTextView::opened()
{
    buffer()->setClean();
    setCaretPosition(0);
    scrollToLine(0);
}

void EditorTextView::setFileText(const QString &text)
{
    buffer()->setFileText(text);
    opened();
}

void EditorTextView::adoptText(TextStorage storage)
{
    buffer()->adopt(std::move(storage));
    opened();
}

QString EditorTextView::fileText() const
{
    return buffer()->fileText();
}

qsizetype EditorTextView::caretLine() const
{
    return buffer()->lineAt(selectionStart());
}

void EditorTextView::showLine(qsizetype line)
{
    const qsizetype shown = std::clamp<qsizetype>(line, 0, buffer()->lineCount() - 1);
    setCaretPosition(buffer()->lineStart(shown));
    centerOnCaret();
}

void EditorTextView::showLoading(qint64 done, qint64 total)
{
    if (!loading) {
        loading = Progress { 0, 0, isReadOnly() };
        setReadOnly(true);
    }
    loading->done = done;
    loading->total = total;
    viewport()->update();
}

void EditorTextView::endLoading()
{
    if (!loading)
        return;
    setReadOnly(loading->wasReadOnly);
    loading.reset();
    viewport()->update();
}

void EditorTextView::drawLoading(QPainter &painter)
{
    const QString amount = loading->total > 0
        ? QStringLiteral("%1%").arg(std::clamp<qint64>(loading->done * 100 / loading->total, 0, 100))
        : QLocale().formattedDataSize(loading->done);
    const QString line = tr("Loading… %1 (Escape stops)").arg(amount);
    painter.setFont(font());
    painter.setPen(Theme::secondaryLabel(palette()));
    const QRectF area = viewport()->rect().adjusted(insets, insets, -insets, -insets);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop, line);
    if (loading->total <= 0)
        return;
    const qreal barTop = area.top() + rowHeight() * 1.5;
    const qreal width = std::min<qreal>(area.width(), 320);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::separator(palette()));
    painter.drawRect(QRectF(area.left(), barTop, width, 3));
    painter.setBrush(palette().color(QPalette::Highlight));
    painter.drawRect(QRectF(area.left(), barTop, width * qreal(loading->done) / qreal(loading->total), 3));
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
    if (event->type() == QEvent::ShortcutOverride && isPlainEscape(static_cast<QKeyEvent *>(event))
        && (onEscape || (loading && onCancelLoad))) {
        event->accept();
        return true;
    }
    return TextArea::event(event);
}

bool EditorTextView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Leave)
        leaveAnnotation();
    return TextArea::viewportEvent(event);
}

void EditorTextView::keyPressEvent(QKeyEvent *event)
{
    if (isPlainEscape(event) && loading && onCancelLoad) {
        onCancelLoad();
        event->accept();
        return;
    }
    if (isPlainEscape(event) && onEscape) {
        onEscape();
        event->accept();
        return;
    }
    TextArea::keyPressEvent(event);
}

void EditorTextView::paintAfterText(QPainter &painter)
{
    if (loading)
        drawLoading(painter);
    setAnnotationRect(drawAnnotation(painter));
}

std::optional<QRect> EditorTextView::drawAnnotation(QPainter &painter)
{
    if (!annotation)
        return std::nullopt;
    const qsizetype location = std::clamp<qsizetype>(annotation->location, 0, buffer()->length());
    const std::optional<QRectF> row = lastRowRect(buffer()->lineAt(location));
    if (!row)
        return std::nullopt;
    const QFontMetricsF metrics(font());
    const std::optional<QRectF> room = AnnotationGeometry::room(
        *row, metrics.horizontalAdvance(QLatin1Char(' ')), viewport()->width());
    if (!room)
        return std::nullopt;
    const QString shown = metrics.elidedText(annotation->text, Qt::ElideRight, room->width());
    painter.save();
    painter.setFont(font());
    painter.setPen(Theme::tertiaryLabel(palette()));
    const qreal baseline = room->top() + (room->height() - metrics.height()) / 2 + metrics.ascent();
    painter.drawText(QPointF(room->left(), baseline), shown);
    painter.restore();
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
    TextArea::mouseMoveEvent(event);
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
    TextArea::mousePressEvent(event);
}

void EditorTextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && onAnnotation(event->position())) {
        event->accept();
        return;
    }
    TextArea::mouseDoubleClickEvent(event);
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
        TextArea::dragEnterEvent(event);
}

void EditorTextView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takeFileDrag(event))
        TextArea::dragMoveEvent(event);
}

void EditorTextView::dropEvent(QDropEvent *event)
{
    const QList<QUrl> files = filesIn(event);
    if (files.isEmpty()) {
        TextArea::dropEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (onDrop)
        onDrop(files);
}
