// Remote machines: the saved connections, connecting, trusting keys and the cards that change
// the list.
#include "AppDelegate.h"

#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "command/OutputPanelView.h"
#include "remote/ConnectionCards.h"
#include "remote/HostTrust.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHView.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTimer>

namespace {

using CardAction = std::function<void(InlineCard *)>;

// A card whose second button checks the field; on a refusal the card stays with the reason.
template <typename T>
CardAction accepting(std::function<Checked<T>(const QString &)> check, std::function<void(const T &)> apply)
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

InlineCard *AppDelegate::cardFromText(const CardText &text, QList<CardAction> actions, int keepsOpen)
{
    auto holder = std::make_shared<QPointer<InlineCard>>();
    QList<Button> buttons;
    for (int i = 0; i < text.buttons.size(); ++i) {
        auto action = actions.value(i);
        buttons << Button { text.buttons[i], i == text.primary, i != keepsOpen, QKeySequence(), [holder, action] {
                               if (action)
                                   action(*holder);
                           } };
    }
    auto *newCard = new InlineCard(text.title, text.message, text.field, buttons);
    *holder = newCard;
    showCard(newCard);
    return newCard;
}

void AppDelegate::watchRemoteHosts()
{
    remoteHosts = std::make_unique<RemoteHostList>();
    QString skipped;
    remoteHosts->setHosts(loadHosts(&skipped));
    // Its five seconds start once the window is up, after the start-up work.
    if (!skipped.isEmpty())
        QTimer::singleShot(0, this, [this, skipped] { showNote(skipped); });
    remoteHosts->onHostsChanged = [this](const QList<RemoteHost> &hosts) {
        QString error;
        if (!saveHosts(hosts, &error))
            showNote(saveHostsFailedNote(error));
        // A machine that went away no longer runs the active remote file's commands.
        if (outputPanel)
            outputPanel->refreshFolderLabel();
    };
    remoteHosts->onHostIDChanged = [this](const QString &oldID, const QString &newID) { hostIDChanged(oldID, newID); };
    // The indicator and the caret's blame depend on whether the machine answers.
    remoteHosts->onItemChanged = [this](const HostItemPtr &item) {
        if (sshView)
            sshView->refresh(item);
        scheduleStatusRefresh();
    };
    remoteHosts->onConnectFinished = [this](const HostItemPtr &item) { connectFinished(item); };
    remoteHosts->onNeedsTrust = [this](const HostItemPtr &item) { trustHost(item); };
}

std::shared_ptr<SSHClient> AppDelegate::clientFor(const QString &id) const
{
    const HostItemPtr item = remoteHosts ? remoteHosts->itemFor(id) : nullptr;
    return item ? item->client : nullptr;
}

bool AppDelegate::isHostAlive(const QString &id) const
{
    return remoteHosts && remoteHosts->isAlive(id) == true;
}

void AppDelegate::buildRemotePane(QWidget *sidebar)
{
    sshView = new SSHView(remoteHosts.get(), sidebar);
    sshView->onAdd = [this] { connectOverSSH(); };
    sshView->onConnect = [this](const HostItemPtr &item) { connectHost(item); };
    sshView->onOpenFile = [this](const std::shared_ptr<SSHClient> &client, const QString &path, bool permanent) {
        openRemoteFile(client, path, !permanent);
    };
    sshView->hostMenu = [this](const HostItemPtr &item) {
        auto *menu = new QMenu(sshView);
        fillHostMenu(menu, item);
        return menu;
    };
}

void AppDelegate::connectOverSSH()
{
    const CardText text = connectCard();
    cardFromText(text,
                 { {}, accepting<RemoteHost>(acceptConnect,
                                             [this](const RemoteHost &host) {
                                                 const HostItemPtr item = remoteHosts->addHost(host);
                                                 sshView->reloadHosts();
                                                 connectHost(item);
                                             }) },
                 text.primary);
}

// A note that stays until the next one: for work that always ends with a note of its own, such
// as a save waiting on a machine that may take a while to answer or to be found dead.
void AppDelegate::showLastingNote(const QString &text)
{
    showNote(text);
    statusToken += 1; // the clearing timer of this note no longer matches
}

void AppDelegate::connectHost(const HostItemPtr &item)
{
    showNote(QStringLiteral("Connecting to ") + shortHostLabel(item->host.destination) + QStringLiteral("…"));
    remoteHosts->connect(item);
}

// The rows of a pane would show this; until then a note says how a connect ended.
void AppDelegate::connectFinished(const HostItemPtr &item)
{
    if (item->state == HostItem::State::failed) {
        showNote(item->failure);
        return;
    }
    QStringList missing;
    for (const ResolvedFolder &folder : item->roots)
        if (!folder.found)
            missing << folder.path;
    QString note = QStringLiteral("Connected to ") + shortHostLabel(item->host.destination);
    if (!missing.isEmpty())
        note += QStringLiteral(". No such folder: ") + missing.join(QStringLiteral(", "));
    showNote(note);
}

void AppDelegate::trustHost(const HostItemPtr &item)
{
    std::weak_ptr<HostItem> weak = item;
    TrustHooks hooks;
    hooks.showNote = [this](const QString &note) { showNote(note); };
    hooks.showCard = [this](const CardText &text, std::function<void()> trust) {
        QList<CardAction> actions;
        for (int i = 0; i < text.buttons.size(); ++i)
            actions << (i == trustButton ? CardAction([trust](InlineCard *) { trust(); }) : CardAction());
        cardFromText(text, actions, -1);
    };
    hooks.reconnect = [this, weak] {
        if (const HostItemPtr strong = weak.lock())
            connectHost(strong);
    };
    startTrust(item->client, hooks);
}

void AppDelegate::removeHost(const HostItemPtr &item)
{
    sshView->forgetExpansion(hostID(item->host));
    remoteHosts->remove(item);
    sshView->reloadHosts();
}

void AppDelegate::hostIDChanged(const QString &oldID, const QString &newID)
{
    sshView->carryExpansion(oldID, newID);
    for (const DocumentPtr &document : documents) {
        if (!document->remote || document->remote->hostID != oldID)
            continue;
        RemoteFile moved = *document->remote;
        moved.hostID = newID;
        setRemoteOrigin(document, moved);
    }
    scheduleStatusRefresh();
}

void AppDelegate::addFolderToHost(const HostItemPtr &item)
{
    const CardText text = addFolderCard(item->host);
    std::weak_ptr<HostItem> weak = item;
    cardFromText(text,
                 { {}, accepting<QString>(acceptFolder,
                                          [this, weak](const QString &folder) {
                                              const HostItemPtr strong = weak.lock();
                                              if (!strong)
                                                  return;
                                              remoteHosts->addFolder(strong, folder);
                                              connectHost(strong);
                                          }) },
                 text.primary);
}

void AppDelegate::renameHost(const HostItemPtr &item)
{
    const CardText text = renameCard(item->host);
    std::weak_ptr<HostItem> weak = item;
    cardFromText(text,
                 { {}, accepting<QString>(acceptRename,
                                          [this, weak](const QString &name) {
                                              if (const HostItemPtr strong = weak.lock()) {
                                                  remoteHosts->rename(strong, name);
                                                  showNote(renamedNote(name));
                                              }
                                          }) },
                 text.primary);
}

void AppDelegate::editHost(const HostItemPtr &item)
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
    cardFromText(text,
                 { {}, accepting<RemoteHost>(check,
                                             [this, weak](const RemoteHost &edited) {
                                                 if (const HostItemPtr strong = weak.lock()) {
                                                     remoteHosts->edit(strong, edited);
                                                     showNote(changedNote(strong->host.name));
                                                 }
                                             }) },
                 text.primary);
}

void AppDelegate::fillConnectionsMenu(QMenu *menu)
{
    menu->clear();
    const auto &items = remoteHosts ? remoteHosts->items() : std::vector<HostItemPtr>();
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

void AppDelegate::fillHostMenu(QMenu *menu, const HostItemPtr &item)
{
    std::weak_ptr<HostItem> weak = item;
    const auto on = [this, weak](void (AppDelegate::*command)(const HostItemPtr &)) {
        return [this, weak, command] {
            if (const HostItemPtr strong = weak.lock())
                (this->*command)(strong);
        };
    };
    if (item->state == HostItem::State::connected)
        menu->addAction(QStringLiteral("Disconnect"), this, [this, weak] {
            if (const HostItemPtr strong = weak.lock())
                remoteHosts->disconnect(strong);
        });
    else
        menu->addAction(QStringLiteral("Connect"), this, on(&AppDelegate::connectHost));
    menu->addAction(QStringLiteral("Open File…"), this, on(&AppDelegate::openRemoteFilePrompt));
    menu->addAction(QStringLiteral("Add Folder…"), this, on(&AppDelegate::addFolderToHost));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Rename…"), this, on(&AppDelegate::renameHost));
    menu->addAction(QStringLiteral("Edit Connection…"), this, on(&AppDelegate::editHost));
    menu->addSeparator();
    const QString destination = item->host.destination;
    menu->addAction(QStringLiteral("Copy Destination"), this,
                    [destination] { QApplication::clipboard()->setText(destination); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Remove"), this, on(&AppDelegate::removeHost));
}
