// The start-up and refresh sequences: header, news line, the three banners, the number of
// opening advertisements and the tab counts.
#include "tform1.h"

#include "common/async.h"
#include "platform/gifresim.h"
#include "platform/marquee.h"
#include "platform/tabbadge.h"
#include "server/baglantiac.h"
#include "server/errors.h"
#include "server/streamrule.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QThread>

#include <optional>

namespace vexor {

// What the steps of one sequence share: the window (gone: nothing is changed any more), the
// connection settings and the session record as they were when the sequence started.
struct TForm1::AcilisBaglami
{
    QPointer<TForm1> form;
    std::unique_ptr<Connection> baglanti;
    TSonucBilgisi bilgi;
};

namespace {

// Runs `change` with the window on the UI thread: at once there, otherwise handed over and
// waited for. Nothing happens once the window is gone.
template <typename Baglam, typename Change>
void arayuzde(const Baglam &b, Change change)
{
    auto run = [&] {
        if (TForm1 *form = b->form)
            change(*form);
    };
    if (QThread::currentThread() == qApp->thread())
        run();
    else
        QMetaObject::invokeMethod(qApp, run, Qt::BlockingQueuedConnection);
}

// A server that does not offer a method answers EVexorNotAvailable: that step has nothing
// to show and the sequence goes on; it is no connection failure.
bool sunucudaYok(const RemoteError &e)
{
    return e.className() == u"EVexorNotAvailable";
}

struct BannerIndirme
{
    bool acildi = false;
    qint64 size = 0;
    std::optional<QByteArray> bytes;  // set when the download is complete
};

BannerIndirme bannerIndir(const Connection &ayarlar, QIODevice *(TServerMethods1Client::*method)(qint64 &))
{
    BannerIndirme sonuc;
    const std::unique_ptr<Connection> kopya = ayarlar.clone();
    if (!BaglantiAc(*kopya, 1))
        return sonuc;
    sonuc.acildi = true;
    // Banner failures are silent: no picture is all that happens.
    try {
        TServerMethods1Client proxy(kopya.get());
        QIODevice *stream = (proxy.*method)(sonuc.size);
        sonuc.bytes = readAnnouncedStream(stream, sonuc.size);
    } catch (...) {
        sonuc.bytes.reset();
    }
    kopya->close();
    return sonuc;
}

} // namespace

std::shared_ptr<TForm1::AcilisBaglami> TForm1::acilisBaglami()
{
    auto b = std::make_shared<AcilisBaglami>();
    b->form = this;
    b->baglanti = bagc.clone();
    b->bilgi.Kopyala(sbilgi);
    return b;
}

void TForm1::AnaBilgiAl()
{
    if (QThread::currentThread() != thread()) {
        QPointer<TForm1> self(this);
        QMetaObject::invokeMethod(qApp, [self] {
            if (self)
                self->AnaBilgiAl();
        }, Qt::BlockingQueuedConnection);
        return;
    }
    kullanicilbl->setText(sbilgi.ADI());
    cariadilbl->setText(sbilgi.CariAdi());
    saticilbl->setText(sbilgi.SaticiAdi() + QStringLiteral(" Telefonu: ") + sbilgi.SaticiTelefon()
                       + QStringLiteral(" email: ") + sbilgi.SaticiMail());
}

void TForm1::KayanYaziAl(const std::shared_ptr<AcilisBaglami> &b)
{
    const std::unique_ptr<Connection> kopya = b->baglanti->clone();
    if (!BaglantiAc(*kopya, 1))
        return;
    QString yazi;
    try {
        TServerMethods1Client proxy(kopya.get());
        yazi = proxy.KayanYaziGetir();
    } catch (const RemoteError &e) {
        if (!sunucudaYok(e))
            throw;
        return;
    }
    kopya->close();
    arayuzde(b, [&](TForm1 &f) {
        f.kayanyazi->stop();
        f.kayanyazi->clearItems();
        if (!yazi.trimmed().isEmpty())
            f.kayanyazi->addHtmlItem(yazi);
        f.kayanyazi->start();
    });
}

void TForm1::BannerREsimAl(const std::shared_ptr<AcilisBaglami> &b)
{
    const BannerIndirme indirme = bannerIndir(*b->baglanti, &TServerMethods1Client::BannerResimVer);
    if (!indirme.acildi || indirme.size == 0 || !indirme.bytes)
        return;
    arayuzde(b, [&](TForm1 &f) {
        f.GifResim1->setAnimate(false);
        if (!f.GifResim1->setGif(*indirme.bytes)) {
            QPixmap still;
            if (still.loadFromData(*indirme.bytes))
                f.GifResim1->setPicture(still);
        }
        f.GifResim1->setAnimate(true);
    });
}

void TForm1::BannerREsimAlUst(const std::shared_ptr<AcilisBaglami> &b)
{
    const BannerIndirme indirme = bannerIndir(*b->baglanti, &TServerMethods1Client::BannerResimVer2);
    if (!indirme.acildi)
        return;
    arayuzde(b, [&](TForm1 &f) {
        if (indirme.size == 0) {
            f.RxGIFAnimator2->clearPicture();
            f.RxGIFAnimator2->setFixedHeight(0);
        } else if (indirme.bytes) {
            f.ustBannerYukle(*indirme.bytes);
        }
    });
}

void TForm1::ustBannerYukle(const QByteArray &gif)
{
    RxGIFAnimator2->setAnimate(false);
    if (!RxGIFAnimator2->setGif(gif))
        return;
    RxGIFAnimator2->setFixedHeight(RxGIFAnimator2->pictureSize().height());
    RxGIFAnimator2->setAnimate(true);
}

void TForm1::BannerREsimAlAlt(const std::shared_ptr<AcilisBaglami> &b)
{
    const BannerIndirme indirme = bannerIndir(*b->baglanti, &TServerMethods1Client::BannerResimVer3);
    if (!indirme.acildi)
        return;
    arayuzde(b, [&](TForm1 &f) {
        if (indirme.size == 0)
            f.Panel5->setFixedHeight(40);
        else if (indirme.bytes)
            f.altBannerYukle(*indirme.bytes);
    });
}

void TForm1::altBannerYukle(const QByteArray &bmp)
{
    // Fewer than 11 bytes cannot be a picture.
    if (bmp.size() < 11)
        return;
    QPixmap picture;
    if (!picture.loadFromData(bmp, "BMP"))
        return;
    Image3 = picture;
    RealTimeMarquee1->stop();
    RealTimeMarquee1->clearItems();
    RealTimeMarquee1->addPictureItem(Image3);
    const int h = Image3.height();
    RealTimeMarquee1->setFixedHeight(h);
    RealTimeMarquee1->setVisible(true);
    RealTimeMarquee1->start();
    Panel5->setFixedHeight(h + 40);
}

void TForm1::AcilisReklamAdetAl(const std::shared_ptr<AcilisBaglami> &b)
{
    arayuzde(b, [](TForm1 &f) { f._acilisadet = 0; });
    const std::unique_ptr<Connection> kopya = b->baglanti->clone();
    if (!BaglantiAc(*kopya, 1))
        return;
    try {
        TServerMethods1Client proxy(kopya.get());
        const qint32 adet = proxy.AcilisReklamAdet();
        arayuzde(b, [&](TForm1 &f) {
            f._acilisadet = adet;
            f.sekmeBasligiYaz(f.sTabSheetduyuru, countCaption(adet, QStringLiteral("Duyurular")));
        });
    } catch (...) {
        // No count, no advertisement.
    }
    kopya->close();
}

void TForm1::BalonYaz(const std::shared_ptr<AcilisBaglami> &b)
{
    auto kopyaBilgi = std::make_unique<TSonucBilgisi>();
    kopyaBilgi->Kopyala(b->bilgi);
    const std::unique_ptr<Connection> kopya = b->baglanti->clone();
    if (!BaglantiAc(*kopya, 1))
        return;
    try {
        TServerMethods1Client proxy(kopya.get());
        TableReader *satirlar = proxy.BalonGetir(std::move(kopyaBilgi));
        while (satirlar && satirlar->next()) {
            const qint64 sepet = satirlar->asInt(0);
            const qint64 yeni = satirlar->asInt(1);
            const qint64 kampanya = satirlar->asInt(2);
            const qint64 duyuru = satirlar->asInt(3);
            const double bakiye = satirlar->asDouble(4);
            arayuzde(b, [&](TForm1 &f) { f.sayaclariYaz(sepet, yeni, kampanya, duyuru, bakiye); });
        }
    } catch (const RemoteError &e) {
        if (!sunucudaYok(e))
            throw;
    }
    kopya->close();
}

void TForm1::sayaclariYaz(qint64 sepet, qint64 yeni, qint64 kampanya, qint64 duyuru, double bakiye)
{
    sekmeBasligiYaz(ssepet, QString::number(sepet) + QStringLiteral("=Sepet"));
    sekmeBasligiYaz(syeniler, QString::number(yeni) + QStringLiteral("=Yeni Stoklar"));
    sekmeBasligiYaz(skampanyali, QString::number(kampanya) + QStringLiteral("=Kampanyalı"));
    sekmeBasligiYaz(sTabSheetduyuru, QString::number(duyuru) + QStringLiteral("=Duyurular"));
    // The badge shows whole numbers: an open balance with decimals counts up to the next one.
    sekmeBasligiYaz(sTabbakiyeler, balanceCaption(bakiye, QStringLiteral("Bakiyeler")));
}

void TForm1::acilisAdimlari(const std::shared_ptr<AcilisBaglami> &b)
{
    arayuzde(b, [](TForm1 &f) { f.AnaBilgiAl(); });
    KayanYaziAl(b);
    BannerREsimAl(b);
    BannerREsimAlUst(b);
    BannerREsimAlAlt(b);
    AcilisReklamAdetAl(b);
    BalonYaz(b);
}

void TForm1::acilisSirasiniBaslat()
{
    const std::shared_ptr<AcilisBaglami> b = acilisBaglami();
    Async([b] { acilisAdimlari(b); })->Await([b] {
        TForm1 *f = b->form;
        if (!f)
            return;
        if (f->isMinimized()) {
            f->setWindowState((f->windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
            f->activateWindow();
        }
        f->AcilisReklamGoster();
        emit f->acilisBitti();
    });
}

void TForm1::yenilemeSirasi()
{
    acilisAdimlari(acilisBaglami());
    AcilisReklamGoster();
}

void TForm1::AcilisReklamGoster()
{
    if (_acilisadet == 0 || !acilisReklamPenceresi)
        return;
    acilisReklamPenceresi(*this);
}

} // namespace vexor
