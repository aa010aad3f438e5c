#pragma once

#include "common/ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Running git on this machine. Every local git run has its standard error on the null device,
// the configuration overrides of gitProcess and a fixed environment of its own.

// "/usr/bin/git", or what a test put in its place.
QString gitProgram();
// Tests only: runs another program as git and forgets what the availability check knew.
void setGitProgramForTests(const QString &program);

// Whether git is installed. Thread-safe; once found it stays found for the life of the process,
// and a failed check is repeated at most once every 3 seconds.
bool gitAvailable();

// The git program with its configuration overrides, run in the folder, with exactly the
// environment git needs and nothing inherited.
ChildProcess::Program gitProcess(const QStringList &arguments, const QString &folder);

// The configuration keys whose values name a program git would run on a file's contents
// (clean, smudge and process filters, text conversions, external diff drivers), and the flag
// that makes a missing filter fatal, as shell patterns. A repository can set any of them, so
// every run overrides each one its configuration names with an empty value.
const QStringList &repositoryProgramKeys();
// Whether a configuration key (as git lists it) is one of those.
bool isRepositoryProgramKey(const QString &key);
// The git program given with every such key set in the configuration of its folder overridden
// to nothing (as command-line configuration, which wins over every file). Nothing when the
// configuration cannot be listed, so nothing runs unguarded. Blocks.
std::optional<ChildProcess::Program> withoutRepositoryPrograms(ChildProcess::Program git);

// Runs git in the folder, feeding the input when given, and answers its whole standard output
// when it exits with status 0. Blocks: never call it on the main thread.
std::optional<QByteArray> runGit(const QStringList &arguments, const QString &folder,
    const std::optional<QByteArray> &input = {});

// The top-level folder of the repository holding the folder (symbolic links resolved), or
// nothing outside a repository. Blocks.
std::optional<QString> repositoryRoot(const QString &folder);
// The same for the folder that holds the file.
std::optional<QString> repositoryRootOfFile(const QString &filePath);

// The shell command line that runs git with the arguments in a folder of a remote machine:
// cd there, list the configuration and override the keys of repositoryProgramKeys as a local
// run does (refusing to run when such a key cannot be written as "-c key="), then git with
// optional locks and prompts off, hooks and the file-system monitor off, every argument
// single-quoted.
QString remoteGitCommand(const QStringList &arguments, const QString &directory);
