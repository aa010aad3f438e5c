// Session state: what is restored at launch and written back after every change.
#include "AppDelegate.h"
#include "RemoteDocumentController.h"

#include "FileNames.h"
#include "JournalKeeper.h"
#include "remote/LocalCopies.h"
#include "common/Defaults.h"
#include "common/SafeSave.h"
#include "editor/EditorTextView.h"
#include "navigation/ExplorerView.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool isExistingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::optional<RemoteFile> storedRemoteOrigin(const QString &path)
{
    const QVariant entry = Defaults::dictionary(Defaults::RemoteFiles).value(path);
    const QStringList parts = entry.toStringList();
    if (entry.typeId() != QMetaType::QStringList && entry.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    if (parts.size() != 3)
        return std::nullopt;
    RemoteFile remote { parts[0], parts[1], std::nullopt };
    bool ok = false;
    const qint64 modified = parts[2].toLongLong(&ok);
    if (ok)
        remote.modified = modified;
    return remote;
}

}

void AppDelegate::restoreSession()
{
    // Before any file is read: a save cut short by a crash gets its old content back.
    for (const QString &path : SafeSave::recoverInterrupted())
        showNote(QStringLiteral("A save of ") + QFileInfo(path).fileName()
                 + QStringLiteral(" was cut short; its old content is back"));
    if (const auto stored = Defaults::string(Defaults::Workspace); stored && QFileInfo::exists(*stored)) {
        workspace = QDir::cleanPath(*stored);
        explorer->setRoot(*workspace, false, true);
    }
    if (const auto root = Defaults::string(Defaults::ExplorerRoot)) {
        const bool isCopy = FileNames::isAtOrUnder(*root, remoteCopiesDirectory());
        if (!isCopy && isExistingFolder(*root)) {
            const bool outside = workspace && QDir::cleanPath(*root) != *workspace;
            explorer->setRoot(*root, outside, workspace.has_value());
        }
    }
    // Unsaved work left by an editor that did not get to quit comes back in its tab, still dirty.
    std::map<QString, JournalRecord> unsaved = takeUnsaved();
    QStringList recovered;
    for (const QString &path : Defaults::stringList(Defaults::OpenFiles)) {
        if (const auto found = unsaved.find(path); found != unsaved.end()) {
            openRecovered(found->second);
            recovered << path;
            unsaved.erase(found);
            continue;
        }
        if (!QFileInfo(path).isFile())
            continue;
        loadDocument(path, false, false, false);
        restoreRemoteOrigin(path);
    }
    for (const auto &[path, record] : unsaved) {
        openRecovered(record);
        recovered << path;
    }
    noteRecovered(recovered);
    if (documents.empty())
        return;
    const auto active = Defaults::string(Defaults::ActiveFile);
    int index = active ? indexOfPath(*active) : -1;
    if (index < 0)
        index = int(documents.size()) - 1;
    activateDocument(index, true);
}

void AppDelegate::restoreRemoteOrigin(const QString &path)
{
    const auto remote = storedRemoteOrigin(path);
    if (!remote)
        return;
    for (const DocumentPtr &document : documents)
        if (document->path() == path)
            remoteDocuments().setRemoteOrigin(document, *remote);
}

void AppDelegate::persistSession()
{
    if (!isLaunched)
        return;
    QStringList open;
    for (const DocumentPtr &document : documents)
        open << document->path();
    Defaults::set(Defaults::OpenFiles, open);
    if (const DocumentPtr active = activeDocument())
        Defaults::set(Defaults::ActiveFile, active->path());
    else
        Defaults::remove(Defaults::ActiveFile);
    const QString root = explorer->root();
    if (root.isEmpty())
        Defaults::remove(Defaults::ExplorerRoot);
    else
        Defaults::set(Defaults::ExplorerRoot, root);
}
