#include "LayoutCache.h"

LayoutCache::LayoutCache(qsizetype capacity)
    : capacity(std::max<qsizetype>(capacity, 1))
{
}

QTextLayout *LayoutCache::find(qsizetype line)
{
    const auto found = index.constFind(line);
    if (found == index.constEnd())
        return nullptr;
    entries.splice(entries.begin(), entries, *found);
    return entries.front().layout.get();
}

QTextLayout *LayoutCache::insert(qsizetype line, std::unique_ptr<QTextLayout> layout)
{
    remove(line);
    entries.push_front(Entry { line, std::move(layout) });
    index.insert(line, entries.begin());
    ++inserted;
    trim();
    return entries.front().layout.get();
}

void LayoutCache::remove(qsizetype line)
{
    const auto found = index.constFind(line);
    if (found == index.constEnd())
        return;
    entries.erase(*found);
    index.erase(found);
}

void LayoutCache::clear()
{
    entries.clear();
    index.clear();
}

void LayoutCache::follow(qsizetype firstLine, qsizetype linesRemoved, qsizetype linesAdded)
{
    const qsizetype lastTouched = firstLine + linesRemoved;
    const qsizetype shift = linesAdded - linesRemoved;
    index.clear();
    for (auto entry = entries.begin(); entry != entries.end();) {
        if (entry->line >= firstLine && entry->line <= lastTouched) {
            entry = entries.erase(entry);
            continue;
        }
        if (entry->line > lastTouched)
            entry->line += shift;
        index.insert(entry->line, entry);
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
        index.remove(entries.back().line);
        entries.pop_back();
    }
}
