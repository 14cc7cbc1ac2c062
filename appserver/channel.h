#pragma once

#include "httpserver.h"

#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vexor {

inline const QString kDefaultChannelName = QStringLiteral("Morvane");

struct ChannelOptions
{
    // How long a poll is held when nothing is waiting for its client; the client's read
    // time-out (60 s) must stay above it.
    std::chrono::milliseconds holdTime{25000};
    // A client that has not polled for this long is forgotten with whatever waits for it.
    std::chrono::milliseconds forgetAfter{std::chrono::minutes(3)};
    std::size_t maxClients = 20000;
    std::size_t maxCallbacksPerClient = 16;
    std::size_t maxNameLength = 128;
    // Deliveries kept per client until it acknowledges them; the oldest go first.
    std::size_t maxPendingPerClient = 256;
    // Recent notifications kept with their replies for the administrator.
    std::size_t historySize = 50;
    std::size_t repliesPerNotification = 200;
    std::size_t maxReplyBytes = 16 * 1024;
};

// The server side of the notification channel: clients long-poll, a broadcast is delivered
// once to every callback registered at that moment, and the callbacks' answers come back with
// the next poll. A waiting poll holds no thread, only its responder; one timer thread answers
// polls whose hold ran out and forgets clients that stopped polling.
//
// A delivery stays with its client until a reply for it arrives, so one written into a
// connection that had already died is sent again when the client returns.
class NotificationChannel
{
public:
    struct Reply
    {
        QString client;
        QString callback;
        std::string json;  // the answer as compact JSON; empty when the callback failed or it was too large
        QString error;     // the client's report when the callback failed
        std::size_t bytes = 0;
        QDateTime receivedAt;
    };

    struct Notification
    {
        std::uint64_t id = 0;
        QString channel;
        QJsonValue argument;
        QDateTime sentAt;
        int deliveries = 0;
        int replyCount = 0;
        std::vector<Reply> replies; // the latest ones, oldest first
    };

    struct ClientInfo
    {
        QString channel;
        QString manager;
        QString client;
        QStringList callbacks;
        bool waiting = false;   // a poll is held
        std::size_t pending = 0; // deliveries not yet acknowledged
    };

    struct BroadcastResult
    {
        std::uint64_t id = 0;
        int deliveries = 0;
    };

    explicit NotificationChannel(ChannelOptions options = {});
    ~NotificationChannel();
    NotificationChannel(const NotificationChannel &) = delete;
    NotificationChannel &operator=(const NotificationChannel &) = delete;

    const ChannelOptions &options() const { return m_options; }

    // Starts the timer thread. After stop() every waiting poll has been answered and no
    // responder is kept, so the HTTP server may go; polls that arrive later are refused.
    void start();
    void stop();

    BroadcastResult broadcast(const QJsonValue &argument, const QString &channel = kDefaultChannelName);

    // POST <context>channel/poll and channel/leave.
    void handlePoll(HttpRequest &&request, HttpResponder respond);
    void handleLeave(HttpRequest &&request, HttpResponder respond);
    // POST <context>admin/broadcast and GET <context>admin/channel; loopback callers only.
    void handleAdminBroadcast(HttpRequest &&request, HttpResponder respond);
    void handleAdminStatus(HttpRequest &&request, HttpResponder respond);

    std::vector<Notification> recentNotifications() const;
    std::optional<Notification> notification(std::uint64_t id) const;
    std::vector<ClientInfo> clients() const;

    // 127.0.0.0/8, ::1 and their IPv4-mapped form.
    static bool isLoopbackAddress(std::string_view address);

private:
    using Key = std::pair<QString, QString>; // channel, client
    struct Note;
    struct Delivery
    {
        std::shared_ptr<Note> note;
        QString callback;
    };
    struct Client
    {
        QString manager;
        QStringList callbacks;
        std::deque<Delivery> outbox;
        HttpResponder held;
        std::uint64_t holdSerial = 0;
        std::chrono::steady_clock::time_point holdUntil;
        std::chrono::steady_clock::time_point lastSeen;
    };
    struct Deadline
    {
        std::chrono::steady_clock::time_point at;
        Key key;
        std::uint64_t serial;
        bool operator>(const Deadline &other) const { return at > other.at; }
    };
    struct PollEnvelope;
    using Answer = std::pair<HttpResponder, HttpResponse>;

    static std::optional<PollEnvelope> parseEnvelope(std::string_view body, const ChannelOptions &options,
                                                     bool needsCallbacks, QString &problem);
    void run();
    void dropStaleDeadlines();
    void recordReplies(Client &client, const PollEnvelope &envelope);
    static HttpResponse deliveriesResponse(const Client &client);
    static void answerAll(std::vector<Answer> &answers);
    Notification snapshot(const Note &note) const;

    const ChannelOptions m_options;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_running = false;
    std::thread m_timer;
    std::map<Key, Client> m_clients;
    // Clients that said goodbye: a poll of theirs still on the way must not bring them back.
    std::map<Key, std::chrono::steady_clock::time_point> m_departed;
    std::priority_queue<Deadline, std::vector<Deadline>, std::greater<Deadline>> m_deadlines;
    std::deque<std::shared_ptr<Note>> m_history;
    std::uint64_t m_lastId = 0;
};

// Asks the server at host:port to broadcast, through its admin endpoint (so from the server's
// own machine only); for commands that change data in another process. Throws VexorError
// (ConnectionError, RemoteError with the server's class and message) when it cannot.
NotificationChannel::BroadcastResult requestBroadcast(const QString &host, int port, const QJsonValue &argument,
                                                      const QString &channel = kDefaultChannelName);

// `vexor-server broadcast [--config FILE] [--host H] [--port N] [--message JSON]`: posts the
// message to a running server's admin endpoint and prints what became of it. Returns the
// process exit code.
int runBroadcastCommand(const QStringList &arguments);

} // namespace vexor
