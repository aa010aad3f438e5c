// Search in files: parsing grep's output, and real searches with /usr/bin/grep over a large
// tree (/usr/include copied three times into a temporary folder).
#include "navigation/SearchCommand.h"
#include "navigation/SearchParser.h"
#include "navigation/SearchRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <csignal>
#include <filesystem>

namespace
{

constexpr qsizetype pipeChunk = 64 * 1024;
const char *const largeTreeSource = "/usr/include";
constexpr int largeTreeCopies = 3;

QTemporaryDir *largeTree = nullptr;

// Output lines of the length and shape of a search in a source tree.
QByteArray grepOutput(int hits)
{
    QByteArray output;
    for (int i = 0; i < hits; ++i)
        output += "./src/module_" + QByteArray::number(i % 37) + "/file_"
            + QByteArray::number(i / 7) + ".cpp:" + QByteArray::number(100 + i)
            + ":        const auto value = computeSomething(needle, other, " + QByteArray::number(i)
            + "); // why it matters\n";
    return output;
}

void BM_ParseTwoThousandHits(benchmark::State &state)
{
    const QByteArray output = grepOutput(searchHitLimit);
    for (auto _ : state) {
        SearchParser parser;
        qsizetype hits = 0;
        for (qsizetype at = 0; at < output.size(); at += pipeChunk)
            hits += parser
                        .feed(QByteArrayView(output).sliced(
                            at, std::min(pipeChunk, output.size() - at)))
                        .size();
        if (hits != searchHitLimit)
            state.SkipWithError("wrong number of hits");
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * output.size());
}
BENCHMARK(BM_ParseTwoThousandHits)->Unit(benchmark::kMicrosecond);

const QString &largeTreeFolder()
{
    if (!largeTree) {
        largeTree = new QTemporaryDir;
        namespace fs = std::filesystem;
        for (int copy = 0; copy < largeTreeCopies; ++copy)
            fs::copy(largeTreeSource, largeTree->filePath(QString::number(copy)).toStdString(),
                fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
    static const QString path = largeTree->path();
    return path;
}

enum class Until { FirstHits, End };

// One search over the large tree, timed from its start to the first hits or to its end.
void measureSearch(benchmark::State &state, const SearchQuery &query, Until until)
{
    const QString &root = largeTreeFolder();
    int hitCount = 0;
    for (auto _ : state) {
        SearchRun run(SearchCommand::grepProgram(), SearchCommand::localArguments(query), root);
        QEventLoop loop;
        QElapsedTimer timer;
        bool done = false;
        auto stop = [&] {
            state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
            done = true;
            loop.quit();
        };
        run.onHits = [&](const QList<SearchHit> &) {
            if (until == Until::FirstHits && !done)
                stop();
        };
        run.onFinish = [&](SearchRun::Ending) {
            if (!done)
                stop();
        };
        QTimer::singleShot(60000, &loop, [&] {
            state.SkipWithError("timed out");
            loop.quit();
        });
        timer.start();
        run.start();
        loop.exec();
        hitCount = run.hitCount();
    }
    state.counters["hits"] = hitCount;
}

// A common word: hits come at once, and the cap ends the search early.
void BM_LargeTreeFirstHits(benchmark::State &state)
{
    measureSearch(state, { "struct", false, false }, Until::FirstHits);
}
BENCHMARK(BM_LargeTreeFirstHits)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LargeTreeCappedEnd(benchmark::State &state)
{
    measureSearch(state, { "struct", false, false }, Until::End);
}
BENCHMARK(BM_LargeTreeCappedEnd)->UseManualTime()->Unit(benchmark::kMillisecond);

// A word found nowhere: grep walks and reads the whole tree.
void BM_LargeTreeNoMatch(benchmark::State &state)
{
    measureSearch(state, { "qzxq_nowhere_qzxq", false, false }, Until::End);
}
BENCHMARK(BM_LargeTreeNoMatch)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}

int main(int argc, char **argv)
{
    ::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete largeTree;
    return 0;
}
