#pragma once

#include <QStringView>

// Counts over a whole text, shared by everything that reports a text's size.

// The number of line feeds ("\n") in the text; a text has this many lines plus one.
qsizetype countLineFeeds(QStringView text);
