#include "connection.h"

#include "catalogue.h"
#include "errors.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace vexor {

namespace beast = boost::beast;
namespace http = beast::http;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {
// Largest reply accepted: a whole catalogue page of stock rows stays far below this.
constexpr std::uint64_t kMaxReplyBytes = 512ull * 1024 * 1024;
// Room left after a reply body so simdjson can parse it in place.
constexpr std::size_t kParserPadding = 64;
} // namespace

// Beast's time-outs apply to asynchronous operations only, so every step is started
// asynchronously on a private io_context and run to completion on the calling thread.
struct Connection::Impl
{
    asio::io_context ioc;
    std::optional<beast::tcp_stream> stream;
    beast::flat_buffer buffer;
    bool open = false;
    // The server ended a keep-alive exchange cleanly; the next call may connect again.
    bool reopen = false;

    template<class Start>
    beast::error_code run(Start &&start)
    {
        beast::error_code result = asio::error::would_block;
        start([&result](beast::error_code ec, auto &&...) { result = ec; });
        ioc.restart();
        ioc.run();
        return result;
    }

    void drop() noexcept
    {
        if (stream) {
            beast::error_code ignored;
            stream->socket().shutdown(tcp::socket::shutdown_both, ignored);
            stream->socket().close(ignored);
        }
        stream.reset();
        buffer.clear();
        open = false;
        reopen = false;
    }
};

Connection::Connection()
    : d(std::make_unique<Impl>())
{
}

Connection::~Connection()
{
    close();
}

std::unique_ptr<Connection> Connection::clone() const
{
    auto copy = std::make_unique<Connection>();
    copy->HostName = HostName;
    copy->Port = Port;
    copy->ContextPath = ContextPath;
    copy->ConnectTimeoutMs = ConnectTimeoutMs;
    copy->ReadTimeoutMs = ReadTimeoutMs;
    return copy;
}

bool Connection::isOpen() const noexcept
{
    return d->open;
}

void Connection::close() noexcept
{
    d->drop();
}

static QString describe(const QString &host, int port, const beast::error_code &ec)
{
    QString reason = ec == beast::error::timeout
        ? QStringLiteral("zaman aşımı")
        : QString::fromStdString(ec.message());
    return QStringLiteral("%1:%2 sunucusuna bağlanılamadı (%3)").arg(host).arg(port).arg(reason);
}

static std::string targetFor(const QString &contextPath, std::string_view path)
{
    std::string target = "/";
    target += contextPath.toStdString();
    if (!target.empty() && target.back() != '/')
        target += '/';
    target += path;
    return target;
}

void Connection::open()
{
    if (d->open)
        return;
    d->drop();
    const std::string host = HostName.toStdString();
    const std::string port = std::to_string(Port);

    tcp::resolver resolver(d->ioc);
    tcp::resolver::results_type endpoints;
    beast::error_code ec = d->run([&](auto handler) {
        resolver.async_resolve(host, port, [&, handler](beast::error_code e, tcp::resolver::results_type r) {
            endpoints = std::move(r);
            handler(e);
        });
    });
    if (ec)
        throw ConnectionError(describe(HostName, Port, ec));

    d->stream.emplace(d->ioc);
    d->stream->expires_after(std::chrono::milliseconds(ConnectTimeoutMs));
    ec = d->run([&](auto handler) { d->stream->async_connect(endpoints, handler); });
    if (ec) {
        d->drop();
        throw ConnectionError(describe(HostName, Port, ec));
    }
    d->stream->socket().set_option(tcp::no_delay(true), ec);

    // The greeting proves that a server of our protocol answers, not just any listener.
    http::request<http::empty_body> req{http::verb::get, targetFor(ContextPath, "hello"), 11};
    req.set(http::field::host, host);
    req.keep_alive(true);
    http::response<http::string_body> res;
    d->stream->expires_after(std::chrono::milliseconds(ConnectTimeoutMs));
    ec = d->run([&](auto handler) { http::async_write(*d->stream, req, handler); });
    if (!ec) {
        d->stream->expires_after(std::chrono::milliseconds(ConnectTimeoutMs));
        ec = d->run([&](auto handler) { http::async_read(*d->stream, d->buffer, res, handler); });
    }
    if (ec) {
        d->drop();
        throw ConnectionError(describe(HostName, Port, ec));
    }
    const QJsonObject hello = QJsonDocument::fromJson(QByteArray::fromStdString(res.body())).object();
    if (res.result() != http::status::ok || hello.value(QStringLiteral("protocol")).toInt(-1) != kProtocolVersion) {
        d->drop();
        throw ProtocolError(QStringLiteral("%1:%2 adresindeki sunucu bu programın protokolünü konuşmuyor")
                                .arg(HostName).arg(Port));
    }
    d->open = res.keep_alive();
    if (!d->open) {
        d->drop();
        throw ProtocolError(QStringLiteral("Sunucu bağlantıyı açık tutmuyor"));
    }
}

Connection::Reply Connection::post(std::string_view path, std::string_view body)
{
    if (!d->open && d->reopen)
        open();
    if (!d->open)
        throw InvalidOperation(QStringLiteral("Bağlantı açık değil"));

    http::request<http::string_body> req{http::verb::post, targetFor(ContextPath, path), 11};
    req.set(http::field::host, HostName.toStdString());
    req.set(http::field::content_type, "application/json; charset=utf-8");
    req.keep_alive(true);
    req.body().assign(body.data(), body.size());
    req.prepare_payload();

    d->stream->expires_after(std::chrono::milliseconds(ReadTimeoutMs));
    beast::error_code ec = d->run([&](auto handler) { http::async_write(*d->stream, req, handler); });
    http::response_parser<http::string_body> parser;
    parser.body_limit(kMaxReplyBytes);
    if (!ec) {
        d->stream->expires_after(std::chrono::milliseconds(ReadTimeoutMs));
        ec = d->run([&](auto handler) { http::async_read(*d->stream, d->buffer, parser, handler); });
    }
    if (ec) {
        d->drop();
        throw ConnectionError(ec == beast::error::timeout
                                  ? QStringLiteral("Sunucu zamanında yanıt vermedi")
                                  : QStringLiteral("Sunucu bağlantısı koptu (%1)").arg(QString::fromStdString(ec.message())));
    }
    auto res = parser.release();
    Reply reply;
    reply.status = res.result_int();
    reply.body = std::move(res.body());
    reply.body.reserve(reply.body.size() + kParserPadding);
    if (!res.keep_alive()) {
        d->drop();
        d->reopen = true;
    }
    return reply;
}

} // namespace vexor
