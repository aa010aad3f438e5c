#include "CommandHistory.h"

#include <algorithm>

CommandHistory::CommandHistory(QStringList entries)
    : list(std::move(entries))
{
    if (list.size() > limit)
        list = list.sliced(list.size() - limit);
}

void CommandHistory::add(const QString &line)
{
    list.removeAll(line);
    list.append(line);
    if (list.size() > limit)
        list = list.sliced(list.size() - limit);
    historyCursor.reset();
}

std::optional<QString> CommandHistory::browse(int delta, const QString &fieldText)
{
    if (list.isEmpty())
        return std::nullopt;
    qsizetype position;
    if (historyCursor) {
        position = *historyCursor;
    } else {
        if (delta > 0)
            return std::nullopt;
        savedDraft = fieldText;
        position = list.size();
    }
    const qsizetype next = position + delta;
    if (next < list.size()) {
        historyCursor = std::max<qsizetype>(0, next);
        return list.at(*historyCursor);
    }
    historyCursor.reset();
    return savedDraft;
}
