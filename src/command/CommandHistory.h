#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The command field's history: command lines oldest first, at most 50, each at most once, and
// the browsing state of the Up and Down keys with the draft typed before browsing began.
class CommandHistory
{
public:
    static constexpr qsizetype limit = 50;

    explicit CommandHistory(QStringList entries = {});

    const QStringList &entries() const { return list; }
    std::optional<qsizetype> cursor() const { return historyCursor; }
    const QString &draft() const { return savedDraft; }

    // Moves the line to the newest position (dropping an earlier copy and the oldest entries
    // beyond the limit) and ends browsing.
    void add(const QString &line);
    // Browses by delta (-1 for Up, +1 for Down) from the field's current text. Answers the text
    // the field shows next, or nothing when the key does nothing.
    std::optional<QString> browse(int delta, const QString &fieldText);
    // Ends browsing without changing the field.
    void endBrowsing() { historyCursor.reset(); }

private:
    QStringList list;
    std::optional<qsizetype> historyCursor;
    QString savedDraft;
};
