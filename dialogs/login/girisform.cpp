#include "girisform.h"

#include "ayarini.h"
#include "disip.h"
#include "dosyaindir.h"
#include "duzmesaj.h"
#include "formistekyeni.h"

#include "common/async.h"
#include "common/errorreport.h"
#include "common/mesaj.h"
#include "common/sysinfo.h"
#include "platform/gifresim.h"
#include "platform/processexit.h"
#include "platform/uppercase.h"
#include "platform/vexorstyle.h"
#include "server/baglantiac.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/errors.h"
#include "proxim.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace vexor {

namespace {

// This client's own version; the server names the one it expects in `Version`.
constexpr qint32 kIstemciSurumu = 1;

const QString kGirisYazisi = QStringLiteral("Giriş");

} // namespace

// The account fetch's closure record: filled on the worker, read by the completion.
struct Tgirisform::GirisKapanisi
{
    bool dogrusonuc = false;
    QString hataMetni;      // the message of an error raised by the call, shown before ours
    TSonucBilgisi kayit;    // the server's record with the workstation facts set
};

namespace {

// The account fetch of the log-in, on a worker: its own connection copy, its own record.
bool GirisBilgisiAl(Connection &kopya, const QString &idsi, const QString &disIpAdresi,
                    const std::atomic<bool> &iptal, TSonucBilgisi &kayit, QString &hataMetni)
{
    if (!BaglantiAc(kopya, 0))
        return false;
    try {
        TServerMethods1Client proxy(&kopya);
        const TSonucBilgisi *sonuc = proxy.BuyukGetir(idsi);
        if (!sonuc)
            throw ProtocolError(QStringLiteral("TServerMethods1.BuyukGetir: kayıt gelmedi"));
        kayit.Kopyala(*sonuc);
    } catch (...) {
        hataMetni = exceptionText(std::current_exception());
        kopya.close();
        return false;
    }
    kopya.close();

    kayit.setBilgiSayarAdi(BilgisayarAdiVer());
    kayit.setBilgisayarKullanici(BilgisayarKullaniciVer());
    kayit.setIcip(YerelIpVer());
    kayit.setBILGISAYARID(BilgisayarIdVer());
    kayit.setDisip(DisIpVer(disIpAdresi, iptal));
    return true;
}

QLabel *etiket(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("girisEtiketi"));
    return label;
}

} // namespace

Tgirisform::Tgirisform(const KurulumAyarlari &ayarlar, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_ayarlar(ayarlar)
    , m_adresler(ayarlar)
    , m_iptal(std::make_shared<std::atomic<bool>>(false))
{
    setWindowTitle(kGirisYazisi);
    setObjectName(QStringLiteral("girisform"));
    setFixedSize(368, 550);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 368, 550);
    Image1->setPixmap(loginBackground(QSize(368, 550)));
    Image1->setAlignment(Qt::AlignCenter);

    Label1 = etiket(QStringLiteral(" Kullanıcı Adı:"), this);
    Label1->setGeometry(40, 205, 288, 24);
    adi = new QLineEdit(this);
    adi->setObjectName(QStringLiteral("adi"));
    adi->setGeometry(40, 231, 288, 32);
    forceUpperCase(adi);

    Label2 = etiket(QStringLiteral(" Şifre:"), this);
    Label2->setGeometry(40, 275, 288, 24);
    sifre = new QLineEdit(this);
    sifre->setObjectName(QStringLiteral("sifre"));
    sifre->setGeometry(40, 301, 288, 32);
    sifre->setEchoMode(QLineEdit::Password);
    forceUpperCase(sifre);

    benihatirla = new QCheckBox(QStringLiteral("Beni hatırla"), this);
    benihatirla->setObjectName(QStringLiteral("benihatirla"));
    benihatirla->setGeometry(40, 343, 288, 24);
    benihatirla->setChecked(true);

    Button1 = new QPushButton(kGirisYazisi, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(40, 381, 122, 38);
    Button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(206, 381, 122, 38);
    // Enter belongs to the text boxes (their own rules below), never to a default button.
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    RxGIFAnimator1 = new TGifResim(this);
    RxGIFAnimator1->setGeometry(170, 386, 28, 28);
    RxGIFAnimator1->loadFile(busyAnimationPath());
    RxGIFAnimator1->setVisible(false);

    Label3 = new QLabel(QStringLiteral("Vexor Otomotiv Yedek Parça Tic. A.Ş.\n"
                                       "Müşteri Hizmetleri: 0 (212) 555 00 00\n"
                                       "b2b@vexor-otomotiv.com.tr"),
                        this);
    Label3->setObjectName(QStringLiteral("girisIletisim"));
    Label3->setGeometry(20, 445, 328, 80);
    Label3->setAlignment(Qt::AlignCenter);
    Label3->setWordWrap(true);

    connect(Button1, &QPushButton::clicked, this, &Tgirisform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tgirisform::Button2Click);
    adi->installEventFilter(this);
    sifre->installEventFilter(this);
    setTabOrder(adi, sifre);
    setTabOrder(sifre, benihatirla);
    setTabOrder(benihatirla, Button1);
    setTabOrder(Button1, Button2);

    idsi = BilgisayarIdVer();
    AyarOku();
    adi->setFocus();
}

Tgirisform::~Tgirisform()
{
    m_iptal->store(true);
}

void Tgirisform::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The main window is not visible yet: centre on the screen.
    if (const QScreen *screen = this->screen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    adi->setFocus();
}

void Tgirisform::AyarOku()
{
    const std::optional<KullaniciAyari> ayar = ayarDosyasiniOku(ayarDosyasiYolu());
    if (!ayar)
        return;
    benihatirla->setChecked(ayar->hatirla);
    if (benihatirla->isChecked()) {
        adi->setText(ayar->isim);
        sifre->setText(ayar->sifre);
    }
}

void Tgirisform::AyarYaz()
{
    // Name and password are kept whatever "Beni hatırla" says; it only decides whether they
    // are filled in next time.
    const KullaniciAyari ayar{adi->text(), sifre->text(), benihatirla->isChecked()};
    QString hata;
    if (!ayarDosyasinaYaz(ayarDosyasiYolu(), ayar, &hata))
        MesajGoster(QStringLiteral("Giriş bilgileri kaydedilemedi: ") + hata, MessageWarning, kButtonsOk, ButtonOk);
}

bool Tgirisform::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != adi && watched != sifre))
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);

    if (watched == adi) {
        if (adi->text().trimmed().isEmpty()) {
            DuzMesajGoster(QStringLiteral("Lütfen kullanıcı adını giriniz !"), MessageWarning);
            kutuyaDon(adi);
        } else {
            kutuyaDon(sifre);
        }
        return true;
    }
    if (sifre->text().trimmed().isEmpty()) {
        DuzMesajGoster(QStringLiteral("Lütfen kullanıcı şifresini giriniz !"), MessageWarning);
        kutuyaDon(sifre);
    } else {
        Button1Click();
    }
    return true;
}

void Tgirisform::kutuyaDon(QLineEdit *kutu)
{
    kutu->selectAll();
    kutu->setFocus();
}

void Tgirisform::Button1Click()
{
    if (m_calisiyor)
        return;
    m_calisiyor = true;
    Button1->setText(QStringLiteral("Bağlanıyor..."));
    Button1->setEnabled(false);
    RxGIFAnimator1->GosterAnim();

    struct IpKapanisi
    {
        QString disIp;
    };
    auto kapanis = std::make_shared<IpKapanisi>();
    const QString adres = m_adresler.disIp();
    const std::shared_ptr<std::atomic<bool>> iptal = m_iptal;
    QPointer<Tgirisform> self(this);
    Async([kapanis, adres, iptal] { kapanis->disIp = DisIpVer(adres, *iptal); })
        ->Await([self, kapanis] {
            if (!self)
                return;
            self->Button1->setText(QStringLiteral("Giriş!"));
            self->RxGIFAnimator1->GizleDurdur();
            self->Devamet(kapanis->disIp);
        });
}

void Tgirisform::Button2Click()
{
    m_iptal->store(true);
    endProcess(0);
    reject();
}

void Tgirisform::Devamet(const QString &disIp)
{
    if (disIp.trimmed().isEmpty()) {
        MesajGoster(QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyiniz !"), MessageError, kButtonsOk, ButtonOk);
        yenidenDene(false);
        return;
    }
    Bilgim->setDisip(disIp);
    bagim->HostName = m_ayarlar.saticiSunucusu;

    auto kapanis = std::make_shared<GirisKapanisi>();
    // The copy takes the settings now; the worker opens and uses it alone.
    std::shared_ptr<Connection> kopya(bagim->clone().release());
    const QString kimlik = idsi;
    const QString adres = m_adresler.disIp();
    const std::shared_ptr<std::atomic<bool>> iptal = m_iptal;
    QPointer<Tgirisform> self(this);
    Async([kapanis, kopya, kimlik, adres, iptal] {
        kapanis->dogrusonuc = GirisBilgisiAl(*kopya, kimlik, adres, *iptal, kapanis->kayit, kapanis->hataMetni);
    })->Await([self, kapanis] {
        if (self)
            self->GirisSonucu(*kapanis);
    });
}

void Tgirisform::yenidenDene(bool adaDon)
{
    Button1->setEnabled(true);
    m_calisiyor = false;
    if (adaDon)
        kutuyaDon(adi);
}

void Tgirisform::GirisSonucu(const GirisKapanisi &kapanis)
{
    RxGIFAnimator1->GizleDurdur();
    if (!kapanis.dogrusonuc) {
        if (!kapanis.hataMetni.isEmpty())
            DuzMesajGoster(kapanis.hataMetni, MessageError);
        MesajGoster(QStringLiteral("Bağlantı Kurulamadı !"), MessageError, kButtonsOk, ButtonOk);
        yenidenDene(true);
        return;
    }
    // The session record is the main window's; it is written here, on the UI thread.
    Bilgim->Kopyala(kapanis.kayit);

    if (Bilgim->Version() != kIstemciSurumu) {
        // The update window ends the program; an outdated client does not log in.
        GuncellemeIndir();
        return;
    }
    if (!Bilgim->Varmi()) {
        IstekFormuAc();
        endProcess(0);
        reject();
        return;
    }
    if (adi->text() == Bilgim->ADI() && sifre->text() == Bilgim->SIFRE()) {
        AyarYaz();
        if (Bilgim->AKTIF() == 1) {
            if ((Bilgim->MusteriTipi() == 1 || Bilgim->MusteriTipi() == 2) && !CariSec())
                return;
            accept();
            return;
        }
    }
    MesajGoster(QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !"), MessageWarning, kButtonsOk, ButtonOk);
    yenidenDene(true);
}

void Tgirisform::GuncellemeIndir()
{
    std::unique_ptr<Tdosyaindir> pencere(Tdosyaindir::Yeni(this, Bilgim->Version(), m_adresler));
    pencere->bag = bagim;
    pencere->exec();
    reject();
}

void Tgirisform::IstekFormuAc()
{
    Tformistekyeni form(this);
    form.setWindowTitle(QStringLiteral("Vexor Otomotiv B2B İstek Formu"));
    form.sitem->Navigate(m_adresler.istekFormu(idsi));
    form.exec();
}

bool Tgirisform::CariSec()
{
    if (!cariSecimi)
        return true;
    if (cariSecimi(this, *bagim, *Bilgim) != 1) {
        endProcess(0);
        reject();
        return false;
    }
    return true;
}

} // namespace vexor
