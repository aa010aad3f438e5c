// grep's output as it streams in: any cut of the stream gives the same hits.
#include "FuzzInput.h"
#include "navigation/SearchParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SearchParser whole;
    const QList<SearchHit> expected = whole.feed(wholeOf(data, size));
    SearchParser chunked;
    QList<SearchHit> hits;
    for (QByteArrayView chunk : chunksOf(data, size))
        hits += chunked.feed(chunk);
    FUZZ_CHECK(hits == expected);
    FUZZ_CHECK(chunked.pending() == whole.pending());
    for (const SearchHit &hit : hits)
        FUZZ_CHECK(hit.line >= 0);
    return 0;
}
