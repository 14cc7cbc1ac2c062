#pragma once

#include <QString>

namespace vexor {

// The plain message window: the application's title instead of the kind's, an OK button, and
// (for warnings and errors) the error sound. A few places of the log-in and update windows
// use it instead of MesajGoster's titled messages. It goes through the installed message
// presenter like every other message; UI thread only.
int DuzMesajGoster(const QString &text, int kind);

} // namespace vexor
