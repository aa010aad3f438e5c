#pragma once

#include <QHash>
#include <QTextLayout>

#include <list>
#include <memory>

// The laid-out lines of a view, at most `capacity` of them: the least recently used goes
// when a new one comes. An edit drops the lines it touched and renumbers the ones after it,
// so the rest stay laid out.
class LayoutCache
{
public:
    explicit LayoutCache(qsizetype capacity = 400);

    // The line's layout, now the most recently used; null when it is not here.
    QTextLayout *find(qsizetype line);
    bool contains(qsizetype line) const { return index.contains(line); }
    // Keeps layout for line (replacing any) and answers it; may let the oldest one go.
    QTextLayout *insert(qsizetype line, std::unique_ptr<QTextLayout> layout);
    void remove(qsizetype line);
    void clear();

    // An edit in firstLine took out linesRemoved breaks and put in linesAdded: the lines
    // firstLine … firstLine + linesRemoved go, the lines after move by the difference.
    void follow(qsizetype firstLine, qsizetype linesRemoved, qsizetype linesAdded);

    // Never below what one screen needs; the view raises it for tall windows.
    void setCapacity(qsizetype capacity);
    qsizetype size() const { return index.size(); }
    // Layouts put in since the cache was made: what laying out has cost so far.
    quint64 made() const { return inserted; }

private:
    struct Entry {
        qsizetype line;
        std::unique_ptr<QTextLayout> layout;
    };
    using Entries = std::list<Entry>;

    void trim();

    Entries entries; // most recently used first
    QHash<qsizetype, Entries::iterator> index;
    qsizetype capacity;
    quint64 inserted = 0;
};
