#include "MessageLinks.h"

#include <QRegularExpression>

namespace
{

const QRegularExpression &linkPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "\\b(?:(?:https?|ftp)://|www\\.)[^\\s<>\"]+|[\\w.+-]+@[\\w-]+(?:\\.[\\w-]+)+"));
    return pattern;
}

// A closing bracket belongs to the link only when the link opened one.
bool unbalanced(QStringView link, QChar close)
{
    const QChar open = close == u')' ? u'(' : u'[';
    return link.count(close) > link.count(open);
}

qsizetype trimmedLength(QStringView link)
{
    static const QString trailing = QStringLiteral(".,;:!?'\"");
    while (!link.isEmpty()) {
        const QChar last = link.back();
        if (!trailing.contains(last) && !((last == u')' || last == u']') && unbalanced(link, last)))
            break;
        link.chop(1);
    }
    return link.size();
}

QString hrefFor(const QString &link)
{
    if (link.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        return QStringLiteral("http://") + link;
    if (!link.contains(QLatin1String("://")))
        return QStringLiteral("mailto:") + link;
    return link;
}

}

QList<MessageLink> messageLinks(const QString &text)
{
    QList<MessageLink> links;
    auto matches = linkPattern().globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        const qsizetype length = trimmedLength(match.capturedView());
        // A bare "www." or a scheme with nothing after it is no address.
        const QString link = match.captured().left(length);
        if (link.endsWith(QLatin1String("://"))
            || link.compare(QLatin1String("www."), Qt::CaseInsensitive) == 0)
            continue;
        links.append({ match.capturedStart(), length, hrefFor(link) });
    }
    return links;
}

QString linkedMessageHtml(const QString &text)
{
    QString html = QStringLiteral("<div style=\"white-space:pre-wrap\">");
    qsizetype at = 0;
    for (const MessageLink &link : messageLinks(text)) {
        html += text.mid(at, link.start - at).toHtmlEscaped();
        html += QStringLiteral("<a href=\"") + link.href.toHtmlEscaped() + QStringLiteral("\">")
            + text.mid(link.start, link.length).toHtmlEscaped() + QStringLiteral("</a>");
        at = link.start + link.length;
    }
    html += text.mid(at).toHtmlEscaped() + QStringLiteral("</div>");
    return html;
}
