#include "application.h"

#include "messagebox.h"

namespace vexor {

void showUnhandledException(const QString &text)
{
    MesajGoster(text, MessageError, kButtonsOk, ButtonOk);
}

VexorApplication::VexorApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    m_previousPresenter = setMessagePresenter(std::make_shared<WidgetMessagePresenter>());
    m_previousHandler = setUnhandledExceptionHandler(&showUnhandledException);
}

VexorApplication::~VexorApplication()
{
    // Message boxes need a living application object.
    setUnhandledExceptionHandler(std::move(m_previousHandler));
    setMessagePresenter(std::move(m_previousPresenter));
}

bool VexorApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportUnhandledException(std::current_exception());
    }
    return false;
}

} // namespace vexor
