#pragma once

#include <QString>

#include <memory>

namespace vexor {

class RemoteCallback;

// The client end of the server's notification channel. The first registered callback starts
// a thread of its own with its own connection; it long-polls the server, runs each
// notification's callback (`Execute`) on that thread and sends the answers with its next
// poll. When the server is away it tries again after a pause that grows to 30 s.
//
// Settings are taken when the thread starts; change them before the first registration.
// Registration and stop() belong to the owner's thread.
class ChannelManager
{
public:
    ChannelManager();
    ~ChannelManager(); // stop()
    ChannelManager(const ChannelManager &) = delete;
    ChannelManager &operator=(const ChannelManager &) = delete;

    QString HostName = QStringLiteral("127.0.0.1");
    int Port = 9090;
    QString ChannelName = QStringLiteral("Morvane");
    QString ManagerId = QStringLiteral("MorvaneId");
    int ConnectTimeoutMs = 5000;
    // Above the server's longest hold of a poll (25 s), so a quiet channel is not a failure.
    int ReadTimeoutMs = 60000;
    // First pause after a failure; it doubles with every further failure, up to 30 s.
    int ReconnectPauseMs = 1000;

    // Registers the callback under its id (one with the same id is replaced). The server
    // learns of it with the next poll; the first registration starts the channel.
    void registerCallback(std::shared_ptr<RemoteCallback> callback);

    // Tells the server goodbye and ends the thread. Returns as soon as the thread has
    // ended: at once when the server answers, at the latest after the read time-out.
    // A later registration starts the channel again under a new client id.
    void stop();

    bool isRunning() const;
    // The id under which the server knows this manager; new for every start.
    QString clientId() const;

private:
    struct State;
    std::shared_ptr<State> d;
};

} // namespace vexor
