#pragma once

#include <QHash>
#include <QTextLayout>

#include <list>
#include <memory>

// The laid-out lines of a view, at most `capacity` of them: the least recently used goes
// when a new one comes. A very long line is laid out in segments, each kept on its own (a
// short line is segment 0). An edit drops the lines it touched and renumbers the ones after
// it, so the rest stay laid out.
class LayoutCache
{
public:
    explicit LayoutCache(qsizetype capacity = 400);

    // The line's layout, now the most recently used; null when it is not here.
    QTextLayout *find(qsizetype line, qsizetype segment = 0);
    bool contains(qsizetype line, qsizetype segment = 0) const
    {
        return index.contains(Key { line, segment });
    }
    // Keeps layout for line (replacing any) and answers it; may let the oldest one go.
    QTextLayout *insert(qsizetype line, std::unique_ptr<QTextLayout> layout)
    {
        return insert(line, 0, std::move(layout));
    }
    QTextLayout *insert(qsizetype line, qsizetype segment, std::unique_ptr<QTextLayout> layout);
    // Drops all of the line's segments.
    void remove(qsizetype line);
    void clear();

    // An edit in firstLine took out linesRemoved breaks and put in linesAdded: the lines
    // firstLine … firstLine + linesRemoved go, the lines after move by the difference. The
    // first `keptSegments` segments of firstLine lie before the edit and stay.
    void follow(qsizetype firstLine, qsizetype linesRemoved, qsizetype linesAdded,
        qsizetype keptSegments = 0);

    // Never below what one screen needs; the view raises it for tall windows.
    void setCapacity(qsizetype capacity);
    qsizetype size() const { return index.size(); }
    // Layouts put in since the cache was made: what laying out has cost so far.
    quint64 made() const { return inserted; }

private:
    struct Key {
        qsizetype line;
        qsizetype segment;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.line, key.segment);
        }
    };
    struct Entry {
        Key key;
        std::unique_ptr<QTextLayout> layout;
    };
    using Entries = std::list<Entry>;

    void trim();

    Entries entries; // most recently used first
    QHash<Key, Entries::iterator> index;
    qsizetype capacity;
    quint64 inserted = 0;
};
