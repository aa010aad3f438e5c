#include "RunToken.h"

bool RunToken::launch(
    ChildProcess &process, const std::optional<QByteArray> &input, ChildProcess::Errors errors)
{
    std::lock_guard lock(mutex);
    if (wasCancelled)
        return false;
    if (!process.start(input, errors))
        return false;
    child = &process;
    return true;
}

void RunToken::release()
{
    std::lock_guard lock(mutex);
    child = nullptr;
}

void RunToken::cancel()
{
    std::lock_guard lock(mutex);
    wasCancelled = true;
    if (child)
        child->terminate();
}

bool RunToken::cancelled() const
{
    std::lock_guard lock(mutex);
    return wasCancelled;
}
