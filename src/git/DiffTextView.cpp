#include "DiffTextView.h"

#include "CommitStyle.h"
#include "common/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QtMath>

namespace
{

QColor withAlpha(QColor colour, qreal alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

QColor blue(const QPalette &palette)
{
    return Theme::isDark(palette) ? QColor(10, 132, 255) : QColor(0, 122, 255);
}

std::optional<QColor> background(DiffLineKind kind, const QPalette &palette)
{
    switch (kind) {
    case DiffLineKind::hunk:
        return withAlpha(blue(palette), 0.12);
    case DiffLineKind::added:
        return withAlpha(Theme::green(palette), 0.22);
    case DiffLineKind::removed:
        return withAlpha(Theme::red(palette), 0.22);
    default:
        return std::nullopt;
    }
}

// Header and hunk lines are dimmed, notes more so; the rest keep the label colour.
std::optional<QColor> textColour(DiffLineKind kind, const QPalette &palette)
{
    switch (kind) {
    case DiffLineKind::header:
    case DiffLineKind::hunk:
        return Theme::secondaryLabel(palette);
    case DiffLineKind::note:
        return Theme::tertiaryLabel(palette);
    default:
        return std::nullopt;
    }
}

}

DiffTextView::DiffTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The section behind shows through; only the line backgrounds are painted.
    viewport()->setAutoFillBackground(false);
    setFont(CommitStyle::diffFont());
    CommitStyle::setTint(this, CommitStyle::Tint::label);
}

void DiffTextView::fill(const DiffFill &fill)
{
    lineStarts = fill.starts;
    lineKinds = fill.kinds;
    setFont(CommitStyle::diffFont());
    setPlainText(fill.text);
    colourText();
    fitHeight();
}

void DiffTextView::colourText()
{
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(QTextCharFormat());
    const QTextBlock end = document()->end();
    for (QTextBlock block = document()->begin(); block != end; block = block.next()) {
        const auto kind = lineKindAt(lineStarts, lineKinds, block.position());
        const auto colour = kind ? textColour(*kind, palette()) : std::nullopt;
        if (!colour)
            continue;
        QTextCharFormat format;
        format.setForeground(*colour);
        cursor.setPosition(block.position());
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
    cursor.endEditBlock();
}

void DiffTextView::paintBackgrounds(const QRect &area)
{
    QPainter painter(viewport());
    const QPointF offset = contentOffset();
    const int width = viewport()->width();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > area.bottom())
            break;
        const auto kind = lineKindAt(lineStarts, lineKinds, block.position());
        if (const auto colour = kind ? background(*kind, palette()) : std::nullopt)
            painter.fillRect(QRectF(0, box.top(), width, box.height()), *colour);
    }
}

void DiffTextView::paintEvent(QPaintEvent *event)
{
    paintBackgrounds(event->rect());
    QPlainTextEdit::paintEvent(event);
}

// Every line laid out, the view takes their whole height, plus the sideways scroll bar when the
// longest line is wider than the view.
void DiffTextView::fitHeight()
{
    qreal lines = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines += blockBoundingRect(block).height();
    const qreal margins = 2 * document()->documentMargin() + 2 * frameWidth();
    const qreal widest = document()->documentLayout()->documentSize().width();
    const int bar = widest > viewport()->width() ? horizontalScrollBar()->sizeHint().height() : 0;
    const int wanted = qCeil(lines + margins) + bar + 1;
    if (height() != wanted || minimumHeight() != wanted)
        setFixedHeight(wanted);
}

void DiffTextView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    fitHeight();
}

void DiffTextView::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && !lineKinds.isEmpty())
        colourText();
}
