// The menu bar: every command with its title and shortcut, enabled by the current state.
#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"
#include "FileOperationsController.h"
#include "PlacesController.h"
#include "RemoteDocumentController.h"
#include "RemoteController.h"
#include "HistoryController.h"
#include "BookmarkController.h"

#include "EditingController.h"

#include "MainWindow.h"
#include "MenuCommands.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "editor/FindBar.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>

#include <algorithm>

namespace {

// Edit commands act on the focused text field (an editor view, or the read-only text of the
// output panel and the diff view), else on the document on show.
template <typename Fn>
void onFocusedText(TextArea *fallback, Fn &&fn)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        fn(line);
        return;
    }
    if (auto *text = qobject_cast<TextArea *>(focus)) {
        fn(text);
        return;
    }
    if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        fn(text);
        return;
    }
    if (fallback)
        fn(fallback);
}

}

std::vector<MenuCommand> AppDelegate::fileCommands()
{
    const QString file = QStringLiteral("File");
    const auto keys = [](const char *text) { return QList<QKeySequence> { QKeySequence(QLatin1String(text)) }; };
    return {
        { file, QStringLiteral("New File…"), { QKeySequence::New }, [this] { fileOperations().newItem(false); } },
        { file, QStringLiteral("Open…"), { QKeySequence::Open }, [this] { openDocument(); } },
        { file, QStringLiteral("Open Folder…"), keys("Ctrl+Shift+O"), [this] { openFolder(); } },
        { file, QStringLiteral("Connect over ssh…"), {}, [this] { remote().connectOverSSH(); } },
        { .menu = file, .title = QStringLiteral("Saved Connections"), .fill = [this](QMenu *menu) { remote().fillConnectionsMenu(menu); } },
        { file, QStringLiteral("Open Remote File…"), {}, [this] { remoteDocuments().openRemoteFilePrompt(); } },
        { file, {} },
        { file, QStringLiteral("Close Tab"), keys("Ctrl+W"), [this] { tabs().closeTabOrWindow(); } },
        { file, QStringLiteral("Reopen Closed Tab"), keys("Ctrl+Shift+T"), [this] { tabs().reopenClosedTab(); }, [this] { return tabs().canReopenClosedTab(); } },
        { file, {} },
        { file, QStringLiteral("Save"), { QKeySequence::Save }, [this] { documents().saveDocument(); }, [this] { return documents().activeDocument() != nullptr; } },
        { file, QStringLiteral("Save All"), keys("Ctrl+Alt+S"), [this] { documents().saveAll(); }, [this] { return !documents().empty(); } },
        { file, {} },
        { .menu = file, .title = QStringLiteral("Quit Quillmar"), .keys = keys("Ctrl+Q"), .run = [this] { requestQuit(); },
          .role = QAction::QuitRole },
    };
}

std::vector<MenuCommand> AppDelegate::editCommands()
{
    const QString edit = QStringLiteral("Edit");
    const QString find = QStringLiteral("Edit/Find");
    const auto keys = [](const char *text) { return QList<QKeySequence> { QKeySequence(QLatin1String(text)) }; };
    const auto activeView = [this]() -> EditorTextView * {
        const DocumentPtr active = documents().activeDocument();
        return active ? active->textView.data() : nullptr;
    };
    const auto liveText = [this] {
        const DocumentPtr active = documents().activeDocument();
        return active && !active->historyIndex;
    };
    return {
        { edit, QStringLiteral("Undo"), { QKeySequence::Undo }, [this] { editing().undoOrRedo(false); } },
        { edit, QStringLiteral("Redo"), keys("Ctrl+Shift+Z"), [this] { editing().undoOrRedo(true); } },
        { edit, {} },
        { edit, QStringLiteral("Cut"), { QKeySequence::Cut }, [activeView] { onFocusedText(activeView(), [](auto *t) { t->cut(); }); } },
        { edit, QStringLiteral("Copy"), { QKeySequence::Copy }, [activeView] { onFocusedText(activeView(), [](auto *t) { t->copy(); }); } },
        { edit, QStringLiteral("Paste"), { QKeySequence::Paste }, [activeView] { onFocusedText(activeView(), [](auto *t) { t->paste(); }); } },
        { edit, QStringLiteral("Select All"), { QKeySequence::SelectAll },
          [activeView] { onFocusedText(activeView(), [](auto *t) { t->selectAll(); }); } },
        { edit, {} },
        { edit, QStringLiteral("Indent"), keys("Ctrl+Alt+]"), [this, activeView] { editing().indentLines(activeView(), false); }, liveText },
        { edit, QStringLiteral("Outdent"), keys("Ctrl+Alt+["), [this, activeView] { editing().indentLines(activeView(), true); }, liveText },
        { edit, {} },
        { find, QStringLiteral("Find…"), keys("Ctrl+F"), [this] { places().showFindBar(false); } },
        { find, QStringLiteral("Find and Replace…"), keys("Ctrl+Alt+F"), [this] { places().showFindBar(true); } },
        { find, QStringLiteral("Find Next"), keys("Ctrl+G"), [this] { window().findBar()->findNext(); } },
        { find, QStringLiteral("Find Previous"), keys("Ctrl+Shift+G"), [this] { window().findBar()->findPrevious(); } },
        { find, QStringLiteral("Use Selection for Find"), keys("Ctrl+E"), [this] { window().findBar()->useSelectionForFind(); } },
        { edit, {} },
        { .menu = edit, .title = QStringLiteral("Settings…"), .keys = keys("Ctrl+,"), .run = [this] { window().toggleSettings(); },
          .role = QAction::PreferencesRole },
    };
}

std::vector<MenuCommand> AppDelegate::viewCommands()
{
    const QString view = QStringLiteral("View");
    const QString widths = QStringLiteral("View/Indent Width");
    const auto keys = [](const char *text) { return QList<QKeySequence> { QKeySequence(QLatin1String(text)) }; };
    const auto setting = [](bool (*value)()) { return [value] { return value(); }; };
    std::vector<MenuCommand> commands {
        { .menu = view, .title = QStringLiteral("Hide Sidebar"), .keys = keys("Ctrl+Meta+S"), .run = [this] { window().toggleSidebar(); },
          .titleWhen = [this] { return window().sidebar() && window().isSidebarHidden() ? QStringLiteral("Show Sidebar") : QStringLiteral("Hide Sidebar"); } },
        { view, QStringLiteral("Explorer"), keys("Ctrl+Meta+E"), [this] { window().showPane(QStringLiteral("explorer")); } },
        { view, QStringLiteral("Git Log"), keys("Ctrl+Meta+G"), [this] { window().showPane(QStringLiteral("git")); } },
        { view, QStringLiteral("Remote"), keys("Ctrl+Meta+R"), [this] { window().showPane(QStringLiteral("ssh")); } },
        { view, QStringLiteral("Search in Files"), keys("Ctrl+Shift+F"), [this] { window().showPane(QStringLiteral("search")); } },
        { view, QStringLiteral("Go to File…"), keys("Ctrl+P"), [this] { places().goToFile(); } },
        { .menu = view, .title = QStringLiteral("Show Output"), .keys = keys("Ctrl+J"), .run = [this] { window().setPanelHidden(!window().isPanelHidden()); },
          .titleWhen = [this] { return window().outputPanel() && !window().isPanelHidden() ? QStringLiteral("Hide Output") : QStringLiteral("Show Output"); } },
        { view, {} },
        { .menu = view, .title = QStringLiteral("Word Wrap"), .keys = keys("Ctrl+Alt+Z"),
          .run = [this] { editing().toggleSetting(Defaults::Wrap, true); }, .checkedWhen = setting(&Defaults::wrap) },
        // Ctrl+= too: most keyboards need Shift for "+", and most users leave it out.
        { view, QStringLiteral("Bigger"), { QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+=")) },
          [this] { editing().stepFontSize(1); } },
        { view, QStringLiteral("Smaller"), keys("Ctrl+-"), [this] { editing().stepFontSize(-1); } },
        { view, QStringLiteral("Actual Size"), keys("Ctrl+0"), [this] { editing().stepFontSize(0); } },
        { view, {} },
    };
    for (int width : { 2, 3, 4, 8 })
        commands.push_back({ .menu = widths, .title = QStringLiteral("%1 spaces").arg(width), .run = [this, width] { editing().setIndentWidth(width); },
                             .checkedWhen = [width] { return Defaults::indentWidth() == width; } });
    commands.push_back({ .menu = view, .title = QStringLiteral("Indent New Lines Like the Previous Line"),
                         .run = [this] { editing().toggleSetting(Defaults::CopyIndent, true); }, .checkedWhen = setting(&Defaults::copyIndent) });
    commands.push_back({ .menu = view, .title = QStringLiteral("Indent After Braces"),
                         .run = [this] { editing().toggleSetting(Defaults::Braces, true); }, .checkedWhen = setting(&Defaults::braces) });
    return commands;
}

std::vector<MenuCommand> AppDelegate::navigationCommands()
{
    const QString go = QStringLiteral("Go");
    const QString history = QStringLiteral("History");
    const QString windowMenu = QStringLiteral("Window");
    const QString help = QStringLiteral("Help");
    const auto keys = [](const char *text) { return QList<QKeySequence> { QKeySequence(QLatin1String(text)) }; };
    const auto anyBookmark = [this] { return bookmarks().hasAny(); };
    const auto severalTabs = [this] { return documents().size() > 1; };
    return {
        { go, QStringLiteral("Previous Bookmark"), keys("Ctrl+Alt+J"), [this] { bookmarks().step(false); }, anyBookmark },
        { go, QStringLiteral("Toggle Bookmark"), keys("Ctrl+Alt+K"), [this] { bookmarks().toggle(); }, [this] {
             const DocumentPtr active = documents().activeDocument();
             return active && !active->historyIndex;
         } },
        { go, QStringLiteral("Next Bookmark"), keys("Ctrl+Alt+L"), [this] { bookmarks().step(true); }, anyBookmark },
        { history, QStringLiteral("Older Version"), keys("Ctrl+["), [this] { this->history().step(1); },
          [this] { return documents().activeDocument() != nullptr; } },
        { history, QStringLiteral("Newer Version"), keys("Ctrl+]"), [this] { this->history().step(-1); }, [this] {
             const DocumentPtr active = documents().activeDocument();
             return active && active->historyIndex;
         } },
        { windowMenu, QStringLiteral("Minimize"), keys("Ctrl+M"), [this] { window().mainWindow()->showMinimized(); } },
        { windowMenu, QStringLiteral("Zoom"), {}, [this] { window().mainWindow()->isMaximized() ? window().mainWindow()->showNormal() : window().mainWindow()->showMaximized(); } },
        { windowMenu, {} },
        { windowMenu, QStringLiteral("Next Tab"), keys("Ctrl+Shift+]"), [this] { tabs().stepTab(1); }, severalTabs },
        { windowMenu, QStringLiteral("Previous Tab"), keys("Ctrl+Shift+["), [this] { tabs().stepTab(-1); }, severalTabs },
        { .menu = help, .title = QStringLiteral("About Quillmar"), .run = [this] {
             QMessageBox::about(window().mainWindow(), QStringLiteral("About Quillmar"),
                                QStringLiteral("Quillmar %1\nA fast native code editor.").arg(QApplication::applicationVersion()));
         }, .role = QAction::AboutRole },
    };
}

void AppDelegate::buildMenus()
{
    menuBar = new QMenuBar();
    std::vector<MenuCommand> commands;
    for (auto part : { &AppDelegate::fileCommands, &AppDelegate::editCommands, &AppDelegate::viewCommands,
                       &AppDelegate::navigationCommands })
        for (MenuCommand &command : (this->*part)())
            commands.push_back(std::move(command));
    menuCommands = new MenuCommands(menuBar, std::move(commands), this);
}

void AppDelegate::validateMenus()
{
    if (menuCommands)
        menuCommands->validate();
}
