#include "EditingController.h"

#include "AppDelegate.h"
#include "DocumentController.h"

#include "EditorKeys.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/Indentation.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

// Return and typed closers read the caret's line; on a line longer than this only its ends are
// read, so a key on a huge one-line file stays cheap.
constexpr qsizetype readLimit = 4096;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The line up to position as Return reads it: its indent and its last non-blank character
// are all that matter, so a long line gives only those.
QString lineBefore(const TextBuffer &text, qsizetype position)
{
    const qsizetype start = text.lineStart(text.lineAt(position));
    if (position - start <= 2 * readLimit)
        return text.text(start, position);
    const QString head = text.text(start, start + readLimit);
    qsizetype blanks = 0;
    while (blanks < head.size() && isBlank(head[blanks]))
        ++blanks;
    for (qsizetype end = position; end > start + blanks; end -= readLimit) {
        const QString piece = text.text(std::max(start + blanks, end - readLimit), end);
        const QStringView trimmed = QStringView(piece).trimmed();
        if (!trimmed.isEmpty())
            return head.left(blanks) + trimmed.back();
    }
    return head.left(blanks);
}

// Replaces a stretch of the view's text as one undo step that gives back the selection it
// found, and leaves the selection given.
void replaceAsOneStep(EditorTextView *view, qsizetype from, qsizetype removed, const QString &inserted,
                      qsizetype anchorAfter, qsizetype caretAfter)
{
    // A view still loading (or showing an old version) takes no edits.
    if (view->isReadOnly())
        return;
    TextBuffer *text = view->buffer();
    view->endTypingStep();
    text->beginEditGroup(view->anchorPosition(), view->caretPosition());
    text->replace(from, removed, inserted);
    text->endEditGroup(anchorAfter, caretAfter);
    view->setSelection(anchorAfter, caretAfter);
}

}

EditingController::EditingController(AppDelegate &app, QObject *parent)
    : QObject(parent)
    , app(app)
{
}

void EditingController::watchKeys(EditorTextView *view)
{
    auto *keys = new EditorKeys(view);
    keys->onCommand = [this](EditorTextView *target, EditorKeys::Command command, QChar closer) {
        return doCommand(target, command, closer);
    };
}

bool EditingController::doCommand(EditorTextView *view, EditorKeys::Command command, QChar closer)
{
    const TextBuffer &text = *view->buffer();
    switch (command) {
    case EditorKeys::Command::insertTab:
        if (text.lineAt(view->selectionStart()) != text.lineAt(view->selectionEnd()))
            indentLines(view, false);
        else
            view->insertText(Indentation::unit(Defaults::indentWidth()));
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

void EditingController::insertNewline(EditorTextView *view)
{
    const TextBuffer &text = *view->buffer();
    const qsizetype start = view->selectionStart();
    const qsizetype end = view->selectionEnd();
    const QString before = lineBefore(text, start);
    const QString after = end < text.length() ? QString(text.at(end)) : QString();
    const auto edit = Indentation::returnEdit(before, after, Defaults::copyIndent(), Defaults::braces(),
                                              Defaults::indentWidth());
    const QString insertion = edit ? edit->insertion : QStringLiteral("\n");
    const qsizetype caret = start + insertion.size() - (edit ? edit->caretBack : 0);
    replaceAsOneStep(view, start, end - start, insertion, caret, caret);
    view->ensureCaretVisible();
}

bool EditingController::outdentCloser(EditorTextView *view, QChar closer)
{
    if (!Defaults::braces() || view->hasSelection())
        return false;
    TextBuffer *text = view->buffer();
    const qsizetype caret = view->caretPosition();
    const qsizetype start = text->lineStart(text->lineAt(caret));
    // Only blanks before the caret outdent; a line this long is not one of those.
    if (caret - start > readLimit)
        return false;
    const auto remove = Indentation::closerOutdent(text->text(start, caret), closer, Defaults::indentWidth());
    if (!remove)
        return false;
    const qsizetype after = caret - *remove + 1;
    replaceAsOneStep(view, caret - *remove, *remove, QString(closer), after, after);
    return true;
}

void EditingController::indentLines(EditorTextView *view, bool outdent)
{
    if (!view || view->isReadOnly())
        return;
    TextBuffer *text = view->buffer();
    const qsizetype start = view->selectionStart();
    const qsizetype end = view->selectionEnd();
    const qsizetype first = text->lineAt(start);
    qsizetype last = text->lineAt(end);
    // A selection that ends just after a line break leaves the following line alone.
    if (end > start && text->lineStart(last) == end && last != first)
        last -= 1;
    const qsizetype from = text->lineStart(first);
    const qsizetype to = text->lineStart(last) + text->lineLength(last);
    const QString old = text->text(from, to);
    const QString shifted = Indentation::shiftLines(old, outdent, Defaults::indentWidth());
    if (shifted == old)
        return;
    const qsizetype anchor = end > start ? from : std::max(start + shifted.size() - old.size(), from);
    const qsizetype caret = end > start ? from + shifted.size() : anchor;
    replaceAsOneStep(view, from, to - from, shifted, anchor, caret);
}

void EditingController::setFontSize(double size)
{
    size = std::clamp(size, Defaults::minimumFontSize, Defaults::maximumFontSize);
    Defaults::set(Defaults::FontSize, size);
    const QFont font = editorFont();
    for (const DocumentPtr &document : app.documents())
        if (document->textView)
            document->textView->setFont(font);
    emit fontChanged(font);
}

void EditingController::stepFontSize(int step)
{
    // An unset size reads as the default, so Bigger gives 12 and Smaller 10.
    setFontSize(step == 0 ? Defaults::defaultFontSize : Defaults::fontSize() + step);
}

QFont EditingController::editorFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(Defaults::fontSize());
    return font;
}

void EditingController::setIndentWidth(int width)
{
    Defaults::set(Defaults::IndentWidth, width);
    emit settingChanged();
}

void EditingController::toggleSetting(const char *key, bool fallback)
{
    Defaults::set(key, !Defaults::boolean(key, fallback));
    if (QLatin1String(key) == QLatin1String(Defaults::Wrap))
        followWrapSetting();
    emit settingChanged();
}

void EditingController::followWrapSetting()
{
    if (const DocumentPtr active = app.documents().activeDocument())
        applyWrap(*active);
    else
        emit wrapChangedWithoutDocument();
}

void EditingController::applyWrap(OpenDocument &document) const
{
    const bool wrap = Defaults::wrap() && !document.isPlain;
    document.textView->setWordWrap(wrap);
}

void EditingController::undoOrRedo(bool redo)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        redo ? line->redo() : line->undo();
        return;
    }
    if (auto *output = qobject_cast<QPlainTextEdit *>(focus)) {
        redo ? output->redo() : output->undo();
        return;
    }
    auto *view = qobject_cast<TextArea *>(focus);
    if (!view) {
        const DocumentPtr active = app.documents().activeDocument();
        view = active ? active->textView.data() : nullptr;
    }
    if (!view)
        return;
    redo ? view->redo() : view->undo();
    if (view->hasSelection())
        view->setCaretPosition(view->selectionEnd());
}
