#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One saved connection: a machine and the folders of it the remote pane shows.
struct RemoteHost {
    QString name; // what the list shows
    QString destination; // what ssh is given; never empty, never begins with "-"
    std::optional<int> port; // absent: ssh's own default
    QStringList folders { QStringLiteral("~") }; // each begins with "/" or "~"; never empty

    bool operator==(const RemoteHost &) const = default;
};

// destination ":" port, 22 when no port is given.
QString hostID(const RemoteHost &host);

// The host part of a destination (after the last "@"), cut to 15 characters and "…" when it
// has 17 or more.
QString shortHostLabel(const QString &destination);
