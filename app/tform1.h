#pragma once

#include "kullanicitipi.h"

#include "dialogs/login/girisform.h"
#include "server/baglantiu.h"
#include "server/channelmanager.h"
#include "server/connection.h"
#include "server/webadresleri.h"

#include <QMainWindow>
#include <QPixmap>

#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace vexor {

class Marquee;
class TSepetSekmesi;
class TStokSekmesi;
class TGifResim;
class TWebTarayici;

// The one window that lives for the whole run. It owns the shared connection `bagc` and the
// session record `sbilgi`, runs the log-in before it is shown, adapts itself to the kind of
// user, and fills its header, banners, news line and tab counts in the background.
//
// The frame is built by the constructor; FormCreate does what the window does when it is
// created (workstation facts, connection settings, log-in, start-up sequence). Split by
// concern: tform1.cpp (frame), tform1_giris.cpp (creation, log-in, user kinds, account change,
// menu, exit), tform1_acilis.cpp (start-up and refresh sequences). The first two tabs are
// classes of their own (TStokSekmesi, TSepetSekmesi) that the constructor creates.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(const KurulumAyarlari &ayarlar, QWidget *parent = nullptr);
    ~TForm1() override;

    // The creation steps up to the start of the start-up sequence. False when the log-in was
    // left: the process has been ended then (endProcess) and the window is never shown.
    bool FormCreate();

    // Runs the log-in window and applies the user-kind rules; false when the process ended.
    bool GirisYap();
    // The three header labels from the session record; callable from any thread.
    void AnaBilgiAl();
    // "Başka Cari Seç": the account selection of a representative, then the header again.
    void CariDegistir();
    // The exit question; Yes ends the process.
    void FormCloseQuery();

    // The start-up sequence as a background task; acilisBitti() follows its completion.
    void acilisSirasiniBaslat();
    // The refresh sequence on the UI thread (what a server notification runs).
    void yenilemeSirasi();
    // Shows the opening advertisements when the server counted some.
    void AcilisReklamGoster();

    // Sets a tab's caption; "<count>=<title>" shows the count as a badge (parseTabCaption).
    void sekmeBasligiYaz(QWidget *sekme, const QString &baslik);
    QString sekmeBasligi(QWidget *sekme) const;

    const KurulumAyarlari &kurulumAyarlari() const { return m_ayarlar; }
    const WebAdresleri &webAdresleri() const { return m_adresler; }
    // The rules of the logged-in kind of user; the grids take their column rules from here.
    const KullaniciTipiKurallari &tipKurallari() const { return m_tipKurallari; }

    // The shared connection and the session record (see the class comment).
    Connection bagc;
    TSonucBilgisi sbilgi;
    ChannelManager DSClientCallbackChannelManager1;
    // Number of opening advertisements the server reported; 0 until fetched.
    int _acilisadet = 0;

    // The customer selection of a sales representative (log-in and "Başka Cari Seç"). Empty:
    // none is offered and the account the server returned stays.
    CariSecimi cariSecimi;
    // The opening-advertisement window, run when the server reports advertisements. Empty:
    // none is shown.
    std::function<void(TForm1 &form)> acilisReklamPenceresi;

    // Header.
    QFrame *baslikPaneli = nullptr;
    QLabel *logo = nullptr;
    QLabel *kullanicilbl = nullptr;
    QLabel *cariadilbl = nullptr;
    QLabel *saticilbl = nullptr;
    TGifResim *GifResim1 = nullptr;
    QToolButton *genelMenuTusu = nullptr;
    QMenu *Genelmenu = nullptr;
    QAction *M1 = nullptr;
    QAction *N4 = nullptr;
    QAction *webSitesi = nullptr;
    QAction *G1 = nullptr;
    QAction *R1 = nullptr;
    // Upper banner strip; height 0 while empty.
    TGifResim *RxGIFAnimator2 = nullptr;
    // Search bar.
    QLineEdit *araedit = nullptr;
    QToolButton *SpeedButton2 = nullptr;  // "Ara"
    QToolButton *SpeedButton1 = nullptr;  // "Temizle"
    QPushButton *musteritus = nullptr;    // "Başka Cari Seç"
    TGifResim *gifstokara = nullptr;
    TGifResim *gifyeniler = nullptr;
    TGifResim *gifkampanyali = nullptr;
    TGifResim *gifduyuru = nullptr;
    TGifResim *gifoncekiler = nullptr;
    TGifResim *gifekstre = nullptr;
    // Tabs, in their order.
    QTabWidget *sPageControl1 = nullptr;
    QWidget *sstoklistesi = nullptr;
    QWidget *ssepet = nullptr;
    QWidget *sonceki = nullptr;
    QWidget *sccariekstre = nullptr;
    QWidget *syeniler = nullptr;
    QWidget *skampanyali = nullptr;
    QWidget *sTabSheetduyuru = nullptr;
    QWidget *sTabbakiyeler = nullptr;
    QWidget *ss = nullptr;
    TWebTarayici *sitem = nullptr;
    // Status legend and bottom band.
    QFrame *durumLejanti = nullptr;
    QFrame *Panel5 = nullptr;
    Marquee *kayanyazi = nullptr;
    Marquee *RealTimeMarquee1 = nullptr;
    QPixmap Image3;

    // The contents of the first two tabs (see their classes).
    TStokSekmesi *stokSekmesi = nullptr;
    TSepetSekmesi *sepetSekmesi = nullptr;

signals:
    // The completion of the start-up sequence has run.
    void acilisBitti();
    // The account changed ("Başka Cari Seç"): the cart reloads, the stock list empties.
    void cariDegisti();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct AcilisBaglami;

    void cerceveyiKur();
    QWidget *baslikPaneliniKur();
    QWidget *aramaCubugunuKur();
    QWidget *sekmeleriKur();
    QWidget *lejantiKur();
    QWidget *altBandiKur();
    void tipKurallariniUygula(int musteriTipi);
    void webSitesiClick();
    void GeriBildirimKaydet();

    // Steps of the start-up and refresh sequences. Each uses its own connection copy; what
    // it changes on the window happens on the UI thread (arayuzde).
    static void KayanYaziAl(const std::shared_ptr<AcilisBaglami> &b);
    static void BannerREsimAl(const std::shared_ptr<AcilisBaglami> &b);
    static void BannerREsimAlUst(const std::shared_ptr<AcilisBaglami> &b);
    static void BannerREsimAlAlt(const std::shared_ptr<AcilisBaglami> &b);
    static void AcilisReklamAdetAl(const std::shared_ptr<AcilisBaglami> &b);
    static void BalonYaz(const std::shared_ptr<AcilisBaglami> &b);
    std::shared_ptr<AcilisBaglami> acilisBaglami();
    static void acilisAdimlari(const std::shared_ptr<AcilisBaglami> &b);

    void ustBannerYukle(const QByteArray &gif);
    void altBannerYukle(const QByteArray &bmp);
    void sayaclariYaz(qint64 sepet, qint64 yeni, qint64 kampanya, qint64 duyuru, double bakiye);

    KurulumAyarlari m_ayarlar;
    WebAdresleri m_adresler;
    KullaniciTipiKurallari m_tipKurallari;
};

} // namespace vexor
