// Remote files: opening a file of a saved machine into a local copy, saving it back, and the
// status bar's word on its machine.
#include "RemoteDocumentController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"
#include "PlacesController.h"
#include "RemoteController.h"
#include "chrome/InlineCard.h"
#include "chrome/StatusBarView.h"
#include "common/Defaults.h"
#include "common/MainThread.h"
#include "git/DocumentBlame.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteFiles.h"
#include "remote/RemoteHostList.h"
#include "remote/SSHClient.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QThreadPool>

namespace
{

std::optional<double> asSeconds(const std::optional<qint64> &seconds)
{
    return seconds ? std::optional<double>(double(*seconds)) : std::nullopt;
}

}

RemoteDocumentController::RemoteDocumentController(AppDelegate &app)
    : app(app)
{
}

RemoteDocumentController::~RemoteDocumentController() = default;

// A path typed after the machine's name, until a pane lists the machine's files.
void RemoteDocumentController::openRemoteFilePrompt(const HostItemPtr &item)
{
    QString start;
    if (item)
        start = item->host.name + u':' + item->host.folders.value(0) + u'/';
    const CardText text { QStringLiteral("Open Remote File"),
        QStringLiteral("A saved machine and a path, like web:/etc/hosts"), start,
        { QStringLiteral("Cancel"), QStringLiteral("Open") }, 1 };
    InlineCard *shown = app.window().cardFromText(text,
        { {},
            [this](InlineCard *shownCard) {
                if (!shownCard)
                    return;
                const QString typed = shownCard->fieldText().trimmed();
                const qsizetype colon = typed.indexOf(u':');
                const QString name = typed.left(colon);
                const QString path = colon < 0 ? QString() : typed.mid(colon + 1);
                HostItemPtr chosen;
                for (const HostItemPtr &candidate : app.remote().hosts().items())
                    if (candidate->host.name == name || candidate->host.destination == name)
                        chosen = candidate;
                if (!chosen) {
                    shownCard->setFieldNote(QStringLiteral("No saved machine is called ") + name);
                    return;
                }
                if ((!path.startsWith(u'/') && !path.startsWith(u'~')) || path.endsWith(u'/')) {
                    shownCard->setFieldNote(
                        QStringLiteral("A path starts with / or ~ and names a file"));
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

void RemoteDocumentController::openRemoteFile(const std::shared_ptr<SSHClient> &client,
    const QString &path, bool preview, std::optional<int> line)
{
    for (int i = 0; i < int(app.documents().size()); ++i) {
        const auto &remote = app.documents()[i]->remote;
        if (remote && remote->hostID == hostID(client->host) && remote->path == path) {
            // A double click after the click's preview keeps the tab.
            if (!preview)
                app.documents().promote(i);
            app.tabs().activateDocument(i, true);
            if (line)
                app.tabs().showLine(*app.documents()[i], *line);
            return;
        }
    }
    app.window().showNote(readingNote(remoteFileName(path), client->host.destination));
    std::weak_ptr<SSHClient> weak = client;
    readRemote(*client, path, [this, weak, path, preview, line](const RemoteRead &read) {
        if (!weak.lock())
            return;
        if (!read.opened) {
            app.window().showNote(read.message);
            return;
        }
        // The copy is tested, decoded and made into the document's text on a pool thread: a
        // large file does not freeze the window.
        QPointer<RemoteDocumentController> self(this);
        QThreadPool::globalInstance()->start([self, weak, path, preview, line, read] {
            QString note;
            auto loaded = std::make_shared<std::optional<LoadedText>>(
                DocumentController::readText(read.localCopy, &note));
            MainThread::post([self, weak, path, preview, line, read, note, loaded] {
                const auto strong = weak.lock();
                if (!self || !strong)
                    return;
                if (!*loaded)
                    self->app.window().showNote(note);
                else
                    self->finishRemoteOpen(strong, path, read, std::move(**loaded), preview, line);
            });
        });
    });
}

void RemoteDocumentController::finishRemoteOpen(const std::shared_ptr<SSHClient> &client,
    const QString &path, const RemoteRead &read, LoadedText loaded, bool preview,
    std::optional<int> line)
{
    if (!app.documents().openLoaded(read.localCopy, std::move(loaded), preview, true, true))
        return;
    const int index = app.documents().indexOfPath(QFileInfo(read.localCopy).canonicalFilePath());
    if (index < 0)
        return;
    const DocumentPtr document = app.documents()[index];
    setRemoteOrigin(document,
        RemoteFile { hostID(client->host), path,
            read.modified ? std::optional<qint64>(qint64(*read.modified)) : std::nullopt });
    app.remote().hosts().markAnswered(hostID(client->host));
    if (line)
        app.tabs().showLine(*document, *line);
    app.window().showNote({});
    app.documents().documentsChanged();
    // Go to file and search find the file's place without waiting, next time.
    app.places().resolveRemotePlace([](const PlacesController::RemotePlace &) {});
}

// The document is now a copy of that remote file: its blame comes from the machine from now on.
void RemoteDocumentController::setRemoteOrigin(
    const DocumentPtr &document, const RemoteFile &origin)
{
    document->remote = origin;
    if (document->blame) {
        std::weak_ptr<OpenDocument> weak = document;
        document->blame->onMachineFailure = [this, weak](const QString &message) {
            const DocumentPtr strong = weak.lock();
            if (strong && strong == app.documents().activeDocument() && strong->remote)
                app.window().showBackgroundNote(QStringLiteral("Couldn't blame ")
                    + remoteFileName(strong->remote->path) + QStringLiteral(": ") + message);
        };
        document->blame->reset();
    }
    rememberRemoteOrigin(*document);
}

void RemoteDocumentController::rememberRemoteOrigin(const OpenDocument &document)
{
    if (!document.remote)
        return;
    QVariantMap stored = Defaults::dictionary(Defaults::RemoteFiles);
    stored.insert(document.path(),
        QStringList { document.remote->hostID, document.remote->path,
            document.remote->modified ? QString::number(*document.remote->modified) : QString() });
    Defaults::set(Defaults::RemoteFiles, stored);
}

bool RemoteDocumentController::saveRemoteDocument(
    const DocumentPtr &document, bool force, std::function<void(bool)> completion)
{
    const auto client = app.remote().clientFor(document->remote->hostID);
    if (!client) {
        app.window().showNote(hostGoneNote());
        if (completion)
            completion(false);
        return false;
    }
    RemoteSaveTurns &turns = remoteSaveTurns[document.get()];
    if (turns.busy) {
        std::weak_ptr<OpenDocument> weak = document;
        turns.waiting.append([this, weak, force, completion] {
            if (const DocumentPtr strong = weak.lock())
                app.documents().saveFile(strong, force, completion);
            else if (completion)
                completion(false);
        });
        return false;
    }
    // As a local save: a character the file's encoding cannot hold is refused, never replaced.
    const std::optional<QByteArray> bytes = document->fileBytes();
    if (!bytes) {
        app.window().showNote(
            QStringLiteral("Save failed: the text can't be written in this file's encoding"));
        if (completion)
            completion(false);
        return false;
    }
    turns.busy = true;
    const int editsAtStart = document->editCount;
    app.window().showLastingNote(savingNote(client->host.destination));
    std::weak_ptr<OpenDocument> weak = document;
    saveRemote(*client, document->remote->path, *bytes,
        force ? std::nullopt : asSeconds(document->remote->modified),
        // The client is held until the save ends: an edited or removed connection must
        // not cut off an upload, whose completion someone may be waiting for.
        document->path(),
        [this, weak, key = document.get(), editsAtStart, completion, client](
            const SaveOutcome &outcome) {
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

void RemoteDocumentController::runNextRemoteSave(const OpenDocument *document)
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

void RemoteDocumentController::finishRemoteSave(const DocumentPtr &document,
    const SaveOutcome &outcome, int editsAtStart, std::function<void(bool)> completion)
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
        app.window().showNote(outcome.message);
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
        app.remote().hosts().markAnswered(document->remote->hostID);
    app.window().showNote(outcome.message);
    app.documents().documentsChanged();
    report(true);
}

void RemoteDocumentController::showRemoteConflict(
    const DocumentPtr &document, std::function<void(bool)> completion)
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
                app.documents().saveFile(strong, true, completion);
        } };
    app.window().cardFromText(conflictCard(document->fileName()), actions, -1);
}

void RemoteDocumentController::reloadRemoteDocument(const DocumentPtr &document)
{
    const auto client
        = document->remote ? app.remote().clientFor(document->remote->hostID) : nullptr;
    if (!client)
        return;
    std::weak_ptr<OpenDocument> weak = document;
    readRemote(*client, document->remote->path, [this, weak](const RemoteRead &read) {
        const DocumentPtr strong = weak.lock();
        if (!strong || !read.opened) {
            if (!read.opened)
                app.window().showNote(read.message);
            return;
        }
        strong->remote->modified
            = read.modified ? std::optional<qint64>(qint64(*read.modified)) : std::nullopt;
        app.remote().hosts().markAnswered(strong->remote->hostID);
        app.documents().reloadDocument(strong);
        rememberRemoteOrigin(*strong);
    });
}

void RemoteDocumentController::refreshRemoteIndicator(const DocumentPtr &active)
{
    if (!active || !active->remote) {
        app.window().statusBar()->setRemote({}, false, {});
        return;
    }
    const auto client = app.remote().clientFor(active->remote->hostID);
    const QString destination = client ? client->host.destination : active->remote->hostID;
    app.remote().hosts().checkLiveness(active->remote->hostID, false);
    const bool alive = app.remote().isHostAlive(active->remote->hostID);
    app.places().followRemotePlace();
    app.window().statusBar()->setRemote(
        remoteIndicatorText(destination, alive), alive, destination + u':' + active->remote->path);
}
