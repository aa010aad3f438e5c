#include "PaintScheduler.h"

#include "LanguageDetection.h"
#include "ScanWindow.h"
#include "SpanPainter.h"
#include "buffer/TextBuffer.h"
#include "common/MainThread.h"
#include "view/TextArea.h"

#include <QThreadPool>
#include <QTimer>

#include <algorithm>

namespace
{

// Bounds the copy only; firstLineOf decides how much of it detection looks at.
constexpr qsizetype firstLineCopy = 1024;

// The start of the text, for language detection: never the whole of a huge first line.
QString textStart(const TextBuffer &text)
{
    return text.text(0, std::min(text.lineLength(0), firstLineCopy));
}

// The lines on screen, from the start of the top one to the end of the bottom one.
CharRange visibleCharacters(const TextArea &view)
{
    const TextBuffer &text = *view.buffer();
    const qsizetype last = view.lastVisibleLine();
    return { text.lineStart(view.firstVisibleLine()), text.lineStart(last) + text.lineLength(last) };
}

}

PaintScheduler::PaintScheduler(QObject *parent)
    : QObject(parent)
    , paintWork(new QTimer(this))
    , visibleCheck(new QTimer(this))
{
    paintWork->setSingleShot(true);
    connect(paintWork, &QTimer::timeout, this, &PaintScheduler::paint);
    visibleCheck->setSingleShot(true);
    visibleCheck->setInterval(0);
    connect(visibleCheck, &QTimer::timeout, this, &PaintScheduler::checkVisibleLines);
}

void PaintScheduler::show(TextArea *view, const QUrl &url, bool isPlain)
{
    watch(view);
    followEdits(view);
    shownView = view;
    shownUrl = url;
    shownIsPlain = isPlain;
    schedulePaint(PaintReason::shown);
}

void PaintScheduler::showNothing()
{
    followEdits(nullptr);
    shownView = nullptr;
    shownUrl = QUrl();
    shownIsPlain = false;
    schedulePaint(PaintReason::shown);
}

void PaintScheduler::textChanged()
{
    schedulePaint(PaintReason::edited);
}

void PaintScheduler::editorScrolled()
{
    // Smaller texts are coloured whole, so what is on screen does not matter.
    if (shownView && ScanWindow::isLargeText(shownView->buffer()->length()))
        schedulePaint(PaintReason::scrolled);
}

void PaintScheduler::paletteChanged()
{
    schedulePaint(PaintReason::restyled);
}

void PaintScheduler::schedulePaint(bool rescan, int delayMs)
{
    paintVersions.request(rescan);
    paintWork->start(delayMs);
}

void PaintScheduler::schedulePaint(PaintReason reason)
{
    schedulePaint(PaintVersions::rescans(reason), PaintVersions::delayMs(reason));
}

bool PaintScheduler::paintPending() const
{
    return paintWork->isActive();
}

void PaintScheduler::paint()
{
    TextArea *view = shownView;
    if (!view)
        return;
    const TextBuffer &text = *view->buffer();
    // Whatever this paint does, it does for the lines on screen now.
    if (ScanWindow::isLargeText(text.length()))
        paintedVisible = visibleCharacters(*view);
    SpanPainter *painter = SpanPainter::of(view);
    const Language *language
        = shownIsPlain ? nullptr : detectLanguage(shownUrl, firstLineOf(textStart(text)));
    if (!language) {
        painter->clear();
        return;
    }
    if (reuseSpans(view, language, painter->textStamp()) || paintVersions.isScanning())
        return;
    if (!ScanWindow::isScannable(text.length())) {
        painter->clear();
        return;
    }
    startScan(view, language, painter->textStamp());
}

bool PaintScheduler::reuseSpans(TextArea *view, const Language *language, qint64 textStamp)
{
    const SpanCache::Entry *entry = cache.reusable(view, paintVersions, language, textStamp);
    if (!entry)
        return false;
    const SpanList spans = entry->spans;
    if (!paintVersions.isCurrent(entry->version))
        cache.restamp(view, paintVersions.reuse());
    applySpans(*spans, view);
    return true;
}

void PaintScheduler::startScan(TextArea *view, const Language *language, qint64 textStamp)
{
    // Taking a snapshot shares the text's pieces; the copy to scan is made on the worker.
    TextSnapshot snapshot = view->buffer()->snapshot();
    const qint64 version = paintVersions.startScan();
    started = { language, textStamp };
    counted.scans += 1;
    QThreadPool::globalInstance()->start([self = QPointer(this), version, target = QPointer(view),
                                             snapshot = std::move(snapshot), language] {
        const QString text = snapshot.text();
        SpanList spans = std::make_shared<const std::vector<Span>>(tokenize(text, *language));
        MainThread::post([self, version, target, spans] {
            if (self)
                self->finishScan(version, target, spans);
        });
    });
}

void PaintScheduler::finishScan(qint64 version, TextArea *view, SpanList spans)
{
    if (!paintVersions.finishScan(version, view && view == shownView)) {
        counted.dropped += 1;
        return;
    }
    // A text changed in a way the scheduler was not told of (another buffer on the view).
    if (SpanPainter::of(view)->textStamp() != started.textStamp) {
        counted.dropped += 1;
        schedulePaint(PaintReason::edited);
        return;
    }
    cache.store(view, { version, spans, started.language, started.textStamp });
    applySpans(*spans, view);
}

void PaintScheduler::applySpans(const std::vector<Span> &spans, TextArea *view)
{
    const qsizetype length = view->buffer()->length();
    std::optional<CharRange> visible;
    if (ScanWindow::isLargeText(length)) {
        visible = visibleCharacters(*view);
        paintedVisible = *visible;
    }
    SpanPainter::of(view)->paint(
        spans, ScanWindow::colourWindow(length, visible), view->palette());
    counted.applied += 1;
}

void PaintScheduler::checkVisibleLines()
{
    TextArea *view = shownView;
    // A pending paint looks at the lines on screen when it runs.
    if (!view || paintWork->isActive()
        || !ScanWindow::isLargeText(view->buffer()->length()))
        return;
    if (visibleCharacters(*view) != paintedVisible)
        editorScrolled();
}

void PaintScheduler::watch(TextArea *view)
{
    if (!view || watched.contains(view))
        return;
    watched.insert(view);
    // Keys, jumps and finds move the view as well as the scroll bar does. Looked at once the
    // change is over, never inside the layout that reported it.
    connect(view, &TextArea::visibleLinesChanged, this, [this, view] {
        if (view == shownView && !visibleCheck->isActive())
            visibleCheck->start();
    });
    // A closed view's spans go with it, and its address may come back for another view.
    connect(view, &QObject::destroyed, this, [this](QObject *gone) {
        watched.remove(gone);
        cache.drop(gone);
    });
}

void PaintScheduler::followEdits(TextArea *view)
{
    for (const QMetaObject::Connection &link : std::as_const(editLinks))
        disconnect(link);
    editLinks.clear();
    if (!view)
        return;
    const TextBuffer *text = view->buffer();
    // Direct: every edit raises the version at once, so a scan already running ends stale.
    editLinks = {
        connect(text, &TextBuffer::changed, this, [this] { textChanged(); }, Qt::DirectConnection),
        connect(text, &TextBuffer::reset, this, [this] { textChanged(); }, Qt::DirectConnection),
    };
}
