#pragma once

#include "DropPlan.h"
#include "OpenDocument.h"
#include "editor/EditorTextView.h"
#include "chrome/HoverCards.h"
#include "git/BlameInfo.h"
#include "git/Commit.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class ActivityBarView;
class JournalKeeper;
struct JournalRecord;
class BlameController;
class BookmarkController;
class EditorHost;
class EditorTextView;
class FileHoverCard;
class HoverCards;
class LineNumberGutter;
class PaintScheduler;
class SearchView;
class FindBar;
class DocumentController;
class TabController;
class SettingsView;
class HistoryController;
class GitLogView;
class GitSource;
class SSHClient;
struct HostItem;
using HostItemPtr = std::shared_ptr<HostItem>;
struct CardText;
struct RemoteHost;
class StatusBarView;
class ExplorerView;
class FileOperationsController;
class PlacesController;
class InlineCard;
class MainWindow;
class OutputPanelView;
class QLabel;
class QSplitter;
class TabStripView;
class QTimer;
class QWidget;
class QMenu;
class QAction;
struct MenuCommand;
class MenuCommands;
class EditingController;
class SessionController;
class RemoteController;
class RemoteDocumentController;

// The application controller: owns the window, its panes, the open documents and the session.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Platform callbacks.
    void didFinishLaunching();
    void openURLs(const QList<QUrl> &urls);
    void didBecomeActive();
    void requestQuit(); // the quit check; terminates when nothing is left unsaved
    bool windowShouldClose(); // the close-window check
    void willTerminate();

    // The open documents and the active one; the tabs and the document on show.
    DocumentController &documents() const;
    TabController &tabs() const;
    // The session and the journal of unsaved work.
    SessionController &session() const { return *sessionController; }

    // Operations used across the application.
    void showNote(const QString &text); // empty clears the note
    // A note from background work: it never hides a note already showing (a failed save, say).
    void showBackgroundNote(const QString &text);
    void showLastingNote(const QString &text);
    void updateTitle();
    void scheduleStatusRefresh();
    void refreshStatusBar();
    void toggleSettings();
    void closeSettings();
    void showPane(const QString &mode);
    void toggleSidebar();
    void setPanelHidden(bool hidden);
    void confirmUnsaved(const std::vector<DocumentPtr> &dirty, std::function<void()> continuation);
    void showCard(InlineCard *newCard);
    void dismissCard();
    // The side pane shows the active place again; showing: it was just brought up.
    void refreshShownPane(bool showing);

    PlacesController &places() const;
    FileOperationsController &fileOperations() const;
    InlineCard *cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions, int keepsOpen);

    void performDrop(const QList<QUrl> &urls);
    void showEmptyView();

    // File operations.
    void openDocument();
    void openFolder();

    // Editing commands, fonts and editor settings.
    EditingController &editing() const { return *editingController; }

    // Blame of the caret's line; older versions of a file and the commit view; bookmarks.
    BlameController &blame() const;
    HistoryController &history() const;
    BookmarkController &bookmarks() const;
    void validateMenus();

    // Remote machines.
    RemoteController &remote() const;
    RemoteDocumentController &remoteDocuments() const;

    QString diskNote(const OpenDocument &document) const;
    bool isSidebarHidden() const;
    bool isPanelHidden() const;

    // The window and its views.
    MainWindow *window = nullptr;
    QSplitter *split = nullptr;
    ExplorerView *explorer = nullptr;
    GitLogView *gitLog = nullptr;
    SearchView *searchView = nullptr;
    QWidget *sidebar = nullptr;
    QWidget *editorContainer = nullptr;
    QSplitter *rightSplit = nullptr;
    OutputPanelView *outputPanel = nullptr;
    EditorHost *scrollView = nullptr;
    LineNumberGutter *lineRuler = nullptr;
    StatusBarView *statusBar = nullptr;
    SettingsView *settingsView = nullptr;
    PaintScheduler *painter = nullptr;
    FindBar *findBar = nullptr;
    TabStripView *tabStrip = nullptr;
    ActivityBarView *activityBar = nullptr;
    HoverCards *hoverCards = nullptr;
    EditorTextView *emptyView = nullptr;
    QLabel *subtitleLabel = nullptr;

    // The model.
    std::optional<QString> workspace;
    QPointer<InlineCard> card;
    std::optional<QString> statusText;
    int statusToken = 0;
    bool isLaunched = false;
    QList<QUrl> pendingOpens;

private:
    // Window layout.
    void buildWindow();
    QWidget *buildSidebar();
    QWidget *buildEditorArea();
    void buildToolbar();
    void buildMenus();
    void restoreWindowFrame();
    void saveWindowFrame();
    void restoreSidebarAtLaunch();
    void restorePanelAtLaunch();
    void updateActivityBar();
    void widenSidebarIfNarrower(int threshold);
    void raisePanelIfShorter();

    std::unique_ptr<BlameController> blameController;
    std::unique_ptr<HistoryController> historyController;
    std::unique_ptr<BookmarkController> bookmarkController;

    // Quitting.
    void terminateNow();

    QTimer *noteTimer = nullptr;
    QTimer *statusWork = nullptr;
    bool terminated = false;
    bool panelSized = false;
    // The menu bar, as a table of commands with their rules.
    std::vector<MenuCommand> fileCommands();
    std::vector<MenuCommand> editCommands();
    std::vector<MenuCommand> viewCommands();
    std::vector<MenuCommand> navigationCommands();
    class QMenuBar *menuBar = nullptr;
    MenuCommands *menuCommands = nullptr;
    EditingController *editingController = nullptr;
    SessionController *sessionController = nullptr;
    std::unique_ptr<DocumentController> documentController;
    std::unique_ptr<TabController> tabController;
    std::unique_ptr<RemoteController> remoteController;
    std::unique_ptr<RemoteDocumentController> remoteDocumentController;
    std::unique_ptr<PlacesController> placesController;
    std::unique_ptr<FileOperationsController> fileOperationsController;
};
