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

std::optional<QString> hostKeyFingerprint(const QString &destination, std::optional<int> port)
{
    const SSHPrograms programs = sshPrograms();
    const auto keys = runTool(programs.keyscan, keyscanArguments(destination, port));
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
