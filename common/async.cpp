#include "async.h"

#include "errorreport.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QObject>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <exception>

namespace vexor {

namespace {

struct Task
{
    std::function<void()> work;
    std::function<void()> completion;
    std::exception_ptr workError;
};

const QEvent::Type kTaskDoneEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class TaskDoneEvent final : public QEvent
{
public:
    explicit TaskDoneEvent(std::shared_ptr<Task> task)
        : QEvent(kTaskDoneEvent), task(std::move(task)) {}

    std::shared_ptr<Task> task;
};

// Lives on the thread that called Await and receives the task's end there. One per task, so a
// task never depends on another object's lifetime.
class CompletionReceiver final : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() != kTaskDoneEvent)
            return QObject::event(e);
        finish(std::move(static_cast<TaskDoneEvent *>(e)->task));
        deleteLater();
        return true;
    }

private:
    static void finish(std::shared_ptr<Task> task)
    {
        try {
            if (task->completion)
                task->completion();
        } catch (...) {
            reportUnhandledException(std::current_exception());
        }
        const std::exception_ptr workError = std::move(task->workError);
        // Captured state is released here, on the caller's thread, not on a pool thread.
        task->work = nullptr;
        task->completion = nullptr;
        task.reset();
        reportUnhandledException(workError);
    }
};

class TaskRunnable final : public QRunnable
{
public:
    TaskRunnable(std::shared_ptr<Task> task, QObject *receiver)
        : m_task(std::move(task)), m_receiver(receiver) {}

    void run() override
    {
        std::shared_ptr<Task> task = std::move(m_task);
        try {
            if (task->work)
                task->work();
        } catch (...) {
            task->workError = std::current_exception();
        }
        // Posting hands the task over with the event; this thread keeps no reference, so the
        // closures are never destroyed here.
        QCoreApplication::postEvent(m_receiver, new TaskDoneEvent(std::move(task)));
    }

private:
    std::shared_ptr<Task> m_task;
    QObject *m_receiver;
};

} // namespace

QThreadPool *asyncThreadPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setObjectName(QStringLiteral("vexor-async"));
        p->setExpiryTimeout(-1);
        p->setMaxThreadCount(std::max(8, 2 * QThread::idealThreadCount()));
        return p;
    }();
    return pool;
}

TAwait::TAwait(std::function<void()> async)
    : FAsync(std::move(async))
{
}

void TAwait::Await(std::function<void()> proc)
{
    if (m_submitted) {
        qWarning("TAwait::Await called twice; the second call is ignored");
        return;
    }
    m_submitted = true;

    auto task = std::make_shared<Task>();
    task->work = std::move(FAsync);
    task->completion = std::move(proc);
    FAsync = nullptr;

    // Created on the calling thread, so it lives there and receives the end event there.
    auto *receiver = new CompletionReceiver;
    asyncThreadPool()->start(new TaskRunnable(std::move(task), receiver));
}

std::shared_ptr<IAwait> Async(std::function<void()> async)
{
    return std::make_shared<TAwait>(std::move(async));
}

} // namespace vexor
