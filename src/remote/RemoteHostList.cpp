#include "RemoteHostList.h"

#include "ConnectionCards.h"
#include "RemoteFileOutcomes.h"
#include "RemoteScripts.h"
#include "SSHClient.h"
#include "SSHFailure.h"
#include "SSHRun.h"

#include <algorithm>

namespace
{

constexpr qint64 livenessInterval = 5; // seconds
// How often a machine known to be alive is asked again: a dead link shows a few seconds after
// the keep-alives give up on it.
constexpr int watchIntervalMs = 3000;

HostItemPtr newItem(const RemoteHost &host)
{
    auto item = std::make_shared<HostItem>();
    item->host = host;
    item->client = std::make_shared<SSHClient>(host);
    return item;
}

}

RemoteHostList::RemoteHostList()
    : self(std::make_shared<RemoteHostList *>(this))
{
    watchTimer.setInterval(watchIntervalMs);
    watchTimer.callOnTimeout([this] { watch(); });
    watchTimer.start();
}

RemoteHostList::~RemoteHostList() = default;

void RemoteHostList::setHosts(const QList<RemoteHost> &hosts)
{
    entries.clear();
    for (const RemoteHost &host : hosts)
        entries.push_back(newItem(host));
}

QList<RemoteHost> RemoteHostList::hosts() const
{
    QList<RemoteHost> list;
    for (const HostItemPtr &item : entries)
        list << item->host;
    return list;
}

HostItemPtr RemoteHostList::itemFor(const QString &id) const
{
    for (const HostItemPtr &item : entries)
        if (hostID(item->host) == id)
            return item;
    return nullptr;
}

HostItemPtr RemoteHostList::addHost(const RemoteHost &host)
{
    HostItemPtr item = itemFor(hostID(host));
    if (item) {
        for (const QString &folder : host.folders)
            ::addFolder(item->host, folder);
    } else {
        item = newItem(host);
        entries.push_back(item);
    }
    listChanged();
    return item;
}

bool RemoteHostList::addFolder(const HostItemPtr &item, const QString &folder)
{
    if (!::addFolder(item->host, folder))
        return false;
    listChanged();
    return true;
}

bool RemoteHostList::removeFolder(const HostItemPtr &item, const QString &folder)
{
    if (item->host.folders.size() < 2 || !item->host.folders.removeOne(folder))
        return false;
    listChanged();
    return true;
}

void RemoteHostList::rename(const HostItemPtr &item, const QString &name)
{
    item->host.name = name;
    listChanged();
    changed(item);
}

void RemoteHostList::edit(const HostItemPtr &item, const RemoteHost &edited)
{
    const QString oldID = hostID(item->host);
    item->client->disconnect();
    item->host.destination = edited.destination;
    item->host.port = edited.port;
    item->host.folders = edited.folders;
    item->client = std::make_shared<SSHClient>(item->host);
    item->state = HostItem::State::idle;
    item->failure.clear();
    item->alive.reset();
    item->lastChecked.reset();
    item->roots.clear();
    const QString newID = hostID(item->host);
    if (newID != oldID && onHostIDChanged)
        onHostIDChanged(oldID, newID);
    listChanged();
    changed(item);
}

void RemoteHostList::remove(const HostItemPtr &item)
{
    const auto found = std::find(entries.begin(), entries.end(), item);
    if (found == entries.end())
        return;
    item->client->disconnect();
    entries.erase(found);
    listChanged();
}

void RemoteHostList::connect(const HostItemPtr &item)
{
    if (item->state == HostItem::State::connecting)
        return;
    item->state = HostItem::State::connecting;
    changed(item);
    std::weak_ptr<RemoteHostList *> weakSelf = self;
    std::weak_ptr<HostItem> weakItem = item;
    const std::shared_ptr<SSHClient> client = item->client;
    client->run(withEndMarker(resolveScript(item->host.folders)), std::nullopt, commandOutputLimit,
        [weakSelf, weakItem, client](const SSHResult &result) {
            const auto list = weakSelf.lock();
            const HostItemPtr strong = weakItem.lock();
            // An edit gave the item another client meanwhile: this answer is for the old one.
            if (list && strong && strong->client == client)
                (*list)->connectFinished(strong, result);
        });
}

void RemoteHostList::connectFinished(const HostItemPtr &item, const SSHResult &result)
{
    item->roots.clear();
    if (const auto failure = classifyFailure(result)) {
        item->state = HostItem::State::failed;
        item->failure = failure->text();
        if (failure->kind == SSHFailure::Kind::unknownHostKey) {
            item->state = HostItem::State::idle;
            item->failure.clear();
            changed(item);
            if (onNeedsTrust)
                onNeedsTrust(item);
            return;
        }
    } else if (const auto output = confirmedOutput(result)) {
        item->state = HostItem::State::connected;
        item->failure.clear();
        item->alive = true;
        item->roots = resolvedFolders(*output, item->host.folders);
    } else {
        // Connected only on the machine's word: its folders, then the end line.
        item->state = HostItem::State::failed;
        item->failure = unconfirmedReason(result);
    }
    changed(item);
    if (onConnectFinished)
        onConnectFinished(item);
}

void RemoteHostList::disconnect(const HostItemPtr &item)
{
    item->client->disconnect();
    item->state = HostItem::State::idle;
    item->alive.reset();
    item->roots.clear();
    changed(item);
}

void RemoteHostList::markAnswered(const QString &id)
{
    const HostItemPtr item = itemFor(id);
    if (!item || item->alive == true)
        return;
    item->alive = true;
    changed(item);
}

std::optional<bool> RemoteHostList::isAlive(const QString &id) const
{
    const HostItemPtr item = itemFor(id);
    return item ? item->alive : std::nullopt;
}

void RemoteHostList::checkLiveness(const QString &id, bool force)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const HostItemPtr &item : entries) {
        if (hostID(item->host) != id)
            continue;
        if (!force && item->lastChecked && item->lastChecked->secsTo(now) < livenessInterval)
            continue;
        check(item);
    }
}

void RemoteHostList::checkEveryHost()
{
    for (const HostItemPtr &item : entries)
        check(item);
}

void RemoteHostList::watch()
{
    for (const HostItemPtr &item : entries)
        if (item->alive == true)
            check(item);
}

void RemoteHostList::check(const HostItemPtr &item)
{
    item->lastChecked = QDateTime::currentDateTimeUtc();
    std::weak_ptr<RemoteHostList *> weakSelf = self;
    std::weak_ptr<HostItem> weakItem = item;
    const std::shared_ptr<SSHClient> client = item->client;
    client->checkAlive([weakSelf, weakItem, client](bool alive) {
        const auto list = weakSelf.lock();
        const HostItemPtr strong = weakItem.lock();
        if (!list || !strong || strong->client != client || strong->alive == alive)
            return;
        strong->alive = alive;
        (*list)->changed(strong);
    });
}

void RemoteHostList::disconnectAll()
{
    std::vector<std::shared_ptr<SSHClient>> clients;
    for (const HostItemPtr &item : entries)
        clients.push_back(item->client);
    SSHClient::disconnectAll(clients);
}

void RemoteHostList::listChanged()
{
    if (onHostsChanged)
        onHostsChanged(hosts());
}

void RemoteHostList::changed(const HostItemPtr &item)
{
    if (onItemChanged)
        onItemChanged(item);
}
