// Go to file on a machine: the files below the place of the active remote document,
// listed once over ssh and kept for two minutes; a list cut at its limit asks the machine itself
// as the user types.
#include "AppDelegate.h"
#include "RemoteController.h"
#include "RemoteDocumentController.h"

#include "navigation/QuickPickCard.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteScripts.h"
#include "remote/SSHArguments.h"
#include "remote/SSHClient.h"
#include "remote/SSHFailure.h"
#include "remote/SSHRun.h"

#include <QLineEdit>
#include <QLocale>
#include <QPointer>

namespace {

// Said under the field, where it has room: the prompt itself must fit in the field.
QString truncatedNote()
{
    return QStringLiteral("The first ") + QLocale().toString(fileIndexLimit)
        + QStringLiteral(" are listed; typing searches them all");
}

}

// The card shows at once; the files follow once the place on the machine is known.
void AppDelegate::goToRemoteFile(const HostItemPtr &item)
{
    dismissCard();
    const QString label = shortHostLabel(item->host.destination);
    auto *picker = new QuickPickCard({}, QStringLiteral("Reading the files of ") + label + QStringLiteral("…"));
    quickPick = picker;
    const std::shared_ptr<SSHClient> client = item->client;
    picker->onChoose = [this, client](const IndexedFile &chosen) { remoteDocuments().openRemoteFile(client, chosen.url, false); };
    picker->onDismiss = [this, picker] {
        if (quickPick == picker)
            quickPick = nullptr;
    };
    picker->showIn(editorContainer);
    QPointer<QuickPickCard> guarded = picker;
    resolveRemotePlace([this, guarded](const RemotePlace &place) {
        if (guarded && quickPick == guarded)
            listRemoteFiles(guarded, place);
    });
}

void AppDelegate::listRemoteFiles(QuickPickCard *picker, const RemotePlace &place)
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
                        showNote(QStringLiteral("Couldn't list the files of ") + label + QStringLiteral(": ")
                                 + (failure ? failure->text() : unconfirmedReason(result)));
                        return;
                    }
                    remote().hosts().markAnswered(hostID(client->host));
                    const RemoteFileList list = parseRemoteFileList(*output, root, fileIndexLimit);
                    remoteIndexes.insert(key, CachedRemoteIndex { QDateTime::currentDateTimeUtc(), list });
                    if (guarded && quickPick == guarded)
                        fillRemotePicker(guarded, list, label, client, root);
                });
}

void AppDelegate::fillRemotePicker(QuickPickCard *picker, const RemoteFileList &list, const QString &label,
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
