#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>

// Turns a child's output bytes into clean text, chunk by chunk: UTF-8 decoded across chunk
// boundaries (invalid bytes become U+FFFD), terminal escape sequences removed, carriage
// returns turned into line feeds. Between chunks it holds at most the 3 bytes of an unfinished
// UTF-8 character, one unfinished escape sequence of under 256 characters, or a lone carriage
// return that may be the first half of a CR LF pair.
class OutputDecoder
{
public:
    // Cleans the next chunk of bytes; the answer may be empty when everything was held back.
    QString decode(QByteArrayView data);
    // The end of the stream: decodes what is held (an unfinished escape sequence is dropped).
    QString finish();

    // What is held between chunks (for tests).
    const QByteArray &heldBytes() const { return bytes; }
    const QString &heldText() const { return carry; }

    // The escape sequences removed, as one regular expression compiled on first use: control
    // sequences with parameters, operating-system commands ended by BEL or ESC \, and
    // two-character escapes. removeEscapes removes exactly its matches.
    static const QRegularExpression &escapePattern();
    // Removes every match of escapePattern in one pass over the text.
    static void removeEscapes(QString &text);
    // Turns every CR LF and every remaining CR into LF.
    static void toLineFeeds(QString &text);
    // How many bytes at the end of the data begin a UTF-8 character that is not complete yet.
    static int incompleteTail(QByteArrayView data);
    // Whether the text (which begins with ESC) is an escape sequence that may still continue.
    static bool isUnfinishedEscape(QStringView tail);

private:
    QString clean(QString text, bool final);

    QByteArray bytes;
    QString carry;
};
