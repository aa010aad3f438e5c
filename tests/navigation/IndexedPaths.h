#pragma once

#include "navigation/IndexedFile.h"

#include <QList>
#include <QStringList>

// The relative paths of an index, in its order.
inline QStringList paths(const QList<IndexedFile> &files)
{
    QStringList result;
    for (const IndexedFile &file : files)
        result.append(file.path);
    return result;
}
