#pragma once

#include "remote/SSHClient.h"

#include <QString>

#include <memory>

// A folder on an ssh host: git runs there through the host's client.
struct RemoteRepo {
    std::shared_ptr<SSHClient> client;
    QString directory; // absolute, or starting with "~"

    bool operator==(const RemoteRepo &) const = default;
};
