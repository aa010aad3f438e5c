#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// A child process run from a background thread: standard output on a pipe, standard error on a
// pipe or the null device, standard input fed from a thread of its own (or the null device).
// The thread that reads the output drains standard error at the same time, so a child that
// fills one pipe while we wait on the other never blocks. No shell is involved.
//
// start once, then readOutput and wait on one thread; terminate may come from any thread.
// Destroying a child that is still running kills it and reaps it.
class ChildProcess
{
public:
    struct Program {
        QString program; // an absolute path; no PATH look-up
        QStringList arguments;
        QString workingFolder; // empty: the application's own
        // "NAME=value" entries; absent: the application's own environment.
        std::optional<QStringList> environment;
    };

    enum class Errors { discard, capture };

    struct Result {
        bool started = false;
        int startError = 0; // errno of a failed start
        // The exit status, or the number of the signal that ended the child; -1 when it never
        // started.
        int status = -1;
        bool cutOff = false; // the output passed the limit and the child was ended
        QByteArray output;
        QByteArray errors; // standard error, when captured
    };

    explicit ChildProcess(Program program);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Launches the child. Without input its standard input is the null device. Answers false
    // with the reason in startError when it could not be started.
    bool start(const std::optional<QByteArray> &input, Errors errors);
    int startError() const { return launchError; }

    // Reads the output as the child writes it, one call of onOutput per chunk, until the end
    // of both output streams. Answers false when terminate or onOutput (answering false)
    // stopped it early.
    bool readOutput(const std::function<bool(QByteArrayView chunk)> &onOutput);
    // Blocks until the child has exited; answers its status (as in Result).
    int wait();
    // Any thread: stops reading and feeding input, and sends SIGTERM to the child unless it
    // has already been reaped.
    void terminate();

    const QByteArray &errors() const { return errorBytes; }
    qint64 processId() const;

    // The whole run on the calling thread. A limit of 0 or more ends the child once more than
    // that many output bytes have arrived (cutOff; the bytes read so far stay in output).
    static Result run(const Program &program, const std::optional<QByteArray> &input, Errors errors,
        qsizetype outputLimit = -1);

    struct Shared; // what the input writer and terminate share with the reading thread

private:
    Program program;
    std::shared_ptr<Shared> shared;
    int launchError = 0;
    QByteArray errorBytes;
};
