#include "Indentation.h"

namespace Indentation {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QChar closerOf(QChar opener)
{
    switch (opener.unicode()) {
    case u'{':
        return u'}';
    case u'[':
        return u']';
    case u'(':
        return u')';
    default:
        return {};
    }
}

QStringView leadingBlanks(QStringView line)
{
    qsizetype n = 0;
    while (n < line.size() && isBlank(line[n]))
        ++n;
    return line.left(n);
}

QString shiftLine(QStringView line, bool outdent, int width, const QString &step)
{
    if (!outdent)
        return line.isEmpty() ? QString() : step + line.toString();
    if (line.startsWith(step))
        return line.mid(step.size()).toString();
    if (line.startsWith(u'\t'))
        return line.mid(1).toString();
    qsizetype spaces = 0;
    while (spaces < width && spaces < line.size() && line[spaces] == u' ')
        ++spaces;
    return line.mid(spaces).toString();
}

}

QString unit(int width)
{
    return QString(std::max(width, 1), u' ');
}

std::optional<ReturnEdit> returnEdit(QStringView before, QStringView after, bool copyIndent,
                                     bool braces, int width)
{
    if (!copyIndent && !braces)
        return std::nullopt;
    const QString indent = copyIndent ? leadingBlanks(before).toString() : QString();
    const QStringView trimmed = before.trimmed();
    const QChar last = trimmed.isEmpty() ? QChar() : trimmed.back();
    const QChar closer = braces ? closerOf(last) : QChar();
    if (closer.isNull())
        return ReturnEdit { u'\n' + indent, 0 };
    if (!after.isEmpty() && after.front() == closer) {
        const QString inner = u'\n' + indent + unit(width);
        return ReturnEdit { inner + u'\n' + indent, int(indent.size()) + 1 };
    }
    return ReturnEdit { u'\n' + indent + unit(width), 0 };
}

QString shiftLines(QStringView lines, bool outdent, int width)
{
    const QString step = unit(width);
    QString out;
    out.reserve(lines.size() + (outdent ? 0 : lines.count(u'\n') * step.size() + step.size()));
    qsizetype start = 0;
    while (true) {
        const qsizetype end = lines.indexOf(u'\n', start);
        const QStringView line = lines.mid(start, end < 0 ? -1 : end - start);
        out += shiftLine(line, outdent, width, step);
        if (end < 0)
            break;
        out += u'\n';
        start = end + 1;
    }
    return out;
}

std::optional<int> closerOutdent(QStringView prefix, QChar closer, int width)
{
    if (closer != u'}' && closer != u']' && closer != u')')
        return std::nullopt;
    if (prefix.isEmpty() || leadingBlanks(prefix).size() != prefix.size())
        return std::nullopt;
    if (prefix.endsWith(unit(width)))
        return width;
    if (prefix.endsWith(u'\t'))
        return 1;
    return std::nullopt;
}

bool isCloser(QStringView text)
{
    return text == u"}" || text == u"]" || text == u")";
}

}
