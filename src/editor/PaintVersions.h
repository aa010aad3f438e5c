#pragma once

#include <QtGlobal>

// Why a paint is asked for; each reason has its own delay and says whether the text must be
// scanned again.
enum class PaintReason : quint8 {
    shown, // a document was shown, renamed, reloaded, or a version of it shown
    edited,
    scrolled, // only for large texts: re-colours around the new visible range
    restyled, // the palette changed: the same spans in other colours
};

// Which scan result is still wanted. Every rescan request raises the version, so a scan that
// was started before it ends stale and is dropped; nothing running is ever cancelled.
struct PaintVersions {
    qint64 paintVersion = 0;
    bool needsRescan = true; // the cached spans must not be reused
    qint64 scanningVersion = -1; // -1 when no scan result is awaited

    static bool rescans(PaintReason reason);
    static int delayMs(PaintReason reason);

    void request(bool rescan);
    // Spans made at `version` may be applied as they stand.
    bool isCurrent(qint64 version) const { return !needsRescan && version == paintVersion; }
    // A scan of the current version is under way; its result will be applied.
    bool isScanning() const { return scanningVersion == paintVersion; }
    // The version a new scan is made for.
    qint64 startScan();
    // Spans still valid for the text are taken for the current version without a scan.
    qint64 reuse();
    // Whether a scan that ended is still wanted: its version is current and it was made for the
    // view on show.
    bool finishScan(qint64 version, bool sameView);
};
