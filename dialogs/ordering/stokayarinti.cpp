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
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_saticiWebKoku(saticiWebKoku)
{
    setWindowTitle(QStringLiteral("Sepete Ekle"));
    setObjectName(QStringLiteral("stokayarinti"));

    const stokayrinti::Parcalar p = stokayrinti::kur(this, QStringLiteral("Kod:"));
    barkod = p.barkod;
    adi = p.adi;
    finishkod = p.finishkod;
    marka = p.marka;
    model = p.model;
    Label2 = p.Label2;
    indirimoran = p.indirimoran;
    adet = p.adet;
    birimfiyat = p.birimfiyat;
    indtutar = p.indtutar;
    kdvdahiltutar = p.kdvdahiltutar;
    geneltutar = p.geneltutar;
    Image1 = p.Image1;
    ParcaliTus1 = p.ParcaliTus1;
    ParcaliTus2 = p.ParcaliTus2;

    resize(550, 631);

    connect(stokayrinti::adetDuzenleyici(adet), &QLineEdit::textChanged, this, &Tstokayarinti::Hesapla);
    for (TutarKutusu *kutu : {birimfiyat, indtutar, kdvdahiltutar, geneltutar})
        connect(kutu, &TutarKutusu::keyReleased, this, &Tstokayarinti::Hesapla);
}

Tstokayarinti::~Tstokayarinti()
{
    m_iptal->store(true);
}

double Tstokayarinti::miktar() const
{
    return miktarCevir(adet->text());
}

void Tstokayarinti::Hesapla()
{
    const StokSatirHesabi h = stokSatirHesapla(birimfiyat->value(), hesapMiktari(adet->text()), kdvoran,
                                               {ind1, ind2, ind3, ind4});
    indtutar->setValue(h.indirim);
    kdvdahiltutar->setValue(h.kdvDahilBirim);
    geneltutar->setValue(h.genelTutar);
}

QString Tstokayarinti::resimAdresi() const
{
    KurulumAyarlari ayarlar;
    ayarlar.saticiWebKoku = m_saticiWebKoku;
    return WebAdresleri(ayarlar).resimGoster(_stokno);
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

void Tstokayarinti::reject()
{
    done(2);
}

void Tstokayarinti::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Hesapla();
}

bool Tstokayarinti::event(QEvent *event)
{
    const bool sonuc = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate) {
        Hesapla();
        ResimGoster();
        adet->selectAll();
    }
    return sonuc;
}

} // namespace vexor
