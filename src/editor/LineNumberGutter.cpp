#include "LineNumberGutter.h"

#include "GutterMetrics.h"
#include "common/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace
{

QFont numberFont(double points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}

qreal firstRowTop(const QTextBlock &block)
{
    const QTextLine first = block.layout()->lineAt(0);
    return first.isValid() ? first.y() : 0;
}

}

LineNumberGutter::LineNumberGutter(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setFont(numberFont(points));
    setFixedWidth(0);
}

void LineNumberGutter::setTextView(QPlainTextEdit *view)
{
    for (const QMetaObject::Connection &link : std::as_const(links))
        disconnect(link);
    links.clear();
    client = view;
    if (view) {
        auto repaint = [this] { update(); };
        links = {
            connect(view, &QPlainTextEdit::updateRequest, this, &LineNumberGutter::followView),
            connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, repaint),
            connect(view, &QPlainTextEdit::cursorPositionChanged, this, repaint),
            connect(view, &QPlainTextEdit::selectionChanged, this, repaint),
            connect(view->document(), &QTextDocument::contentsChange, this,
                [this] { scheduleRefresh(); }),
            connect(view, &QObject::destroyed, this, [this] { setTextView(nullptr); }),
        };
    }
    refresh();
}

void LineNumberGutter::setFontSize(double size)
{
    points = size;
    setFont(numberFont(points));
    refresh();
}

void LineNumberGutter::setBookmarkProvider(BookmarkProvider provider)
{
    bookmarks = std::move(provider);
    update();
}

void LineNumberGutter::refresh()
{
    updateWidth();
    update();
}

QSize LineNumberGutter::sizeHint() const
{
    return QSize(minimumWidth(), 0);
}

void LineNumberGutter::updateWidth()
{
    // The document keeps its line count, so the width needs no counting.
    const int wanted = client ? GutterMetrics::widthForLineCount(client->document()->blockCount(),
                           QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')))
                              : 0;
    if (wanted != minimumWidth() || wanted != maximumWidth()) {
        setFixedWidth(wanted);
        updateGeometry();
    }
}

void LineNumberGutter::scheduleRefresh()
{
    // A burst of edits (a paste, a replace-all) costs one re-measure, after it.
    if (refreshPending)
        return;
    refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshPending = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void LineNumberGutter::followView(const QRect &area, int scrolled)
{
    if (scrolled != 0) {
        update();
        return;
    }
    const int top = qRound(viewportTop());
    update(0, top + area.top(), width(), area.height());
}

qreal LineNumberGutter::viewportTop() const
{
    const QWidget *viewport = client->viewport();
    return mapFromGlobal(viewport->mapToGlobal(QPoint(0, 0))).y();
}

std::vector<qsizetype> LineNumberGutter::sortedBookmarks() const
{
    std::vector<qsizetype> offsets = bookmarks ? bookmarks() : std::vector<qsizetype>();
    std::sort(offsets.begin(), offsets.end());
    return offsets;
}

std::vector<LineNumberGutter::Row> LineNumberGutter::rows() const
{
    std::vector<Row> shown;
    if (!client)
        return shown;
    // The text view lays out only what is in view, from its top line on; walking the same
    // lines keeps each paint proportional to the lines in view, however large the text.
    QTextBlock block = client->cursorForPosition(QPoint(0, 0)).block();
    if (!block.isValid())
        return shown;
    const QTextDocument *document = client->document();
    const QAbstractTextDocumentLayout *layout = document->documentLayout();
    const QTextBlock caret = document->findBlock(client->textCursor().selectionStart());
    const std::vector<qsizetype> marks = sortedBookmarks();
    const qreal offset = viewportTop();
    const int bottom = client->viewport()->height();
    // Lay the top line out (when the view has not yet) before reading its rows; the caret
    // rectangle at its start is then the top of its first row, in viewport coordinates.
    layout->blockBoundingRect(block);
    qreal top = client->cursorRect(QTextCursor(block)).top() - firstRowTop(block);
    for (qsizetype line = block.blockNumber() + 1; block.isValid() && top < bottom;
         block = block.next(), ++line) {
        // Lays the block out when the text view has not yet.
        const QRectF bounds = layout->blockBoundingRect(block);
        const QTextLine first = block.layout()->lineAt(0);
        if (first.isValid()) {
            // Only the first row of a wrapped line gets the number.
            const QRectF row(0, offset + top + first.y(), width(), first.height());
            const qsizetype start = block.position();
            shown.push_back({ line, start, row, block == caret,
                std::binary_search(marks.begin(), marks.end(), start) });
        }
        top += bounds.height();
    }
    return shown;
}

void LineNumberGutter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Theme::textBackground(palette()));
    if (!client)
        return;
    painter.fillRect(GutterMetrics::separatorRect(width(), height()), Theme::separator(palette()));
    // Nothing beside the view's scroll bar or above its top edge.
    painter.setClipRect(QRectF(0, viewportTop(), width(), client->viewport()->height()));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font());
    for (const Row &row : rows())
        drawRow(painter, row);
}

void LineNumberGutter::drawRow(QPainter &painter, const Row &row) const
{
    if (row.bookmarked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Theme::accent(palette()));
        painter.drawEllipse(GutterMetrics::markRect(row.rect));
    }
    painter.setPen(row.caret ? Theme::label(palette()) : Theme::tertiaryLabel(palette()));
    painter.drawText(GutterMetrics::numberRect(row.rect), Qt::AlignRight | Qt::AlignVCenter,
        QString::number(row.line));
}
