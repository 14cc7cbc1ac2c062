#pragma once

#include <functional>
#include <memory>

class QThreadPool;

namespace vexor {

// A background task: the work runs on a pool thread, the completion afterwards on the thread
// that called Await (in this program the UI thread).
class IAwait
{
public:
    virtual ~IAwait() = default;

    // Submits the work and returns at once, usually before the work has begun. The calling
    // thread must run an event loop: the completion reaches it as a queued event, so it also
    // arrives while a modal dialog's loop is running. In this order, on the calling thread:
    // the completion runs (exactly once, also when the work threw; everything the work wrote
    // is visible to it), then an exception that left the work goes to the general error
    // report. An exception that leaves the completion is reported too. Both closures live
    // until the completion has run, however soon the caller drops this object, and they are
    // destroyed on the calling thread. Await is meant to be called once; a second call is
    // ignored with a warning.
    virtual void Await(std::function<void()> proc) = 0;
};

class TAwait final : public IAwait
{
public:
    explicit TAwait(std::function<void()> async);

    void Await(std::function<void()> proc) override;

private:
    std::function<void()> FAsync;
    bool m_submitted = false;
};

// Wraps the work; nothing runs until Await.
std::shared_ptr<IAwait> Async(std::function<void()> async);

// The pool the work runs on. Its threads live for the whole run; server calls block on the
// network for seconds, so it has more threads than the machine has cores.
QThreadPool *asyncThreadPool();

} // namespace vexor
