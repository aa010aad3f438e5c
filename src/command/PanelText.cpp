#include "PanelText.h"

namespace PanelText
{

Summary summary(int status, bool stopped, double seconds)
{
    const QString time = QString::asprintf("%.1f s", seconds);
    if (stopped)
        return { QStringLiteral("stopped after ") + time, Outcome::Stopped };
    if (status == 0)
        return { QStringLiteral("done in ") + time, Outcome::Done };
    return { QStringLiteral("exit ") + QString::number(status) + QStringLiteral(" after ") + time,
        Outcome::Failed };
}

QString folderLabel(const QString &folder, const QString &home)
{
    if (folder.isEmpty())
        return {};
    if (!home.isEmpty() && home != QLatin1String("/")) {
        if (folder == home)
            return QStringLiteral("~");
        if (folder.startsWith(home + QLatin1Char('/')))
            return QStringLiteral("~") + folder.sliced(home.size());
    }
    return folder;
}

}
