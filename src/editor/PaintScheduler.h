#pragma once

#include "PaintVersions.h"
#include "ScanWindow.h"
#include "SpanCache.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUrl>

class TextArea;
class QTimer;

// Decides when the syntax colours of the editor view on show are worked out and put on screen.
// Requests are debounced through one timer; the scan runs on the thread pool over a snapshot of
// the text and its result comes back through the event loop, where a result overtaken by a later
// edit or by another view is dropped. It follows the shown view's edits and scrolling itself.
// Large texts are coloured only around the visible part, texts over the scan limit and plain
// documents not at all. Main thread only.
class PaintScheduler : public QObject
{
    Q_OBJECT
public:
    explicit PaintScheduler(QObject *parent = nullptr);

    // What the owner reports. A view is shown (activated, renamed, reloaded from disk, or showing
    // another version of its file) with the document's URL and whether it is plain.
    void show(TextArea *view, const QUrl &url, bool isPlain);
    // The placeholder, which is never coloured, is shown.
    void showNothing();
    // The shown view's edits and scrolling are followed without these; calling them as well
    // does no harm.
    void textChanged();
    // The visible part of the editor moved or changed size.
    void editorScrolled();
    void paletteChanged();

    // One paint after `delayMs`; a new request replaces a pending one.
    void schedulePaint(bool rescan, int delayMs);
    void schedulePaint(PaintReason reason);
    void paint();
    void finishScan(qint64 version, TextArea *view, SpanList spans);
    void applySpans(const std::vector<Span> &spans, TextArea *view);

    const PaintVersions &versions() const { return paintVersions; }
    const SpanCache &spanCache() const { return cache; }
    bool paintPending() const;

    // What has happened so far, for watching the scheduler at work.
    struct Counts {
        int scans = 0; // started
        int dropped = 0; // results that came back stale
        int applied = 0; // times colours were put on a view
    };
    const Counts &counts() const { return counted; }

private:
    struct StartedScan {
        const Language *language = nullptr;
        qint64 textStamp = 0;
    };

    void watch(TextArea *view);
    void followEdits(TextArea *view);
    void checkVisibleLines();
    bool reuseSpans(TextArea *view, const Language *language, qint64 textStamp);
    void startScan(TextArea *view, const Language *language, qint64 textStamp);

    QTimer *paintWork;
    // Every change of the shown view's visible lines is followed by a look at which lines are
    // on screen, once the change that reported it is over.
    QTimer *visibleCheck;
    // The visible lines the colours were last put around.
    CharRange paintedVisible;
    PaintVersions paintVersions;
    SpanCache cache;
    StartedScan started;
    QPointer<TextArea> shownView;
    QUrl shownUrl;
    bool shownIsPlain = false;
    QSet<const QObject *> watched;
    QList<QMetaObject::Connection> editLinks;
    Counts counted;
};
