#include "SpanCache.h"

const SpanCache::Entry *SpanCache::find(const QObject *view) const
{
    const auto found = entries.find(view);
    return found == entries.end() ? nullptr : &found->second;
}

const SpanCache::Entry *SpanCache::reusable(const QObject *view, const PaintVersions &versions,
    const Language *language, qint64 textStamp) const
{
    const Entry *entry = find(view);
    if (!entry || versions.isCurrent(entry->version))
        return entry;
    return entry->language == language && entry->textStamp == textStamp ? entry : nullptr;
}

void SpanCache::store(const QObject *view, Entry entry)
{
    entries[view] = std::move(entry);
}

bool SpanCache::restamp(const QObject *view, qint64 version)
{
    const auto found = entries.find(view);
    if (found == entries.end())
        return false;
    found->second.version = version;
    return true;
}

void SpanCache::drop(const QObject *view)
{
    entries.erase(view);
}
