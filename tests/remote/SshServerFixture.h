#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class ChildProcess;

// A real OpenSSH server on 127.0.0.1 for one test: its own host key, listening on two free
// ports, logging in one throwaway account (made with useradd, removed at stop) whose shell is
// /bin/sh, so that file permissions apply as they do for any user and no shell start-up files
// run. Everything lives in a temporary folder; nothing in /etc/ssh or ~/.ssh is touched.
// Needs root. Stopping the server also ends its per-connection processes, so no master
// connection outlives the test.
class SshServerFixture
{
public:
    SshServerFixture();
    ~SshServerFixture();

    // Answers false with the reason when the server could not be started.
    bool start(QString *error);
    void stop();

    int port() const { return ports[0]; }
    int secondPort() const { return ports[1]; }
    QString user() const { return account; }
    QString destination() const; // user@127.0.0.1
    // A name from the client configuration that stands for the server's first port and user.
    QString alias() const { return QStringLiteral("quillmar-test-box"); }
    // The account's home folder: the remote files of the tests.
    QString home() const;
    QString path(const QString &relative) const { return home() + '/' + relative; }

    // ssh with the test's client configuration (known hosts in the temporary folder, the key
    // made for the run), and the same with a key the server does not know.
    QString sshProgram() const;
    QString sshProgramWithWrongKey() const;
    QString knownHostsFile() const;
    QByteArray hostPublicKey() const;
    QString hostKeyFile() const; // the public half
    void forgetHostKey();

    // Writes a file in the account's home, owned by the account.
    QString writeFile(const QString &relative, const QByteArray &bytes);
    void giveToUser(const QString &path) const;

    // A loopback port nothing listens on at this moment.
    static int freePort();

    // The processes serving connections, that is the server's children.
    int connectionCount() const;

    // The account's login shell from now on (usermod -s); false when usermod failed.
    bool setLoginShell(const QString &shell);
    // A login shell that runs nothing and exits with status 0, made on first use.
    QString silentShell();
    // A login shell that runs nothing, writes complaint() to standard error and exits with 0.
    QString complainingShell();
    static QString complaint() { return QStringLiteral("profile: cannot start"); }
    // Kills the server's processes for every connection, as a network cut would, and leaves
    // what they were running to finish or fail by itself.
    void cutConnections();
    // Stops the server and its processes for every connection where they are: links stay up
    // and new ones are accepted, but nothing answers, as on a machine that hangs. Stopping the
    // fixture ends them.
    void freeze();
    // Whether no process of the account runs any more, the server's own aside.
    bool accountIsIdle() const;

private:
    bool makeKeysAndConfiguration(QString *error);
    bool launch(QString *error);
    void addAlias();
    void stopServer();
    // A login shell made of that sh script, in the temporary folder, made on first use.
    QString shellScript(const QString &name, const QByteArray &body);

    QTemporaryDir folder;
    QString account;
    int ports[2] = { 0, 0 };
    std::unique_ptr<ChildProcess> server;
};
