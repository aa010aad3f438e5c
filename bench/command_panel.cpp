// A command printing 3,000,000 characters as fast as it can into the real output panel, on the
// offscreen platform. A 1 ms timer records the longest gap between event-loop turns (how long
// the window stops answering), both on the wall clock and in main-thread CPU time (which leaves
// out time the process waited for a core on a busy machine), and the document counts the appends.
// A steady stream shows the append rate, and a flood that the user stops shows how soon the
// output stops appearing.
#include "command/OutputPanelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <csignal>
#include <ctime>

namespace
{

// CPU time of the calling thread: the part of a gap spent working, not waiting for a core.
double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Measure {
    double longestGapMs = 0;
    double longestGapCpuMs = 0;
    int appends = 0;
    double seconds = 0;
};

Measure runIntoPanel(OutputPanelView &panel, const QString &line)
{
    Measure measure;
    auto *output = panel.findChild<QPlainTextEdit *>(QStringLiteral("output"));
    auto *field = panel.findChild<QLineEdit *>(QStringLiteral("commandField"));
    QEventLoop loop;
    // Done when the summary line is on screen (followed by an empty line).
    QTextDocument *document = output->document();
    const auto connection
        = QObject::connect(document, &QTextDocument::contentsChange, [&](int, int, int added) {
              if (added == 0)
                  return;
              ++measure.appends;
              const QString last = document->lastBlock().previous().previous().text();
              if (last.startsWith(QLatin1String("done in "))
                  || last.startsWith(QLatin1String("exit ")))
                  loop.quit();
          });
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    double cpuAtTick = threadCpuMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        measure.longestGapMs = std::max(measure.longestGapMs, sinceTick.nsecsElapsed() / 1e6);
        const double cpu = threadCpuMs();
        measure.longestGapCpuMs = std::max(measure.longestGapCpuMs, cpu - cpuAtTick);
        cpuAtTick = cpu;
        sinceTick.restart();
    });

    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    cpuAtTick = threadCpuMs();
    ticker.start();
    field->setText(line);
    panel.runCommand();
    loop.exec();
    ticker.stop();
    measure.seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(connection);
    measure.appends -= 1; // the command line is not output (the summary shares the last append)
    return measure;
}

// Runs the command line into a shown panel once per iteration and reports the worst figures.
void measureCommand(benchmark::State &state, const QString &line)
{
    OutputPanelView panel;
    panel.resize(900, 300);
    panel.show();
    QApplication::processEvents();
    double worstGap = 0;
    double worstCpuGap = 0;
    double worstRate = 0;
    double totalAppends = 0;
    for (auto _ : state) {
        panel.clearOutput();
        const Measure m = runIntoPanel(panel, line);
        worstGap = std::max(worstGap, m.longestGapMs);
        worstCpuGap = std::max(worstCpuGap, m.longestGapCpuMs);
        // A run shorter than a second counts as one second: its appends all fall within one.
        worstRate = std::max(worstRate, m.appends / std::max(m.seconds, 1.0));
        totalAppends += m.appends;
        state.SetIterationTime(m.seconds);
    }
    state.counters["longest_gap_ms"] = worstGap;
    state.counters["longest_gap_cpu_ms"] = worstCpuGap;
    state.counters["appends_per_s"] = worstRate;
    state.counters["appends_per_run"] = totalAppends / double(state.iterations());
}

// 200,000 lines of 15 characters: 3,000,000 characters as fast as seq writes them.
void PanelThreeMillionCharacters(benchmark::State &state)
{
    measureCommand(state, QStringLiteral("seq -f 'line %09g' 1 200000"));
    state.SetBytesProcessed(int64_t(state.iterations()) * 3'000'000);
}
BENCHMARK(PanelThreeMillionCharacters)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// About 10 lines per millisecond for about two seconds: the appends stay at 20 a second or fewer.
void PanelSteadyStream(benchmark::State &state)
{
    measureCommand(state,
        QStringLiteral("i=0; while [ $i -lt 200 ]; do seq 1 100; sleep 0.01; i=$((i+1)); done"));
}
BENCHMARK(PanelSteadyStream)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// `yes` floods a shown panel for a second, then the user stops it: the characters on screen at
// the stop (output shows while it streams), how long until the summary line shows, and how many
// characters still appear after the stop.
void PanelFloodThenStop(benchmark::State &state)
{
    OutputPanelView panel;
    panel.resize(900, 300);
    panel.show();
    QApplication::processEvents();
    auto *output = panel.findChild<QPlainTextEdit *>(QStringLiteral("output"));
    auto *field = panel.findChild<QLineEdit *>(QStringLiteral("commandField"));
    QTextDocument *document = output->document();
    double worstStopMs = 0;
    double worstAfterStop = 0;
    double fewestShown = 1e18;
    for (auto _ : state) {
        panel.clearOutput();
        QEventLoop loop;
        QElapsedTimer sinceStop;
        bool stopping = false;
        qint64 addedAfterStop = 0;
        const auto connection = QObject::connect(
            document, &QTextDocument::contentsChange, [&](int, int, int added) {
                if (!stopping)
                    return;
                addedAfterStop += added;
                if (document->lastBlock().previous().previous().text().startsWith(
                        QLatin1String("stopped after ")))
                    loop.quit();
            });
        QTimer::singleShot(1000, [&] {
            fewestShown = std::min(fewestShown, double(document->characterCount()));
            stopping = true;
            sinceStop.start();
            panel.stopCommand();
        });
        field->setText(QStringLiteral("yes"));
        panel.runCommand();
        loop.exec();
        const double stopMs = sinceStop.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        worstStopMs = std::max(worstStopMs, stopMs);
        worstAfterStop = std::max(worstAfterStop, double(addedAfterStop));
        state.SetIterationTime(stopMs / 1000);
    }
    state.counters["stop_to_summary_ms"] = worstStopMs;
    state.counters["chars_after_stop"] = worstAfterStop;
    state.counters["chars_shown_at_stop"] = fewestShown;
}
BENCHMARK(PanelFloodThenStop)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::signal(SIGPIPE, SIG_IGN);
    // A plain sh: a login shell's profile would add its own start-up time to every figure.
    qputenv("SHELL", "/bin/sh");
    QStandardPaths::setTestModeEnabled(
        true); // the history the runs add stays out of the real settings
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QuillmarBench"));
    QApplication::setApplicationName(QStringLiteral("QuillmarBench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
