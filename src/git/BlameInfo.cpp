#include "BlameInfo.h"

bool BlameInfo::isUncommitted() const
{
    if (sha.isEmpty())
        return false;
    for (QChar c : sha)
        if (c != u'0')
            return false;
    return true;
}

const BlameInfo &BlameInfo::draft()
{
    static const BlameInfo placeholder { QString(40, u'0'), QStringLiteral("Not Committed Yet"),
        QString(), QDateTime::fromSecsSinceEpoch(0, Qt::UTC), QString() };
    return placeholder;
}
