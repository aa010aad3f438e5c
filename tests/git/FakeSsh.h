#pragma once

#include "remote/SSHClient.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// Stands in for ssh while it lives: a script that records the remote command line (ssh's last
// argument) and runs it in a local shell, so remote git runs here, in the local folders the
// command line names.
class FakeSsh
{
public:
    FakeSsh();
    ~FakeSsh();

    // A client of a host with that destination.
    static std::shared_ptr<SSHClient> client(const QString &destination = "ada@example.org");
    // Every remote command line run so far, oldest first.
    QStringList commandLines() const;

private:
    QTemporaryDir dir;
};
