#pragma once

#include "SearchQuery.h"

#include <QList>
#include <QStyledItemDelegate>

#include <utility>

// Draws the rows of the Search pane. A file row shows the file's name, then its folder and its
// number of hits; a hit row shows the line number and the line, with the occurrences of a plain
// text query emphasised.
class SearchCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 20;
    static constexpr qsizetype shownLength = 300;

    // A file row's text is its path relative to the searched folder, a hit row's text the line
    // as shown (shownText); a hit row is the child of its file's row.
    enum Role {
        CountRole = Qt::UserRole + 1, // file rows: the number of hits
        LineRole, // hit rows: the 1-based line number
    };

    explicit SearchCell(QObject *parent = nullptr);

    // The query whose occurrences are emphasised.
    SearchQuery query;

    // "folder/part  ·  12": the folder part of a path and its number of hits.
    static QString fileDetail(
        const QString &path, int hitCount, const QLocale &locale = QLocale::system());
    // The line without surrounding white space, cut to its first 300 characters.
    static QString shownText(const QString &lineText);
    // Where the query occurs in a shown text, as (start, length) pairs: none for a regular
    // expression or an empty query; without regard to case unless the query says otherwise.
    static QList<std::pair<qsizetype, qsizetype>> occurrences(
        const QString &shown, const SearchQuery &query);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintFileRow(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index, const QColor &text) const;
    void paintHitRow(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index, const QColor &text) const;
};
