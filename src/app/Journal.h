#pragma once

#include "OpenDocument.h"
#include "RemoteFile.h"
#include "TextFile.h"
#include "editor/LineBreaks.h"
#include "editor/buffer/TextSnapshot.h"

#include <QDateTime>
#include <QHash>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// One edit as the editor reported it, with the text it put in. Positions are UTF-16 offsets in
// the editor's text, where every line break is one position.
struct JournalEdit {
    qsizetype position = 0;
    qsizetype removed = 0;
    QString added; // as the file would hold it: each line break as its own bytes
    qsizetype lengthAfter = 0; // the whole text's length once applied, to catch a log that drifted
};

// Everything about an unsaved document except its text.
struct JournalState {
    QString path; // the local file (for a remote document, its local copy)
    std::optional<RemoteFile> remote;
    TextEncoding encoding;
    LineBreaks::Kind lineEnding = LineBreaks::Kind::lf; // the most common break of the file
    std::optional<QDateTime> diskDate; // the file's modification date the text was based on
    TextRange selection;
    QPoint scroll;
};

// What an earlier run left behind for one document.
struct JournalRecord {
    QString key;
    JournalState state;
    QString text; // as the file would hold it: every line with its own break
    QDateTime written; // when the entry was last written; the newest wins for one path
    bool complete = true; // false when part of the log could not be replayed
    bool olderFormat = false; // written by an earlier version: to be written again in today's
};

// Applies edits in order to a text (both as the file holds them), stopping at the first one
// that would not leave the length it recorded (consistent then turns false). Each line keeps its
// own break: the base's, or the one an edit put in. Consecutive edits near each other cost
// little, however long the text is.
QString replayEdits(const QString &base, const std::vector<JournalEdit> &edits, bool *consistent = nullptr);

// Unsaved documents kept on disk so that a crash, a kill or a logout loses nothing.
// Each entry is a header (JSON, rewritten atomically), a base text and a log of edits appended
// to it; the header names the generation of base and log that belong together, so a new base
// never meets an old log. All writing happens in order on one worker thread; callers never wait
// except in wait().
class Journal {
public:
    // The folder under the user's state location (XDG_STATE_HOME, else ~/.local/state).
    static QString defaultFolder();

    explicit Journal(QString folder);
    ~Journal(); // finishes the queued work first
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    QString folder() const { return folderPath; }
    static QString newKey();
    // The lock file that says which running editor owns the entry.
    QString lockPath(const QString &key) const;

    // A new generation whose base is this text (read from the snapshot on the worker); its log
    // starts empty.
    void writeText(const QString &key, const JournalState &state, TextSnapshot text);
    // Appends edits to the current generation and rewrites the header. Without a generation
    // (the base could not be made) the edits are dropped: the caller writes the text instead.
    void writeEdits(const QString &key, const JournalState &state, std::vector<JournalEdit> edits);
    // A new generation whose base is the file's content as the editor read it, provided the file
    // still has state.diskDate and decodes to baseLength characters; the edits are appended at
    // once, and the file is copied beside them on another thread. When the file no longer fits,
    // onBaseMissing(key) is called on a worker thread.
    void writeFromFile(const QString &key, const JournalState &state, qsizetype baseLength,
                       std::vector<JournalEdit> edits);
    // Continues an entry read back from disk.
    void adopt(const QString &key);
    // Removes the entry's files, then runs after (on the worker).
    void remove(const QString &key, std::function<void()> after = {});
    // Blocks until everything queued so far is on disk.
    void wait();

    std::function<void(const QString &key)> onBaseMissing;

    // Reading back, on the caller's thread. Entries whose files do not fit together are skipped.
    QStringList keys() const;
    std::optional<JournalRecord> read(const QString &key) const;

    // A log longer than this is folded into a new base on the worker.
    static constexpr qint64 compactBytes = 4 * 1024 * 1024;

private:
    struct Entry {
        qint64 generation = 0;
        qint64 logBytes = 0;
        JournalState state; // as last written
        // Until its copy is made, the base is the file itself, of this many characters.
        std::optional<qsizetype> baseInFile;
    };

    void post(std::function<void()> work);
    void run();
    void postCopy(std::function<void()> work);
    void runCopies();
    // Worker side.
    bool startGeneration(const QString &key, const QString &text);
    bool appendEdits(const QString &key, const std::vector<JournalEdit> &edits);
    void compactIfLong(const QString &key, const JournalState &state);
    bool writeHeader(const QString &key, const JournalState &state, qint64 generation);
    void copyBase(const QString &key, qint64 generation, const JournalState &state, qsizetype baseLength);
    void removeFiles(const QString &key, std::optional<qint64> keepGeneration);
    QString filePath(const QString &key, qint64 generation, const char *suffix) const;
    QString headerPath(const QString &key) const;
    struct Header {
        JournalState state;
        qint64 generation = 0;
        std::optional<qsizetype> baseInFile;
        int version = 0;
    };
    std::optional<Header> readHeader(const QString &key) const;

    QString folderPath;
    QHash<QString, Entry> entries; // worker only

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<std::function<void()>> queue;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
    // Copies a file for a base off the worker, so that edits never wait behind a long copy.
    std::thread copier;
    std::deque<std::function<void()>> copies;
    std::condition_variable copyWake;
    bool copying = false;
};
