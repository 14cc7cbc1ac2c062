#include "channelmanager.h"

#include "command.h"
#include "connection.h"
#include "errors.h"
#include "jsonwriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QUuid>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

Q_LOGGING_CATEGORY(lcChannel, "vexor.channel", QtWarningMsg)

namespace vexor {

namespace {

constexpr int kLongestPauseMs = 30000;
// Saying goodbye must not hold up the caller of stop() for long when the server is gone.
constexpr int kLeaveTimeoutMs = 2000;

struct ChannelSettings
{
    QString host;
    int port = 0;
    QString channel;
    QString manager;
    int connectTimeoutMs = 0;
    int readTimeoutMs = 0;
    int pauseMs = 0;
};

struct Incoming
{
    qint64 id = 0;
    QString callback;
    QJsonValue argument;
};

QString newClientId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

void writeJsonValue(JsonWriter &w, const QJsonValue &value)
{
    // QJsonDocument writes arrays and objects only; a one-element array carries any value.
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    w.raw(std::string_view(text.constData() + 1, std::size_t(text.size() - 2)));
}

void writeIdentity(JsonWriter &w, const ChannelSettings &s, const QString &client)
{
    w.key("channel");
    w.value(s.channel);
    w.key("manager");
    w.value(s.manager);
    w.key("client");
    w.value(client);
}

std::string pollBody(const ChannelSettings &s, const QString &client,
                     const std::vector<std::shared_ptr<RemoteCallback>> &callbacks, const std::vector<std::string> &replies)
{
    JsonWriter w;
    w.beginObject();
    writeIdentity(w, s, client);
    w.key("callbacks");
    w.beginArray();
    for (const auto &callback : callbacks)
        w.value(callback->callbackId());
    w.endArray();
    w.key("replies");
    w.beginArray();
    for (const std::string &reply : replies)
        w.raw(reply);
    w.endArray();
    w.endObject();
    return w.take();
}

std::vector<Incoming> parseNotifications(const std::string &body)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(body.data(), qsizetype(body.size())), &error);
    const QJsonValue list = doc.object().value(QStringLiteral("notifications"));
    if (error.error != QJsonParseError::NoError || !list.isArray())
        throw ProtocolError(QStringLiteral("Bildirim kanalının yanıtı anlaşılamadı"));
    std::vector<Incoming> result;
    for (const QJsonValue &item : list.toArray()) {
        const QJsonObject o = item.toObject();
        const QJsonValue id = o.value(QStringLiteral("id"));
        const QJsonValue callback = o.value(QStringLiteral("callback"));
        if (!id.isDouble() || !callback.isString())
            throw ProtocolError(QStringLiteral("Bildirim kanalının yanıtında geçersiz bildirim"));
        result.push_back({qint64(id.toDouble()), callback.toString(), o.value(QStringLiteral("argument"))});
    }
    return result;
}

// Runs the notification's callback and writes the reply the server receives with the next poll.
std::string execute(const std::vector<std::shared_ptr<RemoteCallback>> &callbacks, const Incoming &n)
{
    QString failure;
    QJsonValue answer;
    const auto it = std::find_if(callbacks.begin(), callbacks.end(),
                                 [&](const auto &c) { return c->callbackId() == n.callback; });
    if (it == callbacks.end()) {
        failure = QStringLiteral("'%1' adında kayıtlı geri çağırma yok").arg(n.callback);
    } else {
        try {
            answer = (*it)->Execute(n.argument);
        } catch (const VexorError &e) {
            failure = e.message();
        } catch (const std::exception &e) {
            failure = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failure = QStringLiteral("bilinmeyen hata");
        }
    }
    JsonWriter w;
    w.beginObject();
    w.key("id");
    w.value(std::int64_t(n.id));
    w.key("callback");
    w.value(n.callback);
    if (failure.isEmpty()) {
        w.key("reply");
        writeJsonValue(w, answer);
    } else {
        w.key("error");
        w.value(failure);
    }
    w.endObject();
    return w.take();
}

} // namespace

struct ChannelManager::State
{
    std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::vector<std::shared_ptr<RemoteCallback>> callbacks;
    QString clientId;
    ChannelSettings settings;
    std::thread thread;

    // Waits for the pause; true when stop() asked to end meanwhile.
    bool pause(std::chrono::milliseconds length)
    {
        std::unique_lock guard(lock);
        return wake.wait_for(guard, length, [this] { return stopping; });
    }

    static void run(const std::shared_ptr<State> &self);
};

void ChannelManager::State::run(const std::shared_ptr<State> &self)
{
    const ChannelSettings s = self->settings;
    Connection connection;
    connection.HostName = s.host;
    connection.Port = s.port;
    connection.ConnectTimeoutMs = s.connectTimeoutMs;
    connection.ReadTimeoutMs = s.readTimeoutMs;
    // Answers to the last notifications; kept until a poll carrying them has been answered.
    std::vector<std::string> replies;
    int pauseMs = s.pauseMs;
    for (;;) {
        std::vector<std::shared_ptr<RemoteCallback>> callbacks;
        QString client;
        {
            std::lock_guard guard(self->lock);
            if (self->stopping)
                break;
            callbacks = self->callbacks;
            client = self->clientId;
        }
        try {
            connection.open();
            const Connection::Reply reply = connection.post("channel/poll", pollBody(s, client, callbacks, replies));
            if (reply.status == 410) {
                // The server counts this id as gone. Only our own stop() says goodbye for it;
                // should anything else have done so, carry on under a new id.
                replies.clear();
                std::lock_guard guard(self->lock);
                if (self->stopping)
                    break;
                self->clientId = newClientId();
                continue;
            }
            if (reply.status != 200) {
                const QJsonObject error = QJsonDocument::fromJson(QByteArray::fromStdString(reply.body))
                                              .object().value(QStringLiteral("error")).toObject();
                throw RemoteError(error.value(QStringLiteral("class")).toString(),
                                  error.value(QStringLiteral("message")).toString());
            }
            const std::vector<Incoming> notes = parseNotifications(reply.body);
            replies.clear();
            pauseMs = s.pauseMs;
            for (const Incoming &n : notes) {
                {
                    std::lock_guard guard(self->lock);
                    if (self->stopping)
                        break;
                }
                replies.push_back(execute(callbacks, n));
            }
        } catch (const std::exception &e) {
            connection.close();
            qCInfo(lcChannel, "notification channel %s:%d: %s; trying again in %d ms", qPrintable(s.host), s.port,
                   e.what(), pauseMs);
            if (self->pause(std::chrono::milliseconds(pauseMs)))
                break;
            pauseMs = std::min(pauseMs * 2, std::max(kLongestPauseMs, s.pauseMs));
        }
    }
    connection.close();
}

ChannelManager::ChannelManager()
    : d(std::make_shared<State>())
{
}

ChannelManager::~ChannelManager()
{
    stop();
}

void ChannelManager::registerCallback(std::shared_ptr<RemoteCallback> callback)
{
    if (!callback || callback->callbackId().isEmpty())
        throw InvalidOperation(QStringLiteral("Geri çağırma nesnesi ya da adı yok"));
    std::lock_guard guard(d->lock);
    const QString id = callback->callbackId();
    const auto same = std::find_if(d->callbacks.begin(), d->callbacks.end(),
                                   [&](const auto &c) { return c->callbackId() == id; });
    if (same != d->callbacks.end())
        *same = std::move(callback);
    else
        d->callbacks.push_back(std::move(callback));
    if (d->thread.joinable())
        return;
    d->settings = {HostName, Port, ChannelName, ManagerId, ConnectTimeoutMs, ReadTimeoutMs, std::max(1, ReconnectPauseMs)};
    d->clientId = newClientId();
    d->stopping = false;
    d->thread = std::thread(&State::run, d);
}

void ChannelManager::stop()
{
    std::thread thread;
    QString client;
    ChannelSettings s;
    {
        std::lock_guard guard(d->lock);
        if (!d->thread.joinable())
            return;
        d->stopping = true;
        thread = std::move(d->thread);
        client = d->clientId;
        s = d->settings;
    }
    d->wake.notify_all();

    // The goodbye releases the poll the server holds for us, so the thread returns at once.
    Connection leave;
    leave.HostName = s.host;
    leave.Port = s.port;
    leave.ConnectTimeoutMs = std::min(s.connectTimeoutMs, kLeaveTimeoutMs);
    leave.ReadTimeoutMs = kLeaveTimeoutMs;
    try {
        leave.open();
        JsonWriter w;
        w.beginObject();
        writeIdentity(w, s, client);
        w.endObject();
        leave.post("channel/leave", w.take());
    } catch (const VexorError &e) {
        qCInfo(lcChannel, "notification channel: goodbye not delivered: %s", qPrintable(e.message()));
    }
    thread.join();

    std::lock_guard guard(d->lock);
    d->stopping = false;
    d->clientId.clear();
}

bool ChannelManager::isRunning() const
{
    std::lock_guard guard(d->lock);
    return d->thread.joinable();
}

QString ChannelManager::clientId() const
{
    std::lock_guard guard(d->lock);
    return d->clientId;
}

} // namespace vexor
