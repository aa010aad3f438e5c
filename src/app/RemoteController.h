#pragma once

#include <QObject>

#include <memory>
#include <optional>

class AppDelegate;
class QMenu;
class QWidget;
class RemoteHostList;
class SSHClient;
class SSHView;
struct HostItem;
struct RemoteContext;
using HostItemPtr = std::shared_ptr<HostItem>;

// The saved machines: the host list, connecting and trusting them, the Remote pane, the menus
// of connections and the context of commands run on the active remote file's machine.
class RemoteController : public QObject
{
    Q_OBJECT
public:
    explicit RemoteController(AppDelegate &app);
    ~RemoteController() override;

    // Loads the saved connections and follows their changes; once, at launch.
    void watchHosts();
    // The list is empty until watchHosts.
    RemoteHostList &hosts() const;
    std::shared_ptr<SSHClient> clientFor(const QString &hostID) const;
    bool isHostAlive(const QString &hostID) const;

    // The Remote pane in the sidebar; null until built.
    void buildPane(QWidget *sidebar);
    SSHView *pane() const;

    void connectOverSSH();
    void connectHost(const HostItemPtr &item);
    // Connects the active remote document's machine.
    void connectActiveHost();
    void fillConnectionsMenu(QMenu *menu);
    void fillHostMenu(QMenu *menu, const HostItemPtr &item);
    std::optional<RemoteContext> commandContext() const;

private:
    void connectFinished(const HostItemPtr &item);
    void trustHost(const HostItemPtr &item);
    void removeHost(const HostItemPtr &item);
    void hostIDChanged(const QString &oldID, const QString &newID);
    void addFolderToHost(const HostItemPtr &item);
    void renameHost(const HostItemPtr &item);
    void editHost(const HostItemPtr &item);

    AppDelegate &app;
    std::unique_ptr<RemoteHostList> remoteHosts;
    SSHView *sshView = nullptr; // owned by the sidebar
};
