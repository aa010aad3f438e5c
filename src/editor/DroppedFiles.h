#pragma once

#include <QList>
#include <QUrl>

class QMimeData;

// The local files a drag carries: its file URLs, or else a dropped text that is one existing
// absolute or "~" path. Empty when the drag is ordinary text, which is then inserted as usual.
QList<QUrl> droppedFiles(const QMimeData *mime);
