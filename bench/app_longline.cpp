// A file of one very long line through the real controller and widgets offscreen: how long it
// takes until the text is shown, and how long the window then takes to answer keys.
#include "BenchApp.h"
#include "BenchMain.h"
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir workFolder;

QString oneLineFile(qint64 megabytes)
{
    const QString path = workFolder.filePath(QStringLiteral("line%1.txt").arg(megabytes));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray block = "value = compute(values) + 42; ";
        QByteArray line;
        line.reserve(megabytes * 1024 * 1024);
        while (line.size() < megabytes * 1024 * 1024)
            line += block;
        file.write(line);
    }
    return path;
}

void press(QWidget *target, int key, const QString &text = {})
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &up);
}

// Time from the text being shown to a key answered: the caret moved by an arrow key, then a
// typed letter, then a line break, each painted.
void BM_OneLineFileAnswersKeys(benchmark::State &state)
{
    const QString path = oneLineFile(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto app = launchedEditor();
        QElapsedTimer shown;
        shown.start();
        app->documents().loadDocument(path, false, true, true);
        waitForLoads(*app);
        const DocumentPtr document = app->documents().activeDocument();
        EditorTextView *view = document->textView;
        view->viewport()->repaint();
        QApplication::processEvents();
        state.counters["shown_ms"] = double(shown.elapsed());
        state.ResumeTiming();

        QElapsedTimer key;
        key.start();
        press(view, Qt::Key_Right);
        view->viewport()->repaint();
        QApplication::processEvents();
        state.counters["arrow_ms"] = double(key.elapsed());
        key.restart();
        press(view, Qt::Key_A, QStringLiteral("a"));
        view->viewport()->repaint();
        QApplication::processEvents();
        state.counters["typed_ms"] = double(key.elapsed());
        // Return reads the line it splits for its indent: only the line's ends.
        key.restart();
        press(view, Qt::Key_Return);
        view->viewport()->repaint();
        QApplication::processEvents();
        state.counters["return_ms"] = double(key.elapsed());

        state.PauseTiming();
        if (view->caretPosition() != 3 || view->buffer()->text(0, 4) != QStringLiteral("va\na")) {
            state.SkipWithError("the keys were not handled");
            break;
        }
        app.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OneLineFileAnswersKeys)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
