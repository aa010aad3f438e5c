// The menu bar: every command with its title and shortcut, enabled by the current state.
#include "AppDelegate.h"

#include "FileOperationsController.h"
#include "MainWindow.h"
#include "PlacesController.h"
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

void AppDelegate::buildMenus()
{
    auto *bar = new QMenuBar();
    menuBar = bar;
    const auto add = [this](QMenu *menu, const QString &title, const QKeySequence &keys, auto &&slot) {
        QAction *action = menu->addAction(title);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::ApplicationShortcut);
        connect(action, &QAction::triggered, this, std::forward<decltype(slot)>(slot));
        return action;
    };
    const auto activeView = [this]() -> EditorTextView * {
        const DocumentPtr active = activeDocument();
        return active ? active->textView.data() : nullptr;
    };

    QMenu *file = bar->addMenu(QStringLiteral("File"));
    // Files of closed tabs come and go while the menu is closed.
    connect(file, &QMenu::aboutToShow, this, [this] { validateMenus(); });
    add(file, QStringLiteral("New File…"), QKeySequence::New, [this] { fileOperations().newItem(false); });
    add(file, QStringLiteral("Open…"), QKeySequence::Open, [this] { openDocument(); });
    add(file, QStringLiteral("Open Folder…"), QKeySequence(QStringLiteral("Ctrl+Shift+O")), [this] { openFolder(); });
    add(file, QStringLiteral("Connect over ssh…"), QKeySequence(), [this] { connectOverSSH(); });
    QMenu *connections = file->addMenu(QStringLiteral("Saved Connections"));
    connect(connections, &QMenu::aboutToShow, this, [this, connections] { fillConnectionsMenu(connections); });
    add(file, QStringLiteral("Open Remote File…"), QKeySequence(), [this] { openRemoteFilePrompt(); });
    file->addSeparator();
    add(file, QStringLiteral("Close Tab"), QKeySequence(QStringLiteral("Ctrl+W")), [this] { closeTabOrWindow(); });
    reopenAction = add(file, QStringLiteral("Reopen Closed Tab"), QKeySequence(QStringLiteral("Ctrl+Shift+T")),
                       [this] { reopenClosedTab(); });
    file->addSeparator();
    saveAction = add(file, QStringLiteral("Save"), QKeySequence::Save, [this] { saveDocument(); });
    saveAllAction = add(file, QStringLiteral("Save All"), QKeySequence(QStringLiteral("Ctrl+Alt+S")), [this] { saveAll(); });
    file->addSeparator();
    QAction *quit = add(file, QStringLiteral("Quit Quillmar"), QKeySequence(QStringLiteral("Ctrl+Q")), [this] { requestQuit(); });
    quit->setMenuRole(QAction::QuitRole);

    QMenu *edit = bar->addMenu(QStringLiteral("Edit"));
    add(edit, QStringLiteral("Undo"), QKeySequence::Undo, [this] { undoOrRedo(false); });
    add(edit, QStringLiteral("Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")), [this] { undoOrRedo(true); });
    edit->addSeparator();
    add(edit, QStringLiteral("Cut"), QKeySequence::Cut, [activeView] { onFocusedText(activeView(), [](auto *t) { t->cut(); }); });
    add(edit, QStringLiteral("Copy"), QKeySequence::Copy, [activeView] { onFocusedText(activeView(), [](auto *t) { t->copy(); }); });
    add(edit, QStringLiteral("Paste"), QKeySequence::Paste, [activeView] { onFocusedText(activeView(), [](auto *t) { t->paste(); }); });
    add(edit, QStringLiteral("Select All"), QKeySequence::SelectAll, [activeView] {
        onFocusedText(activeView(), [](auto *t) { t->selectAll(); });
    });

    edit->addSeparator();
    indentAction = add(edit, QStringLiteral("Indent"), QKeySequence(QStringLiteral("Ctrl+Alt+]")), [this, activeView] {
        indentLines(activeView(), false);
    });
    outdentAction = add(edit, QStringLiteral("Outdent"), QKeySequence(QStringLiteral("Ctrl+Alt+[")), [this, activeView] {
        indentLines(activeView(), true);
    });

    edit->addSeparator();
    QMenu *find = edit->addMenu(QStringLiteral("Find"));
    add(find, QStringLiteral("Find…"), QKeySequence(QStringLiteral("Ctrl+F")), [this] { places().showFindBar(false); });
    add(find, QStringLiteral("Find and Replace…"), QKeySequence(QStringLiteral("Ctrl+Alt+F")), [this] { places().showFindBar(true); });
    add(find, QStringLiteral("Find Next"), QKeySequence(QStringLiteral("Ctrl+G")), [this] { findBar->findNext(); });
    add(find, QStringLiteral("Find Previous"), QKeySequence(QStringLiteral("Ctrl+Shift+G")), [this] { findBar->findPrevious(); });
    add(find, QStringLiteral("Use Selection for Find"), QKeySequence(QStringLiteral("Ctrl+E")),
        [this] { findBar->useSelectionForFind(); });
    edit->addSeparator();
    QAction *settings = add(edit, QStringLiteral("Settings…"), QKeySequence(QStringLiteral("Ctrl+,")), [this] { toggleSettings(); });
    settings->setMenuRole(QAction::PreferencesRole);

    QMenu *view = bar->addMenu(QStringLiteral("View"));
    toggleSidebarAction = add(view, QStringLiteral("Hide Sidebar"), QKeySequence(QStringLiteral("Ctrl+Meta+S")), [this] { toggleSidebar(); });
    add(view, QStringLiteral("Explorer"), QKeySequence(QStringLiteral("Ctrl+Meta+E")), [this] { showPane(QStringLiteral("explorer")); });
    add(view, QStringLiteral("Git Log"), QKeySequence(QStringLiteral("Ctrl+Meta+G")), [this] { showPane(QStringLiteral("git")); });
    add(view, QStringLiteral("Remote"), QKeySequence(QStringLiteral("Ctrl+Meta+R")), [this] { showPane(QStringLiteral("ssh")); });
    add(view, QStringLiteral("Search in Files"), QKeySequence(QStringLiteral("Ctrl+Shift+F")), [this] { showPane(QStringLiteral("search")); });
    add(view, QStringLiteral("Go to File…"), QKeySequence(QStringLiteral("Ctrl+P")), [this] { places().goToFile(); });
    togglePanelAction = add(view, QStringLiteral("Show Output"), QKeySequence(QStringLiteral("Ctrl+J")), [this] { setPanelHidden(!isPanelHidden()); });
    view->addSeparator();
    wrapAction = add(view, QStringLiteral("Word Wrap"), QKeySequence(QStringLiteral("Ctrl+Alt+Z")),
                     [this] { toggleSetting(Defaults::Wrap, true); });
    // Ctrl+= too: most keyboards need Shift for "+", and most users leave it out.
    add(view, QStringLiteral("Bigger"), QKeySequence(QStringLiteral("Ctrl++")), [this] { stepFontSize(1); })
        ->setShortcuts({ QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+=")) });
    add(view, QStringLiteral("Smaller"), QKeySequence(QStringLiteral("Ctrl+-")), [this] { stepFontSize(-1); });
    add(view, QStringLiteral("Actual Size"), QKeySequence(QStringLiteral("Ctrl+0")), [this] { stepFontSize(0); });
    view->addSeparator();
    QMenu *widths = view->addMenu(QStringLiteral("Indent Width"));
    for (int width : { 2, 3, 4, 8 }) {
        QAction *item = add(widths, QStringLiteral("%1 spaces").arg(width), QKeySequence(), [this, width] { setIndentWidth(width); });
        item->setCheckable(true);
        item->setData(width);
        indentWidthActions << item;
    }
    copyIndentAction = add(view, QStringLiteral("Indent New Lines Like the Previous Line"), QKeySequence(),
                           [this] { toggleSetting(Defaults::CopyIndent, true); });
    bracesAction = add(view, QStringLiteral("Indent After Braces"), QKeySequence(), [this] { toggleSetting(Defaults::Braces, true); });
    for (QAction *toggle : { wrapAction, copyIndentAction, bracesAction })
        toggle->setCheckable(true);

    QMenu *go = bar->addMenu(QStringLiteral("Go"));
    previousBookmarkAction = add(go, QStringLiteral("Previous Bookmark"), QKeySequence(QStringLiteral("Ctrl+Alt+J")),
                                 [this] { stepBookmark(false); });
    toggleBookmarkAction = add(go, QStringLiteral("Toggle Bookmark"), QKeySequence(QStringLiteral("Ctrl+Alt+K")),
                               [this] { toggleBookmark(); });
    nextBookmarkAction = add(go, QStringLiteral("Next Bookmark"), QKeySequence(QStringLiteral("Ctrl+Alt+L")),
                             [this] { stepBookmark(true); });

    QMenu *history = bar->addMenu(QStringLiteral("History"));
    olderAction = add(history, QStringLiteral("Older Version"), QKeySequence(QStringLiteral("Ctrl+[")),
                      [this] { stepHistory(1); });
    newerAction = add(history, QStringLiteral("Newer Version"), QKeySequence(QStringLiteral("Ctrl+]")),
                      [this] { stepHistory(-1); });

    QMenu *windowMenu = bar->addMenu(QStringLiteral("Window"));
    add(windowMenu, QStringLiteral("Minimize"), QKeySequence(QStringLiteral("Ctrl+M")), [this] { window->showMinimized(); });
    add(windowMenu, QStringLiteral("Zoom"), QKeySequence(), [this] {
        window->isMaximized() ? window->showNormal() : window->showMaximized();
    });
    windowMenu->addSeparator();
    nextTabAction = add(windowMenu, QStringLiteral("Next Tab"), QKeySequence(QStringLiteral("Ctrl+Shift+]")), [this] { stepTab(1); });
    previousTabAction = add(windowMenu, QStringLiteral("Previous Tab"), QKeySequence(QStringLiteral("Ctrl+Shift+[")),
                            [this] { stepTab(-1); });

    QMenu *help = bar->addMenu(QStringLiteral("Help"));
    QAction *about = add(help, QStringLiteral("About Quillmar"), QKeySequence(), [this] {
        QMessageBox::about(window, QStringLiteral("About Quillmar"),
                           QStringLiteral("Quillmar %1\nA fast native code editor.").arg(QApplication::applicationVersion()));
    });
    about->setMenuRole(QAction::AboutRole);
}

void AppDelegate::validateMenus()
{
    if (saveAction)
        saveAction->setEnabled(activeDocument() != nullptr);
    if (saveAllAction)
        saveAllAction->setEnabled(!documents.empty());
    const DocumentPtr active = activeDocument();
    const bool liveText = active && !active->historyIndex;
    for (QAction *older : { olderAction, olderItem })
        if (older)
            older->setEnabled(active != nullptr);
    for (QAction *newer : { newerAction, newerItem })
        if (newer)
            newer->setEnabled(active && active->historyIndex);
    for (QAction *shift : { indentAction, outdentAction, toggleBookmarkAction })
        if (shift)
            shift->setEnabled(liveText);
    if (wrapAction) {
        wrapAction->setChecked(Defaults::wrap());
        copyIndentAction->setChecked(Defaults::copyIndent());
        bracesAction->setChecked(Defaults::braces());
    }
    for (QAction *item : indentWidthActions)
        item->setChecked(item->data().toInt() == Defaults::indentWidth());
    const bool anyBookmark = hasBookmarks();
    for (QAction *step : { nextBookmarkAction, previousBookmarkAction })
        if (step)
            step->setEnabled(anyBookmark);
    if (reopenAction)
        reopenAction->setEnabled(std::any_of(closedTabs.begin(), closedTabs.end(),
                                             [](const QUrl &url) { return QFileInfo::exists(url.toLocalFile()); }));
    for (QAction *step : { nextTabAction, previousTabAction })
        if (step)
            step->setEnabled(documents.size() > 1);
    if (toggleSidebarAction && sidebar)
        toggleSidebarAction->setText(isSidebarHidden() ? QStringLiteral("Show Sidebar") : QStringLiteral("Hide Sidebar"));
    if (togglePanelAction && outputPanel)
        togglePanelAction->setText(isPanelHidden() ? QStringLiteral("Show Output") : QStringLiteral("Hide Output"));
}
