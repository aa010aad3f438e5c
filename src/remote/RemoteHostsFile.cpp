#include "RemoteHostsFile.h"

#include "Destination.h"
#include "common/SafeSave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <mutex>

namespace
{

std::mutex homeMutex;
QString testHome;

QString homeFolder()
{
    std::lock_guard lock(homeMutex);
    return testHome.isEmpty() ? QDir::homePath() : testHome;
}

// Nothing when absent; valid false for anything but a whole number from 1 to 65535.
std::optional<int> portOf(const QJsonValue &value, bool *valid)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const double number = value.toDouble(std::nan(""));
    *valid = value.isDouble() && std::trunc(number) == number && number >= 1 && number <= 65535;
    return *valid ? std::optional<int>(int(number)) : std::nullopt;
}

// "folders" when it is a non-empty list of strings, else the older "folder", else "~".
QStringList foldersOf(const QJsonObject &entry)
{
    const QJsonValue folders = entry.value(QLatin1String("folders"));
    QStringList list;
    bool allStrings = folders.isArray();
    for (const QJsonValue &folder : folders.toArray()) {
        allStrings = allStrings && folder.isString();
        list << folder.toString();
    }
    if (allStrings && !list.isEmpty())
        return list;
    const QJsonValue folder = entry.value(QLatin1String("folder"));
    return { folder.isString() ? folder.toString() : QStringLiteral("~") };
}

// The entry, or why it cannot be used.
std::optional<RemoteHost> hostOf(const QJsonValue &value, QString *why)
{
    const QJsonObject entry = value.toObject();
    const QJsonValue name = entry.value(QLatin1String("name"));
    const QJsonValue destination = entry.value(QLatin1String("destination"));
    bool validPort = true;
    const auto port = portOf(entry.value(QLatin1String("port")), &validPort);
    if (!value.isObject())
        *why = QStringLiteral("isn't an object");
    else if (!name.isString())
        *why = QStringLiteral("has no name");
    else if (!destination.isString() || !validDestination(destination.toString()))
        *why = QStringLiteral("has no usable destination");
    else if (!validPort)
        *why = QStringLiteral("has a port that isn't a number from 1 to 65535");
    else
        return RemoteHost { name.toString(), destination.toString(), port, foldersOf(entry) };
    return std::nullopt;
}

// "connection 3" or "connection 3 (Web)", counting from 1 as a person reading the file would.
QString entryLabel(const QJsonValue &value, qsizetype index)
{
    QString label = QStringLiteral("connection ") + QString::number(index + 1);
    const QJsonValue name = value.toObject().value(QLatin1String("name"));
    if (name.isString() && !name.toString().isEmpty())
        label += QStringLiteral(" (") + name.toString() + QLatin1Char(')');
    return label;
}

QByteArray readFile(bool *exists)
{
    QFile file(remotesFile());
    *exists = file.exists();
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString notAList = QStringLiteral("remotes.json isn't a list of connections");

}

QString remotesFile()
{
    return homeFolder() + QStringLiteral("/.quillmar/remotes.json");
}

void setHomeForTests(const QString &home)
{
    std::lock_guard lock(homeMutex);
    testHome = home;
}

HostsRead decodeHosts(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    HostsRead read;
    // An empty file is an empty list, as a missing one is.
    read.isList = document.isArray() || json.trimmed().isEmpty();
    const QJsonArray entries = document.array();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QString why;
        if (const auto host = hostOf(entries[i], &why)) {
            read.hosts << *host;
            continue;
        }
        read.unreadable.append(entries[i]);
        read.problems << entryLabel(entries[i], i) + QLatin1Char(' ') + why;
    }
    return read;
}

QByteArray encodeHosts(const QList<RemoteHost> &hosts, const QJsonArray &unreadable)
{
    QJsonArray array;
    for (const RemoteHost &host : hosts) {
        // QJsonObject keeps its keys sorted.
        QJsonObject entry { { QLatin1String("name"), host.name },
            { QLatin1String("destination"), host.destination },
            { QLatin1String("folders"), QJsonArray::fromStringList(host.folders) } };
        if (host.port)
            entry.insert(QLatin1String("port"), *host.port);
        array.append(entry);
    }
    for (const QJsonValue &entry : unreadable)
        array.append(entry);
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<RemoteHost> loadHosts(QString *note)
{
    bool exists = false;
    const QByteArray json = readFile(&exists);
    const HostsRead read = decodeHosts(json);
    if (note) {
        if (exists && !read.isList)
            *note = notAList + QStringLiteral("; it is left as it is and changes to connections aren't kept");
        else if (!read.problems.isEmpty())
            *note = QStringLiteral("Skipped in remotes.json and kept there: ") + read.problems.join(QStringLiteral("; "));
        else
            note->clear();
    }
    return read.hosts;
}

bool saveHosts(const QList<RemoteHost> &hosts, QString *error)
{
    // The file is read again so that entries this list could not hold are written back as
    // they are, and a file someone broke by hand is not replaced by a shorter list.
    bool exists = false;
    const QByteArray old = readFile(&exists);
    const HostsRead read = decodeHosts(old);
    if (exists && !read.isList) {
        *error = notAList + QStringLiteral("; it was left as it is");
        return false;
    }
    const QString path = remotesFile();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("The folder ") + folder + QStringLiteral(" can't be created");
        return false;
    }
    return SafeSave::write(path, encodeHosts(hosts, read.unreadable), error).has_value();
}

QString saveHostsFailedNote(const QString &error)
{
    return QStringLiteral("Couldn't save the connection list: ") + error;
}
