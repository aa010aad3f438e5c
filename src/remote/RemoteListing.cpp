#include "RemoteListing.h"

#include "SSHArguments.h"
#include "SSHFailure.h"
#include "common/NameLists.h"

QString listingCommand(const QString &path)
{
    return QStringLiteral("ls -1Ap -- ") + remoteQuote(path);
}

QString childPath(const QString &parent, const QString &name)
{
    return parent == QLatin1String("/") ? parent + name : parent + QLatin1Char('/') + name;
}

QList<DirectoryEntry> parseListing(const QByteArray &output, const QString &parent)
{
    QList<DirectoryEntry> entries;
    const QStringList lines = QString::fromUtf8(output).split(QLatin1Char('\n'));
    for (QString name : lines) {
        const bool isDirectory = name.endsWith(QLatin1Char('/'));
        if (isDirectory)
            name.chop(1);
        if (name.isEmpty() || NameLists::isHidden(name))
            continue;
        entries.append({ childPath(parent, name), isDirectory });
    }
    sortListing(entries);
    return entries;
}

QString listingError(const SSHResult &result)
{
    if (const auto failure = classifyFailure(result))
        return failure->text();
    if (result.stderr.trimmed().isEmpty())
        return QStringLiteral("Couldn't read this folder");
    return failureReason(result);
}
