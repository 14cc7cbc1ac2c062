#pragma once

// A small HTTP/1.1 responder for tests that need answers a real host would rarely give: a
// chosen content type, an error status with a page, an empty body, a reply that comes late,
// an address that changes between two requests. It runs in the test's thread (QTcpServer),
// answers one request per connection and closes it, and records what it was asked.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>

namespace vexor::test {

struct HttpAnswer
{
    int status = 200;
    QByteArray reason = "OK";
    QByteArray contentType;          // left out when empty
    QByteArray body;
    bool announceLength = true;      // Content-Length, else the end is the closed connection
    int delayMs = 0;                 // wait this long before answering
};

struct HttpSeen
{
    QByteArray path;                 // with the query
    QMap<QByteArray, QByteArray> headers;  // names in lower case
};

class TestHttpServer : public QObject
{
public:
    // Answers by path (with the query); a path with a list of answers gives them in turn and
    // repeats the last one.
    QHash<QByteArray, QList<HttpAnswer>> answers;
    QList<HttpSeen> seen;

    TestHttpServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                accept(socket);
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    quint16 port() const { return m_server.serverPort(); }
    QByteArray root() const { return "http://127.0.0.1:" + QByteArray::number(port()) + '/'; }
    QString rootText() const { return QString::fromLatin1(root()); }

    int count(const QByteArray &path) const
    {
        int n = 0;
        for (const HttpSeen &s : seen)
            n += s.path == path;
        return n;
    }

private:
    void accept(QTcpSocket *socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->clear();
            HttpSeen request;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.path = first.value(1).mid(1);
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const qsizetype colon = lines[i].indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
            }
            seen.append(request);
            const HttpAnswer answer = next(request.path);
            QPointer<QTcpSocket> guarded(socket);
            auto send = [guarded, answer] {
                if (!guarded)
                    return;
                QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + answer.reason + "\r\n";
                if (!answer.contentType.isEmpty())
                    head += "Content-Type: " + answer.contentType + "\r\n";
                if (answer.announceLength)
                    head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
                head += "Connection: close\r\n\r\n";
                guarded->write(head + answer.body);
                guarded->disconnectFromHost();
            };
            if (answer.delayMs > 0)
                QTimer::singleShot(answer.delayMs, this, send);
            else
                send();
        });
    }

    HttpAnswer next(const QByteArray &path)
    {
        auto it = answers.find(path);
        if (it == answers.end() || it->isEmpty())
            return HttpAnswer{404, "Not Found", "text/html", "<html><body>Yok</body></html>"};
        const HttpAnswer answer = it->first();
        if (it->size() > 1)
            it->removeFirst();
        return answer;
    }

    QTcpServer m_server;
};

} // namespace vexor::test

Q_DECLARE_METATYPE(vexor::test::HttpAnswer)
