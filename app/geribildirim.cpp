#include "geribildirim.h"

#include "tform1.h"

#include <QMetaObject>

namespace vexor {

TGeriBildirim::TGeriBildirim(TForm1 *form)
    : m_form(form)
{
}

QString TGeriBildirim::callbackId() const
{
    return QStringLiteral("Morvane");
}

QJsonValue TGeriBildirim::Execute(const QJsonValue &)
{
    GeriBildirimAlQue(m_form);
    return QJsonValue(true);
}

void GeriBildirimAlQue(const QPointer<TForm1> &form)
{
    TForm1 *target = form.data();
    if (!target)
        return;
    // Queued to the window's own thread; Qt drops the call if the window is destroyed first.
    QMetaObject::invokeMethod(target, [form] {
        if (form)
            form->yenilemeSirasi();
    }, Qt::QueuedConnection);
}

} // namespace vexor
