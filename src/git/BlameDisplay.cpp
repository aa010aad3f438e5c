#include "BlameDisplay.h"

#include "CommitTexts.h"

#include "common/RelativeTime.h"


#include <algorithm>

namespace
{

const QString notCommittedTitle = QStringLiteral("Not committed yet");
const QString notCommittedText = QStringLiteral("This line has changes that aren't in a commit.");
const QString closeTitle = QStringLiteral("Close");
const QString copyHashTitle = QStringLiteral("Copy Hash");

constexpr qsizetype longestWholeName = 8;
constexpr qsizetype shortenedName = 7;
constexpr qsizetype shortHashLength = 10;

constexpr int cardGap = 4;
constexpr int verticalMargin = 4;
constexpr int horizontalMargin = 8;

QString shortenedAuthor(const QString &author)
{
    if (author.size() <= longestWholeName)
        return author;
    return author.left(shortenedName) + QChar(0x2026);
}

}

QString blameStatusText(const BlameInfo &info, const QDateTime &now)
{
    if (info.isUncommitted())
        return QStringLiteral("Uncommitted");
    return shortRelativeTime(info.date, now) + u' ' + shortenedAuthor(info.author);
}

QString blameAnnotationText(const BlameInfo &info, const QDateTime &now)
{
    return blameStatusText(info, now) + u' ' + info.summary;
}

QString blameHoverTitle(const BlameInfo &info, const QDateTime &now)
{
    if (info.isUncommitted())
        return notCommittedTitle;
    const QString gap = QStringLiteral("  ");
    QString title = shortRelativeTime(info.date, now) + gap + info.author;
    if (!info.email.isEmpty())
        title += gap + info.email;
    return title;
}

QString blameHoverBody(const BlameInfo &info, const QString &fullMessage)
{
    if (info.isUncommitted())
        return notCommittedText;
    const QString message = fullMessage.trimmed();
    return message.isEmpty() ? info.summary : message;
}

QString blameDetailsTitle(const BlameInfo &info)
{
    return info.isUncommitted() ? notCommittedTitle : info.summary;
}

QString blameDetailsDetail(const BlameInfo &info, const QLocale &locale)
{
    if (info.isUncommitted())
        return notCommittedText;
    const QString separator = QStringLiteral("  \u00B7  ");
    QString author = info.author;
    if (!info.email.isEmpty())
        author += QStringLiteral(" <") + info.email + u'>';
    return info.sha.left(shortHashLength) + separator + author + separator
        + CommitTexts::mediumDateTime(info.date, locale);
}

QStringList blameDetailsButtons(const BlameInfo &info)
{
    if (info.isUncommitted())
        return { closeTitle };
    return { closeTitle, copyHashTitle };
}

QPoint blameCardPosition(const QRect &anchor, QSize card, const QRect &visible)
{
    const int below = anchor.y() + anchor.height() + cardGap;
    const int bottomLimit = visible.y() + visible.height() - verticalMargin;
    const int y
        = below + card.height() <= bottomLimit ? below : anchor.y() - cardGap - card.height();
    // The right limit first, so that the left edge stays in view when the card is too wide.
    const int rightmost = visible.x() + visible.width() - horizontalMargin - card.width();
    const int x = std::max(std::min(anchor.x(), rightmost), visible.x() + horizontalMargin);
    return { x, y };
}
