#pragma once

#include <QString>
#include <QStringView>

#include <chrono>
#include <optional>

// The texts of the status bar, composed from plain values so that the view only shows them.

// The encodings the status bar can name. A text read with or without a byte-order mark has the
// same name, so the mark is not part of this.
enum class StatusEncoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Latin1, MacRoman, Ascii };

class TextBuffer;

// Where the caret is, both 1-based: the line is one more than the line breaks before the caret,
// the column one more than the UTF-16 code units between its line's start and the caret.
struct CaretPlace {
    qsizetype line = 1;
    qsizetype column = 1;

    bool operator==(const CaretPlace &) const = default;
};

// Texts at least this long (in UTF-16 code units) get their status refreshed after a pause.
inline constexpr qsizetype largeStatusText = 500001;
inline constexpr std::chrono::milliseconds largeStatusDelay { 100 };

// The place of a position in the text; the position is clamped to the text.
CaretPlace caretPlace(const TextBuffer &text, qsizetype offset);

// "Ln 12, Col 5", followed by " (30 selected)" when something is selected.
QString caretText(CaretPlace place, qsizetype selectedLength);

// "UTF-8", "UTF-16", "Latin-1", "Mac Roman", "ASCII", or "Other".
QString encodingName(StatusEncoding encoding);

// "Spaces: 4"; the width is shown as given (the settings store already clamps it).
QString indentText(int indentWidth);

// "Old version" when an older version is shown, the indent text, and the encoding name when there
// is a current document, joined by three spaces.
QString statusRightText(int indentWidth, std::optional<StatusEncoding> encoding, bool oldVersion);

// How long to wait before refreshing the status for a text of this length: at once for
// ordinary texts, so that large ones are refreshed at most once per pause in typing.
std::chrono::milliseconds statusRefreshDelay(qsizetype textLength);
