#pragma once

#include <QDateTime>
#include <QString>

// Two ways of saying how long ago a date was; dates in the future count as now.

// The words of file history: "just now", "5 min ago", "3 hr ago", "12 days ago",
// "4 months ago", "2 years ago".
QString relativeTime(const QDateTime &date, const QDateTime &now = QDateTime::currentDateTimeUtc());

// The compact age of commits: "now", "5m", "3h", "6d", "2w", "4mo", "2y".
QString shortRelativeTime(
    const QDateTime &date, const QDateTime &now = QDateTime::currentDateTimeUtc());
