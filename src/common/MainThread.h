#pragma once

#include <chrono>
#include <functional>

class QThreadPool;

// How work on other threads reaches the main thread, and how quitting waits for those threads.
// Threads that read a child's output may outlive the controllers that started them; once the
// application is closing down their posts are dropped instead of reaching an object that is
// being destroyed.
namespace MainThread {

// Runs work on the main thread's event loop later; nothing once closeDown() has begun or when
// there is no application.
void post(std::function<void()> work);

// A thread of its own for work that blocks (reading a child's output, waiting for it). It is
// counted, so closeDown() can wait for it.
void startThread(std::function<void()> work);

// A pool whose tasks post to the main thread; closeDown() waits for it too.
void watchPool(QThreadPool *pool);

// Called once the event loop has ended and the controllers are gone, before the application
// object is destroyed: later posts are dropped, and threads and watched pools get up to `limit`
// to finish. False when some were still running at the limit.
bool closeDown(std::chrono::milliseconds limit);

// Counted threads still running.
int runningThreads();

}
