#include "DiffFill.h"

#include <algorithm>

namespace
{

void append(DiffFill &fill, DiffLineKind kind, const QString &text)
{
    if (!fill.starts.isEmpty())
        fill.text += QLatin1Char('\n');
    fill.starts.append(int(fill.text.size()));
    fill.kinds.append(kind);
    fill.text += text;
}

}

DiffFill diffFill(const std::optional<FileDiff> &diff, const QLocale &locale)
{
    DiffFill fill;
    if (!diff) {
        append(fill, DiffLineKind::note, QString::fromUtf8(DiffTexts::unreadable));
        return fill;
    }
    if (diff->lines.isEmpty() && diff->notShown == 0) {
        append(fill, DiffLineKind::note, QString::fromUtf8(DiffTexts::noChanges));
        return fill;
    }
    for (const DiffLine &line : diff->lines)
        append(fill, line.kind, line.text);
    if (diff->notShown > 0)
        append(fill, DiffLineKind::note,
            QStringLiteral("… ") + locale.toString(diff->notShown)
                + QStringLiteral(" more lines not shown"));
    return fill;
}

std::optional<DiffLineKind> lineKindAt(
    const QList<int> &starts, const QList<DiffLineKind> &kinds, int offset)
{
    const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
    if (after == starts.begin())
        return std::nullopt;
    const qsizetype line = after - starts.begin() - 1;
    return line < kinds.size() ? std::optional(kinds[line]) : std::nullopt;
}
