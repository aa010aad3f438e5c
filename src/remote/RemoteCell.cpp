#include "RemoteCell.h"

#include "RemoteRows.h"
#include "RemoteTreeModel.h"
#include "common/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QPixmapCache>

namespace
{

constexpr int leftInset = 2;
constexpr int iconGap = 5;
constexpr int detailGap = 8;
constexpr qreal detailShrink = 1.5; // points smaller than the title

QPixmap cachedSymbol(const QString &name, const QColor &tint, qreal ratio)
{
    // A handful of symbol and tint pairs ever occur; rendering the drawing on each paint would
    // be wasteful.
    const QString key
        = QStringLiteral("remote/") + name + tint.name(QColor::HexArgb) + QString::number(ratio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = Theme::symbol(name, tint, RemoteCell::iconSize, ratio);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

QColor toneColour(RowTone tone, const QPalette &palette)
{
    switch (tone) {
    case RowTone::green:
        return Theme::green(palette);
    case RowTone::orange:
        return Theme::orange(palette);
    case RowTone::red:
        return Theme::red(palette);
    case RowTone::secondary:
        break;
    }
    return Theme::secondaryLabel(palette);
}

QFont detailFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(std::max(base.pointSizeF() - detailShrink, 7.0));
    return font;
}

qreal ratioOf(const QPainter *painter)
{
    return painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
}

}

RemoteCell::RemoteCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void RemoteCell::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The selection and hover background as the style draws it; the rest is drawn here.
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
    painter->save();
    if (index.data(RemoteTreeModel::IsHostRole).toBool())
        paintHost(painter, opt, index);
    else
        paintNode(painter, opt, index);
    painter->restore();
}

void RemoteCell::paintHost(
    QPainter *painter, const QStyleOptionViewItem &opt, const QModelIndex &index) const
{
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette &palette = opt.palette;
    const QColor text = selected ? palette.color(QPalette::HighlightedText) : Theme::label(palette);
    const auto tone = RowTone(index.data(RemoteTreeModel::ToneRole).toInt());

    const QRect cell = opt.rect;
    const QPoint iconAt(cell.left() + leftInset, cell.center().y() - iconSize / 2 + 1);
    painter->drawPixmap(iconAt,
        cachedSymbol(
            "server.rack", selected ? text : Theme::secondaryLabel(palette), ratioOf(painter)));

    const QRect textRect = cell.adjusted(leftInset + iconSize + iconGap, 2, -4, -2);
    const QRect titleRect(textRect.left(), textRect.top(), textRect.width(), textRect.height() / 2);
    const QRect detailRect(textRect.left(), titleRect.bottom() + 1, textRect.width(),
        textRect.bottom() - titleRect.bottom());
    QFont titleFont = opt.font;
    titleFont.setWeight(QFont::DemiBold);
    painter->setFont(titleFont);
    painter->setPen(text);
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignBottom,
        QFontMetrics(titleFont).elidedText(opt.text, Qt::ElideRight, titleRect.width()));

    const QFont small = detailFont(opt.font);
    painter->setFont(small);
    painter->setPen(selected ? text : toneColour(tone, palette));
    const QString detail = index.data(RemoteTreeModel::DetailRole).toString();
    painter->drawText(detailRect, Qt::AlignLeft | Qt::AlignTop,
        QFontMetrics(small).elidedText(detail, Qt::ElideRight, detailRect.width()));
}

void RemoteCell::paintNode(
    QPainter *painter, const QStyleOptionViewItem &opt, const QModelIndex &index) const
{
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette &palette = opt.palette;
    const QString error = index.data(RemoteTreeModel::DetailRole).toString();
    const bool isDirectory = index.data(RemoteTreeModel::IsDirectoryRole).toBool();
    const QColor text = selected ? palette.color(QPalette::HighlightedText)
        : error.isEmpty()        ? Theme::label(palette)
                                 : Theme::red(palette);
    QColor tint = isDirectory ? Theme::accent(palette) : Theme::secondaryLabel(palette);
    if (selected || !error.isEmpty())
        tint = text;

    const QRect cell = opt.rect;
    const QPoint iconAt(cell.left() + leftInset, cell.center().y() - iconSize / 2 + 1);
    painter->drawPixmap(
        iconAt, cachedSymbol(isDirectory ? "folder" : "doc.text", tint, ratioOf(painter)));

    QRect textRect = cell.adjusted(leftInset + iconSize + iconGap, 0, -4, 0);
    painter->setFont(opt.font);
    painter->setPen(text);
    const QString name = opt.fontMetrics.elidedText(opt.text, Qt::ElideMiddle, textRect.width());
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, name);
    if (error.isEmpty())
        return;
    textRect.setLeft(textRect.left() + opt.fontMetrics.horizontalAdvance(name) + detailGap);
    const QFont small = detailFont(opt.font);
    painter->setFont(small);
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
        QFontMetrics(small).elidedText(error, Qt::ElideRight, textRect.width()));
}

QSize RemoteCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool host = index.data(RemoteTreeModel::IsHostRole).toBool();
    const int textWidth = option.fontMetrics.horizontalAdvance(index.data().toString());
    return QSize(
        leftInset + iconSize + iconGap + textWidth + iconGap, host ? hostRowHeight : nodeRowHeight);
}
