#pragma once

#include <QtGlobal>

#include <functional>

// Vertical position arithmetic for a view that scrolls by lines, where a wrapped line takes
// several rows. A place is a row within a line; rowsOf answers a line's rows (at least 1;
// views answer 1 for lines they have not laid out, an estimate).
namespace RowScroll
{

struct Place {
    qsizetype line = 0;
    qsizetype row = 0;
    friend bool operator==(const Place &, const Place &) = default;
};

using RowsOf = std::function<qsizetype(qsizetype line)>;

// The place `delta` rows below (above when negative) `from`, kept within the text.
Place moved(Place from, qsizetype delta, qsizetype lineCount, const RowsOf &rowsOf);

// The lowest top that still fills a screen of visibleRows: the last row of the last line at
// the bottom. Asks rowsOf only about the lines of that last screen.
Place lastTop(qsizetype lineCount, qsizetype visibleRows, const RowsOf &rowsOf);

}
