#pragma once

#include "CardText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class SSHClient;

// Trusting the key of a machine not seen before: the probe that reads its fingerprint, and
// the flow the controller drives when a connection fails with an unknown host key. The
// program never writes a known-hosts file itself; ssh does, once the client accepts new keys.

// ssh-keyscan's arguments for the host part of a destination.
QStringList keyscanArguments(const QString &destination, std::optional<int> port);

// Where a destination's key is scanned: the host name and port the ssh configuration gives it
// (an alias resolves to its HostName and Port), read from "ssh -G"; the destination's host part
// and the given port when ssh answered nothing. A port of 22 is left out.
struct ScanTarget {
    QString host;
    std::optional<int> port;

    bool operator==(const ScanTarget &) const = default;
};
QStringList resolveArguments(const QString &destination, std::optional<int> port);
ScanTarget scanTarget(
    const QByteArray &resolved, const QString &destination, std::optional<int> port);

// The first line of ssh-keygen's listing; nothing when there is none or it is not UTF-8.
std::optional<QString> fingerprintLine(const QByteArray &keygenOutput);

// Scans the machine's key and lists its fingerprint. Blocks; at most about five seconds.
std::optional<QString> hostKeyFingerprint(const QString &destination, std::optional<int> port);

QString unreadableKeyNote(const QString &destination);
// "Trust and Connect" is the default button.
CardText trustCard(const QString &destination, const QString &fingerprint);
inline constexpr int trustButton = 1;

// What the trust flow asks of the controller.
struct TrustHooks {
    std::function<void(const QString &note)> showNote;
    // Shows the card; calls trust when the user chooses "Trust and Connect".
    std::function<void(const CardText &card, std::function<void()> trust)> showCard;
    // Connects the client again, now accepting the new key.
    std::function<void()> reconnect;
};

// Reads the client's host key and asks the user through the hooks. Only for an unknown key:
// a changed key is never offered for trust.
void startTrust(const std::shared_ptr<SSHClient> &client, TrustHooks hooks);
