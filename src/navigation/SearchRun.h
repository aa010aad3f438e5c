#pragma once

#include "SearchHit.h"
#include "SearchParser.h"

#include "remote/RemoteScripts.h"

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QProcess;

// One search: a configured process (the local grep, or ssh running the remote command line)
// whose output is parsed as it streams in. Hits reach onHits in arrival order; past the hit
// limit the process is stopped and the run ends as capped.
//
// Started once, never restarted. Every callback arrives on the main thread from the event
// loop, never from inside start(), and none after cancel() or destruction, so a caller that
// replaces its run never sees a late result of the old one. A callback may destroy the run.
class SearchRun : public QObject
{
    Q_OBJECT
public:
    enum class Ending {
        Complete, // the process ended by itself with hits, or with none and status 0 or 1
        Capped, // a hit past the limit arrived: the process was stopped
        Failed, // no hits and any other status, a launch failure included (grep's no match is 1)
        InvalidPattern, // no hits, status 2 and a message that names no file: grep refused it
    };

    SearchRun(
        QString program, QStringList arguments, QString workingFolder, QObject *parent = nullptr);
    ~SearchRun() override;

    std::function<void(const QList<SearchHit> &hits)> onHits;
    std::function<void(Ending ending)> onFinish;

    // The locale the process runs in (LC_ALL), "C" unless set before start.
    void setLocale(const QString &locale) { m_locale = locale; }
    // A run whose output must end with the remote scripts' end line to count as complete (a
    // remote search, whose shell could end with status 0 having run nothing); without it the
    // run fails.
    void requireEndLine() { m_marked.emplace(); }

    void start();
    // Stops the process if it still runs; no callback follows.
    void cancel();
    // Started and not yet ended nor cancelled.
    bool isRunning() const { return m_started && !m_finished; }
    int hitCount() const { return m_hitCount; }
    // The first line the process wrote to its standard error, without the program's name.
    QString problem() const;
    // The process id once started (0 before), for tests.
    qint64 processId() const { return m_processId; }

    // "Searching… 12 so far".
    static QString progressText(int hitCount, const QLocale &locale = QLocale::system());
    // The status line once a run has ended with this many hits in this many files; problem is
    // the run's problem(), shown for an invalid pattern.
    static QString summaryText(Ending ending, int hitCount, int fileCount,
        const QString &problem = {}, const QLocale &locale = QLocale::system());

private:
    // The two ends of a stream of output: a chunk of bytes, and the exit status.
    void take(QByteArrayView bytes);
    void end(int status);
    void finish(Ending ending);
    void releaseProcess();
    bool endLineArrived() const;

    QString m_program;
    QStringList m_arguments;
    QString m_workingFolder;
    QString m_locale = QStringLiteral("C");
    QByteArray m_errors; // the start of the standard error
    QProcess *m_process = nullptr;
    SearchParser m_parser;
    int m_hitCount = 0;
    std::optional<MarkedStream> m_marked; // the output of a run that must end with the end line

    qint64 m_processId = 0;
    bool m_started = false;
    bool m_finished = false;
};
