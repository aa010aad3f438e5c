#include "ConnectionCards.h"

#include "Destination.h"

namespace
{

QStringList cancelAnd(const QString &action)
{
    return { QStringLiteral("Cancel"), action };
}

}

CardText connectCard()
{
    return { QStringLiteral("Connect over ssh"),
        QStringLiteral("user@host, or a name from ~/.ssh/config. To start in a folder: "
                       "user@host:/var/www; for a port: user@host:port. Keys and the ssh agent "
                       "are used; no password is kept."),
        QString(), cancelAnd(QStringLiteral("Connect")), 1 };
}

Checked<RemoteHost> acceptConnect(const QString &text)
{
    const auto parsed = parseDestination(text);
    if (!parsed)
        return { std::nullopt,
            QStringLiteral("Use user@host, or a name from your ssh config. Add :port if it "
                           "isn't 22, or :/folder to start there.") };
    return { RemoteHost { parsed->destination, parsed->destination, parsed->port,
                 { parsed->folder.value_or(QStringLiteral("~")) } },
        {} };
}

CardText addFolderCard(const RemoteHost &host)
{
    return { QStringLiteral("Add a folder to ") + host.name,
        QStringLiteral(
            "A folder on the machine, such as /etc/nginx. It is added beside the others and "
            "kept."),
        QStringLiteral("/"), cancelAnd(QStringLiteral("Add")), 1 };
}

Checked<QString> acceptFolder(const QString &text)
{
    QString folder = text.trimmed();
    if (folder.isEmpty() || folder.contains(QLatin1Char('\n')))
        return { std::nullopt,
            QStringLiteral("Type a folder on the machine, such as /var/www or ~/code.") };
    if (!folder.startsWith(QLatin1Char('/')) && !folder.startsWith(QLatin1Char('~')))
        folder.prepend(QLatin1String("~/"));
    return { folder, {} };
}

CardText renameCard(const RemoteHost &host)
{
    return { QStringLiteral("Rename ") + host.name,
        QStringLiteral("Only the name in this list. Where it is stays as it was."), host.name,
        cancelAnd(QStringLiteral("Rename")), 1 };
}

Checked<QString> acceptRename(const QString &text)
{
    const QString name = text.trimmed();
    if (name.isEmpty())
        return { std::nullopt, QStringLiteral("A name can't be empty.") };
    return { name, {} };
}

QString renamedNote(const QString &name)
{
    return QStringLiteral("Renamed to ") + name;
}

CardText editCard(const RemoteHost &host)
{
    QString where = host.destination;
    if (host.port)
        where += QLatin1Char(':') + QString::number(*host.port);
    return { QStringLiteral("Edit ") + host.name,
        QStringLiteral("Where it is: user@host, with :port if it isn't 22. A :/folder is added "
                       "to its folders."),
        where, cancelAnd(QStringLiteral("Save")), 1 };
}

Checked<RemoteHost> acceptEdit(const QList<RemoteHost> &hosts, qsizetype index, const QString &text)
{
    const auto parsed = parseDestination(text);
    if (!parsed)
        return { std::nullopt,
            QStringLiteral("Use user@host, or a name from your ssh config. Add :port if it "
                           "isn't 22, or :/folder to add a folder.") };
    RemoteHost edited = hosts.at(index);
    edited.destination = parsed->destination;
    edited.port = parsed->port;
    if (parsed->folder)
        addFolder(edited, *parsed->folder);
    const QString newID = hostID(edited);
    if (newID != hostID(hosts.at(index)))
        for (qsizetype i = 0; i < hosts.size(); ++i)
            if (i != index && hostID(hosts.at(i)) == newID)
                return { std::nullopt,
                    parsed->destination
                        + QStringLiteral(" is already in the list. Remove this entry instead.") };
    return { edited, {} };
}

QString changedNote(const QString &name)
{
    return QStringLiteral("Changed ") + name
        + QStringLiteral(". It connects the next time it is used.");
}

bool addFolder(RemoteHost &host, const QString &folder)
{
    if (host.folders.contains(folder))
        return false;
    host.folders << folder;
    return true;
}
