#pragma once

#include "RemoteRepo.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <variant>

// Where git runs: a local folder or a folder on an ssh host. A plain value, copied freely; it
// owns nothing but a path, or a client reference and a path. run and repositoryRoot block:
// call them from work handed to gitWork.
class GitSource
{
public:
    static GitSource local(const QString &folder);
    static GitSource remote(const RemoteRepo &repo);

    // Git's whole standard output when it exits with status 0; nothing on any failure.
    std::optional<QByteArray> run(const QStringList &arguments) const;
    // The source for the top-level folder of the repository, or nothing outside one.
    std::optional<GitSource> repositoryRoot() const;
    // A short name: the folder's name, or the host and the folder's name.
    QString displayName() const;

    bool isLocal() const { return std::holds_alternative<QString>(where); }
    // The local folder; empty for a remote source.
    QString folder() const;
    // The remote folder; nullptr for a local source.
    const RemoteRepo *remoteRepo() const { return std::get_if<RemoteRepo>(&where); }

    bool operator==(const GitSource &) const = default;

private:
    explicit GitSource(std::variant<QString, RemoteRepo> where)
        : where(std::move(where))
    {
    }

    std::variant<QString, RemoteRepo> where;
};

// Runs the work in the background: local work on one serial queue, so local git runs never
// overlap; remote work on the shared pool, so hosts are asked concurrently. The work calls run
// or repositoryRoot itself and posts its result back to the main thread.
void gitWork(const GitSource &source, std::function<void()> work);
