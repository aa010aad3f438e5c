#pragma once

#include <QString>

// A command typed in the output panel, run on a machine so that it can be stopped there: the
// user's line runs in the login shell ($SHELL) in a process group of its own, inside a small
// wrapper that always runs under /bin/sh whatever the login shell is. The wrapper notes the
// group's leader in a file named by the run's tag, and the stop line signals that group and
// every process below the leader (for machines without setsid) over the shared connection.

// The remote command line that runs `line` in `folder`; its exit status is the line's.
QString remoteRunLine(const QString &folder, const QString &line, const QString &tag);
// The remote command line that stops the run with that tag; does nothing once it has ended.
QString remoteStopLine(const QString &tag);
// A fresh tag: letters and digits only.
QString newRunTag();
