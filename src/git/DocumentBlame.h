#pragma once

#include "BlameLookup.h"
#include "BlameTable.h"
#include "GitStream.h"
#include "IncrementalBlameParser.h"

#include "remote/RemoteScripts.h"
#include "remote/SSHClient.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// The blame of one open document: which commit last touched each line of its text. A run streams
// "git blame --incremental" for the file (with the unsaved text on standard input when there is
// one) and fills a table as the output arrives; edits made afterwards are absorbed without a new
// run: the edited lines become drafts and the lines below keep their commit.
//
// Lifecycle: no table (stale) -> computing, the table filling live -> table. A table that stops
// matching the text becomes stale; the next start computes a new table while the old one keeps
// answering. A run that fails leaves no half-filled table and starts nothing more until reset.
//
// Main thread only. onChange comes at most once per 50 ms, never after destruction.
class DocumentBlame
{
public:
    // Where a remote document's file lives: its host and its path there.
    struct RemoteTarget {
        std::shared_ptr<SSHClient> client;
        QString path;
    };

    // Longest text blamed with its unsaved changes, in UTF-16 units.
    static constexpr qsizetype longestDirtyText = 2'000'000;

    explicit DocumentBlame(const QString &filePath);
    ~DocumentBlame();
    DocumentBlame(const DocumentBlame &) = delete;
    DocumentBlame &operator=(const DocumentBlame &) = delete;

    // For a remote document: answers its host and remote path (nothing: blame the local file).
    std::function<std::optional<RemoteTarget>()> remoteTarget;
    // The table changed: look the caret's line up again.
    std::function<void()> onChange;
    // A remote run failed without the machine's word on it (ssh failed, or its shell answered
    // nothing): the message says why. Git's own refusals, such as a file outside any
    // repository, stay quiet.
    std::function<void(const QString &message)> onMachineFailure;

    // The unsaved text to blame: its length in UTF-16 units, and how to read it, which happens
    // on a worker thread (from a snapshot, say), never on the caller's.
    struct Contents {
        qsizetype length = 0;
        std::function<QString()> read;
    };
    // Starts a run unless one is running, the last one failed, or the table still matches.
    // lineCount is the editor's number of lines (line breaks + 1), which sizes the table.
    // contents is the editor's text when it has unsaved changes: it is blamed as it stands (not
    // at all when longer than longestDirtyText); without it git reads the file.
    void start(qsizetype lineCount, std::optional<Contents> contents);
    // The same from the editor's whole text, dirty or not.
    void start(const QString &text, bool isDirty);
    // After every change of the document's text: the 0-based line the change began in, the line
    // breaks it put in, and the text's line count and length once changed.
    void edit(qsizetype firstLine, qsizetype linesAdded, qsizetype lineCount, qsizetype length);
    // The 1-based line's attribution.
    BlameLookup lookup(qsizetype line) const;

    // Cancels a running run (closing the document).
    void stop();
    // The text was saved or reloaded: everything is forgotten and a new run is wanted.
    void reset();
    // The settings changed: a running run is dropped, a new one is wanted, and a failed one may
    // be tried again. The table keeps answering until then.
    void markStale();
    // The file was renamed or moved: blame the new path from scratch.
    void setFile(const QString &filePath);

    const QString &file() const { return filePath; }
    bool isComputing() const { return computing; }
    bool hasFailed() const { return failed; }
    bool isStale() const { return stale; }
    const std::optional<BlameTable> &table() const { return current; }
    // The running stream, for tests that watch a cancelled run wind down.
    const GitStream *stream() const { return running.get(); }

private:
    // The run's stream; a remote one also readies `marked`.
    std::unique_ptr<GitStream> makeStream(bool withContents, std::optional<QByteArray> input);
    void startStream(quint64 run, bool withContents, std::optional<QByteArray> input);
    void receive(const QByteArray &chunk);
    void finish(int status);
    std::optional<QString> machineFailure(int status, const QByteArray &errors) const;
    void notifySoon();

    QString filePath;
    std::optional<BlameTable> current; // answers lookups
    std::optional<BlameTable> building; // filled by a run while `current` keeps answering
    bool computing = false;
    bool servingWhileBuilding = false;
    std::unique_ptr<GitStream> running;
    IncrementalBlameParser parser;
    std::optional<MarkedStream> marked; // a remote run's output, which must end with its marker
    bool stale = true;
    bool failed = false;
    quint64 generation = 0; // of the current run; callbacks of older runs do nothing
    QTimer notifyTimer;
    // Work handed back from a worker finds this object only while the token lives.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
