#pragma once

#include "picturebox.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace vexor {

// The picture decoder a reply's "Content-Type" header selects: its first 6 characters (the
// "image/" prefix, whatever they are) are removed and the rest is lower-cased; "png" gives
// "png", "bmp" gives "bmp", "jpeg" and "jpg" give "jpeg". Anything else, including a type
// with parameters such as "image/jpeg; charset=..", gives an empty name: no picture.
QByteArray pictureFormatForContentType(const QString &contentType);

// A picture control that fetches its picture from a web address by itself. Writing a new,
// non-empty Url starts a GET; when the reply has a body, its content type picks the decoder
// and a picture that decodes replaces the one shown. Network errors, empty bodies, unknown
// types and undecodable data leave the control as it was; nothing is reported. The status
// code is not looked at: only the body and the content type decide.
class TAsyncResim : public PictureBox
{
    Q_OBJECT
    Q_PROPERTY(QString Url READ Url WRITE setUrl)

public:
    explicit TAsyncResim(QWidget *owner = nullptr);
    ~TAsyncResim() override;

    QString Url() const { return FUrl; }
    // The same text again does nothing (no reload). A new address while a request is still
    // running drops that request: only the latest address may set the picture.
    void setUrl(const QString &url);

private:
    void Geldi(QNetworkReply *reply);

    QString FUrl;
    QNetworkAccessManager *FHTTPClient = nullptr;
    QPointer<QNetworkReply> FHTTPRequest;
    bool iptal = false;
};

} // namespace vexor
