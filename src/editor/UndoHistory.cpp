#include "UndoHistory.h"

#include <QAbstractUndoItem>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <functional>
#include <utility>

namespace
{

// A step on the document's own stack; the history does the work.
class StepItem : public QAbstractUndoItem
{
public:
    StepItem(std::function<void(bool)> replay, std::function<void()> gone)
        : replayStep(std::move(replay))
        , whenGone(std::move(gone))
    {
    }
    ~StepItem() override { whenGone(); }
    void undo() override { replayStep(true); }
    void redo() override { replayStep(false); }

private:
    std::function<void(bool)> replayStep;
    std::function<void()> whenGone;
};

bool breaksLine(const QString &text)
{
    return text.contains(QChar::ParagraphSeparator);
}

bool isTyping(const UndoHistory::Step &step)
{
    return step.removed.isEmpty() && !step.added.isEmpty() && !breaksLine(step.added);
}

bool isDeleting(const UndoHistory::Step &step)
{
    return step.added.isEmpty() && !step.removed.isEmpty() && !breaksLine(step.removed);
}

}

UndoHistory::UndoHistory(QTextDocument *document, int limit)
    : QObject(document)
    , document(document)
    , maximum(limit)
    , shadow(document->toRawText())
{
    // A document reports its changes only once it has a layout.
    document->documentLayout();
    connect(document, &QTextDocument::contentsChange, this, &UndoHistory::documentChanged);
}

bool UndoHistory::continues(const Step &last, const Step &next)
{
    if (isTyping(last) && isTyping(next))
        return next.position == last.position + last.added.size();
    if (isDeleting(last) && isDeleting(next))
        return next.position == last.position
            || next.position + next.removed.size() == last.position;
    return false;
}

UndoHistory::Step UndoHistory::joined(const Step &last, const Step &next)
{
    if (isTyping(last))
        return { last.position, {}, last.added + next.added };
    if (next.position == last.position)
        return { last.position, last.removed + next.removed, {} };
    return { next.position, next.removed + last.removed, {} };
}

QString UndoHistory::textAt(int position, int length) const
{
    if (length <= 0)
        return {};
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(position + length, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

void UndoHistory::documentChanged(int position, int removedCount, int addedCount)
{
    // Loading a text records nothing; one copy of the whole text is cheaper than reading the
    // change back through a cursor.
    if (!document->isUndoRedoEnabled()) {
        shadow = document->toRawText();
        return;
    }
    // The reported counts may run past the end of the text by the final paragraph separator.
    const int length = document->characterCount() - 1;
    position = std::clamp(position, 0, length);
    const int added = std::clamp(addedCount, 0, length - int(position));
    const QString now = textAt(position, added);
    // A replayed step (already in the shadow) or a change of formats only: nothing new.
    if (shadow.size() == length && QStringView(shadow).mid(position, added) == now)
        return;
    const int removed = std::clamp(removedCount, 0, std::max(0, int(shadow.size()) - position));
    if (shadow.size() - removed + added != length) {
        resync();
        return;
    }
    Step step { position, shadow.mid(position, removed), now };
    shadow.replace(position, removed, now);
    // With undo off (loading a text) there is nothing to record; the stack is empty then.
    if (document->isUndoRedoEnabled())
        record(std::move(step));
}

void UndoHistory::record(Step step)
{
    if (mayContinue && !steps.empty() && continues(*steps.back(), step))
        steps.back() = std::make_shared<Step>(joined(*steps.back(), step));
    else
        steps.push_back(std::make_shared<Step>(std::move(step)));
    while (int(steps.size()) > maximum)
        steps.pop_front();
    mayContinue = true;
    rebuild();
}

void UndoHistory::rebuild()
{
    rebuilding = true;
    // This also drops the document's own entries for the edit just made.
    document->clearUndoRedoStacks(QTextDocument::UndoStack);
    const QPointer<UndoHistory> self(this);
    for (const std::shared_ptr<Step> &step : steps) {
        document->appendUndoItem(new StepItem(
            [self, step](bool undo) {
                if (self)
                    self->replay(step, undo);
            },
            [self, step] {
                if (self)
                    self->forget(step);
            }));
    }
    rebuilding = false;
}

void UndoHistory::replay(const std::shared_ptr<Step> &step, bool undo)
{
    const QString &from = undo ? step->added : step->removed;
    const QString &to = undo ? step->removed : step->added;
    // The shadow goes first, so the change reported for this edit is seen as known.
    shadow.replace(step->position, from.size(), to);
    QTextCursor cursor(document);
    cursor.setPosition(step->position);
    cursor.setPosition(step->position + int(from.size()), QTextCursor::KeepAnchor);
    if (to.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(to);
    if (undo)
        steps.pop_back();
    else
        steps.push_back(step);
    mayContinue = false;
}

void UndoHistory::forget(const std::shared_ptr<Step> &step)
{
    // The document dropped this step itself (its stacks were cleared).
    if (rebuilding)
        return;
    std::erase(steps, step);
    mayContinue = false;
}

void UndoHistory::resync()
{
    shadow = document->toRawText();
    steps.clear();
    mayContinue = false;
    rebuilding = true;
    document->clearUndoRedoStacks();
    rebuilding = false;
}
