// Remote files: opening a file of a saved machine into a local copy, saving it back, and the
// status bar's word on its machine.
#include "AppDelegate.h"
#include "PlacesController.h"

#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "command/RemoteContext.h"
#include "common/Defaults.h"
#include "git/DocumentBlame.h"
#include "remote/RemoteCommand.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteFiles.h"
#include "remote/RemoteHostList.h"
#include "remote/SSHArguments.h"
#include "remote/SSHClient.h"
#include "remote/SSHRun.h"
#include "common/MainThread.h"

#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>
#include <QLineEdit>

namespace {

std::optional<double> asSeconds(const std::optional<qint64> &seconds)
{
    return seconds ? std::optional<double>(double(*seconds)) : std::nullopt;
}

}

// A path typed after the machine's name, until a pane lists the machine's files.
void AppDelegate::openRemoteFilePrompt(const HostItemPtr &item)
{
    QString start;
    if (item)
        start = item->host.name + u':' + item->host.folders.value(0) + u'/';
    const CardText text { QStringLiteral("Open Remote File"),
                          QStringLiteral("A saved machine and a path, like web:/etc/hosts"), start,
                          { QStringLiteral("Cancel"), QStringLiteral("Open") }, 1 };
    InlineCard *shown = cardFromText(text, { {}, [this](InlineCard *shownCard) {
                             if (!shownCard)
                                 return;
                             const QString typed = shownCard->fieldText().trimmed();
                             const qsizetype colon = typed.indexOf(u':');
                             const QString name = typed.left(colon);
                             const QString path = colon < 0 ? QString() : typed.mid(colon + 1);
                             HostItemPtr chosen;
                             for (const HostItemPtr &candidate : remoteHosts->items())
                                 if (candidate->host.name == name || candidate->host.destination == name)
                                     chosen = candidate;
                             if (!chosen) {
                                 shownCard->setFieldNote(QStringLiteral("No saved machine is called ") + name);
                                 return;
                             }
                             if ((!path.startsWith(u'/') && !path.startsWith(u'~')) || path.endsWith(u'/')) {
                                 shownCard->setFieldNote(QStringLiteral("A path starts with / or ~ and names a file"));
                                 return;
                             }
                             shownCard->dismiss(true);
                             openRemoteFile(chosen->client, path, false);
                         } },
                 text.primary);
    // The caret waits after the folder, for the file's name; nothing of the machine is selected.
    if (QLineEdit *field = shown ? shown->field() : nullptr)
        field->setCursorPosition(int(field->text().size()));
}

void AppDelegate::openRemoteFile(const std::shared_ptr<SSHClient> &client, const QString &path, bool preview,
                                 std::optional<int> line)
{
    for (int i = 0; i < int(documents.size()); ++i) {
        const auto &remote = documents[i]->remote;
        if (remote && remote->hostID == hostID(client->host) && remote->path == path) {
            // A double click after the click's preview keeps the tab.
            if (!preview)
                promote(i);
            activateDocument(i, true);
            if (line)
                showLine(*documents[i], *line);
            return;
        }
    }
    showNote(readingNote(remoteFileName(path), client->host.destination));
    std::weak_ptr<SSHClient> weak = client;
    readRemote(*client, path, [this, weak, path, preview, line](const RemoteRead &read) {
        if (!weak.lock())
            return;
        if (!read.opened) {
            showNote(read.message);
            return;
        }
        // The copy is tested, decoded and made into the document's text on a pool thread: a
        // large file does not freeze the window.
        QPointer<AppDelegate> self(this);
        QThreadPool::globalInstance()->start([self, weak, path, preview, line, read] {
            QString note;
            auto loaded = std::make_shared<std::optional<LoadedText>>(readText(read.localCopy, &note));
            MainThread::post([self, weak, path, preview, line, read, note, loaded] {
                const auto strong = weak.lock();
                if (!self || !strong)
                    return;
                if (!*loaded)
                    self->showNote(note);
                else
                    self->finishRemoteOpen(strong, path, read, std::move(**loaded), preview, line);
            });
        });
    });
}

void AppDelegate::finishRemoteOpen(const std::shared_ptr<SSHClient> &client, const QString &path,
                                   const RemoteRead &read, LoadedText loaded, bool preview,
                                   std::optional<int> line)
{
    if (!openLoaded(read.localCopy, std::move(loaded), preview, true, true))
        return;
    const int index = indexOfPath(QFileInfo(read.localCopy).canonicalFilePath());
    if (index < 0)
        return;
    const DocumentPtr document = documents[index];
    setRemoteOrigin(document, RemoteFile { hostID(client->host), path,
                                           read.modified ? std::optional<qint64>(qint64(*read.modified))
                                                         : std::nullopt });
    remoteHosts->markAnswered(hostID(client->host));
    if (line)
        showLine(*document, *line);
    showNote({});
    documentsChanged();
    // Go to file and search find the file's place without waiting, next time.
    places().resolveRemotePlace([](const PlacesController::RemotePlace &) {});
}

// The document is now a copy of that remote file: its blame comes from the machine from now on.
void AppDelegate::setRemoteOrigin(const DocumentPtr &document, const RemoteFile &origin)
{
    document->remote = origin;
    if (document->blame) {
        std::weak_ptr<OpenDocument> weak = document;
        document->blame->onMachineFailure = [this, weak](const QString &message) {
            const DocumentPtr strong = weak.lock();
            if (strong && strong == activeDocument() && strong->remote)
                showBackgroundNote(QStringLiteral("Couldn't blame ") + remoteFileName(strong->remote->path)
                         + QStringLiteral(": ") + message);
        };
        document->blame->reset();
    }
    rememberRemoteOrigin(*document);
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
    RemoteSaveTurns &turns = remoteSaveTurns[document.get()];
    if (turns.busy) {
        std::weak_ptr<OpenDocument> weak = document;
        turns.waiting.append([this, weak, force, completion] {
            if (const DocumentPtr strong = weak.lock())
                saveFile(strong, force, completion);
            else if (completion)
                completion(false);
        });
        return false;
    }
    // As a local save: a character the file's encoding cannot hold is refused, never replaced.
    const std::optional<QByteArray> bytes = document->fileBytes();
    if (!bytes) {
        showNote(QStringLiteral("Save failed: the text can't be written in this file's encoding"));
        if (completion)
            completion(false);
        return false;
    }
    turns.busy = true;
    const int editsAtStart = document->editCount;
    showLastingNote(savingNote(client->host.destination));
    std::weak_ptr<OpenDocument> weak = document;
    saveRemote(*client, document->remote->path, *bytes, force ? std::nullopt : asSeconds(document->remote->modified),
               // The client is held until the save ends: an edited or removed connection must
               // not cut off an upload, whose completion someone may be waiting for.
               document->path(),
               [this, weak, key = document.get(), editsAtStart, completion, client](const SaveOutcome &outcome) {
                   Q_UNUSED(client);
                   remoteSaveTurns[key].busy = false;
                   const DocumentPtr strong = weak.lock();
                   const bool saved = strong && outcome.status == SaveStatus::saved;
                   if (strong)
                       finishRemoteSave(strong, outcome, editsAtStart, completion);
                   else if (completion)
                       completion(saved);
                   runNextRemoteSave(key);
               });
    return false;
}

void AppDelegate::runNextRemoteSave(const OpenDocument *document)
{
    // A waiting save that finds nothing to do ends at once, so the next one goes too.
    for (;;) {
        const auto turns = remoteSaveTurns.find(document);
        if (turns == remoteSaveTurns.end() || turns->busy)
            return;
        if (turns->waiting.isEmpty()) {
            remoteSaveTurns.erase(turns);
            return;
        }
        const std::function<void()> next = turns->waiting.takeFirst();
        next();
    }
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
    if (document->remote)
        remoteHosts->markAnswered(document->remote->hostID);
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
        remoteHosts->markAnswered(strong->remote->hostID);
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
    remoteHosts->checkLiveness(active->remote->hostID, false);
    const bool alive = isHostAlive(active->remote->hostID);
    places().followRemotePlace();
    statusBar->setRemote(remoteIndicatorText(destination, alive), alive, destination + u':' + active->remote->path);
}

// Clicking the indicator connects the active document's machine.
void AppDelegate::connectActiveHost()
{
    const DocumentPtr active = activeDocument();
    if (!active || !active->remote)
        return;
    if (const HostItemPtr item = remoteHosts->itemFor(active->remote->hostID))
        connectHost(item);
    else
        showNote(hostGoneNote());
}

// Commands typed in the output panel run in the active remote file's folder on its machine.
std::optional<RemoteContext> AppDelegate::commandContext() const
{
    const HostItemPtr item = places().activeRemoteHost();
    if (!item)
        return std::nullopt;
    const QString folder = remoteFolderOf(activeDocument()->remote->path);
    const std::shared_ptr<SSHClient> client = item->client;
    return RemoteContext { item->host.destination + u':' + folder, sshPrograms().ssh,
                           [client, folder](const QString &line) {
                               const QString tag = newRunTag();
                               return RemoteLaunch { client->arguments(remoteRunLine(folder, line, tag)),
                                                     client->arguments(remoteStopLine(tag)) };
                           } };
}
