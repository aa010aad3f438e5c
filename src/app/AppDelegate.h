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
class BlameHoverCard;
class EditorHost;
class EditorTextView;
class FileHoverCard;
class HoverCards;
class LineNumberGutter;
class PaintScheduler;
class SearchView;
class FindBar;
class DiskWatcher;
class SettingsView;
class CommitView;
class GitLogView;
class GitSource;
class SSHClient;
class SSHView;
struct RemoteContext;
struct RemoteRead;
class RemoteHostList;
struct HostItem;
using HostItemPtr = std::shared_ptr<HostItem>;
struct CardText;
struct RemoteHost;
struct SaveOutcome;
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

    // Operations used across the application.
    void persistSession();
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
    // Tabs, title, Explorer marks, journal and session follow a change in the open documents.
    void documentsChanged();
    // The side pane shows the active place again; showing: it was just brought up.
    void refreshShownPane(bool showing);

    PlacesController &places() const;
    FileOperationsController &fileOperations() const;

    bool loadDocument(const QString &path, bool preview, bool focus, bool activate);
    bool openLoaded(const QString &path, LoadedText loaded, bool preview, bool focus, bool activate);
    // A file's text as a document gets it; without it, the note that says why.
    static std::optional<LoadedText> readText(const QString &path, QString *failureNote);
    // Stops the document's running read; a tab still waiting for its first text closes.
    void cancelLoading(const DocumentPtr &document);
    void performDrop(const QList<QUrl> &urls);
    void promote(int index);
    void activateDocument(int index, bool focus);
    void rememberPlace();
    void closeDocument(const DocumentPtr &document);
    void closeTab(int index);
    void closeGroup(const DocumentPtr &anchor, bool onlyToTheRight);
    void reopenClosedTab();
    void stepTab(int delta); // Next Tab (+1) and Previous Tab (-1), wrapping around
    void onReorderOrder(const QList<int> &order);
    void closeTabOrWindow();
    QMenu *menuForTab(int index);
    QString relativePath(const OpenDocument &document) const;
    void revealInFileManager(const QString &path);
    void revealInExplorer(const QString &path);
    bool openAtLine(const QString &path, int line, bool preview);

    // File operations.
    void openDocument();
    void openFolder();

    // Editing commands.
    bool doCommand(EditorTextView *view, int command, QChar closer);
    void indentLines(EditorTextView *view, bool outdent);
    void setFontSize(double size);
    void stepFontSize(int step); // +1 Bigger, -1 Smaller, 0 Actual Size
    void setIndentWidth(int width);
    void toggleSetting(const char *key, bool fallback);
    void undoOrRedo(bool redo);
    void holdEditorPlace();

    // Bookmarks.
    void toggleBookmark();
    void stepBookmark(bool forward); // Next Bookmark and Previous Bookmark
    void storeBookmarks(const OpenDocument &document);
    void restoreBookmarks(OpenDocument &document, const QList<int> &lines);
    QList<int> storedBookmarkLines(const QString &path) const;
    bool hasBookmarks() const;

    // Blame of the caret's line.
    void updateCaretBlame();
    void showCaretBlame();
    void clearBlameDisplay();
    void showBlameDetails();
    void markAllBlameStale();
    std::optional<BlameInfo> blameInfo;
    std::optional<int> blameLine;
    QPointer<BlameHoverCard> hoverCard;
    std::unique_ptr<HoverCards::EditorHover> blameHover;
    QHash<QString, QString> messages; // full commit messages by sha

    // Remote machines.
    void connectOverSSH();
    void openRemoteFilePrompt(const HostItemPtr &item = nullptr);
    void openRemoteFile(const std::shared_ptr<SSHClient> &client, const QString &path, bool preview,
                        std::optional<int> line = std::nullopt);
    void finishRemoteOpen(const std::shared_ptr<SSHClient> &client, const QString &path, const RemoteRead &read,
                          LoadedText loaded, bool preview, std::optional<int> line);
    void showLine(OpenDocument &document, int line);
    std::shared_ptr<SSHClient> clientFor(const QString &hostID) const;
    bool isHostAlive(const QString &hostID) const;
    void connectHost(const HostItemPtr &item);
    void connectActiveHost();
    std::optional<RemoteContext> commandContext() const;
    void fillConnectionsMenu(QMenu *menu);
    void fillHostMenu(QMenu *menu, const HostItemPtr &item);
    std::unique_ptr<RemoteHostList> remoteHosts;

    // Saving and changes on disk.
    bool saveFile(const DocumentPtr &document, bool force, std::function<void(bool)> completion = {});
    void saveInTurn(std::vector<DocumentPtr> pending, std::function<void(bool)> done);
    void saveDocument();
    void saveAll();
    void reloadDocument(const DocumentPtr &document);
    bool changedSinceRead(const OpenDocument &document) const;

    DocumentPtr activeDocument() const;
    int indexOfPath(const QString &path) const;
    QSet<QString> dirtyPaths() const;
    std::vector<DocumentPtr> dirtyDocuments() const;
    QString diskNote(const OpenDocument &document) const;
    bool isSidebarHidden() const;
    bool isPanelHidden() const;

    // The window and its views.
    MainWindow *window = nullptr;
    QSplitter *split = nullptr;
    ExplorerView *explorer = nullptr;
    GitLogView *gitLog = nullptr;
    SSHView *sshView = nullptr;
    SearchView *searchView = nullptr;
    QWidget *sidebar = nullptr;
    QWidget *editorContainer = nullptr;
    QSplitter *rightSplit = nullptr;
    OutputPanelView *outputPanel = nullptr;
    EditorHost *scrollView = nullptr;
    LineNumberGutter *lineRuler = nullptr;
    StatusBarView *statusBar = nullptr;
    SettingsView *settingsView = nullptr;
    // File history: older versions of the active file in a view of their own.
    void stepHistory(int delta);
    void leaveHistory();
    QString historyNote(const OpenDocument &document) const;
    QPointer<EditorTextView> historyView;
    // The commit over the editor, and which one it shows.
    CommitView *commitView = nullptr;
    std::optional<Commit> shownCommit;
    void showCommitView(const Commit &commit, const GitSource &root);
    void showCommit(const QString &folder, const QString &sha);
    void closeCommitView();
    bool isCommitViewShown() const;
    PaintScheduler *painter = nullptr;
    FindBar *findBar = nullptr;
    TabStripView *tabStrip = nullptr;
    ActivityBarView *activityBar = nullptr;
    HoverCards *hoverCards = nullptr;
    EditorTextView *emptyView = nullptr;
    QLabel *subtitleLabel = nullptr;

    // The model.
    std::vector<DocumentPtr> documents;
    int activeIndex = -1;
    std::weak_ptr<OpenDocument> shown;
    std::optional<QString> workspace;
    std::vector<QUrl> closedTabs;
    QPointer<InlineCard> card;
    QDateTime settleUntil;
    QPoint settleOrigin;
    std::optional<QString> statusText;
    int statusToken = 0;
    bool isLaunched = false;
    QList<QUrl> pendingOpens;
    std::unique_ptr<JournalKeeper> journal; // unsaved documents, on disk within a second
    DiskWatcher *diskWatcher = nullptr;

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
    void showEmptyView();

    // Session.
    void restoreSession();
    void restoreRemoteOrigin(const QString &path);
    // Unsaved work kept across crashes and kills.
    void startJournal();
    std::map<QString, JournalRecord> takeUnsaved();
    void openRecovered(const JournalRecord &record);
    void noteRecovered(const QStringList &paths);

    // Documents.
    DocumentPtr makeDocument(const QString &path, TextEncoding encoding);
    void fillDocument(OpenDocument &document, LoadedText loaded);
    void noteVeryLongLines(const OpenDocument &document);
    void showDocument(const DocumentPtr &document, bool preview, bool focus, bool activate);
    // Reads the file on a worker while the view shows how far it got; then runs on the main
    // thread unless the document was closed, cancelled or read again meanwhile.
    void startLoading(const DocumentPtr &document, qint64 size, bool opening,
                      std::function<void(const DocumentPtr &, FileLoad)> then);
    void takeReloaded(const DocumentPtr &document, LoadedText loaded);
    void placeDocument(const DocumentPtr &document, bool preview);
    void watchEdits(const DocumentPtr &document);
    void watchEditingKeys(EditorTextView *view);
    // Changes on disk.
    void watchDisk();
    void updateDiskWatches();
    // Reloads clean documents whose files changed; marks dirty ones changed on disk.
    void checkDocumentsOnDisk();
    // changed: the watched paths that changed; empty when anything may have.
    void diskChanged(const QSet<QString> &changed);
    void followEditWithBookmarks(OpenDocument &document, int location, int removed, int added);
    InlineCard *cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions, int keepsOpen);
    void watchRemoteHosts();
    void buildRemotePane(QWidget *sidebar);
    void showRevision(int index, bool fromLive);
    void showVersionText(const DocumentPtr &document, int index, const QString &text);
    void removeHost(const HostItemPtr &item);
    void connectFinished(const HostItemPtr &item);
    void hostIDChanged(const QString &oldID, const QString &newID);
    void addFolderToHost(const HostItemPtr &item);
    void renameHost(const HostItemPtr &item);
    void editHost(const HostItemPtr &item);
    void attachBlame(const DocumentPtr &document);
    void watchBlameHover();
    void showBlameHoverCard(const QRect &annotation);
    void setAnnotation(const DocumentPtr &document, std::optional<EditorTextView::Annotation> annotation);
    void trustHost(const HostItemPtr &item);
    void setRemoteOrigin(const DocumentPtr &document, const RemoteFile &origin);
    void rememberRemoteOrigin(const OpenDocument &document);
    bool saveRemoteDocument(const DocumentPtr &document, bool force, std::function<void(bool)> completion);
    void finishRemoteSave(const DocumentPtr &document, const SaveOutcome &outcome, int editsAtStart,
                          std::function<void(bool)> completion);
    void showRemoteConflict(const DocumentPtr &document, std::function<void(bool)> completion);
    void runNextRemoteSave(const OpenDocument *document);
    // Saves of one remote document run one after another, each comparing with the time the
    // one before it left; the queue of a document with a save in flight.
    struct RemoteSaveTurns {
        bool busy = false;
        QList<std::function<void()>> waiting;
    };
    QHash<const OpenDocument *, RemoteSaveTurns> remoteSaveTurns;
    void reloadRemoteDocument(const DocumentPtr &document);
    void refreshRemoteIndicator(const DocumentPtr &active);
    void insertNewline(EditorTextView *view);
    bool outdentCloser(EditorTextView *view, QChar closer);
    void applyFontSize();
    void applyWrap(OpenDocument &document);
    void textDidChange(OpenDocument *document);
    void refreshTabStrip();
    void editorScrolled();
    void hoverTab(std::optional<int> index, QWidget *tab);
    void showLastCommit(const OpenDocument &document, FileHoverCard *card);
    void installView(OpenDocument &document);

    // Quitting.
    void terminateNow();
    bool writeLocally(OpenDocument &document, QString *error);
    void showChangedOnDiskCard(const DocumentPtr &document);

    QTimer *noteTimer = nullptr;
    QTimer *statusWork = nullptr;
    bool terminated = false;
    bool replacingText = false;
    bool panelSized = false;
    void validateMenus();
    class QMenuBar *menuBar = nullptr;
    QAction *saveAction = nullptr;
    QAction *saveAllAction = nullptr;
    QAction *reopenAction = nullptr;
    QAction *indentAction = nullptr;
    QAction *outdentAction = nullptr;
    QAction *wrapAction = nullptr;
    QAction *copyIndentAction = nullptr;
    QAction *bracesAction = nullptr;
    QList<QAction *> indentWidthActions;
    QAction *nextBookmarkAction = nullptr;
    QAction *olderAction = nullptr;
    QAction *newerAction = nullptr;
    QAction *olderItem = nullptr; // the toolbar's
    QAction *newerItem = nullptr;
    QAction *previousBookmarkAction = nullptr;
    QAction *toggleBookmarkAction = nullptr;
    QAction *nextTabAction = nullptr;
    QAction *previousTabAction = nullptr;
    QAction *toggleSidebarAction = nullptr;
    QAction *togglePanelAction = nullptr;
    std::unique_ptr<PlacesController> placesController;
    std::unique_ptr<FileOperationsController> fileOperationsController;
};
