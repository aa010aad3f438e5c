#include "TextStorage.h"

#include <QLatin1String>

#include <algorithm>
#include <array>

namespace
{

using Kind = LineBreaks::Kind;

// Chunks are made this long and split when an edit grows one past twice that; a break's
// offset inside a chunk then always fits 16 bits.
constexpr qsizetype chunkTarget = 16384;
constexpr qsizetype chunkMax = 2 * chunkTarget;

// Characters that may start a break: every other one is ordinary text.
bool mayBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c >= 0x2029;
}

// Qt's own count goes a character at a time; its search does not.
template <typename View>
qsizetype lineFeeds(View text)
{
    qsizetype count = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1))
        ++count;
    return count;
}

}

// A piece of the text that never changes once made. Text whose characters all fit one byte is
// kept one byte a character.
struct TextStorage::Chunk {
    QByteArray narrow;
    QString wide;
    bool isWide = false;
    qsizetype size = 0;
    std::vector<quint16> breaks; // offsets of the '\n's
    qsizetype head = 0; // characters before the first break (all when none)
    qsizetype tail = 0; // characters after the last break
    qsizetype inner = 0; // the longest line between two breaks

    explicit Chunk(QStringView text)
        : isWide(!QtPrivate::isLatin1(text))
        , size(text.size())
    {
        if (isWide)
            wide = text.toString();
        else
            narrow = text.toLatin1();
        findBreaks(text);
    }

    explicit Chunk(QByteArrayView latin1)
        : narrow(latin1.toByteArray())
        , size(latin1.size())
    {
        findBreaks(latin1);
    }

    template <typename View>
    void findBreaks(View text)
    {
        qsizetype previous = -1;
        for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', at + 1)) {
            if (previous >= 0)
                inner = std::max(inner, at - previous - 1);
            breaks.push_back(quint16(at));
            previous = at;
        }
        breaks.shrink_to_fit();
        head = breaks.empty() ? size : breaks.front();
        tail = breaks.empty() ? size : size - breaks.back() - 1;
    }

    QChar at(qsizetype i) const { return isWide ? wide[i] : QChar(uchar(narrow[i])); }

    void appendTo(QString &out, qsizetype from, qsizetype to) const
    {
        if (isWide)
            out.append(QStringView(wide).sliced(from, to - from));
        else
            out.append(QLatin1String(narrow.constData() + from, to - from));
    }

    qsizetype memoryUsage() const
    {
        return qsizetype(sizeof(Chunk)) + (isWide ? 2 * wide.capacity() : narrow.capacity())
            + qsizetype(breaks.capacity() * sizeof(quint16));
    }
};

TextStorage::TextStorage()
    : m_breaks(std::make_shared<LineBreaks>())
{
}

TextStorage TextStorage::fromFileText(QStringView fileText)
{
    TextStorage storage;
    storage.append(fileText);
    storage.finish();
    return storage;
}

bool TextStorage::completePendingCr(bool lineFeedNext)
{
    m_pendingCr = false;
    m_builder->add(lineFeedNext ? Kind::crlf : Kind::cr);
    return lineFeedNext;
}

QString &TextStorage::wideFilling()
{
    if (!m_narrowFilling.isEmpty()) {
        pushChunk(m_narrowFilling);
        m_narrowFilling.clear();
    }
    return m_filling;
}

QByteArray &TextStorage::narrowFilling()
{
    if (!m_filling.isEmpty()) {
        pushChunk(m_filling);
        m_filling.clear();
    }
    return m_narrowFilling;
}

void TextStorage::append(QStringView piece)
{
    if (piece.isEmpty())
        return;
    if (QtPrivate::isLatin1(piece)) {
        appendLatin1(piece.toLatin1());
        return;
    }
    if (!m_builder)
        m_builder.emplace();
    wideFilling();
    qsizetype i = 0;
    if (m_pendingCr) {
        put(u"\n");
        i = completePendingCr(piece[0] == u'\n') ? 1 : 0;
    }
    qsizetype run = i; // start of the text not yet copied
    const qsizetype n = piece.size();
    for (; i < n; ++i) {
        const char16_t c = piece[i].unicode();
        if (!mayBreak(c))
            continue;
        if (c == u'\n') {
            m_builder->add(Kind::lf); // already as kept: stays in the run
            continue;
        }
        if (c == u'\r' && i + 1 == n) {
            put(piece.sliced(run, i - run));
            m_pendingCr = true;
            run = n;
            break;
        }
        const std::optional<Kind> kind = LineBreaks::kindAt(piece, i);
        if (!kind)
            continue;
        m_builder->add(*kind);
        put(piece.sliced(run, i - run));
        put(u"\n");
        i += LineBreaks::sequence(*kind).size() - 1;
        run = i + 1;
    }
    put(piece.sliced(run));
}

void TextStorage::appendLatin1(QByteArrayView piece)
{
    if (piece.isEmpty())
        return;
    if (!m_builder)
        m_builder.emplace();
    narrowFilling();
    qsizetype run = 0; // start of the text not yet copied
    if (m_pendingCr) {
        put("\n");
        run = completePendingCr(piece[0] == '\n') ? 1 : 0;
    }
    // Line feeds are kept as they are; only a CR (alone or before a LF) needs a look.
    const qsizetype n = piece.size();
    while (run < n) {
        const qsizetype cr = piece.indexOf('\r', run);
        const QByteArrayView plain = piece.sliced(run, (cr < 0 ? n : cr) - run);
        m_builder->add(Kind::lf, lineFeeds(plain));
        put(plain);
        if (cr < 0)
            break;
        if (cr + 1 == n) {
            m_pendingCr = true;
            break;
        }
        const std::array<char16_t, 2> pair { u'\r', char16_t(uchar(piece[cr + 1])) };
        const Kind kind = *LineBreaks::kindAt(QStringView(pair.data(), 2), 0);
        m_builder->add(kind);
        put("\n");
        run = cr + LineBreaks::sequence(kind).size();
    }
}

template <typename View, typename Text>
void TextStorage::putInto(Text &filling, View text)
{
    // Chunk-sized pieces go straight from the text; the rest gathers in the filling.
    while (!text.isEmpty()) {
        if (filling.isEmpty() && text.size() >= chunkTarget) {
            pushChunk(text.first(chunkTarget));
            text = text.sliced(chunkTarget);
            continue;
        }
        const qsizetype taken = std::min(chunkTarget - filling.size(), text.size());
        filling.append(text.first(taken));
        text = text.sliced(taken);
        if (filling.size() == chunkTarget) {
            pushChunk(View(filling));
            filling.resize(0); // keeps its room for the next chunk
        }
    }
}

void TextStorage::put(QStringView text)
{
    putInto(m_filling, text);
}

void TextStorage::put(QByteArrayView latin1)
{
    putInto(m_narrowFilling, latin1);
}

void TextStorage::finish()
{
    if (!m_builder && !m_pendingCr && m_filling.isEmpty() && m_narrowFilling.isEmpty())
        return; // finished already, or never filled
    if (m_pendingCr) {
        // The break goes after the text before it, in whichever filling holds that.
        if (m_narrowFilling.isEmpty())
            put(u"\n");
        else
            put("\n");
        completePendingCr(false);
    }
    if (!m_filling.isEmpty())
        pushChunk(m_filling);
    if (!m_narrowFilling.isEmpty())
        pushChunk(m_narrowFilling);
    m_filling = QString();
    m_narrowFilling = QByteArray();
    m_breaks = std::make_shared<LineBreaks>(m_builder ? m_builder->finish() : LineBreaks());
    m_builder.reset();
}

void TextStorage::pushChunk(QByteArrayView latin1)
{
    pushChunk(std::make_shared<const Chunk>(latin1));
}

void TextStorage::pushChunk(QStringView text)
{
    pushChunk(std::make_shared<const Chunk>(text));
}

void TextStorage::pushChunk(ChunkPointer chunk)
{
    m_ends.push_back(length() + chunk->size);
    m_breakEnds.push_back(breakCount() + qsizetype(chunk->breaks.size()));
    m_chunks.push_back(std::move(chunk));
}

size_t TextStorage::chunkAt(qsizetype position) const
{
    const auto found = std::upper_bound(m_ends.begin(), m_ends.end(), position);
    return std::min(size_t(found - m_ends.begin()), m_chunks.size() - 1);
}

size_t TextStorage::chunkOfBreak(qsizetype ordinal) const
{
    return size_t(std::upper_bound(m_breakEnds.begin(), m_breakEnds.end(), ordinal) - m_breakEnds.begin());
}

qsizetype TextStorage::lineStart(qsizetype line) const
{
    line = std::min(line, breakCount());
    if (line <= 0)
        return 0;
    const size_t chunk = chunkOfBreak(line - 1);
    return chunkStart(chunk) + m_chunks[chunk]->breaks[size_t(line - 1 - breaksBefore(chunk))] + 1;
}

qsizetype TextStorage::lineLength(qsizetype line) const
{
    const qsizetype start = lineStart(line);
    const qsizetype end = line < breakCount() ? lineStart(line + 1) - 1 : length();
    return end - start;
}

qsizetype TextStorage::lineAt(qsizetype position) const
{
    if (position >= length())
        return breakCount();
    if (position <= 0)
        return 0;
    const size_t chunk = chunkAt(position);
    const auto &breaks = m_chunks[chunk]->breaks;
    const auto local = quint16(position - chunkStart(chunk));
    return breaksBefore(chunk) + (std::lower_bound(breaks.begin(), breaks.end(), local) - breaks.begin());
}

QString TextStorage::lineText(qsizetype line) const
{
    const qsizetype start = lineStart(line);
    return text(start, start + lineLength(line));
}

QString TextStorage::text(qsizetype from, qsizetype to) const
{
    from = std::clamp<qsizetype>(from, 0, length());
    to = std::clamp<qsizetype>(to, from, length());
    QString out;
    if (from == to)
        return out;
    out.reserve(to - from);
    for (size_t chunk = chunkAt(from); chunk < m_chunks.size() && chunkStart(chunk) < to; ++chunk) {
        const qsizetype start = chunkStart(chunk);
        m_chunks[chunk]->appendTo(out, std::max(from, start) - start, std::min(to, m_ends[chunk]) - start);
    }
    return out;
}

QChar TextStorage::at(qsizetype position) const
{
    if (position < 0 || position >= length())
        return {};
    const size_t chunk = chunkAt(position);
    return m_chunks[chunk]->at(position - chunkStart(chunk));
}

qsizetype TextStorage::longestLineLength() const
{
    qsizetype longest = 0;
    qsizetype running = 0; // the line that runs on from earlier chunks
    for (const ChunkPointer &chunk : m_chunks) {
        if (chunk->breaks.empty()) {
            running += chunk->size;
            continue;
        }
        longest = std::max({ longest, running + chunk->head, chunk->inner });
        running = chunk->tail;
    }
    return std::max(longest, running);
}

void TextStorage::forEachFileChunk(const std::function<void(QStringView)> &take) const
{
    QString out;
    for (size_t chunk = 0; chunk < m_chunks.size(); ++chunk) {
        const Chunk &piece = *m_chunks[chunk];
        out.clear();
        qsizetype line = breaksBefore(chunk);
        qsizetype from = 0;
        for (const quint16 at : piece.breaks) {
            piece.appendTo(out, from, at);
            out.append(LineBreaks::sequence(m_breaks->breakAfter(line++)));
            from = at + 1;
        }
        piece.appendTo(out, from, piece.size);
        take(out);
    }
}

QString TextStorage::fileText() const
{
    QString out;
    out.reserve(length() + (dominantBreak() == Kind::crlf ? breakCount() : 0));
    forEachFileChunk([&out](QStringView piece) { out.append(piece); });
    return out;
}

qsizetype TextStorage::memoryUsage() const
{
    qsizetype total = qsizetype(sizeof(TextStorage) + m_chunks.capacity() * sizeof(ChunkPointer)
                                + (m_ends.capacity() + m_breakEnds.capacity()) * sizeof(qsizetype));
    for (const ChunkPointer &chunk : m_chunks)
        total += chunk->memoryUsage();
    return total;
}

QString TextStorage::normalized(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!mayBreak(text[i].unicode()) || text[i] == u'\n')
            continue;
        const std::optional<Kind> kind = LineBreaks::kindAt(text, i);
        if (!kind)
            continue;
        out.append(text.sliced(run, i - run));
        out.append(u'\n');
        i += LineBreaks::sequence(*kind).size() - 1;
        run = i + 1;
    }
    out.append(text.sliced(run));
    return out;
}

void TextStorage::splice(size_t first, size_t last, QStringView text)
{
    std::vector<ChunkPointer> made;
    const qsizetype pieces = (text.size() + chunkTarget - 1) / chunkTarget;
    if (text.size() <= chunkMax) {
        if (!text.isEmpty())
            made.push_back(std::make_shared<const Chunk>(text));
    } else {
        const qsizetype each = (text.size() + pieces - 1) / pieces;
        for (qsizetype at = 0; at < text.size(); at += each)
            made.push_back(std::make_shared<const Chunk>(text.sliced(at, std::min(each, text.size() - at))));
    }
    const auto begin = m_chunks.begin() + qsizetype(first);
    m_chunks.insert(m_chunks.erase(begin, begin + qsizetype(last - first)), made.begin(), made.end());
    fillFrom(first);
}

void TextStorage::fillFrom(size_t chunk)
{
    m_ends.resize(m_chunks.size());
    m_breakEnds.resize(m_chunks.size());
    for (size_t i = chunk; i < m_chunks.size(); ++i) {
        m_ends[i] = chunkStart(i) + m_chunks[i]->size;
        m_breakEnds[i] = breaksBefore(i) + qsizetype(m_chunks[i]->breaks.size());
    }
}

TextChange TextStorage::replace(qsizetype position, qsizetype removed, QStringView inserted,
                                const std::vector<LineBreaks::Exception> &restored,
                                std::vector<LineBreaks::Exception> *dropped)
{
    TextChange change;
    change.position = std::clamp<qsizetype>(position, 0, length());
    change.removed = std::clamp<qsizetype>(removed, 0, length() - change.position);
    change.added = inserted.size();
    change.firstLine = lineAt(change.position);
    change.linesRemoved = lineAt(change.position + change.removed) - change.firstLine;
    change.linesAdded = lineFeeds(inserted);
    const bool atLineStart = change.position == 0 || at(change.position - 1) == u'\n';
    const qsizetype end = change.position + change.removed;

    // The chunks the change touches (none when the text is empty), rebuilt whole; a small
    // result takes its next chunk in, so that deletions leave no crumbs behind.
    size_t first = 0;
    size_t last = 0; // one past
    QString text;
    if (!m_chunks.empty()) {
        first = chunkAt(change.position);
        last = (change.removed > 0 ? chunkAt(end - 1) : first) + 1;
        const qsizetype firstStart = chunkStart(first);
        m_chunks[first]->appendTo(text, 0, change.position - firstStart);
        text.append(inserted);
        const qsizetype lastStart = chunkStart(last - 1);
        m_chunks[last - 1]->appendTo(text, end - lastStart, m_chunks[last - 1]->size);
        if (text.size() < chunkTarget / 4 && last < m_chunks.size()
            && text.size() + m_chunks[last]->size <= chunkTarget) {
            m_chunks[last]->appendTo(text, 0, m_chunks[last]->size);
            ++last;
        }
    } else {
        text = inserted.toString();
    }
    splice(first, last, text);

    if (change.linesRemoved != 0 || change.linesAdded != 0) {
        if (m_breaks.use_count() > 1)
            m_breaks = std::make_shared<LineBreaks>(*m_breaks);
        auto gone = m_breaks->edit(change.firstLine, atLineStart, change.linesRemoved, change.linesAdded, restored);
        if (dropped)
            *dropped = std::move(gone);
    }
    return change;
}
