#pragma once

#include "navigation/IndexedFile.h"
#include "navigation/RemoteIndex.h"
#include "navigation/SearchPlace.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AppDelegate;
class FileIndexer;
class Place;
class QuickPickCard;
class SSHClient;
struct HostItem;
using HostItemPtr = std::shared_ptr<HostItem>;

// Where the window's finding commands look and how they get there: go to file over the local
// file index or a machine's listing, the find bar, and the place search and the git log use,
// which is the machine's while a remote file is active.
class PlacesController : public QObject {
    Q_OBJECT
public:
    explicit PlacesController(AppDelegate &app);
    ~PlacesController() override;

    void goToFile();
    void showFindBar(bool replace);
    // Dismisses the go-to-file card, if one is showing.
    void dismissPicker();
    QuickPickCard *picker() const;

    // The local file index: built again when older than half a minute, or now, when files
    // came or went.
    void refreshFileIndexIfOld();
    void rebuildFileIndex();
    const QList<IndexedFile> &fileIndex() const;

    // The remote folder that stands for the workspace while a remote file is active.
    struct RemotePlace {
        HostItemPtr item;
        QString folder;
        bool resolved = true; // false: the file's own folder, until the machine answers
    };
    std::optional<RemotePlace> remotePlace() const;
    // Finds the active remote file's place on its machine once, then hands it over; at once
    // when it is known.
    void resolveRemotePlace(std::function<void(const RemotePlace &place)> then);
    // Once the active remote file's machine answers, its place is found and the labels follow.
    void followRemotePlace();
    // The saved machine of the active document, when it is a remote file.
    HostItemPtr activeRemoteHost() const;
    std::optional<SearchPlace> searchPlace() const;
    std::optional<Place> gitPlace() const;

    // Shows a machine's listing in the go-to-file card; a list cut at its limit asks the
    // machine as the user types.
    void fillRemotePicker(QuickPickCard *picker, const RemoteFileList &list, const QString &label,
                          const std::shared_ptr<SSHClient> &client, const QString &root);
    // What is known of the machines' places and listings, and forgetting it, so that both are
    // asked again.
    int knownRemotePlaces() const;
    int knownRemoteListings() const;
    void forgetRemotePlaces();
    void forgetRemoteListings();

private:
    void showPicker(QuickPickCard *picker);
    void goToRemoteFile(const HostItemPtr &item);
    void listRemoteFiles(QuickPickCard *picker, const RemotePlace &place);
    // How the go-to-file card and the search panel name a place.
    QString remotePlaceLabel(const RemotePlace &place) const;

    AppDelegate &app;
    QPointer<QuickPickCard> quickPick;
    QList<IndexedFile> quickIndex;
    QDateTime quickBuiltAt;
    std::optional<QString> quickRoot;
    FileIndexer *quickIndexer = nullptr;
    QHash<QString, QString> remoteRoots; // the place of a remote folder, by host, ":" and folder
    QSet<QString> remoteRootsAsked; // keys of remoteRoots being found for followRemotePlace
    QHash<QString, CachedRemoteIndex> remoteIndexes; // by host, ":" and root
};
