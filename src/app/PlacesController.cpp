// Finding things: the find bar over the editor, the go-to-file picker over the local file index
// or a machine's listing, and the place the workspace commands act on: the local workspace
// folder, or, while a remote file is active, the place of that file on its machine.
#include "PlacesController.h"

#include "AppDelegate.h"
#include "FileOperationsController.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "RemoteDocumentController.h"
#include "RemoteController.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "git/GitSource.h"
#include "git/Place.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileIndex.h"
#include "navigation/QuickPickCard.h"
#include "navigation/SearchView.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteRoot.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"
#include "remote/SSHClient.h"
#include "remote/SSHFailure.h"
#include "remote/SSHRun.h"

#include <QLineEdit>
#include <QLocale>

namespace {

constexpr qint64 indexMaxAgeSeconds = 30;

// Go to file looks where search and the git log look, the workspace, even while the Explorer
// shows a folder outside it; only a window without a workspace uses the Explorer's folder.
QString indexRoot(const std::optional<QString> &workspace, const QString &explorerRoot)
{
    return workspace ? *workspace : explorerRoot;
}

QString rootKey(const QString &id, const QString &path)
{
    return id + u':' + remoteFolderOf(path);
}

// Said under the field, where it has room: the prompt itself must fit in the field.
QString truncatedNote()
{
    return QStringLiteral("The first ") + QLocale().toString(fileIndexLimit)
        + QStringLiteral(" are listed; typing searches them all");
}

}

PlacesController::PlacesController(AppDelegate &app)
    : app(app)
    , quickIndexer(new FileIndexer(this))
{
    quickIndexer->onBuilt = [this](const QString &root, const QList<IndexedFile> &files) {
        quickIndex = files;
        quickRoot = root;
        quickBuiltAt = QDateTime::currentDateTime();
    };
}

PlacesController::~PlacesController() = default;

void PlacesController::refreshFileIndexIfOld()
{
    if (quickBuiltAt.isValid() && quickBuiltAt.secsTo(QDateTime::currentDateTime()) <= indexMaxAgeSeconds)
        return;
    const QString root = indexRoot(app.fileOperations().workspace(), app.window().explorer()->root());
    if (root.isEmpty()) {
        quickIndex.clear();
        quickRoot.reset();
        quickIndexer->dropPending();
        return;
    }
    quickIndexer->rebuild(root);
}

void PlacesController::rebuildFileIndex()
{
    quickRoot.reset();
    quickBuiltAt = QDateTime();
    refreshFileIndexIfOld();
}

const QList<IndexedFile> &PlacesController::fileIndex() const
{
    return quickIndex;
}

void PlacesController::goToFile()
{
    if (const HostItemPtr item = activeRemoteHost()) {
        goToRemoteFile(item);
        return;
    }
    const QString root = indexRoot(app.fileOperations().workspace(), app.window().explorer()->root());
    if (root.isEmpty()) {
        app.window().showNote(QStringLiteral("Open a folder or file first (%1)").arg(shortcutText(QKeySequence::Open)));
        return;
    }
    app.window().dismissCard();
    const QList<IndexedFile> files = quickRoot == root ? quickIndex : buildLocalIndex(root);
    auto *picker = new QuickPickCard(files, QStringLiteral("Go to file by name or path"));
    picker->onChoose = [this](const IndexedFile &chosen) { app.documents().loadDocument(chosen.url, false, true, true); };
    showPicker(picker);
}

void PlacesController::showPicker(QuickPickCard *picker)
{
    quickPick = picker;
    picker->onDismiss = [this, picker] {
        if (quickPick == picker)
            quickPick = nullptr;
    };
    picker->showIn(app.window().editorContainer());
}

void PlacesController::dismissPicker()
{
    if (QuickPickCard *picker = quickPick)
        picker->dismiss(false);
    quickPick = nullptr;
}

QuickPickCard *PlacesController::picker() const
{
    return quickPick;
}

void PlacesController::showFindBar(bool replace)
{
    if (replace)
        app.window().findBar()->showReplace();
    else
        app.window().findBar()->showFind();
}

// The workspace is the machine's when the active document is a remote file of a saved machine:
// the place found on the machine (its repository, else the host folder that holds it), and the
// file's own folder until that is known.
std::optional<PlacesController::RemotePlace> PlacesController::remotePlace() const
{
    const HostItemPtr item = activeRemoteHost();
    if (!item)
        return std::nullopt;
    const QString path = app.documents().activeDocument()->remote->path;
    const auto found = remoteRoots.constFind(rootKey(hostID(item->host), path));
    if (found == remoteRoots.cend())
        return RemotePlace { item, remoteFolderOf(path), false };
    return RemotePlace { item, *found };
}

void PlacesController::followRemotePlace()
{
    const auto place = remotePlace();
    if (!place || place->resolved || !app.remote().isHostAlive(hostID(place->item->host)))
        return;
    const QString key = rootKey(hostID(place->item->host), app.documents().activeDocument()->remote->path);
    if (remoteRootsAsked.contains(key))
        return;
    remoteRootsAsked.insert(key);
    resolveRemotePlace([this, key](const RemotePlace &) {
        remoteRootsAsked.remove(key);
        if (app.window().searchView())
            app.window().searchView()->updateScope();
    });
}

QString PlacesController::remotePlaceLabel(const RemotePlace &place) const
{
    const QString name = GitSource::remote(RemoteRepo { place.item->client, place.folder }).displayName();
    return place.resolved ? name : name + QStringLiteral(" · own folder");
}

void PlacesController::resolveRemotePlace(std::function<void(const RemotePlace &place)> then)
{
    const HostItemPtr item = activeRemoteHost();
    if (!item)
        return;
    const QString path = app.documents().activeDocument()->remote->path;
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
                              app.remote().hosts().markAnswered(hostID(strong->host));
                          }
                          then(place);
                      });
}

HostItemPtr PlacesController::activeRemoteHost() const
{
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->remote)
        return nullptr;
    return app.remote().hosts().itemFor(active->remote->hostID);
}

// Search in files follows the same place.
std::optional<SearchPlace> PlacesController::searchPlace() const
{
    const auto place = remotePlace();
    if (!place)
        return app.fileOperations().workspace() ? std::optional(SearchPlace::local(*app.fileOperations().workspace())) : std::nullopt;
    const std::shared_ptr<SSHClient> client = place->item->client;
    SearchPlace::Remote remote { hostID(place->item->host), sshPrograms().ssh, remoteQuote(place->folder),
                                 [client](const QString &line) { return client->arguments(line); } };
    return SearchPlace { place->folder, remotePlaceLabel(*place), remote };
}

// The git log pane finds the repository from the remote file's own folder upward, as blame does.
std::optional<Place> PlacesController::gitPlace() const
{
    if (const HostItemPtr item = activeRemoteHost())
        return Place::remote(item->client, remoteFolderOf(app.documents().activeDocument()->remote->path));
    return app.fileOperations().workspace() ? std::optional(Place::local(*app.fileOperations().workspace())) : std::nullopt;
}

// Go to file on a machine: the files below the place of the active remote document, listed once
// over ssh and kept for two minutes. The card shows at once; the files follow once the place on
// the machine is known.
void PlacesController::goToRemoteFile(const HostItemPtr &item)
{
    app.window().dismissCard();
    const QString label = shortHostLabel(item->host.destination);
    auto *picker = new QuickPickCard({}, QStringLiteral("Reading the files of ") + label + QStringLiteral("…"));
    const std::shared_ptr<SSHClient> client = item->client;
    picker->onChoose = [this, client](const IndexedFile &chosen) { app.remoteDocuments().openRemoteFile(client, chosen.url, false); };
    showPicker(picker);
    QPointer<QuickPickCard> guarded = picker;
    resolveRemotePlace([this, guarded](const RemotePlace &place) {
        if (guarded && quickPick == guarded)
            listRemoteFiles(guarded, place);
    });
}

void PlacesController::listRemoteFiles(QuickPickCard *picker, const RemotePlace &place)
{
    const std::shared_ptr<SSHClient> client = place.item->client;
    // Named as search names it: the machine and the last part of the folder.
    const QString label = remotePlaceLabel(place);
    picker->field()->setPlaceholderText(QStringLiteral("Reading the files of ") + label + QStringLiteral("…"));
    const QString key = hostID(place.item->host) + u':' + place.folder;
    const auto cached = remoteIndexes.constFind(key);
    if (cached != remoteIndexes.cend()
        && cached->readAt.secsTo(QDateTime::currentDateTimeUtc()) < remoteIndexLifetimeSeconds) {
        fillRemotePicker(picker, cached->list, label, client, place.folder);
        return;
    }
    QPointer<QuickPickCard> guarded = picker;
    const QString root = place.folder;
    client->run(remoteIndexScript(remoteQuote(root)), std::nullopt, commandOutputLimit,
                [this, guarded, key, root, label, client](const SSHResult &result) {
                    const auto failure = classifyFailure(result);
                    const auto output = confirmedOutput(result);
                    if (failure || !output) {
                        if (guarded)
                            guarded->dismiss(true);
                        app.window().showNote(QStringLiteral("Couldn't list the files of ") + label + QStringLiteral(": ")
                                     + (failure ? failure->text() : unconfirmedReason(result)));
                        return;
                    }
                    app.remote().hosts().markAnswered(hostID(client->host));
                    const RemoteFileList list = parseRemoteFileList(*output, root, fileIndexLimit);
                    remoteIndexes.insert(key, CachedRemoteIndex { QDateTime::currentDateTimeUtc(), list });
                    if (guarded && quickPick == guarded)
                        fillRemotePicker(guarded, list, label, client, root);
                });
}

void PlacesController::fillRemotePicker(QuickPickCard *picker, const RemoteFileList &list, const QString &label,
                                        const std::shared_ptr<SSHClient> &client, const QString &root)
{
    picker->setFiles(list.files, QStringLiteral("Go to file in ") + label);
    picker->setNote(list.truncated ? truncatedNote() : QString());
    if (!list.truncated)
        return;
    std::weak_ptr<SSHClient> weak = client;
    picker->serverSearch = [weak, root](const QString &query, std::function<void(QList<IndexedFile>)> done) {
        const QString pattern = serverSearchPattern(query);
        const auto strong = weak.lock();
        if (pattern.isEmpty() || !strong)
            return;
        strong->run(serverSearchCommand(remoteQuote(root), pattern), std::nullopt, commandOutputLimit,
                    [done, root](const SSHResult &result) {
                        const auto output = confirmedOutput(result);
                        if (output)
                            done(parseRemoteFileList(*output, root, serverSearchLimit).files);
                    });
    };
}

int PlacesController::knownRemotePlaces() const
{
    return int(remoteRoots.size());
}

int PlacesController::knownRemoteListings() const
{
    return int(remoteIndexes.size());
}

void PlacesController::forgetRemotePlaces()
{
    remoteRoots.clear();
}

void PlacesController::forgetRemoteListings()
{
    remoteIndexes.clear();
}
