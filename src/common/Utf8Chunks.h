#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// UTF-8 that arrives in pieces, decoded as if it had come at once: a character cut at a piece's
// end waits for the next piece; invalid bytes become U+FFFD. Each piece is decoded on its own
// because Qt's stateful decoder loses the byte after an invalid one cut at a piece's end.
class Utf8Chunks
{
public:
    QString decode(QByteArrayView data);
    // The end of the stream: what is held decodes as it is.
    QString finish();

    // The start of an unfinished character, at most 3 bytes.
    const QByteArray &held() const { return bytes; }

    // How many bytes at the end of the data begin a UTF-8 character that is not complete yet.
    static int incompleteTail(QByteArrayView data);

private:
    QByteArray bytes;
};
