#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AppDelegate;
class QMenu;

// The workspace folder and the file operations of the File menu and the Explorer's context
// menu: new files and folders, renaming, which open tabs and bookmarks follow, and the Trash.
class FileOperationsController : public QObject {
    Q_OBJECT
public:
    explicit FileOperationsController(AppDelegate &app);

    // The folder the editor works in: the Explorer's home, commands' start, the title's subtitle.
    const std::optional<QString> &workspace() const { return m_workspace; }
    void setWorkspace(const QString &folder);
    // The workspace of the last session, taken back without a note.
    void adoptWorkspace(const QString &folder);
    // target: the folder to create in; by default the Explorer's selection, its folder, the
    // workspace or the active file's folder.
    void newItem(bool folder, std::optional<QString> target = std::nullopt);
    void renameItem(const QString &path);
    void trashItems(const QStringList &paths);
    QMenu *explorerMenu(const std::optional<QString> &clicked);

private:
    std::optional<QString> newItemFolder() const;
    void askForName(const QString &title, const QString &detail, const QString &name, const QString &confirm,
                    std::function<std::optional<QString>(const QString &)> apply);
    void followRename(const QString &from, const QString &to);
    void trashItem(const QString &path);

    AppDelegate &app;
    std::optional<QString> m_workspace;
};
