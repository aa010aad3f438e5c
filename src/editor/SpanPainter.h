#pragma once

#include "ScanWindow.h"
#include "Tokenizer.h"

#include <QObject>
#include <QPalette>

#include <vector>

class QTextDocument;

// Puts syntax colours on the layouts of a document's blocks, never into the document: the text,
// its undo history and whatever is copied or saved stay plain. It remembers where it may have
// put colours, so that taking them off never walks a whole large text, and while the text is
// edited it keeps the colours of an edited line on their characters until the next paint.
class SpanPainter : public QObject
{
    Q_OBJECT
public:
    // The document's painter, made on first use; it lives as long as the document.
    static SpanPainter *of(QTextDocument *document);

    // Colours the blocks that hold `window` from spans in increasing location, replacing what
    // those blocks had; other blocks keep their colours. Spans that reach past the end of the
    // text are left out.
    void paint(const std::vector<Span> &spans, CharRange window, const QPalette &palette);
    // Takes every colour off.
    void clear();

    // Changes with every edit and differs between documents.
    qint64 textStamp() const { return stamp; }
    // Disjoint, in increasing order: together they hold every character that may have a colour.
    const std::vector<CharRange> &colouredRanges() const { return coloured; }

private:
    explicit SpanPainter(QTextDocument *document);
    void textChanged(int position, int removed, int added);
    void shiftFormats(int position, int removed, int added);

    QTextDocument *document;
    qint64 stamp;
    int blockCount;
    std::vector<CharRange> coloured;
};
