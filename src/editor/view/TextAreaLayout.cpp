// Laying out, measuring, scrolling and painting the lines in view.
#include "TextArea.h"

#include "LineSegments.h"
#include "editor/buffer/TextBuffer.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLine>
#include <QtMath>

namespace
{

bool before(const RowScroll::Place &a, const RowScroll::Place &b)
{
    return a.line < b.line || (a.line == b.line && a.row < b.row);
}

// A line as wide as this is never broken (Qt clamps widths to what it can hold).
constexpr qreal unbounded = 1e9;

}

QTextOption TextArea::textOption() const
{
    // Tab stops stay at Qt's default distance, as the editor has always shown them.
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    return option;
}

QTextLayout *TextArea::layoutOf(qsizetype line, qsizetype segment) const
{
    if (QTextLayout *found = layouts.find(line, segment))
        return found;
    const qsizetype lineStart = text->lineStart(line);
    const Segment part = segmentOf(line, segment);
    auto layout = std::make_unique<QTextLayout>(
        text->text(lineStart + part.start, lineStart + part.end), font());
    layout->setTextOption(textOption());
    layout->setCacheEnabled(true);
    QList<QTextLayout::FormatRange> shown;
    for (QTextLayout::FormatRange range : formats.of(line)) {
        const qsizetype from = std::max<qsizetype>(range.start, part.start);
        const qsizetype to = std::min<qsizetype>(range.start + range.length, part.end);
        if (to > from)
            shown.append({ int(from - part.start), int(to - from), range.format });
    }
    const qsizetype caretColumn = caret - lineStart;
    if (!preedit.isEmpty() && caretColumn >= 0 && caretColumn <= text->lineLength(line)
        && segmentAt(line, caretColumn) == segment) {
        const qsizetype column = caretColumn - part.start;
        layout->setPreeditArea(int(column), preedit);
        for (QTextLayout::FormatRange &range : shown)
            range = LineFormats::shifted(range, column, 0, preedit.size());
        for (QTextLayout::FormatRange range : preeditFormats) {
            range.start += int(column);
            shown.append(range);
        }
    }
    layout->setFormats(shown);
    const qreal width = wrap ? std::max(viewport()->width() - 2.0 * insets, 8 * charWidth) : unbounded;
    layout->beginLayout();
    for (int row = 0;; ++row) {
        QTextLine textLine = layout->createLine();
        if (!textLine.isValid())
            break;
        textLine.setLineWidth(width);
        textLine.setPosition(QPointF(0, row * lineHeight));
    }
    layout->endLayout();
    if (!wrap && layout->maximumWidth() > widestSeen) {
        widestSeen = layout->maximumWidth();
        widthGrew = true;
    }
    return layouts.insert(line, segment, std::move(layout));
}

void TextArea::fontChanged()
{
    const QFontMetricsF metrics(font());
    lineHeight = std::max(1, qCeil(metrics.lineSpacing()));
    charWidth = std::max<qreal>(1, metrics.horizontalAdvance(QLatin1Char('x')));
    layouts.clear();
    widestSeen = 0;
    horizontalScrollBar()->setSingleStep(qCeil(charWidth));
    updateScrollBars();
    viewport()->update();
}

qsizetype TextArea::rowsOf(qsizetype line) const
{
    return firstRowOf(line, segmentCount(line));
}

qsizetype TextArea::laidOutRowsOf(qsizetype line) const
{
    // Segments of a long line count as laid out only once they are in view.
    const qsizetype count = segmentCount(line);
    if (wrap && count == 1)
        return std::max(1, layoutOf(line)->lineCount());
    return firstRowOf(line, count);
}

qsizetype TextArea::visibleRows() const
{
    return std::max(1, (viewport()->height() - insets) / lineHeight);
}

qreal TextArea::textLeft() const
{
    return insets - horizontalScrollBar()->value();
}

qreal TextArea::topOffset() const
{
    // The margin above the first line scrolls away with it.
    return top == RowScroll::Place {} ? insets : 0;
}

std::optional<qreal> TextArea::visibleLineTop(qsizetype line) const
{
    if (line < top.line || line >= text->lineCount())
        return std::nullopt;
    qreal y = topOffset() - top.row * lineHeight;
    for (qsizetype at = top.line; at < line; ++at) {
        y += laidOutRowsOf(at) * lineHeight;
        if (y >= viewport()->height())
            return std::nullopt;
    }
    return y;
}

qreal TextArea::lineTop(qsizetype line) const
{
    if (const std::optional<qreal> y = visibleLineTop(line))
        return *y;
    return topOffset() + qreal(line - top.line - top.row) * lineHeight;
}

qsizetype TextArea::lastVisibleLine() const
{
    const qsizetype count = text->lineCount();
    qreal y = topOffset() - top.row * lineHeight;
    qsizetype line = top.line;
    for (; line + 1 < count; ++line) {
        y += laidOutRowsOf(line) * lineHeight;
        if (y >= viewport()->height())
            break;
    }
    return line;
}

QRect TextArea::lineRect(qsizetype line) const
{
    const qreal y = lineTop(line);
    const qsizetype rows = layouts.contains(line) || visibleLineTop(line) ? laidOutRowsOf(line) : 1;
    return QRect(0, qFloor(y), viewport()->width(), int(rows * lineHeight));
}

std::optional<QRectF> TextArea::lastRowRect(qsizetype line) const
{
    const std::optional<qreal> y = visibleLineTop(line);
    if (!y)
        return std::nullopt;
    const qsizetype last = segmentCount(line) - 1;
    const qreal segmentTop = *y + firstRowOf(line, last) * lineHeight;
    // The end of a line shown in segments may be far below; it is not laid out for this.
    if (last > 0 && segmentTop >= viewport()->height())
        return std::nullopt;
    const QTextLayout *layout = layoutOf(line, last);
    const QTextLine row = layout->lineAt(layout->lineCount() - 1);
    return QRectF(textLeft() + row.x(), segmentTop + row.y(), row.naturalTextWidth(), lineHeight);
}

QRect TextArea::cursorRect(qsizetype position) const
{
    const qsizetype at = std::clamp<qsizetype>(position, 0, text->length());
    const qsizetype line = text->lineAt(at);
    const qsizetype segment = segmentAt(line, at - text->lineStart(line));
    const QTextLayout *layout = layoutOf(line, segment);
    int column = int(at - text->lineStart(line) - segmentStart(line, segment));
    if (!preedit.isEmpty() && at == caret)
        column += preeditCursor;
    const QTextLine row = layout->lineForTextPosition(column);
    const qreal x = textLeft() + (row.isValid() ? row.cursorToX(column) : 0);
    const qreal y = lineTop(line) + firstRowOf(line, segment) * lineHeight
        + (row.isValid() ? row.y() : 0);
    return QRect(qFloor(x), qFloor(y), 1, lineHeight);
}

RowScroll::Place TextArea::placeOf(qsizetype position) const
{
    const qsizetype line = text->lineAt(position);
    const qsizetype column = position - text->lineStart(line);
    const qsizetype segment = segmentAt(line, column);
    const QTextLayout *layout = layoutOf(line, segment);
    const QTextLine row
        = layout->lineForTextPosition(int(column - segmentStart(line, segment)));
    return { line, firstRowOf(line, segment) + (row.isValid() ? row.lineNumber() : 0) };
}

qsizetype TextArea::positionIn(RowScroll::Place place, qreal x) const
{
    const SegmentRow at = segmentRowOf(place.line, place.row);
    const QTextLayout *layout = layoutOf(place.line, at.segment);
    const QTextLine row
        = layout->lineAt(int(std::clamp<qsizetype>(at.row, 0, layout->lineCount() - 1)));
    const Segment part = segmentOf(place.line, at.segment);
    const qsizetype length = part.end - part.start;
    qsizetype column = row.isValid() ? row.xToCursor(x - textLeft()) : 0;
    // A segment's end shows at the start of the next one; past the end of a row that is not
    // the line's last, the caret stays on the row.
    if (column >= length && at.segment + 1 < segmentCount(place.line))
        column = layout->previousCursorPosition(int(length));
    return text->lineStart(place.line) + part.start + std::clamp<qsizetype>(column, 0, length);
}

qsizetype TextArea::positionAt(const QPoint &point) const
{
    const qsizetype count = text->lineCount();
    qreal y = topOffset() - top.row * lineHeight;
    for (qsizetype line = top.line; line < count; ++line) {
        const qsizetype rows = laidOutRowsOf(line);
        const qreal bottom = y + rows * lineHeight;
        if (point.y() < bottom || line + 1 == count) {
            const qsizetype row = qFloor((point.y() - y) / lineHeight);
            if (line + 1 == count && point.y() >= bottom)
                return text->length();
            return positionIn({ line, std::clamp<qsizetype>(row, 0, rows - 1) }, point.x());
        }
        y = bottom;
    }
    return text->length();
}

void TextArea::setTop(RowScroll::Place place)
{
    const qsizetype count = text->lineCount();
    place.line = std::clamp<qsizetype>(place.line, 0, count - 1);
    const RowScroll::Place last = RowScroll::lastTop(
        count, visibleRows(), [this](qsizetype line) { return rowsOf(line); });
    if (before(last, place))
        place = last;
    place.row = std::clamp<qsizetype>(place.row, 0, rowsOf(place.line) - 1);
    if (place == top)
        return;
    top = place;
    movingBar = true;
    verticalScrollBar()->setValue(int(std::min<qsizetype>(top.line, INT_MAX)));
    movingBar = false;
    viewport()->update();
    emit visibleLinesChanged();
}

void TextArea::scrollToLine(qsizetype line)
{
    setTop({ line, 0 });
}

void TextArea::centerOnCaret()
{
    setTop(RowScroll::moved(placeOf(caret), -(visibleRows() / 2), text->lineCount(),
        [this](qsizetype line) { return laidOutRowsOf(line); }));
}

void TextArea::scrollRows(qsizetype rows)
{
    setTop(RowScroll::moved(top, rows, text->lineCount(),
        [this](qsizetype line) { return laidOutRowsOf(line); }));
}

void TextArea::ensureCaretVisible()
{
    const RowScroll::Place at = placeOf(caret);
    const qsizetype rows = visibleRows();
    const auto laidOut = [this](qsizetype line) { return laidOutRowsOf(line); };
    const qsizetype count = text->lineCount();
    if (before(at, top))
        setTop(at);
    else if (before(RowScroll::moved(top, rows - 1, count, laidOut), at))
        setTop(RowScroll::moved(at, -(rows - 1), count, laidOut));
    if (wrap)
        return;
    widthGrew = false;
    updateScrollBars();
    QScrollBar *bar = horizontalScrollBar();
    const int x = cursorRect(caret).x();
    const int right = viewport()->width() - insets;
    if (x < insets)
        bar->setValue(bar->value() - (insets - x) - viewport()->width() / 4);
    else if (x > right)
        bar->setValue(bar->value() + (x - right) + viewport()->width() / 4);
}

void TextArea::updateScrollBars()
{
    const qsizetype count = text->lineCount();
    const qsizetype rows = visibleRows();
    const RowScroll::Place last
        = RowScroll::lastTop(count, rows, [this](qsizetype line) { return rowsOf(line); });
    QScrollBar *vertical = verticalScrollBar();
    // The bar follows the view here; only the user moving it moves the view.
    movingBar = true;
    vertical->setPageStep(int(rows));
    vertical->setRange(0, int(std::min<qsizetype>(last.line, INT_MAX)));
    vertical->setValue(int(std::min<qsizetype>(top.line, INT_MAX)));
    movingBar = false;
    QScrollBar *horizontal = horizontalScrollBar();
    if (wrap) {
        horizontal->setRange(0, 0);
        return;
    }
    // A line shown in segments is as wide as its widest one, found as they are laid out.
    const qsizetype longest = text->longestLineLength();
    const qreal widest = std::max(widestSeen,
        (longest > LineSegments::longLine ? LineSegments::unwrappedSize : longest) * charWidth);
    const int width = viewport()->width();
    horizontal->setPageStep(width);
    horizontal->setRange(0, std::max(0, qCeil(widest + 2 * insets - width)));
}

void TextArea::setWordWrap(bool on)
{
    if (on == wrap)
        return;
    wrap = on;
    layouts.clear();
    top.row = 0;
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    emit visibleLinesChanged();
}

void TextArea::setGutterWidth(int width)
{
    setViewportMargins(width, 0, 0, 0);
}

void TextArea::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    // A cache smaller than a screen would lay the same lines out on every paint.
    layouts.setCapacity(std::max<qsizetype>(400, 3 * visibleRows()));
    updateScrollBars();
    if (wrap) {
        // Rows change with the width; the top stays on its line.
        layouts.clear();
        setTop({ top.line, 0 });
    }
    emit visibleLinesChanged();
}

void TextArea::scrollContentsBy(int, int)
{
    viewport()->update();
}

QList<QTextLayout::FormatRange> TextArea::selectionIn(qsizetype start, qsizetype length) const
{
    QList<QTextLayout::FormatRange> ranges;
    const auto add = [&](qsizetype from, qsizetype to, const QTextCharFormat &format) {
        from = std::clamp<qsizetype>(from - start, 0, length);
        to = std::clamp<qsizetype>(to - start, 0, length);
        if (to > from)
            ranges.append({ int(from), int(to - from), format });
    };
    // A handful at most, so each line looks at all of them.
    for (const Highlight &highlight : shownHighlights)
        add(highlight.start, highlight.start + highlight.length, highlight.format);
    if (hasSelection()) {
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        QTextCharFormat selected;
        selected.setBackground(palette().brush(group, QPalette::Highlight));
        selected.setForeground(palette().brush(group, QPalette::HighlightedText));
        add(selectionStart(), selectionEnd(), selected);
    }
    return ranges;
}

void TextArea::paintLine(QPainter &painter, qsizetype line, qreal y, const QRect &exposed)
{
    const qsizetype count = segmentCount(line);
    qsizetype segment = 0;
    // Without wrapping every segment is one row: start at the first one in view.
    if (!wrap && count > 1)
        segment = std::clamp<qsizetype>(qFloor((exposed.top() - y) / lineHeight), 0, count - 1);
    qreal at = y + firstRowOf(line, segment) * lineHeight;
    for (; segment < count && at < exposed.bottom() + 1; ++segment) {
        qsizetype rows = segmentRows(line, segment);
        if (at + rows * lineHeight > exposed.top()) {
            rows = wrap ? std::max(1, layoutOf(line, segment)->lineCount()) : 1;
            paintSegment(painter, line, segment, at, exposed);
        }
        at += rows * lineHeight;
    }
}

void TextArea::paintSegment(
    QPainter &painter, qsizetype line, qsizetype segment, qreal y, const QRect &exposed)
{
    QTextLayout *layout = layoutOf(line, segment);
    const bool last = segment + 1 == segmentCount(line);
    const Segment part = segmentOf(line, segment);
    const qsizetype start = text->lineStart(line) + part.start;
    const qsizetype length = part.end - part.start;
    const QPointF origin(textLeft(), y);
    layout->draw(&painter, origin, selectionIn(start, length), exposed);
    // A selected line break shows as a narrow strip after the line's last row.
    if (last && hasSelection() && selectionStart() <= start + length
        && selectionEnd() > start + length) {
        const QTextLine end = layout->lineAt(layout->lineCount() - 1);
        const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
        painter.fillRect(QRectF(origin.x() + end.naturalTextWidth(), y + end.y(), charWidth / 2,
                             lineHeight),
            palette().brush(group, QPalette::Highlight));
    }
    // A position at a segment's end is shown at the next segment's start.
    const auto holds = [&](qsizetype position) {
        return position >= start && (position < start + length || (last && position == start + length));
    };
    painter.setPen(palette().color(QPalette::Text));
    if (caretShown && hasFocus() && holds(caret)) {
        const int column = int(caret - start) + (preedit.isEmpty() ? 0 : preeditCursor);
        layout->drawCursor(&painter, origin, column, 1);
    }
    if (dropCaret && holds(*dropCaret))
        layout->drawCursor(&painter, origin, int(*dropCaret - start), 2);
}

void TextArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    const qsizetype count = text->lineCount();
    qreal y = topOffset() - top.row * lineHeight;
    for (qsizetype line = top.line; line < count && y < exposed.bottom() + 1; ++line) {
        const qreal height = laidOutRowsOf(line) * lineHeight;
        if (y + height > exposed.top())
            paintLine(painter, line, y, exposed);
        y += height;
    }
    paintAfterText(painter);
    // Never from inside a paint: the bar follows on the next turn of the event loop.
    if (widthGrew) {
        widthGrew = false;
        horizontalRangeUpdate.start(0, this);
    }
}

void TextArea::restartBlink()
{
    caretShown = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blink.start(flash / 2, this);
    else
        blink.stop();
}

void TextArea::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == blink.timerId()) {
        caretShown = !caretShown;
        viewport()->update(cursorRect().adjusted(-2, 0, 2, 0));
    } else if (event->timerId() == dragScroll.timerId()) {
        dragScrollStep();
    } else if (event->timerId() == horizontalRangeUpdate.timerId()) {
        horizontalRangeUpdate.stop();
        updateScrollBars();
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void TextArea::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fontChanged();
    else if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}
