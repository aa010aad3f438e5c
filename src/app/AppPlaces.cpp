// Where the workspace commands act: the local workspace folder, or, while a remote file is
// active, the place of that file on its machine.
#include "AppDelegate.h"
#include "RemoteController.h"

#include "git/GitSource.h"
#include "git/Place.h"
#include "navigation/SearchView.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteRoot.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"

namespace {

QString rootKey(const QString &id, const QString &path)
{
    return id + u':' + remoteFolderOf(path);
}

}

// The workspace is the machine's when the active document is a remote file of a saved machine:
// the place found on the machine (its repository, else the host folder that holds it), and the
// file's own folder until that is known.
std::optional<AppDelegate::RemotePlace> AppDelegate::remotePlace() const
{
    const HostItemPtr item = activeRemoteHost();
    if (!item)
        return std::nullopt;
    const QString path = activeDocument()->remote->path;
    const auto found = remoteRoots.constFind(rootKey(hostID(item->host), path));
    if (found == remoteRoots.cend())
        return RemotePlace { item, remoteFolderOf(path), false };
    return RemotePlace { item, *found };
}

void AppDelegate::followRemotePlace()
{
    const auto place = remotePlace();
    if (!place || place->resolved || !remote().isHostAlive(hostID(place->item->host)))
        return;
    const QString key = rootKey(hostID(place->item->host), activeDocument()->remote->path);
    if (remoteRootsAsked.contains(key))
        return;
    remoteRootsAsked.insert(key);
    resolveRemotePlace([this, key](const RemotePlace &) {
        remoteRootsAsked.remove(key);
        if (searchView)
            searchView->updateScope();
    });
}

QString AppDelegate::remotePlaceLabel(const RemotePlace &place) const
{
    const QString name = GitSource::remote(RemoteRepo { place.item->client, place.folder }).displayName();
    return place.resolved ? name : name + QStringLiteral(" · own folder");
}

void AppDelegate::resolveRemotePlace(std::function<void(const RemotePlace &place)> then)
{
    const HostItemPtr item = activeRemoteHost();
    if (!item)
        return;
    const QString path = activeDocument()->remote->path;
    const QString key = rootKey(hostID(item->host), path);
    if (remoteRoots.contains(key)) {
        then(RemotePlace { item, remoteRoots.value(key) });
        return;
    }
    const QStringList folders = item->host.folders;
    std::weak_ptr<HostItem> weak = item;
    item->client->run(withEndMarker(remoteRootScript(remoteFolderOf(path), folders)), std::nullopt,
                      commandOutputLimit, [this, weak, key, path, folders, then](const SSHResult &result) {
                          const HostItemPtr strong = weak.lock();
                          if (!strong)
                              return;
                          // A machine that did not answer leaves the file's own folder, asked again next time.
                          RemotePlace place { strong, remoteFolderOf(path), false };
                          if (const auto output = confirmedOutput(result)) {
                              place = RemotePlace { strong, remoteRoot(path, *output, folders) };
                              remoteRoots.insert(key, place.folder);
                              remote().hosts().markAnswered(hostID(strong->host));
                          }
                          then(place);
                      });
}

// The saved machine of the active document, when it is a remote file.
HostItemPtr AppDelegate::activeRemoteHost() const
{
    const DocumentPtr active = activeDocument();
    if (!active || !active->remote)
        return nullptr;
    return remote().hosts().itemFor(active->remote->hostID);
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
    return SearchPlace { place->folder, remotePlaceLabel(*place), remote };
}


// The git log pane finds the repository from the remote file's own folder upward, as blame does.
std::optional<Place> AppDelegate::gitPlace() const
{
    if (const HostItemPtr item = activeRemoteHost())
        return Place::remote(item->client, remoteFolderOf(activeDocument()->remote->path));
    return workspace ? std::optional(Place::local(*workspace)) : std::nullopt;
}
