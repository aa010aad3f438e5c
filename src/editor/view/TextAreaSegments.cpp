// Very long lines as segments: which columns each one holds and which rows it takes.
#include "TextArea.h"

#include "LineSegments.h"
#include "editor/buffer/TextBuffer.h"

qsizetype TextArea::segmentSize() const
{
    return wrap ? LineSegments::wrappedSize : LineSegments::unwrappedSize;
}

qsizetype TextArea::segmentCount(qsizetype line) const
{
    return LineSegments::count(text->lineLength(line), segmentSize());
}

qsizetype TextArea::segmentStart(qsizetype line, qsizetype segment) const
{
    const qsizetype length = text->lineLength(line);
    if (segment <= 0)
        return 0;
    const qsizetype size = segmentSize();
    if (segment >= LineSegments::count(length, size))
        return length;
    const qsizetype lineStart = text->lineStart(line);
    const QString window = text->text(lineStart + LineSegments::windowStart(segment, size),
        lineStart + LineSegments::windowEnd(segment, size, length));
    return LineSegments::start(segment, size, window);
}

TextArea::Segment TextArea::segmentOf(qsizetype line, qsizetype segment) const
{
    return { segmentStart(line, segment), segmentStart(line, segment + 1) };
}

qsizetype TextArea::segmentAt(qsizetype line, qsizetype column) const
{
    const qsizetype count = segmentCount(line);
    if (count == 1)
        return 0;
    // Segment k starts at or a little before k * size.
    const qsizetype guess = std::min(column / segmentSize(), count - 1);
    return guess + 1 < count && column >= segmentStart(line, guess + 1) ? guess + 1 : guess;
}

qsizetype TextArea::segmentRows(qsizetype line, qsizetype segment) const
{
    if (!wrap)
        return 1;
    const QTextLayout *layout
        = layouts.contains(line, segment) ? layouts.find(line, segment) : nullptr;
    return layout ? std::max(1, layout->lineCount()) : 1;
}

qsizetype TextArea::firstRowOf(qsizetype line, qsizetype segment) const
{
    if (!wrap)
        return segment;
    qsizetype row = 0;
    for (qsizetype at = 0; at < segment; ++at)
        row += segmentRows(line, at);
    return row;
}

TextArea::SegmentRow TextArea::segmentRowOf(qsizetype line, qsizetype row) const
{
    const qsizetype count = segmentCount(line);
    if (!wrap)
        return { std::clamp<qsizetype>(row, 0, count - 1), 0 };
    if (count == 1)
        return { 0, std::max<qsizetype>(row, 0) };
    qsizetype first = 0;
    for (qsizetype segment = 0; segment + 1 < count; ++segment) {
        const qsizetype rows = segmentRows(line, segment);
        if (row < first + rows)
            return { segment, std::max<qsizetype>(row - first, 0) };
        first += rows;
    }
    return { count - 1, row - first };
}

TextArea::Piece TextArea::pieceAround(qsizetype line, qsizetype column) const
{
    const qsizetype length = text->lineLength(line);
    if (length <= LineSegments::longLine)
        return { 0, text->lineText(line) };
    const qsizetype from = std::max<qsizetype>(0, column - LineSegments::longLine / 2);
    const qsizetype to = std::min(length, column + LineSegments::longLine / 2);
    const qsizetype lineStart = text->lineStart(line);
    return { from, text->text(lineStart + from, lineStart + to) };
}
