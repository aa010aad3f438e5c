#pragma once

#include "TextStorage.h"

// The reading calls of a text, for the classes that hold one (the buffer, its snapshots):
// Holder gives its storage through storage().
template <typename Holder>
class TextReading
{
public:
    qsizetype length() const { return held().length(); }
    qsizetype lineCount() const { return held().lineCount(); }
    qsizetype lineStart(qsizetype line) const { return held().lineStart(line); }
    qsizetype lineLength(qsizetype line) const { return held().lineLength(line); }
    // The line holding position; length() is in the last line.
    qsizetype lineAt(qsizetype position) const { return held().lineAt(position); }
    QString lineText(qsizetype line) const { return held().lineText(line); }
    QString text(qsizetype from, qsizetype to) const { return held().text(from, to); }
    QString text() const { return held().text(); }
    QChar at(qsizetype position) const { return held().at(position); }
    qsizetype longestLineLength() const { return held().longestLineLength(); }

    // The file form: every line with its own break; lines made since take the dominant break.
    LineBreaks::Kind dominantBreak() const { return held().dominantBreak(); }
    LineBreaks::Kind breakAfter(qsizetype line) const { return held().breakAfter(line); }
    QString fileText() const { return held().fileText(); }
    void forEachFileChunk(const std::function<void(QStringView)> &take) const { held().forEachFileChunk(take); }

private:
    const TextStorage &held() const { return static_cast<const Holder *>(this)->storage(); }
};
