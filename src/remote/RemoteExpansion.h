#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// Which rows of the Remote pane the user left open, per machine, kept in the defaults across
// launches. A machine's set holds the paths of its open folders, and machineRow for its own
// row.
class RemoteExpansion
{
public:
    static inline const QString machineRow = QStringLiteral("<machine>");

    // Reads the table from the defaults.
    RemoteExpansion();

    // Whether anything was ever recorded for the machine.
    bool knows(const QString &hostID) const { return table.contains(hostID); }
    bool isExpanded(const QString &hostID, const QString &path) const;
    QSet<QString> paths(const QString &hostID) const { return table.value(hostID); }

    // Each change is written to the defaults at once.
    void setExpanded(const QString &hostID, const QString &path, bool expanded);
    void forget(const QString &hostID);
    // The machine now lives under another identity; what was open stays open.
    void carry(const QString &oldID, const QString &newID);

private:
    void save() const;

    QHash<QString, QSet<QString>> table;
};
