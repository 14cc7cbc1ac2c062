#include "channel.h"

#include "settings.h"

#include "server/connection.h"
#include "server/errors.h"
#include "server/jsonwriter.h"

#include <boost/asio/ip/address.hpp>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vexor {

using Clock = std::chrono::steady_clock;

struct NotificationChannel::Note
{
    std::uint64_t id = 0;
    QString channel;
    QJsonValue argument;
    std::string argumentJson;
    QDateTime sentAt;
    int deliveries = 0;
    int replyCount = 0;
    std::deque<Reply> replies;
};

struct NotificationChannel::PollEnvelope
{
    struct Answered
    {
        std::uint64_t id = 0;
        QString callback;
        QJsonValue reply;
        QString error; // set instead of a reply when the callback failed on the client
    };
    QString channel;
    QString manager;
    QString client;
    QStringList callbacks;
    std::vector<Answered> replies;
};

namespace {

std::string compactJson(const QJsonValue &value)
{
    // QJsonDocument writes arrays and objects only; a one-element array carries any value.
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return std::string(text.constData() + 1, std::size_t(text.size() - 2));
}

std::optional<QJsonValue> parseJsonValue(std::string_view text)
{
    QByteArray wrapped;
    wrapped.reserve(qsizetype(text.size()) + 2);
    wrapped.append('[');
    wrapped.append(text.data(), qsizetype(text.size()));
    wrapped.append(']');
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1)
        return std::nullopt;
    return doc.array().at(0);
}

HttpResponse errorResponse(int status, const char *className, const QString &message)
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
    HttpResponse res;
    res.status = status;
    res.body = w.take();
    return res;
}

HttpResponse emptyListResponse()
{
    HttpResponse res;
    res.body = "{\"notifications\":[]}";
    return res;
}

HttpResponse forbiddenResponse()
{
    return errorResponse(403, "EVexorAccessDenied",
                         QStringLiteral("Yönetim işlemleri yalnızca sunucunun kendi makinesinden yapılabilir"));
}

bool validName(const QJsonValue &value, std::size_t maxLength, bool mayBeEmpty)
{
    if (!value.isString())
        return false;
    const qsizetype length = value.toString().size();
    return (mayBeEmpty || length > 0) && std::size_t(length) <= maxLength;
}


QString isoTime(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

// Reads the poll and leave envelope. Strict: a client that sends something else has a fault
// that should show at once rather than as missing notifications.
std::optional<NotificationChannel::PollEnvelope> NotificationChannel::parseEnvelope(
    std::string_view body, const ChannelOptions &options, bool needsCallbacks, QString &problem)
{
    using Envelope = PollEnvelope;
    const std::optional<QJsonValue> parsed = parseJsonValue(body);
    if (!parsed || !parsed->isObject()) {
        problem = QStringLiteral("Geçersiz kanal isteği: JSON nesnesi bekleniyordu");
        return std::nullopt;
    }
    const QJsonObject o = parsed->toObject();
    const auto limit = QString::number(options.maxNameLength);
    if (!validName(o.value(QStringLiteral("channel")), options.maxNameLength, false)) {
        problem = QStringLiteral("Geçersiz kanal isteği: \"channel\" en çok %1 karakterlik boş olmayan bir metin olmalı").arg(limit);
        return std::nullopt;
    }
    if (!validName(o.value(QStringLiteral("client")), options.maxNameLength, false)) {
        problem = QStringLiteral("Geçersiz kanal isteği: \"client\" en çok %1 karakterlik boş olmayan bir metin olmalı").arg(limit);
        return std::nullopt;
    }
    const QJsonValue manager = o.value(QStringLiteral("manager"));
    if (!manager.isUndefined() && !validName(manager, options.maxNameLength, true)) {
        problem = QStringLiteral("Geçersiz kanal isteği: \"manager\" en çok %1 karakterlik bir metin olmalı").arg(limit);
        return std::nullopt;
    }
    Envelope e;
    e.channel = o.value(QStringLiteral("channel")).toString();
    e.client = o.value(QStringLiteral("client")).toString();
    e.manager = manager.toString();

    const QJsonValue callbacks = o.value(QStringLiteral("callbacks"));
    if (needsCallbacks || !callbacks.isUndefined()) {
        if (!callbacks.isArray()) {
            problem = QStringLiteral("Geçersiz kanal isteği: \"callbacks\" dizi olmalı");
            return std::nullopt;
        }
        for (const QJsonValue &name : callbacks.toArray()) {
            if (!validName(name, options.maxNameLength, false)) {
                problem = QStringLiteral("Geçersiz kanal isteği: geri çağırma adları en çok %1 karakterlik boş olmayan metinler olmalı").arg(limit);
                return std::nullopt;
            }
            if (!e.callbacks.contains(name.toString()))
                e.callbacks.append(name.toString());
        }
        if (std::size_t(e.callbacks.size()) > options.maxCallbacksPerClient) {
            problem = QStringLiteral("Geçersiz kanal isteği: en çok %1 geri çağırma kaydedilebilir").arg(options.maxCallbacksPerClient);
            return std::nullopt;
        }
    }

    const QJsonValue replies = o.value(QStringLiteral("replies"));
    if (!replies.isUndefined()) {
        if (!replies.isArray()) {
            problem = QStringLiteral("Geçersiz kanal isteği: \"replies\" dizi olmalı");
            return std::nullopt;
        }
        for (const QJsonValue &item : replies.toArray()) {
            const QJsonObject r = item.toObject();
            const QJsonValue id = r.value(QStringLiteral("id"));
            const double number = id.toDouble(-1);
            const bool integral = id.isDouble() && number >= 1 && number <= 9007199254740992.0 && std::floor(number) == number;
            const QJsonValue error = r.value(QStringLiteral("error"));
            const bool hasReply = r.contains(QStringLiteral("reply"));
            if (!item.isObject() || !integral || !validName(r.value(QStringLiteral("callback")), options.maxNameLength, false)
                || hasReply == !error.isUndefined() || (!error.isUndefined() && error.toString().isEmpty())) {
                problem = QStringLiteral("Geçersiz kanal isteği: her yanıt {\"id\": sayı, \"callback\": metin, \"reply\": değer} "
                                         "ya da \"reply\" yerine \"error\": metin olmalı");
                return std::nullopt;
            }
            e.replies.push_back({std::uint64_t(number), r.value(QStringLiteral("callback")).toString(),
                                 r.value(QStringLiteral("reply")), error.toString()});
        }
    }
    return e;
}

NotificationChannel::NotificationChannel(ChannelOptions options)
    : m_options(std::move(options))
{
}

NotificationChannel::~NotificationChannel()
{
    stop();
}

void NotificationChannel::start()
{
    std::lock_guard lock(m_lock);
    if (m_running)
        return;
    m_running = true;
    m_timer = std::thread([this] { run(); });
}

void NotificationChannel::stop()
{
    std::vector<Answer> answers;
    {
        std::lock_guard lock(m_lock);
        m_running = false;
        for (auto &[key, client] : m_clients) {
            if (client.held)
                answers.emplace_back(std::exchange(client.held, nullptr),
                                     errorResponse(503, "EVexorChannelError", QStringLiteral("Sunucu kapanıyor")));
        }
        m_deadlines = {};
    }
    m_wake.notify_all();
    if (m_timer.joinable())
        m_timer.join();
    answerAll(answers);
}

void NotificationChannel::answerAll(std::vector<Answer> &answers)
{
    for (auto &[respond, response] : answers)
        respond(std::move(response));
    answers.clear();
}

HttpResponse NotificationChannel::deliveriesResponse(const Client &client)
{
    JsonWriter w;
    w.beginObject();
    w.key("notifications");
    w.beginArray();
    for (const Delivery &d : client.outbox) {
        w.beginObject();
        w.key("id");
        w.value(std::int64_t(d.note->id));
        w.key("callback");
        w.value(d.callback);
        w.key("argument");
        w.raw(d.note->argumentJson);
        w.endObject();
    }
    w.endArray();
    w.endObject();
    HttpResponse res;
    res.body = w.take();
    return res;
}

void NotificationChannel::recordReplies(Client &client, const PollEnvelope &envelope)
{
    for (const PollEnvelope::Answered &answered : envelope.replies) {
        const auto it = std::find_if(client.outbox.begin(), client.outbox.end(), [&](const Delivery &d) {
            return d.note->id == answered.id && d.callback == answered.callback;
        });
        // A reply sent twice (its poll's answer was lost) or for a forgotten delivery.
        if (it == client.outbox.end())
            continue;
        Note &note = *it->note;
        Reply reply;
        reply.client = envelope.client;
        reply.callback = answered.callback;
        reply.error = answered.error;
        reply.receivedAt = QDateTime::currentDateTimeUtc();
        if (answered.error.isEmpty()) {
            std::string json = compactJson(answered.reply);
            reply.bytes = json.size();
            if (json.size() <= m_options.maxReplyBytes)
                reply.json = std::move(json);
        }
        ++note.replyCount;
        note.replies.push_back(std::move(reply));
        while (note.replies.size() > m_options.repliesPerNotification)
            note.replies.pop_front();
        client.outbox.erase(it);
    }
}

NotificationChannel::BroadcastResult NotificationChannel::broadcast(const QJsonValue &argument, const QString &channel)
{
    auto note = std::make_shared<Note>();
    note->channel = channel;
    // An absent argument travels as null; JSON has no "undefined".
    note->argument = argument.isUndefined() ? QJsonValue(QJsonValue::Null) : argument;
    note->argumentJson = compactJson(note->argument);
    note->sentAt = QDateTime::currentDateTimeUtc();

    std::vector<Answer> answers;
    BroadcastResult result;
    {
        std::lock_guard lock(m_lock);
        note->id = ++m_lastId;
        const auto now = Clock::now();
        for (auto it = m_clients.lower_bound({channel, QString()}); it != m_clients.end() && it->first.first == channel; ++it) {
            Client &client = it->second;
            for (const QString &callback : std::as_const(client.callbacks)) {
                if (client.outbox.size() >= m_options.maxPendingPerClient) {
                    qWarning("vexor-server: client %s of channel %s acknowledges nothing; notification %llu dropped for it",
                             qPrintable(it->first.second), qPrintable(channel),
                             static_cast<unsigned long long>(client.outbox.front().note->id));
                    client.outbox.pop_front();
                }
                client.outbox.push_back({note, callback});
                ++note->deliveries;
            }
            if (client.held && !client.outbox.empty()) {
                answers.emplace_back(std::exchange(client.held, nullptr), deliveriesResponse(client));
                client.lastSeen = now;
            }
        }
        result = {note->id, note->deliveries};
        m_history.push_back(std::move(note));
        while (m_history.size() > m_options.historySize)
            m_history.pop_front();
    }
    answerAll(answers);
    return result;
}

void NotificationChannel::handlePoll(HttpRequest &&request, HttpResponder respond)
{
    QString problem;
    const std::optional<PollEnvelope> envelope = parseEnvelope(request.body, m_options, true, problem);
    if (!envelope) {
        respond(errorResponse(400, "EVexorProtocolError", problem));
        return;
    }
    const Key key{envelope->channel, envelope->client};
    std::vector<Answer> answers;
    {
        std::lock_guard lock(m_lock);
        auto it = m_clients.find(key);
        if (!m_running) {
            answers.emplace_back(std::move(respond), errorResponse(503, "EVexorChannelError", QStringLiteral("Sunucu kapanıyor")));
        } else if (m_departed.contains(key)) {
            answers.emplace_back(std::move(respond),
                                 errorResponse(410, "EVexorChannelError", QStringLiteral("İstemci kanaldan ayrıldı")));
        } else if (it == m_clients.end() && m_clients.size() >= m_options.maxClients) {
            answers.emplace_back(std::move(respond),
                                 errorResponse(503, "EVexorChannelError", QStringLiteral("Bildirim kanalı dolu")));
        } else {
            if (it == m_clients.end())
                it = m_clients.emplace(key, Client{}).first;
            Client &client = it->second;
            const auto now = Clock::now();
            client.manager = envelope->manager;
            client.callbacks = envelope->callbacks;
            client.lastSeen = now;
            recordReplies(client, *envelope);
            std::erase_if(client.outbox, [&](const Delivery &d) { return !client.callbacks.contains(d.callback); });
            // A second poll of the same client: the first one's connection is usually gone
            // (the client timed out or reconnected). Its answer tells a live one it lost.
            if (client.held)
                answers.emplace_back(std::exchange(client.held, nullptr),
                                     errorResponse(409, "EVexorChannelError",
                                                   QStringLiteral("Bu istemcinin daha yeni bir bekleyen isteği var")));
            if (!client.outbox.empty()) {
                answers.emplace_back(std::move(respond), deliveriesResponse(client));
            } else {
                client.held = std::move(respond);
                ++client.holdSerial;
                client.holdUntil = now + m_options.holdTime;
                m_deadlines.push({client.holdUntil, key, client.holdSerial});
                if (m_deadlines.size() > 2 * m_clients.size() + 1024)
                    dropStaleDeadlines();
                m_wake.notify_one();
            }
        }
    }
    answerAll(answers);
}

void NotificationChannel::handleLeave(HttpRequest &&request, HttpResponder respond)
{
    QString problem;
    const std::optional<PollEnvelope> envelope = parseEnvelope(request.body, m_options, false, problem);
    if (!envelope) {
        respond(errorResponse(400, "EVexorProtocolError", problem));
        return;
    }
    const Key key{envelope->channel, envelope->client};
    std::vector<Answer> answers;
    {
        std::lock_guard lock(m_lock);
        const auto it = m_clients.find(key);
        if (it != m_clients.end()) {
            recordReplies(it->second, *envelope);
            if (it->second.held)
                answers.emplace_back(std::exchange(it->second.held, nullptr),
                                     errorResponse(410, "EVexorChannelError", QStringLiteral("İstemci kanaldan ayrıldı")));
            m_clients.erase(it);
        }
        // The leave may overtake the client's last poll; remember it long enough to refuse that one.
        if (m_departed.size() < m_options.maxClients)
            m_departed[key] = Clock::now() + m_options.forgetAfter;
    }
    answerAll(answers);
    HttpResponse res;
    res.body = "{\"left\":true}";
    respond(std::move(res));
}

void NotificationChannel::handleAdminBroadcast(HttpRequest &&request, HttpResponder respond)
{
    if (!isLoopbackAddress(request.remoteAddress)) {
        respond(forbiddenResponse());
        return;
    }
    const std::optional<QJsonValue> body = parseJsonValue(request.body);
    const QJsonObject o = body ? body->toObject() : QJsonObject();
    const QJsonValue channel = o.value(QStringLiteral("channel"));
    if (!body || !body->isObject() || (!channel.isUndefined() && !validName(channel, m_options.maxNameLength, false))) {
        respond(errorResponse(400, "EVexorProtocolError",
                              QStringLiteral("Geçersiz yayın isteği: {\"argument\": değer, \"channel\": metin} bekleniyordu")));
        return;
    }
    const QString channelName = channel.isUndefined() ? kDefaultChannelName : channel.toString();
    const BroadcastResult result = broadcast(o.value(QStringLiteral("argument")), channelName);
    JsonWriter w;
    w.beginObject();
    w.key("id");
    w.value(std::int64_t(result.id));
    w.key("channel");
    w.value(channelName);
    w.key("deliveries");
    w.value(result.deliveries);
    w.endObject();
    HttpResponse res;
    res.body = w.take();
    respond(std::move(res));
}

void NotificationChannel::handleAdminStatus(HttpRequest &&request, HttpResponder respond)
{
    if (!isLoopbackAddress(request.remoteAddress)) {
        respond(forbiddenResponse());
        return;
    }
    const std::vector<ClientInfo> clientList = clients();
    const std::vector<Notification> notes = recentNotifications();
    JsonWriter w;
    w.beginObject();
    w.key("clients");
    w.beginArray();
    for (const ClientInfo &c : clientList) {
        w.beginObject();
        w.key("channel");
        w.value(c.channel);
        w.key("manager");
        w.value(c.manager);
        w.key("client");
        w.value(c.client);
        w.key("callbacks");
        w.beginArray();
        for (const QString &name : c.callbacks)
            w.value(name);
        w.endArray();
        w.key("waiting");
        w.value(c.waiting);
        w.key("pending");
        w.value(std::int64_t(c.pending));
        w.endObject();
    }
    w.endArray();
    w.key("notifications");
    w.beginArray();
    for (const Notification &n : notes) {
        w.beginObject();
        w.key("id");
        w.value(std::int64_t(n.id));
        w.key("channel");
        w.value(n.channel);
        w.key("sentAt");
        w.value(isoTime(n.sentAt));
        w.key("argument");
        w.raw(compactJson(n.argument));
        w.key("deliveries");
        w.value(n.deliveries);
        w.key("replyCount");
        w.value(n.replyCount);
        w.key("replies");
        w.beginArray();
        for (const Reply &r : n.replies) {
            w.beginObject();
            w.key("client");
            w.value(r.client);
            w.key("callback");
            w.value(r.callback);
            w.key("receivedAt");
            w.value(isoTime(r.receivedAt));
            if (!r.error.isEmpty()) {
                w.key("error");
                w.value(r.error);
            } else {
                w.key("reply");
                r.json.empty() ? w.null() : w.raw(r.json);
                w.key("bytes");
                w.value(std::int64_t(r.bytes));
            }
            w.endObject();
        }
        w.endArray();
        w.endObject();
    }
    w.endArray();
    w.endObject();
    HttpResponse res;
    res.body = w.take();
    respond(std::move(res));
}

NotificationChannel::Notification NotificationChannel::snapshot(const Note &note) const
{
    Notification n;
    n.id = note.id;
    n.channel = note.channel;
    n.argument = note.argument;
    n.sentAt = note.sentAt;
    n.deliveries = note.deliveries;
    n.replyCount = note.replyCount;
    n.replies.assign(note.replies.begin(), note.replies.end());
    return n;
}

std::vector<NotificationChannel::Notification> NotificationChannel::recentNotifications() const
{
    std::lock_guard lock(m_lock);
    std::vector<Notification> result;
    result.reserve(m_history.size());
    for (const auto &note : m_history)
        result.push_back(snapshot(*note));
    return result;
}

std::optional<NotificationChannel::Notification> NotificationChannel::notification(std::uint64_t id) const
{
    std::lock_guard lock(m_lock);
    for (const auto &note : m_history) {
        if (note->id == id)
            return snapshot(*note);
    }
    return std::nullopt;
}

std::vector<NotificationChannel::ClientInfo> NotificationChannel::clients() const
{
    std::lock_guard lock(m_lock);
    std::vector<ClientInfo> result;
    result.reserve(m_clients.size());
    for (const auto &[key, c] : m_clients)
        result.push_back({key.first, c.manager, key.second, c.callbacks, bool(c.held), c.outbox.size()});
    return result;
}

// Deadlines of polls answered early stay in the queue until they come due; a client that
// polls far faster than the hold time would let them pile up.
void NotificationChannel::dropStaleDeadlines()
{
    std::vector<Deadline> live;
    for (const auto &[key, client] : m_clients) {
        if (client.held)
            live.push_back({client.holdUntil, key, client.holdSerial});
    }
    m_deadlines = decltype(m_deadlines)(std::greater<Deadline>(), std::move(live));
}

void NotificationChannel::run()
{
    using namespace std::chrono_literals;
    const auto sweepEvery = std::clamp<Clock::duration>(m_options.forgetAfter / 4, 10ms, 5s);
    std::unique_lock lock(m_lock);
    auto nextSweep = Clock::now() + sweepEvery;
    std::vector<Answer> answers;
    while (m_running) {
        const auto now = Clock::now();
        while (!m_deadlines.empty() && m_deadlines.top().at <= now) {
            const Deadline due = m_deadlines.top();
            m_deadlines.pop();
            const auto it = m_clients.find(due.key);
            // Polls answered early leave their deadline behind; the serial tells them apart.
            if (it != m_clients.end() && it->second.held && it->second.holdSerial == due.serial) {
                answers.emplace_back(std::exchange(it->second.held, nullptr), emptyListResponse());
                it->second.lastSeen = now;
            }
        }
        if (now >= nextSweep) {
            std::erase_if(m_clients, [&](const auto &entry) {
                return !entry.second.held && now - entry.second.lastSeen > m_options.forgetAfter;
            });
            std::erase_if(m_departed, [&](const auto &entry) { return entry.second <= now; });
            nextSweep = now + sweepEvery;
        }
        if (!answers.empty()) {
            lock.unlock();
            answerAll(answers);
            lock.lock();
            continue;
        }
        auto wakeAt = nextSweep;
        if (!m_deadlines.empty())
            wakeAt = std::min(wakeAt, m_deadlines.top().at);
        m_wake.wait_until(lock, wakeAt);
    }
}

bool NotificationChannel::isLoopbackAddress(std::string_view address)
{
    namespace ip = boost::asio::ip;
    boost::system::error_code ec;
    const ip::address parsed = ip::make_address(std::string(address), ec);
    if (ec)
        return false;
    if (parsed.is_v6() && parsed.to_v6().is_v4_mapped())
        return ip::make_address_v4(ip::v4_mapped, parsed.to_v6()).is_loopback();
    return parsed.is_loopback();
}

int runBroadcastCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends a notification to every client of a running vexor-server."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("broadcast"), QStringLiteral("The command."));
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("Settings file (default: vexor-server.ini beside the program)."), QStringLiteral("file"));
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("Address of the server (default: its settings, loopback)."), QStringLiteral("address"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port of the server (default: its settings)."), QStringLiteral("port"));
    const QCommandLineOption message(QStringLiteral("message"), QStringLiteral("JSON value the clients receive (default {\"yenile\":true})."), QStringLiteral("json"));
    parser.addOptions({config, host, port, message});

    auto fail = [](const QString &text) {
        std::fprintf(stderr, "vexor-server: %s\n", qPrintable(text));
        return 2;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }

    ServerSettings settings;
    try {
        const QString configPath = parser.isSet(config)
            ? parser.value(config)
            : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vexor-server.ini"));
        settings = ServerSettings::fromFile(configPath);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    QString address = parser.isSet(host) ? parser.value(host) : settings.host;
    // A server listening on every address is reached, and admits admin calls, on loopback.
    if (address == QLatin1String("0.0.0.0"))
        address = QStringLiteral("127.0.0.1");
    else if (address == QLatin1String("::"))
        address = QStringLiteral("::1");
    int portNumber = settings.port;
    if (parser.isSet(port)) {
        bool ok = false;
        portNumber = parser.value(port).toInt(&ok);
        if (!ok)
            portNumber = 0;
    }
    if (portNumber < 1 || portNumber > 65535)
        return fail(QStringLiteral("--port takes a number from 1 to 65535"));

    QJsonValue argument = QJsonObject{{QStringLiteral("yenile"), true}};
    if (parser.isSet(message)) {
        const QByteArray text = parser.value(message).toUtf8();
        const std::optional<QJsonValue> parsed = parseJsonValue(std::string_view(text.constData(), std::size_t(text.size())));
        if (!parsed)
            return fail(QStringLiteral("--message is not valid JSON: %1").arg(parser.value(message)));
        argument = *parsed;
    }

    try {
        const NotificationChannel::BroadcastResult result = requestBroadcast(address, portNumber, argument);
        std::printf("vexor-server: notification %llu sent to %d callbacks on channel %s\n",
                    static_cast<unsigned long long>(result.id), result.deliveries, qPrintable(kDefaultChannelName));
        std::fflush(stdout);
        return 0;
    } catch (const VexorError &e) {
        std::fprintf(stderr, "vexor-server: %s\n", qPrintable(e.message()));
        return 1;
    }
}

NotificationChannel::BroadcastResult requestBroadcast(const QString &host, int port, const QJsonValue &argument,
                                                      const QString &channel)
{
    JsonWriter body;
    body.beginObject();
    body.key("channel");
    body.value(channel);
    body.key("argument");
    body.raw(compactJson(argument));
    body.endObject();

    Connection connection;
    connection.HostName = host;
    connection.Port = port;
    connection.ConnectTimeoutMs = 5000;
    connection.ReadTimeoutMs = 15000;
    connection.open();
    const Connection::Reply reply = connection.post("admin/broadcast", body.take());
    const QJsonObject answer = QJsonDocument::fromJson(QByteArray::fromStdString(reply.body)).object();
    if (reply.status != 200) {
        const QJsonObject error = answer.value(QStringLiteral("error")).toObject();
        throw RemoteError(error.value(QStringLiteral("class")).toString(QStringLiteral("EVexorProtocolError")),
                          QStringLiteral("Sunucu yayını reddetti (%1): %2")
                              .arg(reply.status)
                              .arg(error.value(QStringLiteral("message")).toString()));
    }
    const QJsonValue id = answer.value(QStringLiteral("id"));
    if (!id.isDouble())
        throw ProtocolError(QStringLiteral("Sunucunun yayın yanıtı anlaşılamadı"));
    return {std::uint64_t(id.toDouble()), answer.value(QStringLiteral("deliveries")).toInt()};
}

} // namespace vexor
