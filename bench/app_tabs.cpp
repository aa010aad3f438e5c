// Switching between two large documents and saving a large one, through the real controller.
#include "BenchApp.h"
#include "BenchMain.h"
#include "app/AppDelegate.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir workFolder;
QTemporaryDir *const workDir = &workFolder;

QString writeLines(const QString &name, int count, int width)
{
    const QString path = workDir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return path;
    for (int i = 0; i < count; ++i) {
        QByteArray line = "    value" + QByteArray::number(i) + " = compute(" + QByteArray::number(i % 97) + ");";
        line = line.leftJustified(width, ' ') + '\n';
        file.write(line);
    }
    return path;
}

void paintShown(AppDelegate &app)
{
    app.documents().activeDocument()->textView->viewport()->repaint();
}

void BM_SwitchBetweenTwoLargeDocuments(benchmark::State &state)
{
    auto app = launchedEditor();
    app->documents().loadDocument(writeLines("first.cpp", 100000, 40), false, true, true);
    app->documents().loadDocument(writeLines("second.cpp", 100000, 40), false, true, true);
    waitForLoads(*app);
    QApplication::processEvents();
    int next = 0;
    for (auto _ : state) {
        app->tabs().activateDocument(next, true);
        paintShown(*app);
        next = 1 - next;
    }
}
BENCHMARK(BM_SwitchBetweenTwoLargeDocuments)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SaveTenMegabytes(benchmark::State &state)
{
    auto app = launchedEditor();
    const QString path = writeLines("large.txt", 10 * 1024 * 1024 / 64, 63);
    app->documents().loadDocument(path, false, true, true);
    waitForLoads(*app);
    const DocumentPtr document = app->documents().activeDocument();
    for (auto _ : state) {
        state.PauseTiming();
        document->textView->insertText(QStringLiteral("x"));
        state.ResumeTiming();
        app->documents().saveFile(document, false);
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_SaveTenMegabytes)->Unit(benchmark::kMillisecond)->Iterations(10);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
