// Dragging text out, dropping text in, and the context menu.
#include "TextArea.h"

#include "TextDrop.h"
#include "editor/buffer/TextBuffer.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>

void TextArea::startTextDrag()
{
    auto *mime = new QMimeData;
    mime->setText(selectedText());
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    const quint64 revision = text->revision();
    ownDrop = false;
    const Qt::DropAction done = readOnly ? drag->exec(Qt::CopyAction)
                                         : drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // Moved out to somewhere else: the text leaves here too, unless it changed meanwhile. A
    // drop here has moved it already.
    if (done == Qt::MoveAction && !ownDrop && !readOnly && text->revision() == revision) {
        setSelection(from, to);
        insertText(QString());
    }
}

bool TextArea::takesDrop(QDropEvent *event)
{
    if (readOnly || !event->mimeData()->hasText())
        return false;
    const bool own = event->source() == this;
    // Within the view a drag moves its text unless Ctrl asks for a copy.
    const bool move = own && !(event->modifiers() & Qt::ControlModifier)
        && (event->possibleActions() & Qt::MoveAction);
    event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    return true;
}

void TextArea::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void TextArea::dragMoveEvent(QDragMoveEvent *event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    dropCaret = positionAt(event->position().toPoint());
    viewport()->update();
}

void TextArea::dragLeaveEvent(QDragLeaveEvent *)
{
    dropCaret.reset();
    viewport()->update();
}

void TextArea::dropEvent(QDropEvent *event)
{
    dropCaret.reset();
    viewport()->update();
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    const bool own = event->source() == this;
    ownDrop = own;
    const QString dropped = event->mimeData()->text();
    const TextDrop drop = TextDrop::plan(selectionStart(), selectionEnd(),
        positionAt(event->position().toPoint()), event->dropAction() == Qt::MoveAction);
    if (drop.nothing)
        return;
    closeRun();
    text->beginEditGroup(anchor, caret);
    if (drop.removed > 0)
        replace(drop.removeFrom, drop.removed, QString());
    replace(drop.insertAt, 0, dropped);
    restore(drop.insertAt, caret);
    text->endEditGroup(anchor, caret);
    wantedX.reset();
    setFocus(Qt::MouseFocusReason);
}

QMenu *TextArea::createStandardContextMenu()
{
    closeRun();
    auto *menu = new QMenu(this);
    const auto add = [&](const QString &title, QKeySequence::StandardKey keys, bool enabled,
                         auto action) {
        QAction *made = menu->addAction(title, this, action);
        made->setShortcut(keys);
        made->setEnabled(enabled);
    };
    const bool editable = !readOnly;
    add(tr("&Undo"), QKeySequence::Undo, editable && text->canUndo(), &TextArea::undo);
    add(tr("&Redo"), QKeySequence::Redo, editable && text->canRedo(), &TextArea::redo);
    menu->addSeparator();
    add(tr("Cu&t"), QKeySequence::Cut, editable && hasSelection(), &TextArea::cut);
    add(tr("&Copy"), QKeySequence::Copy, hasSelection(), &TextArea::copy);
    add(tr("&Paste"), QKeySequence::Paste,
        editable && !QGuiApplication::clipboard()->text().isEmpty(), &TextArea::paste);
    add(tr("Delete"), QKeySequence::Delete, editable && hasSelection(),
        [this] { insertText(QString()); });
    menu->addSeparator();
    add(tr("Select All"), QKeySequence::SelectAll, text->length() > 0, &TextArea::selectAll);
    return menu;
}

void TextArea::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}
