#pragma once

#include "LaunchSpec.h"

#include <QString>

#include <functional>
#include <memory>

// One shell command (or any program) running as a child process. Standard output and standard
// error share one pipe, standard input is the null device, and the environment is the
// application's own with TERM=dumb and NO_COLOR=1. A private serial queue (a thread named
// "quillmar.run") reads the pipe, cleans the bytes with an OutputDecoder and hands the text to
// the main thread in pieces; the end comes after every piece, with the exit status, whether the
// user stopped the command and how long it ran. When the child exits while a background job
// still holds the pipe open, the run ends one second after the exit.
//
// Created, started once, never restarted. All callbacks arrive on the main thread and never
// after the run is destroyed. Destroying a run that is still going terminates its child's process
// group (SIGTERM, then SIGKILL when the child is still alive a second later) without waiting.
class CommandRun
{
public:
    explicit CommandRun(LaunchSpec launch);
    ~CommandRun();
    CommandRun(const CommandRun &) = delete;
    CommandRun &operator=(const CommandRun &) = delete;

    // A piece of cleaned output.
    std::function<void(const QString &text)> onOutput;
    // The end: exit status (the signal number when a signal ended it), stopped by the user,
    // running time in seconds.
    std::function<void(int status, bool stopped, double seconds)> onFinish;

    // Launches the child. On failure answers false with the platform's description of the
    // error in errorDescription, and no callback is ever called.
    bool start(QString *errorDescription = nullptr);
    // The user asks to stop: the first request sends SIGTERM to the child's process group (the
    // shell and every process of its pipelines), later ones SIGKILL. Processes of a stopped
    // command that still hold the output when the run ends are killed. Does nothing when the
    // run is not running.
    void stop();
    // Started and its end not delivered yet.
    bool isRunning() const { return started && !finishDelivered; }
    const LaunchSpec &launch() const { return launchSpec; }
    // The child's process id while it runs (0 before start), for tests.
    qint64 processId() const;

    struct Shared; // state shared with the queue and the thread that waits for the child

private:
    LaunchSpec launchSpec;
    std::shared_ptr<Shared> shared;
    bool started = false;
    bool finishDelivered = false;

    friend struct Shared;
};
