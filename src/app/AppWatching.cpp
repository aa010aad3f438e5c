// Noticing what other programs change on disk: the open documents' files, the folders the
// Explorer shows, and whatever a command of the output panel did.
#include "AppDelegate.h"

#include "DiskWatcher.h"
#include "PlacesController.h"
#include "command/OutputPanelView.h"
#include "navigation/ExplorerView.h"

#include <QFileInfo>

#include <algorithm>

void AppDelegate::watchDisk()
{
    diskWatcher = new DiskWatcher(this);
    diskWatcher->onChange = [this](const QSet<QString> &changed) { diskChanged(changed); };
    explorer->onFoldersShown = [this] { updateDiskWatches(); };
    // A command may change any file, also below folders nobody watches.
    outputPanel->onCommandFinished = [this] { diskChanged({}); };
}

void AppDelegate::updateDiskWatches()
{
    if (!diskWatcher)
        return;
    QStringList paths;
    for (const DocumentPtr &document : documents)
        paths << document->path();
    if (!explorer->root().isEmpty()) {
        paths << explorer->root();
        paths << explorer->expanded().values();
    }
    diskWatcher->watch(paths);
}

void AppDelegate::checkDocumentsOnDisk()
{
    for (const DocumentPtr &document : documents) {
        if (!document->diskDate)
            continue;
        const QFileInfo info(document->path());
        if (!info.exists() || info.lastModified() == *document->diskDate)
            continue;
        if (document->isDirty)
            document->changedOnDisk = true;
        else
            reloadDocument(document);
    }
}

void AppDelegate::diskChanged(const QSet<QString> &changed)
{
    checkDocumentsOnDisk();
    updateTitle();
    const bool onlyDocuments = !changed.isEmpty() && std::all_of(changed.begin(), changed.end(), [this](const QString &path) {
        return indexOfPath(path) >= 0;
    });
    if (onlyDocuments)
        return;
    explorer->reload();
    // Go to file lists the new files from now on: the index is built again.
    places().rebuildFileIndex();
}
