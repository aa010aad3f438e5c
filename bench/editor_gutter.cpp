// The line-number gutter beside a large text: a paint with the text scrolled to its middle, a
// scroll by a page with the paint that follows, and the line feed count it shares.
#include "BenchMain.h"
#include "BenchText.h"
#include "common/TextCounts.h"
#include "editor/EditorTextView.h"
#include "editor/LineNumberGutter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWindow>
#include <benchmark/benchmark.h>

namespace
{

// Code-like lines of mixed lengths, blank ones among them.
QString sourceText(qsizetype size)
{
    const QString lines = QStringLiteral("    if (value > limit) {\n"
                                         "        total += compute(first, second, value); // note\n"
                                         "    }\n"
                                         "\n");
    return repeatedTo(lines, size);
}

struct Editor {
    QWidget window;
    LineNumberGutter *gutter = new LineNumberGutter;
    EditorTextView *view = new EditorTextView;
};

// One window for all runs; a new size of text replaces the last.
Editor &editorWith(qsizetype size)
{
    static Editor *editor = [] {
        auto *made = new Editor;
        auto *layout = new QHBoxLayout(&made->window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(made->gutter);
        layout->addWidget(made->view);
        made->gutter->setTextView(made->view);
        made->window.resize(1000, 700);
        made->window.show();
        while (!made->window.windowHandle() || !made->window.windowHandle()->isExposed())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return made;
    }();
    static qsizetype shown = -1;
    if (shown != size) {
        editor->view->setFileText(sourceText(size));
        QCoreApplication::processEvents();
        shown = size;
    }
    return *editor;
}

void scrollTo(Editor &editor, int value)
{
    editor.view->verticalScrollBar()->setValue(value);
    QCoreApplication::processEvents();
}

void paintMidFile(benchmark::State &state)
{
    Editor &editor = editorWith(state.range(0));
    scrollTo(editor, editor.view->verticalScrollBar()->maximum() / 2);
    // Two bookmarks in view, so dots are drawn too.
    const TextBuffer &text = *editor.view->buffer();
    const qsizetype top = editor.view->firstVisibleLine();
    const std::vector<qsizetype> marks { text.lineStart(top), text.lineStart(top + 2) };
    editor.gutter->setBookmarkProvider([marks] { return marks; });
    for (auto _ : state)
        editor.gutter->repaint();
    if (editor.gutter->rows().size() < 20)
        state.SkipWithError("the gutter did not number the lines in view");
}
BENCHMARK(paintMidFile)->Arg(2 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void scrollPageAndPaint(benchmark::State &state)
{
    Editor &editor = editorWith(state.range(0));
    QScrollBar *bar = editor.view->verticalScrollBar();
    const int middle = bar->maximum() / 2;
    int page = 0;
    for (auto _ : state) {
        bar->setValue(middle + (page++ % 100) * bar->pageStep());
        editor.gutter->repaint();
    }
}
BENCHMARK(scrollPageAndPaint)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void countLineFeedsThroughput(benchmark::State &state)
{
    const QString text = sourceText(state.range(0));
    qsizetype lines = 0;
    for (auto _ : state) {
        lines = countLineFeeds(text);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
    state.counters["lines"] = double(lines);
}
BENCHMARK(countLineFeedsThroughput)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
