#pragma once

#include "common/ChildProcess.h"

#include <QByteArray>

#include <mutex>
#include <optional>

// One run of a child process that its owner may cancel from the main thread while a background
// thread waits on the child. Once cancelled, the child is ended (or never started) and the
// run's result is dropped.
class RunToken
{
public:
    // Starts the child unless the run was cancelled already; the same answer as
    // ChildProcess::start, false after a cancel.
    bool launch(
        ChildProcess &child, const std::optional<QByteArray> &input, ChildProcess::Errors errors);
    // The child has been waited for: a cancel no longer reaches it.
    void release();

    void cancel();
    bool cancelled() const;

private:
    mutable std::mutex mutex;
    ChildProcess *child = nullptr;
    bool wasCancelled = false;
};
