#include "processexit.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace vexor {

namespace {

std::mutex handlerMutex;
ProcessExitHandler installedHandler;

} // namespace

ProcessExitHandler setProcessExitHandler(ProcessExitHandler handler)
{
    std::lock_guard lock(handlerMutex);
    std::swap(installedHandler, handler);
    return handler;
}

void endProcess(int exitCode)
{
    ProcessExitHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = installedHandler;
    }
    if (handler) {
        handler(exitCode);
        return;
    }
    std::fflush(nullptr);
    ::_exit(exitCode);
}

} // namespace vexor
