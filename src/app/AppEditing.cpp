// Editing beyond plain typing: indentation, Return, closers, fonts, wrap and undo routing.
#include "AppDelegate.h"

#include "EditorKeys.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/Indentation.h"
#include "editor/LineNumberGutter.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBlock>

namespace {

bool selectionHasLineBreak(const QTextCursor &cursor)
{
    return cursor.selectedText().contains(QChar::ParagraphSeparator);
}

}

void AppDelegate::watchEditingKeys(EditorTextView *view)
{
    auto *keys = new EditorKeys(view);
    keys->onCommand = [this](EditorTextView *target, EditorKeys::Command command, QChar closer) {
        return doCommand(target, int(command), closer);
    };
}

bool AppDelegate::doCommand(EditorTextView *view, int command, QChar closer)
{
    QTextCursor cursor = view->textCursor();
    switch (EditorKeys::Command(command)) {
    case EditorKeys::Command::insertTab:
        if (cursor.hasSelection() && selectionHasLineBreak(cursor))
            indentLines(view, false);
        else
            cursor.insertText(Indentation::unit(Defaults::indentWidth()));
        return true;
    case EditorKeys::Command::insertBacktab:
        indentLines(view, true);
        return true;
    case EditorKeys::Command::insertNewline:
        insertNewline(view);
        return true;
    case EditorKeys::Command::insertCloser:
        return outdentCloser(view, closer);
    }
    return false;
}

void AppDelegate::insertNewline(EditorTextView *view)
{
    QTextCursor cursor = view->textCursor();
    const QTextBlock startBlock = view->document()->findBlock(cursor.selectionStart());
    const QTextBlock endBlock = view->document()->findBlock(cursor.selectionEnd());
    const QString startText = startBlock.text();
    const QString endText = endBlock.text();
    const QStringView before = QStringView(startText).left(cursor.selectionStart() - startBlock.position());
    const QStringView after = QStringView(endText).mid(cursor.selectionEnd() - endBlock.position());
    const auto edit = Indentation::returnEdit(before, after, Defaults::copyIndent(), Defaults::braces(),
                                              Defaults::indentWidth());
    cursor.insertText(edit ? edit->insertion : QStringLiteral("\n"));
    if (edit && edit->caretBack > 0) {
        cursor.setPosition(cursor.position() - edit->caretBack);
        view->setTextCursor(cursor);
    }
    view->ensureCursorVisible();
}

bool AppDelegate::outdentCloser(EditorTextView *view, QChar closer)
{
    if (!Defaults::braces())
        return false;
    QTextCursor cursor = view->textCursor();
    if (cursor.hasSelection())
        return false;
    const QTextBlock block = cursor.block();
    const QString prefix = block.text().left(cursor.position() - block.position());
    const auto remove = Indentation::closerOutdent(prefix, closer, Defaults::indentWidth());
    if (!remove)
        return false;
    cursor.setPosition(cursor.position() - *remove, QTextCursor::KeepAnchor);
    cursor.insertText(QString(closer));
    view->setTextCursor(cursor);
    return true;
}

void AppDelegate::indentLines(EditorTextView *view, bool outdent)
{
    if (!view || view->isReadOnly())
        return;
    QTextDocument *text = view->document();
    QTextCursor cursor = view->textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    QTextBlock first = text->findBlock(start);
    QTextBlock last = text->findBlock(end);
    // A selection that ends just after a line break leaves the following line alone.
    if (end > start && last.position() == end && last != first)
        last = last.previous();
    const int from = first.position();
    const int to = last.position() + last.length() - 1;
    QTextCursor range(text);
    range.setPosition(from);
    range.setPosition(to, QTextCursor::KeepAnchor);
    const QString old = range.selectedText().replace(QChar::ParagraphSeparator, u'\n');
    const QString shifted = Indentation::shiftLines(old, outdent, Defaults::indentWidth());
    if (shifted == old)
        return;
    range.insertText(shifted);
    QTextCursor after(text);
    if (end > start) {
        after.setPosition(from);
        after.setPosition(from + int(shifted.size()), QTextCursor::KeepAnchor);
    } else {
        after.setPosition(std::max(start + int(shifted.size() - old.size()), from));
    }
    view->setTextCursor(after);
}

void AppDelegate::setFontSize(double size)
{
    size = std::clamp(size, Defaults::minimumFontSize, Defaults::maximumFontSize);
    Defaults::set(Defaults::FontSize, size);
    applyFontSize();
}

void AppDelegate::stepFontSize(int step)
{
    // An unset size reads as the default, so Bigger gives 12 and Smaller 10.
    setFontSize(step == 0 ? Defaults::defaultFontSize : Defaults::fontSize() + step);
}

void AppDelegate::applyFontSize()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(Defaults::fontSize());
    for (const DocumentPtr &document : documents)
        if (document->textView)
            document->textView->setFont(font);
    emptyView->setFont(font);
    outputPanel->applyFont();
    lineRuler->setFontSize(Defaults::fontSize());
}

void AppDelegate::setIndentWidth(int width)
{
    Defaults::set(Defaults::IndentWidth, width);
    validateMenus();
    scheduleStatusRefresh();
}

void AppDelegate::toggleSetting(const char *key, bool fallback)
{
    Defaults::set(key, !Defaults::boolean(key, fallback));
    if (QLatin1String(key) == QLatin1String(Defaults::Wrap)) {
        if (const DocumentPtr active = activeDocument())
            applyWrap(*active);
        else
            showEmptyView();
    }
    validateMenus();
}

void AppDelegate::applyWrap(OpenDocument &document)
{
    const bool wrap = Defaults::wrap() && !document.isPlain;
    document.textView->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void AppDelegate::undoOrRedo(bool redo)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        redo ? line->redo() : line->undo();
        return;
    }
    auto *view = qobject_cast<QPlainTextEdit *>(focus);
    if (!view) {
        const DocumentPtr active = activeDocument();
        view = active ? active->textView.data() : nullptr;
    }
    if (!view)
        return;
    redo ? view->redo() : view->undo();
    QTextCursor cursor = view->textCursor();
    if (cursor.hasSelection()) {
        cursor.setPosition(cursor.selectionEnd());
        view->setTextCursor(cursor);
    }
}

void AppDelegate::holdEditorPlace()
{
    const DocumentPtr active = activeDocument();
    if (!active || !active->textView || QDateTime::currentDateTime() >= settleUntil)
        return;
    QScrollBar *bar = active->textView->horizontalScrollBar();
    if (bar->value() == settleOrigin.x())
        return;
    // Never move the text away from a caret the user is typing at.
    const QRect caret = active->textView->cursorRect();
    const int shift = bar->value() - settleOrigin.x();
    if (!active->textView->viewport()->rect().contains(caret.translated(shift, 0).topLeft()))
        return;
    const QString record = QStringLiteral("scrolled to %1").arg(bar->value());
    bar->setValue(settleOrigin.x());
    showNote(QStringLiteral("Editor offset put right (") + record + QLatin1Char(')'));
}
