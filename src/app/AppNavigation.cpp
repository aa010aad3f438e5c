// Finding things: the find bar over the editor and the go-to-file picker.
#include "AppDelegate.h"

#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileIndex.h"
#include "navigation/QuickPickCard.h"

#include <QDateTime>

namespace {

constexpr qint64 indexMaxAgeSeconds = 30;

// Go to file looks where search and the git log look, the workspace, even while the Explorer
// shows a folder outside it; only a window without a workspace uses the Explorer's folder.
QString indexRoot(const std::optional<QString> &workspace, const QString &explorerRoot)
{
    return workspace ? *workspace : explorerRoot;
}

}

void AppDelegate::watchFileIndex()
{
    quickIndexer = new FileIndexer(this);
    quickIndexer->onBuilt = [this](const QString &root, const QList<IndexedFile> &files) {
        quickIndex = files;
        quickRoot = root;
        quickBuiltAt = QDateTime::currentDateTime();
    };
}

void AppDelegate::refreshFileIndexIfOld()
{
    if (quickBuiltAt.isValid() && quickBuiltAt.secsTo(QDateTime::currentDateTime()) <= indexMaxAgeSeconds)
        return;
    const QString root = indexRoot(workspace, explorer->root());
    if (root.isEmpty()) {
        quickIndex.clear();
        quickRoot.reset();
        quickIndexer->dropPending();
        return;
    }
    quickIndexer->rebuild(root);
}

void AppDelegate::goToFile()
{
    if (const HostItemPtr item = activeRemoteHost()) {
        goToRemoteFile(item);
        return;
    }
    const QString root = indexRoot(workspace, explorer->root());
    if (root.isEmpty()) {
        showNote(QStringLiteral("Open a folder or file first (%1)").arg(shortcutText(QKeySequence::Open)));
        return;
    }
    dismissCard();
    const QList<IndexedFile> files = quickRoot == root ? quickIndex : buildLocalIndex(root);
    auto *picker = new QuickPickCard(files, QStringLiteral("Go to file by name or path"));
    quickPick = picker;
    picker->onChoose = [this](const IndexedFile &chosen) { loadDocument(chosen.url, false, true, true); };
    picker->onDismiss = [this, picker] {
        if (quickPick == picker)
            quickPick = nullptr;
    };
    picker->showIn(editorContainer);
}

void AppDelegate::showFindBar(bool replace)
{
    if (replace)
        findBar->showReplace();
    else
        findBar->showFind();
}
