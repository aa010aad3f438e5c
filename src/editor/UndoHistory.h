#pragma once

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class QTextDocument;

// A bounded undo history for one text document. The document's own stack still does the
// undoing, so undo(), redo(), the standard shortcuts and the context menu all keep working, but
// after every edit that stack is rebuilt from our steps, the newest `limit` of them: the oldest
// step falls off instead of the history growing without end.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    // One undoable step: at `position`, `removed` was replaced by `added`.
    struct Step {
        int position = 0;
        QString removed;
        QString added;
    };

    // Lives as a child of the document.
    UndoHistory(QTextDocument *document, int limit);

    int limit() const { return maximum; }
    int undoCount() const { return int(steps.size()); }

    // Whether `next`, made right after `last`, continues the same run of typing or deleting and
    // so is undone together with it.
    static bool continues(const Step &last, const Step &next);
    static Step joined(const Step &last, const Step &next);

private:
    void documentChanged(int position, int removedCount, int addedCount);
    void record(Step step);
    void rebuild();
    void replay(const std::shared_ptr<Step> &step, bool undo);
    void forget(const std::shared_ptr<Step> &step);
    void resync();
    QString textAt(int position, int length) const;

    QTextDocument *document;
    int maximum;
    // The text before the change being reported, so that a step knows what it removed.
    QString shadow;
    std::deque<std::shared_ptr<Step>> steps;
    bool mayContinue = false;
    bool rebuilding = false;
};
