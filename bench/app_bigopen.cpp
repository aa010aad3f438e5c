// Opening a big file through the real controller and widgets offscreen: the time from the
// open to its text painted, the longest the event loop went unanswered meanwhile, and the
// memory it takes; then keys and jumps in the loaded document with its colours on.
#include "BenchApp.h"
#include "BenchMain.h"
#include "BenchText.h"
#include "app/AppDelegate.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

QTemporaryDir workFolder;

QString cppFile(int megabytes)
{
    const QString path = workFolder.filePath(QStringLiteral("big%1.cpp").arg(megabytes));
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write(cppText(qint64(megabytes) * 1024 * 1024));
    return path;
}

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// The longest time between two turns of the event loop while it is watched.
class StallWatch
{
public:
    StallWatch()
    {
        QObject::connect(&tick, &QTimer::timeout, [this] {
            longest = std::max(longest, clock.restart());
        });
        clock.start();
        tick.start(1);
    }
    qint64 longestMs() const { return std::max(longest, clock.elapsed()); }

private:
    QTimer tick;
    QElapsedTimer clock;
    qint64 longest = 0;
};

// Opens the file and runs the event loop until its text is painted.
EditorTextView *openAndPaint(AppDelegate &app, const QString &path)
{
    app.documents().loadDocument(path, false, true, true);
    waitForLoads(app);
    const DocumentPtr active = app.documents().activeDocument();
    if (!active || !active->textView || active->textView->buffer()->length() == 0)
        return nullptr;
    active->textView->viewport()->repaint();
    return active->textView;
}

void BM_OpenToPainted(benchmark::State &state)
{
    const QString path = cppFile(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto app = launchedEditor();
        StallWatch watch;
        state.ResumeTiming();
        EditorTextView *view = openAndPaint(*app, path);
        state.PauseTiming();
        if (!view)
            state.SkipWithError("the text never came");
        state.counters["longest_stall_ms"] = double(watch.longestMs());
        state.counters["peak_MB"] = peakMegabytes();
        app.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToPainted)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);

void pressAndPaint(EditorTextView &view, int key, Qt::KeyboardModifiers modifiers = {},
                   const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&view, &press);
    view.viewport()->repaint();
}

// The 64 MB file open in app, its view focused; none (and the benchmark skipped) when it failed.
EditorTextView *focusedOn64MB(AppDelegate &app, benchmark::State &state)
{
    EditorTextView *view = openAndPaint(app, cppFile(64));
    if (!view)
        state.SkipWithError("the text never came");
    else
        view->setFocus();
    return view;
}

void BM_KeysInTheMiddleOf64MB(benchmark::State &state)
{
    auto app = launchedEditor();
    EditorTextView *view = focusedOn64MB(*app, state);
    if (!view)
        return;
    view->showLine(view->buffer()->lineCount() / 2);
    QApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        switch (i++ % 3) {
        case 0: pressAndPaint(*view, Qt::Key_X, {}, QStringLiteral("x")); break;
        case 1: pressAndPaint(*view, Qt::Key_Return, {}, QStringLiteral("\r")); break;
        default: pressAndPaint(*view, Qt::Key_Backspace); break;
        }
    }
}
BENCHMARK(BM_KeysInTheMiddleOf64MB)->Unit(benchmark::kMicrosecond);

void BM_JumpsIn64MB(benchmark::State &state)
{
    auto app = launchedEditor();
    EditorTextView *view = focusedOn64MB(*app, state);
    if (!view)
        return;
    int i = 0;
    for (auto _ : state) {
        switch (i++ % 3) {
        case 0: pressAndPaint(*view, Qt::Key_End, Qt::ControlModifier); break;
        case 1: pressAndPaint(*view, Qt::Key_Home, Qt::ControlModifier); break;
        default: view->showLine(view->buffer()->lineCount() / 3); view->viewport()->repaint(); break;
        }
    }
}
BENCHMARK(BM_JumpsIn64MB)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
