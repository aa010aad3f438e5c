// Remote machines: the saved connections, connecting, trusting keys and the cards that change
// the list.
#include "RemoteController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "PlacesController.h"
#include "RemoteDocumentController.h"
#include "chrome/InlineCard.h"
#include "command/OutputPanelView.h"
#include "command/RemoteContext.h"
#include "remote/ConnectionCards.h"
#include "remote/HostTrust.h"
#include "remote/RemoteCommand.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"
#include "remote/SSHView.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTimer>

namespace
{

using CardAction = std::function<void(InlineCard *)>;

// A card whose second button checks the field; on a refusal the card stays with the reason.
template <typename T>
CardAction accepting(
    std::function<Checked<T>(const QString &)> check, std::function<void(const T &)> apply)
{
    return [check, apply](InlineCard *shown) {
        if (!shown)
            return;
        const Checked<T> accepted = check(shown->fieldText());
        if (!accepted.value) {
            shown->setFieldNote(accepted.error);
            return;
        }
        shown->dismiss(true);
        apply(*accepted.value);
    };
}

}

RemoteController::RemoteController(AppDelegate &app)
    : app(app)
    , remoteHosts(std::make_unique<RemoteHostList>())
{
}

RemoteController::~RemoteController() = default;

void RemoteController::watchHosts()
{
    QString skipped;
    remoteHosts->setHosts(loadHosts(&skipped));
    // Its five seconds start once the window is up, after the start-up work.
    if (!skipped.isEmpty())
        QTimer::singleShot(0, this, [this, skipped] { app.window().showNote(skipped); });
    remoteHosts->onHostsChanged = [this](const QList<RemoteHost> &hosts) {
        QString error;
        if (!saveHosts(hosts, &error))
            app.window().showNote(saveHostsFailedNote(error));
        // A machine that went away no longer runs the active remote file's commands.
        if (app.window().outputPanel())
            app.window().outputPanel()->refreshFolderLabel();
    };
    remoteHosts->onHostIDChanged
        = [this](const QString &oldID, const QString &newID) { hostIDChanged(oldID, newID); };
    // The indicator and the caret's blame depend on whether the machine answers.
    remoteHosts->onItemChanged = [this](const HostItemPtr &item) {
        if (sshView)
            sshView->refresh(item);
        app.window().scheduleStatusRefresh();
    };
    remoteHosts->onConnectFinished = [this](const HostItemPtr &item) { connectFinished(item); };
    remoteHosts->onNeedsTrust = [this](const HostItemPtr &item) { trustHost(item); };
}

RemoteHostList &RemoteController::hosts() const
{
    return *remoteHosts;
}

std::shared_ptr<SSHClient> RemoteController::clientFor(const QString &id) const
{
    const HostItemPtr item = remoteHosts->itemFor(id);
    return item ? item->client : nullptr;
}

bool RemoteController::isHostAlive(const QString &id) const
{
    return remoteHosts->isAlive(id) == true;
}

void RemoteController::buildPane(QWidget *sidebar)
{
    sshView = new SSHView(remoteHosts.get(), sidebar);
    sshView->onAdd = [this] { connectOverSSH(); };
    sshView->onConnect = [this](const HostItemPtr &item) { connectHost(item); };
    sshView->onOpenFile
        = [this](const std::shared_ptr<SSHClient> &client, const QString &path, bool permanent) {
              app.remoteDocuments().openRemoteFile(client, path, !permanent);
          };
    sshView->hostMenu = [this](const HostItemPtr &item) {
        auto *menu = new QMenu(sshView);
        fillHostMenu(menu, item);
        return menu;
    };
}

SSHView *RemoteController::pane() const
{
    return sshView;
}

void RemoteController::connectOverSSH()
{
    const CardText text = connectCard();
    app.window().cardFromText(text,
        { {},
            accepting<RemoteHost>(acceptConnect,
                [this](const RemoteHost &host) {
                    const HostItemPtr item = remoteHosts->addHost(host);
                    sshView->reloadHosts();
                    connectHost(item);
                }) },
        text.primary);
}

void RemoteController::connectHost(const HostItemPtr &item)
{
    app.window().showNote(QStringLiteral("Connecting to ") + shortHostLabel(item->host.destination)
        + QStringLiteral("…"));
    remoteHosts->connect(item);
}

// The rows of a pane would show this; until then a note says how a connect ended.
void RemoteController::connectFinished(const HostItemPtr &item)
{
    if (item->state == HostItem::State::failed) {
        app.window().showNote(item->failure);
        return;
    }
    QStringList missing;
    for (const ResolvedFolder &folder : item->roots)
        if (!folder.found)
            missing << folder.path;
    QString note = QStringLiteral("Connected to ") + shortHostLabel(item->host.destination);
    if (!missing.isEmpty())
        note += QStringLiteral(". No such folder: ") + missing.join(QStringLiteral(", "));
    app.window().showNote(note);
}

void RemoteController::trustHost(const HostItemPtr &item)
{
    std::weak_ptr<HostItem> weak = item;
    TrustHooks hooks;
    hooks.showNote = [this](const QString &note) { app.window().showNote(note); };
    hooks.showCard = [this](const CardText &text, std::function<void()> trust) {
        QList<CardAction> actions;
        for (int i = 0; i < text.buttons.size(); ++i)
            actions << (i == trustButton ? CardAction([trust](InlineCard *) { trust(); })
                                         : CardAction());
        app.window().cardFromText(text, actions, -1);
    };
    hooks.reconnect = [this, weak] {
        if (const HostItemPtr strong = weak.lock())
            connectHost(strong);
    };
    startTrust(item->client, hooks);
}

void RemoteController::removeHost(const HostItemPtr &item)
{
    sshView->forgetExpansion(hostID(item->host));
    remoteHosts->remove(item);
    sshView->reloadHosts();
}

void RemoteController::hostIDChanged(const QString &oldID, const QString &newID)
{
    sshView->carryExpansion(oldID, newID);
    for (const DocumentPtr &document : app.documents()) {
        if (!document->remote || document->remote->hostID != oldID)
            continue;
        RemoteFile moved = *document->remote;
        moved.hostID = newID;
        app.remoteDocuments().setRemoteOrigin(document, moved);
    }
    app.window().scheduleStatusRefresh();
}

void RemoteController::addFolderToHost(const HostItemPtr &item)
{
    const CardText text = addFolderCard(item->host);
    std::weak_ptr<HostItem> weak = item;
    app.window().cardFromText(text,
        { {},
            accepting<QString>(acceptFolder,
                [this, weak](const QString &folder) {
                    const HostItemPtr strong = weak.lock();
                    if (!strong)
                        return;
                    remoteHosts->addFolder(strong, folder);
                    connectHost(strong);
                }) },
        text.primary);
}

void RemoteController::renameHost(const HostItemPtr &item)
{
    const CardText text = renameCard(item->host);
    std::weak_ptr<HostItem> weak = item;
    app.window().cardFromText(text,
        { {},
            accepting<QString>(acceptRename,
                [this, weak](const QString &name) {
                    if (const HostItemPtr strong = weak.lock()) {
                        remoteHosts->rename(strong, name);
                        app.window().showNote(renamedNote(name));
                    }
                }) },
        text.primary);
}

void RemoteController::editHost(const HostItemPtr &item)
{
    const CardText text = editCard(item->host);
    std::weak_ptr<HostItem> weak = item;
    const auto check = [this, weak](const QString &typed) -> Checked<RemoteHost> {
        const HostItemPtr strong = weak.lock();
        const auto &items = remoteHosts->items();
        const auto found = std::find(items.begin(), items.end(), strong);
        if (found == items.end())
            return { std::nullopt, QStringLiteral("This connection was removed.") };
        return acceptEdit(remoteHosts->hosts(), found - items.begin(), typed);
    };
    app.window().cardFromText(text,
        { {},
            accepting<RemoteHost>(check,
                [this, weak](const RemoteHost &edited) {
                    if (const HostItemPtr strong = weak.lock()) {
                        remoteHosts->edit(strong, edited);
                        app.window().showNote(changedNote(strong->host.name));
                    }
                }) },
        text.primary);
}

void RemoteController::fillConnectionsMenu(QMenu *menu)
{
    menu->clear();
    const auto &items = remoteHosts->items();
    if (items.empty())
        menu->addAction(QStringLiteral("No saved connections"))->setEnabled(false);
    for (const HostItemPtr &item : items) {
        QString title = item->host.name;
        if (title != item->host.destination)
            title += QStringLiteral(" (") + item->host.destination + u')';
        fillHostMenu(menu->addMenu(title), item);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("Connect over ssh…"), this, [this] { connectOverSSH(); });
}

void RemoteController::fillHostMenu(QMenu *menu, const HostItemPtr &item)
{
    std::weak_ptr<HostItem> weak = item;
    const auto on = [weak](std::function<void(const HostItemPtr &)> command) {
        return [weak, command] {
            if (const HostItemPtr strong = weak.lock())
                command(strong);
        };
    };
    if (item->state == HostItem::State::connected)
        menu->addAction(QStringLiteral("Disconnect"), this,
            on([this](const HostItemPtr &strong) { remoteHosts->disconnect(strong); }));
    else
        menu->addAction(QStringLiteral("Connect"), this,
            on([this](const HostItemPtr &strong) { connectHost(strong); }));
    menu->addAction(QStringLiteral("Open File…"), this, on([this](const HostItemPtr &strong) {
        app.remoteDocuments().openRemoteFilePrompt(strong);
    }));
    menu->addAction(QStringLiteral("Add Folder…"), this,
        on([this](const HostItemPtr &strong) { addFolderToHost(strong); }));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Rename…"), this,
        on([this](const HostItemPtr &strong) { renameHost(strong); }));
    menu->addAction(QStringLiteral("Edit Connection…"), this,
        on([this](const HostItemPtr &strong) { editHost(strong); }));
    menu->addSeparator();
    const QString destination = item->host.destination;
    menu->addAction(QStringLiteral("Copy Destination"), this,
        [destination] { QApplication::clipboard()->setText(destination); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Remove"), this,
        on([this](const HostItemPtr &strong) { removeHost(strong); }));
}

// Clicking the indicator connects the active document's machine.
void RemoteController::connectActiveHost()
{
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->remote)
        return;
    if (const HostItemPtr item = remoteHosts->itemFor(active->remote->hostID))
        connectHost(item);
    else
        app.window().showNote(hostGoneNote());
}

// Commands typed in the output panel run in the active remote file's folder on its machine.
std::optional<RemoteContext> RemoteController::commandContext() const
{
    const HostItemPtr item = app.places().activeRemoteHost();
    if (!item)
        return std::nullopt;
    const QString folder = remoteFolderOf(app.documents().activeDocument()->remote->path);
    const std::shared_ptr<SSHClient> client = item->client;
    return RemoteContext { item->host.destination + u':' + folder, sshPrograms().ssh,
        [client, folder](const QString &line) {
            const QString tag = newRunTag();
            return RemoteLaunch { client->arguments(remoteRunLine(folder, line, tag)),
                client->arguments(remoteStopLine(tag)) };
        } };
}
