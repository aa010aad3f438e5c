#include "TextAreaAccessible.h"

#include "LineSegments.h"
#include "TextArea.h"
#include "editor/buffer/TextBuffer.h"

#include <QTextBoundaryFinder>

namespace
{

// Readers that ask for the whole value get it only while it stays this small.
constexpr qsizetype wholeValueLimit = 1 << 20;

QAccessibleInterface *made(const QString &, QObject *object)
{
    auto *area = qobject_cast<TextArea *>(object);
    return area ? new TextAreaAccessible(area) : nullptr;
}

std::optional<QTextBoundaryFinder::BoundaryType> finderType(QAccessible::TextBoundaryType type)
{
    switch (type) {
    case QAccessible::CharBoundary: return QTextBoundaryFinder::Grapheme;
    case QAccessible::WordBoundary: return QTextBoundaryFinder::Word;
    case QAccessible::SentenceBoundary: return QTextBoundaryFinder::Sentence;
    default: return std::nullopt;
    }
}

}

TextAreaAccessible::TextAreaAccessible(TextArea *area)
    : QAccessibleWidget(area, QAccessible::EditableText)
{
}

void TextAreaAccessible::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(made);
        return true;
    }();
    Q_UNUSED(installed);
}

TextArea *TextAreaAccessible::area() const
{
    return static_cast<TextArea *>(widget());
}

QAccessible::State TextAreaAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.editable = !area()->isReadOnly();
    state.readOnly = area()->isReadOnly();
    state.selectableText = true;
    return state;
}

QString TextAreaAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value) {
        const TextBuffer *buffer = area()->buffer();
        return buffer->length() <= wholeValueLimit ? buffer->text() : QString();
    }
    return QAccessibleWidget::text(kind);
}

void *TextAreaAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface && !area()->isReadOnly())
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void TextAreaAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const bool has = selectionIndex == 0 && area()->hasSelection();
    *startOffset = has ? int(area()->selectionStart()) : 0;
    *endOffset = has ? int(area()->selectionEnd()) : 0;
}

int TextAreaAccessible::selectionCount() const
{
    return area()->hasSelection() ? 1 : 0;
}

void TextAreaAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextAreaAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        area()->setCaretPosition(area()->caretPosition());
}

void TextAreaAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        area()->setSelection(startOffset, endOffset);
}

int TextAreaAccessible::cursorPosition() const
{
    return int(area()->caretPosition());
}

void TextAreaAccessible::setCursorPosition(int position)
{
    area()->setCaretPosition(position);
    area()->ensureCaretVisible();
}

QString TextAreaAccessible::text(int startOffset, int endOffset) const
{
    const qsizetype length = area()->buffer()->length();
    return area()->buffer()->text(std::clamp<qsizetype>(startOffset, 0, length),
        std::clamp<qsizetype>(endOffset, 0, length));
}

QString TextAreaAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    const TextBuffer *buffer = area()->buffer();
    const qsizetype length = buffer->length();
    const qsizetype at = std::clamp<qsizetype>(offset, 0, length);
    const qsizetype line = buffer->lineAt(at);
    qsizetype start = buffer->lineStart(line);
    qsizetype end = std::min(start + buffer->lineLength(line) + 1, length);
    if (boundaryType == QAccessible::NoBoundary) {
        start = 0;
        end = length;
    } else if (const std::optional<QTextBoundaryFinder::BoundaryType> type = finderType(boundaryType)) {
        // Words, sentences and characters are looked for within the line (near the offset in
        // a very long one).
        const qsizetype lineStart = std::max(start, at - LineSegments::longLine / 2);
        const qsizetype lineEnd = std::min(start + buffer->lineLength(line),
            at + LineSegments::longLine / 2);
        const QString lineText = buffer->text(lineStart, lineEnd);
        QTextBoundaryFinder finder(*type, lineText);
        finder.setPosition(at - lineStart);
        if (!finder.isAtBoundary() || at - lineStart == lineText.size())
            finder.toPreviousBoundary();
        start = lineStart + std::max<qsizetype>(finder.position(), 0);
        finder.toNextBoundary();
        end = finder.position() < 0 ? end : lineStart + finder.position();
    }
    *startOffset = int(start);
    *endOffset = int(end);
    return buffer->text(start, end);
}

QString TextAreaAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return textAtOffset(start - 1, boundaryType, startOffset, endOffset);
}

QString TextAreaAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset, int *endOffset) const
{
    int start = 0;
    int end = 0;
    textAtOffset(offset, boundaryType, &start, &end);
    if (end >= characterCount() || end <= offset) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    return textAtOffset(end, boundaryType, startOffset, endOffset);
}

int TextAreaAccessible::characterCount() const
{
    return int(area()->buffer()->length());
}

QRect TextAreaAccessible::characterRect(int offset) const
{
    const QRect caret = area()->cursorRect(offset);
    const QRect next = area()->cursorRect(offset + 1);
    // The width reaches the next character on the same row; a row's last one gets a sliver.
    const int width = next.top() == caret.top() && next.x() > caret.x() ? next.x() - caret.x() : 1;
    const QRect local(caret.x(), caret.y(), width, caret.height());
    return QRect(area()->viewport()->mapToGlobal(local.topLeft()), local.size());
}

int TextAreaAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = area()->viewport()->mapFromGlobal(point);
    if (!area()->viewport()->rect().contains(local))
        return -1;
    return int(area()->positionAt(local));
}

void TextAreaAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    area()->setSelection(startIndex, endIndex);
    area()->ensureCaretVisible();
}

QString TextAreaAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}

void TextAreaAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextAreaAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TextAreaAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    area()->setSelection(startOffset, endOffset);
    area()->insertText(text);
}
