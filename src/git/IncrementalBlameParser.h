#pragma once

#include "BlameInfo.h"
#include "BlameRange.h"
#include "common/Utf8Chunks.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Reads the output of "git blame --incremental" piece by piece as it arrives. Each entry is a
// header line (sha, original line, final line, line count), the commit's description the first
// time git mentions that commit, and a "filename" line that ends it.
class IncrementalBlameParser
{
public:
    // Takes the next piece of output and answers the ranges of every entry it completed, in
    // order. An unfinished last line, or a character split between pieces, waits for the next
    // piece; bytes that are not UTF-8 become replacement characters.
    QList<BlameRange> feed(QByteArrayView bytes);
    // Forgets everything, for a new run.
    void reset() { *this = IncrementalBlameParser(); }

private:
    struct Header {
        QString sha;
        qsizetype finalLine = 0;
        qsizetype count = 0;
    };

    QList<BlameRange> feedText(QStringView text);
    void readLine(QStringView line, QList<BlameRange> &ranges);
    void readHeader(QStringView line);
    BlameRange finishEntry();

    Utf8Chunks decoder;
    QString buffer;
    QHash<QString, BlameInfo> known;
    std::optional<Header> header;
    QString author;
    QString email;
    double time = 0;
    QString summary;
};
