#pragma once

#include "SshTarget.h"

#include <QString>

#include <memory>

// A folder on an ssh host: git runs there through the host's ssh client.
struct RemoteRepo {
    std::shared_ptr<const SshTarget> client;
    QString directory; // absolute, or starting with "~"

    bool operator==(const RemoteRepo &) const = default;
};
