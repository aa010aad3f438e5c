#include "HostTrust.h"

#include "SSHClient.h"
#include "SSHRun.h"

#include <QStringDecoder>

namespace
{

QString hostPart(const QString &destination)
{
    return destination.mid(destination.lastIndexOf(QLatin1Char('@')) + 1);
}

}

QStringList keyscanArguments(const QString &destination, std::optional<int> port)
{
    QStringList arguments { QStringLiteral("-T"), QStringLiteral("5") };
    if (port)
        arguments << QStringLiteral("-p") << QString::number(*port);
    arguments << hostPart(destination);
    return arguments;
}

std::optional<QString> fingerprintLine(const QByteArray &keygenOutput)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(keygenOutput);
    if (decoder.hasError())
        return std::nullopt;
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return std::nullopt;
    return lines.first();
}

QStringList resolveArguments(const QString &destination, std::optional<int> port)
{
    QStringList arguments { QStringLiteral("-G") };
    if (port)
        arguments << QStringLiteral("-p") << QString::number(*port);
    arguments << destination;
    return arguments;
}

ScanTarget scanTarget(
    const QByteArray &resolved, const QString &destination, std::optional<int> port)
{
    ScanTarget target { hostPart(destination), port };
    for (const QByteArray &line : resolved.split('\n')) {
        const QByteArray value = line.mid(line.indexOf(' ') + 1).trimmed();
        if (line.startsWith("hostname ") && !value.isEmpty())
            target.host = QString::fromUtf8(value);
        else if (line.startsWith("port ") && value.toInt() > 0)
            target.port = value.toInt() == 22 ? std::nullopt : std::optional<int>(value.toInt());
    }
    return target;
}

std::optional<QString> hostKeyFingerprint(const QString &destination, std::optional<int> port)
{
    const SSHPrograms programs = sshPrograms();
    // A name from the ssh configuration is scanned where the configuration sends it.
    const ScanTarget target = scanTarget(
        runTool(programs.ssh, resolveArguments(destination, port)).value_or(QByteArray()),
        destination, port);
    const auto keys = runTool(programs.keyscan, keyscanArguments(target.host, target.port));
    if (!keys || keys->isEmpty())
        return std::nullopt;
    const auto listing
        = runTool(programs.keygen, { QStringLiteral("-lf"), QStringLiteral("-") }, *keys);
    if (!listing)
        return std::nullopt;
    return fingerprintLine(*listing);
}

QString unreadableKeyNote(const QString &destination)
{
    return QStringLiteral("Couldn't read ") + destination
        + QStringLiteral("'s key. Is it reachable?");
}

CardText trustCard(const QString &destination, const QString &fingerprint)
{
    return { QStringLiteral("Trust ") + destination + QLatin1Char('?'),
        QStringLiteral("This machine hasn't been connected to before. Its key:\n") + fingerprint
            + QStringLiteral("\nCompare it with the one on the machine first."),
        std::nullopt, { QStringLiteral("Cancel"), QStringLiteral("Trust and Connect") },
        trustButton };
}

void startTrust(const std::shared_ptr<SSHClient> &client, TrustHooks hooks)
{
    const std::weak_ptr<SSHClient> weak = client;
    const QString destination = client->host.destination;
    SSHClient::fetchHostKeyFingerprint(
        client->host, [weak, destination, hooks](const std::optional<QString> &fingerprint) {
            if (!fingerprint) {
                hooks.showNote(unreadableKeyNote(destination));
                return;
            }
            hooks.showCard(trustCard(destination, *fingerprint), [weak, hooks] {
                // The row may have been edited or removed while the card was up.
                if (const auto client = weak.lock()) {
                    client->acceptNewHostKey();
                    hooks.reconnect();
                }
            });
        });
}
