#include "DocumentBlame.h"

#include "GitCommands.h"
#include "GitRun.h"

#include "common/MainThread.h"
#include "common/TextCounts.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/SSHFailure.h"

#include <QFileInfo>
#include <QThreadPool>

namespace
{

constexpr int notifyDelayMs = 50;

// The last path component and the folder holding it, of a remote path.
std::pair<QString, QString> splitRemotePath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return { path, QStringLiteral(".") };
    return { path.mid(slash + 1), slash == 0 ? QStringLiteral("/") : path.left(slash) };
}

}

DocumentBlame::DocumentBlame(const QString &filePath)
    : filePath(filePath)
{
    notifyTimer.setSingleShot(true);
    notifyTimer.setInterval(notifyDelayMs);
    notifyTimer.callOnTimeout([this] {
        if (onChange)
            onChange();
    });
}

DocumentBlame::~DocumentBlame() = default;

void DocumentBlame::start(const QString &text, bool isDirty)
{
    std::optional<Contents> contents;
    if (isDirty)
        contents = Contents { text.size(), [text] { return text; } };
    start(countLineFeeds(text) + 1, std::move(contents));
}

void DocumentBlame::start(qsizetype lineCount, std::optional<Contents> contents)
{
    if (computing || failed || (current && !stale))
        return;
    if (contents && contents->length > longestDirtyText)
        return;
    computing = true;
    stale = false;
    parser.reset();
    BlameTable fresh = BlameTable::withLines(lineCount);
    servingWhileBuilding = !current;
    if (servingWhileBuilding)
        current = std::move(fresh);
    else
        building = std::move(fresh);

    const quint64 run = ++generation;
    if (!contents) {
        startStream(run, false, std::nullopt);
        return;
    }
    // The text is read and encoded on a worker; a run stopped meanwhile never starts.
    std::weak_ptr<int> token = alive;
    QThreadPool::globalInstance()->start([this, token, run, read = std::move(contents->read)] {
        auto input = std::make_shared<QByteArray>(read().toUtf8());
        MainThread::post([this, token, run, input] {
            if (token.lock() && run == generation)
                startStream(run, true, std::move(*input));
        });
    });
}

void DocumentBlame::startStream(quint64 run, bool withContents, std::optional<QByteArray> input)
{
    running = makeStream(withContents, std::move(input));
    running->start(
        [this, run](const QByteArray &chunk) {
            if (run == generation)
                receive(chunk);
        },
        [this, run](int status) {
            if (run == generation)
                finish(status);
        });
}

std::unique_ptr<GitStream> DocumentBlame::makeStream(
    bool withContents, std::optional<QByteArray> input)
{
    marked.reset();
    const auto remote = remoteTarget ? remoteTarget() : std::nullopt;
    if (remote && remote->client) {
        const auto [name, directory] = splitRemotePath(remote->path);
        const QString line
            = withEndMarker(remoteGitCommand(GitCommands::blame(name, withContents), directory));
        marked.emplace();
        return GitStream::configured(remote->client->process(line), std::move(input));
    }
    const QFileInfo file(filePath);
    return GitStream::local(
        GitCommands::blame(file.fileName(), withContents), file.absolutePath(), std::move(input));
}

void DocumentBlame::receive(const QByteArray &chunk)
{
    BlameTable *target = building ? &*building : current ? &*current : nullptr;
    for (const BlameRange &range : parser.feed(marked ? marked->take(chunk) : chunk))
        if (target)
            target->apply(range);
    notifySoon();
}

void DocumentBlame::finish(int status)
{
    const auto failure = machineFailure(status, running ? running->errors() : QByteArray());
    running.reset();
    computing = false;
    if (status == 0 && !failure) {
        if (building)
            current = std::move(building);
    } else {
        // A half-filled table is never kept.
        if (servingWhileBuilding)
            current.reset();
        failed = true;
    }
    building.reset();
    notifySoon();
    if (failure && onMachineFailure)
        onMachineFailure(*failure);
}

std::optional<QString> DocumentBlame::machineFailure(int status, const QByteArray &errors) const
{
    if (!marked)
        return std::nullopt;
    const SSHResult result { status, {}, QString::fromUtf8(errors) };
    if (const auto failure = classifyFailure(result))
        return failure->text();
    if (status != 0)
        return std::nullopt;
    if (!marked->ended() || (!marked->hadOutput() && !result.stderr.trimmed().isEmpty()))
        return unconfirmedReason(result);
    return std::nullopt;
}

void DocumentBlame::edit(qsizetype firstLine, qsizetype linesAdded, qsizetype lineCount, qsizetype length)
{
    if (!current)
        return;
    if (computing) {
        stop();
        stale = true;
    }
    if (length > longestDirtyText) {
        current.reset();
        stale = true;
        return;
    }
    if (!current->absorbEdit(firstLine + 1, linesAdded, lineCount)) {
        current.reset();
        stale = true;
    }
    notifySoon();
}

BlameLookup DocumentBlame::lookup(qsizetype line) const
{
    return current ? current->lookup(line) : BlameLookup();
}

void DocumentBlame::stop()
{
    ++generation;
    running.reset(); // cancels: nothing of this run is delivered any more
    computing = false;
    building.reset();
}

void DocumentBlame::reset()
{
    stop();
    current.reset();
    stale = true;
    failed = false;
    notifySoon();
}

void DocumentBlame::markStale()
{
    // A run would go on without its table and fill the old one with lines of the new text.
    stop();
    stale = true;
    failed = false;
}

void DocumentBlame::setFile(const QString &path)
{
    filePath = path;
    reset();
}

void DocumentBlame::notifySoon()
{
    if (!notifyTimer.isActive())
        notifyTimer.start();
}
