#pragma once

#include "common/errorreport.h"
#include "common/mesaj.h"

#include <QApplication>

#include <memory>

namespace vexor {

// The client's application object. An exception that leaves an event handler ends here and
// goes to the general error report instead of ending the process; while this object lives,
// that report shows the text as an error message with OK, and every message is shown by the
// widget presenter.
class VexorApplication : public QApplication
{
    Q_OBJECT

public:
    VexorApplication(int &argc, char **argv);
    ~VexorApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

private:
    std::shared_ptr<MessagePresenter> m_previousPresenter;
    UnhandledExceptionHandler m_previousHandler;
};

// The handler VexorApplication installs: MesajGoster(text, error, OK, OK).
void showUnhandledException(const QString &text);

} // namespace vexor
