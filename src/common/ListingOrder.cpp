#include "ListingOrder.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace
{

QLocale collationLocale()
{
    // The C locale collates by code point alone, with neither case folding nor numbers by
    // value; a file browser wants both even there.
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

}

void sortListing(QList<DirectoryEntry> &entries)
{
    QCollator collator(collationLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    struct Keyed {
        QString name;
        DirectoryEntry entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (DirectoryEntry &entry : entries)
        keyed.push_back({ entry.path.mid(entry.path.lastIndexOf(u'/') + 1), std::move(entry) });

    std::sort(keyed.begin(), keyed.end(), [&collator](const Keyed &a, const Keyed &b) {
        if (a.entry.isDirectory != b.entry.isDirectory)
            return a.entry.isDirectory;
        const int order = collator.compare(a.name, b.name);
        // Names equal but for case still need one fixed order.
        return order != 0 ? order < 0 : a.name < b.name;
    });

    entries.clear();
    for (Keyed &item : keyed)
        entries.append(std::move(item.entry));
}
