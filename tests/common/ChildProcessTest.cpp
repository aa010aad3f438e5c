#include "common/ChildProcess.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace
{

ChildProcess::Program sh(const QString &script, std::optional<QStringList> environment = {})
{
    return { QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }, {},
        std::move(environment) };
}

TEST(ChildProcess, BothOutputStreamsAreDrainedTogether)
{
    // A megabyte on each stream: reading only one of them would leave the child stuck on a full
    // pipe.
    const auto result = ChildProcess::run(
        sh(QStringLiteral("head -c 1048576 /dev/zero >&2; head -c 1048576 /dev/zero; exit 4")), {},
        ChildProcess::Errors::capture);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.status, 4);
    EXPECT_EQ(result.output.size(), 1048576);
    EXPECT_EQ(result.errors.size(), 1048576);
    EXPECT_FALSE(result.cutOff);
    const auto discarded = ChildProcess::run(
        sh(QStringLiteral("echo out; echo err >&2")), {}, ChildProcess::Errors::discard);
    EXPECT_EQ(discarded.output, QByteArray("out\n"));
    EXPECT_TRUE(discarded.errors.isEmpty());
}

TEST(ChildProcess, InputIsFedWhileTheOutputIsRead)
{
    // cat echoes as it reads: with 4 MB each way both pipes fill unless input and output move
    // at the same time.
    QByteArray input(4 * 1024 * 1024, 'x');
    for (qsizetype i = 0; i < input.size(); i += 1000)
        input[i] = '\n';
    const auto result = ChildProcess::run(
        { QStringLiteral("/bin/cat"), {}, {}, {} }, input, ChildProcess::Errors::discard);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, input);
}

TEST(ChildProcess, AChildThatIgnoresItsInputDoesNotHurtTheCaller)
{
    const QByteArray input(8 * 1024 * 1024, 'y');
    const auto result
        = ChildProcess::run(sh(QStringLiteral("exit 0")), input, ChildProcess::Errors::discard);
    EXPECT_EQ(result.status, 0);
    // And without input, the child reads the null device.
    const auto empty = ChildProcess::run(
        { QStringLiteral("/bin/cat"), {}, {}, {} }, {}, ChildProcess::Errors::discard);
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.output.isEmpty());
}

TEST(ChildProcess, TheLimitCutsOffOnlyPastIt)
{
    const auto program = sh(QStringLiteral("head -c 100000 /dev/zero; exec sleep 30"));
    const auto exact = ChildProcess::run(
        sh(QStringLiteral("head -c 100000 /dev/zero")), {}, ChildProcess::Errors::discard, 100000);
    EXPECT_FALSE(exact.cutOff);
    EXPECT_EQ(exact.status, 0);
    // The sleeping child would keep the run going for 30 seconds; the cut ends it at once.
    const auto over = ChildProcess::run(program, {}, ChildProcess::Errors::discard, 99999);
    EXPECT_TRUE(over.cutOff);
    EXPECT_GT(over.output.size(), 99999);
    EXPECT_EQ(over.status, SIGTERM);
}

TEST(ChildProcess, StartFailuresAnswerTheReason)
{
    const auto missing = ChildProcess::run(
        { QStringLiteral("/nonexistent/program"), {}, {}, {} }, {}, ChildProcess::Errors::discard);
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.startError, ENOENT);
    EXPECT_EQ(missing.status, -1);

    auto noFolder = sh(QStringLiteral("pwd"));
    noFolder.workingFolder = QStringLiteral("/nonexistent/folder");
    EXPECT_FALSE(ChildProcess::run(noFolder, {}, ChildProcess::Errors::discard).started);
}

TEST(ChildProcess, TerminateFromAnotherThreadEndsTheReading)
{
    ChildProcess child(sh(QStringLiteral("echo started; exec sleep 30")));
    ASSERT_TRUE(child.start(QByteArray("never read"), ChildProcess::Errors::discard));
    bool sawOutput = false;
    std::thread stopper;
    const bool completed = child.readOutput([&](QByteArrayView) {
        if (!sawOutput)
            stopper = std::thread([&child] { child.terminate(); });
        sawOutput = true;
        return true;
    });
    stopper.join();
    EXPECT_FALSE(completed);
    EXPECT_EQ(child.wait(), SIGTERM);
    // After the child is reaped, terminating again signals nothing.
    child.terminate();
}

}
