#include "JournalKeeper.h"

#include "editor/EditorTextView.h"

#include <QLockFile>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

qsizetype lengthOf(const OpenDocument &document)
{
    return document.textView ? document.textView->buffer()->length() : 0;
}

// The text a change put in, as the file would hold it: each break it made with its own kind.
QString insertedText(const TextBuffer &buffer, const TextChange &change)
{
    if (change.added <= 0)
        return {};
    const QString inserted = buffer.text(change.position, change.position + change.added);
    if (change.linesAdded == 0)
        return inserted;
    QString out;
    out.reserve(inserted.size() + change.linesAdded);
    qsizetype line = change.firstLine;
    qsizetype from = 0;
    for (qsizetype at = inserted.indexOf(u'\n'); at >= 0; at = inserted.indexOf(u'\n', from)) {
        out.append(QStringView(inserted).sliced(from, at - from));
        out.append(LineBreaks::sequence(buffer.breakAfter(line++)));
        from = at + 1;
    }
    out.append(QStringView(inserted).sliced(from));
    return out;
}

}

JournalKeeper::JournalKeeper(const QString &folder, QObject *parent)
    : QObject(parent)
    , store(folder)
    , timer(new QTimer(this))
{
    // Not restarted by later edits: under steady typing the journal still follows every half second.
    timer->setSingleShot(true);
    timer->setInterval(delayMs);
    connect(timer, &QTimer::timeout, this, [this] { flush(); });
    store.onBaseMissing = [this](const QString &key) {
        QMetaObject::invokeMethod(this, [this, key] { baseMissing(key); }, Qt::QueuedConnection);
    };
}

JournalKeeper::~JournalKeeper()
{
    store.wait();
    store.onBaseMissing = nullptr;
}

std::unique_ptr<QLockFile> JournalKeeper::lockFor(const QString &key) const
{
    auto lock = std::make_unique<QLockFile>(store.lockPath(key));
    // Only a dead owner frees an entry, never the lock's age.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

JournalKeeper::Tracked &JournalKeeper::track(const DocumentPtr &document, qsizetype lengthBefore)
{
    const auto found = tracked.find(document.get());
    if (found != tracked.end() && found->second.document.lock() == document)
        return found->second;
    if (found != tracked.end())
        tracked.erase(found); // a closed document's leftover at the same address
    Tracked &entry = tracked[document.get()];
    entry.document = document;
    entry.key = Journal::newKey();
    entry.lock = lockFor(entry.key);
    entry.refused = !entry.lock;
    entry.baseLength = lengthBefore;
    entry.length = lengthBefore;
    watchPlace(document);
    if (!entry.refused && lengthBefore > wholeTextLimit) {
        // Reading the file for the base starts now, so that the first edits are not held up by it.
        store.writeFromFile(entry.key, stateOf(*document), lengthBefore, {});
        entry.hasBase = true;
        entry.writtenPath = document->path();
    }
    return entry;
}

void JournalKeeper::watchPlace(const DocumentPtr &document)
{
    EditorTextView *view = document->textView;
    if (!view)
        return;
    OpenDocument *raw = document.get();
    const auto moved = [this, raw] { placeMoved(raw); };
    connect(view, &TextArea::selectionChanged, this, moved);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, moved);
}

void JournalKeeper::placeMoved(OpenDocument *document)
{
    const auto found = tracked.find(document);
    if (found == tracked.end() || found->second.refused || found->second.document.expired())
        return;
    found->second.changed = true;
    schedule();
}

void JournalKeeper::edited(const DocumentPtr &document, const TextChange &change)
{
    if (!document->isDirty || !document->textView)
        return;
    const TextBuffer &text = *document->textView->buffer();
    const qsizetype lengthNow = text.length();
    Tracked &entry = track(document, lengthNow - change.added + change.removed);
    if (entry.refused)
        return;
    entry.changed = true;
    schedule();
    if (entry.needsText)
        return;
    // Should the lengths ever disagree, the whole text is written instead.
    const qsizetype position = std::clamp<qsizetype>(change.position, 0, entry.length);
    const qsizetype cut = std::clamp<qsizetype>(change.removed, 0, entry.length - position);
    QString inserted = insertedText(text, change);
    entry.length += change.added - cut;
    if (entry.length != lengthNow) {
        entry.needsText = true;
        entry.pending.clear();
        return;
    }
    entry.pending.push_back({ position, cut, std::move(inserted), lengthNow });
}

void JournalKeeper::schedule()
{
    if (!timer->isActive())
        timer->start();
}

void JournalKeeper::flush()
{
    timer->stop();
    for (auto &[raw, entry] : tracked) {
        const DocumentPtr document = entry.document.lock();
        if (document && document->isDirty && entry.changed && !entry.refused)
            write(entry, *document);
    }
}

void JournalKeeper::write(Tracked &entry, OpenDocument &document)
{
    const JournalState state = stateOf(document);
    const qsizetype length = lengthOf(document);
    if (entry.needsText || length <= wholeTextLimit) {
        store.writeText(entry.key, state, document.textView->buffer()->snapshot());
        entry.hasBase = true;
        entry.needsText = false;
        entry.length = length;
    } else if (entry.hasBase) {
        store.writeEdits(entry.key, state, std::move(entry.pending));
    } else {
        // Copying a long text here would stall typing; the worker reads the file instead.
        store.writeFromFile(entry.key, state, entry.baseLength, std::move(entry.pending));
        entry.hasBase = true;
    }
    entry.pending.clear();
    entry.changed = false;
    entry.writtenPath = state.path;
}

JournalState JournalKeeper::stateOf(const OpenDocument &document) const
{
    JournalState state;
    state.path = document.path();
    state.remote = document.remote;
    state.encoding = document.encoding;
    state.lineEnding = document.textView->buffer()->dominantBreak();
    state.diskDate = document.diskDate;
    state.selection = selectionOf ? selectionOf(document) : document.selectedRange;
    state.scroll = scrollOf ? scrollOf(document) : document.scrollOrigin;
    return state;
}

void JournalKeeper::baseMissing(const QString &key)
{
    for (auto &[raw, entry] : tracked) {
        if (entry.key != key)
            continue;
        entry.hasBase = false;
        entry.needsText = true;
        entry.pending.clear();
        entry.changed = true;
        schedule();
    }
}

void JournalKeeper::documentsChanged(const std::vector<DocumentPtr> &documents)
{
    for (auto it = tracked.begin(); it != tracked.end();) {
        const DocumentPtr document = it->second.document.lock();
        const bool open = document && std::find(documents.begin(), documents.end(), document) != documents.end();
        if (open && document->isDirty) {
            if (document->path() != it->second.writtenPath && !it->second.refused) {
                it->second.changed = true; // renamed: the entry must name the new path
                schedule();
            }
            ++it;
            continue;
        }
        if (!it->second.refused)
            discardEntry(it->second.key, std::move(it->second.lock));
        it = tracked.erase(it);
    }
}

void JournalKeeper::discardEntry(const QString &key, std::unique_ptr<QLockFile> lock)
{
    // The lock is let go only once the files are gone, so no other editor reads them half removed.
    std::shared_ptr<QLockFile> held(std::move(lock));
    store.remove(key, [held] {
        if (held)
            held->unlock();
    });
}

void JournalKeeper::flushNow()
{
    flush();
    store.wait();
}

std::vector<JournalRecord> JournalKeeper::takeLeftovers()
{
    std::vector<JournalRecord> records;
    for (const QString &key : store.keys()) {
        if (leftoverLocks.count(key))
            continue;
        std::unique_ptr<QLockFile> lock = lockFor(key);
        if (!lock)
            continue; // another running editor journals this one
        if (std::optional<JournalRecord> record = store.read(key)) {
            leftoverLocks[key] = std::move(lock);
            records.push_back(std::move(*record));
        } else {
            discardEntry(key, std::move(lock));
        }
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const JournalRecord &a, const JournalRecord &b) { return a.written < b.written; });
    return records;
}

void JournalKeeper::adopt(const DocumentPtr &document, const JournalRecord &record)
{
    auto lock = leftoverLocks.find(record.key);
    if (lock == leftoverLocks.end())
        return;
    if (const auto found = tracked.find(document.get()); found != tracked.end()) {
        discardEntry(found->second.key, std::move(found->second.lock));
        tracked.erase(found);
    }
    Tracked &entry = tracked[document.get()];
    entry.document = document;
    entry.key = record.key;
    entry.lock = std::move(lock->second);
    leftoverLocks.erase(lock);
    entry.length = lengthOf(*document);
    entry.baseLength = entry.length;
    entry.writtenPath = record.state.path;
    entry.hasBase = true;
    store.adopt(record.key);
    watchPlace(document);
    if (!record.complete || record.olderFormat) {
        // Part of the log could not be replayed, or it is of an earlier form: start a fresh base
        // from what was recovered.
        entry.needsText = true;
        entry.changed = true;
        schedule();
    }
}

void JournalKeeper::discard(const QString &key)
{
    auto lock = leftoverLocks.find(key);
    if (lock == leftoverLocks.end())
        return;
    discardEntry(key, std::move(lock->second));
    leftoverLocks.erase(lock);
}
