#include "stokayarinti.h"

#include "stokhesap.h"

#include "common/async.h"
#include "server/webadresleri.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

namespace vexor {

namespace {

constexpr int kIptalBakisMs = 50;

} // namespace

QImage GosterYeni(const QString &resimAdresi, const std::atomic<bool> &iptal, int zamanAsimiMs)
{
    if (iptal.load())
        return QImage();
    QNetworkAccessManager http;
    QNetworkRequest request{QUrl(resimAdresi)};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setTransferTimeout(zamanAsimiMs);
    QNetworkReply *reply = http.get(request);

    QEventLoop loop;
    QTimer iptalBakisi;
    iptalBakisi.setInterval(kIptalBakisMs);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&iptalBakisi, &QTimer::timeout, reply, [&] {
        if (iptal.load())
            reply->abort();
    });
    iptalBakisi.start();
    if (!reply->isFinished())
        loop.exec();
    iptalBakisi.stop();

    QImage resim;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!iptal.load() && reply->error() == QNetworkReply::NoError && status < 400) {
        const QByteArray govde = reply->readAll();
        if (govde.size() >= kEnKucukResimBoyu)
            resim.loadFromData(govde);
    }
    delete reply;
    return resim;
}

Tstokayarinti::Tstokayarinti(const QString &saticiWebKoku, QWidget *owner)
    : TStokAyarintiTemel(saticiWebKoku, QStringLiteral("Kod:"), owner)
{
    setObjectName(QStringLiteral("stokayarinti"));
    resize(550, 631);
}

Tstokayarinti::~Tstokayarinti()
{
    m_iptal->store(true);
}

std::array<double, 4> Tstokayarinti::oranlar() const
{
    return {ind1, ind2, ind3, ind4};
}

QString Tstokayarinti::resimAdresi() const
{
    return TStokAyarintiTemel::resimAdresi(_stokno);
}

void Tstokayarinti::ResimGoster()
{
    if (_stokno == 0)
        return;
    const QString adres = resimAdresi();
    const std::shared_ptr<std::atomic<bool>> iptal = m_iptal;
    auto resim = std::make_shared<QImage>();
    // The completion runs on this (the UI) thread; the pointer tells it whether the dialog
    // still exists.
    QPointer<Tstokayarinti> pencere(this);
    Async([adres, iptal, resim] {
        try {
            *resim = GosterYeni(adres, *iptal);
        } catch (...) {
            // A picture that cannot be had is no error worth a message.
        }
    })->Await([pencere, resim] {
        if (!pencere || resim->isNull())
            return;
        pencere->Image1->setPicture(QPixmap::fromImage(*resim));
        emit pencere->webResmiGeldi();
    });
}

void Tstokayarinti::showEvent(QShowEvent *event)
{
    TStokAyarintiTemel::showEvent(event);
    Hesapla();
}

bool Tstokayarinti::event(QEvent *event)
{
    const bool sonuc = TStokAyarintiTemel::event(event);
    if (event->type() == QEvent::WindowActivate) {
        Hesapla();
        ResimGoster();
        adet->selectAll();
    }
    return sonuc;
}

} // namespace vexor
