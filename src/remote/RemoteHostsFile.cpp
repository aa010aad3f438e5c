#include "RemoteHostsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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

// A whole number, as the file must hold a port; nothing for anything else.
std::optional<int> portOf(const QJsonValue &value, bool *valid)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    const double number = value.toDouble(std::nan(""));
    *valid = value.isDouble() && std::trunc(number) == number && std::abs(number) < 1e9;
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

std::optional<RemoteHost> hostOf(const QJsonValue &value)
{
    const QJsonObject entry = value.toObject();
    const QJsonValue name = entry.value(QLatin1String("name"));
    const QJsonValue destination = entry.value(QLatin1String("destination"));
    if (!value.isObject() || !name.isString() || !destination.isString())
        return std::nullopt;
    bool validPort = true;
    const auto port = portOf(entry.value(QLatin1String("port")), &validPort);
    if (!validPort)
        return std::nullopt;
    return RemoteHost { name.toString(), destination.toString(), port, foldersOf(entry) };
}

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

std::optional<QList<RemoteHost>> decodeHosts(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return std::nullopt;
    QList<RemoteHost> hosts;
    for (const QJsonValue &value : document.array()) {
        const auto host = hostOf(value);
        if (!host)
            return std::nullopt;
        hosts << *host;
    }
    return hosts;
}

QByteArray encodeHosts(const QList<RemoteHost> &hosts)
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
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<RemoteHost> loadHosts()
{
    QFile file(remotesFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeHosts(file.readAll()).value_or(QList<RemoteHost>());
}

bool saveHosts(const QList<RemoteHost> &hosts, QString *error)
{
    const QString path = remotesFile();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("The folder ") + folder + QStringLiteral(" can't be created");
        return false;
    }
    QSaveFile file(path);
    const QByteArray bytes = encodeHosts(hosts);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString saveHostsFailedNote(const QString &error)
{
    return QStringLiteral("Couldn't save the connection list: ") + error;
}
