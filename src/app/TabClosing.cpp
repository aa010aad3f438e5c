// Closing tabs singly and in groups, reopening them, moving between and reordering them.
#include "TabController.h"

#include "AppDelegate.h"
#include "FileOperationsController.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "RemoteController.h"
#include "BookmarkController.h"
#include "FileNames.h"
#include "HistoryController.h"

#include "remote/RemoteHostList.h"

#include "EditorHost.h"
#include "MainWindow.h"
#include "chrome/InlineCard.h"
#include "chrome/SettingsView.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace {

constexpr size_t closedTabsLimit = 20;

}

void TabController::closeDocument(const DocumentPtr &document)
{
    const int index = app.documents().indexOfPath(document->path());
    if (index < 0 || app.documents()[index] != document)
        return;
    app.bookmarks().store(*document);
    if (document->blame)
        document->blame->stop();
    QVariantMap remotes = Defaults::dictionary(Defaults::RemoteFiles);
    if (remotes.remove(document->path()) > 0)
        Defaults::set(Defaults::RemoteFiles, remotes);
    rememberPlace();
    closedTabs.push_back(document->url);
    if (closedTabs.size() > closedTabsLimit)
        closedTabs.erase(closedTabs.begin(), closedTabs.end() - closedTabsLimit);
    const bool wasActive = index == app.documents().activeIndex();
    if (document->textView)
        app.window().scrollView()->remove(document->textView);
    app.documents().removeAt(index);
    if (app.documents().empty()) {
        app.window().showEmptyView();
        app.documents().documentsChanged();
        return;
    }
    if (wasActive)
        activateDocument(std::min(index, int(app.documents().size()) - 1), true);
    else
        app.documents().documentsChanged();
}

void TabController::closeTab(int index)
{
    if (index < 0 || index >= int(app.documents().size()))
        return;
    const DocumentPtr document = app.documents()[index];
    if (!document->isDirty) {
        closeDocument(document);
        return;
    }
    std::weak_ptr<OpenDocument> weak = document;
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { QStringLiteral("Don't Save"), false, true, QKeySequence(Qt::CTRL | Qt::Key_D), [this, weak] {
                           if (const DocumentPtr strong = weak.lock())
                               closeDocument(strong);
                       } };
    buttons << Button { QStringLiteral("Save"), true, true, QKeySequence(), [this, weak] {
                           if (const DocumentPtr strong = weak.lock())
                               app.documents().saveFile(strong, false, [this, weak](bool ok) {
                                   if (const DocumentPtr saved = weak.lock(); ok && saved)
                                       closeDocument(saved);
                               });
                       } };
    app.window().showCard(new InlineCard(QStringLiteral("Save changes to %1?").arg(document->fileName()),
                            QStringLiteral("Your changes will be lost if you don't save them."), std::nullopt,
                            buttons));
}

void TabController::closeGroup(const DocumentPtr &anchor, bool onlyToTheRight)
{
    const int index = app.documents().indexOfPath(anchor->path());
    if (index < 0)
        return;
    std::vector<DocumentPtr> group;
    for (int i = 0; i < int(app.documents().size()); ++i)
        if (onlyToTheRight ? i > index : i != index)
            group.push_back(app.documents()[i]);
    const auto closeAll = [this, group] {
        for (const DocumentPtr &document : group)
            closeDocument(document);
    };
    std::vector<DocumentPtr> dirty;
    for (const DocumentPtr &document : group)
        if (document->isDirty)
            dirty.push_back(document);
    if (dirty.empty())
        closeAll();
    else
        app.confirmUnsaved(dirty, closeAll);
}

bool TabController::canReopenClosedTab() const
{
    return std::any_of(closedTabs.begin(), closedTabs.end(), [](const QUrl &url) { return QFileInfo::exists(url.toLocalFile()); });
}

void TabController::reopenClosedTab()
{
    while (!closedTabs.empty()) {
        const QUrl url = closedTabs.back();
        closedTabs.pop_back();
        if (QFileInfo::exists(url.toLocalFile()) && app.documents().loadDocument(url.toLocalFile(), false, true, true))
            return;
    }
    app.validateMenus();
}

void TabController::stepTab(int delta)
{
    const int count = int(app.documents().size());
    if (count <= 1)
        return;
    activateDocument(((app.documents().activeIndex() + delta) % count + count) % count, true);
}

void TabController::onReorderOrder(const QList<int> &order)
{
    if (app.documents().reorder(order))
        app.documents().documentsChanged();
}

void TabController::closeTabOrWindow()
{
    if (app.window().settingsView() && app.window().settingsView()->isVisible()) {
        app.window().closeSettings();
        return;
    }
    if (app.history().isCommitViewShown()) {
        app.history().closeCommitView();
        return;
    }
    if (app.documents().activeDocument()) {
        closeTab(app.documents().activeIndex());
        return;
    }
    if (app.window().mainWindow())
        app.window().mainWindow()->close();
}

QString TabController::relativePath(const OpenDocument &document) const
{
    if (document.remote) {
        // Relative to the machine's folder, as the Remote pane shows it, that holds the file.
        QStringList folders;
        if (const HostItemPtr item = app.remote().hosts().itemFor(document.remote->hostID))
            for (const ResolvedFolder &root : item->roots)
                if (root.found)
                    folders << root.path;
        return FileNames::relativeToFirst(document.remote->path, folders);
    }
    return FileNames::relativeToFirst(document.path(), { app.fileOperations().workspace().value_or(QString()), app.window().explorer()->root() });
}

void TabController::revealInFileManager(const QString &path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList { QUrl::fromLocalFile(path).toString() } << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    if (reply.type() != QDBusMessage::ReplyMessage)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

QMenu *TabController::menuForTab(int index)
{
    if (index < 0 || index >= int(app.documents().size()))
        return nullptr;
    const DocumentPtr document = app.documents()[index];
    std::weak_ptr<OpenDocument> weak = document;
    auto *menu = new QMenu(app.window().mainWindow());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto withDocument = [this, weak](auto &&action) {
        return [this, weak, action] {
            if (const DocumentPtr strong = weak.lock())
                action(strong);
        };
    };
    menu->addAction(QStringLiteral("Close"), this, withDocument([this](const DocumentPtr &d) { closeTab(app.documents().indexOfPath(d->path())); }));
    menu->addAction(QStringLiteral("Close Others"), this, withDocument([this](const DocumentPtr &d) { closeGroup(d, false); }))
        ->setEnabled(app.documents().size() > 1);
    menu->addAction(QStringLiteral("Close to the Right"), this, withDocument([this](const DocumentPtr &d) { closeGroup(d, true); }))
        ->setEnabled(index < int(app.documents().size()) - 1);
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy Path"), this, withDocument([](const DocumentPtr &d) {
        QApplication::clipboard()->setText(d->remote ? d->remote->path : d->path());
    }));
    menu->addAction(QStringLiteral("Copy Relative Path"), this, withDocument([this](const DocumentPtr &d) {
        QApplication::clipboard()->setText(relativePath(*d));
    }));
    if (!document->remote) {
        menu->addSeparator();
        menu->addAction(QStringLiteral("Reveal in File Manager"), this,
                        withDocument([this](const DocumentPtr &d) { revealInFileManager(d->path()); }));
        menu->addAction(QStringLiteral("Reveal in Explorer"), this, withDocument([this](const DocumentPtr &d) {
            app.window().showPane(QStringLiteral("explorer"));
            revealInExplorer(d->path());
        }));
    }
    return menu;
}
