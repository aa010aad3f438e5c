// Building the local file index of a 50,000-file workspace, with a heavy folder and a .git folder
// beside it that the walk never enters.
#include "navigation/FileIndex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace
{

// Fifty files in each folder at the bottom of a tree ten folders wide and three deep.
void writeTree(const QString &root, int filesPerFolder)
{
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 10; ++c) {
                const QString folder
                    = QStringLiteral("%1/module%2/part%3/unit%4").arg(root).arg(a).arg(b).arg(c);
                QDir().mkpath(folder);
                for (int f = 0; f < filesPerFolder; ++f)
                    QFile(QStringLiteral("%1/source_file_%2.cpp").arg(folder).arg(f))
                        .open(QIODevice::WriteOnly);
            }
}

struct Tree {
    QTemporaryDir dir;

    Tree()
    {
        writeTree(dir.path(), 50);
        writeTree(dir.path() + QStringLiteral("/node_modules"), 5);
        writeTree(dir.path() + QStringLiteral("/.git"), 2);
    }
};

void BuildLocalIndex(benchmark::State &state)
{
    static const Tree tree;
    qsizetype indexed = 0;
    for (auto _ : state) {
        indexed = buildLocalIndex(tree.dir.path()).size();
        benchmark::DoNotOptimize(indexed);
    }
    state.counters["files"] = double(indexed);
}
BENCHMARK(BuildLocalIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

}

BENCHMARK_MAIN();
