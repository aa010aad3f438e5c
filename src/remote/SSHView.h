#pragma once

#include "RemoteExpansion.h"
#include "RemoteHostList.h"
#include "common/SolidBackdrop.h"

#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QModelIndex;
class QToolButton;
class RemoteCell;
class RemoteOutline;
class RemoteTreeModel;
class SSHClient;

// The Remote pane: the saved machines as rows that open, once connected, onto their folders,
// listed folder by folder over ssh. It shows the list it is given and reports what the user
// chose; the owner keeps the list and tells the pane when it changed. Which rows the user left
// open is remembered per machine across launches.
class SSHView : public SolidBackdrop
{
    Q_OBJECT
public:
    // The list outlives the view.
    explicit SSHView(RemoteHostList *list, QWidget *parent = nullptr);
    ~SSHView() override;

    // A file row was clicked (permanent false: open it as a preview) or double-clicked
    // (permanent true), with the client of its machine.
    std::function<void(
        const std::shared_ptr<SSHClient> &client, const QString &path, bool permanent)>
        onOpenFile;
    // The + button: a new connection is wanted.
    std::function<void()> onAdd;
    // A machine that is idle or failed was clicked: it wants to connect.
    std::function<void(const HostItemPtr &item)> onConnect;
    // The menu for a machine's row. The view deletes it once it has closed.
    std::function<QMenu *(const HostItemPtr &item)> hostMenu;

    // The list's entries changed in number or order.
    void reloadHosts();
    // One entry's state, liveness or folders changed. When it has just connected, its folders
    // are shown and what was open before is opened again.
    void refresh(const HostItemPtr &item);
    // A machine was removed: nothing of it is remembered any more.
    void forgetExpansion(const QString &hostID);
    // A machine was edited to another identity: what was open stays open.
    void carryExpansion(const QString &oldID, const QString &newID);

    QToolButton *addButton() const { return m_addButton; }
    QLabel *notice() const { return m_notice; }
    RemoteOutline *outline() const { return m_outline; }
    RemoteTreeModel *model() const { return m_model; }

private:
    QWidget *buildHeader();
    void connectOutline();
    void updateNotice();
    void clicked(const QModelIndex &row);
    void doubleClicked(const QModelIndex &row);
    void expansionChanged(const QModelIndex &row, bool expanded);
    void restoreHost(const HostItemPtr &item);
    void restoreBelow(const QModelIndex &parent);
    QMenu *menuFor(const QModelIndex &row);
    QMenu *nodeMenu(const QModelIndex &row);
    void addAsFolder(const HostItemPtr &item, const QString &path);
    void removeFolder(const HostItemPtr &item, const QModelIndex &root);

    RemoteHostList *m_list;
    RemoteExpansion m_expansion;
    // Above zero while the program itself opens and closes rows: not the user's choice.
    int m_quiet = 0;
    RemoteTreeModel *m_model;
    RemoteCell *m_cell;
    QToolButton *m_addButton = nullptr;
    QLabel *m_notice = nullptr;
    RemoteOutline *m_outline;
};
