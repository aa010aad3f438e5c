#pragma once

#include "Journal.h"
#include "OpenDocument.h"

#include <QObject>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QLockFile;
class QTimer;

// Watches the dirty documents and keeps the journal up to date: at most half a second after an
// edit its text is on disk, written on the journal's worker from a snapshot. A small text is
// written whole; a long one (whose writing would take long) as the edits made since its file
// was read.
class JournalKeeper : public QObject {
    Q_OBJECT
public:
    explicit JournalKeeper(const QString &folder, QObject *parent = nullptr);
    ~JournalKeeper() override; // keeps every entry: the next launch brings them back

    // Texts up to this many characters are written whole each time.
    static constexpr qsizetype wholeTextLimit = 1 << 20;
    static constexpr int delayMs = 500;

    // The document's caret, selection and scroll place as they are now.
    std::function<TextRange(const OpenDocument &)> selectionOf;
    std::function<QPoint(const OpenDocument &)> scrollOf;

    // Called for every edit of the user's, after the document was marked dirty.
    void edited(const DocumentPtr &document, const TextChange &change);
    // Drops the entries of documents that were saved, reverted or closed.
    void documentsChanged(const std::vector<DocumentPtr> &documents);
    // Writes what is pending and waits until it is on disk.
    void flushNow();

    // What earlier runs left behind and no running editor owns, newest last, each locked for
    // this one. Entries that cannot be read are removed.
    std::vector<JournalRecord> takeLeftovers();
    // Keeps journaling a document whose text came from a leftover entry.
    void adopt(const DocumentPtr &document, const JournalRecord &record);
    // Discards a leftover entry that was not taken up.
    void discard(const QString &key);

    Journal &journal() { return store; }

private:
    struct Tracked {
        std::weak_ptr<OpenDocument> document;
        QString key;
        std::unique_ptr<QLockFile> lock;
        std::vector<JournalEdit> pending;
        qsizetype baseLength = 0; // the text's length when it was last clean
        qsizetype length = 0; // the length the recorded edits lead to
        bool hasBase = false; // the worker holds a generation to append to
        bool needsText = false; // the edits cannot be trusted: write the whole text next
        bool changed = false;
        QString writtenPath; // the path the entry names on disk
        bool refused = false; // another running editor owns the entry
    };

    Tracked &track(const DocumentPtr &document, qsizetype lengthBefore);
    void watchPlace(const DocumentPtr &document);
    void placeMoved(OpenDocument *document);
    void schedule();
    void flush();
    void write(Tracked &tracked, OpenDocument &document);
    JournalState stateOf(const OpenDocument &document) const;
    void baseMissing(const QString &key);
    std::unique_ptr<QLockFile> lockFor(const QString &key) const;
    void discardEntry(const QString &key, std::unique_ptr<QLockFile> lock);

    Journal store;
    QTimer *timer;
    std::unordered_map<const OpenDocument *, Tracked> tracked;
    std::unordered_map<QString, std::unique_ptr<QLockFile>> leftoverLocks; // taken, not yet adopted
};
