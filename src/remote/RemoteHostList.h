#pragma once

#include "RemoteFolders.h"
#include "RemoteHost.h"
#include "SSHResult.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SSHClient;

// One saved connection as the application holds it: the entry, the client every run on that
// machine goes through, and what is known of its connection.
struct HostItem {
    enum class State { idle, connecting, connected, failed };

    RemoteHost host;
    std::shared_ptr<SSHClient> client;
    State state = State::idle;
    QString failure; // the message of a failed connect
    std::optional<bool> alive; // the last liveness answer; unknown until checked
    std::optional<QDateTime> lastChecked;
    QList<ResolvedFolder>
        roots; // the host's folders as the machine resolved them; empty until connected
};
using HostItemPtr = std::shared_ptr<HostItem>;

// The saved connections in list order, and every change made to them. Each change of the list
// ends with onHostsChanged, which saves it. Main thread only; runs come back on it.
class RemoteHostList
{
public:
    RemoteHostList();
    ~RemoteHostList();
    RemoteHostList(const RemoteHostList &) = delete;
    RemoteHostList &operator=(const RemoteHostList &) = delete;

    // The whole list after it changed.
    std::function<void(const QList<RemoteHost> &hosts)> onHostsChanged;
    // An entry now lives at another destination or port.
    std::function<void(const QString &oldID, const QString &newID)> onHostIDChanged;
    // A row's state, failure or liveness changed.
    std::function<void(const HostItemPtr &item)> onItemChanged;
    // A connect ended, connected or failed.
    std::function<void(const HostItemPtr &item)> onConnectFinished;
    // A connect met a machine whose key is not known yet.
    std::function<void(const HostItemPtr &item)> onNeedsTrust;

    // Fresh idle items with new clients, one per entry.
    void setHosts(const QList<RemoteHost> &hosts);
    const std::vector<HostItemPtr> &items() const { return entries; }
    QList<RemoteHost> hosts() const;
    HostItemPtr itemFor(const QString &hostID) const;

    // A new connection; for a machine already in the list only its folder is added. Answers
    // the item, for the caller to connect.
    HostItemPtr addHost(const RemoteHost &host);
    // Answers whether the folder was new.
    bool addFolder(const HostItemPtr &item, const QString &folder);
    // Never removes the last folder: an entry always has one.
    bool removeFolder(const HostItemPtr &item, const QString &folder);
    void rename(const HostItemPtr &item, const QString &name);
    // Takes the edited destination, port and folders: the old master connection is closed
    // and the item gets a new client, not connected yet.
    void edit(const HostItemPtr &item, const RemoteHost &edited);
    void remove(const HostItemPtr &item);

    // Resolves the host's folders on the machine; nothing while it is connecting.
    void connect(const HostItemPtr &item);
    // Closes the master connection; the item is idle again and its liveness unknown.
    void disconnect(const HostItemPtr &item);

    // A run on the machine succeeded, so it is known to be alive.
    void markAnswered(const QString &hostID);
    // Unknown when no item has that identity.
    std::optional<bool> isAlive(const QString &hostID) const;
    // Asks ssh whether the master connection is open, at most once in five seconds unless
    // forced. Machines known to be alive are also asked every three seconds on their own: the
    // master connection gives up on a link that stops answering, and the rows and the status
    // bar learn it from the next check.
    void checkLiveness(const QString &hostID, bool force);
    void checkEveryHost();

    // Closes every master connection and waits for each: for quitting.
    void disconnectAll();

private:
    void listChanged();
    void changed(const HostItemPtr &item);
    void connectFinished(const HostItemPtr &item, const SSHResult &result);
    void check(const HostItemPtr &item);
    void watch();

    std::vector<HostItemPtr> entries;
    QTimer watchTimer;
    // Pending completions hold this weakly, so a list that is gone receives nothing.
    std::shared_ptr<RemoteHostList *> self;
};
