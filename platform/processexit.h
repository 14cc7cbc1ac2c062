#pragma once

#include <functional>

namespace vexor {

// How the client ends: at once, with an exit code and no orderly shutdown (no windows are
// closed, nothing is unregistered at the server). Every path that ends the program goes through
// endProcess, so an embedding test can install a handler that records the call instead.
using ProcessExitHandler = std::function<void(int exitCode)>;

// Installs the handler and returns the previous one; an empty handler restores the default,
// which flushes the standard streams and terminates the process (_exit).
ProcessExitHandler setProcessExitHandler(ProcessExitHandler handler);

// Ends the process through the installed handler. With the default handler it never returns;
// callers still leave their operation right after the call, so that a handler that returns
// does not let the program go on as if nothing happened.
void endProcess(int exitCode);

} // namespace vexor
