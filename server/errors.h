#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace vexor {

// Base of every error the remote-call layer raises. It carries a class name, as the server
// names its exceptions (the stock picture fetch shows "class: message"), and the message text
// that callers show unchanged.
class VexorError : public std::exception
{
public:
    VexorError(QString className, QString message);

    const QString &className() const noexcept { return m_className; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_className;
    QString m_message;
    QByteArray m_what;
};

// The TCP connection could not be made, or broke, or timed out.
class ConnectionError : public VexorError
{
public:
    explicit ConnectionError(const QString &message)
        : VexorError(QStringLiteral("EIdSocketError"), message) {}
};

// Bytes on the wire that do not follow the protocol: malformed JSON, a wrong kind, a missing
// result, a record that does not unmarshal.
class ProtocolError : public VexorError
{
public:
    explicit ProtocolError(const QString &message)
        : VexorError(QStringLiteral("EVexorProtocolError"), message) {}
};

// An error reply of the server, raised with the server's class name and message.
class RemoteError : public VexorError
{
public:
    RemoteError(const QString &className, const QString &message)
        : VexorError(className, message) {}
};

// Misuse of the API, such as a proxy on a connection that was never opened.
class InvalidOperation : public VexorError
{
public:
    explicit InvalidOperation(const QString &message)
        : VexorError(QStringLiteral("EInvalidOperation"), message) {}
};

} // namespace vexor
