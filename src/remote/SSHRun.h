#pragma once

#include "SSHResult.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class RunToken;

// The programs ssh work starts. Constants in the product; tests point them elsewhere.
struct SSHPrograms {
    QString ssh = QStringLiteral("/usr/bin/ssh");
    QString keyscan = QStringLiteral("/usr/bin/ssh-keyscan");
    QString keygen = QStringLiteral("/usr/bin/ssh-keygen");
};

SSHPrograms sshPrograms();
// Tests only: run other programs in their place (a wrapper that adds the test's own ssh
// configuration, for instance).
void setSSHProgramsForTests(const SSHPrograms &programs);

// Output limits of the callers: a whole file read, and everything else.
inline constexpr qsizetype fileReadOutputLimit = 67'112'960; // 64 MiB + 4,096
inline constexpr qsizetype commandOutputLimit = 80'000'000;
inline constexpr qsizetype controlOutputLimit = 100'000;

// Runs ssh with the arguments and the application's environment, feeding the input when
// given (else the null device), until it exits. Output past the limit ends ssh and gives the
// status SSHResult::cutOffStatus with the bytes read so far. A failure to start gives status
// 255 and "Couldn't run ssh: " with the reason. With a token the run can be cancelled from
// another thread. Blocks: never call it on the main thread.
SSHResult runSSH(const QStringList &arguments, const std::optional<QByteArray> &input,
    qsizetype limit, RunToken *token = nullptr);

// Runs a program with its errors discarded and answers its whole output when it exits with
// status 0; nothing when it fails or cannot start. Blocks.
std::optional<QByteArray> runTool(const QString &program, const QStringList &arguments,
    const std::optional<QByteArray> &input = {});
