#pragma once

#include <QHash>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <functional>

// Draws one Explorer row: the folder or document symbol, the entry's name, and the dot of a
// file with unsaved changes.
class ExplorerCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 22;
    static constexpr int iconSize = 16;

    explicit ExplorerCell(QObject *parent = nullptr);

    // Tells whether the file at a path has unsaved changes.
    std::function<bool(const QString &path)> isDirty;

    // Where the dot goes in a row's cell rectangle.
    static QRect dotRect(const QRect &cell);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPixmap symbol(const QString &name, const QColor &tint, qreal devicePixelRatio) const;

    mutable QHash<QString, QPixmap> m_symbols;
};
