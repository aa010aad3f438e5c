#include "AppDelegate.h"
#include "DocumentController.h"
#include "TabController.h"
#include "WindowController.h"

#include "BlameController.h"
#include "BookmarkController.h"
#include "EditingController.h"
#include "EditorHost.h"
#include "FileOperationsController.h"
#include "HistoryController.h"
#include "JournalKeeper.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "PlacesController.h"
#include "RemoteController.h"
#include "RemoteDocumentController.h"
#include "SessionController.h"
#include "chrome/InlineCard.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/LineNumberGutter.h"
#include "editor/PaintScheduler.h"
#include "navigation/ExplorerView.h"
#include "remote/CardText.h"
#include "remote/RemoteHostList.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , windowController(std::make_unique<WindowController>(*this))
    , documentController(std::make_unique<DocumentController>(*this))
    , tabController(std::make_unique<TabController>(*this))
    , remoteController(std::make_unique<RemoteController>(*this))
    , remoteDocumentController(std::make_unique<RemoteDocumentController>(*this))
    , placesController(std::make_unique<PlacesController>(*this))
    , fileOperationsController(std::make_unique<FileOperationsController>(*this))
{
    editingController = std::make_unique<EditingController>(*this);
    connect(editingController.get(), &EditingController::fontChanged, this, [this](const QFont &font) {
        window().emptyView()->setFont(font);
        window().outputPanel()->applyFont();
        window().lineRuler()->setFontSize(font.pointSizeF());
    });
    connect(editingController.get(), &EditingController::settingChanged, this, [this] {
        validateMenus();
        window().scheduleStatusRefresh();
    });
    connect(editingController.get(), &EditingController::wrapChangedWithoutDocument, this, [this] { window().showEmptyView(); });
    sessionController = std::make_unique<SessionController>(*this);
    blameController = std::make_unique<BlameController>(*this);
    historyController = std::make_unique<HistoryController>(*this);
    bookmarkController = std::make_unique<BookmarkController>(*this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            didBecomeActive();
    });
}

AppDelegate::~AppDelegate()
{
    documentController->clear();
    windowController->destroyMainWindow();
}

void AppDelegate::didFinishLaunching()
{
    remoteController->watchHosts();
    buildMenus();
    window().buildWindow(menuBar);
    documents().watchDisk();
    session().restore();
    window().mainWindow()->show();
    window().mainWindow()->raise();
    window().mainWindow()->activateWindow();
    tabs().settleAfterLaunch();
    // The splits know their real sizes only once the window is laid out.
    QTimer::singleShot(0, this, [this] {
        window().restoreSidebarAtLaunch();
        window().restorePanelAtLaunch();
    });
    isLaunched = true;
    session().beginPersisting();
    const QList<QUrl> queued = std::exchange(pendingOpens, {});
    if (!queued.isEmpty())
        performDrop(queued);
    if (documents().empty())
        window().showEmptyView();
    tabs().refreshTabStrip();
    window().updateTitle();
    window().explorer()->setDirtyPaths(documents().dirtyPaths());
    session().persist();
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
    documents().checkDocumentsOnDisk();
    blame().markAllStale();
    window().updateTitle();
    places().refreshFileIndexIfOld();
    remoteController->hosts().checkEveryHost();
    window().refreshShownPane(false);
    if (window().explorer()) {
        window().explorer()->reload();
        if (const DocumentPtr active = documents().activeDocument())
            tabs().revealInExplorer(active->path());
    }
}

SessionController &AppDelegate::session() const
{
    return *sessionController;
}

EditingController &AppDelegate::editing() const
{
    return *editingController;
}

MenuCommands &AppDelegate::menus() const
{
    return *menuCommands;
}

BlameController &AppDelegate::blame() const
{
    return *blameController;
}

HistoryController &AppDelegate::history() const
{
    return *historyController;
}

BookmarkController &AppDelegate::bookmarks() const
{
    return *bookmarkController;
}

RemoteController &AppDelegate::remote() const
{
    return *remoteController;
}

RemoteDocumentController &AppDelegate::remoteDocuments() const
{
    return *remoteDocumentController;
}

PlacesController &AppDelegate::places() const
{
    return *placesController;
}

WindowController &AppDelegate::window() const
{
    return *windowController;
}

DocumentController &AppDelegate::documents() const
{
    return *documentController;
}

TabController &AppDelegate::tabs() const
{
    return *tabController;
}

FileOperationsController &AppDelegate::fileOperations() const
{
    return *fileOperationsController;
}

