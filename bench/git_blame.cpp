// Blame: reading "git blame --incremental" output into a table, absorbing keystrokes in a
// blamed 100,000-line document, and the time from start to the first attributed line of a
// 5,000-line file in a real repository, beside git's own blame of the same file.
#include "common/ChildProcess.h"
#include "git/BlameTable.h"
#include "git/DocumentBlame.h"
#include "git/IncrementalBlameParser.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace
{

QTemporaryDir *workDir = nullptr;

QString shaOf(int commit)
{
    return QStringLiteral("%1").arg(commit * 2654435761u % 0xFFFFFFFFu, 40, 16, QLatin1Char('a'));
}

// Output shaped like git's: 400 commits, each described the first time it appears, entries of
// one to twelve lines; about 16 MB.
QByteArray incrementalOutput(qsizetype *lineCount)
{
    QByteArray out;
    std::vector<bool> described(400);
    qsizetype line = 1;
    for (int entry = 0; out.size() < 16 * 1024 * 1024; ++entry) {
        const int commit = (entry * 7919) % 400;
        const int count = 1 + entry % 12;
        const QByteArray sha = shaOf(commit).toLatin1();
        out += sha + ' ' + QByteArray::number(line) + ' ' + QByteArray::number(line) + ' '
            + QByteArray::number(count) + '\n';
        if (!described[size_t(commit)]) {
            described[size_t(commit)] = true;
            out += "author Zoë Ŝmith " + QByteArray::number(commit)
                + "\nauthor-mail <zoe@example.com>\n"
                  "author-time 1700000000\nauthor-tz +0000\ncommitter Zoë Ŝmith\n"
                  "committer-mail <zoe@example.com>\ncommitter-time 1700000000\n"
                  "committer-tz +0000\nsummary Change number "
                + QByteArray::number(commit) + " of the parser\n";
        }
        out += "previous " + shaOf(commit + 1).toLatin1() + " src/parser/Incremental.cpp\n";
        out += "filename src/parser/Incremental.cpp\n";
        line += count;
    }
    *lineCount = line - 1;
    return out;
}

void BM_ParseAndApply(benchmark::State &state)
{
    qsizetype lines = 0;
    const QByteArray output = incrementalOutput(&lines);
    constexpr qsizetype chunk = 64 * 1024; // what one read of the pipe gives
    for (auto _ : state) {
        IncrementalBlameParser parser;
        BlameTable table = BlameTable::withLines(lines);
        for (qsizetype at = 0; at < output.size(); at += chunk)
            for (const BlameRange &range :
                parser.feed(QByteArrayView(output).sliced(at, std::min(chunk, output.size() - at))))
                table.apply(range);
        benchmark::DoNotOptimize(table.marks.data());
    }
    state.SetBytesProcessed(state.iterations() * output.size());
}
BENCHMARK(BM_ParseAndApply)->Unit(benchmark::kMillisecond);

QByteArray git(const QString &folder, const QStringList &arguments, qint64 time = 1700000000)
{
    const QString date = QStringLiteral("@%1 +0000").arg(time);
    const QStringList environment { "PATH=/usr/bin:/bin", "HOME=" + folder, "GIT_CONFIG_NOSYSTEM=1",
        "GIT_CONFIG_GLOBAL=/dev/null", "GIT_AUTHOR_NAME=Ada", "GIT_AUTHOR_EMAIL=ada@example.com",
        "GIT_COMMITTER_NAME=Ada", "GIT_COMMITTER_EMAIL=ada@example.com", "GIT_AUTHOR_DATE=" + date,
        "GIT_COMMITTER_DATE=" + date };
    return ChildProcess::run(
        { "/usr/bin/git", arguments, folder, environment }, {}, ChildProcess::Errors::discard)
        .output;
}

QStringList numberedLines(int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(QStringLiteral("x = f(x, %1);").arg(i));
    return lines;
}

// A repository holding the file; each commit rewrites one band of lines, so blame has work to
// do across the history. Answers the file's path.
QString committedFile(const QString &name, int lineCount, int commits)
{
    const QString folder = workDir->filePath(name);
    QDir().mkpath(folder);
    git(folder, { "init", "-q", "-b", "main" });
    QStringList lines = numberedLines(lineCount);
    const QString path = folder + "/file.cpp";
    for (int c = 0; c < commits; ++c) {
        const int band = lineCount / commits;
        for (int i = c * band; i < (c + 1) * band; i += 3)
            lines[i] += QStringLiteral(" // %1").arg(c);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(lines.join('\n').toUtf8() + '\n');
        file.close();
        git(folder, { "add", "-A" });
        git(folder, { "commit", "-q", "-m", QStringLiteral("Change %1").arg(c) },
            1700000000 + c * 3600);
    }
    return path;
}

QString readText(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

// A blamed document of 100,000 lines with its blame following every change, timed alone. Its
// text stays under the 2,000,000 units past which edits drop the table.
struct BlamedDocument {
    QString text;
    qsizetype lineCount = 1;
    DocumentBlame blame;
    qint64 editNanoseconds = 0;

    explicit BlamedDocument(const QString &path)
        : text(readText(path))
        , lineCount(text.count(u'\n') + 1)
        , blame(path)
    {
        blame.start(text, false);
        while (blame.isComputing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Replaces [from, from + length) and reports it as the editor's buffer does.
    void replace(qsizetype from, qsizetype length, const QString &with)
    {
        const qsizetype firstLine = QStringView(text).first(from).count(u'\n');
        lineCount += with.count(u'\n') - QStringView(text).sliced(from, length).count(u'\n');
        text.replace(from, length, with);
        QElapsedTimer clock;
        clock.start();
        blame.edit(firstLine, with.count(u'\n'), lineCount, text.size());
        editNanoseconds += clock.nsecsElapsed();
    }

    qsizetype endOfLine(qsizetype line) const
    {
        qsizetype at = 0;
        for (qsizetype i = 0; i < line; ++i)
            at = text.indexOf(u'\n', at) + 1;
        return text.indexOf(u'\n', at);
    }
};

// One edit in the middle of the document: a character (or a line break) typed, then deleted
// again. The time is that of the blame's edit alone; the document's own work is left out.
void BM_EditAbsorption(benchmark::State &state)
{
    static BlamedDocument blamed(committedFile("big", 100'000, 4));
    const qsizetype at = blamed.endOfLine(50'000);
    const QString typed = state.range(0) == 1 ? QStringLiteral("\n") : QStringLiteral("x");
    for (auto _ : state) {
        blamed.editNanoseconds = 0;
        blamed.replace(at, 0, typed);
        blamed.replace(at, 1, {});
        state.SetIterationTime(double(blamed.editNanoseconds) / 2e9);
    }
    if (!blamed.blame.table() || blamed.blame.lookup(50'001).kind != BlameLookup::Kind::draft)
        state.SkipWithError("the edits were not absorbed");
}
BENCHMARK(BM_EditAbsorption)
    ->ArgName("lineBreak")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

const QString &fiveThousandLines()
{
    static const QString path = committedFile("five", 5'000, 50);
    return path;
}

bool anyLineKnown(const DocumentBlame &blame)
{
    const auto &table = blame.table();
    return table && std::any_of(table->marks.begin(), table->marks.end(), [](qint32 mark) {
        return mark != BlameTable::unknownMark;
    });
}

double secondsOf(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// From start to the first attributed line, to line 1, and to the whole table (the time shown),
// in a running event loop.
void BM_DocumentBlameFirstLine(benchmark::State &state)
{
    const QString path = fiveThousandLines();
    const QString text = readText(path);
    double firstLine = 0;
    double lineOne = 0;
    for (auto _ : state) {
        DocumentBlame blame(path);
        QElapsedTimer clock;
        clock.start();
        blame.start(text, false);
        std::optional<double> first;
        std::optional<double> one;
        while (blame.isComputing()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (!first && anyLineKnown(blame))
                first = secondsOf(clock);
            if (!one && blame.lookup(1).kind == BlameLookup::Kind::commit)
                one = secondsOf(clock);
        }
        const double total = secondsOf(clock);
        state.SetIterationTime(total);
        firstLine += first.value_or(total);
        lineOne += one.value_or(total);
    }
    const double runs = double(state.iterations());
    state.counters["firstLineMs"] = benchmark::Counter(firstLine * 1000 / runs);
    state.counters["lineOneMs"] = benchmark::Counter(lineOne * 1000 / runs);
}
BENCHMARK(BM_DocumentBlameFirstLine)->UseManualTime()->Unit(benchmark::kMillisecond);

// git's own blame of the same file: from launch to its first output and to its exit (the time
// shown), read by a plain loop with nothing parsed.
void BM_GitBlameAlone(benchmark::State &state)
{
    const QString path = fiveThousandLines();
    const QString folder = QFileInfo(path).absolutePath();
    double firstOutput = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        ChildProcess git(
            { "/usr/bin/git", { "blame", "--incremental", "--", "file.cpp" }, folder, {} });
        git.start({}, ChildProcess::Errors::discard);
        std::optional<double> first;
        git.readOutput([&](QByteArrayView) {
            if (!first)
                first = secondsOf(clock);
            return true;
        });
        git.wait();
        state.SetIterationTime(secondsOf(clock));
        firstOutput += first.value_or(0);
    }
    state.counters["firstOutputMs"]
        = benchmark::Counter(firstOutput * 1000 / double(state.iterations()));
}
BENCHMARK(BM_GitBlameAlone)->UseManualTime()->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    QApplication application(argc, argv);
    QTemporaryDir files;
    workDir = &files;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
