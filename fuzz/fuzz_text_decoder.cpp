// A file's bytes as the editor reads them: what decodes is written back byte for byte.
#include "FuzzInput.h"
#include "app/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto decoded = TextFile::decode(bytes);
    if (!decoded)
        return 0;
    FUZZ_CHECK(TextFile::canEncode(decoded->text, decoded->encoding));
    FUZZ_CHECK(TextFile::encode(decoded->text, decoded->encoding) == bytes);
    return 0;
}
