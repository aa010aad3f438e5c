#include "GitParsers.h"

#include "GitText.h"

#include "common/RelativeTime.h"

namespace
{

constexpr QChar recordSeparator(0x1E);
constexpr QChar unitSeparator(0x1F);

QStringView withoutNewlines(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u'\n' || text.front() == u'\r'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r'))
        text.chop(1);
    return text;
}

// Fields `from` to the end, joined again with the separator they were split on.
QString rejoined(const QList<QStringView> &fields, qsizetype from, QStringView separator)
{
    QString joined;
    for (qsizetype i = from; i < fields.size(); ++i) {
        if (i > from)
            joined += separator;
        joined += fields[i];
    }
    return joined;
}

std::optional<QString> nonEmpty(QStringView text)
{
    const QString trimmed = text.trimmed().toString();
    return trimmed.isEmpty() ? std::nullopt : std::optional(trimmed);
}

std::optional<int> count(QStringView text)
{
    const auto value = parseDecimal(text);
    return value ? std::optional(int(*value)) : std::nullopt;
}

DiffLineKind hunkLineKind(QStringView line)
{
    if (line.startsWith(u"@@"))
        return DiffLineKind::hunk;
    if (line.startsWith(u'+'))
        return DiffLineKind::added;
    if (line.startsWith(u'-'))
        return DiffLineKind::removed;
    if (line.startsWith(u'\\'))
        return DiffLineKind::note; // no newline at end of file
    return DiffLineKind::context;
}

// The lines of a patch before its first hunk that say nothing the view does not already show.
bool isDroppedHeader(QStringView line)
{
    for (const char16_t *prefix :
        { u"diff --git ", u"index ", u"--- ", u"+++ ", u"similarity index" })
        if (line.startsWith(prefix))
            return true;
    return false;
}

}

namespace GitParsers
{

QList<Commit> commits(QStringView text)
{
    QList<Commit> out;
    for (QStringView piece : text.split(recordSeparator, Qt::SkipEmptyParts)) {
        const auto fields = withoutNewlines(piece).split(unitSeparator);
        // The hash is handed back to git later; anything but hex digits could read as an option.
        if (fields.size() < 5 || !isHexHash(fields[0]))
            continue;
        const auto seconds = parseSeconds(fields[3]);
        if (!seconds)
            continue;
        out.append({ fields[0].toString(), fields[1].toString(), fields[2].toString(),
            dateFromSeconds(*seconds), rejoined(fields, 4, QStringView(&unitSeparator, 1)) });
    }
    return out;
}

std::optional<QString> currentBranch(QStringView text)
{
    return nonEmpty(text);
}

std::optional<QString> fullMessage(QStringView text)
{
    return nonEmpty(text);
}

QList<ChangedFile> changedFiles(QStringView text)
{
    QList<ChangedFile> out;
    const auto tokens = text.split(QChar(0), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < tokens.size();) {
        QStringView token = tokens[i];
        // git puts a line break before the first record
        while (out.isEmpty() && token.startsWith(u'\n'))
            token = token.sliced(1);
        const qsizetype firstTab = token.indexOf(u'\t');
        const qsizetype secondTab = firstTab < 0 ? -1 : token.indexOf(u'\t', firstTab + 1);
        if (secondTab < 0) {
            ++i;
            continue;
        }
        const auto added = count(token.first(firstTab));
        const auto removed = count(token.sliced(firstTab + 1, secondTab - firstTab - 1));
        const QStringView path = token.sliced(secondTab + 1);
        if (!path.isEmpty()) {
            out.append({ path.toString(), std::nullopt, added, removed });
            i += 1;
        } else if (i + 2 < tokens.size()) {
            out.append({ tokens[i + 2].toString(), tokens[i + 1].toString(), added, removed });
            i += 3;
        } else
            i += 1;
    }
    return out;
}

FileDiff fileDiff(QStringView text, int limit)
{
    FileDiff diff;
    auto lines = text.split(u'\n');
    if (lines.back().isEmpty())
        lines.removeLast(); // the text ends with a line feed
    bool inHunks = false;
    for (QStringView line : lines) {
        inHunks = inHunks || line.startsWith(u"@@");
        if (!inHunks && isDroppedHeader(line))
            continue;
        if (diff.lines.size() >= limit && inHunks) {
            ++diff.notShown;
            continue;
        }
        diff.lines.append({ inHunks ? hunkLineKind(line) : DiffLineKind::header, line.toString() });
    }
    return diff;
}

QList<Revision> revisions(QStringView text)
{
    QList<Revision> out;
    for (QStringView piece : text.split(recordSeparator, Qt::SkipEmptyParts)) {
        const auto lines = piece.split(u'\n');
        const auto fields = lines.front().split(unitSeparator);
        if (fields.size() < 3 || !isHexHash(fields[0]))
            continue;
        const auto seconds = parseSeconds(fields[1]);
        if (!seconds)
            continue;
        QString path;
        for (qsizetype i = 1; i < lines.size() && path.isEmpty(); ++i)
            path = lines[i].toString();
        out.append({ fields[0].toString(), dateFromSeconds(*seconds),
            rejoined(fields, 2, QStringView(&unitSeparator, 1)), path });
    }
    return out;
}

std::optional<LastCommit> lastCommit(QStringView text)
{
    const auto fields = text.trimmed().split(unitSeparator);
    if (fields.size() < 3)
        return std::nullopt;
    const auto seconds = parseSeconds(fields[1]);
    if (!seconds)
        return std::nullopt;
    return LastCommit { fields[0].toString(), dateFromSeconds(*seconds),
        rejoined(fields, 2, u" ") };
}

QString lastCommitSummary(const LastCommit &commit, bool isDirty, const QDateTime &now)
{
    const QString separator = QStringLiteral(" \u00B7 ");
    return (isDirty ? QStringLiteral("Unsaved changes") + separator : QString())
        + QStringLiteral("Last commit: ") + commit.shortSha + separator
        + shortRelativeTime(commit.date, now) + separator + commit.subject;
}

}
