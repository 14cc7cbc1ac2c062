#include "disip.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace vexor {

namespace {

constexpr int kIptalBakisMs = 50;

// One attempt; nothing when it failed or was cancelled.
std::optional<QByteArray> tekDeneme(QNetworkAccessManager &http, const QUrl &url,
                                    const std::atomic<bool> &iptal, const DisIpZamanlari &zaman)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    // Every attempt starts on a fresh connection, as after a disconnect.
    request.setRawHeader("Connection", "close");
    QNetworkReply *reply = http.get(request);

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QTimer iptalBakisi;
    iptalBakisi.setInterval(kIptalBakisMs);
    bool zamanAsimi = false;

    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        zamanAsimi = true;
        reply->abort();
    });
    QObject::connect(&iptalBakisi, &QTimer::timeout, reply, [&] {
        if (iptal.load())
            reply->abort();
    });
    // Connecting (and sending) may take the long time-out; once the request is out, the
    // answer must keep coming within the read time-out.
    QObject::connect(reply, &QNetworkReply::requestSent, &deadline, [&] { deadline.start(zaman.okumaMs); });
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &deadline, [&] { deadline.start(zaman.okumaMs); });
    QObject::connect(reply, &QIODevice::readyRead, &deadline, [&] { deadline.start(zaman.okumaMs); });
    deadline.start(zaman.baglanmaMs);
    iptalBakisi.start();

    if (!reply->isFinished())
        loop.exec();
    deadline.stop();
    iptalBakisi.stop();

    std::optional<QByteArray> body;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!zamanAsimi && reply->error() == QNetworkReply::NoError && status < 400)
        body = reply->readAll();
    delete reply;
    return body;
}

} // namespace

QString DisIpVer(const QString &adres, const std::atomic<bool> &iptal, const DisIpZamanlari &zaman)
{
    const QUrl url(adres);
    QNetworkAccessManager http;
    for (;;) {
        if (iptal.load())
            return QString();
        if (const std::optional<QByteArray> body = tekDeneme(http, url, iptal, zaman))
            return QString::fromUtf8(*body).trimmed();
        for (int waited = 0; waited < zaman.beklemeMs; waited += kIptalBakisMs) {
            if (iptal.load())
                return QString();
            QEventLoop pause;
            QTimer::singleShot(qMin(kIptalBakisMs, zaman.beklemeMs - waited), &pause, &QEventLoop::quit);
            pause.exec();
        }
    }
}

} // namespace vexor
