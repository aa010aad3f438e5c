#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where a command runs when the active document lives on another machine: the label naming the
// machine and folder, and the program with the arguments that run one command line there.
struct RemoteContext {
    QString label; // destination ":" folder
    QString program; // the ssh program
    std::function<QStringList(const QString &commandLine)> arguments;
};
