#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

namespace vexor {

// One connection to the application server: one keep-alive TCP connection carrying HTTP/1.1
// requests under the context path. It is opened for an operation and closed after it; a clone
// copies the settings only, so a worker can open its own.
//
// Calls block the calling thread; connect and read time-outs bound every step. Not thread-safe:
// one connection belongs to one thread at a time.
class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString HostName = QStringLiteral("localhost");
    int Port = 9090;
    QString ContextPath = QStringLiteral("datasnap/");
    int ConnectTimeoutMs = 15000;
    int ReadTimeoutMs = 120000;

    // A new, closed connection with the same settings.
    std::unique_ptr<Connection> clone() const;

    // Connects and greets the server (GET <context>hello); throws ConnectionError or
    // ProtocolError. Opening an open connection does nothing.
    void open();
    void close() noexcept;
    bool isOpen() const noexcept;

    struct Reply
    {
        int status = 0;
        std::string body;
    };
    // POST of a JSON body to <context><path>; throws ConnectionError when the exchange fails.
    // The body comes back with room for a JSON parser's padding after its end.
    Reply post(std::string_view path, std::string_view body);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace vexor
