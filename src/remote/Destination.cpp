#include "Destination.h"

#include <algorithm>

namespace
{

// A port written as decimal digits only, 1 to 65535.
std::optional<int> portOf(QStringView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    int port = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        port = std::min(port * 10 + (c.unicode() - '0'), 65536);
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::optional<QString> normalisedFolder(const QString &text)
{
    QString folder = text.trimmed();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (folder.isEmpty())
        return std::nullopt;
    if (!folder.startsWith(QLatin1Char('/')) && !folder.startsWith(QLatin1Char('~')))
        folder.prepend(QLatin1String("~/"));
    return folder;
}

// ssh://authority/folder, the authority being destination[:port].
bool parseURLForm(const QString &rest, Destination *parsed, std::optional<QString> *folder)
{
    if (rest.isEmpty())
        return false;
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    if (slash >= 0)
        *folder = rest.mid(slash);
    const qsizetype colon = authority.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        parsed->port = portOf(QStringView(authority).mid(colon + 1));
        if (!parsed->port)
            return false;
        authority.truncate(colon);
    }
    parsed->destination = authority;
    return true;
}

// destination, destination:port, destination:folder or destination:port/folder.
bool parseShortForm(const QString &text, Destination *parsed, std::optional<QString> *folder)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    parsed->destination = colon < 0 ? text : text.left(colon);
    const QString rest = colon < 0 ? QString() : text.mid(colon + 1);
    if (rest.isEmpty())
        return true;
    qsizetype digits = 0;
    while (digits < rest.size() && rest[digits] >= QLatin1Char('0')
        && rest[digits] <= QLatin1Char('9'))
        ++digits;
    const QString after = rest.mid(digits);
    if (digits == 0 || (!after.isEmpty() && !after.startsWith(QLatin1Char('/')))) {
        *folder = rest;
        return true;
    }
    parsed->port = portOf(QStringView(rest).left(digits));
    if (!parsed->port)
        return false;
    if (!after.isEmpty())
        *folder = after;
    return true;
}

}

bool validDestination(const QString &destination)
{
    if (destination.isEmpty() || destination.startsWith(QLatin1Char('-'))
        || destination.endsWith(QLatin1Char('@')) || destination.contains(QLatin1Char(':')))
        return false;
    for (const QChar c : destination)
        if (c.isSpace())
            return false;
    return true;
}

std::optional<Destination> parseDestination(const QString &input)
{
    const QString text = input.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    Destination parsed;
    std::optional<QString> folder;
    const QLatin1String scheme("ssh://");
    const bool valid = text.startsWith(scheme)
        ? parseURLForm(text.mid(scheme.size()), &parsed, &folder)
        : parseShortForm(text, &parsed, &folder);
    if (!valid || !validDestination(parsed.destination))
        return std::nullopt;
    if (folder)
        parsed.folder = normalisedFolder(*folder);
    return parsed;
}
