#include "errorreport.h"

#include <QDebug>

#include <mutex>

namespace vexor {

namespace {

std::mutex handlerMutex;
UnhandledExceptionHandler installedHandler;

void logText(const QString &text)
{
    qWarning().noquote() << "Unhandled exception:" << text;
}

} // namespace

UnhandledExceptionHandler setUnhandledExceptionHandler(UnhandledExceptionHandler handler)
{
    std::lock_guard lock(handlerMutex);
    std::swap(installedHandler, handler);
    return handler;
}

QString unknownErrorText()
{
    return QStringLiteral("Bilinmeyen bir hata oluştu.");
}

QString exceptionText(std::exception_ptr error)
{
    if (!error)
        return QString();
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        const char *what = e.what();
        if (what && *what)
            return QString::fromUtf8(what);
    } catch (...) {
    }
    return unknownErrorText();
}

void reportUnhandledException(std::exception_ptr error)
{
    if (!error)
        return;
    UnhandledExceptionHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = installedHandler;
    }
    QString text;
    try {
        text = exceptionText(error);
        if (handler) {
            handler(text);
            return;
        }
    } catch (...) {
        // The report itself failed; the log is the last place the text can still go.
        if (text.isEmpty())
            text = unknownErrorText();
    }
    logText(text);
}

} // namespace vexor
