#include "RemoteFileOutcomes.h"

#include "RemoteHost.h"
#include "RemoteScripts.h"
#include "SSHFailure.h"

#include <QStringList>

namespace
{

QString tooLarge(const QString &name)
{
    return name + QStringLiteral(" is too large to open here (limit 64 MB)");
}

}

ReadOutcome readOutcome(const SSHResult &result, const QString &name)
{
    ReadOutcome outcome;
    const QString couldNot = QStringLiteral("Couldn't read ") + name + QStringLiteral(": ");
    const auto output = parseReadOutput(result.stdout);
    if (result.status == SSHResult::cutOffStatus) {
        outcome.message = tooLarge(name);
    } else if (const auto failure = classifyFailure(result)) {
        outcome.message = couldNot + failure->text();
    } else if (output && output->size > remoteFileLimit) {
        outcome.message = tooLarge(name);
    } else if (result.status != 0 || !output) {
        outcome.message = couldNot + unconfirmedReason(result);
    } else if (output->content.size() != output->size) {
        outcome.message = couldNot + QStringLiteral("it changed while it was read. Try again.");
    } else {
        outcome.opened = true;
        outcome.modified = output->modified;
        outcome.content = output->content;
    }
    return outcome;
}

SaveOutcome saveOutcome(const SSHResult &result, const QString &name, const QString &destination)
{
    if (const auto failure = classifyFailure(result)) {
        QString message = QStringLiteral("Couldn't save: ") + failure->text();
        // Saving never asks about keys; the pane does, so the note says where.
        if (failure->kind == SSHFailure::Kind::unknownHostKey)
            message += QStringLiteral(". Click the machine in the Remote pane to trust its key");
        return { SaveStatus::failed, std::nullopt, message };
    }
    const WriteReply reply = parseWriteOutput(result.stdout);
    if (reply.kind == WriteReply::Kind::conflict)
        return { SaveStatus::conflict, std::nullopt, {} };
    if (result.status == 4)
        return { SaveStatus::failed, std::nullopt,
            QStringLiteral("No permission to write ") + name + QStringLiteral(" as ") + destination
                + QStringLiteral(". The tab stays unsaved.") };
    if (reply.kind == WriteReply::Kind::saved && result.status == 0)
        return { SaveStatus::saved, reply.modified, QStringLiteral("Saved to ") + destination };
    return { SaveStatus::failed, std::nullopt,
        QStringLiteral("Couldn't save: ") + unconfirmedReason(result) };
}

QString unconfirmedReason(const SSHResult &result)
{
    if (!firstErrorLine(result.stderr).isEmpty() || result.status != 0)
        return failureReason(result);
    return QStringLiteral("the machine's shell ran nothing (status 0, no answer)");
}

QString remoteFileName(const QString &path)
{
    return path.section(QLatin1Char('/'), -1);
}

QString remoteFolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral("~");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString readingNote(const QString &name, const QString &destination)
{
    return QStringLiteral("Reading ") + name + QStringLiteral(" from ") + destination
        + QChar(0x2026);
}

QString savingNote(const QString &destination)
{
    return QStringLiteral("Saving to ") + destination + QChar(0x2026);
}

QString hostGoneNote()
{
    return QStringLiteral("That machine isn't in the Remote pane any more. Add it there to save.");
}

CardText conflictCard(const QString &name)
{
    return { name + QStringLiteral(" changed on the machine"),
        QStringLiteral("Someone saved this file there after you opened it. Overwrite it with your "
                       "version, or reload theirs and lose your edits?"),
        std::nullopt,
        { QStringLiteral("Cancel"), QStringLiteral("Reload"), QStringLiteral("Overwrite") },
        conflictOverwrite };
}

QString remoteIndicatorText(const QString &destination, bool connected)
{
    return shortHostLabel(destination)
        + (connected ? QStringLiteral(" — connected")
                     : QStringLiteral(" — not connected. Click to connect; saving does it too."));
}
