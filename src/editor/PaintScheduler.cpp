#include "PaintScheduler.h"

#include "LanguageDetection.h"
#include "ScanWindow.h"
#include "SpanPainter.h"
#include "common/MainThread.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

namespace
{

// Bounds the copy only; firstLineOf decides how much of it detection looks at.
constexpr int firstLineCopy = 1024;

// The start of the text, for language detection: never the whole of a huge first line.
QString textStart(const QTextDocument &document)
{
    const QTextBlock first = document.firstBlock();
    QTextCursor cursor(first);
    cursor.setPosition(
        first.position() + std::min(first.length() - 1, firstLineCopy), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// The text as the editor counts it, lines ended by line feeds.
QString textCopy(const QTextDocument &document)
{
    QString text = document.toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// The lines on screen, from the start of the top one to the end of the bottom one.
CharRange visibleCharacters(const QPlainTextEdit &view)
{
    const QRect area = view.viewport()->rect();
    const QTextBlock top = view.cursorForPosition(area.topLeft()).block();
    const QTextBlock bottom = view.cursorForPosition(area.bottomRight()).block();
    return { top.position(), bottom.position() + bottom.length() - 1 };
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

void PaintScheduler::show(QPlainTextEdit *view, const QUrl &url, bool isPlain)
{
    watch(view);
    shownView = view;
    shownUrl = url;
    shownIsPlain = isPlain;
    schedulePaint(PaintReason::shown);
}

void PaintScheduler::showNothing()
{
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
    if (shownView && ScanWindow::isLargeText(shownView->document()->characterCount() - 1))
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
    QPlainTextEdit *view = shownView;
    if (!view)
        return;
    QTextDocument *document = view->document();
    // Whatever this paint does, it does for the lines on screen now.
    if (ScanWindow::isLargeText(document->characterCount() - 1))
        paintedVisible = visibleCharacters(*view);
    SpanPainter *painter = SpanPainter::of(document);
    const Language *language
        = shownIsPlain ? nullptr : detectLanguage(shownUrl, firstLineOf(textStart(*document)));
    if (!language) {
        painter->clear();
        return;
    }
    if (reuseSpans(view, language, painter->textStamp()) || paintVersions.isScanning())
        return;
    if (!ScanWindow::isScannable(document->characterCount() - 1)) {
        painter->clear();
        return;
    }
    startScan(view, language, painter->textStamp());
}

bool PaintScheduler::reuseSpans(QPlainTextEdit *view, const Language *language, qint64 textStamp)
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

void PaintScheduler::startScan(QPlainTextEdit *view, const Language *language, qint64 textStamp)
{
    QString text = textCopy(*view->document());
    const qint64 version = paintVersions.startScan();
    started = { language, textStamp };
    counted.scans += 1;
    QThreadPool::globalInstance()->start([self = QPointer(this), version, target = QPointer(view),
                                             text = std::move(text), language] {
        SpanList spans = std::make_shared<const std::vector<Span>>(tokenize(text, *language));
        MainThread::post([self, version, target, spans] {
            if (self)
                self->finishScan(version, target, spans);
        });
    });
}

void PaintScheduler::finishScan(qint64 version, QPlainTextEdit *view, SpanList spans)
{
    if (!paintVersions.finishScan(version, view && view == shownView)) {
        counted.dropped += 1;
        return;
    }
    cache.store(view, { version, spans, started.language, started.textStamp });
    applySpans(*spans, view);
}

void PaintScheduler::applySpans(const std::vector<Span> &spans, QPlainTextEdit *view)
{
    QTextDocument *document = view->document();
    const qsizetype length = document->characterCount() - 1;
    std::optional<CharRange> visible;
    if (ScanWindow::isLargeText(length)) {
        visible = visibleCharacters(*view);
        paintedVisible = *visible;
    }
    SpanPainter::of(document)->paint(
        spans, ScanWindow::colourWindow(length, visible), view->palette());
    counted.applied += 1;
}

void PaintScheduler::checkVisibleLines()
{
    QPlainTextEdit *view = shownView;
    // A pending paint looks at the lines on screen when it runs.
    if (!view || paintWork->isActive()
        || !ScanWindow::isLargeText(view->document()->characterCount() - 1))
        return;
    if (visibleCharacters(*view) != paintedVisible)
        editorScrolled();
}

void PaintScheduler::watch(QPlainTextEdit *view)
{
    if (!view || watched.contains(view))
        return;
    watched.insert(view);
    // The view's scroll bar keeps quiet when the caret drags the text along, so the view's
    // repaints are what tell that other lines came on screen. Looked at once the repaint is
    // over, never inside the layout that asked for it.
    connect(view, &QPlainTextEdit::updateRequest, this, [this, view] {
        if (view == shownView && !visibleCheck->isActive())
            visibleCheck->start();
    });
    // A closed view's spans go with it, and its address may come back for another view.
    connect(view, &QObject::destroyed, this, [this](QObject *gone) {
        watched.remove(gone);
        cache.drop(gone);
    });
}
