#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vexor {

struct HttpRequest
{
    std::string method; // "GET", "POST", ...
    std::string target; // path and query as sent
    std::string body;
    std::string remoteAddress;
};

struct HttpResponse
{
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// Answers a request exactly once, from any thread, now or later (a long poll answers later).
using HttpResponder = std::function<void(HttpResponse)>;
using HttpHandler = std::function<void(HttpRequest &&, HttpResponder)>;

// An asynchronous HTTP/1.1 server: a few threads run one io_context, so idle keep-alive and
// waiting long-poll connections cost no thread. Handlers must not block; slow work belongs on
// a worker pool that answers through the responder.
class HttpServer
{
public:
    struct Options
    {
        QString host = QStringLiteral("127.0.0.1");
        std::uint16_t port = 0; // 0: the system picks one
        int threads = 2;
        std::size_t maxBodyBytes = 8u * 1024 * 1024;
        int idleTimeoutSeconds = 300;
    };

    HttpServer(Options options, HttpHandler handler);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Binds and starts serving; throws std::runtime_error when the address cannot be bound.
    void start();
    void stop();
    std::uint16_t port() const;

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};

} // namespace vexor
