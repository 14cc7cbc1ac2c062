#include "mesaj.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <QThread>

#include <array>
#include <mutex>

namespace vexor {

namespace {

struct ButtonInfo
{
    const char16_t *caption;
    int result;
};

// Index = MessageButton.
constexpr std::array<ButtonInfo, kMessageButtonCount> kButtons{{
    {u"Evet", ResultYes},
    {u"Hayır", ResultNo},
    {u"Tamam", ResultOk},
    {u"Vazgeç", ResultCancel},
    {u"İptal", ResultAbort},
    {u"Tekrar", ResultRetry},
    {u"Atla", ResultIgnore},
    {u"Tümü", ResultAll},
    {u"Tümüne Hayır", ResultNoToAll},
    {u"Tümüne Evet", ResultYesToAll},
    {u"Yardım", ResultHelp},
}};

constexpr std::array<const char16_t *, 4> kTitles{{u"Uyarı", u"Hata", u"Bilgi", u"Soru"}};

std::mutex presenterMutex;
std::shared_ptr<MessagePresenter> installedPresenter;

bool validButton(int button)
{
    return button >= 0 && button < kMessageButtonCount;
}

void logMessage(const MessageRequest &request)
{
    if (request.kind == MessageWarning || request.kind == MessageError)
        qWarning().noquote() << request.title << request.text;
    else
        qInfo().noquote() << request.title << request.text;
}

} // namespace

QString messageKindTitle(int kind)
{
    if (kind < 0 || kind >= int(kTitles.size()))
        return QString();
    return QString::fromUtf16(kTitles[size_t(kind)]);
}

QString messageButtonCaption(int button)
{
    return validButton(button) ? QString::fromUtf16(kButtons[size_t(button)].caption) : QString();
}

int messageButtonResult(int button)
{
    return validButton(button) ? kButtons[size_t(button)].result : int(ResultNone);
}

const MessageRequestButton *MessageRequest::findButton(int button) const
{
    for (const MessageRequestButton &b : buttons) {
        if (b.button == button)
            return &b;
    }
    return nullptr;
}

int MessageRequest::defaultResult() const
{
    const MessageRequestButton *b = findButton(defaultButton);
    return b ? b->result : int(ResultNone);
}

MessageRequest makeMessageRequest(const QString &text, int kind, quint32 buttons,
                                  int defaultButton)
{
    MessageRequest request;
    request.text = text;
    request.kind = kind;
    request.title = messageKindTitle(kind);
    for (int i = 0; i < kMessageButtonCount; ++i) {
        if (buttons & (quint32(1) << i))
            request.buttons.append({i, messageButtonCaption(i), messageButtonResult(i)});
    }
    // A message without a button could not be answered.
    if (request.buttons.isEmpty())
        request.buttons.append({ButtonOk, messageButtonCaption(ButtonOk), ResultOk});
    request.defaultButton = request.findButton(defaultButton) ? defaultButton
                                                              : request.buttons.first().button;
    return request;
}

std::shared_ptr<MessagePresenter> setMessagePresenter(std::shared_ptr<MessagePresenter> presenter)
{
    std::lock_guard lock(presenterMutex);
    std::swap(installedPresenter, presenter);
    return presenter;
}

std::shared_ptr<MessagePresenter> messagePresenter()
{
    std::lock_guard lock(presenterMutex);
    return installedPresenter;
}

int MesajGoster(const QString &text, int kind, quint32 buttons, int defaultButton)
{
    const MessageRequest request = makeMessageRequest(text, kind, buttons, defaultButton);
    // Held for the whole call, so replacing the presenter meanwhile cannot destroy it.
    const std::shared_ptr<MessagePresenter> presenter = messagePresenter();
    QCoreApplication *app = QCoreApplication::instance();
    if (!presenter || !app) {
        logMessage(request);
        return request.defaultResult();
    }
    if (QThread::currentThread() == app->thread())
        return presenter->present(request);

    int result = request.defaultResult();
    QMetaObject::invokeMethod(
        app, [&] { result = presenter->present(request); }, Qt::BlockingQueuedConnection);
    return result;
}

} // namespace vexor
