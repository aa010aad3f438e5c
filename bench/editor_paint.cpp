// Syntax colours on screen: from a paint request to colours drawn on a freshly opened
// 2,000,000-code-unit C++ text (the largest that is scanned; the request's own 10 ms delay
// included), the main-thread cost of colouring the window around the visible lines of a 64 MB
// text and drawing it, re-applying an unchanged window (scrolling), and typing with colours on.
#include "BenchMain.h"
#include "BenchShown.h"
#include "BenchText.h"
#include "editor/EditorTextView.h"
#include "editor/Language.h"
#include "editor/PaintScheduler.h"
#include "editor/ScanWindow.h"
#include "editor/SpanPainter.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace
{

const QUrl cppFile = QUrl::fromLocalFile(QStringLiteral("/bench/Document.cpp"));

// A page of ordinary C++ that closes every comment and string it opens, so that pages can be
// repeated and their spans shifted instead of scanning the whole text.
QString cppPage()
{
    const QString unit = QStringLiteral(
        "#include <vector>\n"
        "/* Keeps the visible lines in step with the document.\n"
        "   Cheap when nothing changed. */\n"
        "template <typename T>\n"
        "bool LineCache::refresh(std::size_t revision, double scale = 1.5e-3)\n"
        "{\n"
        "    if (revision == revision_ || lines_.empty())\n"
        "        return false; // nothing to do\n"
        "    for (auto &line : lines_)\n"
        "        line.label = QStringLiteral(\"line \\\"%1\\\"\").arg(line.number + 0x10);\n"
        "    return true;\n"
        "}\n\n");
    QString page;
    while (page.size() < 64 * 1024)
        page += unit;
    return page;
}

QString cppText(qsizetype length)
{
    return repeatedTo(cppPage(), length);
}

std::vector<Span> repeatedSpans(qsizetype length)
{
    const QString page = cppPage();
    const std::vector<Span> pageSpans = tokenize(page, *languageNamed(u"C/C++"));
    std::vector<Span> spans;
    for (qsizetype offset = 0; offset < length; offset += page.size()) {
        for (Span span : pageSpans) {
            span.range.location += offset;
            spans.push_back(span);
        }
    }
    return spans;
}

EditorTextView &shownView(qsizetype length)
{
    static EditorTextView *view = shownWidget<EditorTextView>(1000, 700);
    if (view->buffer()->length() != length)
        view->setFileText(cppText(length));
    return *view;
}

void scrollToMiddle(EditorTextView &view)
{
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    QCoreApplication::processEvents();
}

void scheduleToColoured(benchmark::State &state)
{
    EditorTextView &view = shownView(ScanWindow::scanLimit);
    for (auto _ : state) {
        state.PauseTiming();
        SpanPainter::of(&view)->clear();
        PaintScheduler scheduler;
        state.ResumeTiming();
        scheduler.show(&view, cppFile, false);
        while (scheduler.counts().applied == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        view.viewport()->repaint();
    }
    state.SetBytesProcessed(state.iterations() * ScanWindow::scanLimit);
}
BENCHMARK(scheduleToColoured)->Unit(benchmark::kMillisecond)->UseRealTime();

// The second argument keeps the colours from one application to the next, as when scrolling
// back to lines that have them already.
void applyWindowOfLargeText(benchmark::State &state)
{
    const qsizetype length = state.range(0);
    const bool colouredBefore = state.range(1) != 0;
    EditorTextView &view = shownView(length);
    const std::vector<Span> spans = repeatedSpans(length);
    scrollToMiddle(view);
    PaintScheduler scheduler;
    for (auto _ : state) {
        if (!colouredBefore) {
            state.PauseTiming();
            SpanPainter::of(&view)->clear();
            state.ResumeTiming();
        }
        scheduler.applySpans(spans, &view);
        // Newly coloured lines on screen are laid out again when drawn.
        view.viewport()->repaint();
    }
}
BENCHMARK(applyWindowOfLargeText)
    ->Args({ 64 << 20, 0 })
    ->Args({ 64 << 20, 1 })
    ->Unit(benchmark::kMillisecond);

// One keystroke in the middle of a line, as the view makes it (an undo step each), then the
// paint that follows a burst (which, over the scan limit, only checks). The second argument
// shows the view to the scheduler with colours on, which then follows every edit; without it
// the cost is the typing alone.
void typeMidLine(benchmark::State &state)
{
    const qsizetype length = state.range(0);
    const bool coloured = state.range(1) != 0;
    EditorTextView &view = shownView(length);
    scrollToMiddle(view);
    PaintScheduler scheduler;
    if (coloured) {
        scheduler.show(&view, cppFile, false);
        scheduler.applySpans(repeatedSpans(length), &view);
    }
    const qsizetype start = view.positionAt(QPoint(200, 300));
    view.setCaretPosition(start);
    for (auto _ : state)
        view.insertText(QStringLiteral("x"));
    scheduler.paint();
    view.buffer()->remove(start, view.caretPosition() - start);
    SpanPainter::of(&view)->clear();
}
BENCHMARK(typeMidLine)
    ->Args({ 64 << 20, 1 })
    ->Args({ 64 << 20, 0 })
    ->Args({ ScanWindow::scanLimit, 1 })
    ->Args({ ScanWindow::scanLimit, 0 })
    ->Unit(benchmark::kMicrosecond);

void paintOverTheScanLimit(benchmark::State &state)
{
    EditorTextView &view = shownView(state.range(0));
    PaintScheduler scheduler;
    scheduler.show(&view, cppFile, false);
    for (auto _ : state)
        scheduler.paint();
    if (scheduler.counts().scans != 0)
        state.SkipWithError("a text over the scan limit was scanned");
}
BENCHMARK(paintOverTheScanLimit)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
