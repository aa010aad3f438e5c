#pragma once

#include "OpenDocument.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class ActivityBarView;
class AppDelegate;
class EditorHost;
class EditorTextView;
class ExplorerView;
class FindBar;
class GitLogView;
class HoverCards;
class InlineCard;
class LineNumberGutter;
class MainWindow;
class OutputPanelView;
class PaintScheduler;
class QLabel;
class QMenuBar;
class QSplitter;
class QTimer;
class QWidget;
class SearchView;
class SettingsView;
class StatusBarView;
class TabStripView;
struct CardText;

// The window and its views: the layout with its splits and panes, the toolbar, the status bar
// and its note, the title, the inline cards over the editor and the settings pane.
class WindowController : public QObject {
    Q_OBJECT
public:
    explicit WindowController(AppDelegate &app);
    ~WindowController() override;

    void buildWindow(QMenuBar *menuBar);
    // The views go with the window; the controller may outlive them while the others go.
    void destroyMainWindow();
    void saveWindowFrame();
    void restoreSidebarAtLaunch();
    void restorePanelAtLaunch();

    void showNote(const QString &text); // empty clears the note
    // A note from background work: it never hides a note already showing (a failed save, say).
    void showBackgroundNote(const QString &text);
    // A note that stays until the next one.
    void showLastingNote(const QString &text);
    const std::optional<QString> &statusText() const { return m_statusText; }
    void updateTitle();
    void scheduleStatusRefresh();
    void refreshStatusBar();
    QString diskNote(const OpenDocument &document) const;

    void toggleSettings();
    void closeSettings();
    void showPane(const QString &mode);
    // The side pane shows the active place again; showing: it was just brought up.
    void refreshShownPane(bool showing);
    void toggleSidebar();
    void setPanelHidden(bool hidden);
    bool isSidebarHidden() const;
    bool isPanelHidden() const;
    void showEmptyView();

    void showCard(InlineCard *newCard);
    void dismissCard();
    InlineCard *card() const;
    InlineCard *cardFromText(const CardText &text, QList<std::function<void(InlineCard *)>> actions, int keepsOpen);

    MainWindow *mainWindow() const { return m_mainWindow; }
    QSplitter *split() const { return m_split; }
    QSplitter *rightSplit() const { return m_rightSplit; }
    QWidget *sidebar() const { return m_sidebar; }
    QWidget *editorContainer() const { return m_editorContainer; }
    ExplorerView *explorer() const { return m_explorer; }
    GitLogView *gitLog() const { return m_gitLog; }
    SearchView *searchView() const { return m_searchView; }
    OutputPanelView *outputPanel() const { return m_outputPanel; }
    EditorHost *scrollView() const { return m_scrollView; }
    LineNumberGutter *lineRuler() const { return m_lineRuler; }
    StatusBarView *statusBar() const { return m_statusBar; }
    SettingsView *settingsView() const { return m_settingsView; }
    PaintScheduler *painter() const { return m_painter; }
    FindBar *findBar() const { return m_findBar; }
    TabStripView *tabStrip() const { return m_tabStrip; }
    ActivityBarView *activityBar() const { return m_activityBar; }
    HoverCards *hoverCards() const { return m_hoverCards; }
    EditorTextView *emptyView() const { return m_emptyView; }
    QLabel *subtitleLabel() const { return m_subtitleLabel; }

private:
    QWidget *buildSidebar();
    QWidget *buildEditorArea();
    QWidget *buildOutputPanel();
    void buildToolbar();
    void restoreWindowFrame();
    void widenSidebarIfNarrower(int threshold);
    void raisePanelIfShorter();
    void updateActivityBar();

    AppDelegate &app;
    MainWindow *m_mainWindow = nullptr;
    QSplitter *m_split = nullptr;
    QSplitter *m_rightSplit = nullptr;
    QWidget *m_sidebar = nullptr;
    QWidget *m_editorContainer = nullptr;
    ExplorerView *m_explorer = nullptr;
    GitLogView *m_gitLog = nullptr;
    SearchView *m_searchView = nullptr;
    OutputPanelView *m_outputPanel = nullptr;
    EditorHost *m_scrollView = nullptr;
    LineNumberGutter *m_lineRuler = nullptr;
    StatusBarView *m_statusBar = nullptr;
    SettingsView *m_settingsView = nullptr;
    PaintScheduler *m_painter = nullptr;
    FindBar *m_findBar = nullptr;
    TabStripView *m_tabStrip = nullptr;
    ActivityBarView *m_activityBar = nullptr;
    HoverCards *m_hoverCards = nullptr;
    EditorTextView *m_emptyView = nullptr;
    QLabel *m_subtitleLabel = nullptr;
    QPointer<InlineCard> m_card;
    std::optional<QString> m_statusText;
    int statusToken = 0;
    QTimer *noteTimer = nullptr;
    QTimer *statusWork = nullptr;
    bool panelSized = false;
};
