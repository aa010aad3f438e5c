#pragma once

#include "SSHResult.h"

#include <QString>

#include <optional>

// Why an ssh run failed, in the few cases the interface tells apart.
struct SSHFailure {
    enum class Kind { authentication, unreachable, other, unknownHostKey, hostKeyChanged };

    Kind kind = Kind::other;
    QString detail; // one line of ssh's errors; empty for the two host-key cases

    // The words every caller shows for this failure.
    QString text() const;

    bool operator==(const SSHFailure &) const = default;
};

// The failure of a run that ssh itself could not complete (status 255), or nothing when the
// remote command ran and its status belongs to the caller.
std::optional<SSHFailure> classifyFailure(const SSHResult &result);

// The first error line of the remote command's errors, else "status " and its status.
QString failureReason(const SSHResult &result);
// The first line of a standard error that is not blank nor one of ssh's own warnings (such as
// the note that a host key was recorded), which say nothing about the command; empty when none.
QString firstErrorLine(const QString &errors);

// One short line for a host row, from ssh's error text.
QString shortFailureText(const QString &text);
