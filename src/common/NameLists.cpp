#include "NameLists.h"

#include <QStringList>

namespace NameLists {

const QStringList &hiddenNames()
{
    static const QStringList names { ".git", ".DS_Store", ".svn", ".hg" };
    return names;
}

const QStringList &heavyFolderNames()
{
    static const QStringList names { "node_modules", ".build",       "build", "dist",
                                     "target",       "Pods",         "DerivedData",
                                     ".venv",        "venv",         "__pycache__",
                                     ".next",        ".gradle" };
    return names;
}

bool isHidden(QStringView name)
{
    for (const QString &hidden : hiddenNames())
        if (name == hidden)
            return true;
    return false;
}

bool isHeavy(QStringView name)
{
    for (const QString &heavy : heavyFolderNames())
        if (name == heavy)
            return true;
    return false;
}

}
