#pragma once

#include "ScanWindow.h"
#include "Tokenizer.h"

#include <QObject>
#include <QPalette>

#include <vector>

class TextArea;
class TextBuffer;

// Puts syntax colours on a text view's lines as display formats, never into its buffer: the
// text, its undo history and whatever is copied or saved stay plain. While the text is edited
// the view keeps the colours of an edited line on their characters until the next paint.
class SpanPainter : public QObject
{
    Q_OBJECT
public:
    // Lines coloured since the last clear() before the next paint starts afresh: the view's
    // formats follow every edit, so they are kept to what a few windows hold.
    static constexpr qsizetype lineBudget = 16'384;

    // The view's painter, made on first use; it lives as long as the view.
    static SpanPainter *of(TextArea *view);

    // Colours the lines that hold `window` from spans in increasing location, replacing what
    // those lines had; other lines keep their colours (unless the budget is spent). Spans that
    // reach past the end of the text are left out.
    void paint(const std::vector<Span> &spans, CharRange window, const QPalette &palette);
    // Takes every colour off.
    void clear();

    // Changes with every edit and differs between views and between the texts a view shows.
    qint64 textStamp() const;

private:
    explicit SpanPainter(TextArea *view);

    TextArea *view;
    qsizetype linesPainted = 0;
    // The buffer and revision the stamp was given for.
    mutable const TextBuffer *stampedBuffer = nullptr;
    mutable quint64 stampedRevision = 0;
    mutable qint64 stamp = 0;
};
