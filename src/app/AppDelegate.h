#pragma once

#include "OpenDocument.h"

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class BlameController;
class BookmarkController;
class DocumentController;
class EditingController;
class FileOperationsController;
class HistoryController;
class PlacesController;
class QMenuBar;
class RemoteController;
class RemoteDocumentController;
class SessionController;
class TabController;
class WindowController;
class MenuCommands;
struct MenuCommand;

// The composition root: builds the controllers and the window, wires them together, holds the
// menu bar's table of commands and answers the platform's callbacks. Each controller keeps its
// own state; they reach one another through the accessors below.
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
    // Asks about the dirty documents (save, don't save, cancel) before continuing.
    void confirmUnsaved(const std::vector<DocumentPtr> &dirty, std::function<void()> continuation);

    // Dropped or chosen files open; a dropped folder becomes the workspace.
    void performDrop(const QList<QUrl> &urls);
    void openDocument();
    void openFolder();

    void validateMenus();
    MenuCommands &menus() const;

    WindowController &window() const;
    DocumentController &documents() const;
    TabController &tabs() const;
    SessionController &session() const;
    EditingController &editing() const;
    BlameController &blame() const;
    HistoryController &history() const;
    BookmarkController &bookmarks() const;
    RemoteController &remote() const;
    RemoteDocumentController &remoteDocuments() const;
    PlacesController &places() const;
    FileOperationsController &fileOperations() const;

private:
    void buildMenus();
    std::vector<MenuCommand> fileCommands();
    std::vector<MenuCommand> editCommands();
    std::vector<MenuCommand> viewCommands();
    std::vector<MenuCommand> navigationCommands();
    void terminateNow();

    bool terminated = false;
    bool isLaunched = false;
    QList<QUrl> pendingOpens; // files handed over before the window was up
    QMenuBar *menuBar = nullptr;
    MenuCommands *menuCommands = nullptr;
    // Declared in the reverse of the order they go in: the session's last write and the editing
    // rules outlive the rest.
    std::unique_ptr<SessionController> sessionController;
    std::unique_ptr<EditingController> editingController;
    std::unique_ptr<BlameController> blameController;
    std::unique_ptr<HistoryController> historyController;
    std::unique_ptr<BookmarkController> bookmarkController;
    std::unique_ptr<WindowController> windowController;
    std::unique_ptr<DocumentController> documentController;
    std::unique_ptr<TabController> tabController;
    std::unique_ptr<RemoteController> remoteController;
    std::unique_ptr<RemoteDocumentController> remoteDocumentController;
    std::unique_ptr<PlacesController> placesController;
    std::unique_ptr<FileOperationsController> fileOperationsController;
};
