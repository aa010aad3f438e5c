#include "RelativeTime.h"

#include <algorithm>

namespace
{

constexpr qint64 minute = 60;
constexpr qint64 hour = 3'600;
constexpr qint64 day = 86'400;
constexpr qint64 week = 604'800;
constexpr qint64 month = 2'592'000; // 30 days
constexpr qint64 year = 31'536'000; // 365 days

// Whole seconds from the date to now, the fraction dropped.
qint64 secondsBetween(const QDateTime &date, const QDateTime &now)
{
    return date.msecsTo(now) / 1000;
}

QString counted(qint64 count, const char *unit)
{
    return QString::number(count) + QLatin1String(unit);
}

}

QString relativeTime(const QDateTime &date, const QDateTime &now)
{
    const qint64 s = secondsBetween(date, now);
    if (s < 45)
        return QStringLiteral("just now");
    if (s < hour)
        return counted(std::max<qint64>(1, s / minute), " min ago");
    if (s < day)
        return counted(s / hour, " hr ago");
    if (s < 60 * day)
        return counted(s / day, " days ago");
    if (s >= 730 * day)
        return counted(s / year, " years ago");
    return counted(s / month, " months ago");
}

QString shortRelativeTime(const QDateTime &date, const QDateTime &now)
{
    const qint64 s = secondsBetween(date, now);
    if (s < minute)
        return QStringLiteral("now");
    if (s < hour)
        return counted(s / minute, "m");
    if (s < day)
        return counted(s / hour, "h");
    if (s < week)
        return counted(s / day, "d");
    if (s < month)
        return counted(s / week, "w");
    if (s < year)
        return counted(s / month, "mo");
    return counted(s / year, "y");
}
