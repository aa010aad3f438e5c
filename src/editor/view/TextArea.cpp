#include "TextArea.h"

#include "LineSegments.h"

#include "TextAreaAccessible.h"
#include "WordBoundaries.h"
#include "common/Defaults.h"
#include "editor/buffer/TextBuffer.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QScrollBar>

namespace
{

// Where a position ends up after a change elsewhere: after it, it moves with the text; inside
// the replaced text, to its start.
qsizetype shifted(qsizetype position, const TextChange &change)
{
    if (position >= change.position + change.removed)
        return position + change.added - change.removed;
    return std::min(position, change.position);
}

}

TextArea::TextArea(QWidget *parent)
    : QAbstractScrollArea(parent)
    , ownBuffer(new TextBuffer(this))
    , text(ownBuffer)
{
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    TextAreaAccessible::installFactory();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(Defaults::fontSize());
    setFont(font);
    fontChanged();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        // The bar moves by whole lines: a drag or a click on it starts at a line's first row.
        if (!movingBar && value != top.line)
            setTop({ value, 0 });
    });
    setBuffer(nullptr);
}

TextArea::~TextArea()
{
    closeRun();
}

void TextArea::setBuffer(TextBuffer *buffer)
{
    closeRun();
    if (text)
        disconnect(text, nullptr, this, nullptr);
    text = buffer ? buffer : ownBuffer;
    connect(text, &TextBuffer::changed, this, &TextArea::textChanged);
    connect(text, &TextBuffer::reset, this, &TextArea::textReset);
    // Marking the text clean (a save) closes the buffer's open step; typing after it starts
    // a new one rather than going on without any.
    connect(text, &TextBuffer::modificationChanged, this, [this](bool modified) {
        if (!modified)
            run = Run::none;
    });
    connect(text, &QObject::destroyed, this, [this](QObject *gone) {
        if (gone != text || text == ownBuffer)
            return;
        // Too late to close a step in it.
        run = Run::none;
        text = nullptr;
        setBuffer(nullptr);
    });
    textReset();
}

void TextArea::textReset()
{
    run = Run::none;
    layouts.clear();
    formats.clear();
    shownHighlights.clear();
    widestSeen = 0;
    anchor = caret = 0;
    wantedX.reset();
    preedit.clear();
    top = {};
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    emit selectionChanged();
    emit visibleLinesChanged();
}

void TextArea::textChanged(const TextChange &change)
{
    if (!editing)
        closeRun();
    const qsizetype column = change.position - text->lineStart(change.firstLine);
    // Past longLine the line was and stays one shown in segments, so those before the edit
    // hold the same text; a line crossing that length is laid out afresh.
    const qsizetype kept
        = column > LineSegments::longLine ? LineSegments::keptBefore(column, segmentSize()) : 0;
    layouts.follow(change.firstLine, change.linesRemoved, change.linesAdded, kept);
    formats.follow(change.firstLine, column, change.removed, change.added, change.linesRemoved,
        change.linesAdded);
    const qsizetype oldAnchor = anchor;
    const qsizetype oldCaret = caret;
    anchor = shifted(anchor, change);
    caret = shifted(caret, change);
    if (!shownHighlights.isEmpty()) {
        QList<Highlight> kept;
        for (Highlight highlight : std::as_const(shownHighlights)) {
            const qsizetype end = shifted(highlight.start + highlight.length, change);
            highlight.start = shifted(highlight.start, change);
            highlight.length = end - highlight.start;
            if (highlight.length > 0)
                kept.append(highlight);
        }
        shownHighlights = kept;
    }
    // Lines put in or taken out above the view leave the same text in view.
    const qsizetype lineShift = change.linesAdded - change.linesRemoved;
    RowScroll::Place wanted = top;
    if (change.firstLine < top.line && lineShift != 0)
        wanted = { std::max(change.firstLine, top.line + lineShift), top.row };
    updateScrollBars();
    setTop(wanted);
    viewport()->update();
    if (anchor != oldAnchor || caret != oldCaret)
        emit selectionChanged();
    if (change.firstLine <= lastVisibleLine())
        emit visibleLinesChanged();
}

QString TextArea::selectedText() const
{
    return text->text(selectionStart(), selectionEnd());
}

void TextArea::setSelection(qsizetype anchorAt, qsizetype caretAt)
{
    closeRun();
    wantedX.reset();
    const qsizetype length = text->length();
    restore(std::clamp<qsizetype>(anchorAt, 0, length), std::clamp<qsizetype>(caretAt, 0, length));
}

void TextArea::restore(qsizetype anchorAt, qsizetype caretAt)
{
    if (anchorAt == anchor && caretAt == caret)
        return;
    const qsizetype oldCaretLine = text->lineAt(caret);
    anchor = anchorAt;
    caret = caretAt;
    // The text being composed moves with the caret.
    if (!preedit.isEmpty()) {
        layouts.remove(oldCaretLine);
        layouts.remove(text->lineAt(caret));
    }
    restartBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, int(caret));
        QAccessible::updateAccessibility(&moved);
        QAccessibleTextSelectionEvent selected(this, int(selectionStart()), int(selectionEnd()));
        QAccessible::updateAccessibility(&selected);
    }
    emit selectionChanged();
}

void TextArea::moveCaret(qsizetype position, bool select)
{
    closeRun();
    const qsizetype to = std::clamp<qsizetype>(position, 0, text->length());
    restore(select ? anchor : to, to);
    ensureCaretVisible();
}

void TextArea::selectAll()
{
    setSelection(0, text->length());
}

void TextArea::replace(qsizetype position, qsizetype removed, const QString &inserted)
{
    const qsizetype before = text->length();
    // Readers are told what went, which the buffer no longer has once it is gone.
    const QString old = QAccessible::isActive() ? text->text(position, position + removed) : QString();
    editing = true;
    text->replace(position, removed, inserted);
    editing = false;
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent updated(this, int(position), old, inserted);
        QAccessible::updateAccessibility(&updated);
    }
    // Breaks of any kind in the inserted text count one position each in the buffer.
    const qsizetype end = position + text->length() - before + removed;
    restore(end, end);
}

void TextArea::insertText(const QString &inserted)
{
    if (readOnly)
        return;
    closeRun();
    text->beginEditGroup(anchor, caret);
    replace(selectionStart(), selectionEnd() - selectionStart(), inserted);
    text->endEditGroup(anchor, caret);
    wantedX.reset();
    ensureCaretVisible();
}

// Typing joins the open undo step while it continues a word-ish run; anything else the view
// does closes the step first.
void TextArea::type(const QString &typed)
{
    if (readOnly || typed.isEmpty())
        return;
    if (run != Run::typing || hasSelection() || !WordBoundaries::continuesTyping(lastTyped, typed[0]))
        openRun(Run::typing);
    replace(selectionStart(), selectionEnd() - selectionStart(), typed);
    lastTyped = typed.back();
    wantedX.reset();
    ensureCaretVisible();
}

void TextArea::closeRun()
{
    if (run == Run::none)
        return;
    run = Run::none;
    text->endEditGroup(anchor, caret);
}

void TextArea::openRun(Run kind)
{
    closeRun();
    text->beginEditGroup(anchor, caret);
    run = kind;
}

void TextArea::deleteTo(qsizetype position, bool character)
{
    if (readOnly)
        return;
    if (hasSelection()) {
        insertText(QString());
        return;
    }
    const qsizetype from = std::clamp<qsizetype>(std::min(position, caret), 0, text->length());
    const qsizetype to = std::clamp<qsizetype>(std::max(position, caret), 0, text->length());
    if (from == to)
        return;
    if (character) {
        if (run != Run::deleting)
            openRun(Run::deleting);
        replace(from, to - from, QString());
    } else {
        closeRun();
        text->beginEditGroup(anchor, caret);
        replace(from, to - from, QString());
        text->endEditGroup(anchor, caret);
    }
    wantedX.reset();
    ensureCaretVisible();
}

void TextArea::undo()
{
    closeRun();
    if (const std::optional<TextBuffer::Selection> selection = text->undo()) {
        restore(selection->anchor, selection->caret);
        ensureCaretVisible();
    }
}

void TextArea::redo()
{
    closeRun();
    if (const std::optional<TextBuffer::Selection> selection = text->redo()) {
        restore(selection->anchor, selection->caret);
        ensureCaretVisible();
    }
}

void TextArea::copy() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextArea::cut()
{
    if (readOnly || !hasSelection())
        return;
    copy();
    insertText(QString());
}

void TextArea::paste()
{
    const QString pasted = QGuiApplication::clipboard()->text();
    if (!pasted.isEmpty())
        insertText(pasted);
}

void TextArea::setReadOnly(bool on)
{
    closeRun();
    readOnly = on;
    setAttribute(Qt::WA_InputMethodEnabled, !on);
    viewport()->update();
}

void TextArea::setLineFormats(qsizetype line, const QList<QTextLayout::FormatRange> &given)
{
    formats.set(line, given);
    // Colours take a new layout; only a line in the cache has one to replace.
    if (layouts.contains(line)) {
        layouts.remove(line);
        viewport()->update();
    }
}

void TextArea::setHighlights(const QList<Highlight> &highlights)
{
    shownHighlights = highlights;
    viewport()->update();
}

void TextArea::clearLineFormats()
{
    if (formats.isEmpty())
        return;
    formats.clear();
    layouts.clear();
    viewport()->update();
}

void TextArea::paintAfterText(QPainter &) { }
