#pragma once

#include "Language.h"
#include "PaintVersions.h"
#include "Tokenizer.h"

#include <QObject>

#include <memory>
#include <unordered_map>
#include <vector>

using SpanList = std::shared_ptr<const std::vector<Span>>;

// The last accepted scan of each editor view, keyed by the view's identity. Scrolling re-applies
// the shown view's spans without a new scan, and a view shown again whose text and language are
// unchanged gets its spans back at once. The owner drops a view's entry when the view goes away.
class SpanCache
{
public:
    struct Entry {
        qint64 version = 0; // the paint version the spans were accepted at
        SpanList spans;
        const Language *language = nullptr; // the language they were scanned in
        qint64 textStamp = 0; // the text they were scanned from
    };

    const Entry *find(const QObject *view) const;
    // The view's spans when they can be applied without a scan: accepted at the current version,
    // or scanned from the very text and language the view has now.
    const Entry *reusable(const QObject *view, const PaintVersions &versions,
        const Language *language, qint64 textStamp) const;
    void store(const QObject *view, Entry entry);
    // Takes the view's spans over for a later version; false when the view has none.
    bool restamp(const QObject *view, qint64 version);
    void drop(const QObject *view);
    bool contains(const QObject *view) const { return find(view) != nullptr; }
    qsizetype size() const { return qsizetype(entries.size()); }

private:
    std::unordered_map<const QObject *, Entry> entries;
};
