#include "git/GitStream.h"
#include "git/GitRun.h"

#include "TestRepo.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace
{

// What a stream delivered, and what it had delivered when it finished.
struct Recorder {
    QByteArray data;
    int chunks = 0;
    int finishes = 0;
    int status = 0;
    QByteArray dataAtFinish;

    void start(GitStream &stream)
    {
        stream.start(
            [this](const QByteArray &chunk) {
                data += chunk;
                ++chunks;
            },
            [this](int exitStatus) {
                ++finishes;
                status = exitStatus;
                dataAtFinish = data;
            });
    }
    bool finished() const { return finishes > 0; }
};

ChildProcess::Program sh(const QString &script)
{
    return { QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }, {}, {} };
}

// Lets everything the stream's thread posted arrive.
void drainEvents(GitStream &stream)
{
    ASSERT_TRUE(waitUntil([&] { return stream.isIdle(); }));
    QCoreApplication::processEvents();
}

TEST(GitStream, LocalGitStreamsItsOutputThenItsStatus)
{
    TestRepo repo;
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "line " + QByteArray::number(i) + '\n';
    repo.write(QStringLiteral("big.txt"), big);
    repo.commit(QStringLiteral("big"), 1700000000);
    auto stream = GitStream::local({ "show", "HEAD:big.txt" }, repo.path());
    Recorder recorder;
    recorder.start(*stream);
    ASSERT_TRUE(waitUntil([&] { return recorder.finished(); }));
    EXPECT_EQ(recorder.status, 0);
    EXPECT_EQ(recorder.dataAtFinish, big);
    EXPECT_TRUE(stream->isFinished());
}

TEST(GitStream, StatusComesAfterBothTheEndOfOutputAndTheExit)
{
    // The shell exits first while a background job still writes to the output.
    auto exitsFirst = GitStream::configured(sh("(sleep 0.3; echo late) & echo early; exit 3"));
    // The output ends first; the exit follows later.
    auto endsFirst = GitStream::configured(sh("echo out; exec >&-; sleep 0.3; exit 5"));
    Recorder a;
    Recorder b;
    a.start(*exitsFirst);
    b.start(*endsFirst);
    ASSERT_TRUE(waitUntil([&] { return a.finished() && b.finished(); }));
    EXPECT_EQ(a.status, 3);
    EXPECT_EQ(a.dataAtFinish, "early\nlate\n");
    EXPECT_EQ(b.status, 5);
    EXPECT_EQ(b.dataAtFinish, "out\n");
    drainEvents(*exitsFirst);
    EXPECT_EQ(a.finishes, 1);
}

TEST(GitStream, StreamsThatCannotRunReportMinusOneOnceAndNoData)
{
    auto missingProgram
        = GitStream::configured({ QStringLiteral("/nonexistent/tool"), {}, {}, {} });
    Recorder launch;
    launch.start(*missingProgram);
    EXPECT_FALSE(launch.finished()); // reported later, on the main thread
    ASSERT_TRUE(waitUntil([&] { return launch.finished(); }));
    EXPECT_EQ(launch.status, -1);

    setGitProgramForTests(QStringLiteral("/nonexistent/git"));
    auto noGit = GitStream::local({ "status" }, QDir::tempPath());
    Recorder missing;
    missing.start(*noGit);
    setGitProgramForTests(QStringLiteral("/usr/bin/git"));
    ASSERT_TRUE(waitUntil([&] { return missing.finished(); }));
    EXPECT_EQ(missing.status, -1);

    QCoreApplication::processEvents();
    for (const Recorder *recorder : { &launch, &missing }) {
        EXPECT_EQ(recorder->finishes, 1);
        EXPECT_EQ(recorder->chunks, 0);
    }
}

TEST(GitStream, NothingArrivesAfterCancel)
{
    auto endless = GitStream::configured({ QStringLiteral("/usr/bin/yes"), {}, {}, {} });
    Recorder recorder;
    recorder.start(*endless);
    ASSERT_TRUE(waitUntil([&] { return recorder.chunks > 0; }));
    endless->cancel();
    const int chunks = recorder.chunks;
    EXPECT_TRUE(endless->wasCancelled());
    // The reading thread ends only once yes was terminated and reaped.
    drainEvents(*endless);
    EXPECT_EQ(recorder.chunks, chunks);
    EXPECT_EQ(recorder.finishes, 0);

    // Cancelling a finished stream calls nothing; destroying a running one calls nothing.
    auto quick = GitStream::configured(sh("echo done"));
    Recorder finished;
    finished.start(*quick);
    ASSERT_TRUE(waitUntil([&] { return finished.finished(); }));
    quick->cancel();
    drainEvents(*quick);
    EXPECT_EQ(finished.finishes, 1);

    Recorder dropped;
    auto another = GitStream::configured({ QStringLiteral("/usr/bin/yes"), {}, {}, {} });
    dropped.start(*another);
    another.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(dropped.chunks + dropped.finishes, 0);
}

}
