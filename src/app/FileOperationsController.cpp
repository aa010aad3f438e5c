// The workspace and the file operations of the File menu and the Explorer's context menu.
#include "FileOperationsController.h"

#include "AppDelegate.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"
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

FileOperationsController::FileOperationsController(AppDelegate &app)
    : app(app)
{
}

void FileOperationsController::adoptWorkspace(const QString &folder)
{
    m_workspace = QDir::cleanPath(folder);
}

void FileOperationsController::setWorkspace(const QString &folder)
{
    m_workspace = QDir::cleanPath(folder);
    Defaults::set(Defaults::Workspace, *m_workspace);
    app.window().explorer()->setRoot(*m_workspace, false, true);
    app.window().explorer()->reload();
    if (const DocumentPtr active = app.documents().activeDocument(); active && holds(*m_workspace, active->path()))
        app.tabs().revealInExplorer(active->path());
    app.window().outputPanel()->refreshFolderLabel();
    app.window().refreshShownPane(false);
    app.window().showNote(QStringLiteral("Workspace: ") + QFileInfo(*m_workspace).fileName());
    app.documents().documentsChanged();
}

std::optional<QString> FileOperationsController::newItemFolder() const
{
    const QStringList selected = app.window().explorer()->selectedPaths();
    if (!selected.isEmpty())
        return folderOf(selected.front());
    if (!app.window().explorer()->root().isEmpty())
        return app.window().explorer()->root();
    if (m_workspace)
        return *m_workspace;
    if (const DocumentPtr active = app.documents().activeDocument())
        return QFileInfo(active->path()).absolutePath();
    return std::nullopt;
}

void FileOperationsController::newItem(bool folder, std::optional<QString> target)
{
    if (!target)
        target = newItemFolder();
    if (!target) {
        app.window().showNote(QStringLiteral("Open a folder first (%1)").arg(shortcutText(QKeySequence::Open)));
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
                       app.window().explorer()->reload();
                       app.window().explorer()->revealFile(path);
                       if (!folder)
                           app.documents().loadDocument(path, false, true, true);
                   });
                   return std::nullopt;
               });
}

void FileOperationsController::askForName(const QString &title, const QString &detail, const QString &name,
                                          const QString &confirm,
                                          std::function<std::optional<QString>(const QString &)> apply)
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
    app.window().showCard(newCard);
}

void FileOperationsController::renameItem(const QString &path)
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

void FileOperationsController::followRename(const QString &from, const QString &to)
{
    // Only the last component changed, so the old path still resolves through its folder.
    const QString resolvedFrom = canonicalPath(from);
    const QString resolvedTo = canonicalPath(to);
    QVariantMap stored = Defaults::dictionary(Defaults::Bookmarks);
    for (const DocumentPtr &document : app.documents()) {
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
    for (const DocumentPtr &document : app.documents())
        if (FileNames::isAtOrUnder(document->path(), resolvedTo))
            app.bookmarks().store(*document);
    if (m_workspace && FileNames::isAtOrUnder(*m_workspace, from)) {
        m_workspace = FileNames::moved(*m_workspace, from, to);
        Defaults::set(Defaults::Workspace, *m_workspace);
        app.window().explorer()->setRoot(*m_workspace, false, true);
    } else if (!app.window().explorer()->root().isEmpty() && FileNames::isAtOrUnder(app.window().explorer()->root(), from)) {
        app.window().explorer()->setRoot(FileNames::moved(app.window().explorer()->root(), from, to), bool(m_workspace),
                              bool(m_workspace));
    }
    app.window().explorer()->reload();
    app.window().explorer()->revealFile(to);
    if (const DocumentPtr active = app.documents().activeDocument(); active && active->textView)
        app.window().painter()->show(active->textView, active->url, active->isPlain);
    app.documents().documentsChanged();
}

void FileOperationsController::trashItems(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    bool losesEdits = false;
    for (const DocumentPtr &document : app.documents())
        for (const QString &path : paths)
            losesEdits |= document->isDirty && holds(path, document->path());
    const QString what = paths.size() == 1 ? QFileInfo(paths.front()).fileName()
                                           : QStringLiteral("%1 items").arg(paths.size());
    QList<Button> buttons;
    buttons << Button { QStringLiteral("Cancel"), false, true, QKeySequence(), [] {} };
    buttons << Button { QStringLiteral("Move to Trash"), true, true, QKeySequence(), [this, paths] {
                           for (const QString &path : paths)
                               trashItem(path);
                           app.window().explorer()->reload();
                       } };
    app.window().showCard(new InlineCard(QStringLiteral("Move %1 to the Trash?").arg(what),
                                losesEdits ? QStringLiteral("Unsaved changes in open tabs will be lost.") : QString(),
                                std::nullopt, buttons));
}

void FileOperationsController::trashItem(const QString &path)
{
    // Without its data folder Qt 6.4 "trashes" into the working folder: make sure it exists.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const QString resolved = canonicalPath(path); // the item is gone once trashed
    QFile item(path);
    if (!item.moveToTrash()) {
        app.window().showNote(QStringLiteral("Couldn't trash %1: %2").arg(QFileInfo(path).fileName(), item.errorString()));
        return;
    }
    if (QFileInfo(item.fileName()).isRelative()) {
        QFile::rename(item.fileName(), path);
        app.window().showNote(QStringLiteral("Couldn't trash %1: no Trash folder").arg(QFileInfo(path).fileName()));
        return;
    }
    std::vector<DocumentPtr> inside;
    for (const DocumentPtr &document : app.documents())
        if (FileNames::isAtOrUnder(document->path(), resolved))
            inside.push_back(document);
    for (const DocumentPtr &document : inside)
        app.tabs().closeDocument(document);
}

QMenu *FileOperationsController::explorerMenu(const std::optional<QString> &clicked)
{
    auto *menu = new QMenu(app.window().mainWindow());
    const QString target = clicked ? folderOf(*clicked) : app.window().explorer()->root();
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
        const QStringList selected = app.window().explorer()->selectedPaths();
        trashItems(selected.contains(item) ? selected : QStringList { item });
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Reveal in File Manager"), this, [this, item] { app.tabs().revealInFileManager(item); });
    menu->addAction(QStringLiteral("Copy Path"), this, [item] { QApplication::clipboard()->setText(item); });
    return menu;
}
