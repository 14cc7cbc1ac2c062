#pragma once

// Helpers for tests that drive modal windows: a message presenter that answers as told and
// remembers what it was asked, an exit handler that records instead of ending the test, and a
// way to act on a window as soon as it is shown (the modal loop that shows it keeps running
// the test's timers).

#include "common/mesaj.h"
#include "platform/processexit.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace vexor::test {

class RecordingPresenter final : public MessagePresenter
{
public:
    int present(const MessageRequest &request) override
    {
        requests.append(request);
        if (whilePresenting)
            whilePresenting(request);
        if (answer) {
            if (const MessageRequestButton *b = request.findButton(*answer))
                return b->result;
        }
        return request.defaultResult();
    }

    QStringList texts() const
    {
        QStringList t;
        for (const MessageRequest &r : requests)
            t << r.text;
        return t;
    }

    std::optional<int> answer;  // a button index; the default button otherwise
    // Runs while a message is up, with the windows that show it still open.
    std::function<void(const MessageRequest &)> whilePresenting;
    QList<MessageRequest> requests;
};

// Records endProcess calls for the life of the object.
class ExitRecorder
{
public:
    ExitRecorder()
    {
        m_previous = setProcessExitHandler([this](int code) { codes.append(code); });
    }
    ~ExitRecorder() { setProcessExitHandler(std::move(m_previous)); }
    QList<int> codes;

private:
    ProcessExitHandler m_previous;
};

// What the modal loop of a dialog returns when its driver left it open: a test that forgot
// (or failed) to answer a dialog then fails on this result instead of hanging until its
// time-out, which would say nothing about where it stopped.
inline constexpr int kDialogLeftOpen = -77;
inline constexpr int kDialogGiveUpMs = 90000;

// Runs `action` once, with the first visible top-level window of type T, as soon as one is
// shown. Keeps looking until it ran or the returned object is destroyed. A dialog the action
// leaves open is ended with kDialogLeftOpen after kDialogGiveUpMs.
template <typename T>
std::shared_ptr<QTimer> whenShown(std::function<void(T *)> action)
{
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(10);
    std::weak_ptr<QTimer> weak = timer;
    QObject::connect(timer.get(), &QTimer::timeout, [weak, action] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *t = qobject_cast<T *>(w); t && t->isVisible()) {
                if (auto strong = weak.lock())
                    strong->stop();
                QPointer<QWidget> window(t);
                action(t);
                if (auto *dialog = qobject_cast<QDialog *>(window.data())) {
                    QPointer<QDialog> guard(dialog);
                    QTimer::singleShot(kDialogGiveUpMs, [guard] {
                        if (guard && guard->isVisible()) {
                            qWarning("a dialog was left open by its test driver; ending it");
                            guard->done(kDialogLeftOpen);
                        }
                    });
                }
                return;
            }
        }
    });
    timer->start();
    return timer;
}

} // namespace vexor::test
