#include "SpanPainter.h"

#include "SyntaxColors.h"
#include "buffer/TextBuffer.h"
#include "view/TextArea.h"

#include <QTextLayout>

#include <algorithm>
#include <array>

namespace
{

using Formats = QList<QTextLayout::FormatRange>;
using KindFormats = std::array<QTextCharFormat, size_t(TokenKind::attribute) + 1>;
using SpanIterator = std::vector<Span>::const_iterator;

qint64 nextStamp()
{
    // Main thread only, like every view.
    static qint64 last = 0;
    return ++last;
}

KindFormats kindFormats(const QPalette &palette)
{
    const Appearance appearance = appearanceOf(palette);
    KindFormats formats;
    for (size_t kind = 0; kind < formats.size(); ++kind)
        formats[kind].setForeground(syntaxColor(TokenKind(kind), appearance));
    return formats;
}

// The colours of one line's characters, from the spans from `span` on; spans that run into a
// neighbouring line give it their part there.
Formats lineFormats(SpanIterator span, SpanIterator spansEnd, CharRange line,
    qsizetype textLength, const KindFormats &formats)
{
    Formats ranges;
    for (; span != spansEnd && span->range.location < line.end; ++span) {
        if (span->end() > textLength)
            continue;
        const qsizetype start = std::max(span->range.location, line.start);
        const qsizetype end = std::min(span->end(), line.end);
        if (end > start)
            ranges.append(
                { int(start - line.start), int(end - start), formats[size_t(span->kind)] });
    }
    return ranges;
}

}

SpanPainter::SpanPainter(TextArea *view)
    : QObject(view)
    , view(view)
{
}

SpanPainter *SpanPainter::of(TextArea *view)
{
    if (auto *painter = view->findChild<SpanPainter *>(QString(), Qt::FindDirectChildrenOnly))
        return painter;
    return new SpanPainter(view);
}

void SpanPainter::paint(const std::vector<Span> &spans, CharRange window, const QPalette &palette)
{
    const TextBuffer &text = *view->buffer();
    const qsizetype length = text.length();
    window.start = std::clamp<qsizetype>(window.start, 0, length);
    window.end = std::clamp<qsizetype>(window.end, window.start, length);
    const qsizetype first = text.lineAt(window.start);
    const qsizetype last = text.lineAt(std::max(window.start, window.end - 1));
    if (linesPainted + (last - first + 1) > lineBudget)
        clear();
    linesPainted += last - first + 1;
    const KindFormats formats = kindFormats(palette);
    qsizetype start = text.lineStart(first);
    auto span = std::partition_point(
        spans.begin(), spans.end(), [&](const Span &s) { return s.end() <= start; });
    for (qsizetype line = first; line <= last; ++line) {
        const CharRange characters { start, start + text.lineLength(line) };
        const Formats ranges = lineFormats(span, spans.end(), characters, length, formats);
        // An unchanged line keeps its layout.
        if (view->lineFormats(line) != ranges)
            view->setLineFormats(line, ranges);
        start = characters.end + 1;
        // Spans that end at or before the next line's start have nothing more to colour.
        while (span != spans.end() && span->end() <= start)
            ++span;
    }
}

void SpanPainter::clear()
{
    view->clearLineFormats();
    linesPainted = 0;
}

qint64 SpanPainter::textStamp() const
{
    const TextBuffer *buffer = view->buffer();
    if (stamp == 0 || buffer != stampedBuffer || buffer->revision() != stampedRevision) {
        stampedBuffer = buffer;
        stampedRevision = buffer->revision();
        stamp = nextStamp();
    }
    return stamp;
}
