#include "LineNumberGutter.h"

#include "GutterMetrics.h"
#include "buffer/TextBuffer.h"
#include "common/Theme.h"
#include "view/TextArea.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPainter>

#include <algorithm>

namespace
{

QFont numberFont(double points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}

}

LineNumberGutter::LineNumberGutter(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setFont(numberFont(points));
    setFixedWidth(0);
}

void LineNumberGutter::setTextView(TextArea *view)
{
    for (const QMetaObject::Connection &link : std::as_const(links))
        disconnect(link);
    links.clear();
    if (client) {
        client->removeEventFilter(this);
        client->viewport()->removeEventFilter(this);
    }
    client = view;
    if (view) {
        auto repaint = [this] { update(); };
        auto remeasure = [this] { scheduleRefresh(); };
        const TextBuffer *text = view->buffer();
        links = {
            connect(view, &TextArea::visibleLinesChanged, this, repaint),
            connect(view, &TextArea::selectionChanged, this, repaint),
            connect(text, &TextBuffer::changed, this, remeasure, Qt::DirectConnection),
            connect(text, &TextBuffer::reset, this, remeasure),
            connect(view, &QObject::destroyed, this, [this] { setTextView(nullptr); }),
        };
        // Row heights follow the view's font; the clip follows its viewport.
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    refresh();
}

bool LineNumberGutter::eventFilter(QObject *watched, QEvent *event)
{
    if (client && (event->type() == QEvent::FontChange || event->type() == QEvent::Resize))
        update();
    return QWidget::eventFilter(watched, event);
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
    // The buffer keeps its line count, so the width needs no counting.
    const int wanted = client ? GutterMetrics::widthForLineCount(client->buffer()->lineCount(),
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
    // Only the lines in view are looked at, so a paint costs the same however large the text.
    const TextBuffer &text = *client->buffer();
    const qsizetype caret = text.lineAt(client->selectionStart());
    const std::vector<qsizetype> marks = sortedBookmarks();
    const qreal offset = viewportTop();
    const qsizetype first = client->firstVisibleLine();
    const qsizetype last = client->lastVisibleLine();
    qsizetype start = text.lineStart(first);
    for (qsizetype line = first; line <= last; ++line) {
        // Only the first row of a wrapped line gets the number.
        const QRectF row(0, offset + client->lineRect(line).top(), width(), client->rowHeight());
        shown.push_back({ line + 1, start, row, line == caret,
            std::binary_search(marks.begin(), marks.end(), start) });
        start += text.lineLength(line) + 1;
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
