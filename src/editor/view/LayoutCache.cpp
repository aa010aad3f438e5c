#include "LayoutCache.h"

LayoutCache::LayoutCache(qsizetype capacity)
    : capacity(std::max<qsizetype>(capacity, 1))
{
}

QTextLayout *LayoutCache::find(qsizetype line, qsizetype segment)
{
    const auto found = index.constFind(Key { line, segment });
    if (found == index.constEnd())
        return nullptr;
    entries.splice(entries.begin(), entries, *found);
    return entries.front().layout.get();
}

QTextLayout *LayoutCache::insert(
    qsizetype line, qsizetype segment, std::unique_ptr<QTextLayout> layout)
{
    const Key key { line, segment };
    if (const auto found = index.constFind(key); found != index.constEnd()) {
        entries.erase(*found);
        index.erase(found);
    }
    entries.push_front(Entry { key, std::move(layout) });
    index.insert(key, entries.begin());
    ++inserted;
    trim();
    return entries.front().layout.get();
}

void LayoutCache::remove(qsizetype line)
{
    for (auto entry = entries.begin(); entry != entries.end();) {
        if (entry->key.line == line) {
            index.remove(entry->key);
            entry = entries.erase(entry);
        } else {
            ++entry;
        }
    }
}

void LayoutCache::clear()
{
    entries.clear();
    index.clear();
}

void LayoutCache::follow(
    qsizetype firstLine, qsizetype linesRemoved, qsizetype linesAdded, qsizetype keptSegments)
{
    const qsizetype lastTouched = firstLine + linesRemoved;
    const qsizetype shift = linesAdded - linesRemoved;
    index.clear();
    for (auto entry = entries.begin(); entry != entries.end();) {
        Key &key = entry->key;
        const bool kept = key.line == firstLine && key.segment < keptSegments;
        if (key.line >= firstLine && key.line <= lastTouched && !kept) {
            entry = entries.erase(entry);
            continue;
        }
        if (key.line > lastTouched)
            key.line += shift;
        index.insert(key, entry);
        ++entry;
    }
}

void LayoutCache::setCapacity(qsizetype wanted)
{
    capacity = std::max<qsizetype>(wanted, 1);
    trim();
}

void LayoutCache::trim()
{
    while (qsizetype(entries.size()) > capacity) {
        index.remove(entries.back().key);
        entries.pop_back();
    }
}
