#include "ExplorerCell.h"

#include "FileTreeModel.h"
#include "common/Theme.h"

#include <QApplication>
#include <QPainter>

namespace
{

constexpr int iconGap = 4;
constexpr int dotSize = 6;
constexpr int dotMargin = 6;

}

ExplorerCell::ExplorerCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QRect ExplorerCell::dotRect(const QRect &cell)
{
    return QRect(cell.right() - dotMargin - dotSize + 1, cell.center().y() - dotSize / 2 + 1,
        dotSize, dotSize);
}

QPixmap ExplorerCell::symbol(const QString &name, const QColor &tint, qreal devicePixelRatio) const
{
    // Rendering the drawing on every paint would be wasteful; a handful of tints ever occur.
    const QString key = name + tint.name(QColor::HexArgb) + QString::number(devicePixelRatio);
    auto found = m_symbols.constFind(key);
    if (found != m_symbols.constEnd())
        return *found;
    const QPixmap pixmap = Theme::symbol(name, tint, iconSize, devicePixelRatio);
    m_symbols.insert(key, pixmap);
    return pixmap;
}

void ExplorerCell::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const bool isDirectory = index.data(FileTreeModel::IsDirectoryRole).toBool();
    const QString path = index.data(FileTreeModel::PathRole).toString();
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette &palette = opt.palette;
    const QColor text = selected ? palette.color(QPalette::HighlightedText) : Theme::label(palette);
    const QColor tint
        = selected ? text : (isDirectory ? Theme::accent(palette) : Theme::secondaryLabel(palette));

    const QRect cell = opt.rect;
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QPoint iconAt(cell.left() + 2, cell.center().y() - iconSize / 2 + 1);
    painter->drawPixmap(iconAt, symbol(isDirectory ? "folder" : "doc.text", tint, ratio));

    const bool dirty = !isDirectory && isDirty && isDirty(path);
    QRect textRect = cell.adjusted(2 + iconSize + iconGap, 0, 0, 0);
    if (dirty)
        textRect.setRight(dotRect(cell).left() - iconGap);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(text);
    const QString name = opt.fontMetrics.elidedText(opt.text, Qt::ElideMiddle, textRect.width());
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, name);
    if (dirty) {
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(text);
        painter->drawEllipse(dotRect(cell));
    }
    painter->restore();
}

QSize ExplorerCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int textWidth = option.fontMetrics.horizontalAdvance(index.data().toString());
    return QSize(2 + iconSize + iconGap + textWidth + iconGap + dotSize + dotMargin, rowHeight);
}
