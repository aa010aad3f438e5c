// The editor's own text buffer on large files: loading through the loader (time, and memory per
// file byte), a character typed or deleted in the middle, random line access, snapshots, and
// streaming the file form for a save.
#include "BenchText.h"
#include "editor/buffer/TextBuffer.h"
#include "editor/buffer/TextLoader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <map>
#include <string>

namespace
{

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// A C++-like file of exactly size bytes, written once per size and kind of break.
QString sourceFile(qsizetype size, bool crlf = false)
{
    static std::map<std::pair<qsizetype, bool>, QString> made;
    auto found = made.find({ size, crlf });
    if (found != made.end())
        return found->second;
    QByteArray block("#include <vector>\n"
                           "\n"
                           "namespace engine {\n"
                           "// Adds every value above the limit to the running total.\n"
                           "int accumulate(const std::vector<int> &values, int limit)\n"
                           "{\n"
                           "    int total = 0;\n"
                           "    for (int value : values) {\n"
                           "        if (value > limit)\n"
                           "            total += compute(value, limit); // note\n"
                           "    }\n"
                           "    return total;\n"
                           "}\n"
                           "}\n");
    if (crlf)
        block.replace("\n", "\r\n");
    const QString path = folder().filePath(QStringLiteral("source-%1-%2.cpp").arg(size).arg(crlf));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(repeatedTo(block, size));
    file.close();
    return made.emplace(std::pair(size, crlf), path).first->second;
}

TextStorage load(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    std::atomic_bool cancel = false;
    return TextLoader::load(file, cancel).storage;
}

// Kilobytes from a line of /proc/self/status.
qint64 statusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string wanted = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(wanted, 0) == 0)
            return std::stoll(line.substr(wanted.size()));
    return 0;
}

void loadFile(benchmark::State &state)
{
    const qsizetype size = state.range(0);
    const QString path = sourceFile(size, state.range(1) != 0);
    double peak = 0;
    double resident = 0;
    double held = 0;
    bool first = true;
    for (auto _ : state) {
        // Later runs reuse the memory the first one gave back to the allocator: measure once.
        ::malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
        const qint64 before = statusKb("VmRSS");
        TextStorage storage = load(path);
        if (first) {
            peak = double(statusKb("VmHWM") - before) * 1024;
            resident = double(statusKb("VmRSS") - before) * 1024;
            first = false;
        }
        held = double(storage.memoryUsage());
        benchmark::DoNotOptimize(storage.lineCount());
    }
    state.counters["peak_per_byte"] = peak / double(size);
    state.counters["resident_per_byte"] = resident / double(size);
    state.counters["held_per_byte"] = held / double(size);
    state.SetBytesProcessed(state.iterations() * size);
}
// Second argument: 1 for a file whose lines end in CR LF.
BENCHMARK(loadFile)->Args({ 16 << 20, 0 })->Args({ 64 << 20, 0 })->Args({ 64 << 20, 1 })->Unit(benchmark::kMillisecond)->Iterations(3);

TextBuffer &bufferOf(qsizetype size)
{
    static std::map<qsizetype, std::unique_ptr<TextBuffer>> made;
    auto &buffer = made[size];
    if (!buffer) {
        buffer = std::make_unique<TextBuffer>();
        buffer->adopt(load(sourceFile(size)));
    }
    return *buffer;
}

void typeMiddle(benchmark::State &state)
{
    TextBuffer &buffer = bufferOf(state.range(0));
    const qsizetype middle = buffer.lineStart(buffer.lineCount() / 2) + 8;
    for (auto _ : state)
        buffer.insert(middle, u"x");
}
BENCHMARK(typeMiddle)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void backspaceMiddle(benchmark::State &state)
{
    TextBuffer &buffer = bufferOf(state.range(0));
    const qsizetype middle = buffer.lineStart(buffer.lineCount() / 2) + 8;
    for (auto _ : state)
        buffer.remove(middle, 1);
}
BENCHMARK(backspaceMiddle)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

// Return then Backspace over it: the line index and the break kinds change both ways.
void returnAndJoinMiddle(benchmark::State &state)
{
    TextBuffer &buffer = bufferOf(state.range(0));
    const qsizetype middle = buffer.lineStart(buffer.lineCount() / 2) + 8;
    for (auto _ : state) {
        buffer.insert(middle, u"\n");
        buffer.remove(middle, 1);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(returnAndJoinMiddle)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void lineAccess(benchmark::State &state)
{
    const TextBuffer &buffer = bufferOf(state.range(0));
    QRandomGenerator random(1);
    for (auto _ : state) {
        const qsizetype line = random.bounded(buffer.lineCount());
        benchmark::DoNotOptimize(buffer.lineStart(line));
        benchmark::DoNotOptimize(buffer.lineText(line));
        benchmark::DoNotOptimize(buffer.lineAt(random.bounded(buffer.length())));
    }
}
BENCHMARK(lineAccess)->Arg(64 << 20)->Unit(benchmark::kNanosecond);

void snapshot(benchmark::State &state)
{
    const TextBuffer &buffer = bufferOf(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(buffer.snapshot());
}
BENCHMARK(snapshot)->Arg(64 << 20)->Unit(benchmark::kNanosecond);

// The first edit after a snapshot copies the chunk list the snapshot shares.
void typeAfterSnapshot(benchmark::State &state)
{
    TextBuffer &buffer = bufferOf(state.range(0));
    const qsizetype middle = buffer.lineStart(buffer.lineCount() / 2) + 8;
    for (auto _ : state) {
        const TextSnapshot held = buffer.snapshot();
        buffer.insert(middle, u"x");
    }
}
BENCHMARK(typeAfterSnapshot)->Arg(64 << 20)->Unit(benchmark::kMicrosecond);

void streamFileForm(benchmark::State &state)
{
    const TextBuffer &buffer = bufferOf(state.range(0));
    for (auto _ : state) {
        qsizetype total = 0;
        buffer.forEachFileChunk([&total](QStringView piece) { total += piece.size(); });
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * buffer.length());
}
BENCHMARK(streamFileForm)->Arg(64 << 20)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
