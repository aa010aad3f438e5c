#pragma once

#include "Journal.h"

#include <QObject>
#include <QStringList>

#include <map>
#include <memory>

class AppDelegate;
class JournalKeeper;

// The session: the workspace, the open files and the active one, written back after every
// change and restored at launch, and the journal that keeps unsaved work across crashes,
// kills and logouts.
class SessionController : public QObject {
    Q_OBJECT
public:
    explicit SessionController(AppDelegate &app, QObject *parent = nullptr);
    ~SessionController() override;

    // At launch, before anything else opens: interrupted saves, the workspace, the files and the
    // unsaved work an earlier run left.
    void restore();
    // Later changes are written from now on; the launch itself is not a change.
    void beginPersisting();
    void persist();
    // On the way out, however it comes: unsaved work, bookmarks and the session on disk.
    void writeForExit();

    JournalKeeper &journal() const { return *keeper; }

private:
    void restoreWorkspace();
    void restoreRemoteOrigin(const QString &path);
    std::map<QString, JournalRecord> takeUnsaved();
    void reopen(const JournalRecord &record);
    void noteRecovered(const QStringList &paths);

    AppDelegate &app;
    std::unique_ptr<JournalKeeper> keeper;
    bool persisting = false;
};
