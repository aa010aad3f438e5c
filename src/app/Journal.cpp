#include "Journal.h"

#include "editor/buffer/TextLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <tuple>
#include <utility>

namespace {

// 1 kept the text with line feeds only, every line taking the header's lineEnding back; 2 keeps
// the base and the added texts as the file holds them.
constexpr int formatVersion = 2;

// A text with a gap at the last edit, so that typing replays in time proportional to the
// typing rather than to the text. Every line break is one '\n' here; the breaks' own kinds
// are kept apart and follow each edit.
class GapText {
public:
    explicit GapText(QStringView fileText)
        : breaks(LineBreaks::scan(fileText))
    {
        const QString text = TextStorage::normalized(fileText);
        buffer.resize(size_t(text.size()) + 4096);
        std::memcpy(buffer.data(), text.utf16(), size_t(text.size()) * sizeof(char16_t));
        gapStart = size_t(text.size());
        gapEnd = buffer.size();
        linesBeforeGap = breaksIn(0, gapStart);
    }

    qsizetype length() const { return qsizetype(buffer.size() - (gapEnd - gapStart)); }

    // position and removed lie within the text; added is as the file holds it.
    void replace(qsizetype position, qsizetype removed, QStringView added)
    {
        moveGap(size_t(position));
        const QString inserted = TextStorage::normalized(added);
        const qsizetype removedBreaks = breaksIn(gapEnd, gapEnd + size_t(removed));
        const qsizetype addedBreaks = inserted.count(u'\n');
        const bool atLineStart = gapStart == 0 || buffer[gapStart - 1] == u'\n';
        breaks.edit(linesBeforeGap, atLineStart, removedBreaks, addedBreaks,
                    newBreaks(added, std::min(removedBreaks, addedBreaks)));
        gapEnd += size_t(removed);
        makeRoom(size_t(inserted.size()));
        std::memcpy(buffer.data() + gapStart, inserted.utf16(), size_t(inserted.size()) * sizeof(char16_t));
        gapStart += size_t(inserted.size());
        linesBeforeGap += addedBreaks;
    }

    QString fileText() const
    {
        QString out;
        out.reserve(length());
        out.append(reinterpret_cast<const QChar *>(buffer.data()), qsizetype(gapStart));
        out.append(reinterpret_cast<const QChar *>(buffer.data() + gapEnd), qsizetype(buffer.size() - gapEnd));
        return breaks.join(out, u'\n');
    }

private:
    // The kinds of the breaks an edit put in beyond the first `kept`, which keep the kinds of
    // the breaks they stand in for, counted as LineBreaks::edit counts them.
    static std::vector<LineBreaks::Exception> newBreaks(QStringView added, qsizetype kept)
    {
        std::vector<LineBreaks::Exception> kinds;
        qsizetype ordinal = 0;
        for (qsizetype i = 0; i < added.size(); ++i) {
            const std::optional<LineBreaks::Kind> kind = LineBreaks::kindAt(added, i);
            if (!kind)
                continue;
            if (ordinal >= kept)
                kinds.push_back({ ordinal - kept, *kind });
            ++ordinal;
            i += LineBreaks::sequence(*kind).size() - 1;
        }
        return kinds;
    }

    qsizetype breaksIn(size_t from, size_t to) const
    {
        return qsizetype(std::count(buffer.begin() + qsizetype(from), buffer.begin() + qsizetype(to), u'\n'));
    }

    void moveGap(size_t position)
    {
        if (position < gapStart) {
            const size_t count = gapStart - position;
            linesBeforeGap -= breaksIn(position, gapStart);
            std::memmove(buffer.data() + gapEnd - count, buffer.data() + position, count * sizeof(char16_t));
            gapStart -= count;
            gapEnd -= count;
        } else if (position > gapStart) {
            const size_t count = position - gapStart;
            linesBeforeGap += breaksIn(gapEnd, gapEnd + count);
            std::memmove(buffer.data() + gapStart, buffer.data() + gapEnd, count * sizeof(char16_t));
            gapStart += count;
            gapEnd += count;
        }
    }

    void makeRoom(size_t needed)
    {
        if (gapEnd - gapStart >= needed)
            return;
        const size_t tail = buffer.size() - gapEnd;
        std::vector<char16_t> grown(buffer.size() + needed + buffer.size() / 4 + 4096);
        std::memcpy(grown.data(), buffer.data(), gapStart * sizeof(char16_t));
        std::memcpy(grown.data() + grown.size() - tail, buffer.data() + gapEnd, tail * sizeof(char16_t));
        gapEnd = grown.size() - tail;
        buffer = std::move(grown);
    }

    std::vector<char16_t> buffer;
    size_t gapStart = 0;
    size_t gapEnd = 0;
    qsizetype linesBeforeGap = 0;
    LineBreaks breaks;
};

const std::array<std::pair<TextEncoding::Kind, const char *>, 6> encodingNames { {
    { TextEncoding::Kind::Utf8, "utf8" },
    { TextEncoding::Kind::Utf16LE, "utf16le" },
    { TextEncoding::Kind::Utf16BE, "utf16be" },
    { TextEncoding::Kind::Utf32LE, "utf32le" },
    { TextEncoding::Kind::Utf32BE, "utf32be" },
    { TextEncoding::Kind::Latin1, "latin1" },
} };

const std::array<std::pair<LineBreaks::Kind, const char *>, 3> lineEndingNames { {
    { LineBreaks::Kind::lf, "lf" },
    { LineBreaks::Kind::crlf, "crlf" },
    { LineBreaks::Kind::cr, "cr" },
} };

template <typename Value, size_t N>
QString nameOf(const std::array<std::pair<Value, const char *>, N> &names, Value value)
{
    for (const auto &[candidate, name] : names)
        if (candidate == value)
            return QString::fromLatin1(name);
    return QString::fromLatin1(names.front().second);
}

template <typename Value, size_t N>
Value valueOf(const std::array<std::pair<Value, const char *>, N> &names, const QString &name)
{
    for (const auto &[candidate, known] : names)
        if (name == QLatin1String(known))
            return candidate;
    return names.front().first;
}

QByteArray headerBytes(const JournalState &state, qint64 generation, std::optional<qsizetype> baseInFile)
{
    QJsonObject header {
        { "version", formatVersion },
        { "generation", QString::number(generation) },
        { "path", state.path },
        { "encoding", nameOf(encodingNames, state.encoding.kind) },
        { "byteOrderMark", state.encoding.byteOrderMark },
        { "lineEnding", nameOf(lineEndingNames, state.lineEnding) },
        { "selection", QJsonArray { double(state.selection.location), double(state.selection.length) } },
        { "scroll", QJsonArray { state.scroll.x(), state.scroll.y() } },
    };
    if (state.diskDate)
        header["diskDate"] = QString::number(state.diskDate->toMSecsSinceEpoch());
    if (baseInFile)
        header["baseLength"] = QString::number(*baseInFile);
    if (state.remote) {
        header["remote"] = QJsonObject {
            { "hostID", state.remote->hostID },
            { "path", state.remote->path },
            { "modified", state.remote->modified ? QString::number(*state.remote->modified) : QString() },
        };
    }
    return QJsonDocument(header).toJson(QJsonDocument::Compact);
}

std::optional<std::tuple<JournalState, qint64, std::optional<qsizetype>, int>> parseHeader(const QByteArray &bytes)
{
    const QJsonObject header = QJsonDocument::fromJson(bytes).object();
    const int version = header.value("version").toInt();
    if (version < 1 || version > formatVersion || header.value("path").toString().isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 generation = header.value("generation").toString().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    JournalState state;
    state.path = header.value("path").toString();
    state.encoding = { valueOf(encodingNames, header.value("encoding").toString()),
                       header.value("byteOrderMark").toBool() };
    state.lineEnding = valueOf(lineEndingNames, header.value("lineEnding").toString());
    const QJsonArray selection = header.value("selection").toArray();
    state.selection = { qsizetype(selection.at(0).toDouble()), qsizetype(selection.at(1).toDouble()) };
    const QJsonArray scroll = header.value("scroll").toArray();
    state.scroll = { scroll.at(0).toInt(), scroll.at(1).toInt() };
    if (const qint64 msecs = header.value("diskDate").toString().toLongLong(&ok); ok)
        state.diskDate = QDateTime::fromMSecsSinceEpoch(msecs);
    if (header.contains("remote")) {
        const QJsonObject remote = header.value("remote").toObject();
        state.remote = RemoteFile { remote.value("hostID").toString(), remote.value("path").toString(), std::nullopt };
        if (const qint64 modified = remote.value("modified").toString().toLongLong(&ok); ok)
            state.remote->modified = modified;
    }
    std::optional<qsizetype> baseInFile;
    if (const qsizetype length = header.value("baseLength").toString().toLongLong(&ok); ok)
        baseInFile = length;
    return std::make_tuple(state, generation, baseInFile, version);
}

// A record is "position removed addedBytes lengthAfter\n" followed by the added text in UTF-8
// and a line feed, so that a record torn by a crash is recognised and left out.
QByteArray recordBytes(const JournalEdit &edit)
{
    const QByteArray added = edit.added.toUtf8();
    return QByteArray::number(edit.position) + ' ' + QByteArray::number(edit.removed) + ' '
        + QByteArray::number(added.size()) + ' ' + QByteArray::number(edit.lengthAfter) + '\n' + added + '\n';
}

// The complete records of a log and how many of its bytes they fill.
std::pair<std::vector<JournalEdit>, qint64> parseLog(const QByteArray &log)
{
    std::vector<JournalEdit> edits;
    qsizetype at = 0;
    while (at < log.size()) {
        const qsizetype end = log.indexOf('\n', at);
        if (end < 0)
            break;
        const QList<QByteArray> fields = log.mid(at, end - at).split(' ');
        if (fields.size() != 4)
            break;
        bool ok[4] = {};
        const qint64 values[4] = { fields[0].toLongLong(&ok[0]), fields[1].toLongLong(&ok[1]),
                                   fields[2].toLongLong(&ok[2]), fields[3].toLongLong(&ok[3]) };
        if (!(ok[0] && ok[1] && ok[2] && ok[3]) || values[2] < 0)
            break;
        const qsizetype textEnd = end + 1 + values[2];
        if (textEnd >= log.size() || log.at(textEnd) != '\n')
            break;
        edits.push_back({ values[0], values[1], QString::fromUtf8(log.constData() + end + 1, values[2]), values[3] });
        at = textEnd + 1;
    }
    return { std::move(edits), at };
}

QByteArray readAll(const QString &path, bool *ok = nullptr)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? file.readAll() : QByteArray();
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    // QSaveFile writes a temporary file, syncs it to disk and renames it over the old one.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Whether the file still has the modification date the editor read it at.
bool unchanged(const JournalState &state)
{
    return state.diskDate && QFileInfo(state.path).lastModified() == *state.diskDate;
}

// The file's text, provided the file is unchanged since the editor read it as `length`
// positions (a CR LF is one).
std::optional<QString> fileBase(const JournalState &state, qsizetype length)
{
    bool ok = unchanged(state);
    const QByteArray bytes = ok ? readAll(state.path, &ok) : QByteArray();
    std::optional<DecodedText> decoded = ok && unchanged(state) ? TextFile::decode(bytes) : std::nullopt;
    if (!decoded)
        return std::nullopt;
    if (decoded->text.size() - decoded->text.count(u"\r\n") != length)
        return std::nullopt;
    return std::move(decoded->text);
}

// How much of a copy is written before the disk is told to start on it.
constexpr qint64 writeBackBytes = 4 * 1024 * 1024;

// Copies the file's text, as UTF-8, to path, provided the file is unchanged as for fileBase. The
// text passes through in small pieces: a worker that read and freed a whole long file at once
// would hold up the main thread while the kernel took the memory back.
bool copyFileText(const JournalState &state, qsizetype length, const QString &path)
{
    QFile file(state.path);
    if (!unchanged(state) || !file.open(QIODevice::ReadOnly))
        return false;
    const std::atomic_bool never = false;
    const TextLoader::Result loaded = TextLoader::load(file, never);
    if (loaded.outcome != TextLoader::Outcome::loaded || loaded.storage.length() != length || !unchanged(state))
        return false;
    QSaveFile out(path);
    bool ok = out.open(QIODevice::WriteOnly);
    QStringEncoder toUtf8(QStringEncoder::Utf8); // keeps a surrogate pair split between pieces
    qint64 written = 0;
    qint64 sent = 0;
    loaded.storage.forEachFileChunk([&](QStringView piece) {
        if (!ok)
            return;
        const QByteArray bytes = toUtf8(piece);
        ok = out.write(bytes) == bytes.size();
        written += bytes.size();
        // Sent to the disk a few megabytes at a time: the final sync then finds little left,
        // and the disk's answers come in small batches rather than one long one.
        if (ok && written - sent >= writeBackBytes && out.flush()) {
            ::sync_file_range(out.handle(), sent, written - sent, SYNC_FILE_RANGE_WRITE);
            sent = written;
        }
    });
    return ok && out.commit();
}

}

QString replayEdits(const QString &base, const std::vector<JournalEdit> &edits, bool *consistent)
{
    if (consistent)
        *consistent = true;
    if (edits.empty())
        return base;
    GapText text(base);
    for (const JournalEdit &edit : edits) {
        // An edit that would not leave the length it recorded ends what can be trusted.
        const qsizetype position = std::clamp<qsizetype>(edit.position, 0, text.length());
        const qsizetype removed = std::clamp<qsizetype>(edit.removed, 0, text.length() - position);
        const qsizetype added = edit.added.size() - edit.added.count(u"\r\n");
        if (text.length() - removed + added != edit.lengthAfter) {
            if (consistent)
                *consistent = false;
            break;
        }
        text.replace(position, removed, edit.added);
    }
    return text.fileText();
}

QString Journal::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/org.quillmar.Quillmar/recovery");
}

Journal::Journal(QString folder)
    : folderPath(std::move(folder))
{
    QDir().mkpath(folderPath);
    QFile::setPermissions(folderPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    worker = std::thread([this] { run(); });
    copier = std::thread([this] { runCopies(); });
}

Journal::~Journal()
{
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    // A copy not yet made is not missed: until then the entry reads its base from the file.
    copyWake.notify_all();
    copier.join();
    wake.notify_all();
    worker.join();
}

void Journal::runCopies()
{
    std::unique_lock lock(mutex);
    for (;;) {
        copyWake.wait(lock, [this] { return stopping || !copies.empty(); });
        if (stopping)
            return;
        std::function<void()> work = std::move(copies.front());
        copies.pop_front();
        lock.unlock();
        work();
        lock.lock();
    }
}

void Journal::postCopy(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex);
        copies.push_back(std::move(work));
    }
    copyWake.notify_one();
}

QString Journal::newKey()
{
    return QString::number(QDateTime::currentMSecsSinceEpoch(), 36) + QLatin1Char('-')
        + QString::number(QRandomGenerator::global()->generate64(), 36);
}

QString Journal::lockPath(const QString &key) const
{
    return folderPath + QLatin1Char('/') + key + QStringLiteral(".lock");
}

QString Journal::headerPath(const QString &key) const
{
    return folderPath + QLatin1Char('/') + key + QStringLiteral(".json");
}

QString Journal::filePath(const QString &key, qint64 generation, const char *suffix) const
{
    return folderPath + QLatin1Char('/') + key + QLatin1Char('.') + QString::number(generation)
        + QLatin1Char('.') + QLatin1String(suffix);
}

void Journal::post(std::function<void()> work)
{
    {
        std::lock_guard lock(mutex);
        queue.push_back(std::move(work));
    }
    wake.notify_one();
}

void Journal::run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stopping || !queue.empty(); });
        if (queue.empty()) {
            if (stopping)
                return;
            continue;
        }
        std::function<void()> work = std::move(queue.front());
        queue.pop_front();
        busy = true;
        lock.unlock();
        work();
        lock.lock();
        busy = false;
        if (queue.empty())
            idle.notify_all();
    }
}

void Journal::wait()
{
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return queue.empty() && !busy; });
}

void Journal::writeText(const QString &key, const JournalState &state, TextSnapshot text)
{
    post([this, key, state, text = std::move(text)] {
        if (startGeneration(key, text.fileText()))
            writeHeader(key, state, entries[key].generation);
    });
}

void Journal::writeEdits(const QString &key, const JournalState &state, std::vector<JournalEdit> edits)
{
    post([this, key, state, edits = std::move(edits)] {
        if (!entries.contains(key) || !appendEdits(key, edits))
            return;
        writeHeader(key, state, entries[key].generation);
        compactIfLong(key, state);
    });
}

void Journal::writeFromFile(const QString &key, const JournalState &state, qsizetype baseLength,
                            std::vector<JournalEdit> edits)
{
    post([this, key, state, baseLength, edits = std::move(edits)] {
        const qint64 generation = entries.value(key).generation + 1;
        if (unchanged(state) && writeAtomically(filePath(key, generation, "log"), QByteArray())) {
            entries[key] = { generation, 0, state, baseLength };
            if (appendEdits(key, edits) && writeHeader(key, state, generation)) {
                postCopy([this, key, generation, state, baseLength] { copyBase(key, generation, state, baseLength); });
                return;
            }
        }
        entries.remove(key);
        if (onBaseMissing)
            onBaseMissing(key);
    });
}

void Journal::copyBase(const QString &key, qint64 generation, const JournalState &state, qsizetype baseLength)
{
    const QString path = filePath(key, generation, "text");
    const bool copied = copyFileText(state, baseLength, path);
    post([this, key, generation, copied, path] {
        const auto found = entries.find(key);
        if (found == entries.end() || found->generation != generation) {
            QFile::remove(path); // a newer base came meanwhile
            return;
        }
        if (!copied) {
            entries.erase(found);
            if (onBaseMissing)
                onBaseMissing(key);
            return;
        }
        found->baseInFile.reset();
        writeHeader(key, found->state, generation);
    });
}

void Journal::adopt(const QString &key)
{
    post([this, key] {
        const auto header = readHeader(key);
        if (!header)
            return;
        const QString logPath = filePath(key, header->generation, "log");
        const qint64 valid = parseLog(readAll(logPath)).second;
        QFile log(logPath);
        if (log.exists() && log.size() != valid)
            log.resize(valid); // a record torn by the crash goes; the next one follows the last whole one
        entries[key] = { header->generation, valid, header->state, header->baseInFile };
        // An entry of an earlier version gets a new base of today's form instead.
        if (const auto length = header->baseInFile; length && header->version == formatVersion) {
            const qint64 generation = header->generation;
            postCopy([this, key, generation, state = header->state, length] { copyBase(key, generation, state, *length); });
        }
    });
}

void Journal::remove(const QString &key, std::function<void()> after)
{
    post([this, key, after = std::move(after)] {
        entries.remove(key);
        QFile::remove(headerPath(key));
        removeFiles(key, std::nullopt);
        if (after)
            after();
    });
}

bool Journal::startGeneration(const QString &key, const QString &text)
{
    const qint64 generation = entries.value(key).generation + 1;
    // The base and its empty log exist before the header names them; the old pair goes after.
    if (!writeAtomically(filePath(key, generation, "text"), text.toUtf8())
        || !writeAtomically(filePath(key, generation, "log"), QByteArray()))
        return false;
    entries[key] = { generation, 0, {}, std::nullopt };
    return true;
}

bool Journal::appendEdits(const QString &key, const std::vector<JournalEdit> &edits)
{
    if (edits.empty())
        return true;
    Entry &entry = entries[key];
    QByteArray bytes;
    for (const JournalEdit &edit : edits)
        bytes += recordBytes(edit);
    QFile log(filePath(key, entry.generation, "log"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append) || log.write(bytes) != bytes.size() || !log.flush()
        || ::fdatasync(log.handle()) != 0)
        return false;
    entry.logBytes += bytes.size();
    return true;
}

void Journal::compactIfLong(const QString &key, const JournalState &state)
{
    const Entry entry = entries.value(key);
    if (entry.logBytes < compactBytes || entry.baseInFile)
        return;
    const QString base = QString::fromUtf8(readAll(filePath(key, entry.generation, "text")));
    const auto edits = parseLog(readAll(filePath(key, entry.generation, "log"))).first;
    if (startGeneration(key, replayEdits(base, edits)))
        writeHeader(key, state, entries[key].generation);
}

bool Journal::writeHeader(const QString &key, const JournalState &state, qint64 generation)
{
    Entry &entry = entries[key];
    entry.state = state;
    if (!writeAtomically(headerPath(key), headerBytes(state, generation, entry.baseInFile)))
        return false;
    removeFiles(key, generation);
    return true;
}

void Journal::removeFiles(const QString &key, std::optional<qint64> keepGeneration)
{
    const QStringList names = QDir(folderPath).entryList({ key + QStringLiteral(".*.text"), key + QStringLiteral(".*.log") },
                                                         QDir::Files);
    for (const QString &name : names) {
        const QString generation = name.mid(key.size() + 1).section(QLatin1Char('.'), 0, 0);
        if (!keepGeneration || generation != QString::number(*keepGeneration))
            QFile::remove(folderPath + QLatin1Char('/') + name);
    }
}

std::optional<Journal::Header> Journal::readHeader(const QString &key) const
{
    const auto header = parseHeader(readAll(headerPath(key)));
    if (!header)
        return std::nullopt;
    return Header { std::get<0>(*header), std::get<1>(*header), std::get<2>(*header), std::get<3>(*header) };
}

QStringList Journal::keys() const
{
    QStringList keys;
    for (const QString &name : QDir(folderPath).entryList({ QStringLiteral("*.json") }, QDir::Files, QDir::Time))
        keys << name.chopped(5);
    return keys;
}

std::optional<JournalRecord> Journal::read(const QString &key) const
{
    const auto header = readHeader(key);
    if (!header)
        return std::nullopt;
    std::optional<QString> base;
    if (header->baseInFile) {
        base = fileBase(header->state, *header->baseInFile);
    } else {
        bool ok = false;
        const QByteArray bytes = readAll(filePath(key, header->generation, "text"), &ok);
        if (ok)
            base = QString::fromUtf8(bytes);
    }
    if (!base)
        return std::nullopt;
    auto edits = parseLog(readAll(filePath(key, header->generation, "log"))).first;
    const bool older = header->version < formatVersion;
    if (older) {
        // Line feeds only: every line took the file's most common break back.
        const QString usual = LineBreaks::sequence(header->state.lineEnding).toString();
        if (!header->baseInFile)
            base->replace(u'\n', usual);
        for (JournalEdit &edit : edits)
            edit.added.replace(u'\n', usual);
    }
    bool complete = true;
    QString text = replayEdits(*base, edits, &complete);
    return JournalRecord { key, header->state, std::move(text), QFileInfo(headerPath(key)).lastModified(), complete,
                           older };
}
