#pragma once

#include <QString>

#include <optional>

// What the user typed for a connection: user@host, host:port, user@host:/folder,
// ssh://user@host:port/folder, or a name from the ssh configuration.
struct Destination {
    QString destination;
    std::optional<int> port;
    std::optional<QString> folder; // begins with "/" or "~"; no trailing "/" except for "/"

    bool operator==(const Destination &) const = default;
};

// Not empty, no leading "-" (ssh would take it for an option), no trailing "@", no ":" and no
// white space.
bool validDestination(const QString &destination);

// Nothing when the text names no valid destination or port.
std::optional<Destination> parseDestination(const QString &text);
