#include "CommitCell.h"

#include "CommitListModel.h"
#include "common/Theme.h"

#include <QApplication>
#include <QPainter>

namespace
{

constexpr int horizontalInset = 10;
constexpr int lineGap = 2;
constexpr qreal titlePoints = 12;
constexpr qreal detailPoints = 11;

// One line of text cut at its end to the width, from the top of the rect.
void drawLine(QPainter *painter, const QRect &rect, const QFont &font, const QColor &colour,
    const QString &text)
{
    painter->setFont(font);
    painter->setPen(colour);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignTop,
        QFontMetrics(font).elidedText(text, Qt::ElideRight, rect.width()));
}

}

CommitCell::CommitCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void CommitCell::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The selection and hover background as the style draws it; the texts are drawn here.
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QColor highlighted = opt.palette.color(QPalette::HighlightedText);
    const QRect cell = opt.rect.adjusted(horizontalInset, 0, -horizontalInset, 0);
    const QFont titleFont = Theme::pointFont(opt.font, titlePoints);
    const QString title = index.data(Qt::DisplayRole).toString();
    painter->save();
    if (index.data(CommitListModel::LoadMoreRole).toBool()) {
        painter->setFont(titleFont);
        painter->setPen(selected ? highlighted : Theme::accent(opt.palette));
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, title);
        painter->restore();
        return;
    }
    const QFont detailFont = Theme::pointFont(opt.font, detailPoints);
    const int titleHeight = QFontMetrics(titleFont).height();
    const int textHeight = titleHeight + lineGap + QFontMetrics(detailFont).height();
    const int top = cell.top() + (cell.height() - textHeight) / 2;
    drawLine(painter, QRect(cell.left(), top, cell.width(), titleHeight), titleFont,
        selected ? highlighted : Theme::label(opt.palette), title);
    drawLine(painter,
        QRect(cell.left(), top + titleHeight + lineGap, cell.width(), cell.bottom() - top),
        detailFont, selected ? highlighted : Theme::secondaryLabel(opt.palette),
        index.data(CommitListModel::DetailRole).toString());
    painter->restore();
}

QSize CommitCell::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // The rows take the pane's width; their texts are cut to it.
    return QSize(0, rowHeight);
}
