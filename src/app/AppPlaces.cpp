// Where the workspace commands act: the local workspace folder, or, while a remote file is
// active, the folder of its machine that holds it.
#include "AppDelegate.h"

#include "FileNames.h"
#include "git/GitSource.h"
#include "git/Place.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/SSHArguments.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

// The workspace is the machine's when the active document is a remote file of a saved machine:
// the machine's folder that holds it, else the file's own folder.
std::optional<AppDelegate::RemotePlace> AppDelegate::remotePlace() const
{
    const HostItemPtr item = activeRemoteHost();
    if (!item)
        return std::nullopt;
    const QString path = activeDocument()->remote->path;
    for (const ResolvedFolder &root : item->roots)
        if (root.found && FileNames::isAtOrUnder(path, root.path))
            return RemotePlace { item, root.path };
    return RemotePlace { item, remoteFolderOf(path) };
}

// The saved machine of the active document, when it is a remote file.
HostItemPtr AppDelegate::activeRemoteHost() const
{
    const DocumentPtr active = activeDocument();
    if (!active || !active->remote || !remoteHosts)
        return nullptr;
    return remoteHosts->itemFor(active->remote->hostID);
}

// Search in files follows the same place.
std::optional<SearchPlace> AppDelegate::searchPlace() const
{
    const auto place = remotePlace();
    if (!place)
        return workspace ? std::optional(SearchPlace::local(*workspace)) : std::nullopt;
    const std::shared_ptr<SSHClient> client = place->item->client;
    SearchPlace::Remote remote { hostID(place->item->host), sshPrograms().ssh, remoteQuote(place->folder),
                                 [client](const QString &line) { return client->arguments(line); } };
    return SearchPlace { place->folder, GitSource::remote(RemoteRepo { client, place->folder }).displayName(), remote };
}


// The git log pane reads the same place.
std::optional<Place> AppDelegate::gitPlace() const
{
    if (const auto place = remotePlace())
        return Place::remote(place->item->client, place->folder);
    return workspace ? std::optional(Place::local(*workspace)) : std::nullopt;
}
