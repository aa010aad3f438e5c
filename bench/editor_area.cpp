// The text area over the editor's own buffer, with large texts: opening to the first paint,
// keys in the middle of the text (each with its repaint), and long moves to the new text painted.
#include "BenchMain.h"
#include "BenchShown.h"
#include "BenchText.h"
#include "editor/buffer/TextBuffer.h"
#include "editor/buffer/TextStorage.h"
#include "editor/view/TextArea.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace
{

QString sourceText(qsizetype length)
{
    const QString block = QStringLiteral(
        "namespace engine {\n"
        "// Keeps the values of one run; see the notes below.\n"
        "int compute(const std::vector<int> &values, int limit)\n"
        "{\n"
        "    int total = 0;\n"
        "    for (int value : values) {\n"
        "        if (value > limit)\n"
        "\t\t\tcontinue;\n"
        "        total += value * 2; // doubled\n"
        "    }\n"
        "    return total + QStringLiteral(\"text\").size();\n"
        "}\n"
        "}\n\n");
    return repeatedTo(block, length);
}

TextArea &shownArea()
{
    static TextArea *area = shownWidget<TextArea>(1000, 700);
    return *area;
}

void press(TextArea &area, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
    const QString &text = {})
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(&area, &event);
}

void paintNow(TextArea &area)
{
    area.viewport()->repaint();
}

enum class Shape { lines, oneLine };

// The big text once per run: making it is not what is measured. One line is minified code.
const QString &bigText(qsizetype length, Shape shape = Shape::lines)
{
    static QHash<std::pair<qsizetype, int>, QString> made;
    const std::pair key(length, int(shape));
    auto found = made.find(key);
    if (found == made.end()) {
        found = made.insert(key,
            shape == Shape::lines ? sourceText(length)
                                  : repeatedTo(QStringLiteral("f(a,b);var x=1;"), length));
    }
    return *found;
}

void openToFirstPaint(benchmark::State &state)
{
    const QString &text = bigText(state.range(0));
    TextArea &area = shownArea();
    qint64 paintNs = 0;
    for (auto _ : state) {
        area.buffer()->setFileText(text);
        QElapsedTimer paint;
        paint.start();
        paintNow(area);
        paintNs += paint.nsecsElapsed();
    }
    state.counters["paint_ms"] = benchmark::Counter(
        paintNs / 1e6 / double(state.iterations()));
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(openToFirstPaint)->Arg(2 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(openToFirstPaint)->Arg(64 << 20)->Unit(benchmark::kMillisecond)->Iterations(2);

TextArea &areaWith(qsizetype length, Shape shape = Shape::lines)
{
    TextArea &area = shownArea();
    const bool oneLine = area.buffer()->lineCount() == 1;
    if (area.buffer()->length() != length || oneLine != (shape == Shape::oneLine))
        area.buffer()->setFileText(bigText(length, shape));
    area.setFocus();
    return area;
}

// Each iteration: Home untimed, then End with its paint timed.
void homeThenTimedEnd(benchmark::State &state, TextArea &area, Qt::KeyboardModifiers modifiers)
{
    for (auto _ : state) {
        state.PauseTiming();
        press(area, Qt::Key_Home, modifiers);
        paintNow(area);
        state.ResumeTiming();
        press(area, Qt::Key_End, modifiers);
        paintNow(area);
    }
}

// As the editor opens a file: the text is read into storage on a worker, then the main thread
// adopts it and paints. What is timed is the main thread's part.
void longLineToFirstPaint(benchmark::State &state)
{
    const QString &line = bigText(state.range(0), Shape::oneLine);
    TextArea &area = shownArea();
    qint64 paintNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TextStorage storage = TextStorage::fromFileText(line);
        state.ResumeTiming();
        area.buffer()->adopt(std::move(storage));
        QElapsedTimer paint;
        paint.start();
        paintNow(area);
        paintNs += paint.nsecsElapsed();
    }
    state.counters["paint_ms"] = benchmark::Counter(paintNs / 1e6 / double(state.iterations()));
}
BENCHMARK(longLineToFirstPaint)->Arg(1 << 20)->Arg(20 << 20)->Unit(benchmark::kMillisecond)->Iterations(3);

// A letter typed in the middle of the line, with its repaint.
void keysMidLongLine(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0), Shape::oneLine);
    area.setCaretPosition(area.buffer()->length() / 2);
    area.ensureCaretVisible();
    paintNow(area);
    for (auto _ : state) {
        press(area, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        paintNow(area);
    }
}
BENCHMARK(keysMidLongLine)->Arg(20 << 20)->Unit(benchmark::kMicrosecond);

// End from the line's start, to the end painted.
void endOfLongLine(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0), Shape::oneLine);
    homeThenTimedEnd(state, area, Qt::NoModifier);
    if (area.caretPosition() != area.buffer()->length())
        state.SkipWithError("End did not reach the line's end");
}
BENCHMARK(endOfLongLine)->Arg(20 << 20)->Unit(benchmark::kMicrosecond);

// One key per iteration: a letter mostly, a Return now and then, a Backspace after it.
void keysMidText(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0));
    area.setCaretPosition(area.buffer()->length() / 2);
    area.ensureCaretVisible();
    paintNow(area);
    int step = 0;
    for (auto _ : state) {
        switch (step++ % 10) {
        case 7: press(area, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")); break;
        case 8: press(area, Qt::Key_Backspace); break;
        case 9: press(area, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")); break;
        default: press(area, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")); break;
        }
        paintNow(area);
    }
}
BENCHMARK(keysMidText)->Arg(2 << 20)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

// Every word of the lines in view coloured, as the paint scheduler leaves them.
void colourLinesInView(TextArea &area)
{
    QTextLayout::FormatRange word;
    word.format.setForeground(QColor(0x80, 0x20, 0xa0));
    for (qsizetype line = area.firstVisibleLine(); line <= area.lastVisibleLine(); ++line) {
        const QString text = area.buffer()->lineText(line);
        QList<QTextLayout::FormatRange> formats;
        for (qsizetype at = 0; at < text.size(); at += 6) {
            word.start = int(at);
            word.length = int(std::min<qsizetype>(4, text.size() - at));
            formats.append(word);
        }
        area.setLineFormats(line, formats);
    }
}

void keysMidTextWithColours(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0));
    area.setCaretPosition(area.buffer()->length() / 2 + 4096);
    area.ensureCaretVisible();
    colourLinesInView(area);
    paintNow(area);
    int step = 0;
    for (auto _ : state) {
        if (step++ % 8 == 7)
            press(area, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else
            press(area, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        paintNow(area);
    }
    area.clearLineFormats();
}
BENCHMARK(keysMidTextWithColours)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void ctrlEndFromTheTop(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0));
    homeThenTimedEnd(state, area, Qt::ControlModifier);
    if (area.lastVisibleLine() != area.buffer()->lineCount() - 1)
        state.SkipWithError("the end is not in view");
}
BENCHMARK(ctrlEndFromTheTop)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void pageDownMidText(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0));
    area.setCaretPosition(area.buffer()->length() / 3);
    area.ensureCaretVisible();
    paintNow(area);
    const qsizetype first = area.firstVisibleLine();
    for (auto _ : state) {
        press(area, Qt::Key_PageDown);
        paintNow(area);
    }
    if (area.firstVisibleLine() <= first)
        state.SkipWithError("Page Down did not scroll");
}
BENCHMARK(pageDownMidText)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void jumpToLine(benchmark::State &state)
{
    TextArea &area = areaWith(state.range(0));
    QRandomGenerator random(3);
    const qsizetype lines = area.buffer()->lineCount();
    for (auto _ : state) {
        const qsizetype line = random.bounded(lines);
        area.setCaretPosition(area.buffer()->lineStart(line));
        area.scrollToLine(line);
        paintNow(area);
    }
}
BENCHMARK(jumpToLine)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
