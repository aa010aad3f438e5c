#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class ExplorerCell;
class ExplorerOutline;
class FileTreeModel;
class QLabel;
class QMenu;
class QModelIndex;
class QToolButton;

// The sidebar tree of a folder: folders first, children read when a folder is first opened,
// unsaved files marked with a dot. It can show a folder outside the workspace, with a note and
// a way back.
class ExplorerView : public QWidget
{
    Q_OBJECT
public:
    explicit ExplorerView(QWidget *parent = nullptr);
    ~ExplorerView() override;

    // A file was chosen: as a preview (permanent false) or to keep (permanent true).
    std::function<void(const QString &path, bool permanent)> onOpen;
    std::function<void()> onReturnToWorkspace;
    // The menu for the entry at path, or for the empty area (no path). The view deletes the
    // menu once it has closed.
    std::function<QMenu *(const std::optional<QString> &path)> contextMenu;
    std::function<void(const QStringList &paths)> onDeleteKey;
    // The pointer moved onto the row of path (its rectangle in global coordinates), or off the
    // rows (no path).
    std::function<void(const std::optional<QString> &path, const QRect &rowRect)> onHover;
    // The root folder changed.
    std::function<void()> onChange;
    // The folders on show changed: the root, or which folders are open.
    std::function<void()> onFoldersShown;

    // Shows folder. The same folder again keeps the tree as it is; another one starts afresh.
    // outside: the folder is not the workspace; workspaceExists: there is one to go back to.
    void setRoot(const QString &folder, bool outside, bool workspaceExists);
    // The folder shown, standardized; empty when there is none.
    QString root() const;
    // Reads the opened folders again after files changed, keeping what was open and selected.
    void reload();
    void setDirtyPaths(const QSet<QString> &paths);
    const QSet<QString> &dirtyPaths() const { return m_dirtyPaths; }
    // Opens the folders above the file, selects its row and scrolls to it, opening nothing.
    // False when the file is not in the tree under the root.
    bool revealFile(const QString &path);
    // The selected entries in tree order.
    QStringList selectedPaths() const;
    // The paths of the open folders.
    const QSet<QString> &expanded() const { return m_expanded; }

    QLabel *rootLabel() const { return m_rootLabel; }
    QLabel *noteLabel() const { return m_noteLabel; }
    QToolButton *backButton() const { return m_backButton; }
    ExplorerOutline *outline() const { return m_outline; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildHeader();
    void connectOutline();
    void updateHeader(const QString &path, bool outside, bool workspaceExists);
    void applySymbols();
    void clickedRow(const QModelIndex &row, Qt::KeyboardModifiers modifiers);
    void selectionMoved();
    void keyHandled();
    void folderCollapsed(const QModelIndex &folder);
    void hoveredRow(const QModelIndex &row);
    void restoreExpanded();
    void foldersShown();
    void selectPaths(const QStringList &paths, const QString &current);
    void open(const QString &path, bool permanent);

    FileTreeModel *m_model;
    QSet<QString> m_expanded;
    bool m_programmaticSelection = false;
    bool m_selectionMovedByKey = false;
    QSet<QString> m_dirtyPaths; // as the rows name them
    QSet<QString> m_givenDirtyPaths;
    QLabel *m_rootLabel = nullptr;
    QLabel *m_noteLabel = nullptr;
    QToolButton *m_backButton = nullptr;
    ExplorerOutline *m_outline;
    ExplorerCell *m_cell;
};
