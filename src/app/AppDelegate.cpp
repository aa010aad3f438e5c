#include "AppDelegate.h"

#include "EditorHost.h"
#include "FileOperationsController.h"
#include "JournalKeeper.h"
#include "MainWindow.h"
#include "PlacesController.h"
#include "chrome/InlineCard.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "navigation/ExplorerView.h"
#include "remote/RemoteHostList.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , noteTimer(new QTimer(this))
    , placesController(std::make_unique<PlacesController>(*this))
    , fileOperationsController(std::make_unique<FileOperationsController>(*this))
{
    noteTimer->setSingleShot(true);
    painter = new PaintScheduler(this);
    startJournal();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            didBecomeActive();
    });
}

AppDelegate::~AppDelegate()
{
    documents.clear();
    delete window;
}

void AppDelegate::didFinishLaunching()
{
    watchRemoteHosts();
    buildMenus();
    buildWindow();
    watchDisk();
    restoreSession();
    window->show();
    window->raise();
    window->activateWindow();
    settleUntil = QDateTime::currentDateTime().addSecs(3);
    // The splits know their real sizes only once the window is laid out.
    QTimer::singleShot(0, this, [this] {
        restoreSidebarAtLaunch();
        restorePanelAtLaunch();
    });
    isLaunched = true;
    const QList<QUrl> queued = std::exchange(pendingOpens, {});
    if (!queued.isEmpty())
        performDrop(queued);
    if (documents.empty())
        showEmptyView();
    refreshTabStrip();
    updateTitle();
    explorer->setDirtyPaths(dirtyPaths());
    persistSession();
}

void AppDelegate::openURLs(const QList<QUrl> &urls)
{
    if (!isLaunched) {
        pendingOpens += urls;
        return;
    }
    performDrop(urls);
}

void AppDelegate::didBecomeActive()
{
    if (!isLaunched)
        return;
    checkDocumentsOnDisk();
    markAllBlameStale();
    updateTitle();
    places().refreshFileIndexIfOld();
    if (remoteHosts)
        remoteHosts->checkEveryHost();
    refreshShownPane(false);
    if (explorer) {
        explorer->reload();
        if (const DocumentPtr active = activeDocument())
            revealInExplorer(active->path());
    }
}

DocumentPtr AppDelegate::activeDocument() const
{
    if (activeIndex < 0 || activeIndex >= int(documents.size()))
        return nullptr;
    return documents[activeIndex];
}

int AppDelegate::indexOfPath(const QString &path) const
{
    for (size_t i = 0; i < documents.size(); ++i)
        if (documents[i]->path() == path)
            return int(i);
    return -1;
}

QSet<QString> AppDelegate::dirtyPaths() const
{
    QSet<QString> paths;
    for (const DocumentPtr &document : documents)
        if (document->isDirty)
            paths.insert(QDir::cleanPath(document->path()));
    return paths;
}

std::vector<DocumentPtr> AppDelegate::dirtyDocuments() const
{
    std::vector<DocumentPtr> dirty;
    for (const DocumentPtr &document : documents)
        if (document->isDirty)
            dirty.push_back(document);
    return dirty;
}

QString AppDelegate::diskNote(const OpenDocument &document) const
{
    if (!QFileInfo::exists(document.path()))
        return QStringLiteral("Deleted on disk — %1 puts it back")
            .arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText));
    if (document.changedOnDisk)
        return QStringLiteral("Changed on disk — saving will ask what to do");
    return {};
}

void AppDelegate::showCard(InlineCard *newCard)
{
    dismissCard();
    card = newCard;
    newCard->onDismiss = [this, newCard] {
        if (card == newCard)
            card = nullptr;
    };
    newCard->showIn(editorContainer);
}

void AppDelegate::dismissCard()
{
    if (InlineCard *shownCard = card)
        shownCard->dismiss(false);
    card = nullptr;
    places().dismissPicker();
}

PlacesController &AppDelegate::places() const
{
    return *placesController;
}

FileOperationsController &AppDelegate::fileOperations() const
{
    return *fileOperationsController;
}
