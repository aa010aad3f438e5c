// A command's output in the panel: decoding in chunks gives what decoding at once gives, and
// no escape character is left of a sequence the decoder removes.
#include "FuzzInput.h"
#include "command/OutputDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    OutputDecoder whole;
    const QString expected = whole.decode(wholeOf(data, size)) + whole.finish();
    OutputDecoder chunked;
    QString text;
    for (QByteArrayView chunk : chunksOf(data, size)) {
        text += chunked.decode(chunk);
        FUZZ_CHECK(chunked.heldBytes().size() <= 3 && chunked.heldText().size() <= 256);
    }
    text += chunked.finish();
    FUZZ_CHECK(text == expected);
    FUZZ_CHECK(!text.contains(u'\r'));
    return 0;
}
