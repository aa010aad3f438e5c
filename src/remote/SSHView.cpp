#include "SSHView.h"

#include "RemoteCell.h"
#include "RemoteOutline.h"
#include "RemoteRows.h"
#include "RemoteTreeModel.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// Rows the program opens or closes while this lives are not recorded as the user's choice.
class Quiet
{
public:
    explicit Quiet(int &counter)
        : counter(counter)
    {
        ++counter;
    }
    ~Quiet() { --counter; }
    Quiet(const Quiet &) = delete;
    Quiet &operator=(const Quiet &) = delete;

private:
    int &counter;
};

QString emptyListText()
{
    return QStringLiteral(
        "No saved connections.\nClick + to add one: user@host, or a name from your ssh config.");
}

QFont pointFont(const QFont &base, qreal points, bool bold)
{
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}

SSHView::SSHView(RemoteHostList *list, QWidget *parent)
    : SolidBackdrop(parent)
    , m_list(list)
    , m_model(new RemoteTreeModel(list, this))
    , m_cell(new RemoteCell(this))
    , m_outline(new RemoteOutline(this))
{
    m_outline->setItemDelegate(m_cell);
    m_outline->setModel(m_model);
    m_notice = new QLabel(emptyListText(), this);
    m_notice->setWordWrap(true);
    m_notice->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_notice->setContentsMargins(10, 8, 10, 8);
    m_notice->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    // The notice takes the room the hidden list leaves, so the header stays at the top.
    layout->addWidget(m_notice, 1);
    layout->addWidget(m_outline, 1);
    connectOutline();
    reloadHosts();
}

SSHView::~SSHView() = default;

QWidget *SSHView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *title = new QLabel(QStringLiteral("REMOTE"), header);
    title->setFont(pointFont(font(), 11, true));
    m_addButton = new QToolButton(header);
    m_addButton->setText(QStringLiteral("+"));
    m_addButton->setFont(pointFont(font(), 14, false));
    m_addButton->setToolTip(QStringLiteral("Add a connection"));
    m_addButton->setAutoRaise(true);
    connect(m_addButton, &QToolButton::clicked, this, [this] {
        if (onAdd)
            onAdd();
    });
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(m_addButton);
    return header;
}

void SSHView::connectOutline()
{
    connect(m_outline, &QTreeView::clicked, this, [this](const QModelIndex &row) { clicked(row); });
    connect(m_outline, &QTreeView::doubleClicked, this,
        [this](const QModelIndex &row) { doubleClicked(row); });
    connect(m_outline, &QTreeView::expanded, this,
        [this](const QModelIndex &row) { expansionChanged(row, true); });
    connect(m_outline, &QTreeView::collapsed, this,
        [this](const QModelIndex &row) { expansionChanged(row, false); });
    m_outline->menuForRow = [this](const QModelIndex &row) { return menuFor(row); };
    m_model->onListed = [this](const QModelIndex &folder) { restoreBelow(folder); };
}

void SSHView::reloadHosts()
{
    {
        Quiet quiet(m_quiet);
        m_model->reload();
    }
    for (const HostItemPtr &item : m_list->items())
        if (!item->roots.isEmpty())
            restoreHost(item);
    updateNotice();
}

void SSHView::refresh(const HostItemPtr &item)
{
    if (!m_model->indexOf(item).isValid()) {
        reloadHosts();
        return;
    }
    bool fresh = false;
    {
        Quiet quiet(m_quiet);
        fresh = m_model->refresh(item);
    }
    if (fresh)
        restoreHost(item);
}

void SSHView::updateNotice()
{
    const bool empty = m_list->items().empty();
    m_notice->setVisible(empty);
    m_outline->setVisible(!empty);
}

void SSHView::forgetExpansion(const QString &hostID)
{
    m_expansion.forget(hostID);
}

void SSHView::carryExpansion(const QString &oldID, const QString &newID)
{
    m_expansion.carry(oldID, newID);
}

void SSHView::clicked(const QModelIndex &row)
{
    const HostItemPtr item = m_model->itemAt(row);
    if (!item)
        return;
    const RemoteNode *node = m_model->nodeAt(row);
    if (!node && (item->state == HostItem::State::idle || item->state == HostItem::State::failed)) {
        if (onConnect)
            onConnect(item);
    } else if (!node || node->isDirectory) {
        m_outline->setExpanded(row, !m_outline->isExpanded(row));
    } else if (onOpenFile) {
        onOpenFile(item->client, node->path, false);
    }
}

void SSHView::doubleClicked(const QModelIndex &row)
{
    const HostItemPtr item = m_model->itemAt(row);
    const RemoteNode *node = m_model->nodeAt(row);
    if (item && node && !node->isDirectory && onOpenFile)
        onOpenFile(item->client, node->path, true);
}

void SSHView::expansionChanged(const QModelIndex &row, bool expanded)
{
    const HostItemPtr item = m_model->itemAt(row);
    if (!item)
        return;
    const RemoteNode *node = m_model->nodeAt(row);
    // A folder is listed the first time it opens; one that failed waits for Refresh.
    if (expanded && node && node->isDirectory && !node->children && !node->loading && !node->error)
        m_model->list(row);
    if (m_quiet == 0)
        m_expansion.setExpanded(
            hostID(item->host), node ? node->path : RemoteExpansion::machineRow, expanded);
}

void SSHView::restoreHost(const HostItemPtr &item)
{
    const QString id = hostID(item->host);
    // A machine seen for the first time opens, so that its folders show once it connects.
    if (!m_expansion.knows(id))
        m_expansion.setExpanded(id, RemoteExpansion::machineRow, true);
    Quiet quiet(m_quiet);
    m_outline->setExpanded(
        m_model->indexOf(item), m_expansion.isExpanded(id, RemoteExpansion::machineRow));
    restoreBelow(m_model->indexOf(item));
}

void SSHView::restoreBelow(const QModelIndex &parent)
{
    const HostItemPtr item = m_model->itemAt(parent);
    if (!item)
        return;
    const QString id = hostID(item->host);
    Quiet quiet(m_quiet);
    for (int i = 0; i < m_model->rowCount(parent); ++i) {
        const QModelIndex row = m_model->index(i, 0, parent);
        const RemoteNode *node = m_model->nodeAt(row);
        if (!node || !node->isDirectory)
            continue;
        // Opening a folder not listed yet lists it; its own rows follow when it answers.
        if (m_expansion.isExpanded(id, node->path))
            m_outline->expand(row);
        if (node->children)
            restoreBelow(row);
    }
}

QMenu *SSHView::menuFor(const QModelIndex &row)
{
    if (m_model->nodeAt(row))
        return nodeMenu(row);
    const HostItemPtr item = m_model->itemAt(row);
    return item && hostMenu ? hostMenu(item) : nullptr;
}

QMenu *SSHView::nodeMenu(const QModelIndex &row)
{
    const HostItemPtr item = m_model->itemAt(row);
    const RemoteNode *node = m_model->nodeAt(row);
    auto *menu = new QMenu(this);
    // A file is refreshed through the folder it is in.
    const QPersistentModelIndex folder(node->isDirectory ? row : row.parent());
    menu->addAction(QStringLiteral("Refresh"), this, [this, folder] {
        if (folder.isValid())
            m_model->list(folder);
    });
    const QString path = node->path;
    if (offersAddAsFolder(*item, *node))
        menu->addAction(QStringLiteral("Add as a Folder of the Machine"), this,
            [this, item, path] { addAsFolder(item, path); });
    menu->addAction(
        QStringLiteral("Copy Path"), this, [path] { QApplication::clipboard()->setText(path); });
    if (offersRemoveFolder(*item, *node)) {
        menu->addSeparator();
        const QPersistentModelIndex root(row);
        menu->addAction(QStringLiteral("Remove Folder"), this,
            [this, item, root] { removeFolder(item, root); });
    }
    return menu;
}

void SSHView::addAsFolder(const HostItemPtr &item, const QString &path)
{
    if (m_list->addFolder(item, path)) {
        // The machine already resolved it: the new root is shown as it is, beside the open ones.
        item->roots.append(ResolvedFolder { path, true });
        Quiet quiet(m_quiet);
        m_model->addRoot(item, path);
    }
}

void SSHView::removeFolder(const HostItemPtr &item, const QModelIndex &root)
{
    const RemoteNode *node = m_model->nodeAt(root);
    if (node && m_list->removeFolder(item, node->folder)) {
        if (root.row() < item->roots.size())
            item->roots.removeAt(root.row());
        Quiet quiet(m_quiet);
        m_model->removeRoot(root);
    }
}
