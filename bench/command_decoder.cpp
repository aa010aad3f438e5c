// Throughput of OutputDecoder on compiler- and test-runner-like output full of colour sequences,
// fed in the 64 KiB pieces a pipe read hands over.
#include "command/OutputDecoder.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

QByteArray colourfulOutput(qsizetype size)
{
    const QByteArray lines[] = {
        "\x1B[1m\x1B[32m[ RUN      ]\x1B[0m DecoderTest.SplitSequence\n",
        "\x1B[1msrc/app/main.cpp:42:7: \x1B[0;1;35mwarning: \x1B[0m\x1B[1munused variable "
        "'x'\x1B[0m\n",
        "\x1B[32m  \xE2\x9C\x93 passes with caf\xC3\xA9 \x1B[2m(3 ms)\x1B[0m\n",
        "\x1B[31mFAILED\x1B[39m \x1B[90mtests/output_panel.test.js\x1B[39m\r\n",
        "Downloading 50%\r\x1B[KDownloading 100%\n",
        "\x1B]0;build: step 4/9\x07plain text without any colour at all, just words\n",
    };
    QByteArray out;
    out.reserve(size + 200);
    for (int i = 0; out.size() < size; ++i)
        out += lines[i % std::size(lines)];
    return out;
}

void OutputDecoderColourful(benchmark::State &state)
{
    const QByteArray data = colourfulOutput(8 * 1024 * 1024);
    const qsizetype chunk = state.range(0);
    qsizetype produced = 0;
    for (auto _ : state) {
        OutputDecoder decoder;
        for (qsizetype at = 0; at < data.size(); at += chunk)
            produced
                += decoder
                       .decode(QByteArrayView(data).sliced(at, std::min(chunk, data.size() - at)))
                       .size();
        produced += decoder.finish().size();
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(OutputDecoderColourful)->Arg(64 * 1024)->Arg(4096)->Unit(benchmark::kMillisecond);

void OutputDecoderPlain(benchmark::State &state)
{
    QByteArray data;
    while (data.size() < 8 * 1024 * 1024)
        data += "a line of plain build output without any escape sequence in it\n";
    for (auto _ : state) {
        OutputDecoder decoder;
        qsizetype produced = 0;
        for (qsizetype at = 0; at < data.size(); at += 65536)
            produced += decoder
                            .decode(QByteArrayView(data).sliced(
                                at, std::min<qsizetype>(65536, data.size() - at)))
                            .size();
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}
BENCHMARK(OutputDecoderPlain)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
