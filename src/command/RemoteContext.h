#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// How one command line runs on the machine, and how that same run is stopped there.
struct RemoteLaunch {
    QStringList arguments; // for the ssh program: runs the line
    QStringList stopArguments; // for the ssh program: ends the run and its children there
};

// Where a command runs when the active document lives on another machine: the label naming the
// machine and folder, and the program with the arguments that run one command line there.
struct RemoteContext {
    QString label; // destination ":" folder
    QString program; // the ssh program
    std::function<RemoteLaunch(const QString &commandLine)> launch;
};
