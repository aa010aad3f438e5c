#include "RemoteScripts.h"

#include "SSHArguments.h"

#include <cmath>

namespace
{

// GNU stat, else BSD stat: the modification time in whole seconds.
QString modificationTime(const QString &quoted)
{
    return QStringLiteral("{ stat -c %Y -- ") + quoted
        + QStringLiteral(" 2>/dev/null || stat -f %m -- ") + quoted
        + QStringLiteral(" 2>/dev/null; }");
}

std::optional<double> timeOf(const QString &text)
{
    bool ok = false;
    const double time = text.toDouble(&ok);
    if (!ok || !std::isfinite(time))
        return std::nullopt;
    return time;
}

QString stripped(const QString &text, QLatin1String characters)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && characters.contains(text[begin]))
        ++begin;
    while (end > begin && characters.contains(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

}

QString readScript(const QString &path, qsizetype limit)
{
    const QString q = remoteQuote(path);
    return QStringLiteral("m=$(") + modificationTime(q)
        + QStringLiteral("); printf '%s\\n' \"$m\"; cat -- ") + q + QStringLiteral(" | head -c ")
        + QString::number(limit + 1);
}

QString writeScript(const QString &path, std::optional<double> expectedTime, qsizetype size)
{
    const QString q = remoteQuote(path);
    const QString t = remoteQuote(path + QStringLiteral(".quillmar-tmp"));
    QString script = QStringLiteral("cur=$(") + modificationTime(q) + QLatin1Char(')');
    if (expectedTime)
        script += QStringLiteral("; if [ -n \"$cur\" ] && [ \"$cur\" != \"")
            + QString::number(qint64(std::trunc(*expectedTime)))
            + QStringLiteral("\" ]; then exit 3; fi");
    script += QStringLiteral("; if [ -e ") + q + QStringLiteral(" ] && [ ! -w ") + q
        + QStringLiteral(" ]; then echo \"No permission to write this file\" >&2; exit 4; fi")
        + QStringLiteral("; dir=$(dirname -- ") + q + QLatin1Char(')')
        + QStringLiteral("; if [ -w \"$dir\" ]; then") + QStringLiteral(" mode=$(stat -c %a -- ")
        + q + QStringLiteral(" 2>/dev/null || stat -f %Lp -- ") + q
        + QStringLiteral(" 2>/dev/null)")
        // A killed upload ends the input early, as a complete one does: only the size tells.
        + QStringLiteral("; { cat > ") + t + QStringLiteral(" && [ $(wc -c < ") + t
        + QStringLiteral(") -eq ") + QString::number(size)
        + QStringLiteral(" ] && { [ -z \"$mode\" ] || chmod \"$mode\" ") + t
        + QStringLiteral("; } && mv -f ") + t + QLatin1Char(' ') + q + QStringLiteral("; }")
        + QStringLiteral(" || { rm -f ") + t + QStringLiteral(" 2>/dev/null; exit 1; }")
        + QStringLiteral("; elif [ -e ") + q + QStringLiteral(" ]; then cat > ") + q
        + QStringLiteral("; else echo \"No permission to create files in this folder\" >&2; "
                         "exit 4; fi")
        + QStringLiteral(" && ") + modificationTime(q);
    return script;
}

ReadOutput parseReadOutput(const QByteArray &output)
{
    const qsizetype newline = output.indexOf('\n');
    if (newline < 0)
        return {};
    const QString timeLine = QString::fromUtf8(output.left(newline));
    return { timeOf(stripped(timeLine, QLatin1String(" \t"))), output.mid(newline + 1) };
}

std::optional<double> parseSavedTime(const QByteArray &output)
{
    return timeOf(QString::fromUtf8(output).trimmed());
}
