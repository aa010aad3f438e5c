#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How ssh is started: the argument lists and the quoting of remote command lines. Pure, except
// controlDirectory, which creates its folder once.

// The identity of a machine wherever it must be recognised again: destination ":" port, with
// 22 when no port is given.
QString hostID(const QString &destination, std::optional<int> port);

// "/tmp/quillmar-ssh-" and the user id: where the shared master connections keep their sockets.
// Created with mode 0700 on first use; a failure to create it is left for ssh to report.
QString controlDirectory();

// The arguments of one ssh run: batch mode, keep-alives that find a dead link within about
// 15 seconds (three unanswered probes, five seconds apart), a shared master connection kept
// ten minutes, optionally accepting a host key not seen before, then the destination and the
// whole remote command line as one word. The destination never begins with "-".
QStringList sshArguments(const QString &destination, std::optional<int> port,
    const QString &command, const QString &controlDirectory, bool acceptNew);

// The arguments that ask the master connection of a host to "check" or "exit".
QStringList controlArguments(const QString &destination, std::optional<int> port,
    const QString &controlDirectory, const QString &operation);

// One word for a remote POSIX shell: single-quoted, with "~" and a leading "~/" left outside
// the quotes so that the remote shell expands them.
QString remoteQuote(const QString &path);
