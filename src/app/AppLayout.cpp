// The window: toolbar, the two splits and their limits, the sidebar panes and the output panel.
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

void AppDelegate::buildWindow()
{
    window = new MainWindow();
    window->setObjectName(QStringLiteral("QuillmarWindow"));
    window->setMinimumSize(520, 280);
    window->onShouldClose = [this] { return windowShouldClose(); };
    window->onDrop = [this](const QList<QUrl> &urls) { performDrop(urls); };
    window->setMenuBar(menuBar);
    window->onPaletteChange = [this] { painter->paletteChanged(); };
    buildToolbar();
    hoverCards = new HoverCards(window, this);

    auto *central = new QWidget(window);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    activityBar = new ActivityBarView(standardActivityItems(), central);
    activityBar->onSelect = [this](const QString &identifier) { showPane(identifier); };
    row->addWidget(activityBar);

    split = new QSplitter(Qt::Horizontal, central);
    split->setObjectName(QStringLiteral("QuillmarSplit"));
    split->setHandleWidth(1);
    split->addWidget(buildSidebar());
    rightSplit = new QSplitter(Qt::Vertical, split);
    rightSplit->setObjectName(QStringLiteral("QuillmarRightSplit"));
    rightSplit->setHandleWidth(1);
    rightSplit->addWidget(buildEditorArea());
    outputPanel = new OutputPanelView(rightSplit);
    outputPanel->setMinimumHeight(panelMinimumHeight);
    outputPanel->onClose = [this] { setPanelHidden(true); };
    outputPanel->workingDirectory = [this] { return workspace.value_or(QDir::homePath()); };
    outputPanel->remoteContext = [this] { return remote().commandContext(); };
    outputPanel->onFocusEditor = [this] {
        if (const DocumentPtr active = documents().activeDocument(); active && active->textView)
            active->textView->setFocus();
    };
    rightSplit->addWidget(outputPanel);
    rightSplit->setStretchFactor(0, 1);
    rightSplit->setStretchFactor(1, 0);
    rightSplit->setCollapsible(0, false);
    rightSplit->setCollapsible(1, true);
    connect(rightSplit, &QSplitter::splitterMoved, this, [this] {
        if (!outputPanel->isHidden() && rightSplit->sizes().value(1) == 0)
            setPanelHidden(true);
    });
    split->addWidget(rightSplit);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setCollapsible(0, true);
    split->setCollapsible(1, false);
    connect(split, &QSplitter::splitterMoved, this, [this] {
        // Dragging the sidebar shut hides it, as the toggle would.
        if (!sidebar->isHidden() && split->sizes().value(0) == 0) {
            sidebar->hide();
            Defaults::set(Defaults::ExplorerHidden, true);
            updateActivityBar();
        }
    });
    row->addWidget(split, 1);
    window->setCentralWidget(central);
    restoreWindowFrame();
}

QWidget *AppDelegate::buildSidebar()
{
    sidebar = new QWidget();
    sidebar->setMinimumWidth(sidebarMinimum);
    sidebar->setMaximumWidth(sidebarMaximum);
    auto *layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    explorer = new ExplorerView(sidebar);
    explorer->resize(180, 600);
    explorer->onOpen = [this](const QString &path, bool permanent) {
        documents().loadDocument(path, !permanent, permanent, true);
    };
    explorer->onReturnToWorkspace = [this] {
        if (workspace)
            explorer->setRoot(*workspace, false, true);
        session().persist();
    };
    explorer->onChange = [this] { session().persist(); };
    explorer->contextMenu = [this](const std::optional<QString> &path) { return fileOperations().explorerMenu(path); };
    explorer->onDeleteKey = [this](const QStringList &paths) { fileOperations().trashItems(paths); };
    gitLog = new GitLogView(sidebar);
    gitLog->onSelect = [this](const Commit &commit, const GitSource &root) { history().showCommitView(commit, root); };
    remote().buildPane(sidebar);
    searchView = new SearchView(sidebar);
    searchView->placeProvider = [this] { return places().searchPlace(); };
    searchView->onOpen = [this](const SearchPlace &place, const QString &path, int line) {
        if (!place.remote) {
            tabs().openAtLine(QDir(place.folder).filePath(path), line, true);
            return;
        }
        if (const HostItemPtr item = remote().hosts().itemFor(place.remote->machine))
            remoteDocuments().openRemoteFile(item->client, childPath(place.folder, path), true, line);
        else
            showNote(hostGoneNote());
    };
    for (QWidget *pane : std::initializer_list<QWidget *> { explorer, gitLog, remote().pane(), searchView })
        layout->addWidget(pane);
    const QString mode = Defaults::sidebarMode();
    explorer->setVisible(mode == QLatin1String("explorer"));
    gitLog->setVisible(mode == QLatin1String("git"));
    remote().pane()->setVisible(mode == QLatin1String("ssh"));
    searchView->setVisible(mode == QLatin1String("search"));
    return sidebar;
}

QWidget *AppDelegate::buildEditorArea()
{
    editorContainer = new QWidget();
    editorContainer->setMinimumHeight(editorMinimumHeight);
    auto *layout = new QVBoxLayout(editorContainer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabStrip = new TabStripView(editorContainer);
    tabStrip->onSelect = [this](int index) { tabs().activateDocument(index, true); };
    tabStrip->onClose = [this](int index) { tabs().closeTab(index); };
    tabStrip->onPromote = [this](int index) { documents().promote(index); };
    tabStrip->onReorderOrder = [this](const QList<int> &order) { tabs().onReorderOrder(order); };
    tabStrip->menuForTab = [this](int index) { return tabs().menuForTab(index); };
    tabStrip->onHover = [this](std::optional<int> index, TabItemView *tab) { tabs().hoverTab(index, tab); };
    layout->addWidget(tabStrip, 0, Qt::AlignLeft);
    findBar = new FindBar(editorContainer);
    layout->addWidget(findBar);
    scrollView = new EditorHost(editorContainer);
    layout->addWidget(scrollView, 1);
    auto *gutterLayout = new QHBoxLayout(scrollView->gutterSlot());
    gutterLayout->setContentsMargins(0, 0, 0, 0);
    lineRuler = new LineNumberGutter(scrollView->gutterSlot());
    gutterLayout->addWidget(lineRuler);
    lineRuler->setFontSize(Defaults::fontSize());
    lineRuler->setBookmarkProvider([this] {
        const DocumentPtr active = documents().activeDocument();
        return active && !active->historyIndex ? active->bookmarks : std::vector<qsizetype>();
    });
    statusBar = new StatusBarView(editorContainer);
    statusBar->onBlameClick = [this] { blame().showDetails(); };
    statusBar->onRemoteClick = [this] { remote().connectActiveHost(); };
    layout->addWidget(statusBar);
    emptyView = new EditorTextView();
    emptyView->setReadOnly(true);
    emptyView->setFileText(QStringLiteral("Drop a file or a folder here, or press ")
                            + shortcutText(QKeySequence(QKeySequence::Open)));
    emptyView->onDrop = [this](const QList<QUrl> &urls) { performDrop(urls); };
    return editorContainer;
}

void AppDelegate::buildToolbar()
{
    auto *toolbar = new QToolBar(window);
    toolbar->setObjectName(QStringLiteral("QuillmarToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setIconSize(QSize(18, 18));
    toolbar->toggleViewAction()->setVisible(false);
    window->setContextMenuPolicy(Qt::NoContextMenu);
    const QColor tint = Theme::label(window->palette());
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
    connect(older, &QAction::triggered, this, [this] { history().step(1); });
    connect(newer, &QAction::triggered, this, [this] { history().step(-1); });
    menuCommands->enableAlong(older, QStringLiteral("History"), QStringLiteral("Older Version"));
    menuCommands->enableAlong(newer, QStringLiteral("History"), QStringLiteral("Newer Version"));
    auto *left = new QWidget(toolbar);
    left->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(left);
    subtitleLabel = new QLabel(toolbar);
    subtitleLabel->setObjectName(QStringLiteral("QuillmarSubtitle"));
    QPalette subtle = subtitleLabel->palette();
    subtle.setColor(QPalette::WindowText, Theme::secondaryLabel(subtle));
    subtitleLabel->setPalette(subtle);
    toolbar->addWidget(subtitleLabel);
    auto *right = new QWidget(toolbar);
    right->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar->addWidget(right);
    connect(item("QuillmarNew", "New", tip("New file", QKeySequence::New), "square.and.pencil"), &QAction::triggered,
            this, [this] { fileOperations().newItem(false); });
    connect(item("QuillmarOpen", "Open", tip("Open a file or folder", QKeySequence::Open), "folder"),
            &QAction::triggered, this, [this] { openDocument(); });
    connect(item("QuillmarFind", "Find", tip("Find in this file", QKeySequence::Find), "magnifyingglass"),
            &QAction::triggered, this, [this] { places().showFindBar(false); });
    window->addToolBar(Qt::TopToolBarArea, toolbar);
}

void AppDelegate::restoreWindowFrame()
{
    const QByteArray frame = Defaults::bytes(Defaults::WindowFrame);
    if (!frame.isEmpty() && window->restoreGeometry(frame)) {
        // A frame from a screen that is gone, or a hand-edited one, must still be reachable.
        QList<QRect> screens;
        for (const QScreen *screen : QGuiApplication::screens())
            screens << screen->availableGeometry();
        const QRect restored = window->geometry();
        const QRect fitted = fitOnScreens(restored, screens);
        if (fitted != restored)
            window->setGeometry(fitted);
    } else {
        window->resize(1000, 700);
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect area = window->frameGeometry();
            area.moveCenter(screen->availableGeometry().center());
            window->move(area.topLeft());
        }
    }
    const QByteArray mainState = Defaults::bytes(Defaults::MainSplit);
    if (mainState.isEmpty() || !split->restoreState(mainState))
        split->setSizes({ sidebarFirstWidth, 1000 - sidebarFirstWidth });
    const QByteArray rightState = Defaults::bytes(Defaults::RightSplit);
    panelSized = !rightState.isEmpty() && rightSplit->restoreState(rightState);
}

void AppDelegate::saveWindowFrame()
{
    if (!window)
        return;
    Defaults::set(Defaults::WindowFrame, window->saveGeometry());
    Defaults::set(Defaults::MainSplit, split->saveState());
    // A hidden panel has no height worth keeping; the last shown one stays stored.
    if (!outputPanel->isHidden())
        Defaults::set(Defaults::RightSplit, rightSplit->saveState());
}

void AppDelegate::restoreSidebarAtLaunch()
{
    sidebar->setHidden(Defaults::explorerHidden());
    if (!sidebar->isHidden() && split->sizes().value(0) < sidebarMinimum)
        widenSidebarIfNarrower(sidebarMinimum);
    updateActivityBar();
    refreshShownPane(false);
}

void AppDelegate::restorePanelAtLaunch()
{
    outputPanel->setHidden(Defaults::panelHidden());
    outputPanel->refreshFolderLabel();
    if (!outputPanel->isHidden())
        raisePanelIfShorter();
}

void AppDelegate::widenSidebarIfNarrower(int threshold)
{
    QList<int> sizes = split->sizes();
    if (sizes.size() != 2 || sizes[0] >= threshold)
        return;
    const int total = sizes[0] + sizes[1];
    split->setSizes({ sidebarFirstWidth, std::max(0, total - sidebarFirstWidth) });
}

void AppDelegate::raisePanelIfShorter()
{
    QList<int> sizes = rightSplit->sizes();
    // A panel never shown has no height of its own yet.
    if (sizes.size() != 2 || (panelSized && sizes[1] >= panelMinimumHeight))
        return;
    panelSized = true;
    const int total = sizes[0] + sizes[1];
    rightSplit->setSizes({ std::max(0, total - panelShownHeight), panelShownHeight });
}

bool AppDelegate::isSidebarHidden() const { return sidebar->isHidden(); }
bool AppDelegate::isPanelHidden() const { return outputPanel->isHidden(); }

void AppDelegate::updateActivityBar()
{
    const QString mode = Defaults::sidebarMode();
    for (const char *identifier : paneModes)
        activityBar->setActive(QLatin1String(identifier),
                               !sidebar->isHidden() && mode == QLatin1String(identifier));
    validateMenus();
}

void AppDelegate::showPane(const QString &mode)
{
    Defaults::set(Defaults::SidebarMode, mode);
    explorer->setVisible(mode == QLatin1String("explorer"));
    gitLog->setVisible(mode == QLatin1String("git"));
    remote().pane()->setVisible(mode == QLatin1String("ssh"));
    searchView->setVisible(mode == QLatin1String("search"));
    if (sidebar->isHidden()) {
        sidebar->show();
        Defaults::set(Defaults::ExplorerHidden, false);
        widenSidebarIfNarrower(100);
    }
    updateActivityBar();
    if (mode == QLatin1String("search"))
        searchView->prepare();
    refreshShownPane(true);
}

void AppDelegate::toggleSidebar()
{
    const bool hide = !sidebar->isHidden();
    sidebar->setHidden(hide);
    Defaults::set(Defaults::ExplorerHidden, hide);
    if (!hide) {
        widenSidebarIfNarrower(100);
        refreshShownPane(true);
    }
    updateActivityBar();
}

// The git log and the machines' liveness are read when their pane comes into view.
void AppDelegate::refreshShownPane(bool showing)
{
    if (sidebar->isHidden())
        return;
    const QString mode = Defaults::sidebarMode();
    if (mode == QLatin1String("git"))
        gitLog->load(places().gitPlace());
    else if (mode == QLatin1String("ssh") && showing)
        remote().hosts().checkEveryHost();
}

void AppDelegate::setPanelHidden(bool hidden)
{
    outputPanel->setHidden(hidden);
    Defaults::set(Defaults::PanelHidden, hidden);
    validateMenus();
    if (!hidden) {
        raisePanelIfShorter();
        outputPanel->prepare();
        return;
    }
    if (const DocumentPtr active = documents().activeDocument(); active && active->textView)
        active->textView->setFocus();
}

void AppDelegate::showEmptyView()
{
    emptyView->setWordWrap(Defaults::wrap());
    scrollView->install(emptyView);
    scrollView->gutterSlot()->hide();
    lineRuler->setTextView(nullptr);
    painter->showNothing();
    findBar->setTextView(nullptr);
}
