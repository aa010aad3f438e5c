// Start-up with a restored session, loading files of growing size, the long-line scan and
// the idle memory of the editor, all through the real controller and widgets offscreen.
#include "BenchApp.h"
#include "BenchMain.h"
#include "BenchText.h"
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/TextFile.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

QTemporaryDir workFolder;
QTemporaryDir *const workDir = &workFolder;

QString makeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = workDir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

QByteArray linesOfCode(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += "    int value" + QByteArray::number(i) + " = compute(values) + " + QByteArray::number(i * 7) + ";\n";
    return out;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double peakMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

QStringList sessionOfTenFiles()
{
    QStringList paths;
    for (int i = 0; i < 10; ++i)
        paths << makeFile(QStringLiteral("session%1.cpp").arg(i), linesOfCode(2000));
    return paths;
}

void paintNow(AppDelegate &app)
{
    if (const DocumentPtr active = app.documents().activeDocument())
        active->textView->viewport()->repaint();
    QApplication::processEvents();
}

void BM_StartupWithTenFiles(benchmark::State &state)
{
    const QStringList paths = sessionOfTenFiles();
    for (auto _ : state) {
        state.PauseTiming();
        QSettings().clear();
        Defaults::set(Defaults::OpenFiles, paths);
        Defaults::set(Defaults::Workspace, workDir->path());
        state.ResumeTiming();
        auto app = std::make_unique<AppDelegate>();
        app->didFinishLaunching();
        paintNow(*app);
        state.PauseTiming();
        state.counters["resident_MB"] = residentMegabytes();
        app.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupWithTenFiles)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadAndPaint(benchmark::State &state)
{
    const qint64 size = state.range(0) * 1024 * 1024;
    const QString path = makeFile(QStringLiteral("big%1.cpp").arg(state.range(0)), cppText(size));
    for (auto _ : state) {
        state.PauseTiming();
        auto app = launchedEditor();
        state.ResumeTiming();
        app->documents().loadDocument(path, false, true, true);
        waitForLoads(*app);
        paintNow(*app);
        state.PauseTiming();
        state.counters["resident_MB"] = residentMegabytes();
        state.counters["peak_MB"] = peakMegabytes();
        app.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndPaint)->Arg(2)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LongLineScan(benchmark::State &state)
{
    const QString text = QString::fromLatin1(cppText(64 * 1024 * 1024));
    for (auto _ : state)
        benchmark::DoNotOptimize(TextFile::longestLineLength(text));
    state.SetBytesProcessed(state.iterations() * text.size() * qint64(sizeof(QChar)));
}
BENCHMARK(BM_LongLineScan)->Unit(benchmark::kMillisecond);

void BM_IdleMemoryWithTenFiles(benchmark::State &state)
{
    const QStringList paths = sessionOfTenFiles();
    QSettings().clear();
    Defaults::set(Defaults::OpenFiles, paths);
    auto app = std::make_unique<AppDelegate>();
    app->didFinishLaunching();
    paintNow(*app);
    for (auto _ : state)
        QApplication::processEvents();
    state.counters["resident_MB"] = residentMegabytes();
}
BENCHMARK(BM_IdleMemoryWithTenFiles)->Iterations(10);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
