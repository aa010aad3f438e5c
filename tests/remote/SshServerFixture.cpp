#include "SshServerFixture.h"

#include "common/ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

const QString accountPrefix = QStringLiteral("qmssh");

bool runQuietly(const QString &program, const QStringList &arguments)
{
    const auto result = ChildProcess::run(
        { program, arguments, {}, std::nullopt }, std::nullopt, ChildProcess::Errors::discard);
    return result.started && result.status == 0;
}

bool writeText(const QString &path, const QByteArray &text, QFile::Permissions permissions)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size()
        && file.setPermissions(permissions);
}

sockaddr_in loopback(int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(port);
    const bool connected
        = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Not exited, not a zombie.
bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/") + QString::number(pid) + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) != "Z";
}

// Parent process ids of every process, from /proc.
QMap<qint64, qint64> parents()
{
    QMap<qint64, qint64> map;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isProcess = false;
        const qint64 pid = entry.toLongLong(&isProcess);
        if (!isProcess)
            continue;
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid ...; the name may hold spaces and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            map.insert(pid, fields[1].toLongLong());
    }
    return map;
}

QList<qint64> descendants(qint64 root)
{
    const QMap<qint64, qint64> parentOf = parents();
    QList<qint64> found { root };
    for (qsizetype i = 0; i < found.size(); ++i)
        for (auto it = parentOf.begin(); it != parentOf.end(); ++it)
            if (it.value() == found[i])
                found << it.key();
    found.removeFirst();
    return found;
}

// Accounts left by test processes that ended without stopping their server.
void removeStaleAccounts()
{
    while (passwd *entry = ::getpwent()) {
        const QString name = QString::fromLocal8Bit(entry->pw_name);
        bool numbered = false;
        const qint64 pid = name.mid(accountPrefix.size()).toLongLong(&numbered);
        if (name.startsWith(accountPrefix) && numbered
            && !QFile::exists("/proc/" + QString::number(pid)))
            runQuietly(QStringLiteral("/usr/sbin/userdel"), { QStringLiteral("-f"), name });
    }
    ::endpwent();
}

}

int SshServerFixture::freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

SshServerFixture::SshServerFixture()
    : account(accountPrefix + QString::number(::getpid()))
{
}

SshServerFixture::~SshServerFixture()
{
    stop();
}

QString SshServerFixture::destination() const
{
    return account + QStringLiteral("@127.0.0.1");
}

QString SshServerFixture::home() const
{
    return folder.filePath(QStringLiteral("home"));
}

QString SshServerFixture::sshProgram() const
{
    return folder.filePath(QStringLiteral("ssh"));
}

QString SshServerFixture::sshProgramWithWrongKey() const
{
    return folder.filePath(QStringLiteral("ssh-wrong-key"));
}

QString SshServerFixture::knownHostsFile() const
{
    return folder.filePath(QStringLiteral("known_hosts"));
}

QString SshServerFixture::hostKeyFile() const
{
    return folder.filePath(QStringLiteral("host_key.pub"));
}

QByteArray SshServerFixture::hostPublicKey() const
{
    QFile file(hostKeyFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

void SshServerFixture::forgetHostKey()
{
    writeText(knownHostsFile(), {}, QFile::ReadOwner | QFile::WriteOwner);
}

QString SshServerFixture::writeFile(const QString &relative, const QByteArray &bytes)
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).absolutePath());
    writeText(
        file, bytes, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    giveToUser(file);
    giveToUser(QFileInfo(file).absolutePath());
    return file;
}

void SshServerFixture::giveToUser(const QString &path) const
{
    runQuietly(QStringLiteral("/bin/chown"), { account, path });
}

int SshServerFixture::connectionCount() const
{
    if (!server)
        return 0;
    const qint64 pid = server->processId();
    int count = 0;
    for (const qint64 parent : parents())
        count += parent == pid;
    return count;
}

bool SshServerFixture::setLoginShell(const QString &shell)
{
    return runQuietly(QStringLiteral("/usr/sbin/usermod"), { "-s", shell, account });
}

QString SshServerFixture::silentShell()
{
    return shellScript(QStringLiteral("silent-shell"), "exit 0\n");
}

QString SshServerFixture::complainingShell()
{
    return shellScript(QStringLiteral("complaining-shell"),
        "echo '" + complaint().toUtf8() + "' >&2\nexit 0\n");
}

QString SshServerFixture::shellScript(const QString &name, const QByteArray &body)
{
    const QString shell = folder.filePath(name);
    if (!QFile::exists(shell))
        writeText(shell, "#!/bin/sh\n" + body,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return shell;
}

namespace
{

QByteArray processName(qint64 pid)
{
    QFile file(QStringLiteral("/proc/") + QString::number(pid) + QStringLiteral("/comm"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

}

void SshServerFixture::cutConnections()
{
    if (!server)
        return;
    for (const qint64 pid : descendants(server->processId()))
        if (processName(pid) == "sshd")
            ::kill(pid_t(pid), SIGKILL);
}

void SshServerFixture::freeze()
{
    if (!server)
        return;
    ::kill(pid_t(server->processId()), SIGSTOP);
    for (const qint64 pid : descendants(server->processId()))
        ::kill(pid_t(pid), SIGSTOP);
}

bool SshServerFixture::accountIsIdle() const
{
    const passwd *entry = ::getpwnam(account.toLocal8Bit().constData());
    if (!entry)
        return true;
    const QByteArray uid = QByteArray::number(entry->pw_uid);
    for (const QString &name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/") + name + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = status.readAll();
        const qsizetype at = text.indexOf("\nUid:\t");
        if (at < 0 || text.mid(at + 6).split('\t').value(0) != uid)
            continue;
        if (processName(name.toLongLong()) != "sshd" && !text.contains("\nState:\tZ"))
            return false;
    }
    return true;
}

bool SshServerFixture::start(QString *error)
{
    if (::getuid() != 0) {
        *error = QStringLiteral("the test server needs root");
        return false;
    }
    // The account reaches its home and the authorized keys through this folder.
    QFile::setPermissions(folder.path(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther);
    removeStaleAccounts();
    QDir().mkpath(QStringLiteral("/run/sshd"));
    return makeKeysAndConfiguration(error) && launch(error);
}

bool SshServerFixture::makeKeysAndConfiguration(QString *error)
{
    const QString dir = folder.path();
    for (const QString key : { "host_key", "client_key", "wrong_key" })
        if (!runQuietly(QStringLiteral("/usr/bin/ssh-keygen"),
                { "-q", "-t", "ed25519", "-N", "", "-C", key, "-f", dir + '/' + key })) {
            *error = QStringLiteral("ssh-keygen failed");
            return false;
        }
    QFile::copy(dir + "/client_key.pub", dir + "/authorized_keys");
    QFile::setPermissions(dir + "/authorized_keys",
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QDir().mkpath(home());
    if (!runQuietly(QStringLiteral("/usr/sbin/useradd"),
            { "-M", "-N", "-d", home(), "-s", "/bin/sh", "-p", "*", account })) {
        *error = QStringLiteral("useradd failed for ") + account;
        return false;
    }
    giveToUser(home());
    for (const auto &[name, key] :
        { std::pair { "ssh", "client_key" }, std::pair { "ssh-wrong-key", "wrong_key" } }) {
        const QString config = dir + '/' + name + ".conf";
        const QByteArray text = "Host *\n  UserKnownHostsFile " + knownHostsFile().toUtf8()
            + "\n  GlobalKnownHostsFile /dev/null\n  IdentityFile " + (dir + '/' + key).toUtf8()
            + "\n  IdentitiesOnly yes\n  IdentityAgent none\n  PasswordAuthentication no\n";
        writeText(config, text, QFile::ReadOwner | QFile::WriteOwner);
        writeText(dir + '/' + name,
            "#!/bin/sh\nexec /usr/bin/ssh -F '" + config.toUtf8() + "' \"$@\"\n",
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return true;
}

bool SshServerFixture::launch(QString *error)
{
    const QString dir = folder.path();
    for (int attempt = 0; attempt < 3; ++attempt) {
        ports[0] = freePort();
        ports[1] = freePort();
        const QByteArray configuration = "Port " + QByteArray::number(ports[0]) + "\nPort "
            + QByteArray::number(ports[1]) + "\nListenAddress 127.0.0.1\nHostKey "
            + (dir + "/host_key").toUtf8() + "\nAuthorizedKeysFile "
            + (dir + "/authorized_keys").toUtf8() + "\nPidFile " + (dir + "/sshd.pid").toUtf8()
            + "\nAllowUsers " + account.toUtf8()
            + "\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
              "KbdInteractiveAuthentication no\nMaxSessions 50\nMaxStartups 50\n";
        writeText(dir + "/sshd_config", configuration, QFile::ReadOwner | QFile::WriteOwner);
        server = std::make_unique<ChildProcess>(ChildProcess::Program { "/usr/sbin/sshd",
            { "-D", "-f", dir + "/sshd_config", "-E", dir + "/sshd.log" }, {}, std::nullopt });
        if (!server->start(std::nullopt, ChildProcess::Errors::discard)) {
            *error = QStringLiteral("/usr/sbin/sshd did not start");
            return false;
        }
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && running(server->processId())
            && !(accepts(ports[0]) && accepts(ports[1])))
            QThread::msleep(10);
        if (accepts(ports[0]) && accepts(ports[1])) {
            const QByteArray key = hostPublicKey();
            writeText(knownHostsFile(),
                "[127.0.0.1]:" + QByteArray::number(ports[0]) + ' ' + key
                    + "\n[127.0.0.1]:" + QByteArray::number(ports[1]) + ' ' + key + '\n',
                QFile::ReadOwner | QFile::WriteOwner);
            addAlias();
            return true;
        }
        stopServer();
    }
    *error = QStringLiteral("sshd did not listen; see its log in ") + dir;
    return false;
}

// A name only the client configuration knows, as a user's ~/.ssh/config would give one.
void SshServerFixture::addAlias()
{
    const QByteArray block = "Host " + alias().toUtf8() + "\n  HostName 127.0.0.1\n  Port "
        + QByteArray::number(ports[0]) + "\n  User " + account.toUtf8() + '\n';
    for (const char *name : { "ssh.conf", "ssh-wrong-key.conf" }) {
        QFile config(folder.filePath(QString::fromLatin1(name)));
        if (config.open(QIODevice::Append))
            config.write(block);
    }
}

void SshServerFixture::stopServer()
{
    if (!server)
        return;
    for (const qint64 pid : descendants(server->processId()))
        ::kill(pid_t(pid), SIGKILL);
    server->terminate();
    ::kill(pid_t(server->processId()), SIGCONT); // a frozen server takes its signal now
    server->wait();
    server.reset();
}

void SshServerFixture::stop()
{
    stopServer();
    if (::getpwnam(account.toLocal8Bit().constData()))
        runQuietly(QStringLiteral("/usr/sbin/userdel"), { QStringLiteral("-f"), account });
}
