#include "RemoteHost.h"

#include "SSHArguments.h"

QString hostID(const RemoteHost &host)
{
    return hostID(host.destination, host.port);
}

QString shortHostLabel(const QString &destination)
{
    const QString label = destination.mid(destination.lastIndexOf(QLatin1Char('@')) + 1);
    if (label.size() >= 17)
        return label.left(15) + QChar(0x2026);
    return label;
}
