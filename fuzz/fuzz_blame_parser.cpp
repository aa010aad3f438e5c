// "git blame --incremental" as it streams in: any cut of the stream gives the same ranges.
#include "FuzzInput.h"
#include "git/IncrementalBlameParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IncrementalBlameParser whole;
    const QList<BlameRange> expected = whole.feed(wholeOf(data, size));
    IncrementalBlameParser chunked;
    QList<BlameRange> ranges;
    for (QByteArrayView chunk : chunksOf(data, size))
        ranges += chunked.feed(chunk);
    FUZZ_CHECK(ranges == expected);
    for (const BlameRange &range : ranges)
        FUZZ_CHECK(range.count >= 0);
    return 0;
}
