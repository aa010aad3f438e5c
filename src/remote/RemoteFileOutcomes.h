#pragma once

#include "CardText.h"
#include "SSHResult.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What a remote read or save came to, and the words the user sees for it.

struct ReadOutcome {
    bool opened = false;
    std::optional<double> modified;
    QByteArray content;
    QString message; // the note for a read that opens nothing
};
ReadOutcome readOutcome(const SSHResult &result, const QString &name);

enum class SaveStatus { saved, conflict, failed };
struct SaveOutcome {
    SaveStatus status = SaveStatus::failed;
    std::optional<double> modified; // the new time after a save; none: keep the old one
    QString message; // the note; empty for a conflict, which shows conflictCard
};
SaveOutcome saveOutcome(const SSHResult &result, const QString &name, const QString &destination);

// Why a run that didn't say it did its work failed: the machine's first error line, else its
// status, else that it answered nothing at all.
QString unconfirmedReason(const SSHResult &result);

// The last component of a remote path: how messages name a file.
QString remoteFileName(const QString &path);
// The folder holding a remote path: "/" for a file at the top, "~" for a bare name.
QString remoteFolderOf(const QString &path);

QString readingNote(const QString &name, const QString &destination);
QString savingNote(const QString &destination);
QString hostGoneNote();
// "Overwrite" is the default button.
CardText conflictCard(const QString &name);
inline constexpr int conflictCancel = 0;
inline constexpr int conflictReload = 1;
inline constexpr int conflictOverwrite = 2;

// The status bar's text for a remote document.
QString remoteIndicatorText(const QString &destination, bool connected);
