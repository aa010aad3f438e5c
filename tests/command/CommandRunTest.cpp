#include "command/CommandRun.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

using testsupport::waitUntil;

namespace
{

struct Outcome {
    int status;
    bool stopped;
    double seconds;
};

// A run with its output and end collected.
struct Recorder {
    QString output;
    std::optional<Outcome> end;
    QString outputAtEnd;
    int outputCalls = 0;

    void attach(CommandRun &run)
    {
        run.onOutput = [this](const QString &text) {
            output += text;
            ++outputCalls;
        };
        run.onFinish = [this](int status, bool stopped, double seconds) {
            outputAtEnd = output;
            end = Outcome { status, stopped, seconds };
        };
    }
};

LaunchSpec sh(const QString &line, const QString &folder = {})
{
    return localLaunch(line, folder, QStringLiteral("/bin/sh"));
}

// Gone, or a zombie nobody has reaped yet (an orphan's new parent may be slow to reap it).
bool processGone(qint64 pid)
{
    if (::kill(pid_t(pid), 0) != 0)
        return true;
    const QByteArray stat = testsupport::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    return nameEnd >= 0 && stat.mid(nameEnd + 2, 1) == "Z";
}

// The process ids a command printed as "name:pid".
qint64 printedPid(const QString &output, const QString &name)
{
    const auto match = QRegularExpression(name + QStringLiteral(":(\\d+)")).match(output);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

// Waits for child processes: generous, for a machine whose cores are busy with other work.
constexpr int longWaitMs = 30000;

// Runs a command line to its end; the recorder holds what it delivered.
void runToEnd(CommandRun &run, Recorder &recorder, int timeoutMs = longWaitMs)
{
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    EXPECT_TRUE(run.isRunning());
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, timeoutMs));
    EXPECT_FALSE(run.isRunning());
    EXPECT_FALSE(recorder.end->stopped);
}

TEST(CommandRun, OutputAndStatusTable)
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    const struct {
        const char *why;
        QString line;
        QString folder;
        QString output;
        int status;
    } cases[] = {
        { "output in order", "echo hello; echo world", {}, "hello\nworld\n", 0 },
        { "exit status", "echo failing; exit 3", {}, "failing\n", 3 },
        { "standard error shares the pipe, colours and carriage returns are cleaned",
            "echo out; echo err >&2; printf '\\033[31mred\\033[0m\\n'; printf '50%%\\r100%%\\n'",
            {}, "out\nerr\nred\n50%\n100%\n", 0 },
        { "a dumb terminal without colours", "echo \"$TERM $NO_COLOR\"", {}, "dumb 1\n", 0 },
        { "standard input is the null device", "cat; echo after", {}, "after\n", 0 },
        { "the working folder", "pwd -P", folder, folder + "\n", 0 },
        // The application ignores SIGPIPE; the child must not inherit that, or yes never stops.
        { "SIGPIPE is not ignored", "yes | head -n 2", {}, "y\ny\n", 0 },
    };
    ASSERT_EQ(::signal(SIGPIPE, SIG_IGN), SIG_IGN); // as the application sets it
    for (const auto &c : cases) {
        SCOPED_TRACE(c.why);
        CommandRun run(sh(c.line, c.folder));
        Recorder recorder;
        runToEnd(run, recorder);
        ASSERT_TRUE(recorder.end.has_value());
        EXPECT_EQ(recorder.output, c.output);
        EXPECT_EQ(recorder.end->status, c.status);
        EXPECT_GT(recorder.end->seconds, 0.0);
    }
}

TEST(CommandRun, LoginBashRunsTheLine)
{
    CommandRun run(localLaunch(QStringLiteral("echo $0 ran; shopt -q login_shell && echo login"),
        {}, QStringLiteral("/bin/bash")));
    Recorder recorder;
    runToEnd(run, recorder);
    // A profile may print its own lines first; the command's lines end the output.
    EXPECT_TRUE(recorder.output.endsWith(QStringLiteral("ran\nlogin\n")))
        << recorder.output.toStdString();
}

// While the main thread is busy, decoded text waits for it and the reader pauses at its cap;
// nothing is lost or reordered when it catches up, and all of it arrives before the end.
TEST(CommandRun, OutputSurvivesABusyMainThread)
{
    CommandRun run(sh(QStringLiteral("seq 1 1500000")));
    Recorder recorder;
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    QThread::msleep(700); // the main thread does not answer for a while
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    EXPECT_EQ(recorder.end->status, 0);
    QString expected;
    for (int i = 1; i <= 1500000; ++i)
        expected += QString::number(i) + QLatin1Char('\n');
    EXPECT_TRUE(recorder.outputAtEnd == expected) << recorder.outputAtEnd.size() << " characters";
    EXPECT_GT(recorder.outputCalls, 1); // streamed in pieces
}

TEST(CommandRun, BackgroundJobHoldingThePipeEndsTheRunOneSecondAfterTheShell)
{
    CommandRun run(sh(QStringLiteral("echo start; sleep 300 & echo job:$!")));
    Recorder recorder;
    recorder.attach(run);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    const double waited = clock.elapsed() / 1000.0;
    const qint64 jobPid = printedPid(recorder.output, "job");
    ASSERT_NE(jobPid, 0) << recorder.output.toStdString();
    EXPECT_FALSE(processGone(jobPid)); // the run did not wait for the job
    ::kill(pid_t(jobPid), SIGKILL);

    EXPECT_TRUE(recorder.output.startsWith(QStringLiteral("start\n")));
    EXPECT_EQ(recorder.end->status, 0);
    EXPECT_FALSE(recorder.end->stopped);
    // The second after the shell's exit, for a job that merely holds the output.
    EXPECT_GE(recorder.end->seconds, 0.9);
    EXPECT_GE(waited, 0.9);
}

TEST(CommandRun, StopTwiceSendsTermThenKillAndReportsStopped)
{
    // The shell answers TERM by printing and carrying on, so only KILL ends it.
    CommandRun run(
        sh(QStringLiteral("trap 'echo got-term' TERM; echo ready; while :; do sleep 0.05; done")));
    Recorder recorder;
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(
        waitUntil([&] { return recorder.output.contains(QStringLiteral("ready")); }, longWaitMs));
    run.stop();
    ASSERT_TRUE(waitUntil(
        [&] { return recorder.output.contains(QStringLiteral("got-term")); }, longWaitMs));
    // Still running after the first request.
    QCoreApplication::processEvents();
    EXPECT_FALSE(recorder.end.has_value());
    EXPECT_TRUE(run.isRunning());
    run.stop();
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    EXPECT_TRUE(recorder.end->stopped);
    EXPECT_EQ(recorder.end->status, SIGKILL);
}

TEST(CommandRun, StopOnceTerminatesAnOrdinaryCommand)
{
    CommandRun run(sh(QStringLiteral("echo ready; exec sleep 30")));
    Recorder recorder;
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(
        waitUntil([&] { return recorder.output.contains(QStringLiteral("ready")); }, longWaitMs));
    run.stop();
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    EXPECT_TRUE(recorder.end->stopped);
    EXPECT_EQ(recorder.end->status, SIGTERM);
}

// Both ends of a pipeline print their process ids (the first on the shared error stream) and
// then wait for ever.
const QString endlessPipeline = QStringLiteral(
    "sh -c 'echo first:$$ >&2; exec tail -f /dev/null' | sh -c 'echo second:$$; exec cat'");

TEST(CommandRun, StopEndsEveryProcessOfAPipeline)
{
    CommandRun run(sh(endlessPipeline));
    Recorder recorder;
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(waitUntil([&] {
        return printedPid(recorder.output, "first") && printedPid(recorder.output, "second");
    }));
    const qint64 first = printedPid(recorder.output, "first");
    const qint64 second = printedPid(recorder.output, "second");
    run.stop();
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    EXPECT_TRUE(recorder.end->stopped);
    EXPECT_TRUE(waitUntil([&] { return processGone(first) && processGone(second); }, longWaitMs));
    // Whatever the check saw, nothing may linger after the test.
    ::kill(pid_t(first), SIGKILL);
    ::kill(pid_t(second), SIGKILL);
}

// A process of the pipeline that ignores SIGTERM keeps the output open after the shell died; the
// run still ends, a second later, and takes that process with it.
TEST(CommandRun, StoppedCommandLeavesNoProcessThatIgnoresTerm)
{
    CommandRun run(sh(QStringLiteral("sh -c 'trap \"\" TERM; echo stubborn:$$; "
                                     "while :; do sleep 0.05; done' | cat")));
    Recorder recorder;
    recorder.attach(run);
    ASSERT_TRUE(run.start());
    ASSERT_TRUE(
        waitUntil([&] { return printedPid(recorder.output, "stubborn") != 0; }, longWaitMs));
    const qint64 stubborn = printedPid(recorder.output, "stubborn");
    run.stop();
    ASSERT_TRUE(waitUntil([&] { return recorder.end.has_value(); }, longWaitMs));
    EXPECT_TRUE(recorder.end->stopped);
    EXPECT_TRUE(waitUntil([&] { return processGone(stubborn); }, longWaitMs));
    ::kill(pid_t(stubborn), SIGKILL);
}

TEST(CommandRun, StopAfterTheEndDoesNothing)
{
    CommandRun run(sh(QStringLiteral("true")));
    Recorder recorder;
    run.stop(); // not started: nothing
    runToEnd(run, recorder);
    ASSERT_TRUE(recorder.end.has_value());
    run.stop();
    QCoreApplication::processEvents();
    EXPECT_FALSE(run.isRunning());
    EXPECT_FALSE(recorder.end->stopped);
}

TEST(CommandRun, LaunchFailuresAreReturnedAndNothingIsCalledBack)
{
    for (const LaunchSpec &launch :
        { localLaunch(QStringLiteral("echo hi"), {}, QStringLiteral("/no/such/shell")),
            sh(QStringLiteral("pwd"), QStringLiteral("/no/such/folder")) }) {
        SCOPED_TRACE(launch.program.toStdString() + " in " + launch.workingFolder.toStdString());
        CommandRun run(launch);
        Recorder recorder;
        recorder.attach(run);
        QString error;
        EXPECT_FALSE(run.start(&error));
        EXPECT_TRUE(error.contains(QStringLiteral("No such file or directory")))
            << error.toStdString();
        EXPECT_FALSE(run.isRunning());
        waitUntil([] { return false; }, 200);
        EXPECT_FALSE(recorder.end.has_value());
        EXPECT_TRUE(recorder.output.isEmpty());
    }
}

TEST(CommandRun, DestroyedRunNeverCallsBackAndEndsItsChild)
{
    bool calledBack = false;
    qint64 pid = 0;
    {
        auto run = std::make_unique<CommandRun>(sh(QStringLiteral("echo early; exec sleep 30")));
        run->onOutput = [&](const QString &) { calledBack = true; };
        run->onFinish = [&](int, bool, double) { calledBack = true; };
        ASSERT_TRUE(run->start());
        pid = run->processId();
        ASSERT_GT(pid, 0);
        // Let the output reach the queue, but not the main thread.
        QThread::msleep(100);
    }
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }, longWaitMs));
    waitUntil([] { return false; }, 200);
    EXPECT_FALSE(calledBack);
}

TEST(CommandRun, DestroyedRunKillsAChildThatIgnoresTerm)
{
    qint64 pid = 0;
    {
        CommandRun run(
            sh(QStringLiteral("trap '' TERM; echo ready; while :; do sleep 0.05; done")));
        bool ready = false;
        run.onOutput = [&](const QString &) { ready = true; };
        ASSERT_TRUE(run.start());
        ASSERT_TRUE(waitUntil([&] { return ready; }, longWaitMs));
        pid = run.processId();
    }
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }, longWaitMs));
}

}
