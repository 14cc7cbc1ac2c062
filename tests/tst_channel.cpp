// The notification channel: long polls against a real vexor-server endpoint on an OS-picked
// loopback port, the administrator's broadcast, and the client's ChannelManager.
#include "appserver.h"
#include "channel.h"

#include "server/channelmanager.h"
#include "server/command.h"
#include "server/connection.h"
#include "server/errors.h"
#include "servermethods_skeleton.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

using namespace vexor;
using namespace std::chrono_literals;

namespace {

struct Delivered
{
    qint64 id = 0;
    QString callback;
    QJsonValue argument;
};

struct PollAnswer
{
    int status = 0;
    QList<Delivered> notifications;
    QString errorClass;
};

// One client of the channel speaking the wire protocol by hand, on its own connection.
class Poller
{
public:
    Poller(quint16 port, QString client, QStringList callbacks, QString channel = kDefaultChannelName)
        : m_client(std::move(client))
        , m_callbacks(std::move(callbacks))
        , m_channel(std::move(channel))
    {
        m_connection.HostName = QStringLiteral("127.0.0.1");
        m_connection.Port = port;
    }

    static QByteArray envelope(const QString &channel, const QString &client, const QStringList &callbacks,
                               const QJsonArray &replies)
    {
        const QJsonObject o{{QStringLiteral("channel"), channel},
                            {QStringLiteral("manager"), QStringLiteral("MorvaneId")},
                            {QStringLiteral("client"), client},
                            {QStringLiteral("callbacks"), QJsonArray::fromStringList(callbacks)},
                            {QStringLiteral("replies"), replies}};
        return QJsonDocument(o).toJson(QJsonDocument::Compact);
    }

    PollAnswer poll(const QJsonArray &replies = {})
    {
        if (!m_connection.isOpen())
            m_connection.open();
        const Connection::Reply r = m_connection.post("channel/poll",
                                                      envelope(m_channel, m_client, m_callbacks, replies).toStdString());
        PollAnswer a;
        a.status = r.status;
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object();
        a.errorClass = o.value(QStringLiteral("error")).toObject().value(QStringLiteral("class")).toString();
        for (const QJsonValue &v : o.value(QStringLiteral("notifications")).toArray()) {
            const QJsonObject n = v.toObject();
            a.notifications.append({qint64(n.value(QStringLiteral("id")).toDouble()),
                                    n.value(QStringLiteral("callback")).toString(), n.value(QStringLiteral("argument"))});
        }
        return a;
    }

    static QJsonObject reply(const Delivered &d, const QJsonValue &value)
    {
        return {{QStringLiteral("id"), d.id}, {QStringLiteral("callback"), d.callback}, {QStringLiteral("reply"), value}};
    }

private:
    Connection m_connection;
    QString m_client;
    QStringList m_callbacks;
    QString m_channel;
};

std::unique_ptr<AppServer> startServer(ChannelOptions options, quint16 port = 0)
{
    ServerSettings settings;
    settings.port = port;
    auto server = std::make_unique<AppServer>(settings, std::make_shared<TServerMethods1Skeleton>(), options);
    server->start();
    return server;
}

ChannelOptions shortHold()
{
    ChannelOptions o;
    o.holdTime = 300ms;
    return o;
}

std::optional<NotificationChannel::ClientInfo> clientInfo(const NotificationChannel &channel, const QString &client)
{
    for (const auto &c : channel.clients()) {
        if (c.client == client)
            return c;
    }
    return std::nullopt;
}

bool isWaiting(const NotificationChannel &channel, const QString &client)
{
    const auto c = clientInfo(channel, client);
    return c && c->waiting;
}

// A plain HTTP/1.1 exchange that closes the connection, for requests the Connection class does
// not make (GET of an admin page).
std::pair<int, QByteArray> httpExchange(quint16 port, const QByteArray &method, const QByteArray &path, const QByteArray &body = {})
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return {0, {}};
    socket.write(method + ' ' + path + " HTTP/1.1\r\nHost: test\r\nConnection: close\r\nContent-Type: application/json\r\n"
                 + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray response;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(5000))
        response += socket.readAll();
    response += socket.readAll();
    const qsizetype split = response.indexOf("\r\n\r\n");
    const QList<QByteArray> statusLine = response.left(response.indexOf("\r\n")).split(' ');
    return {statusLine.value(1).toInt(), split < 0 ? QByteArray() : response.mid(split + 4)};
}

class RecordingCallback : public RemoteCallback
{
public:
    RecordingCallback(QString id, QJsonValue answer, bool fails = false)
        : m_id(std::move(id))
        , m_answer(std::move(answer))
        , m_fails(fails)
    {
    }
    QString callbackId() const override { return m_id; }
    QJsonValue Execute(const QJsonValue &argument) override
    {
        std::lock_guard guard(m_lock);
        m_arguments.append(argument);
        m_threads.insert(std::this_thread::get_id());
        if (m_fails)
            throw std::runtime_error("yenileme kuyruğa alınamadı");
        return m_answer;
    }
    QJsonArray arguments() const
    {
        std::lock_guard guard(m_lock);
        return m_arguments;
    }
    std::set<std::thread::id> threads() const
    {
        std::lock_guard guard(m_lock);
        return m_threads;
    }

private:
    QString m_id;
    QJsonValue m_answer;
    bool m_fails;
    mutable std::mutex m_lock;
    QJsonArray m_arguments;
    std::set<std::thread::id> m_threads;
};

} // namespace

class TestChannel : public QObject
{
    Q_OBJECT

private slots:
    void broadcastReachesEveryPollerOnce();
    void everyCallbackGetsItsDeliveryAndReplies();
    void quietPollEndsWithEmptyList();
    void pollerThatDroppedGetsWhatItMissed();
    void stalePollIsReleasedWhenClientReturns();
    void forgottenClientRegistersAgain();
    void malformedPollIsRefused_data();
    void malformedPollIsRefused();
    void adminOnlyFromLoopback_data();
    void adminOnlyFromLoopback();
    void adminEndpointsOverHttp();
    void broadcastCommand_data();
    void broadcastCommand();
    void managerRunsCallbacksOnItsThread();
    void managerReconnectsWhenServerComesBack();
    void managerStopsWhileServerIsAway();
};

void TestChannel::broadcastReachesEveryPollerOnce()
{
    constexpr int kPollers = 50;
    auto server = startServer(shortHold());
    NotificationChannel &channel = server->channel();
    const quint16 port = server->port();
    std::vector<QList<Delivered>> received(kPollers);
    std::atomic<int> failures{0};
    std::atomic<bool> abandon{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kPollers; ++i) {
        threads.emplace_back([&, i] {
            Poller poller(port, QStringLiteral("poller-%1").arg(i), {kDefaultChannelName});
            QJsonArray replies;
            // After the delivery, two more polls: the first carries the reply, both must stay empty.
            int pollsAfterDelivery = -1;
            const auto deadline = std::chrono::steady_clock::now() + 30s;
            try {
                while (pollsAfterDelivery < 2 && !abandon && std::chrono::steady_clock::now() < deadline) {
                    const PollAnswer a = poller.poll(std::exchange(replies, {}));
                    if (a.status != 200) {
                        ++failures;
                        return;
                    }
                    for (const Delivered &d : a.notifications) {
                        received[i].append(d);
                        replies.append(Poller::reply(d, QStringLiteral("poller-%1").arg(i)));
                    }
                    if (!received[i].isEmpty())
                        ++pollsAfterDelivery;
                }
            } catch (const std::exception &) {
                ++failures;
            }
        });
    }
    auto joinAll = qScopeGuard([&] {
        abandon = true;
        for (auto &t : threads)
            t.join();
    });
    QTRY_COMPARE_WITH_TIMEOUT(int(channel.clients().size()), kPollers, 20000);

    const QJsonObject argument{{QStringLiteral("konu"), QStringLiteral("banner")}, {QStringLiteral("sira"), 3}};
    const auto sent = channel.broadcast(argument);
    QCOMPARE(sent.deliveries, kPollers);
    for (auto &t : threads)
        t.join();
    threads.clear();

    QCOMPARE(failures.load(), 0);
    for (int i = 0; i < kPollers; ++i) {
        QVERIFY2(received[i].size() == 1, qPrintable(QStringLiteral("poller %1 got %2").arg(i).arg(received[i].size())));
        QCOMPARE(quint64(received[i].front().id), sent.id);
        QCOMPARE(received[i].front().callback, kDefaultChannelName);
        QCOMPARE(received[i].front().argument, QJsonValue(argument));
    }
    const auto note = channel.notification(sent.id);
    QVERIFY(note);
    QCOMPARE(note->replyCount, kPollers);
    QSet<QString> answeredBy;
    for (const auto &r : note->replies) {
        QCOMPARE(QString::fromStdString(r.json), QStringLiteral("\"%1\"").arg(r.client));
        answeredBy.insert(r.client);
    }
    QCOMPARE(answeredBy.size(), kPollers);
    for (const auto &c : channel.clients())
        QCOMPARE(c.pending, std::size_t(0));
}

void TestChannel::everyCallbackGetsItsDeliveryAndReplies()
{
    auto server = startServer(shortHold());
    NotificationChannel &channel = server->channel();
    // The same name twice counts once; a client of another channel hears nothing of this one.
    Poller twoCallbacks(server->port(), QStringLiteral("iki"), {QStringLiteral("Morvane"), QStringLiteral("Ikinci"), QStringLiteral("Morvane")});
    Poller otherChannel(server->port(), QStringLiteral("baska"), {QStringLiteral("Morvane")}, QStringLiteral("Baska"));
    QCOMPARE(twoCallbacks.poll().status, 200); // registers; empty after the hold
    QCOMPARE(otherChannel.poll().status, 200);

    const auto sent = channel.broadcast(QJsonValue(42));
    QCOMPARE(sent.deliveries, 2);
    PollAnswer a = twoCallbacks.poll();
    QCOMPARE(a.status, 200);
    QCOMPARE(a.notifications.size(), 2);
    QStringList callbacks;
    for (const Delivered &d : a.notifications) {
        QCOMPARE(quint64(d.id), sent.id);
        QCOMPARE(d.argument, QJsonValue(42));
        callbacks << d.callback;
    }
    callbacks.sort();
    QCOMPARE(callbacks, QStringList({QStringLiteral("Ikinci"), QStringLiteral("Morvane")}));
    QVERIFY(otherChannel.poll().notifications.isEmpty());

    // One callback answers, the other failed on the client; a reply sent again (its poll's
    // answer was lost) and one for an unknown notification change nothing.
    const Delivered morvane = a.notifications[0].callback == QLatin1String("Morvane") ? a.notifications[0] : a.notifications[1];
    const Delivered ikinci = a.notifications[0].callback == QLatin1String("Morvane") ? a.notifications[1] : a.notifications[0];
    const QJsonArray replies{Poller::reply(morvane, QJsonObject{{QStringLiteral("tamam"), true}}),
                             QJsonObject{{QStringLiteral("id"), ikinci.id}, {QStringLiteral("callback"), ikinci.callback},
                                         {QStringLiteral("error"), QStringLiteral("kuyruk dolu")}}};
    QVERIFY(twoCallbacks.poll(replies).notifications.isEmpty());
    QJsonArray again = replies;
    again.append(QJsonObject{{QStringLiteral("id"), 999999}, {QStringLiteral("callback"), QStringLiteral("Morvane")},
                             {QStringLiteral("reply"), 1}});
    QVERIFY(twoCallbacks.poll(again).notifications.isEmpty());

    const auto note = channel.notification(sent.id);
    QVERIFY(note);
    QCOMPARE(note->deliveries, 2);
    QCOMPARE(note->replyCount, 2);
    for (const auto &r : note->replies) {
        QCOMPARE(r.client, QStringLiteral("iki"));
        if (r.callback == QLatin1String("Morvane")) {
            QCOMPARE(r.json, std::string("{\"tamam\":true}"));
            QVERIFY(r.error.isEmpty());
        } else {
            QCOMPARE(r.callback, QStringLiteral("Ikinci"));
            QCOMPARE(r.error, QStringLiteral("kuyruk dolu"));
        }
    }
    QCOMPARE(clientInfo(channel, QStringLiteral("iki"))->pending, std::size_t(0));
}

void TestChannel::quietPollEndsWithEmptyList()
{
    auto server = startServer(shortHold());
    std::atomic<bool> done{false};
    PollAnswer answer;
    std::thread poll([&] {
        Poller p(server->port(), QStringLiteral("sessiz"), {kDefaultChannelName});
        answer = p.poll();
        done = true;
    });
    auto join = qScopeGuard([&] { poll.join(); });
    // Held first, then let go with an empty list when nothing arrived.
    QTRY_VERIFY_WITH_TIMEOUT(done || isWaiting(server->channel(), QStringLiteral("sessiz")), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
    QCOMPARE(answer.status, 200);
    QVERIFY(answer.notifications.isEmpty());
    QVERIFY(answer.errorClass.isEmpty());
}

// The client's connection dies while its poll is held, a broadcast is written into the dead
// connection, and the client comes back: it gets the notification then, and later ones too.
void TestChannel::pollerThatDroppedGetsWhatItMissed()
{
    ChannelOptions options;
    options.holdTime = 10s;
    auto server = startServer(options);
    NotificationChannel &channel = server->channel();
    const QString client = QStringLiteral("kopan");
    {
        QTcpSocket dropped;
        dropped.connectToHost(QStringLiteral("127.0.0.1"), server->port());
        QVERIFY(dropped.waitForConnected(5000));
        const QByteArray body = Poller::envelope(kDefaultChannelName, client, {kDefaultChannelName}, {});
        dropped.write("POST /datasnap/channel/poll HTTP/1.1\r\nHost: test\r\nContent-Type: application/json\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QVERIFY(dropped.waitForBytesWritten(5000));
        QTRY_VERIFY_WITH_TIMEOUT(isWaiting(channel, client), 5000);
        dropped.abort();
    }
    const auto missed = channel.broadcast(QStringLiteral("kaçırılan"));
    QCOMPARE(missed.deliveries, 1);

    Poller back(server->port(), client, {kDefaultChannelName});
    PollAnswer a = back.poll();
    QCOMPARE(a.status, 200);
    QCOMPARE(a.notifications.size(), 1);
    QCOMPARE(quint64(a.notifications[0].id), missed.id);
    QCOMPARE(a.notifications[0].argument, QJsonValue(QStringLiteral("kaçırılan")));

    // It keeps working: the reply arrives with the next poll, which then waits for the next one.
    std::atomic<bool> done{false};
    PollAnswer next;
    std::thread poll([&] {
        next = back.poll({Poller::reply(a.notifications[0], true)});
        done = true;
    });
    auto join = qScopeGuard([&] { poll.join(); });
    QTRY_VERIFY_WITH_TIMEOUT(done || isWaiting(channel, client), 5000);
    QCOMPARE(channel.notification(missed.id)->replyCount, 1);
    const auto later = channel.broadcast(QStringLiteral("sonraki"));
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
    QCOMPARE(next.status, 200);
    QCOMPARE(next.notifications.size(), 1);
    QCOMPARE(quint64(next.notifications[0].id), later.id);
}

// A client whose old poll the server still holds (it timed out on its side) polls again: the
// old one is answered as replaced and the new one is the one that counts.
void TestChannel::stalePollIsReleasedWhenClientReturns()
{
    ChannelOptions options;
    options.holdTime = 5s;
    auto server = startServer(options);
    NotificationChannel &channel = server->channel();
    const QString client = QStringLiteral("donen");
    QTcpSocket stale;
    stale.connectToHost(QStringLiteral("127.0.0.1"), server->port());
    QVERIFY(stale.waitForConnected(5000));
    const QByteArray body = Poller::envelope(kDefaultChannelName, client, {kDefaultChannelName}, {});
    stale.write("POST /datasnap/channel/poll HTTP/1.1\r\nHost: test\r\nContent-Type: application/json\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QVERIFY(stale.waitForBytesWritten(5000));
    QTRY_VERIFY_WITH_TIMEOUT(isWaiting(channel, client), 5000);

    std::atomic<bool> done{false};
    PollAnswer answer;
    std::thread poll([&] {
        Poller back(server->port(), client, {kDefaultChannelName});
        answer = back.poll();
        done = true;
    });
    auto join = qScopeGuard([&] { poll.join(); });
    QByteArray staleAnswer;
    QTRY_VERIFY_WITH_TIMEOUT((staleAnswer += stale.readAll()).contains("\r\n\r\n"), 5000);
    QVERIFY2(staleAnswer.startsWith("HTTP/1.1 409"), staleAnswer.constData());
    QVERIFY(staleAnswer.contains("EVexorChannelError"));

    QTRY_VERIFY_WITH_TIMEOUT(done || isWaiting(channel, client), 5000);
    const auto sent = channel.broadcast(QJsonValue(true));
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
    QCOMPARE(answer.status, 200);
    QCOMPARE(answer.notifications.size(), 1);
    QCOMPARE(quint64(answer.notifications[0].id), sent.id);
}

void TestChannel::forgottenClientRegistersAgain()
{
    ChannelOptions options;
    options.holdTime = 100ms;
    options.forgetAfter = 500ms;
    auto server = startServer(options);
    NotificationChannel &channel = server->channel();
    const QString client = QStringLiteral("unutulan");
    Poller poller(server->port(), client, {kDefaultChannelName});
    QCOMPARE(poller.poll().status, 200);
    QVERIFY(clientInfo(channel, client));
    QTRY_VERIFY_WITH_TIMEOUT(!clientInfo(channel, client), 10000);

    // Nothing waits for a forgotten client; its next poll registers it again.
    QCOMPARE(channel.broadcast(QStringLiteral("unutulmuşken")).deliveries, 0);
    QCOMPARE(poller.poll().notifications.size(), 0);
    QVERIFY(clientInfo(channel, client));
    const auto sent = channel.broadcast(QStringLiteral("döndükten sonra"));
    QCOMPARE(sent.deliveries, 1);
    const PollAnswer a = poller.poll();
    QCOMPARE(a.notifications.size(), 1);
    QCOMPARE(quint64(a.notifications[0].id), sent.id);
}

void TestChannel::malformedPollIsRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    const QByteArray tooLong(129, 'x');
    QByteArray seventeen = "[";
    for (int i = 0; i < 17; ++i)
        seventeen += (i ? ",\"c" : "\"c") + QByteArray::number(i) + '"';
    seventeen += ']';
    QTest::newRow("not JSON") << QByteArray("merhaba");
    QTest::newRow("array") << QByteArray("[]");
    QTest::newRow("no client") << QByteArray(R"({"channel":"Morvane","manager":"MorvaneId","callbacks":[]})");
    QTest::newRow("empty client") << QByteArray(R"({"channel":"Morvane","client":"","callbacks":[]})");
    QTest::newRow("client too long") << QByteArray(R"({"channel":"Morvane","client":")" + tooLong + R"(","callbacks":[]})");
    QTest::newRow("no channel") << QByteArray(R"({"client":"k","callbacks":[]})");
    QTest::newRow("manager not text") << QByteArray(R"({"channel":"Morvane","manager":7,"client":"k","callbacks":[]})");
    QTest::newRow("no callbacks") << QByteArray(R"({"channel":"Morvane","client":"k"})");
    QTest::newRow("callbacks not a list") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":"Morvane"})");
    QTest::newRow("callback name a number") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[1]})");
    QTest::newRow("seventeen callbacks") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":)" + seventeen + "}");
    QTest::newRow("replies not a list") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[],"replies":{}})");
    QTest::newRow("reply without id") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[],"replies":[{"callback":"Morvane","reply":1}]})");
    QTest::newRow("reply id not integral") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[],"replies":[{"id":1.5,"callback":"Morvane","reply":1}]})");
    QTest::newRow("reply and error") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[],"replies":[{"id":1,"callback":"Morvane","reply":1,"error":"x"}]})");
    QTest::newRow("neither reply nor error") << QByteArray(R"({"channel":"Morvane","client":"k","callbacks":[],"replies":[{"id":1,"callback":"Morvane"}]})");
}

void TestChannel::malformedPollIsRefused()
{
    QFETCH(QByteArray, body);
    auto server = startServer(shortHold());
    Connection c;
    c.HostName = QStringLiteral("127.0.0.1");
    c.Port = server->port();
    c.open();
    const Connection::Reply r = c.post("channel/poll", body.toStdString());
    QCOMPARE(r.status, 400);
    const QJsonObject error = QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object().value(QStringLiteral("error")).toObject();
    QCOMPARE(error.value(QStringLiteral("class")).toString(), QStringLiteral("EVexorProtocolError"));
    QVERIFY(!error.value(QStringLiteral("message")).toString().isEmpty());
    QVERIFY(server->channel().clients().empty());
}

void TestChannel::adminOnlyFromLoopback_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("admitted");
    QTest::newRow("IPv4 loopback") << QStringLiteral("127.0.0.1") << true;
    QTest::newRow("elsewhere in 127/8") << QStringLiteral("127.3.4.5") << true;
    QTest::newRow("IPv6 loopback") << QStringLiteral("::1") << true;
    QTest::newRow("mapped IPv4 loopback") << QStringLiteral("::ffff:127.0.0.1") << true;
    QTest::newRow("private network") << QStringLiteral("192.168.1.20") << false;
    QTest::newRow("10/8") << QStringLiteral("10.0.0.7") << false;
    QTest::newRow("mapped private") << QStringLiteral("::ffff:192.168.1.20") << false;
    QTest::newRow("IPv6 global") << QStringLiteral("2001:db8::1") << false;
    QTest::newRow("unspecified") << QStringLiteral("0.0.0.0") << false;
    QTest::newRow("host name") << QStringLiteral("localhost") << false;
    QTest::newRow("unknown") << QString() << false;
}

void TestChannel::adminOnlyFromLoopback()
{
    QFETCH(QString, address);
    QFETCH(bool, admitted);
    QCOMPARE(NotificationChannel::isLoopbackAddress(address.toStdString()), admitted);

    NotificationChannel channel;
    auto call = [&](auto handler, const char *method, std::string body) {
        HttpRequest request;
        request.method = method;
        request.body = std::move(body);
        request.remoteAddress = address.toStdString();
        std::optional<HttpResponse> answer;
        (channel.*handler)(std::move(request), [&answer](HttpResponse r) { answer = std::move(r); });
        return answer;
    };
    const auto broadcast = call(&NotificationChannel::handleAdminBroadcast, "POST", R"({"argument":{"yenile":true}})");
    QVERIFY(broadcast);
    QCOMPARE(broadcast->status, admitted ? 200 : 403);
    QCOMPARE(channel.recentNotifications().size(), admitted ? std::size_t(1) : std::size_t(0));
    if (!admitted)
        QVERIFY(broadcast->body.find("EVexorAccessDenied") != std::string::npos);
    const auto status = call(&NotificationChannel::handleAdminStatus, "GET", {});
    QVERIFY(status);
    QCOMPARE(status->status, admitted ? 200 : 403);
}

void TestChannel::adminEndpointsOverHttp()
{
    auto server = startServer(shortHold());
    Poller poller(server->port(), QStringLiteral("izlenen"), {kDefaultChannelName});
    QCOMPARE(poller.poll().status, 200);

    const auto [status, body] = httpExchange(server->port(), "POST", "/datasnap/admin/broadcast",
                                             R"({"argument":["banner","haber"],"channel":"Morvane"})");
    QCOMPARE(status, 200);
    const QJsonObject sent = QJsonDocument::fromJson(body).object();
    QCOMPARE(sent.value(QStringLiteral("deliveries")).toInt(), 1);
    QCOMPARE(sent.value(QStringLiteral("channel")).toString(), kDefaultChannelName);
    const PollAnswer a = poller.poll();
    QCOMPARE(a.notifications.size(), 1);
    QCOMPARE(a.notifications[0].id, qint64(sent.value(QStringLiteral("id")).toDouble()));
    QCOMPARE(a.notifications[0].argument, QJsonValue(QJsonArray{QStringLiteral("banner"), QStringLiteral("haber")}));
    QVERIFY(poller.poll({Poller::reply(a.notifications[0], QStringLiteral("yenilendi"))}).notifications.isEmpty());

    QCOMPARE(httpExchange(server->port(), "POST", "/datasnap/admin/broadcast", "argument=1").first, 400);
    try {
        requestBroadcast(QStringLiteral("127.0.0.1"), server->port(), QJsonValue(1), QString());
        QFAIL("a broadcast to a channel without a name was accepted");
    } catch (const RemoteError &e) {
        QCOMPARE(e.className(), QStringLiteral("EVexorProtocolError"));
        QVERIFY(e.message().contains(QLatin1String("400")));
    }

    const auto [statusCode, page] = httpExchange(server->port(), "GET", "/datasnap/admin/channel");
    QCOMPARE(statusCode, 200);
    const QJsonObject overview = QJsonDocument::fromJson(page).object();
    const QJsonArray clients = overview.value(QStringLiteral("clients")).toArray();
    QCOMPARE(clients.size(), 1);
    QCOMPARE(clients[0].toObject().value(QStringLiteral("client")).toString(), QStringLiteral("izlenen"));
    QCOMPARE(clients[0].toObject().value(QStringLiteral("manager")).toString(), QStringLiteral("MorvaneId"));
    const QJsonObject note = overview.value(QStringLiteral("notifications")).toArray().at(0).toObject();
    QCOMPARE(note.value(QStringLiteral("replyCount")).toInt(), 1);
    const QJsonObject reply = note.value(QStringLiteral("replies")).toArray().at(0).toObject();
    QCOMPARE(reply.value(QStringLiteral("client")).toString(), QStringLiteral("izlenen"));
    QCOMPARE(reply.value(QStringLiteral("reply")).toString(), QStringLiteral("yenilendi"));
}

void TestChannel::broadcastCommand_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QJsonValue>("argument"); // undefined: nothing is sent
    QTest::newRow("object") << QStringList{QStringLiteral("--message"), QStringLiteral(R"({"konu":"haber","adet":2})")} << 0
                            << QJsonValue(QJsonObject{{QStringLiteral("konu"), QStringLiteral("haber")}, {QStringLiteral("adet"), 2}});
    QTest::newRow("plain text value") << QStringList{QStringLiteral("--message"), QStringLiteral(R"("yenile")")} << 0
                                      << QJsonValue(QStringLiteral("yenile"));
    QTest::newRow("default message") << QStringList() << 0
                                     << QJsonValue(QJsonObject{{QStringLiteral("yenile"), true}});
    QTest::newRow("not JSON") << QStringList{QStringLiteral("--message"), QStringLiteral("{yenile")} << 2 << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("two values") << QStringList{QStringLiteral("--message"), QStringLiteral("1,2")} << 2 << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("nobody listening") << QStringList{QStringLiteral("--port"), QStringLiteral("closed")} << 1 << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("port out of range") << QStringList{QStringLiteral("--port"), QStringLiteral("70000")} << 2 << QJsonValue(QJsonValue::Undefined);
}

void TestChannel::broadcastCommand()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QJsonValue, argument);
    auto server = startServer(shortHold());
    QTemporaryDir dir;
    QStringList arguments{QStringLiteral("vexor-server"), QStringLiteral("broadcast"),
                          QStringLiteral("--config"), dir.filePath(QStringLiteral("yok.ini")),
                          QStringLiteral("--host"), QStringLiteral("127.0.0.1")};
    if (!options.contains(QStringLiteral("--port")))
        arguments << QStringLiteral("--port") << QString::number(server->port());
    const qsizetype closed = options.indexOf(QStringLiteral("closed"));
    if (closed >= 0) {
        QTcpServer probe; // a port that was free a moment ago
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        options[closed] = QString::number(probe.serverPort());
    }
    QCOMPARE(runBroadcastCommand(arguments + options), exitCode);
    const auto notes = server->channel().recentNotifications();
    if (argument.isUndefined()) {
        QVERIFY(notes.empty());
    } else {
        QCOMPARE(notes.size(), std::size_t(1));
        QCOMPARE(notes[0].argument, argument);
        QCOMPARE(notes[0].channel, kDefaultChannelName);
    }
}

void TestChannel::managerRunsCallbacksOnItsThread()
{
    ChannelOptions options;
    options.holdTime = 1s;
    auto server = startServer(options);
    NotificationChannel &channel = server->channel();
    ChannelManager manager;
    manager.HostName = QStringLiteral("127.0.0.1");
    manager.Port = server->port();
    auto geriBildirim = std::make_shared<RecordingCallback>(QStringLiteral("Morvane"), QJsonValue(true));
    auto failing = std::make_shared<RecordingCallback>(QStringLiteral("Patlayan"), QJsonValue(), true);
    manager.registerCallback(geriBildirim);
    manager.registerCallback(failing); // announced with the next poll
    QVERIFY(manager.isRunning());
    const QString id = manager.clientId();
    QVERIFY(!id.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(isWaiting(channel, id) && clientInfo(channel, id)->callbacks.size() == 2, 10000);
    QCOMPARE(clientInfo(channel, id)->manager, QStringLiteral("MorvaneId"));

    const QJsonObject argument{{QStringLiteral("konu"), QStringLiteral("duyuru")}};
    const auto first = channel.broadcast(argument);
    QCOMPARE(first.deliveries, 2);
    QTRY_COMPARE_WITH_TIMEOUT(geriBildirim->arguments().size(), 1, 10000);
    QCOMPARE(geriBildirim->arguments().at(0), QJsonValue(argument));
    QTRY_COMPARE_WITH_TIMEOUT(channel.notification(first.id)->replyCount, 2, 10000);
    const auto firstNote = channel.notification(first.id);
    for (const auto &r : firstNote->replies) {
        QCOMPARE(r.client, id);
        if (r.callback == QLatin1String("Morvane")) {
            QCOMPARE(r.json, std::string("true"));
        } else {
            QCOMPARE(r.error, QStringLiteral("yenileme kuyruğa alınamadı"));
            QVERIFY(r.json.empty());
        }
    }

    const auto second = channel.broadcast(QJsonValue());
    QTRY_COMPARE_WITH_TIMEOUT(geriBildirim->arguments().size(), 2, 10000);
    QCOMPARE(geriBildirim->arguments().at(1), QJsonValue());
    QTRY_COMPARE_WITH_TIMEOUT(channel.notification(second.id)->replyCount, 2, 10000);
    // Every call on one thread, the manager's own.
    const auto threads = geriBildirim->threads();
    QCOMPARE(threads.size(), std::size_t(1));
    QVERIFY(*threads.begin() != std::this_thread::get_id());
    QCOMPARE(failing->threads(), threads);

    // Stopping says goodbye: the server forgets the client at once.
    manager.stop();
    QVERIFY(!manager.isRunning());
    QVERIFY(!clientInfo(channel, id));
    QCOMPARE(channel.broadcast(QJsonValue(1)).deliveries, 0);
    QCOMPARE(geriBildirim->arguments().size(), 2);
}

// The server is away when the manager starts and comes up later on its port.
void TestChannel::managerReconnectsWhenServerComesBack()
{
    quint16 port = 0;
    {
        QTcpServer probe; // a port that was free a moment ago
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    ChannelManager manager;
    manager.HostName = QStringLiteral("127.0.0.1");
    manager.Port = port;
    manager.ReconnectPauseMs = 50;
    auto callback = std::make_shared<RecordingCallback>(QStringLiteral("Morvane"), QJsonValue(true));
    manager.registerCallback(callback);
    const QString id = manager.clientId();
    QTest::qWait(300); // a few refused attempts

    auto server = startServer(shortHold(), port);
    QTRY_VERIFY_WITH_TIMEOUT(clientInfo(server->channel(), id), 20000);
    const auto sent = server->channel().broadcast(QStringLiteral("yeniden"));
    QCOMPARE(sent.deliveries, 1);
    QTRY_COMPARE_WITH_TIMEOUT(callback->arguments().size(), 1, 10000);
    QCOMPARE(callback->arguments().at(0), QJsonValue(QStringLiteral("yeniden")));
    QTRY_COMPARE_WITH_TIMEOUT(server->channel().notification(sent.id)->replyCount, 1, 10000);
    manager.stop();
}

void TestChannel::managerStopsWhileServerIsAway()
{
    quint16 port = 0;
    {
        QTcpServer probe; // a port that was free a moment ago
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    ChannelManager manager;
    manager.HostName = QStringLiteral("127.0.0.1");
    manager.Port = port;
    manager.ReconnectPauseMs = 60000; // it is pausing when stop() comes
    manager.registerCallback(std::make_shared<RecordingCallback>(QStringLiteral("Morvane"), QJsonValue(true)));
    QVERIFY(manager.isRunning());
    QElapsedTimer stopping;
    stopping.start();
    manager.stop();
    // Far below the pause: stop() must not sit it out.
    QVERIFY2(stopping.elapsed() < 30000, qPrintable(QString::number(stopping.elapsed())));
    QVERIFY(!manager.isRunning());
    QVERIFY(manager.clientId().isEmpty());
}

QTEST_GUILESS_MAIN(TestChannel)
#include "tst_channel.moc"
