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
class WindowController;
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

    // The window and its views; the open documents and the active one; the tabs.
    WindowController &window() const;
    DocumentController &documents() const;
    TabController &tabs() const;
    // The session and the journal of unsaved work.
    SessionController &session() const { return *sessionController; }

    void confirmUnsaved(const std::vector<DocumentPtr> &dirty, std::function<void()> continuation);

    PlacesController &places() const;
    FileOperationsController &fileOperations() const;

    void performDrop(const QList<QUrl> &urls);

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
    MenuCommands &menus() const { return *menuCommands; }

    // Remote machines.
    RemoteController &remote() const;
    RemoteDocumentController &remoteDocuments() const;

private:
    void buildMenus();

    std::unique_ptr<BlameController> blameController;
    std::unique_ptr<HistoryController> historyController;
    std::unique_ptr<BookmarkController> bookmarkController;

    // Quitting.
    void terminateNow();

    bool terminated = false;
    bool isLaunched = false;
    QList<QUrl> pendingOpens; // files handed over before the window was up
    // The menu bar, as a table of commands with their rules.
    std::vector<MenuCommand> fileCommands();
    std::vector<MenuCommand> editCommands();
    std::vector<MenuCommand> viewCommands();
    std::vector<MenuCommand> navigationCommands();
    class QMenuBar *menuBar = nullptr;
    MenuCommands *menuCommands = nullptr;
    EditingController *editingController = nullptr;
    SessionController *sessionController = nullptr;
    std::unique_ptr<WindowController> windowController;
    std::unique_ptr<DocumentController> documentController;
    std::unique_ptr<TabController> tabController;
    std::unique_ptr<RemoteController> remoteController;
    std::unique_ptr<RemoteDocumentController> remoteDocumentController;
    std::unique_ptr<PlacesController> placesController;
    std::unique_ptr<FileOperationsController> fileOperationsController;
};
