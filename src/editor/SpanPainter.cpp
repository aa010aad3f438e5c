#include "SpanPainter.h"

#include "SyntaxColors.h"

#include <QTextBlock>
#include <QTextDocument>
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
    // Main thread only, like every document.
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

// The block's characters with its separator.
CharRange blockRange(const QTextBlock &block)
{
    return { block.position(), block.position() + block.length() };
}

CharRange unite(CharRange a, CharRange b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return { std::min(a.start, b.start), std::max(a.end, b.end) };
}

// Adds a range to disjoint increasing ones, merging those it overlaps or touches.
void include(std::vector<CharRange> &ranges, CharRange range)
{
    if (range.isEmpty())
        return;
    auto first = std::partition_point(ranges.begin(), ranges.end(),
        [&](const CharRange &existing) { return existing.end < range.start; });
    auto last = first;
    while (last != ranges.end() && last->start <= range.end) {
        range = unite(range, *last);
        ++last;
    }
    ranges.insert(ranges.erase(first, last), range);
}

// The colours of the characters [start, end) of one block, from the spans from `span` on; spans
// that run into a neighbouring block give it their part there.
Formats blockFormats(SpanIterator span, SpanIterator spansEnd, CharRange block,
    qsizetype textLength, const KindFormats &formats)
{
    Formats ranges;
    for (; span != spansEnd && span->range.location < block.end; ++span) {
        if (span->end() > textLength)
            continue;
        const qsizetype start = std::max(span->range.location, block.start);
        const qsizetype end = std::min(span->end(), block.end);
        if (end > start)
            ranges.append(
                { int(start - block.start), int(end - start), formats[size_t(span->kind)] });
    }
    return ranges;
}

// Gives the block its colours unless it has them already, which spares it a new layout.
void setFormats(const QTextBlock &block, const Formats &ranges, CharRange &changed)
{
    QTextLayout *layout = block.layout();
    if (layout->formats() == ranges)
        return;
    layout->setFormats(ranges);
    changed = unite(changed, blockRange(block));
}

void relayout(QTextDocument *document, CharRange changed)
{
    if (changed.isEmpty())
        return;
    const qsizetype end = std::min<qsizetype>(changed.end, document->characterCount());
    document->markContentsDirty(int(changed.start), int(end - changed.start));
}

}

SpanPainter::SpanPainter(QTextDocument *document)
    : QObject(document)
    , document(document)
    , stamp(nextStamp())
    , blockCount(document->blockCount())
{
    connect(document, &QTextDocument::contentsChange, this, &SpanPainter::textChanged);
}

SpanPainter *SpanPainter::of(QTextDocument *document)
{
    if (auto *painter = document->findChild<SpanPainter *>(QString(), Qt::FindDirectChildrenOnly))
        return painter;
    return new SpanPainter(document);
}

void SpanPainter::paint(const std::vector<Span> &spans, CharRange window, const QPalette &palette)
{
    const qsizetype length = document->characterCount() - 1;
    window.start = std::clamp<qsizetype>(window.start, 0, length);
    window.end = std::clamp<qsizetype>(window.end, window.start, length);
    QTextBlock block = document->findBlock(int(window.start));
    const QTextBlock last = document->findBlock(int(std::max(window.start, window.end - 1)));
    const CharRange painted = unite(blockRange(block), blockRange(last));
    const KindFormats formats = kindFormats(palette);
    auto span = std::partition_point(
        spans.begin(), spans.end(), [&](const Span &s) { return s.end() <= painted.start; });
    CharRange changed;
    for (; block.isValid(); block = block.next()) {
        const CharRange characters { block.position(), block.position() + block.length() - 1 };
        setFormats(block, blockFormats(span, spans.end(), characters, length, formats), changed);
        if (block == last)
            break;
        // Spans that end at or before the next block's start have nothing more to colour.
        while (span != spans.end() && span->end() <= characters.end + 1)
            ++span;
    }
    relayout(document, changed);
    include(coloured, painted);
}

void SpanPainter::clear()
{
    CharRange changed;
    for (const CharRange &range : coloured) {
        for (QTextBlock block = document->findBlock(int(range.start));
             block.isValid() && block.position() < range.end; block = block.next()) {
            if (!block.layout()->formats().isEmpty())
                setFormats(block, {}, changed);
        }
    }
    coloured.clear();
    relayout(document, changed);
}

void SpanPainter::textChanged(int position, int removed, int added)
{
    if (removed == 0 && added == 0)
        return;
    stamp = nextStamp();
    const int oldBlockCount = std::exchange(blockCount, document->blockCount());
    if (coloured.empty())
        return;
    const auto touches = [&](const CharRange &range) {
        return position <= range.end && position + removed >= range.start;
    };
    const bool touched = std::any_of(coloured.begin(), coloured.end(), touches);
    std::vector<CharRange> moved;
    for (const CharRange &range : coloured)
        include(moved, ScanWindow::shiftedForEdit(range, position, removed, added));
    if (touched) {
        // Only the blocks at either end of the edit can have kept an old layout.
        include(moved, blockRange(document->findBlock(position)));
        include(moved, blockRange(document->findBlock(position + added)));
        if (blockCount == oldBlockCount)
            shiftFormats(position, removed, added);
    }
    coloured = std::move(moved);
}

void SpanPainter::shiftFormats(int position, int removed, int added)
{
    const QTextBlock block = document->findBlock(position);
    if (block != document->findBlock(position + added))
        return;
    QTextLayout *layout = block.layout();
    const Formats formats = layout->formats();
    if (formats.isEmpty())
        return;
    const int offset = block.position();
    Formats moved;
    for (const QTextLayout::FormatRange &range : formats) {
        const CharRange shifted = ScanWindow::shiftedForEdit(
            { offset + range.start, offset + range.start + range.length }, position, removed,
            added);
        if (!shifted.isEmpty())
            moved.append({ int(shifted.start - offset), int(shifted.length()), range.format });
    }
    // The edit lays the block out again anyway.
    layout->setFormats(moved);
}
