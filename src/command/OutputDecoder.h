#pragma once

#include "common/Utf8Chunks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>

// Turns a child's output bytes into clean text, chunk by chunk: UTF-8 decoded across chunk
// boundaries (invalid bytes become U+FFFD), terminal escape sequences removed, carriage
// returns turned into line feeds. Between chunks it holds at most the 3 bytes of an unfinished
// UTF-8 character, and a carriage return that may be the first half of a CR LF pair and/or one
// unfinished escape sequence of under 256 characters.
class OutputDecoder
{
public:
    // Cleans the next chunk of bytes; the answer may be empty when everything was held back.
    QString decode(QByteArrayView data);
    // The end of the stream: decodes what is held (an unfinished escape sequence is dropped).
    QString finish();

    // What is held between chunks (for tests).
    const QByteArray &heldBytes() const { return utf8.held(); }
    const QString &heldText() const { return carry; }

    // The escape sequences removed, as one regular expression compiled on first use: control
    // sequences with parameters, operating-system commands ended by BEL or ESC \, and
    // two-character escapes, none longer than 255 characters. removeEscapes removes exactly
    // its matches.
    static const QRegularExpression &escapePattern();
    // Removes every match of escapePattern in one pass over the text.
    static void removeEscapes(QString &text);
    // Turns every CR LF and every remaining CR into LF.
    static void toLineFeeds(QString &text);
    // Whether the text (which begins with ESC) is an escape sequence that may still continue.
    static bool isUnfinishedEscape(QStringView tail);
    // Where the escape sequence that runs unfinished to the end of the text begins, or -1.
    static qsizetype unfinishedEscapeStart(QStringView text);

private:
    QString clean(QString text, bool final);

    Utf8Chunks utf8;
    QString carry;
};
