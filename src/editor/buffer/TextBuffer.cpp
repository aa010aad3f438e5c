#include "TextBuffer.h"

namespace
{

// Removals this long keep the text they took from instead of a copy of it.
constexpr qsizetype longRemoval = 1 << 16;

}

TextBuffer::TextBuffer(QObject *parent)
    : QObject(parent)
    , m_storage(std::make_shared<TextStorage>())
{
}

TextChange TextBuffer::apply(qsizetype position, qsizetype removed, QStringView inserted,
                             const std::vector<LineBreaks::Exception> &restored,
                             std::vector<LineBreaks::Exception> *dropped)
{
    // Snapshots share the storage: the first edit after one works on a copy (of the chunk
    // pointers, not the text).
    if (m_storage.use_count() > 1)
        m_storage = std::make_shared<TextStorage>(*m_storage);
    const TextChange change = m_storage->replace(position, removed, inserted, restored, dropped);
    ++m_revision;
    emit changed(change);
    return change;
}

void TextBuffer::replace(qsizetype position, qsizetype removed, QStringView inserted)
{
    position = std::clamp<qsizetype>(position, 0, length());
    removed = std::clamp<qsizetype>(removed, 0, length() - position);
    Edit edit { position, removed, {}, {}, TextStorage::normalized(inserted), {} };
    if (removed == 0 && edit.inserted.isEmpty())
        return;
    if (removed >= longRemoval)
        edit.removedFrom = m_storage;
    else
        edit.removed = text(position, position + removed);
    const State before = state();
    apply(position, removed, edit.inserted, {}, &edit.droppedBreaks);
    if (m_open) {
        m_open->edits.push_back(std::move(edit));
        m_redo.clear();
    } else {
        Step step;
        step.edits.push_back(std::move(edit));
        push(std::move(step));
    }
    announce(before);
}

void TextBuffer::push(Step step)
{
    step.id = m_nextStep++;
    m_undo.push_back(std::move(step));
    if (m_undo.size() > size_t(undoLimit)) {
        m_baseStep = m_undo.front().id;
        m_undo.pop_front();
    }
    m_redo.clear();
}

void TextBuffer::beginEditGroup(qsizetype anchorBefore, qsizetype caretBefore)
{
    if (m_depth++ > 0)
        return;
    m_open.emplace();
    m_open->before = { anchorBefore, caretBefore };
}

void TextBuffer::endEditGroup(qsizetype anchorAfter, qsizetype caretAfter)
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    m_open->after = { anchorAfter, caretAfter };
    closeOpenGroup();
}

void TextBuffer::closeOpenGroup()
{
    m_depth = 0;
    if (!m_open)
        return;
    const State before = state();
    Step step = std::move(*m_open);
    m_open.reset();
    if (!step.edits.empty())
        push(std::move(step));
    announce(before);
}

bool TextBuffer::canUndo() const
{
    return !m_undo.empty() || (m_open && !m_open->edits.empty());
}

bool TextBuffer::isModified() const
{
    return currentStep() != m_cleanStep || (m_open && !m_open->edits.empty());
}

void TextBuffer::setClean()
{
    const State before = state();
    closeOpenGroup();
    m_cleanStep = currentStep();
    announce(before);
}

std::optional<TextBuffer::Selection> TextBuffer::undo()
{
    return replay(m_undo, m_redo, true);
}

std::optional<TextBuffer::Selection> TextBuffer::redo()
{
    return replay(m_redo, m_undo, false);
}

std::optional<TextBuffer::Selection> TextBuffer::replay(std::deque<Step> &from, std::deque<Step> &to, bool backwards)
{
    closeOpenGroup();
    if (from.empty())
        return std::nullopt;
    const State before = state();
    Step step = std::move(from.back());
    from.pop_back();
    qsizetype caret = 0; // where the step ends, for a step that was given no selection
    if (backwards) {
        for (auto edit = step.edits.rbegin(); edit != step.edits.rend(); ++edit) {
            apply(edit->position, edit->inserted.size(), edit->removedText(), edit->droppedBreaks, nullptr);
            caret = edit->position + edit->removedLength;
        }
    } else {
        for (const Edit &edit : step.edits) {
            apply(edit.position, edit.removedLength, edit.inserted, {}, nullptr);
            caret = edit.position + edit.inserted.size();
        }
    }
    const Selection given = backwards ? step.before : step.after;
    to.push_back(std::move(step));
    announce(before);
    return given.caret >= 0 ? given : Selection { caret, caret };
}

void TextBuffer::announce(State before)
{
    const State now = state();
    if (now.modified != before.modified)
        emit modificationChanged(now.modified);
    if (now.undo != before.undo)
        emit undoAvailable(now.undo);
    if (now.redo != before.redo)
        emit redoAvailable(now.redo);
}

void TextBuffer::replaceStorage(TextStorage storage)
{
    const State before = state();
    storage.finish();
    m_storage = std::make_shared<TextStorage>(std::move(storage));
    m_undo.clear();
    m_redo.clear();
    m_open.reset();
    m_depth = 0;
    m_baseStep = m_cleanStep = m_nextStep++;
    ++m_revision;
    emit reset();
    announce(before);
}

void TextBuffer::setFileText(QStringView fileText)
{
    replaceStorage(TextStorage::fromFileText(fileText));
}

void TextBuffer::adopt(TextStorage storage)
{
    replaceStorage(std::move(storage));
}
