// The highlighter over any text in every language: spans ordered, apart, never empty and
// inside the text.
#include "FuzzInput.h"
#include "editor/Language.h"
#include "editor/Tokenizer.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const auto &all = languages();
    const Language &language = all[data[0] % all.size()];
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size) - 1);
    qsizetype end = 0;
    for (const Span &span : tokenize(text, language)) {
        FUZZ_CHECK(span.range.length > 0);
        FUZZ_CHECK(span.range.location >= end);
        end = span.end();
        FUZZ_CHECK(end <= text.size());
    }
    return 0;
}
