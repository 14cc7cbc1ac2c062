#pragma once

#include "channel.h"
#include "httpserver.h"
#include "settings.h"

#include <QThreadPool>

#include <memory>
#include <string>
#include <string_view>

namespace vexor {

class TServerMethods1Skeleton;

// vexor-server's protocol endpoint: the greeting and the remote-method calls under the context
// path. Calls run on a worker pool so the network threads never wait on a method.
class AppServer
{
public:
    AppServer(ServerSettings settings, std::shared_ptr<TServerMethods1Skeleton> methods,
              ChannelOptions channelOptions = {});
    ~AppServer();

    void start();
    void stop();
    std::uint16_t port() const;

    // The notification channel on the same port; the data layer broadcasts through it after
    // an administrative change.
    NotificationChannel &channel() { return *m_channel; }

    // One call from its request body to its reply body; every failure becomes an error reply.
    static std::string processCall(TServerMethods1Skeleton &methods, std::string_view body, int &httpStatus);

    static constexpr std::string_view kContextPath = "/datasnap/";

private:
    void handle(HttpRequest &&request, HttpResponder respond);

    ServerSettings m_settings;
    std::shared_ptr<TServerMethods1Skeleton> m_methods;
    QThreadPool m_workers;
    std::unique_ptr<NotificationChannel> m_channel;
    std::unique_ptr<HttpServer> m_http;
};

} // namespace vexor
