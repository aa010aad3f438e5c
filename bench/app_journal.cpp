// Journaling unsaved documents through the real controller offscreen: what copying a text costs
// on the main thread, what the journal adds to a keystroke, the longest main-thread stall while
// a 64 MB document is journaled, how soon an edit is on disk, and reading it back.
#include "BenchApp.h"
#include "BenchMain.h"
#include "BenchText.h"
#include "app/AppDelegate.h"
#include "app/JournalKeeper.h"
#include "common/Defaults.h"
#include "editor/EditorTextView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <unistd.h>

namespace {

QTemporaryDir workFolder;

QString makeFile(const QString &name, qint64 bytes)
{
    const QByteArray block = "int compute(const std::vector<int> &values) { return values.size() * 2; } // note\n";
    const QString path = workFolder.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(repeatedTo(block, bytes));
        // On disk before the measures start: the kernel's own write-back of it is not ours.
        file.flush();
        ::fdatasync(file.handle());
    }
    return path;
}

std::unique_ptr<AppDelegate> editorWith(const QStringList &paths)
{
    QDir(Journal::defaultFolder()).removeRecursively();
    auto app = launchedEditor();
    for (const QString &path : paths)
        app->documents().loadDocument(path, false, true, true);
    waitForLoads(*app);
    QApplication::processEvents();
    return app;
}

void typeAt(const DocumentPtr &document, int position, const QString &text)
{
    document->textView->setCaretPosition(position);
    document->textView->insertText(text);
}

// The copy a whole-text journal entry needs, on the main thread.
void BM_WholeTextCopy(benchmark::State &state)
{
    const QString path = makeFile(QStringLiteral("copy%1.txt").arg(state.range(0)), state.range(0) * 1024 * 1024);
    auto app = editorWith({ path });
    const DocumentPtr document = app->documents()[0];
    for (auto _ : state)
        benchmark::DoNotOptimize(document->text());
    state.counters["chars"] = double(document->textView->buffer()->length());
}
BENCHMARK(BM_WholeTextCopy)->Arg(1)->Arg(2)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond);

// One typed character in a 64 MB document, with everything the controller does for it.
void BM_KeystrokeIn64MB(benchmark::State &state)
{
    auto app = editorWith({ makeFile(QStringLiteral("keys.txt"), 64 * 1024 * 1024) });
    const DocumentPtr document = app->documents()[0];
    typeAt(document, 5000, QStringLiteral("x"));
    for (auto _ : state)
        document->textView->insertText(QStringLiteral("y"));
    app->session().journal().flushNow();
}
BENCHMARK(BM_KeystrokeIn64MB)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The journal's own share of a keystroke: the same insertion into a 64 MB document outside the
// controller, without and with the journal recording it.
void keystrokes(benchmark::State &state, bool journaled)
{
    QDir(Journal::defaultFolder()).removeRecursively();
    JournalKeeper keeper(Journal::defaultFolder());
    auto document = std::make_shared<OpenDocument>(workFolder.filePath("share.txt"), new EditorTextView(), TextEncoding {});
    QFile file(makeFile(QStringLiteral("share.txt"), 64 * 1024 * 1024));
    file.open(QIODevice::ReadOnly);
    document->textView->setFileText(QString::fromUtf8(file.readAll()));
    document->isDirty = true;
    TextBuffer *buffer = document->textView->buffer();
    if (journaled)
        QObject::connect(buffer, &TextBuffer::changed, [&](const TextChange &change) { keeper.edited(document, change); });
    // The first edit of a large text starts reading its file for the journal's base on the
    // worker; that one-off read is measured by the stall benchmark, not charged to keystrokes.
    buffer->insert(4999, QStringLiteral("y"));
    keeper.flushNow();
    qsizetype position = 5000;
    for (auto _ : state) {
        buffer->insert(position, QStringLiteral("y"));
        position += 1;
    }
}
void BM_BareKeystrokeIn64MB(benchmark::State &state) { keystrokes(state, false); }
void BM_JournaledKeystrokeIn64MB(benchmark::State &state) { keystrokes(state, true); }
BENCHMARK(BM_BareKeystrokeIn64MB)->Unit(benchmark::kMicrosecond)->Iterations(5000);
BENCHMARK(BM_JournaledKeystrokeIn64MB)->Unit(benchmark::kMicrosecond)->Iterations(5000);

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Typing at 25 keys a second for 4 seconds into a 64 MB document while a 1 ms timer watches the
// main thread; the longest gap between its ticks is the longest stall, keystrokes included. On a
// busy machine a gap also holds time the thread waited for a core: the most CPU time the main
// thread spent within one gap is its own work, which load does not inflate.
void BM_MainThreadStallWhileJournaling64MB(benchmark::State &state)
{
    auto app = editorWith({ makeFile(QStringLiteral("stall.txt"), 64 * 1024 * 1024) });
    const DocumentPtr document = app->documents()[0];
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        qint64 longestKey = 0;
        qint64 longestOther = 0; // gaps without a keystroke in them: flushes, paints, the rest
        bool keyInGap = false;
        double lastCpu = threadCpuSeconds();
        double longestWork = 0;
        double longestWorkWithoutKey = 0;
        qint64 longestWorkWithoutKeyAt = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            const qint64 gap = clock.elapsed() - last;
            longest = std::max(longest, gap);
            const double cpu = threadCpuSeconds();
            longestWork = std::max(longestWork, cpu - lastCpu);
            if (!keyInGap && cpu - lastCpu > longestWorkWithoutKey) {
                longestWorkWithoutKey = cpu - lastCpu;
                longestWorkWithoutKeyAt = clock.elapsed();
            }
            lastCpu = cpu;
            if (!keyInGap)
                longestOther = std::max(longestOther, gap);
            keyInGap = false;
            last = clock.elapsed();
        });
        ticks.start(1);
        QTimer keys;
        int typed = 0;
        QObject::connect(&keys, &QTimer::timeout, [&] {
            QElapsedTimer key;
            key.start();
            typeAt(document, 100000 + typed, QStringLiteral("k"));
            longestKey = std::max(longestKey, key.elapsed());
            keyInGap = true;
            typed += 1;
        });
        keys.start(40);
        while (clock.elapsed() < 4000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        state.counters["longest_stall_ms"] = double(longest);
        state.counters["longest_keystroke_ms"] = double(longestKey);
        state.counters["longest_stall_without_key_ms"] = double(longestOther);
        state.counters["longest_work_in_a_gap_ms"] = longestWork * 1000;
        state.counters["longest_work_without_key_ms"] = longestWorkWithoutKey * 1000;
        state.counters["longest_work_without_key_at_ms"] = double(longestWorkWithoutKeyAt);
        state.counters["keys"] = typed;
    }
    app->session().journal().flushNow();
    // Which way the document went to disk: a log of edits on generation 1, or whole copies.
    const QStringList logs = QDir(Journal::defaultFolder()).entryList({ "*.log" }, QDir::Files);
    state.counters["log_bytes"] = double(QFileInfo(QDir(Journal::defaultFolder()).filePath(logs.value(0))).size());
    state.counters["generation_1"] = logs.value(0).contains(".1.log") ? 1 : 0;
}
BENCHMARK(BM_MainThreadStallWhileJournaling64MB)->Unit(benchmark::kMillisecond)->Iterations(1);

// What the machine alone allows: a loop that does nothing but read the clock, while another
// thread copies a 64 MB file and syncs it, with no editor at all. On a virtual machine whose
// host takes its core away now and then, the stall above cannot go below this.
void BM_MachineFloorWhileCopying64MB(benchmark::State &state)
{
    const QString from = makeFile(QStringLiteral("floor.txt"), 64 * 1024 * 1024);
    qint64 worst = 0;
    for (auto _ : state) {
        std::atomic_bool done = false;
        QThread *copier = QThread::create([&] {
            QFile in(from);
            QFile out(workFolder.filePath(QStringLiteral("floor-copy.txt")));
            if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
                while (!in.atEnd())
                    out.write(in.read(16384));
                out.flush();
                ::fsync(out.handle());
            }
            done = true;
        });
        copier->start();
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        while (!done) {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        }
        copier->wait();
        delete copier;
        worst = std::max(worst, longest);
    }
    state.counters["longest_stall_ms"] = double(worst) / 1e6;
}
BENCHMARK(BM_MachineFloorWhileCopying64MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The main thread's own work when the journal writes half a second of typing (25 keys) of a
// 64 MB document: its CPU time, which a busy machine does not inflate; the wait for the worker
// costs the main thread nothing.
void BM_MainThreadCostOfAFlush64MB(benchmark::State &state)
{
    auto app = editorWith({ makeFile(QStringLiteral("flush.txt"), 64 * 1024 * 1024) });
    const DocumentPtr document = app->documents()[0];
    typeAt(document, 100000, QStringLiteral("k"));
    app->session().journal().flushNow();
    int typed = 1;
    for (auto _ : state) {
        for (int i = 0; i < 25; ++i, ++typed)
            typeAt(document, 100000 + typed, QStringLiteral("k"));
        const double before = threadCpuSeconds();
        app->session().journal().flushNow();
        state.SetIterationTime(threadCpuSeconds() - before);
    }
}
BENCHMARK(BM_MainThreadCostOfAFlush64MB)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

// From an edit to its being on disk: the flush delay plus the worker's write. The first write of
// a long document reads its file for the base; later ones append.
void BM_EditToDisk(benchmark::State &state)
{
    auto app = editorWith({ makeFile(QStringLiteral("disk%1.txt").arg(state.range(0)), state.range(0) * 1024 * 1024) });
    const DocumentPtr document = app->documents()[0];
    const QString folder = Journal::defaultFolder();
    double first = 0;
    int round = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        typeAt(document, 1000 + round, QStringLiteral("e"));
        const qint64 before = QDir(folder).entryInfoList({ "*.json" }, QDir::Files).value(0).lastModified().toMSecsSinceEpoch();
        // Wait for the header to be rewritten: it is the last file of every journal write.
        while (QDir(folder).entryInfoList({ "*.json" }, QDir::Files).value(0).lastModified().toMSecsSinceEpoch() == before
               || QDir(folder).entryList({ "*.json" }, QDir::Files).isEmpty()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            if (clock.elapsed() > 30000)
                break;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (round++ == 0)
            first = double(clock.elapsed());
        QThread::msleep(20); // a later header gets a later modification time
    }
    state.counters["first_ms"] = first;
}
BENCHMARK(BM_EditToDisk)->Arg(1)->Arg(20)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Reading back a 20 MB document's entry: its base and a thousand edits spread over it.
void BM_ReadBack20MB(benchmark::State &state)
{
    auto app = editorWith({ makeFile(QStringLiteral("read.txt"), 20 * 1024 * 1024) });
    const DocumentPtr document = app->documents()[0];
    const int length = int(document->textView->buffer()->length());
    for (int i = 0; i < 1000; ++i)
        typeAt(document, (i * 7919 * 13) % length, QStringLiteral("r"));
    app->session().journal().flushNow();
    QApplication::processEvents();
    app->session().journal().flushNow();
    Journal &store = app->session().journal().journal();
    const QString key = store.keys().value(0);
    bool same = false;
    for (auto _ : state) {
        const auto record = store.read(key);
        same = record && record->text == document->text();
    }
    state.counters["matches"] = same ? 1 : 0;
}
BENCHMARK(BM_ReadBack20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

}

int main(int argc, char **argv)
{
    return runWidgetBenchmarks(argc, argv);
}
