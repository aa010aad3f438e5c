// What a user types for a connection: a destination that parses is well formed.
#include "FuzzInput.h"
#include "remote/Destination.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto parsed = parseDestination(text);
    if (!parsed)
        return 0;
    FUZZ_CHECK(!parsed->destination.isEmpty());
    FUZZ_CHECK(!parsed->port || (*parsed->port >= 1 && *parsed->port <= 65535));
    if (const auto &folder = parsed->folder) {
        FUZZ_CHECK(folder->startsWith(u'/') || folder->startsWith(u'~'));
        FUZZ_CHECK(*folder == QLatin1String("/") || !folder->endsWith(u'/'));
    }
    return 0;
}
