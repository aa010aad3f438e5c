#include "CommitTexts.h"

#include <QRegularExpression>

namespace
{

const QString middleDot = QStringLiteral("  ·  ");

// Qt has no medium date; the long one without its weekday (first or last) and with abbreviated
// months comes closest while keeping the locale's order ("MMM d, yyyy", "d. MMM yyyy", ...).
QString mediumDateFormat(const QLocale &locale)
{
    static const QRegularExpression weekday(QStringLiteral("dddd[^dMy]*|[^dMy]*dddd$"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

}

namespace CommitTexts
{

QString messageBody(const QString &message, const QString &subject)
{
    if (!subject.isEmpty() && message.startsWith(subject))
        return message.mid(subject.size()).trimmed();
    return message.trimmed();
}

QString mediumDateTime(const QDateTime &date, const QLocale &locale)
{
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), mediumDateFormat(locale)) + QStringLiteral(", ")
        + locale.toString(local.time(), QLocale::ShortFormat);
}

QString metaLine(const Commit &commit, const QLocale &locale)
{
    QString who = commit.author;
    if (!commit.email.isEmpty())
        who += QStringLiteral(" <") + commit.email + QLatin1Char('>');
    return commit.sha.left(7) + middleDot + who + middleDot + mediumDateTime(commit.date, locale);
}

QString filesChanged(qsizetype count, const QLocale &locale)
{
    if (count == 1)
        return QStringLiteral("1 file changed  ");
    return locale.toString(count) + QStringLiteral(" files changed  ");
}

LineSums lineSums(const QList<ChangedFile> &files)
{
    LineSums sums;
    for (const ChangedFile &file : files) {
        sums.added += file.added.value_or(0);
        sums.removed += file.removed.value_or(0);
    }
    return sums;
}

QString addedText(int count, const QLocale &locale)
{
    return QLatin1Char('+') + locale.toString(count);
}

QString removedText(int count, const QLocale &locale)
{
    return QChar(0x2212) + locale.toString(count);
}

bool hasCounts(const ChangedFile &file)
{
    return file.added && file.removed;
}

QString fileName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString fileDetail(const ChangedFile &file)
{
    if (file.oldPath)
        return QStringLiteral("← ") + *file.oldPath;
    const qsizetype slash = file.path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : file.path.left(slash);
}

}
