// The editor text view with large texts: loading and first paint, a paint with the inline
// annotation on show, and typing (each keystroke also records an undo step).
#include "BenchMain.h"
#include "BenchShown.h"
#include "BenchText.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace
{

QString sourceText(qsizetype bytes)
{
    const QString line = QStringLiteral(
        "    const QString value = compute(first, second) + QStringLiteral(\"text\"); // note\n");
    return repeatedTo(line, bytes);
}

void type(EditorTextView &view, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&view, &press);
}

void paintNow(EditorTextView &view)
{
    view.viewport()->repaint();
}

EditorTextView &shownView()
{
    static EditorTextView *view = shownWidget<EditorTextView>(1000, 700);
    return *view;
}

void loadAndPaint(benchmark::State &state)
{
    const QString text = sourceText(state.range(0));
    EditorTextView &view = shownView();
    for (auto _ : state) {
        view.setFileText(text);
        paintNow(view);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(loadAndPaint)->Arg(2 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(loadAndPaint)->Arg(64 << 20)->Unit(benchmark::kMillisecond)->Iterations(2);

void paintWithAnnotationMidFile(benchmark::State &state)
{
    EditorTextView &view = shownView();
    view.setFileText(sourceText(state.range(0)));
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    const qsizetype location = view.positionAt(QPoint(20, 200));
    view.annotation
        = EditorTextView::Annotation { QStringLiteral("Ada Lovelace, 3d ago"), location };
    view.annotationChanged();
    for (auto _ : state)
        paintNow(view);
    if (!view.annotationRect())
        state.SkipWithError("the annotation was not drawn");
}
BENCHMARK(paintWithAnnotationMidFile)->Arg(2 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void typeMidFile(benchmark::State &state)
{
    EditorTextView &view = shownView();
    view.setFileText(sourceText(state.range(0)));
    view.setCaretPosition(state.range(0) / 2);
    const TextBuffer &text = *view.buffer();
    for (auto _ : state) {
        type(view, Qt::Key_X, QStringLiteral("x"));
        // A new line now and then keeps the steps coming, so the history stays full.
        const qsizetype caret = view.caretPosition();
        if ((caret - text.lineStart(text.lineAt(caret))) % 8 == 0)
            type(view, Qt::Key_Return, QStringLiteral("\r"));
    }
}
BENCHMARK(typeMidFile)->Arg(2 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
