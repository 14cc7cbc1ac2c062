#include "common/async.h"
#include "common/errorreport.h"

#include <QDialog>
#include <QSemaphore>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <stdexcept>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

// Generous: these waits only guard against a hang, they never measure speed.
constexpr int kWaitMs = 30000;

// Records the thread it is destroyed on, to show where captured state is released.
struct Witness
{
    explicit Witness(std::atomic<QThread *> *destroyedOn) : destroyedOn(destroyedOn) {}
    ~Witness() { destroyedOn->store(QThread::currentThread()); }
    std::atomic<QThread *> *destroyedOn;
};

struct NotAnException
{
};

} // namespace

class TstAsync : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void completionRunsOnCallingThreadAfterWork();
    void closuresLiveUntilCompletion();
    void failingWorkReportsAfterCompletion_data();
    void failingWorkReportsAfterCompletion();
    void failingCompletionIsReported();
    void tasksFinishInTheirOwnOrder();
    void completesInsideModalDialog();
    void blockingWorksRunSideBySide();
    void secondAwaitIsIgnored();

private:
    QStringList m_events;  // what happened, in order, on the UI thread
};

void TstAsync::init()
{
    m_events.clear();
    setUnhandledExceptionHandler([this](const QString &text) {
        m_events << u"report: "_s + text;
    });
}

void TstAsync::cleanup()
{
    setUnhandledExceptionHandler({});
}

void TstAsync::completionRunsOnCallingThreadAfterWork()
{
    QSemaphore go;
    QThread *workThread = nullptr;
    QThread *completionThread = nullptr;
    QString produced;  // plain data: the hand-over must make it visible
    bool workDone = false;

    Async([&] {
        go.acquire();
        workThread = QThread::currentThread();
        produced = u"dolu"_s;
        workDone = true;
    })->Await([&] {
        completionThread = QThread::currentThread();
        m_events << u"completion saw "_s + produced;
    });

    // The work is held back, so Await has returned before it ran.
    QVERIFY(!workDone);
    QVERIFY(m_events.isEmpty());
    go.release();

    QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 1, kWaitMs);
    QCOMPARE(m_events, QStringList{u"completion saw dolu"_s});
    QCOMPARE(completionThread, QThread::currentThread());
    QVERIFY(workThread);
    QVERIFY(workThread != QThread::currentThread());

    // Exactly once: nothing more arrives.
    QCoreApplication::processEvents();
    QCOMPARE(m_events.size(), 1);
}

void TstAsync::closuresLiveUntilCompletion()
{
    std::atomic<QThread *> workStateDestroyedOn = nullptr;
    std::atomic<QThread *> completionStateDestroyedOn = nullptr;
    auto workState = std::make_shared<Witness>(&workStateDestroyedOn);
    auto completionState = std::make_shared<Witness>(&completionStateDestroyedOn);
    std::weak_ptr<Witness> workWeak = workState;
    bool completed = false;
    {
        // The caller keeps neither the task nor its own references.
        auto task = Async([s = std::move(workState)] { QThread::msleep(1); });
        task->Await([s = std::move(completionState), &completed, workWeak] {
            completed = !workWeak.expired();
        });
    }
    QTRY_VERIFY_WITH_TIMEOUT(completionStateDestroyedOn.load(), kWaitMs);
    QVERIFY2(completed, "the work's captured state was gone before the completion ran");
    QCOMPARE(workStateDestroyedOn.load(), QThread::currentThread());
    QCOMPARE(completionStateDestroyedOn.load(), QThread::currentThread());
}

void TstAsync::failingWorkReportsAfterCompletion_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("expectedText");
    QTest::newRow("std::exception, UTF-8 text") << 0 << u"Bağlantı koptu: İstanbul"_s;
    QTest::newRow("exception derived from std::exception") << 1 << u"vector"_s;
    QTest::newRow("not an exception class") << 2 << unknownErrorText();
}

void TstAsync::failingWorkReportsAfterCompletion()
{
    QFETCH(int, kind);
    QFETCH(QString, expectedText);

    Async([kind] {
        switch (kind) {
        case 0: throw std::runtime_error("Bağlantı koptu: İstanbul");
        case 1: throw std::out_of_range("vector");
        default: throw NotAnException{};
        }
    })->Await([this] { m_events << u"completion"_s; });

    QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 2, kWaitMs);
    QCOMPARE(m_events, (QStringList{u"completion"_s, u"report: "_s + expectedText}));
    QCoreApplication::processEvents();
    QCOMPARE(m_events.size(), 2);
}

void TstAsync::failingCompletionIsReported()
{
    Async([] { throw std::runtime_error("work failed"); })->Await([this] {
        m_events << u"completion"_s;
        throw std::runtime_error("completion failed");
    });
    Async([] {})->Await([this] { m_events << u"next task"_s; });

    QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 4, kWaitMs);
    // The completion's own error first, then the work's; the program goes on.
    const qsizetype first = m_events.indexOf(u"completion"_s);
    QVERIFY(first >= 0);
    QCOMPARE(m_events.value(first + 1), u"report: completion failed"_s);
    QCOMPARE(m_events.value(first + 2), u"report: work failed"_s);
    QVERIFY(m_events.contains(u"next task"_s));
}

void TstAsync::tasksFinishInTheirOwnOrder()
{
    QSemaphore goLong, goShort;
    bool longWorkDone = false, shortWorkDone = false;
    int longCompletions = 0, shortCompletions = 0;

    Async([&] {
        goLong.acquire();
        longWorkDone = true;
    })->Await([&] {
        QVERIFY(longWorkDone);
        ++longCompletions;
        m_events << u"long"_s;
    });
    Async([&] {
        goShort.acquire();
        shortWorkDone = true;
    })->Await([&] {
        QVERIFY(shortWorkDone);
        ++shortCompletions;
        m_events << u"short"_s;
    });

    goShort.release();
    QTRY_COMPARE_WITH_TIMEOUT(shortCompletions, 1, kWaitMs);
    QCOMPARE(longCompletions, 0);  // its work is still held back
    goLong.release();
    QTRY_COMPARE_WITH_TIMEOUT(longCompletions, 1, kWaitMs);
    QCoreApplication::processEvents();
    QCOMPARE(m_events, (QStringList{u"short"_s, u"long"_s}));
    QCOMPARE(shortCompletions, 1);
}

void TstAsync::completesInsideModalDialog()
{
    QDialog dialog;
    bool completedInsideModalLoop = false;
    // Started once the dialog's own loop runs, finished before anyone closes it.
    QTimer::singleShot(0, &dialog, [&] {
        Async([] { QThread::msleep(10); })->Await([&] {
            completedInsideModalLoop = dialog.isVisible()
                                       && QApplication::activeModalWidget() == &dialog;
            dialog.accept();
        });
    });
    QTimer::singleShot(kWaitMs, &dialog, &QDialog::reject);  // never hang the run

    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(completedInsideModalLoop);
}

void TstAsync::blockingWorksRunSideBySide()
{
    // Server calls block for seconds; four of them at start must not wait for one another.
    constexpr int kTasks = 4;
    QSemaphore started;
    std::atomic<int> sawAllStarted = 0;
    int completions = 0;
    for (int i = 0; i < kTasks; ++i) {
        Async([&] {
            started.release();
            if (started.tryAcquire(kTasks, kWaitMs)) {
                ++sawAllStarted;
                started.release(kTasks);
            }
        })->Await([&] { ++completions; });
    }
    QTRY_COMPARE_WITH_TIMEOUT(completions, kTasks, 2 * kWaitMs);
    QCOMPARE(sawAllStarted.load(), kTasks);
}

void TstAsync::secondAwaitIsIgnored()
{
    std::atomic<int> works = 0;
    int completions = 0;
    auto task = Async([&] { ++works; });
    task->Await([&] { ++completions; });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"called twice"_s));
    task->Await([&] { completions += 100; });
    QTRY_COMPARE_WITH_TIMEOUT(completions, 1, kWaitMs);
    QCoreApplication::processEvents();
    QCOMPARE(completions, 1);
    QCOMPARE(works.load(), 1);
}

QTEST_MAIN(TstAsync)
#include "tst_async.moc"
