// The workspace and the file operations of the File menu and the Explorer's context menu.
#include "AppDelegate.h"

#include "BookmarkController.h"
#include "FileNames.h"
#include "MainWindow.h"
#include "chrome/InlineCard.h"
#include "command/OutputPanelView.h"
#include "common/Defaults.h"
#include "common/Shortcuts.h"
#include "editor/EditorTextView.h"
#include "editor/PaintScheduler.h"
#include "git/DocumentBlame.h"
#include "navigation/ExplorerView.h"
#include "navigation/FileListing.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>

namespace {

QString folderOf(const QString &path)
{
    return QFileInfo(path).isDir() ? path : QFileInfo(path).absolutePath();
}

// What the system said about the last failed call.
QString systemReason()
{
    return qt_error_string(errno);
}

// Documents name their files with links resolved; an item may be named through a link.
bool holds(const QString &item, const QString &documentPath)
{
    return FileNames::isAtOrUnder(documentPath, canonicalPath(item));
}

}

void AppDelegate::setWorkspace(const QString &folder)
{
    workspace = QDir::cleanPath(folder);
    Defaults::set(Defaults::Workspace, *workspace);
    explorer->setRoot(*workspace, false, true);
    explorer->reload();
    if (const DocumentPtr active = activeDocument(); active && holds(*workspace, active->path()))
        revealInExplorer(active->path());
    outputPanel->refreshFolderLabel();
    refreshShownPane(false);
    showNote(QStringLiteral("Workspace: ") + QFileInfo(*workspace).fileName());
    documentsChanged();
}

std::optional<QString> AppDelegate::newItemFolder() const
{
    const QStringList selected = explorer->selectedPaths();
    if (!selected.isEmpty())
        return folderOf(selected.front());
    if (!explorer->root().isEmpty())
        return explorer->root();
    if (workspace)
        return *workspace;
    if (const DocumentPtr active = activeDocument())
        return QFileInfo(active->path()).absolutePath();
    return std::nullopt;
}

void AppDelegate::newItem(bool folder, std::optional<QString> target)
{
    if (!target)
        target = newItemFolder();
    if (!target) {
        showNote(QStringLiteral("Open a folder first (%1)").arg(shortcutText(QKeySequence::Open)));
        return;
    }
    const QString parent = *target;
    askForName(folder ? QStringLiteral("New Folder") : QStringLiteral("New File"),
               QStringLiteral("In ") + QFileInfo(parent).fileName(), QString(), QStringLiteral("Create"),
               [this, folder, parent](const QString &name) -> std::optional<QString> {
                   const QString path = QDir(parent).filePath(name);
                   if (QFileInfo::exists(path))
                       return name + QStringLiteral(" already exists");
                   if (folder) {
                       if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
                           return QStringLiteral("Couldn't create %1: %2").arg(name, systemReason());
                   } else {
                       QFile created(path);
                       if (!created.open(QIODevice::NewOnly | QIODevice::WriteOnly))
                           return QStringLiteral("Couldn't create %1: %2").arg(name, created.errorString());
                   }
                   QTimer::singleShot(0, this, [this, path, folder] {
                       explorer->reload();
                       explorer->revealFile(path);
                       if (!folder)
                           loadDocument(path, false, true, true);
                   });
                   return std::nullopt;
               });
}

void AppDelegate::askForName(const QString &title, const QString &detail, const QString &name,
                             const QString &confirm, std::function<std::optional<QString>(const QString &)> apply)
{
    auto holder = std::make_shared<QPointer<InlineCard>>();
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { confirm, true, false, QKeySequence(), [holder, apply] {
                           InlineCard *shownCard = *holder;
                           if (!shownCard)
                               return;
                           const QString typed = shownCard->fieldText().trimmed();
                           std::optional<QString> problem = FileNames::nameError(typed);
                           if (!problem)
                               problem = apply(typed);
                           if (problem)
                               shownCard->setDetail(*problem);
                           else
                               shownCard->dismiss(true);
                       } };
    auto *newCard = new InlineCard(title, detail, name, buttons);
    *holder = newCard;
    showCard(newCard);
}

void AppDelegate::renameItem(const QString &path)
{
    const QString oldName = QFileInfo(path).fileName();
    askForName(QStringLiteral("Rename"), QString(), oldName, QStringLiteral("Rename"),
               [this, path, oldName](const QString &name) -> std::optional<QString> {
                   if (name == oldName)
                       return std::nullopt;
                   const QString target = QDir(QFileInfo(path).absolutePath()).filePath(name);
                   if (QFileInfo::exists(target) && name.compare(oldName, Qt::CaseInsensitive) != 0)
                       return name + QStringLiteral(" already exists");
                   if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
                       return QStringLiteral("Couldn't rename %1: %2").arg(oldName, systemReason());
                   QTimer::singleShot(0, this, [this, path, target] { followRename(path, target); });
                   return std::nullopt;
               });
}

void AppDelegate::followRename(const QString &from, const QString &to)
{
    // Only the last component changed, so the old path still resolves through its folder.
    const QString resolvedFrom = canonicalPath(from);
    const QString resolvedTo = canonicalPath(to);
    QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    for (const DocumentPtr &document : documents) {
        if (!FileNames::isAtOrUnder(document->path(), resolvedFrom))
            continue;
        stored.remove(document->path());
        document->url = QUrl::fromLocalFile(FileNames::moved(document->path(), resolvedFrom, resolvedTo));
        if (document->blame) {
            document->blame->stop();
            document->blame->setFile(document->path());
        }
    }
    Defaults::set(Defaults::Bookmarks, stored);
    for (const DocumentPtr &document : documents)
        if (FileNames::isAtOrUnder(document->path(), resolvedTo))
            bookmarks().store(*document);
    if (workspace && FileNames::isAtOrUnder(*workspace, from)) {
        workspace = FileNames::moved(*workspace, from, to);
        Defaults::set(Defaults::Workspace, *workspace);
        explorer->setRoot(*workspace, false, true);
    } else if (!explorer->root().isEmpty() && FileNames::isAtOrUnder(explorer->root(), from)) {
        explorer->setRoot(FileNames::moved(explorer->root(), from, to), bool(workspace), bool(workspace));
    }
    explorer->reload();
    explorer->revealFile(to);
    if (const DocumentPtr active = activeDocument(); active && active->textView)
        painter->show(active->textView, active->url, active->isPlain);
    documentsChanged();
}

void AppDelegate::trashItems(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    bool losesEdits = false;
    for (const DocumentPtr &document : documents)
        for (const QString &path : paths)
            losesEdits |= document->isDirty && holds(path, document->path());
    const QString what = paths.size() == 1 ? QFileInfo(paths.front()).fileName()
                                           : QStringLiteral("%1 items").arg(paths.size());
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { QStringLiteral("Move to Trash"), true, true, QKeySequence(), [this, paths] {
                           for (const QString &path : paths)
                               trashItem(path);
                           explorer->reload();
                       } };
    showCard(new InlineCard(QStringLiteral("Move %1 to the Trash?").arg(what),
                            losesEdits ? QStringLiteral("Unsaved changes in open tabs will be lost.") : QString(),
                            std::nullopt, buttons));
}

void AppDelegate::trashItem(const QString &path)
{
    // Without its data folder Qt 6.4 "trashes" into the working folder: make sure it exists.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const QString resolved = canonicalPath(path); // the item is gone once trashed
    QFile item(path);
    if (!item.moveToTrash()) {
        showNote(QStringLiteral("Couldn't trash %1: %2").arg(QFileInfo(path).fileName(), item.errorString()));
        return;
    }
    if (QFileInfo(item.fileName()).isRelative()) {
        QFile::rename(item.fileName(), path);
        showNote(QStringLiteral("Couldn't trash %1: no Trash folder").arg(QFileInfo(path).fileName()));
        return;
    }
    std::vector<DocumentPtr> inside;
    for (const DocumentPtr &document : documents)
        if (FileNames::isAtOrUnder(document->path(), resolved))
            inside.push_back(document);
    for (const DocumentPtr &document : inside)
        closeDocument(document);
}

QMenu *AppDelegate::explorerMenu(const std::optional<QString> &clicked)
{
    auto *menu = new QMenu(window);
    const QString target = clicked ? folderOf(*clicked) : explorer->root();
    if (target.isEmpty() && !clicked)
        return menu;
    menu->addAction(QStringLiteral("New File…"), this, [this, target] { newItem(false, target); });
    menu->addAction(QStringLiteral("New Folder…"), this, [this, target] { newItem(true, target); });
    if (!clicked)
        return menu;
    const QString item = *clicked;
    menu->addSeparator();
    menu->addAction(QStringLiteral("Rename…"), this, [this, item] { renameItem(item); });
    menu->addAction(QStringLiteral("Move to Trash"), this, [this, item] {
        const QStringList selected = explorer->selectedPaths();
        trashItems(selected.contains(item) ? selected : QStringList { item });
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Reveal in File Manager"), this, [this, item] { revealInFileManager(item); });
    menu->addAction(QStringLiteral("Copy Path"), this, [item] { QApplication::clipboard()->setText(item); });
    return menu;
}
