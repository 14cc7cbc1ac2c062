#include "duzmesaj.h"

#include "common/mesaj.h"

#include <QCoreApplication>
#include <QDebug>

namespace vexor {

int DuzMesajGoster(const QString &text, int kind)
{
    MessageRequest request = makeMessageRequest(text, kind, kButtonsOk, ButtonOk);
    request.title = QCoreApplication::applicationName();
    const std::shared_ptr<MessagePresenter> presenter = messagePresenter();
    if (!presenter) {
        qWarning().noquote() << request.title << request.text;
        return request.defaultResult();
    }
    return presenter->present(request);
}

} // namespace vexor
