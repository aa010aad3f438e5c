#pragma once

#include "editor/LineBreaks.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One replacement, in positions before the change.
struct TextChange {
    qsizetype position = 0;
    qsizetype removed = 0; // positions taken out
    qsizetype added = 0; // positions put in
    qsizetype firstLine = 0; // line that held `position`
    qsizetype linesRemoved = 0; // breaks taken out
    qsizetype linesAdded = 0; // breaks put in

    bool operator==(const TextChange &) const = default;
};

// The text of a document in immutable chunks shared by pointer, so that a copy (a snapshot)
// costs one pointer per chunk and an edit rebuilds only the chunks it touches. Every line
// break is one position that reads as '\n'; the bytes each break had in the file are kept
// apart, in LineBreaks. Positions are UTF-16 offsets; lines count from 0.
//
// Filled anywhere (append/finish on a worker thread), then read or edited by one thread at a
// time; a const TextStorage that nobody edits any more is safe to read from any thread.
class TextStorage
{
public:
    TextStorage();
    static TextStorage fromFileText(QStringView fileText);

    // Pieces of the file's text in order, breaks as in the file. A CR that ends a piece waits
    // for the next one, which may start with the LF that completes it.
    void append(QStringView piece);
    // The same for a piece of Latin-1 bytes (ASCII among them), kept as they are.
    void appendLatin1(QByteArrayView piece);
    void finish();

    qsizetype length() const { return m_ends.empty() ? 0 : m_ends.back(); }
    qsizetype lineCount() const { return breakCount() + 1; }
    qsizetype lineStart(qsizetype line) const;
    qsizetype lineLength(qsizetype line) const;
    qsizetype lineAt(qsizetype position) const;
    QString lineText(qsizetype line) const;
    QString text(qsizetype from, qsizetype to) const;
    QString text() const { return text(0, length()); }
    QChar at(qsizetype position) const;
    qsizetype longestLineLength() const;

    LineBreaks::Kind dominantBreak() const { return m_breaks->dominant(); }
    LineBreaks::Kind breakAfter(qsizetype line) const { return m_breaks->breakAfter(line); }
    QString fileText() const;
    void forEachFileChunk(const std::function<void(QStringView)> &take) const;

    // Bytes held for the text and its indexes (shared chunks counted in full).
    qsizetype memoryUsage() const;

    // Replaces `removed` positions at `position` with `inserted`, whose breaks are '\n' only
    // (see normalized()). The new breaks take the dominant kind, or the ones `restored` gives;
    // `dropped` receives the kinds of the breaks the edit took out, for an undo.
    TextChange replace(qsizetype position, qsizetype removed, QStringView inserted,
                       const std::vector<LineBreaks::Exception> &restored = {},
                       std::vector<LineBreaks::Exception> *dropped = nullptr);

    // text with each of its breaks, whatever its kind, as one '\n'.
    static QString normalized(QStringView text);

private:
    struct Chunk;
    using ChunkPointer = std::shared_ptr<const Chunk>;

    qsizetype breakCount() const { return m_breakEnds.empty() ? 0 : m_breakEnds.back(); }
    size_t chunkAt(qsizetype position) const;
    size_t chunkOfBreak(qsizetype ordinal) const;
    qsizetype chunkStart(size_t chunk) const { return chunk == 0 ? 0 : m_ends[chunk - 1]; }
    qsizetype breaksBefore(size_t chunk) const { return chunk == 0 ? 0 : m_breakEnds[chunk - 1]; }
    void pushChunk(ChunkPointer chunk);
    void pushChunk(QStringView text);
    void pushChunk(QByteArrayView latin1);
    void fillFrom(size_t chunk);
    bool completePendingCr(bool lineFeedNext);
    QString &wideFilling();
    QByteArray &narrowFilling();
    template <typename View, typename Text>
    void putInto(Text &filling, View text);
    void put(QStringView text);
    void put(QByteArrayView latin1);
    void splice(size_t first, size_t last, QStringView text);

    std::vector<ChunkPointer> m_chunks;
    std::vector<qsizetype> m_ends; // position after each chunk
    std::vector<qsizetype> m_breakEnds; // breaks up to and including each chunk
    std::shared_ptr<LineBreaks> m_breaks;

    // While filling: the text not yet made into a chunk (in one of the two, to keep it in
    // order), the breaks met so far.
    QString m_filling;
    QByteArray m_narrowFilling;
    bool m_pendingCr = false;
    std::optional<LineBreaks::Builder> m_builder;
};
