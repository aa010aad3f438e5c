#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

// What a file hover card shows. An empty string hides its row.
struct FileCardInfo {
    QString name;
    QString path;
    QString lines;
    QString characters;
    QString commit;
};

// Above this many UTF-16 units the card leaves the line count out rather than scan the text.
inline constexpr qsizetype lineCountLimit = 3'000'000;

// The card of a file: its name, its path (or "host:path" for a remote file), the counts of its
// text in the locale's digit grouping, and "Unsaved changes" while it is dirty.
FileCardInfo fileCardInfo(const QString &name, const QString &path, QStringView text, bool dirty,
    const QLocale &locale = QLocale::system());
