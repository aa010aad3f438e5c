#include "ExplorerView.h"

#include "ExplorerCell.h"
#include "ExplorerOutline.h"
#include "FileTreeModel.h"
#include "common/ElidedLabel.h"
#include "common/Theme.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace
{

QString standardizedPath(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Row numbers from the top level down: sorting by them gives the tree's order.
QList<int> rowChain(QModelIndex index)
{
    QList<int> chain;
    for (; index.isValid(); index = index.parent())
        chain.prepend(index.row());
    return chain;
}

bool isBelow(QModelIndex index, const QModelIndex &ancestor)
{
    for (index = index.parent(); index.isValid(); index = index.parent())
        if (index == ancestor)
            return true;
    return false;
}

QFont pointFont(const QFont &base, qreal points, bool bold)
{
    QFont font = base;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

}

ExplorerView::ExplorerView(QWidget *parent)
    : QWidget(parent)
    , m_model(new FileTreeModel(this))
    , m_outline(new ExplorerOutline(this))
    , m_cell(new ExplorerCell(this))
{
    m_cell->isDirty = [this](const QString &path) { return m_dirtyPaths.contains(path); };
    m_outline->setItemDelegate(m_cell);
    m_outline->setModel(m_model);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(m_outline, 1);
    connectOutline();
    applySymbols();
}

ExplorerView::~ExplorerView() = default;

QWidget *ExplorerView::buildHeader()
{
    auto *header = new QWidget(this);
    // Long texts end in "…" rather than widening the sidebar.
    m_rootLabel = new ElidedLabel(header);
    m_rootLabel->setFont(pointFont(font(), 11, true));
    m_noteLabel = new ElidedLabel(tr("Outside workspace"), header);
    m_noteLabel->setFont(pointFont(font(), 10, false));
    m_noteLabel->setForegroundRole(QPalette::PlaceholderText);
    m_backButton = new QToolButton(header);
    m_backButton->setText(tr("Back to workspace"));
    m_backButton->setToolTip(tr("Back to the workspace folder"));
    m_backButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_backButton->setAutoRaise(true);
    connect(m_backButton, &QToolButton::clicked, this, [this] {
        if (onReturnToWorkspace)
            onReturnToWorkspace();
    });
    m_noteLabel->hide();
    m_backButton->hide();

    auto *note = new QHBoxLayout;
    note->setContentsMargins(0, 0, 0, 0);
    note->addWidget(m_noteLabel);
    note->addStretch(1);
    note->addWidget(m_backButton);
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(8, 6, 8, 4);
    layout->setSpacing(2);
    layout->addWidget(m_rootLabel);
    layout->addLayout(note);
    return header;
}

void ExplorerView::connectOutline()
{
    m_outline->onClickRow = [this](const QModelIndex &row, Qt::KeyboardModifiers modifiers) {
        clickedRow(row, modifiers);
    };
    m_outline->onDoubleClickRow = [this](const QModelIndex &row) {
        const FileNode *node = m_model->nodeAt(row);
        if (node && !node->isDirectory())
            open(node->path(), true);
    };
    m_outline->onDeleteKey = [this] {
        const QStringList paths = selectedPaths();
        if (!paths.isEmpty() && onDeleteKey)
            onDeleteKey(paths);
    };
    m_outline->menuForRow = [this](const QModelIndex &row) -> QMenu * {
        if (!contextMenu)
            return nullptr;
        const FileNode *node = m_model->nodeAt(row);
        return contextMenu(node ? std::optional<QString>(node->path()) : std::nullopt);
    };
    m_outline->onHoverRow = [this](const QModelIndex &row) { hoveredRow(row); };
    m_outline->onKeyHandled = [this] { keyHandled(); };
    connect(m_outline, &QTreeView::expanded, this, [this](const QModelIndex &folder) {
        m_expanded.insert(folder.data(FileTreeModel::PathRole).toString());
        foldersShown();
    });
    connect(m_outline, &QTreeView::collapsed, this,
        [this](const QModelIndex &folder) { folderCollapsed(folder); });
    connect(m_outline->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        [this] { selectionMoved(); });
}

void ExplorerView::setRoot(const QString &folder, bool outside, bool workspaceExists)
{
    const QString path = standardizedPath(folder);
    const bool changed = path != root();
    if (changed) {
        m_expanded.clear();
        m_model->setRootPath(path);
        setDirtyPaths(m_givenDirtyPaths);
    }
    updateHeader(path, outside, workspaceExists);
    if (changed && onChange)
        onChange();
    if (changed)
        foldersShown();
}

void ExplorerView::foldersShown()
{
    if (onFoldersShown)
        onFoldersShown();
}

QString ExplorerView::root() const
{
    return m_model->rootPath();
}

void ExplorerView::updateHeader(const QString &path, bool outside, bool workspaceExists)
{
    const QString name = QFileInfo(path).fileName();
    m_rootLabel->setText(name.isEmpty() ? path : name);
    m_rootLabel->setToolTip(path);
    m_noteLabel->setVisible(outside);
    m_backButton->setVisible(outside && workspaceExists);
}

void ExplorerView::applySymbols()
{
    m_backButton->setIcon(
        Theme::symbolIcon("arrow.uturn.backward", Theme::secondaryLabel(palette()), 14));
}

void ExplorerView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applySymbols();
}

void ExplorerView::reload()
{
    if (root().isEmpty())
        return;
    const QStringList selected = selectedPaths();
    const QString current = m_outline->currentIndex().data(FileTreeModel::PathRole).toString();

    m_model->reload();
    restoreExpanded();
    foldersShown(); // folders gone from disk are no longer open
    selectPaths(selected, current);
    // Laid out at once, before a later pass can clamp the scroll position of the emptied
    // tree, the list stays where it was.
    m_outline->doItemsLayout();
}

void ExplorerView::restoreExpanded()
{
    const QSet<QString> wanted = m_expanded;
    for (const QString &path : wanted) {
        const QModelIndex folder = m_model->find(path, false);
        if (folder.isValid())
            m_outline->expand(folder);
        else
            m_expanded.remove(path);
    }
}

void ExplorerView::selectPaths(const QStringList &paths, const QString &current)
{
    QScopedValueRollback guard(m_programmaticSelection, true);
    QItemSelection selection;
    for (const QString &path : paths) {
        const QModelIndex row = m_model->find(path, false);
        if (row.isValid())
            selection.select(row, row);
    }
    QItemSelectionModel *model = m_outline->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const QModelIndex currentRow = m_model->find(current, false);
    if (currentRow.isValid())
        model->setCurrentIndex(currentRow, QItemSelectionModel::NoUpdate);
}

void ExplorerView::setDirtyPaths(const QSet<QString> &paths)
{
    m_givenDirtyPaths = paths;
    // Documents name their files with links resolved; the rows name them as the tree does.
    QSet<QString> standardized;
    for (const QString &path : paths)
        standardized.insert(m_model->inTree(standardizedPath(path)));
    if (standardized == m_dirtyPaths)
        return;
    m_dirtyPaths = standardized;
    m_outline->viewport()->update();
}

bool ExplorerView::revealFile(const QString &path)
{
    const QModelIndex row = m_model->find(standardizedPath(path), true);
    if (!row.isValid())
        return false;
    for (QModelIndex folder = row.parent(); folder.isValid(); folder = folder.parent())
        m_outline->expand(folder);
    QScopedValueRollback guard(m_programmaticSelection, true);
    m_outline->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_outline->scrollTo(row);
    return true;
}

QStringList ExplorerView::selectedPaths() const
{
    QModelIndexList rows = m_outline->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
        [](const QModelIndex &a, const QModelIndex &b) { return rowChain(a) < rowChain(b); });
    QStringList paths;
    for (const QModelIndex &row : rows)
        paths.append(row.data(FileTreeModel::PathRole).toString());
    return paths;
}

void ExplorerView::clickedRow(const QModelIndex &row, Qt::KeyboardModifiers modifiers)
{
    const FileNode *node = m_model->nodeAt(row);
    if (!node)
        return;
    if (node->isDirectory())
        m_outline->setExpanded(row, !m_outline->isExpanded(row));
    else if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
        open(node->path(), false);
}

void ExplorerView::selectionMoved()
{
    // Only a key press walks through files as previews; the mouse and the program open
    // nothing through the selection.
    if (!m_programmaticSelection && m_outline->isHandlingKey())
        m_selectionMovedByKey = true;
}

void ExplorerView::keyHandled()
{
    // Opened once the tree is done with the key, so that whatever the opening does to the
    // selection does not cross the tree's own change.
    if (!std::exchange(m_selectionMovedByKey, false))
        return;
    const QModelIndex current = m_outline->currentIndex();
    const FileNode *node = m_model->nodeAt(current);
    if (node && !node->isDirectory() && m_outline->selectionModel()->isSelected(current))
        open(node->path(), false);
}

void ExplorerView::folderCollapsed(const QModelIndex &folder)
{
    m_expanded.remove(folder.data(FileTreeModel::PathRole).toString());
    foldersShown();
    // Rows hidden inside a closed folder must not stay selected, or Delete would reach them.
    QItemSelection hidden;
    for (const QModelIndex &row : m_outline->selectionModel()->selectedRows())
        if (isBelow(row, folder))
            hidden.select(row, row);
    if (hidden.isEmpty())
        return;
    QScopedValueRollback guard(m_programmaticSelection, true);
    m_outline->selectionModel()->select(
        hidden, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void ExplorerView::hoveredRow(const QModelIndex &row)
{
    if (!onHover)
        return;
    const FileNode *node = m_model->nodeAt(row);
    if (node)
        onHover(node->path(), m_outline->globalRowRect(row));
    else
        onHover(std::nullopt, QRect());
}

void ExplorerView::open(const QString &path, bool permanent)
{
    if (onOpen)
        onOpen(path, permanent);
}
