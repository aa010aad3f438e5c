#include "SessionController.h"

#include "AppDelegate.h"
#include "FileOperationsController.h"
#include "DocumentController.h"
#include "WindowController.h"
#include "TabController.h"
#include "RemoteDocumentController.h"
#include "BookmarkController.h"
#include "FileNames.h"
#include "JournalKeeper.h"
#include "common/Defaults.h"
#include "common/SafeSave.h"
#include "editor/EditorTextView.h"
#include "navigation/ExplorerView.h"
#include "remote/LocalCopies.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScrollBar>
#include <QSessionManager>

namespace {

bool isExistingFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

std::optional<RemoteFile> storedRemoteOrigin(const QString &path)
{
    const QVariant entry = Defaults::dictionary(Defaults::RemoteFiles).value(path);
    const QStringList parts = entry.toStringList();
    if (entry.typeId() != QMetaType::QStringList && entry.typeId() != QMetaType::QVariantList)
        return std::nullopt;
    if (parts.size() != 3)
        return std::nullopt;
    RemoteFile remote { parts[0], parts[1], std::nullopt };
    bool ok = false;
    const qint64 modified = parts[2].toLongLong(&ok);
    if (ok)
        remote.modified = modified;
    return remote;
}

}

SessionController::SessionController(AppDelegate &app, QObject *parent)
    : QObject(parent)
    , app(app)
    , keeper(std::make_unique<JournalKeeper>(Journal::defaultFolder()))
{
    keeper->selectionOf = [](const OpenDocument &document) {
        if (!document.textView)
            return document.selectedRange;
        const EditorTextView *view = document.textView;
        return TextRange { view->selectionStart(), view->selectionEnd() - view->selectionStart() };
    };
    keeper->scrollOf = [&app](const OpenDocument &document) {
        if (app.documents().shown().get() != &document || !document.textView)
            return document.scrollOrigin;
        return QPoint(document.textView->horizontalScrollBar()->value(), document.textView->verticalScrollBar()->value());
    };
    // Logging out keeps the unsaved documents in the journal instead of asking about them.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { writeForExit(); },
            Qt::DirectConnection);
}

SessionController::~SessionController() = default;

void SessionController::restore()
{
    // Before any file is read: a save cut short by a crash gets its old content back.
    for (const QString &path : SafeSave::recoverInterrupted())
        app.window().showNote(QStringLiteral("A save of ") + QFileInfo(path).fileName()
                     + QStringLiteral(" was cut short; its old content is back"));
    restoreWorkspace();
    // Unsaved work left by an editor that did not get to quit comes back in its tab, still dirty.
    std::map<QString, JournalRecord> unsaved = takeUnsaved();
    QStringList recovered;
    for (const QString &path : Defaults::stringList(Defaults::OpenFiles)) {
        if (const auto found = unsaved.find(path); found != unsaved.end()) {
            reopen(found->second);
            recovered << path;
            unsaved.erase(found);
            continue;
        }
        if (!QFileInfo(path).isFile())
            continue;
        app.documents().loadDocument(path, false, false, false);
        restoreRemoteOrigin(path);
    }
    for (const auto &[path, record] : unsaved) {
        reopen(record);
        recovered << path;
    }
    noteRecovered(recovered);
    if (app.documents().empty())
        return;
    const auto active = Defaults::string(Defaults::ActiveFile);
    int index = active ? app.documents().indexOfPath(*active) : -1;
    if (index < 0)
        index = int(app.documents().size()) - 1;
    app.tabs().activateDocument(index, true);
}

void SessionController::restoreWorkspace()
{
    if (const auto stored = Defaults::string(Defaults::Workspace); stored && QFileInfo::exists(*stored)) {
        app.fileOperations().adoptWorkspace(*stored);
        app.window().explorer()->setRoot(*app.fileOperations().workspace(), false, true);
    }
    if (const auto root = Defaults::string(Defaults::ExplorerRoot)) {
        const bool isCopy = FileNames::isAtOrUnder(*root, remoteCopiesDirectory());
        if (!isCopy && isExistingFolder(*root)) {
            const bool outside = app.fileOperations().workspace() && QDir::cleanPath(*root) != *app.fileOperations().workspace();
            app.window().explorer()->setRoot(*root, outside, app.fileOperations().workspace().has_value());
        }
    }
}

void SessionController::restoreRemoteOrigin(const QString &path)
{
    const auto remote = storedRemoteOrigin(path);
    if (!remote)
        return;
    for (const DocumentPtr &document : app.documents())
        if (document->path() == path)
            app.remoteDocuments().setRemoteOrigin(document, *remote);
}

void SessionController::beginPersisting()
{
    persisting = true;
}

void SessionController::persist()
{
    if (!persisting)
        return;
    QStringList open;
    for (const DocumentPtr &document : app.documents())
        open << document->path();
    Defaults::set(Defaults::OpenFiles, open);
    if (const DocumentPtr active = app.documents().activeDocument())
        Defaults::set(Defaults::ActiveFile, active->path());
    else
        Defaults::remove(Defaults::ActiveFile);
    const QString root = app.window().explorer()->root();
    if (root.isEmpty())
        Defaults::remove(Defaults::ExplorerRoot);
    else
        Defaults::set(Defaults::ExplorerRoot, root);
}

void SessionController::writeForExit()
{
    keeper->flushNow();
    for (const DocumentPtr &document : app.documents())
        app.bookmarks().store(*document);
    persist();
}

std::map<QString, JournalRecord> SessionController::takeUnsaved()
{
    std::map<QString, JournalRecord> byPath;
    // Newest last, so that a newer entry for the same file replaces an older one.
    for (JournalRecord &record : keeper->takeLeftovers()) {
        const QString path = record.state.path;
        if (const auto older = byPath.find(path); older != byPath.end())
            keeper->discard(older->second.key);
        byPath[path] = std::move(record);
    }
    return byPath;
}

void SessionController::reopen(const JournalRecord &record)
{
    const DocumentPtr document = app.documents().openRecovered(record);
    keeper->adopt(document, record);
}

void SessionController::noteRecovered(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    app.window().showNote(paths.size() == 1
                     ? QStringLiteral("Recovered unsaved changes to %1").arg(QFileInfo(paths.front()).fileName())
                     : QStringLiteral("Recovered unsaved changes to %1 files").arg(QLocale::system().toString(paths.size())));
}
