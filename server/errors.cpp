#include "errors.h"

namespace vexor {

VexorError::VexorError(QString className, QString message)
    : m_className(std::move(className))
    , m_message(std::move(message))
    , m_what(m_message.toUtf8())
{
}

} // namespace vexor
