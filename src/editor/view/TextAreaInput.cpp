// Keys, mouse, wheel and input methods.
#include "TextArea.h"

#include "WordBoundaries.h"
#include "editor/buffer/TextBuffer.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLine>

namespace
{

struct Move {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
};

enum class Target { nextChar, previousChar, nextWord, previousWord, nextLine, previousLine,
    nextPage, previousPage, rowStart, rowEnd, textStart, textEnd };

constexpr std::pair<Move, Target> moves[] = {
    { { QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar }, Target::nextChar },
    { { QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar }, Target::previousChar },
    { { QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord }, Target::nextWord },
    { { QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord }, Target::previousWord },
    { { QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine }, Target::nextLine },
    { { QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine }, Target::previousLine },
    { { QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage }, Target::nextPage },
    { { QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage }, Target::previousPage },
    { { QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine }, Target::rowStart },
    { { QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine }, Target::rowEnd },
    { { QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument },
        Target::textStart },
    { { QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument }, Target::textEnd },
};

constexpr QKeySequence::StandardKey editKeys[] = { QKeySequence::Undo, QKeySequence::Redo,
    QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
    QKeySequence::Delete, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
    QKeySequence::InsertParagraphSeparator, QKeySequence::InsertLineSeparator };

bool isCtrlY(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier;
}

bool isPlain(const QKeyEvent *event, Qt::Key key)
{
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Text a key types: printable, and not a command chord (Alt+letter stays a menu's).
QString typedText(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers chord
        = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier);
    const QString typed = event->text();
    if (typed.isEmpty() || chord != Qt::NoModifier || !typed[0].isPrint())
        return {};
    return typed;
}

}

bool TextArea::event(QEvent *event)
{
    // Keys the view handles itself come to it even when a window shortcut has the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        bool mine = (!readOnly && !typedText(key).isEmpty()) || isCtrlY(key);
        for (const auto &[keys, target] : moves)
            mine = mine || key->matches(keys.move) || key->matches(keys.select);
        for (QKeySequence::StandardKey standard : editKeys)
            mine = mine || key->matches(standard);
        if (mine) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

bool TextArea::focusNextPrevChild(bool next)
{
    // Tab types a tab where the text can be edited.
    if (!readOnly)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TextArea::keyPressEvent(QKeyEvent *event)
{
    if (moveByKey(event) || editByKey(event)) {
        event->accept();
        return;
    }
    const QString typed = isPlain(event, Qt::Key_Tab) ? QStringLiteral("\t") : typedText(event);
    if (!typed.isEmpty() && !readOnly) {
        type(typed);
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool TextArea::moveByKey(QKeyEvent *event)
{
    for (const auto &[keys, target] : moves) {
        const bool select = event->matches(keys.select);
        if (!select && !event->matches(keys.move))
            continue;
        const bool vertical = target == Target::nextLine || target == Target::previousLine
            || target == Target::nextPage || target == Target::previousPage;
        if (!vertical)
            wantedX.reset();
        // Left and Right take a selection's edge before they move.
        if (!select && hasSelection() && (target == Target::nextChar || target == Target::previousChar)) {
            moveCaret(target == Target::nextChar ? selectionEnd() : selectionStart(), false);
            return true;
        }
        const qsizetype page = visibleRows();
        qsizetype to = caret;
        switch (target) {
        case Target::nextChar: to = horizontalTarget(true, false); break;
        case Target::previousChar: to = horizontalTarget(false, false); break;
        case Target::nextWord: to = horizontalTarget(true, true); break;
        case Target::previousWord: to = horizontalTarget(false, true); break;
        case Target::nextLine: to = verticalTarget(1); break;
        case Target::previousLine: to = verticalTarget(-1); break;
        case Target::nextPage: to = verticalTarget(page); scrollRows(page); break;
        case Target::previousPage: to = verticalTarget(-page); scrollRows(-page); break;
        case Target::rowStart: to = rowEdge(false); break;
        case Target::rowEnd: to = rowEdge(true); break;
        case Target::textStart: to = 0; break;
        case Target::textEnd: to = text->length(); break;
        }
        const std::optional<qreal> keptX = wantedX;
        moveCaret(to, select);
        wantedX = keptX;
        return true;
    }
    return false;
}

bool TextArea::editByKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo) || isCtrlY(event))
        redo();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::InsertParagraphSeparator)
        || event->matches(QKeySequence::InsertLineSeparator))
        insertText(QStringLiteral("\n"));
    else if (event->matches(QKeySequence::Delete))
        deleteTo(horizontalTarget(true, false), true);
    else if (event->matches(QKeySequence::DeleteEndOfWord))
        deleteTo(horizontalTarget(true, true));
    else if (event->matches(QKeySequence::DeleteStartOfWord))
        deleteTo(horizontalTarget(false, true));
    else if (isPlain(event, Qt::Key_Backspace)
        || (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::ShiftModifier)) {
        // One code point back, not a whole cluster: an accent typed last goes alone.
        qsizetype back = caret - 1;
        if (back > 0 && text->at(back).isLowSurrogate() && text->at(back - 1).isHighSurrogate())
            --back;
        deleteTo(back, true);
    } else
        return false;
    return true;
}

qsizetype TextArea::horizontalTarget(bool forward, bool byWord) const
{
    const qsizetype line = text->lineAt(caret);
    const qsizetype start = text->lineStart(line);
    const qsizetype column = caret - start;
    // Across a line break, one position.
    if (forward && column == text->lineLength(line))
        return std::min(caret + 1, text->length());
    if (!forward && column == 0)
        return std::max<qsizetype>(caret - 1, 0);
    if (byWord) {
        const Piece piece = pieceAround(line, column);
        const qsizetype inPiece = column - piece.start;
        return start + piece.start
            + (forward ? WordBoundaries::nextWordStart(piece.text, inPiece)
                       : WordBoundaries::previousWordStart(piece.text, inPiece));
    }
    // Back from a segment's start steps within the segment before it.
    const qsizetype segment = segmentAt(line, forward ? column : column - 1);
    const QTextLayout *layout = layoutOf(line, segment);
    const qsizetype segmentColumn = column - segmentStart(line, segment);
    return start + column - segmentColumn
        + (forward ? layout->nextCursorPosition(int(segmentColumn))
                   : layout->previousCursorPosition(int(segmentColumn)));
}

qsizetype TextArea::verticalTarget(qsizetype rows)
{
    const RowScroll::Place from = placeOf(caret);
    if (!wantedX)
        wantedX = cursorRect(caret).x() - textLeft();
    const RowScroll::Place to = RowScroll::moved(from, rows, text->lineCount(),
        [this](qsizetype line) { return laidOutRowsOf(line); });
    // Past the first or last row, to the start or the end of the text.
    if (to == from)
        return rows > 0 ? text->length() : 0;
    return positionIn(to, *wantedX + textLeft());
}

qsizetype TextArea::rowEdge(bool end) const
{
    const RowScroll::Place at = placeOf(caret);
    const qsizetype start = text->lineStart(at.line);
    // Home and End on a line shown in segments go to the line's ends.
    if (segmentCount(at.line) > 1)
        return end ? start + text->lineLength(at.line) : start;
    const QTextLayout *layout = layoutOf(at.line);
    const QTextLine row = layout->lineAt(int(at.row));
    if (!end)
        return start + row.textStart();
    if (row.lineNumber() + 1 == layout->lineCount())
        return start + text->lineLength(at.line);
    // A wrapped row ends before the space it broke at, where the caret still shows on it.
    return start + row.textStart() + std::max(0, row.textLength() - 1);
}

void TextArea::selectAround(qsizetype position, Unit unit, bool extend)
{
    qsizetype from = position;
    qsizetype to = position;
    const qsizetype line = text->lineAt(position);
    const qsizetype start = text->lineStart(line);
    if (unit == Unit::word) {
        const Piece piece = pieceAround(line, position - start);
        const WordBoundaries::Span word
            = WordBoundaries::wordAt(piece.text, position - start - piece.start);
        from = start + piece.start + word.start;
        to = start + piece.start + word.end;
    } else if (unit == Unit::line) {
        from = start;
        to = std::min(start + text->lineLength(line) + 1, text->length());
    }
    wantedX.reset();
    if (!extend) {
        dragStart = from;
        dragEnd = to;
        restore(from, to);
    } else if (from < dragStart) {
        restore(dragEnd, from);
    } else {
        restore(dragStart, std::max(to, dragEnd));
    }
}

void TextArea::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection() && !readOnly) {
        // The X11 way: the text selected last anywhere goes in where the middle button is.
        const QString selected = clipboard->text(QClipboard::Selection);
        setCaretPosition(positionAt(point));
        if (!selected.isEmpty())
            insertText(selected);
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    closeRun();
    const qsizetype at = positionAt(point);
    const bool tripleClick = lastDoubleClick >= 0
        && QDateTime::currentMSecsSinceEpoch() - lastDoubleClick
            < QGuiApplication::styleHints()->mouseDoubleClickInterval()
        && (point - doubleClickPoint).manhattanLength() < QApplication::startDragDistance();
    lastDoubleClick = -1;
    if (!tripleClick && !(event->modifiers() & Qt::ShiftModifier) && hasSelection()
        && at >= selectionStart() && at < selectionEnd()) {
        pressedInSelection = true;
        pressPoint = point;
        event->accept();
        return;
    }
    dragging = true;
    if (tripleClick) {
        dragUnit = Unit::line;
        selectAround(at, Unit::line, false);
    } else if (event->modifiers() & Qt::ShiftModifier) {
        dragUnit = Unit::character;
        dragStart = dragEnd = anchor;
        selectAround(at, Unit::character, true);
    } else {
        dragUnit = Unit::character;
        selectAround(at, Unit::character, false);
    }
    event->accept();
}

void TextArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    closeRun();
    pressedInSelection = false;
    doubleClickPoint = event->position().toPoint();
    lastDoubleClick = QDateTime::currentMSecsSinceEpoch();
    dragging = true;
    dragUnit = Unit::word;
    selectAround(positionAt(doubleClickPoint), Unit::word, false);
    event->accept();
}

void TextArea::mouseMoveEvent(QMouseEvent *event)
{
    if (pressedInSelection && (event->buttons() & Qt::LeftButton)) {
        if ((event->position().toPoint() - pressPoint).manhattanLength()
            >= QApplication::startDragDistance()) {
            pressedInSelection = false;
            startTextDrag();
        }
        event->accept();
        return;
    }
    if (!dragging || !(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    dragPoint = event->position().toPoint();
    // Held above or below the text, the selection keeps growing a row at a time.
    if (dragPoint.y() < 0 || dragPoint.y() > viewport()->height()) {
        if (!dragScroll.isActive())
            dragScroll.start(50, this);
    } else {
        dragScroll.stop();
    }
    selectAround(positionAt(dragPoint), dragUnit, true);
    event->accept();
}

void TextArea::dragScrollStep()
{
    if (!dragging) {
        dragScroll.stop();
        return;
    }
    scrollRows(dragPoint.y() < 0 ? -1 : 1);
    selectAround(positionAt(dragPoint), dragUnit, true);
}

void TextArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && pressedInSelection) {
        pressedInSelection = false;
        const qsizetype at = positionAt(event->position().toPoint());
        restore(at, at);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && dragging) {
        dragging = false;
        dragScroll.stop();
        if (hasSelection() && QGuiApplication::clipboard()->supportsSelection())
            QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TextArea::wheelEvent(QWheelEvent *event)
{
    const QPoint angle = event->angleDelta();
    const bool vertical = std::abs(angle.y()) > std::abs(angle.x())
        && !(event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier));
    if (!vertical) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // By rows, so a long wrapped line scrolls through rather than past in one step.
    wheelRows -= angle.y() / 120.0 * QApplication::wheelScrollLines();
    const qsizetype whole = qsizetype(wheelRows);
    wheelRows -= whole;
    if (whole != 0)
        scrollRows(whole);
    event->accept();
}

void TextArea::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void TextArea::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    closeRun();
    blink.stop();
    viewport()->update();
}

void TextArea::inputMethodEvent(QInputMethodEvent *event)
{
    if (readOnly) {
        event->ignore();
        return;
    }
    layouts.remove(text->lineAt(caret));
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selectionStart();
        qsizetype to = selectionEnd();
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            from = std::clamp<qsizetype>(caret + event->replacementStart(), 0, text->length());
            to = std::min(from + event->replacementLength(), text->length());
        }
        closeRun();
        text->beginEditGroup(anchor, caret);
        replace(from, to - from, event->commitString());
        text->endEditGroup(anchor, caret);
    } else if (!event->preeditString().isEmpty() && hasSelection()) {
        // Composing replaces the selection, as typing would.
        insertText(QString());
    }
    preedit = event->preeditString();
    preeditFormats.clear();
    preeditCursor = int(preedit.size());
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            preeditCursor = attribute.start;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                preeditFormats.append({ attribute.start, attribute.length, format });
        }
    }
    layouts.remove(text->lineAt(caret));
    ensureCaretVisible();
    viewport()->update();
    event->accept();
}

QVariant TextArea::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // Input methods see the text around the caret, a part of a very long line.
    const qsizetype line = text->lineAt(caret);
    const Piece piece = pieceAround(line, caret - text->lineStart(line));
    const qsizetype start = text->lineStart(line) + piece.start;
    const qsizetype length = piece.text.size();
    const QPoint offset = viewport()->pos();
    switch (query) {
    case Qt::ImEnabled:
        return !readOnly;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImFont:
        return font();
    case Qt::ImCursorRectangle:
        return QRectF(cursorRect().translated(offset));
    case Qt::ImAnchorRectangle:
        return QRectF(cursorRect(anchor).translated(offset));
    case Qt::ImCursorPosition:
        return int(caret - start);
    case Qt::ImAnchorPosition:
        return int(std::clamp<qsizetype>(anchor - start, 0, length));
    case Qt::ImAbsolutePosition:
        return qlonglong(caret);
    case Qt::ImSurroundingText:
        return piece.text;
    case Qt::ImTextBeforeCursor:
        return text->text(start, caret);
    case Qt::ImTextAfterCursor:
        return text->text(caret, start + length);
    case Qt::ImCurrentSelection:
        return selectedText();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
