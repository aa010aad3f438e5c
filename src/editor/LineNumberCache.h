#pragma once

#include <QStringView>

// A remembered (offset, line) pair: the line of a nearby offset is then found by counting the
// line feeds between the two rather than from the top of the text.
struct LineNumberCache {
    qsizetype index = 0; // a UTF-16 offset into the text
    qsizetype line = 1; // the 1-based line that holds it: one more than the line feeds before it
};

// The 1-based line that holds `index` (clamped to the text), counted from the cache or from the
// top, whichever is the shorter walk. The cache then holds the answer, so a scan over ascending
// offsets reads the text once. Only line feeds end lines; a carriage return does not.
qsizetype lineNumberAt(qsizetype index, QStringView text, LineNumberCache &cache);
