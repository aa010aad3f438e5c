#include "SearchCell.h"

#include "common/Theme.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace
{

constexpr int gap = 6;
constexpr qreal primaryPoints = 12;
constexpr qreal hitPoints = 11;

QFont pointFont(const QFont &base, qreal points)
{
    QFont font = base;
    font.setPointSizeF(points);
    return font;
}

// A highlighter's yellow, see-through enough for the text to stay readable on either appearance.
QColor emphasisBackground(const QPalette &palette)
{
    return Theme::isDark(palette) ? QColor(255, 196, 0, 90) : QColor(255, 208, 0, 120);
}

// Draws a text on one line from the left of rect, vertically centred, within the rect.
void drawLayout(QPainter *painter, QTextLayout &layout, const QRectF &rect)
{
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e6);
    layout.endLayout();
    if (!line.isValid())
        return;
    const qreal top = rect.top() + (rect.height() - line.height()) / 2;
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    layout.draw(painter, QPointF(rect.left(), top));
    painter->restore();
}

}

SearchCell::SearchCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QString SearchCell::fileDetail(const QString &path, int hitCount, const QLocale &locale)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : path.left(slash);
    return folder + QStringLiteral("  ·  ") + locale.toString(hitCount);
}

QString SearchCell::shownText(const QString &lineText)
{
    const QString trimmed = lineText.trimmed();
    qsizetype length = std::min(trimmed.size(), shownLength);
    // Never cut a character in half.
    if (length < trimmed.size() && length > 0 && trimmed.at(length - 1).isHighSurrogate())
        --length;
    return trimmed.left(length);
}

QList<std::pair<qsizetype, qsizetype>> SearchCell::occurrences(
    const QString &shown, const SearchQuery &query)
{
    QList<std::pair<qsizetype, qsizetype>> found;
    if (query.regex || query.text.isEmpty())
        return found;
    const Qt::CaseSensitivity sensitivity
        = query.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype length = query.text.size();
    for (qsizetype at = shown.indexOf(query.text, 0, sensitivity); at >= 0;
         at = shown.indexOf(query.text, at + length, sensitivity))
        found.append({ at, length });
    return found;
}

void SearchCell::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QColor text
        = selected ? opt.palette.color(QPalette::HighlightedText) : Theme::label(opt.palette);
    painter->save();
    if (index.parent().isValid())
        paintHitRow(painter, opt, index, text);
    else
        paintFileRow(painter, opt, index, text);
    painter->restore();
}

void SearchCell::paintFileRow(QPainter *painter, const QStyleOptionViewItem &option,
    const QModelIndex &index, const QColor &text) const
{
    const QString path = index.data(Qt::DisplayRole).toString();
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const QString detail = fileDetail(path, index.data(CountRole).toInt());
    const QRect cell = option.rect.adjusted(2, 0, -2, 0);

    const QFont primaryFont = pointFont(option.font, primaryPoints);
    const QFontMetrics primaryMetrics(primaryFont);
    const QString shownName = primaryMetrics.elidedText(name, Qt::ElideMiddle, cell.width());
    painter->setFont(primaryFont);
    painter->setPen(text);
    painter->drawText(cell, Qt::AlignVCenter | Qt::AlignLeft, shownName);

    QRect rest = cell.adjusted(primaryMetrics.horizontalAdvance(shownName) + gap, 0, 0, 0);
    const QFont detailFont = pointFont(option.font, hitPoints);
    painter->setFont(detailFont);
    painter->setPen(
        option.state & QStyle::State_Selected ? text : Theme::secondaryLabel(option.palette));
    painter->drawText(rest, Qt::AlignVCenter | Qt::AlignLeft,
        QFontMetrics(detailFont).elidedText(detail, Qt::ElideLeft, rest.width()));
}

void SearchCell::paintHitRow(QPainter *painter, const QStyleOptionViewItem &option,
    const QModelIndex &index, const QColor &text) const
{
    const QFont font = pointFont(option.font, hitPoints);
    const QFontMetrics metrics(font);
    const QString number = QString::number(index.data(LineRole).toInt());
    const QRect cell = option.rect.adjusted(2, 0, -2, 0);
    painter->setFont(font);
    painter->setPen(
        option.state & QStyle::State_Selected ? text : Theme::secondaryLabel(option.palette));
    painter->drawText(cell, Qt::AlignVCenter | Qt::AlignLeft, number);

    const QString shown = index.data(Qt::DisplayRole).toString();
    QTextLayout layout(shown, font, painter->device());
    QList<QTextLayout::FormatRange> formats;
    for (const auto &[start, length] : occurrences(shown, query)) {
        QTextLayout::FormatRange range;
        range.start = int(start);
        range.length = int(length);
        range.format.setBackground(emphasisBackground(option.palette));
        formats.append(range);
    }
    layout.setFormats(formats);
    painter->setPen(text);
    drawLayout(painter, layout, cell.adjusted(metrics.horizontalAdvance(number) + gap, 0, 0, 0));
}

QSize SearchCell::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    // The rows take the pane's width; their texts are cut to it.
    return QSize(0, rowHeight);
}
