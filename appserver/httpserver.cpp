#include "httpserver.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <QDebug>

#include <atomic>
#include <thread>

namespace vexor {

namespace beast = boost::beast;
namespace http = beast::http;
namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {

std::string errorBody(const char *className, const char *message)
{
    return std::string("{\"error\":{\"class\":\"") + className + "\",\"message\":\"" + message + "\"}}";
}

class Session : public std::enable_shared_from_this<Session>
{
public:
    Session(tcp::socket socket, const HttpServer::Options &options, const HttpHandler &handler,
            std::atomic<int> &writesInFlight)
        : m_stream(std::move(socket))
        , m_options(options)
        , m_handler(handler)
        , m_writesInFlight(writesInFlight)
    {
        beast::error_code ec;
        m_stream.socket().set_option(tcp::no_delay(true), ec);
        const auto remote = m_stream.socket().remote_endpoint(ec);
        if (!ec)
            m_remote = remote.address().to_string();
    }

    void start()
    {
        asio::dispatch(m_stream.get_executor(), [self = shared_from_this()] { self->read(); });
    }

private:
    void read()
    {
        m_parser.emplace();
        m_parser->body_limit(m_options.maxBodyBytes);
        m_stream.expires_after(std::chrono::seconds(m_options.idleTimeoutSeconds));
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onRead(ec); });
    }

    void onRead(beast::error_code ec)
    {
        if (ec == http::error::body_limit) {
            HttpResponse res;
            res.status = 413;
            res.body = errorBody("EVexorProtocolError", "İstek gövdesi çok büyük");
            write(std::move(res), false);
            return;
        }
        if (ec) {
            if (ec != http::error::end_of_stream && ec != beast::error::timeout && ec != asio::error::eof
                && ec != asio::error::connection_reset && ec != asio::error::operation_aborted) {
                // A malformed request gets a plain answer before the connection is dropped.
                HttpResponse res;
                res.status = 400;
                res.body = errorBody("EVexorProtocolError", "Geçersiz HTTP isteği");
                write(std::move(res), false);
                return;
            }
            close();
            return;
        }
        auto req = m_parser->release();
        m_keepAlive = req.keep_alive();
        HttpRequest request;
        request.method = std::string(req.method_string());
        request.target = std::string(req.target());
        request.body = std::move(req.body());
        request.remoteAddress = m_remote;
        // No time-out while the handler works: a long poll may wait for minutes.
        m_stream.expires_never();
        auto responded = std::make_shared<std::atomic_bool>(false);
        HttpResponder responder = [self = shared_from_this(), responded](HttpResponse res) {
            if (responded->exchange(true))
                return;
            asio::post(self->m_stream.get_executor(), [self, res = std::move(res)]() mutable {
                self->write(std::move(res), self->m_keepAlive);
            });
        };
        try {
            m_handler(std::move(request), responder);
        } catch (const std::exception &e) {
            qWarning("vexor-server: request handler failed: %s", e.what());
            HttpResponse res;
            res.status = 500;
            res.body = errorBody("EVexorServerError", "Sunucu iç hatası");
            responder(std::move(res));
        }
    }

    void write(HttpResponse res, bool keepAlive)
    {
        auto msg = std::make_shared<http::response<http::string_body>>(http::status(res.status), 11);
        msg->set(http::field::server, "vexor-server");
        msg->set(http::field::content_type, res.contentType);
        for (auto &[name, value] : res.headers)
            msg->set(name, value);
        msg->keep_alive(keepAlive);
        msg->body() = std::move(res.body);
        msg->prepare_payload();
        m_stream.expires_after(std::chrono::seconds(m_options.idleTimeoutSeconds));
        ++m_writesInFlight;
        http::async_write(m_stream, *msg, [self = shared_from_this(), msg](beast::error_code ec, std::size_t) {
            --self->m_writesInFlight;
            if (ec || !msg->keep_alive()) {
                self->close();
                return;
            }
            self->read();
        });
    }

    void close()
    {
        beast::error_code ec;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ec);
        m_stream.socket().close(ec);
    }

    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    const HttpServer::Options &m_options;
    const HttpHandler &m_handler;
    std::atomic<int> &m_writesInFlight;
    std::string m_remote;
    bool m_keepAlive = true;
};

} // namespace

struct HttpServer::Impl
{
    Options options;
    HttpHandler handler;
    // Answers being written; stop() lets them finish (briefly) so held polls get their reply.
    std::atomic<int> writesInFlight{0};
    asio::io_context ioc;
    std::optional<tcp::acceptor> acceptor;
    std::vector<std::thread> threads;
    std::atomic<std::uint16_t> port{0};
    bool running = false;

    // Handlers run only on the threads that stop() joins, so they may refer to this object
    // plainly; holding it shared would keep it, its port and its sessions alive forever.
    void accept()
    {
        acceptor->async_accept(asio::make_strand(ioc), [this](beast::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted || !acceptor->is_open())
                return;
            if (!ec)
                std::make_shared<Session>(std::move(socket), options, handler, writesInFlight)->start();
            accept();
        });
    }
};

HttpServer::HttpServer(Options options, HttpHandler handler)
    : d(std::make_shared<Impl>())
{
    d->options = std::move(options);
    d->handler = std::move(handler);
}

HttpServer::~HttpServer()
{
    stop();
}

void HttpServer::start()
{
    if (d->running)
        return;
    beast::error_code ec;
    const auto address = asio::ip::make_address(d->options.host.toStdString(), ec);
    if (ec)
        throw std::runtime_error("invalid listen address " + d->options.host.toStdString());
    const tcp::endpoint endpoint(address, d->options.port);
    d->acceptor.emplace(d->ioc);
    d->acceptor->open(endpoint.protocol(), ec);
    if (!ec)
        d->acceptor->set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        d->acceptor->bind(endpoint, ec);
    if (!ec)
        d->acceptor->listen(asio::socket_base::max_listen_connections, ec);
    if (ec)
        throw std::runtime_error("cannot listen on " + d->options.host.toStdString() + ":"
                                 + std::to_string(d->options.port) + ": " + ec.message());
    d->port = d->acceptor->local_endpoint().port();
    d->running = true;
    d->accept();
    for (int i = 0; i < std::max(1, d->options.threads); ++i)
        d->threads.emplace_back([impl = d.get()] { impl->ioc.run(); });
}

void HttpServer::stop()
{
    if (!d->running)
        return;
    d->running = false;
    asio::post(d->ioc, [impl = d.get()] {
        beast::error_code ec;
        impl->acceptor->close(ec);
    });
    // Replies already on their way (a held poll answered on shutdown) get a moment to leave.
    for (int i = 0; i < 100 && d->writesInFlight > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    d->ioc.stop();
    for (auto &t : d->threads)
        t.join();
    d->threads.clear();
    beast::error_code ec;
    d->acceptor->close(ec);
}

std::uint16_t HttpServer::port() const
{
    return d->port;
}

} // namespace vexor
