#pragma once

#include "LayoutCache.h"
#include "LineFormats.h"
#include "RowScroll.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QList>
#include <QTextCharFormat>
#include <QTextLayout>

#include <optional>

class QMenu;

class TextBuffer;
struct TextChange;

// A plain-text editing view over a TextBuffer that lays out only the lines in view: one
// QTextLayout per line, kept in a bounded cache and dropped line by line as edits touch them,
// so opening a very large text costs what one screen costs. The vertical scroll bar counts
// lines; every row has the same height. Positions are the buffer's (UTF-16, a line break is one
// position); rectangles and points are in viewport coordinates.
class TextArea : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int insets = 12;

    explicit TextArea(QWidget *parent = nullptr);
    ~TextArea() override;

    // The view starts with a buffer of its own; another one may be shown instead (it is not
    // owned and must outlive the view, or be replaced first). Null goes back to the own one.
    TextBuffer *buffer() const { return text; }
    void setBuffer(TextBuffer *buffer);

    qsizetype caretPosition() const { return caret; }
    qsizetype anchorPosition() const { return anchor; }
    bool hasSelection() const { return anchor != caret; }
    qsizetype selectionStart() const { return std::min(anchor, caret); }
    qsizetype selectionEnd() const { return std::max(anchor, caret); }
    QString selectedText() const;
    // Clamped to the text; the view does not scroll (ensureCaretVisible does).
    void setSelection(qsizetype anchor, qsizetype caret);
    void setCaretPosition(qsizetype position) { setSelection(position, position); }
    void selectAll();

    // Replaces the selection as one undo step, the caret after the new text (ignored when
    // read-only).
    void insertText(const QString &inserted);
    // Typing keeps its undo step open while a word goes on; an edit made on the buffer from
    // outside would join it, so callers end the step first.
    void endTypingStep() { closeRun(); }
    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();
    // Undo, Redo, Cut, Copy, Paste, Delete and Select All, enabled as they apply now; the
    // caller owns the menu.
    QMenu *createStandardContextMenu();

    bool isReadOnly() const { return readOnly; }
    void setReadOnly(bool on);
    bool wordWrap() const { return wrap; }
    void setWordWrap(bool on);

    // Room left of the text for a line-number gutter.
    void setGutterWidth(int width);

    qsizetype firstVisibleLine() const { return top.line; }
    // The last line with a row at least partly in view.
    qsizetype lastVisibleLine() const;
    // Makes line the first visible one (as far as the end of the text allows).
    void scrollToLine(qsizetype line);
    void ensureCaretVisible();
    // Scrolls so that the caret's row is in the middle (as far as the ends allow).
    void centerOnCaret();

    // The rows of a line, full width; estimated (one row per line) off screen.
    QRect lineRect(qsizetype line) const;
    // The part of a line's last row that its text covers (the place for something drawn after
    // the line's end); none for a line not in view, or for a line shown in segments whose last
    // one is below the view.
    std::optional<QRectF> lastRowRect(qsizetype line) const;
    QRect cursorRect(qsizetype position) const;
    QRect cursorRect() const { return cursorRect(caret); }
    // The position nearest a point; above the text the first, below it the last.
    qsizetype positionAt(const QPoint &point) const;

    // Colours given from outside for one line's characters, display only; an empty list takes
    // them off. Edits keep them on their characters until new ones come.
    void setLineFormats(qsizetype line, const QList<QTextLayout::FormatRange> &formats);
    QList<QTextLayout::FormatRange> lineFormats(qsizetype line) const { return formats.of(line); }
    void clearLineFormats();

    // Ranges of the text painted with their own format (found matches and the like) under the
    // selection; they move with edits. Meant for the few in sight.
    struct Highlight {
        qsizetype start = 0;
        qsizetype length = 0;
        QTextCharFormat format;
    };
    void setHighlights(const QList<Highlight> &highlights);
    const QList<Highlight> &highlights() const { return shownHighlights; }

    // What laying out costs: layouts made since the view was made, and whether a line (or one
    // segment of a very long line) is laid out right now.
    quint64 layoutsMade() const { return layouts.made(); }
    bool isLaidOut(qsizetype line, qsizetype segment = 0) const
    {
        return layouts.contains(line, segment);
    }
    int rowHeight() const { return lineHeight; }

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // The first or last visible line changed (scrolling, resizing, edits above).
    void visibleLinesChanged();
    // The caret or the anchor moved.
    void selectionChanged();

protected:
    // Called after the text is painted, on the viewport, for what a subclass draws over it.
    virtual void paintAfterText(QPainter &painter);

    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class Unit { character, word, line };
    // The undo step kept open while keys continue one run of typing or of deleting.
    enum class Run { none, typing, deleting };

    // Buffer and edits (TextArea.cpp)
    void textChanged(const TextChange &change);
    void textReset();
    void replace(qsizetype position, qsizetype removed, const QString &inserted);
    void type(const QString &typed);
    void closeRun();
    void moveCaret(qsizetype position, bool select);
    void restore(qsizetype anchorAt, qsizetype caretAt);
    // Deletes from the caret to position, or the selection when there is one. Single
    // characters deleted one after another undo together.
    void deleteTo(qsizetype position, bool character = false);
    void openRun(Run kind);

    // A very long line shows as segments laid out one by one; their columns in the line.
    struct Segment {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    // A segment and a row within it.
    struct SegmentRow {
        qsizetype segment = 0;
        qsizetype row = 0;
    };

    // Segments (TextAreaSegments.cpp)
    qsizetype segmentSize() const;
    qsizetype segmentCount(qsizetype line) const;
    qsizetype segmentStart(qsizetype line, qsizetype segment) const;
    Segment segmentOf(qsizetype line, qsizetype segment) const;
    // The segment showing column; a column at a segment's end shows on the next one.
    qsizetype segmentAt(qsizetype line, qsizetype column) const;
    // Rows of a segment as laid out, one when it is not (an estimate).
    qsizetype segmentRows(qsizetype line, qsizetype segment) const;
    qsizetype firstRowOf(qsizetype line, qsizetype segment) const;
    SegmentRow segmentRowOf(qsizetype line, qsizetype row) const;
    // Part of a line around column, for word lookups that must not copy a huge line.
    struct Piece {
        qsizetype start = 0;
        QString text;
    };
    Piece pieceAround(qsizetype line, qsizetype column) const;

    // Layout, geometry and scrolling (TextAreaLayout.cpp)
    QTextLayout *layoutOf(qsizetype line, qsizetype segment = 0) const;
    QTextOption textOption() const;
    void fontChanged();
    qsizetype rowsOf(qsizetype line) const;
    qsizetype laidOutRowsOf(qsizetype line) const;
    qsizetype visibleRows() const;
    qreal textLeft() const;
    qreal topOffset() const;
    std::optional<qreal> visibleLineTop(qsizetype line) const;
    qreal lineTop(qsizetype line) const;
    RowScroll::Place placeOf(qsizetype position) const;
    qsizetype positionIn(RowScroll::Place place, qreal x) const;
    void setTop(RowScroll::Place place);
    void scrollRows(qsizetype rows);
    void updateScrollBars();
    void noteWidth(const QTextLayout &layout);
    void paintLine(QPainter &painter, qsizetype line, qreal y, const QRect &exposed);
    void paintSegment(QPainter &painter, qsizetype line, qsizetype segment, qreal y,
        const QRect &exposed);
    QList<QTextLayout::FormatRange> selectionIn(qsizetype start, qsizetype length) const;
    void restartBlink();

    // Keys, mouse, input methods (TextAreaInput.cpp)
    bool moveByKey(QKeyEvent *event);
    bool editByKey(QKeyEvent *event);
    qsizetype verticalTarget(qsizetype rows);
    qsizetype horizontalTarget(bool forward, bool byWord) const;
    qsizetype rowEdge(bool end) const;
    void selectAround(qsizetype position, Unit unit, bool extend);
    void dragScrollStep();

    // Dragging and dropping text (TextAreaDrop.cpp)
    void startTextDrag();
    bool takesDrop(QDropEvent *event);

    TextBuffer *ownBuffer;
    TextBuffer *text;
    mutable LayoutCache layouts;
    LineFormats formats;
    QList<Highlight> shownHighlights;
    qsizetype anchor = 0;
    qsizetype caret = 0;
    // Where Up and Down aim, kept across lines of different lengths; none after other moves.
    std::optional<qreal> wantedX;
    RowScroll::Place top;
    bool movingBar = false;
    int lineHeight = 1;
    qreal charWidth = 1;
    mutable qreal widestSeen = 0;
    mutable bool widthGrew = false;
    bool readOnly = false;
    bool wrap = false;
    Run run = Run::none;
    QChar lastTyped;
    bool editing = false;
    bool caretShown = true;
    QBasicTimer blink;
    // The input method's text being composed at the caret, not yet in the buffer.
    QString preedit;
    QList<QTextLayout::FormatRange> preeditFormats;
    int preeditCursor = 0;
    // Mouse selection by characters, words or lines, and the span the first click took.
    Unit dragUnit = Unit::character;
    qsizetype dragStart = 0;
    qsizetype dragEnd = 0;
    bool dragging = false;
    // A press inside the selection may start dragging it out; a release there just clicks.
    bool pressedInSelection = false;
    QPoint pressPoint;
    // Where dragged text would land, shown while it is over the view.
    std::optional<qsizetype> dropCaret;
    bool ownDrop = false;
    QPoint dragPoint;
    QBasicTimer dragScroll;
    qint64 lastDoubleClick = -1;
    QPoint doubleClickPoint;
    QBasicTimer horizontalRangeUpdate;
    // Wheel turns smaller than a row add up here.
    qreal wheelRows = 0;
};
