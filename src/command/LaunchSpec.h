#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a command run starts: a program, its arguments and the folder it runs in. The local form
// is built by localLaunch; a remote form (the ssh program with a prepared argument list and no
// local folder) fills the same record.
struct LaunchSpec {
    QString program;
    QStringList arguments;
    QString workingFolder; // empty: the application's own current folder
};

// The user's shell running one command line: zsh and bash as login shells ("-l", "-c", line) so
// that the user's profile sets PATH and the like; any other shell with "-c" and the line only.
LaunchSpec localLaunch(
    const QString &commandLine, const QString &workingFolder, const QString &shellPath);

// The shell for commands: SHELL when it names an executable file, else "/bin/zsh", else
// "/bin/bash", else "/bin/sh".
QString defaultShell();
// The same choice with the variable and the executable test given (for tests).
QString chooseShell(
    const QString &shellVariable, const std::function<bool(const QString &)> &isExecutableFile);
