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
// 15 seconds (ssh gives up when the third probe, five seconds after the second, finds two
// still unanswered), a shared master connection kept
// ten minutes, optionally accepting a host key not seen before, then the destination and the
// whole remote command line as one word, as given. The destination never begins with "-".
QStringList sshArguments(const QString &destination, std::optional<int> port,
    const QString &command, const QString &controlDirectory, bool acceptNew);

// The arguments that ask the master connection of a host to "check" or "exit".
QStringList controlArguments(const QString &destination, std::optional<int> port,
    const QString &controlDirectory, const QString &operation);

// The remote command line that runs a POSIX sh script under /bin/sh whatever the account's
// login shell is. ssh hands the line to that shell, so the line is
//   exec /bin/sh -c '<decoder>' sh '<script>'
// where both words hold only characters that fish, csh/tcsh, zsh, bash, dash and ksh read
// alike inside single quotes: printable ASCII without \ ' ! % and @. Every other byte of the
// script travels as "@" and three octal digits, which the decoder turns back with tr and
// printf. Standard input is left to the script (a save streams the file's bytes through it).
QString shellNeutral(const QString &script);

// One word for a remote POSIX shell: single-quoted, with "~" and a leading "~/" left outside
// the quotes so that the remote shell expands them.
QString remoteQuote(const QString &path);
