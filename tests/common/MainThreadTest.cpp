// Handing work back to the main thread while the application closes down. closeDown() is for
// good, so each case runs in a child process of its own.
#include "common/MainThread.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace std::chrono_literals;

namespace {

class MainThreadTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A thread still reading when quitting begins: closing down waits for it, and what it posts
// afterwards never runs, even when the event loop turns again.
[[noreturn]] void closeDownWaitsAndDropsLatePosts()
{
    std::atomic<bool> released = false;
    bool delivered = false;
    MainThread::startThread([&] {
        while (!released)
            std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(50ms);
        MainThread::post([&delivered] { delivered = true; });
    });
    bool early = false;
    MainThread::post([&early] { early = true; });
    QCoreApplication::processEvents();
    released = true;
    const bool finished = MainThread::closeDown(30s);
    QCoreApplication::processEvents();
    std::exit(early && finished && !delivered && MainThread::runningThreads() == 0 ? 0 : 1);
}

// A thread stuck for longer than the limit does not hold quitting up.
[[noreturn]] void closeDownGivesUpAtTheLimit()
{
    std::atomic<bool> release = false;
    MainThread::startThread([&release] {
        while (!release)
            std::this_thread::sleep_for(1ms);
    });
    const bool finished = MainThread::closeDown(100ms);
    const int stillRunning = MainThread::runningThreads();
    release = true;
    std::exit(!finished && stillRunning == 1 ? 0 : 1);
}

}

TEST_F(MainThreadTest, ClosingDownWaitsForThreadsAndDropsTheirLatePosts)
{
    EXPECT_EXIT(closeDownWaitsAndDropsLatePosts(), ::testing::ExitedWithCode(0), "");
}

TEST_F(MainThreadTest, ClosingDownGivesUpOnAStuckThreadAtTheLimit)
{
    EXPECT_EXIT(closeDownGivesUpAtTheLimit(), ::testing::ExitedWithCode(0), "");
}
