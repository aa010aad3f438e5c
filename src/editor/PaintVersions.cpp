#include "PaintVersions.h"

bool PaintVersions::rescans(PaintReason reason)
{
    return reason == PaintReason::shown || reason == PaintReason::edited;
}

int PaintVersions::delayMs(PaintReason reason)
{
    switch (reason) {
    case PaintReason::shown:
    case PaintReason::restyled:
        return 10;
    case PaintReason::edited:
        // A burst of keystrokes gives one scan, shortly after the last of them.
        return 80;
    case PaintReason::scrolled:
        return 50;
    }
    return 10;
}

void PaintVersions::request(bool rescan)
{
    if (!rescan)
        return;
    needsRescan = true;
    paintVersion += 1;
}

qint64 PaintVersions::startScan()
{
    needsRescan = false;
    scanningVersion = paintVersion;
    return paintVersion;
}

qint64 PaintVersions::reuse()
{
    needsRescan = false;
    return paintVersion;
}

bool PaintVersions::finishScan(qint64 version, bool sameView)
{
    if (version != paintVersion || !sameView)
        return false;
    scanningVersion = -1;
    return true;
}
