#pragma once

#include "OpenDocument.h"

#include <QHash>
#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class AppDelegate;
class SSHClient;
struct HostItem;
struct RemoteRead;
struct SaveOutcome;
using HostItemPtr = std::shared_ptr<HostItem>;

// Documents that are local copies of files on a saved machine: opening them, remembering
// where they came from, saving them back in turn, conflicts and the status bar's indicator.
class RemoteDocumentController : public QObject
{
    Q_OBJECT
public:
    explicit RemoteDocumentController(AppDelegate &app);
    ~RemoteDocumentController() override;

    // A path typed after the machine's name; the machine's first folder is offered.
    void openRemoteFilePrompt(const HostItemPtr &item = nullptr);
    void openRemoteFile(const std::shared_ptr<SSHClient> &client, const QString &path, bool preview,
        std::optional<int> line = std::nullopt);
    // The document is now a copy of that remote file.
    void setRemoteOrigin(const DocumentPtr &document, const RemoteFile &origin);
    // Always false at once: the completion tells how the save ended.
    bool saveRemoteDocument(
        const DocumentPtr &document, bool force, std::function<void(bool)> completion);
    void refreshRemoteIndicator(const DocumentPtr &active);

private:
    void finishRemoteOpen(const std::shared_ptr<SSHClient> &client, const QString &path,
        const RemoteRead &read, LoadedText loaded, bool preview, std::optional<int> line);
    void rememberRemoteOrigin(const OpenDocument &document);
    void runNextRemoteSave(const OpenDocument *document);
    void finishRemoteSave(const DocumentPtr &document, const SaveOutcome &outcome, int editsAtStart,
        std::function<void(bool)> completion);
    void showRemoteConflict(const DocumentPtr &document, std::function<void(bool)> completion);
    void reloadRemoteDocument(const DocumentPtr &document);

    AppDelegate &app;
    // Saves of one remote document run one after another, each comparing with the time the
    // one before it left; the queue of a document with a save in flight.
    struct RemoteSaveTurns {
        bool busy = false;
        QList<std::function<void()>> waiting;
    };
    QHash<const OpenDocument *, RemoteSaveTurns> remoteSaveTurns;
};
