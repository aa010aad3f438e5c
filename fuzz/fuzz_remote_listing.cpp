// A folder listing from a machine: every entry is a child of the listed folder.
#include "FuzzInput.h"
#include "remote/RemoteListing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray output(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString parent : { QStringLiteral("/"), QStringLiteral("~/src") }) {
        for (const DirectoryEntry &entry : parseListing(output, parent)) {
            const QString prefix = parent == QLatin1String("/") ? parent : parent + u'/';
            FUZZ_CHECK(entry.path.startsWith(prefix) && entry.path.size() > prefix.size());
        }
    }
    return 0;
}
