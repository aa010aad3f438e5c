// The syntax scan over the largest text that is ever scanned (2,000,000 UTF-16 code units).
// Throughput is reported as bytes per second where one "byte" is one UTF-16 code unit.
#include "BenchText.h"
#include "editor/Language.h"
#include "editor/Tokenizer.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace
{

constexpr qsizetype scanLimit = 2'000'000;

const char16_t *const cppSample = uR"(#include <algorithm>
#include "model/Document.h"

namespace editor {

// Keeps the visible lines in step with the document; see LineCache::refresh.
template <typename T>
class LineCache final : public Observer {
public:
    explicit LineCache(const Document &document) : document_(document), lines_() {}

    /* Rebuilds the cache when the document's revision moved on.
       Cheap when nothing changed. */
    bool refresh(std::size_t revision, double scale = 1.5e-3)
    {
        if (revision == revision_ || lines_.empty())
            return false;
        for (auto &line : lines_) {
            line.width = static_cast<int>(line.text.size() * scale) + 0x10;
            line.label = QStringLiteral("line \"%1\"").arg(line.number);
        }
        std::sort(lines_.begin(), lines_.end(), [](const Line &a, const Line &b) {
            return a.number < b.number; // stable enough
        });
        revision_ = revision;
        return true;
    }

private:
    const Document &document_;
    std::vector<Line> lines_;
    std::size_t revision_ = 0;
    char separator_ = '\n';
};

}
)";

const char16_t *const pythonSample = uR"(#!/usr/bin/env python3
"""Summarise the access log of a web server.

Reads one file, counts requests per path and prints the busiest ones.
"""
import argparse
from collections import Counter


@dataclass(frozen=True)
class Request:
    path: str
    status: int
    size: float = 0.0


def parse(line: str) -> Request | None:
    # 127.0.0.1 - - [10/Oct/2000:13:55:36] "GET /a.gif HTTP/1.0" 200 2326
    parts = line.split('"')
    if len(parts) < 3:
        return None
    method, path, _ = parts[1].split(" ", 2)
    status, size = parts[2].split()
    return Request(path=path, status=int(status), size=float(size) / 1_024)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("log", help='path to the log file')
    args = parser.parse_args(argv)
    counts = Counter()
    with open(args.log, encoding="utf-8") as handle:
        for line in handle:
            request = parse(line)
            if request is not None and request.status != 404:
                counts[request.path] += 1
    for path, count in counts.most_common(10):
        print(f"{count:>8} {path}")


if __name__ == "__main__":
    main()
)";

void scan(benchmark::State &state, const char16_t *sample, const char *languageName)
{
    const QString text = repeatedTo(QString::fromUtf16(sample), scanLimit);
    const Language &language = *languageNamed(QString::fromLatin1(languageName));
    std::size_t spanCount = 0;
    for (auto _ : state) {
        const std::vector<Span> spans = tokenize(text, language);
        spanCount = spans.size();
        benchmark::DoNotOptimize(spans.data());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["spans"] = double(spanCount);
}

void BM_TokenizeCpp(benchmark::State &state)
{
    scan(state, cppSample, "C/C++");
}
void BM_TokenizePython(benchmark::State &state)
{
    scan(state, pythonSample, "Python");
}

}

BENCHMARK(BM_TokenizeCpp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TokenizePython)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
