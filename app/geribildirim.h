#pragma once

#include "server/command.h"

#include <QPointer>

namespace vexor {

class TForm1;

// The main window's notification callback. Its name is the channel's name; the server's
// notification only means "refresh", so the argument is not read.
class TGeriBildirim : public RemoteCallback
{
public:
    explicit TGeriBildirim(TForm1 *form);

    QString callbackId() const override;
    // Runs on the channel manager's thread: queues the refresh and answers at once.
    QJsonValue Execute(const QJsonValue &argument) override;

private:
    QPointer<TForm1> m_form;
};

// Queues the window's refresh sequence on the UI thread; a window that is gone by then is left
// alone.
void GeriBildirimAlQue(const QPointer<TForm1> &form);

} // namespace vexor
