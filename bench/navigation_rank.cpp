// Go to file ranking over a workspace of 50,000 paths, one keystroke at a time for queries of 1 to
// 10 characters; the same list and queries through `fzf --filter` for comparison, when installed.
#include "navigation/IndexedFile.h"
#include "navigation/Ranking.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include <sys/resource.h>
#include <vector>

namespace
{

const char *const words[] = { "app", "core", "editor", "view", "controller", "model", "test",
    "util", "network", "render", "widget", "parser", "index", "search", "theme", "layout",
    "session", "remote", "buffer", "history", "git", "blame", "panel", "status", "command" };
const char *const extensions[] = { ".cpp", ".h", ".ts", ".py", ".md", ".json", ".swift" };

// A tree-shaped list: one to six folders deep, names made of two words and a number.
QStringList workspacePaths(int count)
{
    std::mt19937 random(7);
    const auto word = [&random] { return QString::fromLatin1(words[random() % std::size(words)]); };
    QStringList paths;
    paths.reserve(count);
    while (paths.size() < count) {
        QString path;
        for (int depth = 1 + int(random() % 6); depth > 0; --depth)
            path += word() + u'/';
        path += word() + u'_' + word() + QString::number(random() % 100)
            + QString::fromLatin1(extensions[random() % std::size(extensions)]);
        paths.append(path);
    }
    paths.sort();
    return paths;
}

struct Workspace {
    QStringList paths = workspacePaths(int(fileIndexLimit));
    QStringList lowerPaths;
    QStringList lowerNames;

    Workspace()
    {
        for (const QString &path : std::as_const(paths)) {
            const IndexedFile file = IndexedFile::make(path, path);
            lowerPaths.append(file.lowerPath);
            lowerNames.append(file.lowerName);
        }
    }
};

const Workspace &workspace()
{
    static const Workspace shared;
    return shared;
}

// Typed one letter at a time: a name first, then more of its path.
QString query(qsizetype length)
{
    return QStringLiteral("viewcontro").left(length);
}

void RankKeystroke(benchmark::State &state)
{
    const Workspace &files = workspace();
    const QString typed = query(state.range(0));
    qsizetype shown = 0;
    for (auto _ : state) {
        shown = rank(typed, files.lowerNames, files.lowerPaths).size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["shown"] = double(shown);
    qsizetype matching = 0;
    const QString q = normalizedQuery(typed);
    for (qsizetype i = 0; i < files.lowerPaths.size(); ++i)
        matching += score(q, files.lowerPaths[i]).has_value();
    state.counters["matching"] = double(matching);
}
// The machine is shared: the fastest of several runs says most about the code itself.
double fastest(const std::vector<double> &runs)
{
    return *std::min_element(runs.begin(), runs.end());
}

BENCHMARK(RankKeystroke)
    ->DenseRange(1, 10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", fastest)
    ->ReportAggregatesOnly();

double childCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void FzfFilter(benchmark::State &state)
{
    const QString fzf = QStandardPaths::findExecutable(QStringLiteral("fzf"));
    if (fzf.isEmpty()) {
        state.SkipWithError("fzf is not installed");
        return;
    }
    QTemporaryFile list;
    if (!list.open()) {
        state.SkipWithError("no temporary file");
        return;
    }
    list.write(workspace().paths.join(u'\n').toUtf8() + '\n');
    list.close();
    const QString typed = query(state.range(0));
    const double cpuBefore = childCpuSeconds();
    for (auto _ : state) {
        QProcess process;
        process.setStandardInputFile(list.fileName());
        process.start(fzf, { QStringLiteral("--filter=") + typed });
        process.waitForFinished(-1);
        benchmark::DoNotOptimize(process.readAllStandardOutput().size());
    }
    // fzf's own processor time, which the benchmark's CPU column (this process) leaves out.
    state.counters["fzf_cpu_ms"] = benchmark::Counter(
        (childCpuSeconds() - cpuBefore) * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(FzfFilter)
    ->DenseRange(1, 10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ComputeStatistics("min", fastest)
    ->ReportAggregatesOnly();

}

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
