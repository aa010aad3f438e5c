#pragma once

#include "CardText.h"
#include "RemoteHost.h"

#include <QList>
#include <QString>

#include <optional>

// The four cards that create and change saved connections: their words, and what each makes
// of the text typed into it. The controller shows the cards; on an error the card stays open
// with the error as its detail line.

template <typename T> struct Checked {
    std::optional<T> value; // the accepted input
    QString error; // the detail line when it was refused
};

CardText connectCard();
// A new entry named after its destination, with the typed folder or "~".
Checked<RemoteHost> acceptConnect(const QString &text);

CardText addFolderCard(const RemoteHost &host);
// The folder, made to begin with "/" or "~".
Checked<QString> acceptFolder(const QString &text);

CardText renameCard(const RemoteHost &host);
Checked<QString> acceptRename(const QString &text);
QString renamedNote(const QString &name);

CardText editCard(const RemoteHost &host);
// The entry at index as edited: its name kept, a typed folder added. Refused when it would
// become the same machine as another entry.
Checked<RemoteHost> acceptEdit(
    const QList<RemoteHost> &hosts, qsizetype index, const QString &text);
QString changedNote(const QString &name);

// Appends the folder unless the entry has it; answers whether it was added.
bool addFolder(RemoteHost &host, const QString &folder);
