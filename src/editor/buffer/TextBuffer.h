#pragma once

#include "TextReading.h"
#include "TextSnapshot.h"
#include "TextStorage.h"

#include <QObject>

#include <deque>
#include <optional>
#include <vector>

// The text of one open document with its undo history. Positions are UTF-16 offsets; every
// line break, whatever bytes it had in the file, is one position that reads as '\n'. Lines
// count from 0; there is always one line at least and the last has no break. Lives on the
// main thread; snapshot() gives other threads an immutable copy.
class TextBuffer : public QObject, public TextReading<TextBuffer>
{
    Q_OBJECT
public:
    explicit TextBuffer(QObject *parent = nullptr);

    const TextStorage &storage() const { return *m_storage; }

    // Breaks in the inserted text ('\n', CR LF, CR, U+2029) each become one break of the
    // dominant kind.
    void replace(qsizetype position, qsizetype removed, QStringView inserted);
    void insert(qsizetype position, QStringView inserted) { replace(position, 0, inserted); }
    void remove(qsizetype position, qsizetype removed) { replace(position, removed, {}); }
    // Replaces everything, as opening does, and forgets the undo history.
    void setFileText(QStringView fileText);
    void adopt(TextStorage storage);

    // Edits between beginEditGroup() and endEditGroup() undo as one step (the calls nest).
    // Each step keeps the selection before and after it, as the view gives them.
    static constexpr int undoLimit = 500;
    void beginEditGroup(qsizetype anchorBefore = -1, qsizetype caretBefore = -1);
    void endEditGroup(qsizetype anchorAfter = -1, qsizetype caretAfter = -1);
    bool canUndo() const;
    bool canRedo() const { return !m_redo.empty(); }
    struct Selection {
        qsizetype anchor;
        qsizetype caret;
        bool operator==(const Selection &) const = default;
    };
    // The selection to restore; none when there was nothing to undo (or redo).
    std::optional<Selection> undo();
    std::optional<Selection> redo();
    // Whether the text differs from the last setClean() point: undoing back to it is clean.
    bool isModified() const;
    void setClean();

    quint64 revision() const { return m_revision; }
    TextSnapshot snapshot() const { return TextSnapshot(m_storage); }

signals:
    void changed(const TextChange &change);
    void reset();
    void modificationChanged(bool modified);
    void undoAvailable(bool available);
    void redoAvailable(bool available);

private:
    struct Edit {
        qsizetype position;
        qsizetype removedLength;
        // What was removed: the text itself, or for a long stretch the storage it was cut
        // from, which shares its chunks instead of copying them.
        QString removed;
        std::shared_ptr<const TextStorage> removedFrom;
        QString inserted;
        std::vector<LineBreaks::Exception> droppedBreaks;

        QString removedText() const
        {
            return removedFrom ? removedFrom->text(position, position + removedLength) : removed;
        }
    };
    struct Step {
        quint64 id = 0;
        std::vector<Edit> edits;
        Selection before { -1, -1 };
        Selection after { -1, -1 };
    };
    struct State {
        bool modified;
        bool undo;
        bool redo;
    };

    State state() const { return { isModified(), canUndo(), canRedo() }; }
    void announce(State before);
    TextChange apply(qsizetype position, qsizetype removed, QStringView inserted,
                     const std::vector<LineBreaks::Exception> &restored,
                     std::vector<LineBreaks::Exception> *dropped);
    void push(Step step);
    void closeOpenGroup();
    std::optional<Selection> replay(std::deque<Step> &from, std::deque<Step> &to, bool backwards);
    quint64 currentStep() const { return m_undo.empty() ? m_baseStep : m_undo.back().id; }
    void replaceStorage(TextStorage storage);

    std::shared_ptr<TextStorage> m_storage;
    quint64 m_revision = 0;

    std::deque<Step> m_undo;
    std::deque<Step> m_redo;
    std::optional<Step> m_open; // the group being built
    int m_depth = 0;
    quint64 m_nextStep = 1;
    quint64 m_baseStep = 0; // the text below the oldest step kept
    quint64 m_cleanStep = 0;
};
