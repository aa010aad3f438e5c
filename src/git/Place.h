#pragma once

#include "GitSource.h"

#include <QString>

#include <memory>

// Where the git log pane reads from: the workspace folder, or a folder on an ssh host.
class Place
{
public:
    static Place local(const QString &folder) { return Place(GitSource::local(folder)); }
    static Place remote(std::shared_ptr<SSHClient> client, const QString &path)
    {
        return Place(GitSource::remote(RemoteRepo { std::move(client), path }));
    }

    bool isLocal() const { return where.isLocal(); }
    // The git source reading from this place.
    const GitSource &source() const { return where; }

    bool operator==(const Place &) const = default;

private:
    explicit Place(GitSource source)
        : where(std::move(source))
    {
    }

    GitSource where;
};
