// The window: toolbar, the two splits and their limits, the sidebar panes and the output panel.
#include "WindowController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "TabController.h"
#include "FileOperationsController.h"
#include "PlacesController.h"
#include "RemoteDocumentController.h"
#include "RemoteController.h"
#include "HistoryController.h"
#include "BlameController.h"

#include "EditorHost.h"
#include "MainWindow.h"
#include "MenuCommands.h"
#include "SessionController.h"
#include "chrome/ActivityBarView.h"
#include "chrome/HoverCards.h"
#include "chrome/TabItemView.h"
#include "chrome/StatusBarView.h"
#include "chrome/TabStripView.h"
#include "command/OutputPanelView.h"
#include "command/RemoteContext.h"
#include "common/Defaults.h"
#include "common/ScreenFit.h"
#include "common/Shortcuts.h"
#include "common/SolidBackdrop.h"
#include "common/Theme.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"
#include "editor/LineNumberGutter.h"
#include "editor/PaintScheduler.h"
#include "navigation/ExplorerView.h"
#include "git/GitLogView.h"
#include "navigation/SearchView.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/RemoteHostList.h"
#include "remote/RemoteListing.h"
#include "remote/SSHView.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int sidebarMinimum = 160;
constexpr int sidebarMaximum = 520;
constexpr int sidebarFirstWidth = 180;
constexpr int editorMinimumHeight = 120;
constexpr int panelMinimumHeight = 80;
constexpr int panelShownHeight = 200;
constexpr int tabStripHeight = 28;

const char *const paneModes[] = { "explorer", "git", "ssh", "search" };

}

WindowController::WindowController(AppDelegate &app)
    : app(app)
    , m_painter(new PaintScheduler(this))
    , noteTimer(new QTimer(this))
{
    noteTimer->setSingleShot(true);
}

WindowController::~WindowController()
{
    destroyMainWindow();
}

void WindowController::destroyMainWindow()
{
    delete m_mainWindow;
    m_mainWindow = nullptr;
}

void WindowController::buildWindow(QMenuBar *menuBar)
{
    m_mainWindow = new MainWindow();
    m_mainWindow->setObjectName(QStringLiteral("QuillmarWindow"));
    m_mainWindow->setMinimumSize(520, 280);
    m_mainWindow->onShouldClose = [this] { return app.windowShouldClose(); };
    m_mainWindow->onDrop = [this](const QList<QUrl> &urls) { app.performDrop(urls); };
    m_mainWindow->setMenuBar(menuBar);
    m_mainWindow->onPaletteChange = [this] { m_painter->paletteChanged(); };
    buildToolbar();
    m_hoverCards = new HoverCards(m_mainWindow, this);

    auto *central = new QWidget(m_mainWindow);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_activityBar = new ActivityBarView(standardActivityItems(), central);
    m_activityBar->onSelect = [this](const QString &identifier) { showPane(identifier); };
    row->addWidget(m_activityBar);

    m_split = new QSplitter(Qt::Horizontal, central);
    m_split->setObjectName(QStringLiteral("QuillmarSplit"));
    m_split->setHandleWidth(1);
    m_split->addWidget(buildSidebar());
    m_rightSplit = new QSplitter(Qt::Vertical, m_split);
    m_rightSplit->setObjectName(QStringLiteral("QuillmarRightSplit"));
    m_rightSplit->setHandleWidth(1);
    m_rightSplit->addWidget(buildEditorArea());
    m_rightSplit->addWidget(buildOutputPanel());
    m_rightSplit->setStretchFactor(0, 1);
    m_rightSplit->setStretchFactor(1, 0);
    m_rightSplit->setCollapsible(0, false);
    m_rightSplit->setCollapsible(1, true);
    connect(m_rightSplit, &QSplitter::splitterMoved, this, [this] {
        if (!m_outputPanel->isHidden() && m_rightSplit->sizes().value(1) == 0)
            setPanelHidden(true);
    });
    m_split->addWidget(m_rightSplit);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);
    m_split->setCollapsible(0, true);
    m_split->setCollapsible(1, false);
    connect(m_split, &QSplitter::splitterMoved, this, [this] {
        // Dragging the sidebar shut hides it, as the toggle would.
        if (!m_sidebar->isHidden() && m_split->sizes().value(0) == 0) {
            m_sidebar->hide();
            Defaults::set(Defaults::ExplorerHidden, true);
            updateActivityBar();
        }
    });
    row->addWidget(m_split, 1);
    m_mainWindow->setCentralWidget(central);
    restoreWindowFrame();
}

// Commands run in the workspace, or on the active document's machine.
QWidget *WindowController::buildOutputPanel()
{
    m_outputPanel = new OutputPanelView(m_rightSplit);
    m_outputPanel->setMinimumHeight(panelMinimumHeight);
    m_outputPanel->onClose = [this] { setPanelHidden(true); };
    m_outputPanel->workingDirectory = [this] { return app.fileOperations().workspace().value_or(QDir::homePath()); };
    m_outputPanel->remoteContext = [this] { return app.remote().commandContext(); };
    m_outputPanel->onFocusEditor = [this] {
        if (const DocumentPtr active = app.documents().activeDocument(); active && active->textView)
            active->textView->setFocus();
    };
    return m_outputPanel;
}

QWidget *WindowController::buildSidebar()
{
    m_sidebar = new QWidget();
    m_sidebar->setMinimumWidth(sidebarMinimum);
    m_sidebar->setMaximumWidth(sidebarMaximum);
    auto *layout = new QVBoxLayout(m_sidebar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_explorer = new ExplorerView(m_sidebar);
    m_explorer->resize(180, 600);
    m_explorer->onOpen = [this](const QString &path, bool permanent) {
        app.documents().loadDocument(path, !permanent, permanent, true);
    };
    m_explorer->onReturnToWorkspace = [this] {
        if (app.fileOperations().workspace())
            m_explorer->setRoot(*app.fileOperations().workspace(), false, true);
        app.session().persist();
    };
    m_explorer->onChange = [this] { app.session().persist(); };
    m_explorer->contextMenu = [this](const std::optional<QString> &path) { return app.fileOperations().explorerMenu(path); };
    m_explorer->onDeleteKey = [this](const QStringList &paths) { app.fileOperations().trashItems(paths); };
    m_gitLog = new GitLogView(m_sidebar);
    m_gitLog->onSelect = [this](const Commit &commit, const GitSource &root) { app.history().showCommitView(commit, root); };
    app.remote().buildPane(m_sidebar);
    m_searchView = new SearchView(m_sidebar);
    m_searchView->placeProvider = [this] { return app.places().searchPlace(); };
    m_searchView->onOpen = [this](const SearchPlace &place, const QString &path, int line) {
        if (!place.remote) {
            app.tabs().openAtLine(QDir(place.folder).filePath(path), line, true);
            return;
        }
        if (const HostItemPtr item = app.remote().hosts().itemFor(place.remote->machine))
            app.remoteDocuments().openRemoteFile(item->client, childPath(place.folder, path), true, line);
        else
            showNote(hostGoneNote());
    };
    for (QWidget *pane : std::initializer_list<QWidget *> { m_explorer, m_gitLog, app.remote().pane(), m_searchView })
        layout->addWidget(pane);
    const QString mode = Defaults::sidebarMode();
    m_explorer->setVisible(mode == QLatin1String("explorer"));
    m_gitLog->setVisible(mode == QLatin1String("git"));
    app.remote().pane()->setVisible(mode == QLatin1String("ssh"));
    m_searchView->setVisible(mode == QLatin1String("search"));
    return m_sidebar;
}

QWidget *WindowController::buildEditorArea()
{
    m_editorContainer = new QWidget();
    m_editorContainer->setMinimumHeight(editorMinimumHeight);
    auto *layout = new QVBoxLayout(m_editorContainer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabStrip = new TabStripView(m_editorContainer);
    m_tabStrip->onSelect = [this](int index) { app.tabs().activateDocument(index, true); };
    m_tabStrip->onClose = [this](int index) { app.tabs().closeTab(index); };
    m_tabStrip->onPromote = [this](int index) { app.documents().promote(index); };
    m_tabStrip->onReorderOrder = [this](const QList<int> &order) { app.tabs().onReorderOrder(order); };
    m_tabStrip->menuForTab = [this](int index) { return app.tabs().menuForTab(index); };
    m_tabStrip->onHover = [this](std::optional<int> index, TabItemView *tab) { app.tabs().hoverTab(index, tab); };
    layout->addWidget(m_tabStrip, 0, Qt::AlignLeft);
    m_findBar = new FindBar(m_editorContainer);
    layout->addWidget(m_findBar);
    m_scrollView = new EditorHost(m_editorContainer);
    layout->addWidget(m_scrollView, 1);
    auto *gutterLayout = new QHBoxLayout(m_scrollView->gutterSlot());
    gutterLayout->setContentsMargins(0, 0, 0, 0);
    m_lineRuler = new LineNumberGutter(m_scrollView->gutterSlot());
    gutterLayout->addWidget(m_lineRuler);
    m_lineRuler->setFontSize(Defaults::fontSize());
    m_lineRuler->setBookmarkProvider([this] {
        const DocumentPtr active = app.documents().activeDocument();
        return active && !active->historyIndex ? active->bookmarks : std::vector<qsizetype>();
    });
    m_statusBar = new StatusBarView(m_editorContainer);
    m_statusBar->onBlameClick = [this] { app.blame().showDetails(); };
    m_statusBar->onRemoteClick = [this] { app.remote().connectActiveHost(); };
    layout->addWidget(m_statusBar);
    m_emptyView = new EditorTextView();
    m_emptyView->setReadOnly(true);
    m_emptyView->setFileText(QStringLiteral("Drop a file or a folder here, or press ")
                            + shortcutText(QKeySequence(QKeySequence::Open)));
    m_emptyView->onDrop = [this](const QList<QUrl> &urls) { app.performDrop(urls); };
    return m_editorContainer;
}

void WindowController::buildToolbar()
{
    auto *toolbar = new QToolBar(m_mainWindow);
    toolbar->setObjectName(QStringLiteral("QuillmarToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setIconSize(QSize(18, 18));
    toolbar->toggleViewAction()->setVisible(false);
    m_mainWindow->setContextMenuPolicy(Qt::NoContextMenu);
    const QColor tint = Theme::label(m_mainWindow->palette());
    const auto item = [&](const char *name, const QString &label, const QString &tip, const QString &symbol) {
        QAction *action = toolbar->addAction(Theme::symbolIcon(symbol, tint, 18), label);
        action->setObjectName(QLatin1String(name));
        action->setToolTip(tip);
        return action;
    };
    const auto tip = [](const QString &text, const QKeySequence &keys) {
        return text + QStringLiteral(" (") + shortcutText(keys) + QStringLiteral(")");
    };
    connect(item("QuillmarSidebar", "Explorer", tip("Show or hide the Explorer", QKeySequence("Ctrl+Meta+S")), "sidebar.left"),
            &QAction::triggered, this, [this] { toggleSidebar(); });
    QAction *older = item("QuillmarBack", "Older", tip("Older version from git", QKeySequence("Ctrl+[")), "chevron.left");
    QAction *newer = item("QuillmarForward", "Newer", tip("Newer version", QKeySequence("Ctrl+]")), "chevron.right");
    connect(older, &QAction::triggered, this, [this] { app.history().step(1); });
    connect(newer, &QAction::triggered, this, [this] { app.history().step(-1); });
    app.menus().enableAlong(older, QStringLiteral("History"), QStringLiteral("Older Version"));
    app.menus().enableAlong(newer, QStringLiteral("History"), QStringLiteral("Newer Version"));
    auto *left = new QWidget(toolbar);
    left->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(left);
    m_subtitleLabel = new QLabel(toolbar);
    m_subtitleLabel->setObjectName(QStringLiteral("QuillmarSubtitle"));
    QPalette subtle = m_subtitleLabel->palette();
    subtle.setColor(QPalette::WindowText, Theme::secondaryLabel(subtle));
    m_subtitleLabel->setPalette(subtle);
    toolbar->addWidget(m_subtitleLabel);
    auto *right = new QWidget(toolbar);
    right->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(right);
    connect(item("QuillmarNew", "New", tip("New file", QKeySequence::New), "square.and.pencil"), &QAction::triggered,
            this, [this] { app.fileOperations().newItem(false); });
    connect(item("QuillmarOpen", "Open", tip("Open a file or folder", QKeySequence::Open), "folder"),
            &QAction::triggered, this, [this] { app.openDocument(); });
    connect(item("QuillmarFind", "Find", tip("Find in this file", QKeySequence::Find), "magnifyingglass"),
            &QAction::triggered, this, [this] { app.places().showFindBar(false); });
    m_mainWindow->addToolBar(Qt::TopToolBarArea, toolbar);
}

void WindowController::restoreWindowFrame()
{
    const QByteArray frame = Defaults::bytes(Defaults::WindowFrame);
    if (!frame.isEmpty() && m_mainWindow->restoreGeometry(frame)) {
        // A frame from a screen that is gone, or a hand-edited one, must still be reachable.
        QList<QRect> screens;
        for (const QScreen *screen : QGuiApplication::screens())
            screens << screen->availableGeometry();
        const QRect restored = m_mainWindow->geometry();
        const QRect fitted = fitOnScreens(restored, screens);
        if (fitted != restored)
            m_mainWindow->setGeometry(fitted);
    } else {
        m_mainWindow->resize(1000, 700);
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect area = m_mainWindow->frameGeometry();
            area.moveCenter(screen->availableGeometry().center());
            m_mainWindow->move(area.topLeft());
        }
    }
    const QByteArray mainState = Defaults::bytes(Defaults::MainSplit);
    if (mainState.isEmpty() || !m_split->restoreState(mainState))
        m_split->setSizes({ sidebarFirstWidth, 1000 - sidebarFirstWidth });
    const QByteArray rightState = Defaults::bytes(Defaults::RightSplit);
    panelSized = !rightState.isEmpty() && m_rightSplit->restoreState(rightState);
}

void WindowController::saveWindowFrame()
{
    if (!m_mainWindow)
        return;
    Defaults::set(Defaults::WindowFrame, m_mainWindow->saveGeometry());
    Defaults::set(Defaults::MainSplit, m_split->saveState());
    // A hidden panel has no height worth keeping; the last shown one stays stored.
    if (!m_outputPanel->isHidden())
        Defaults::set(Defaults::RightSplit, m_rightSplit->saveState());
}

void WindowController::restoreSidebarAtLaunch()
{
    m_sidebar->setHidden(Defaults::explorerHidden());
    if (!m_sidebar->isHidden() && m_split->sizes().value(0) < sidebarMinimum)
        widenSidebarIfNarrower(sidebarMinimum);
    updateActivityBar();
    refreshShownPane(false);
}

void WindowController::restorePanelAtLaunch()
{
    m_outputPanel->setHidden(Defaults::panelHidden());
    m_outputPanel->refreshFolderLabel();
    if (!m_outputPanel->isHidden())
        raisePanelIfShorter();
}

void WindowController::widenSidebarIfNarrower(int threshold)
{
    QList<int> sizes = m_split->sizes();
    if (sizes.size() != 2 || sizes[0] >= threshold)
        return;
    const int total = sizes[0] + sizes[1];
    m_split->setSizes({ sidebarFirstWidth, std::max(0, total - sidebarFirstWidth) });
}

void WindowController::raisePanelIfShorter()
{
    QList<int> sizes = m_rightSplit->sizes();
    // A panel never shown has no height of its own yet.
    if (sizes.size() != 2 || (panelSized && sizes[1] >= panelMinimumHeight))
        return;
    panelSized = true;
    const int total = sizes[0] + sizes[1];
    m_rightSplit->setSizes({ std::max(0, total - panelShownHeight), panelShownHeight });
}

bool WindowController::isSidebarHidden() const { return m_sidebar->isHidden(); }
bool WindowController::isPanelHidden() const { return m_outputPanel->isHidden(); }

void WindowController::updateActivityBar()
{
    const QString mode = Defaults::sidebarMode();
    for (const char *identifier : paneModes)
        m_activityBar->setActive(QLatin1String(identifier),
                               !m_sidebar->isHidden() && mode == QLatin1String(identifier));
    app.validateMenus();
}

void WindowController::showPane(const QString &mode)
{
    Defaults::set(Defaults::SidebarMode, mode);
    m_explorer->setVisible(mode == QLatin1String("explorer"));
    m_gitLog->setVisible(mode == QLatin1String("git"));
    app.remote().pane()->setVisible(mode == QLatin1String("ssh"));
    m_searchView->setVisible(mode == QLatin1String("search"));
    if (m_sidebar->isHidden()) {
        m_sidebar->show();
        Defaults::set(Defaults::ExplorerHidden, false);
        widenSidebarIfNarrower(100);
    }
    updateActivityBar();
    if (mode == QLatin1String("search"))
        m_searchView->prepare();
    refreshShownPane(true);
}

void WindowController::toggleSidebar()
{
    const bool hide = !m_sidebar->isHidden();
    m_sidebar->setHidden(hide);
    Defaults::set(Defaults::ExplorerHidden, hide);
    if (!hide) {
        widenSidebarIfNarrower(100);
        refreshShownPane(true);
    }
    updateActivityBar();
}

// The git log and the machines' liveness are read when their pane comes into view.
void WindowController::refreshShownPane(bool showing)
{
    if (m_sidebar->isHidden())
        return;
    const QString mode = Defaults::sidebarMode();
    if (mode == QLatin1String("git"))
        m_gitLog->load(app.places().gitPlace());
    else if (mode == QLatin1String("ssh") && showing)
        app.remote().hosts().checkEveryHost();
}

void WindowController::setPanelHidden(bool hidden)
{
    m_outputPanel->setHidden(hidden);
    Defaults::set(Defaults::PanelHidden, hidden);
    app.validateMenus();
    if (!hidden) {
        raisePanelIfShorter();
        m_outputPanel->prepare();
        return;
    }
    if (const DocumentPtr active = app.documents().activeDocument(); active && active->textView)
        active->textView->setFocus();
}

void WindowController::showEmptyView()
{
    m_emptyView->setWordWrap(Defaults::wrap());
    m_scrollView->install(m_emptyView);
    m_scrollView->gutterSlot()->hide();
    m_lineRuler->setTextView(nullptr);
    m_painter->showNothing();
    m_findBar->setTextView(nullptr);
}
