#pragma once

#include "common/ChildProcess.h"

#include <QString>

#include <functional>

// What git needs of an ssh client: the destination it connects to (for display names) and how to
// start ssh with one remote command line. The ssh client supplies `command` from its argument
// builder, reading its connection settings at each call, so a run always uses the client's
// current settings.
struct SshTarget {
    QString destination;
    std::function<ChildProcess::Program(const QString &remoteCommand)> command;
};
