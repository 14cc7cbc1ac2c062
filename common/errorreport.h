#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace vexor {

// The application-wide general error report: where an exception ends up that nobody caught,
// whether it left a background task's work, a completion or a UI event handler. Reporting
// never throws and never ends the process.

// Receives the message text of an unhandled exception. Called on the thread that reports;
// background-task errors are always reported on the thread that started the task.
using UnhandledExceptionHandler = std::function<void(const QString &text)>;

// Installs the handler and returns the previous one. An empty handler restores the default,
// which writes the text to the log (qWarning).
UnhandledExceptionHandler setUnhandledExceptionHandler(UnhandledExceptionHandler handler);

// Hands the exception's text to the installed handler. A null pointer reports nothing.
void reportUnhandledException(std::exception_ptr error);

// The text shown for an exception: what() read as UTF-8 for std::exception (our own error
// classes put their message there), a fixed Turkish text for anything else.
QString exceptionText(std::exception_ptr error);

// Shown for exceptions that carry no text of their own.
QString unknownErrorText();

} // namespace vexor
