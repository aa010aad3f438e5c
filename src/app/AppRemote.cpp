// Remote machines: saved connections, opening and saving files over ssh, host-key trust.
#include "AppDelegate.h"

#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "remote/ConnectionCards.h"
#include "remote/HostTrust.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteFiles.h"
#include "remote/RemoteHostsFile.h"
#include "remote/SSHClient.h"
#include "remote/SSHFailure.h"

#include <QFileInfo>

namespace {

std::optional<double> asSeconds(const std::optional<qint64> &seconds)
{
    return seconds ? std::optional<double>(double(*seconds)) : std::nullopt;
}

}

InlineCard *AppDelegate::cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions,
                                      int keepsOpen)
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

void AppDelegate::loadRemoteHosts()
{
    remoteClients.clear();
    for (const RemoteHost &host : loadHosts())
        remoteClients.push_back(std::make_shared<SSHClient>(host));
}

std::shared_ptr<SSHClient> AppDelegate::clientFor(const QString &id) const
{
    for (const auto &client : remoteClients)
        if (hostID(client->host) == id)
            return client;
    return nullptr;
}

void AppDelegate::connectOverSSH()
{
    const CardText text = connectCard();
    cardFromText(text, { {}, [this](InlineCard *shownCard) {
                             if (!shownCard)
                                 return;
                             const Checked<RemoteHost> accepted = acceptConnect(shownCard->fieldText());
                             if (!accepted.value) {
                                 shownCard->setDetail(accepted.error);
                                 return;
                             }
                             shownCard->dismiss(true);
                             addRemoteHost(*accepted.value);
                         } },
                 text.primary);
}

void AppDelegate::addRemoteHost(const RemoteHost &host)
{
    QList<RemoteHost> hosts;
    for (const auto &client : remoteClients)
        hosts << client->host;
    const qsizetype index = addHost(hosts, host);
    QString error;
    if (!saveHosts(hosts, &error))
        showNote(saveHostsFailedNote(error));
    loadRemoteHosts();
    if (index >= 0 && index < qsizetype(remoteClients.size()))
        probeHost(remoteClients[index]);
}

void AppDelegate::probeHost(const std::shared_ptr<SSHClient> &client)
{
    std::weak_ptr<SSHClient> weak = client;
    client->run(QStringLiteral("true"), std::nullopt, 4096, [this, weak](const SSHResult &result) {
        const auto strong = weak.lock();
        if (!strong)
            return;
        const QString id = hostID(strong->host);
        const auto failure = classifyFailure(result);
        hostAlive[id] = !failure && result.status == 0;
        scheduleStatusRefresh();
        if (!failure) {
            showNote(QStringLiteral("Connected to ") + shortHostLabel(strong->host.destination));
            return;
        }
        if (failure->kind == SSHFailure::Kind::unknownHostKey)
            trustHost(strong);
        else
            showNote(failure->text());
    });
}

void AppDelegate::trustHost(const std::shared_ptr<SSHClient> &client)
{
    std::weak_ptr<SSHClient> weak = client;
    TrustHooks hooks;
    hooks.showNote = [this](const QString &note) { showNote(note); };
    hooks.showCard = [this](const CardText &text, std::function<void()> trust) {
        QList<std::function<void(InlineCard *)>> actions;
        for (int i = 0; i < text.buttons.size(); ++i)
            actions << (i == trustButton ? std::function<void(InlineCard *)>([trust](InlineCard *) { trust(); })
                                         : std::function<void(InlineCard *)>());
        cardFromText(text, actions, -1);
    };
    hooks.reconnect = [this, weak] {
        if (const auto strong = weak.lock())
            probeHost(strong);
    };
    startTrust(client, hooks);
}

void AppDelegate::openRemoteFilePrompt()
{
    const CardText text { QStringLiteral("Open Remote File"),
                          QStringLiteral("A saved machine and a path, like web:/etc/hosts"), QString(),
                          { QStringLiteral("Cancel"), QStringLiteral("Open") }, 1 };
    cardFromText(text, { {}, [this](InlineCard *shownCard) {
                             if (!shownCard)
                                 return;
                             const QString typed = shownCard->fieldText().trimmed();
                             const qsizetype colon = typed.indexOf(u':');
                             const QString name = typed.left(colon);
                             const QString path = colon < 0 ? QString() : typed.mid(colon + 1);
                             std::shared_ptr<SSHClient> client;
                             for (const auto &candidate : remoteClients)
                                 if (candidate->host.name == name || candidate->host.destination == name)
                                     client = candidate;
                             if (!client) {
                                 shownCard->setDetail(QStringLiteral("No saved machine is called ") + name);
                                 return;
                             }
                             if (!path.startsWith(u'/') && !path.startsWith(u'~')) {
                                 shownCard->setDetail(QStringLiteral("A path starts with / or ~"));
                                 return;
                             }
                             shownCard->dismiss(true);
                             openRemoteFile(client, path, false);
                         } },
                 text.primary);
}

void AppDelegate::openRemoteFile(const std::shared_ptr<SSHClient> &client, const QString &path, bool preview)
{
    showNote(readingNote(remoteFileName(path), client->host.destination));
    std::weak_ptr<SSHClient> weak = client;
    readRemote(*client, path, [this, weak, path, preview](const RemoteRead &read) {
        const auto strong = weak.lock();
        if (!strong)
            return;
        if (!read.opened) {
            showNote(read.message);
            return;
        }
        if (!loadDocument(read.localCopy, preview, true, true))
            return;
        const int index = indexOfPath(QFileInfo(read.localCopy).canonicalFilePath());
        if (index < 0)
            return;
        const DocumentPtr document = documents[index];
        document->remote = RemoteFile { hostID(strong->host), path,
                                        read.modified ? std::optional<qint64>(qint64(*read.modified)) : std::nullopt };
        rememberRemoteOrigin(*document);
        hostAlive[hostID(strong->host)] = true;
        showNote({});
        documentsChanged();
    });
}

void AppDelegate::rememberRemoteOrigin(const OpenDocument &document)
{
    if (!document.remote)
        return;
    QVariantMap stored = Defaults::dictionary(Defaults::RemoteFiles);
    stored.insert(document.path(), QStringList { document.remote->hostID, document.remote->path,
                                                 document.remote->modified ? QString::number(*document.remote->modified)
                                                                           : QString() });
    Defaults::set(Defaults::RemoteFiles, stored);
}

bool AppDelegate::saveRemoteDocument(const DocumentPtr &document, bool force, std::function<void(bool)> completion)
{
    const auto client = clientFor(document->remote->hostID);
    if (!client) {
        showNote(hostGoneNote());
        if (completion)
            completion(false);
        return false;
    }
    const QByteArray bytes = TextFile::encode(TextFile::withLineEnding(document->text(), document->lineEnding),
                                              document->encoding);
    const int editsAtStart = document->editCount;
    showNote(savingNote(client->host.destination));
    std::weak_ptr<OpenDocument> weak = document;
    saveRemote(*client, document->remote->path, bytes, force ? std::nullopt : asSeconds(document->remote->modified),
               document->path(), [this, weak, editsAtStart, completion](const SaveOutcome &outcome) {
                   const DocumentPtr strong = weak.lock();
                   const bool saved = strong && outcome.status == SaveStatus::saved;
                   if (strong)
                       finishRemoteSave(strong, outcome, editsAtStart, completion);
                   else if (completion)
                       completion(saved);
               });
    return false;
}

void AppDelegate::finishRemoteSave(const DocumentPtr &document, const SaveOutcome &outcome, int editsAtStart,
                                   std::function<void(bool)> completion)
{
    const auto report = [&completion](bool ok) {
        if (completion)
            completion(ok);
    };
    if (outcome.status == SaveStatus::conflict) {
        showRemoteConflict(document, completion);
        return;
    }
    if (outcome.status == SaveStatus::failed) {
        showNote(outcome.message);
        report(false);
        return;
    }
    if (outcome.modified && document->remote)
        document->remote->modified = qint64(*outcome.modified);
    document->diskDate = QFileInfo(document->path()).lastModified();
    document->changedOnDisk = false;
    if (document->editCount == editsAtStart)
        document->isDirty = false;
    rememberRemoteOrigin(*document);
    showNote(outcome.message);
    documentsChanged();
    report(true);
}

void AppDelegate::showRemoteConflict(const DocumentPtr &document, std::function<void(bool)> completion)
{
    std::weak_ptr<OpenDocument> weak = document;
    QList<std::function<void(InlineCard *)>> actions { [completion](InlineCard *) {
                                                          if (completion)
                                                              completion(false);
                                                      },
                                                      [this, weak](InlineCard *) {
                                                          if (const DocumentPtr strong = weak.lock())
                                                              reloadRemoteDocument(strong);
                                                      },
                                                      [this, weak, completion](InlineCard *) {
                                                          if (const DocumentPtr strong = weak.lock())
                                                              saveFile(strong, true, completion);
                                                      } };
    cardFromText(conflictCard(document->fileName()), actions, -1);
}

void AppDelegate::reloadRemoteDocument(const DocumentPtr &document)
{
    const auto client = document->remote ? clientFor(document->remote->hostID) : nullptr;
    if (!client)
        return;
    std::weak_ptr<OpenDocument> weak = document;
    readRemote(*client, document->remote->path, [this, weak](const RemoteRead &read) {
        const DocumentPtr strong = weak.lock();
        if (!strong || !read.opened) {
            if (!read.opened)
                showNote(read.message);
            return;
        }
        strong->remote->modified = read.modified ? std::optional<qint64>(qint64(*read.modified)) : std::nullopt;
        reloadDocument(strong);
        rememberRemoteOrigin(*strong);
    });
}

void AppDelegate::refreshRemoteIndicator(const DocumentPtr &active)
{
    if (!active || !active->remote) {
        statusBar->setRemote({}, false, {});
        return;
    }
    const auto client = clientFor(active->remote->hostID);
    const QString destination = client ? client->host.destination : active->remote->hostID;
    const bool alive = hostAlive.value(active->remote->hostID, false);
    statusBar->setRemote(remoteIndicatorText(destination, alive), alive, destination + u':' + active->remote->path);
}

void AppDelegate::disconnectAllHosts()
{
    SSHClient::disconnectAll(remoteClients);
}
