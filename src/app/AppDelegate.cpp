#include "AppDelegate.h"
#include "DocumentController.h"
#include "TabController.h"

#include "BlameController.h"
#include "BookmarkController.h"
#include "EditingController.h"
#include "EditorHost.h"
#include "FileOperationsController.h"
#include "HistoryController.h"
#include "JournalKeeper.h"
#include "MainWindow.h"
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
    , noteTimer(new QTimer(this))
    , documentController(std::make_unique<DocumentController>(*this))
    , tabController(std::make_unique<TabController>(*this))
    , remoteController(std::make_unique<RemoteController>(*this))
    , remoteDocumentController(std::make_unique<RemoteDocumentController>(*this))
    , placesController(std::make_unique<PlacesController>(*this))
    , fileOperationsController(std::make_unique<FileOperationsController>(*this))
{
    noteTimer->setSingleShot(true);
    painter = new PaintScheduler(this);
    editingController = new EditingController(*this, this);
    connect(editingController, &EditingController::fontChanged, this, [this](const QFont &font) {
        emptyView->setFont(font);
        outputPanel->applyFont();
        lineRuler->setFontSize(font.pointSizeF());
    });
    connect(editingController, &EditingController::settingChanged, this, [this] {
        validateMenus();
        scheduleStatusRefresh();
    });
    connect(editingController, &EditingController::wrapChangedWithoutDocument, this, [this] { showEmptyView(); });
    sessionController = new SessionController(*this, this);
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
    delete window;
}

void AppDelegate::didFinishLaunching()
{
    remoteController->watchHosts();
    buildMenus();
    buildWindow();
    documents().watchDisk();
    session().restore();
    window->show();
    window->raise();
    window->activateWindow();
    tabs().settleAfterLaunch();
    // The splits know their real sizes only once the window is laid out.
    QTimer::singleShot(0, this, [this] {
        restoreSidebarAtLaunch();
        restorePanelAtLaunch();
    });
    isLaunched = true;
    session().beginPersisting();
    const QList<QUrl> queued = std::exchange(pendingOpens, {});
    if (!queued.isEmpty())
        performDrop(queued);
    if (documents().empty())
        showEmptyView();
    tabs().refreshTabStrip();
    updateTitle();
    explorer->setDirtyPaths(documents().dirtyPaths());
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
    updateTitle();
    places().refreshFileIndexIfOld();
    remoteController->hosts().checkEveryHost();
    refreshShownPane(false);
    if (explorer) {
        explorer->reload();
        if (const DocumentPtr active = documents().activeDocument())
            tabs().revealInExplorer(active->path());
    }
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

InlineCard *AppDelegate::cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions,
                                      int keepsOpen)
{
    auto holder = std::make_shared<QPointer<InlineCard>>();
    QList<Button> buttons;
    for (int i = 0; i < text.buttons.size(); ++i) {
        auto action = actions.value(i);
        buttons << Button { text.buttons[i], i == text.primary, i != keepsOpen, QKeySequence(), [holder, action] {
                               if (action)
                                   action(*holder);
                           } };
    }
    auto *newCard = new InlineCard(text.title, text.message, text.field, buttons);
    *holder = newCard;
    showCard(newCard);
    return newCard;
}
