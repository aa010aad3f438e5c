#include "DocumentBlame.h"

#include "GitCommands.h"
#include "GitRun.h"

#include "common/TextCounts.h"
#include "remote/RemoteFileOutcomes.h"
#include "remote/SSHFailure.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>

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
    start(countLineFeeds(text) + 1, isDirty ? std::optional(text) : std::nullopt);
}

void DocumentBlame::start(qsizetype lineCount, const std::optional<QString> &contents)
{
    if (computing || failed || (current && !stale))
        return;
    if (contents && contents->size() > longestDirtyText)
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

    std::optional<QByteArray> input;
    if (contents)
        input = contents->toUtf8();
    running = makeStream(contents.has_value(), std::move(input));
    const quint64 run = ++generation;
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

void DocumentBlame::edit(const QTextDocument &document, int position, int, int charsAdded)
{
    if (!current)
        return;
    if (computing) {
        stop();
        stale = true;
    }
    if (document.characterCount() - 1 > longestDirtyText) {
        current.reset();
        stale = true;
        return;
    }
    // The document counts lines itself, so nothing here walks the text.
    const int end = std::min(position + charsAdded, document.characterCount() - 1);
    const int startBlock = document.findBlock(position).blockNumber();
    const int endBlock = document.findBlock(end).blockNumber();
    if (startBlock < 0 || endBlock < startBlock
        || !current->absorbEdit(startBlock + 1, endBlock - startBlock, document.blockCount())) {
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
