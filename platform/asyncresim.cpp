#include "asyncresim.h"

#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

namespace vexor {

QByteArray pictureFormatForContentType(const QString &contentType)
{
    const QString type = contentType.mid(6).toLower();
    if (type == u"png")
        return QByteArrayLiteral("png");
    if (type == u"bmp")
        return QByteArrayLiteral("bmp");
    if (type == u"jpeg" || type == u"jpg")
        return QByteArrayLiteral("jpeg");
    return QByteArray();
}

TAsyncResim::TAsyncResim(QWidget *owner)
    : PictureBox(owner)
    , FHTTPClient(new QNetworkAccessManager(this))
{
    setStretch(true);
    setProportional(true);
    setCenter(true);
    setTransparent(true);
    // Connected to the manager (not to each reply) so that the handler has run by the time
    // anyone else hears that a request finished.
    connect(FHTTPClient, &QNetworkAccessManager::finished, this, &TAsyncResim::Geldi);
}

TAsyncResim::~TAsyncResim()
{
    // A transfer still running is aborted; its reply never reaches this (freed) control.
    iptal = true;
    disconnect(FHTTPClient, nullptr, this, nullptr);
    if (FHTTPRequest)
        FHTTPRequest->abort();
}

void TAsyncResim::setUrl(const QString &url)
{
    if (url == FUrl)
        return;
    FUrl = url;
    if (FHTTPRequest) {
        QNetworkReply *old = FHTTPRequest;
        FHTTPRequest = nullptr;
        old->abort();
    }
    if (url.isEmpty())
        return;
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    FHTTPRequest = FHTTPClient->get(request);
    connect(FHTTPRequest, &QNetworkReply::downloadProgress, this, [this] {
        if (iptal && FHTTPRequest)
            FHTTPRequest->abort();
    });
}

void TAsyncResim::Geldi(QNetworkReply *reply)
{
    reply->deleteLater();
    if (iptal || reply != FHTTPRequest)
        return;  // dropped: a newer address, or the control is going away
    FHTTPRequest = nullptr;
    const QByteArray body = reply->readAll();
    if (body.isEmpty())
        return;
    const QByteArray format =
        pictureFormatForContentType(QString::fromLatin1(reply->rawHeader("Content-Type")));
    if (format.isEmpty())
        return;
    QImage image;
    if (!image.loadFromData(body, format.constData()))
        return;
    setPicture(QPixmap::fromImage(image));
}

} // namespace vexor
