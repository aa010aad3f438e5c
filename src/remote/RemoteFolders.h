#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Finding a machine's folders when it connects: one sh line that prints, for each folder, its
// absolute physical path, or an empty line when it cannot be entered.
QString resolveScript(const QStringList &folders);

// One folder as the machine resolved it.
struct ResolvedFolder {
    QString path; // the absolute path; the folder as written when it was not found
    bool found = false;

    bool operator==(const ResolvedFolder &) const = default;
};
// The i-th line answers the i-th folder; a missing or empty line means not found.
QList<ResolvedFolder> resolvedFolders(const QByteArray &output, const QStringList &folders);
