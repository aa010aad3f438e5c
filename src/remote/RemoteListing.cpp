#include "RemoteListing.h"

#include "RemoteFileOutcomes.h"
#include "RemoteScripts.h"
#include "SSHArguments.h"
#include "SSHFailure.h"
#include "common/NameLists.h"

QString listingCommand(const QString &path)
{
    return withEndMarker(QStringLiteral("cd -- ") + remoteQuote(path)
        + QStringLiteral(" || exit 1\n"
                         "[ -r . ] || { echo 'Permission denied' >&2; exit 1; }\n"
                         "for e in * .[!.]* ..?*; do\n"
                         "  if [ -d \"$e\" ]; then printf '%s/\\000' \"$e\"\n"
                         "  elif [ -e \"$e\" ] || [ -L \"$e\" ]; then printf '%s\\000' \"$e\"; fi\n"
                         "done"));
}

QString childPath(const QString &parent, const QString &name)
{
    return parent == QLatin1String("/") ? parent + name : parent + QLatin1Char('/') + name;
}

QList<DirectoryEntry> parseListing(const QByteArray &output, const QString &parent)
{
    QList<DirectoryEntry> entries;
    for (const QByteArray &bytes : output.split('\0')) {
        QString name = QString::fromUtf8(bytes);
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

std::optional<QList<DirectoryEntry>> listedEntries(const SSHResult &result, const QString &parent)
{
    const auto output = confirmedOutput(result);
    if (!output)
        return std::nullopt;
    return parseListing(*output, parent);
}

QString listingError(const SSHResult &result)
{
    if (const auto failure = classifyFailure(result))
        return failure->text();
    if (result.stderr.trimmed().isEmpty() && result.status == 0)
        return QStringLiteral("Couldn't read this folder: ") + unconfirmedReason(result);
    if (result.stderr.trimmed().isEmpty())
        return QStringLiteral("Couldn't read this folder");
    return failureReason(result);
}
