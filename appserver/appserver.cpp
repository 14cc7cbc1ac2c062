#include "appserver.h"

#include "dispatch.h"
#include "servermethods_skeleton.h"

#include "server/catalogue.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace vexor {

AppServer::AppServer(ServerSettings settings, std::shared_ptr<TServerMethods1Skeleton> methods,
                     ChannelOptions channelOptions)
    : m_settings(std::move(settings))
    , m_methods(std::move(methods))
    , m_channel(std::make_unique<NotificationChannel>(std::move(channelOptions)))
{
    m_workers.setMaxThreadCount(std::max(1, m_settings.workerThreads));
    m_workers.setExpiryTimeout(-1);
}

AppServer::~AppServer()
{
    stop();
}

void AppServer::start()
{
    HttpServer::Options options;
    options.host = m_settings.host;
    options.port = m_settings.port;
    options.threads = m_settings.ioThreads;
    m_http = std::make_unique<HttpServer>(options, [this](HttpRequest &&req, HttpResponder respond) {
        handle(std::move(req), std::move(respond));
    });
    m_channel->start();
    m_http->start();
}

void AppServer::stop()
{
    // The channel lets go of every waiting poll while the network threads can still answer it.
    m_channel->stop();
    if (m_http)
        m_http->stop();
    m_workers.waitForDone();
    m_http.reset();
}

std::uint16_t AppServer::port() const
{
    return m_http ? m_http->port() : 0;
}

static std::string errorReply(const QString &className, const QString &message)
{
    JsonWriter w;
    w.beginObject();
    w.key("error");
    w.beginObject();
    w.key("class");
    w.value(className);
    w.key("message");
    w.value(message);
    w.endObject();
    w.endObject();
    return w.take();
}

std::string AppServer::processCall(TServerMethods1Skeleton &methods, std::string_view body, int &httpStatus)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(body.data(), qsizetype(body.size())), &parseError);
    const QJsonObject envelope = doc.object();
    const QJsonValue command = envelope.value(QStringLiteral("command"));
    const QJsonValue params = envelope.value(QStringLiteral("params"));
    if (parseError.error != QJsonParseError::NoError || !doc.isObject() || !command.isString() || !params.isArray()) {
        httpStatus = 400;
        return errorReply(QStringLiteral("EVexorProtocolError"),
                          QStringLiteral("Geçersiz çağrı: {\"command\": metin, \"params\": dizi} bekleniyordu"));
    }
    const QByteArray commandText = command.toString().toUtf8();
    const MethodSpec *method = findCommand(std::string_view(commandText.constData(), size_t(commandText.size())));
    if (!method) {
        httpStatus = 404;
        return errorReply(QStringLiteral("EVexorUnknownMethod"),
                          QStringLiteral("Bilinmeyen sunucu yöntemi: %1").arg(command.toString()));
    }
    try {
        JsonWriter reply;
        methods.dispatch(*method, params.toArray(), reply);
        httpStatus = 200;
        return reply.take();
    } catch (const CallError &e) {
        httpStatus = e.httpStatus();
        return errorReply(e.className(), e.message());
    } catch (const VexorError &e) {
        httpStatus = 500;
        return errorReply(e.className(), e.message());
    } catch (const std::exception &e) {
        // Details stay in the server's log; the client gets no internals.
        qWarning("vexor-server: %s failed: %s", commandText.constData(), e.what());
        httpStatus = 500;
        return errorReply(QStringLiteral("EVexorServerError"),
                          QStringLiteral("%1 sırasında sunucu iç hatası").arg(command.toString()));
    }
}

void AppServer::handle(HttpRequest &&request, HttpResponder respond)
{
    const std::string_view target = request.target;
    if (!target.starts_with(kContextPath)) {
        HttpResponse res;
        res.status = 404;
        res.body = errorReply(QStringLiteral("EVexorProtocolError"), QStringLiteral("Bilinmeyen adres"));
        respond(std::move(res));
        return;
    }
    const std::string_view path = target.substr(kContextPath.size());
    if (path == "hello" && request.method == "GET") {
        HttpResponse res;
        res.body = "{\"protocol\":" + std::to_string(kProtocolVersion) + ",\"server\":\"vexor-server\"}";
        respond(std::move(res));
        return;
    }
    if (path == "call" && request.method == "POST") {
        auto methods = m_methods;
        m_workers.start([methods, body = std::move(request.body), respond = std::move(respond)] {
            HttpResponse res;
            res.body = processCall(*methods, body, res.status);
            respond(std::move(res));
        });
        return;
    }
    if (path == "channel/poll" && request.method == "POST") {
        m_channel->handlePoll(std::move(request), std::move(respond));
        return;
    }
    if (path == "channel/leave" && request.method == "POST") {
        m_channel->handleLeave(std::move(request), std::move(respond));
        return;
    }
    if (path == "admin/broadcast" && request.method == "POST") {
        m_channel->handleAdminBroadcast(std::move(request), std::move(respond));
        return;
    }
    if (path == "admin/channel" && request.method == "GET") {
        m_channel->handleAdminStatus(std::move(request), std::move(respond));
        return;
    }
    HttpResponse res;
    res.status = 404;
    res.body = errorReply(QStringLiteral("EVexorProtocolError"), QStringLiteral("Bilinmeyen adres"));
    respond(std::move(res));
}

} // namespace vexor
