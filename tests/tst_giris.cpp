// The client's start, log-in and main window frame, driven offscreen against a real
// vexor-server (demo database, remote methods and web endpoints in this process).
#include "demoserver.h"
#include "channel.h"
#include "guidriver.h"
#include "testhttp.h"

#include "app/tform1.h"
#include "common/errorreport.h"
#include "common/sysinfo.h"
#include "dialogs/login/ayarini.h"
#include "dialogs/login/dosyaindir.h"
#include "dialogs/login/formistekyeni.h"
#include "dialogs/login/girisform.h"
#include "platform/application.h"
#include "platform/gifresim.h"
#include "platform/marquee.h"
#include "platform/tabbadge.h"
#include "platform/vexorstyle.h"

#include <QAction>
#include <QBuffer>
#include <QRegularExpression>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

using namespace vexor;
using namespace vexor::test;

namespace {

constexpr int kWaitMs = 60000;

const QString kHatali = QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");

void girisBilgileri(Tgirisform *g, const QString &ad, const QString &sifre, bool hatirla = true)
{
    g->adi->clear();
    QTest::keyClicks(g->adi, ad);
    g->sifre->clear();
    QTest::keyClicks(g->sifre, sifre);
    g->benihatirla->setChecked(hatirla);
}

// Opens what the web-site item opens, instead of a browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TstGiris : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void frame();
    void correctLogin_data();
    void correctLogin();
    void refused_data();
    void refused();
    void notRemembered();
    void enterKeys_data();
    void enterKeys();
    void unknownMachine();
    void newVersionBeforePasswordCheck();
    void leaving_data();
    void leaving();
    void publicAddressKeepsTrying();
    void userKinds_data();
    void userKinds();
    void representativeLeavesSelection();
    void exitQuestion();
    void minimisedWindowIsRestored();
    void startUpSequence_data();
    void startUpSequence();
    void webSiteItem();
    void notificationRefreshes();

private:
    // Runs the creation of the window with `drive` acting on the log-in window once shown.
    bool create(TForm1 &form, std::function<void(Tgirisform *)> drive);
    // Types and presses "Giriş", then waits for the warning and leaves with "Vazgeç".
    void refuseAndLeave(Tgirisform *g, const QString &expected);
    void waitForStartUp(TForm1 &form, QSignalSpy &spy);

    DemoServer m_server;
    std::shared_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<ExitRecorder> m_exits;
    QStringList m_reports;
    std::optional<DemoServer::User> m_dealer;
};

void TstGiris::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY2(!BilgisayarIdVer().isEmpty(), "this machine has no identity to enroll");
    m_server.start();
    m_dealer = m_server.user(3);
    QVERIFY(m_dealer);
}

void TstGiris::cleanupTestCase()
{
    m_server.stop();
}

void TstGiris::init()
{
    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
    m_exits = std::make_unique<ExitRecorder>();
    m_reports.clear();
    setUnhandledExceptionHandler([this](const QString &text) { m_reports << text; });
    QFile::remove(ayarDosyasiYolu());
    setClientVersion(*m_server.db, 1);
    m_server.enroll(m_dealer->name);
}

void TstGiris::cleanup()
{
    // Nothing the program did may have ended up in the general error report.
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(u'\n')));
    m_exits.reset();
    setUnhandledExceptionHandler({});
    setMessagePresenter(nullptr);
}

bool TstGiris::create(TForm1 &form, std::function<void(Tgirisform *)> drive)
{
    auto driver = whenShown<Tgirisform>(std::move(drive));
    return form.FormCreate();
}

void TstGiris::refuseAndLeave(Tgirisform *g, const QString &expected)
{
    g->Button1->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_presenter->texts().contains(expected), kWaitMs);
    // Back where the user can try again.
    QVERIFY(g->Button1->isEnabled());
    QCOMPARE(g->Button1->text(), QStringLiteral("Giriş!"));
    QVERIFY(!g->RxGIFAnimator1->isVisible());
    g->Button2->click();
}

void TstGiris::waitForStartUp(TForm1 &form, QSignalSpy &spy)
{
    if (spy.isEmpty())
        QVERIFY(spy.wait(kWaitMs));
    Q_UNUSED(form);
}

void TstGiris::frame()
{
    TForm1 form(m_server.ayarlar());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vexor Otomotiv B2B Programı"));

    const QStringList captions = {QStringLiteral("Stok Listesi"), QStringLiteral("Sepet"), QStringLiteral("Önceki Siparişler"),
                                  QStringLiteral("Cari Ekstre"), QStringLiteral("Yeni Stoklar"), QStringLiteral("Kampanyalı Stoklar"),
                                  QStringLiteral("Duyurular"), QStringLiteral("Bakiyeler"), QStringLiteral("Sanal Pos")};
    const QList<QWidget *> pages = {form.sstoklistesi, form.ssepet, form.sonceki, form.sccariekstre, form.syeniler,
                                    form.skampanyali, form.sTabSheetduyuru, form.sTabbakiyeler, form.ss};
    QCOMPARE(form.sPageControl1->count(), 9);
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(form.sPageControl1->widget(i), pages[i]);
        QCOMPARE(form.sPageControl1->tabText(i), captions[i]);
        QVERIFY(!form.sPageControl1->tabIcon(i).isNull());
        QCOMPARE(form.sPageControl1->isTabVisible(i), i != 8);
    }
    QCOMPARE(form.sPageControl1->currentWidget(), form.sstoklistesi);

    // A count caption keeps its title.
    form.sekmeBasligiYaz(form.ssepet, QStringLiteral("7=Sepet"));
    QCOMPARE(parseTabCaption(form.sekmeBasligi(form.ssepet)), (TabCaption{QStringLiteral("Sepet"), 7}));

    // General menu: the items in their order, "Raporlar" hidden until a representative logs in.
    QStringList menu;
    for (QAction *a : form.Genelmenu->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(menu, (QStringList{QStringLiteral("Mail Gönder"), QStringLiteral("-"), QStringLiteral("Şifre Değiştirme İsteği"),
                                QStringLiteral("-"), QString(), QStringLiteral("-"), QStringLiteral("Çıkış"), QStringLiteral("-"),
                                QStringLiteral("Raporlar")}));
    QVERIFY(!form.R1->isVisible());
    QVERIFY(!form.musteritus->isVisible());

    // Header and bars before anyone logged in.
    QVERIFY(form.kullanicilbl->text().isEmpty());
    QVERIFY(!form.logo->pixmap().isNull());
    QCOMPARE(form.RxGIFAnimator2->height(), 0);
    QCOMPARE(form.Panel5->height(), 40);
    QVERIFY(!form.RealTimeMarquee1->isVisible());
    for (TGifResim *busy : {form.gifstokara, form.gifyeniler, form.gifkampanyali, form.gifduyuru, form.gifoncekiler, form.gifekstre})
        QVERIFY(busy->isHidden());

    QStringList legend;
    for (QLabel *l : form.durumLejanti->findChildren<QLabel *>())
        if (!l->text().isEmpty())
            legend << l->text();
    QCOMPARE(legend, (QStringList{QStringLiteral("Durum Açıklaması:    "), QStringLiteral(" Stok mevcut  "),
                                  QStringLiteral(" Telefon Açınız  "), QStringLiteral(" Yolda  "),
                                  QStringLiteral(" Tedarik Sürecinde "), QStringLiteral(" Özel Sipariş  "), QStringLiteral(" Yok  ")}));
}

void TstGiris::correctLogin_data()
{
    QTest::addColumn<bool>("remembered");
    QTest::addColumn<bool>("lowerCase");
    QTest::newRow("typed") << false << false;
    QTest::newRow("typed in lower case") << false << true;
    QTest::newRow("remembered") << true << false;
}

void TstGiris::correctLogin()
{
    QFETCH(bool, remembered);
    QFETCH(bool, lowerCase);
    if (remembered)
        QVERIFY(ayarDosyasinaYaz(ayarDosyasiYolu(), KullaniciAyari{m_dealer->name, m_dealer->password, true}));

    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    const bool created = create(form, [&](Tgirisform *g) {
        if (remembered) {
            QCOMPARE(g->adi->text(), m_dealer->name);
            QCOMPARE(g->sifre->text(), m_dealer->password);
            QVERIFY(g->benihatirla->isChecked());
        } else {
            girisBilgileri(g, lowerCase ? m_dealer->name.toLower() : m_dealer->name, m_dealer->password);
            QCOMPARE(g->adi->text(), m_dealer->name);  // upper-case entry
        }
        QCOMPARE(g->windowTitle(), QStringLiteral("Giriş"));
        g->Button1->click();
        QCOMPARE(g->Button1->text(), QStringLiteral("Bağlanıyor..."));
        QVERIFY(!g->Button1->isEnabled());
        QVERIFY(g->RxGIFAnimator1->isVisible());
    });
    QVERIFY(created);
    form.showMaximized();
    QVERIFY(form.isMaximized());
    QVERIFY(m_exits->codes.isEmpty());
    QVERIFY2(m_presenter->requests.isEmpty(), qPrintable(m_presenter->texts().join(u'\n')));

    // The session record: the server's user and account, this workstation's facts.
    QCOMPARE(form.sbilgi.ADI(), m_dealer->name);
    QCOMPARE(form.sbilgi.AKTIF(), 1);
    QVERIFY(form.sbilgi.Varmi());
    QCOMPARE(form.sbilgi.BILGISAYARID(), BilgisayarIdVer());
    QCOMPARE(form.sbilgi.Disip(), QStringLiteral("127.0.0.1"));
    QCOMPARE(form.sbilgi.BilgiSayarAdi(), BilgisayarAdiVer());
    QVERIFY(!form.sbilgi.CariAdi().isEmpty());
    QCOMPARE(form.bagc.HostName, QStringLiteral("127.0.0.1"));
    QCOMPARE(form.bagc.Port, int(m_server.app->port()));

    waitForStartUp(form, started);
    QCOMPARE(form.kullanicilbl->text(), m_dealer->name);
    QCOMPARE(form.cariadilbl->text(), form.sbilgi.CariAdi());
    QCOMPARE(form.saticilbl->text(), form.sbilgi.SaticiAdi() + QStringLiteral(" Telefonu: ") + form.sbilgi.SaticiTelefon()
                                         + QStringLiteral(" email: ") + form.sbilgi.SaticiMail());
    QVERIFY(!form.sbilgi.SaticiAdi().isEmpty());
    QCOMPARE(form.webSitesi->text(), m_server.webRoot());
    QCOMPARE(form.DSClientCallbackChannelManager1.Port, int(m_server.app->port()));
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Vexor Otomotiv B2B"));

    const std::optional<KullaniciAyari> saved = ayarDosyasiniOku(ayarDosyasiYolu());
    QVERIFY(saved);
    QCOMPARE(*saved, (KullaniciAyari{m_dealer->name, m_dealer->password, true}));
}

void TstGiris::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("inactive");
    QTest::addColumn<bool>("settingsWritten");
    QTest::newRow("wrong name") << QStringLiteral("BASKASI") << QString() << false << false;
    QTest::newRow("wrong password") << QString() << QStringLiteral("YANLIS") << false << false;
    QTest::newRow("both empty") << QStringLiteral("") << QStringLiteral("") << false << false;
    QTest::newRow("AKTIF 0") << QString() << QString() << true << true;
}

void TstGiris::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(bool, inactive);
    QFETCH(bool, settingsWritten);
    DemoServer::User user = *m_dealer;
    if (inactive) {
        const std::optional<DemoServer::User> pasif = m_server.user(3, false);
        QVERIFY(pasif);
        user = *pasif;
        m_server.enroll(user.name);
    }
    // A null text stands for the user's own value; an empty one is typed as empty.
    const QString typedName = name.isNull() ? user.name : name;
    const QString typedPassword = password.isNull() ? user.password : password;

    TForm1 form(m_server.ayarlar());
    const bool created = create(form, [&](Tgirisform *g) {
        girisBilgileri(g, typedName, typedPassword);
        refuseAndLeave(g, kHatali);
    });
    QVERIFY(!created);
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    QCOMPARE(m_presenter->requests.size(), 1);
    QCOMPARE(m_presenter->requests.first().kind, int(MessageWarning));
    QCOMPARE(m_presenter->requests.first().title, QStringLiteral("Uyarı"));
    QVERIFY(!form.isVisible());

    const std::optional<KullaniciAyari> saved = ayarDosyasiniOku(ayarDosyasiYolu());
    QCOMPARE(saved.has_value(), settingsWritten);
    if (saved)
        QCOMPARE(*saved, (KullaniciAyari{typedName, typedPassword, true}));
}

void TstGiris::notRemembered()
{
    {
        // No settings yet: empty boxes, "Beni hatırla" checked.
        Tgirisform fresh(m_server.ayarlar());
        QVERIFY(fresh.adi->text().isEmpty());
        QVERIFY(fresh.sifre->text().isEmpty());
        QVERIFY(fresh.benihatirla->isChecked());
        QCOMPARE(fresh.benihatirla->text(), QStringLiteral("Beni hatırla"));
        QCOMPARE(fresh.sifre->echoMode(), QLineEdit::Password);
    }
    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password, false);
        g->Button1->click();
    }));
    waitForStartUp(form, started);

    // The file keeps name and password; only "hatırla" says not to show them.
    const std::optional<KullaniciAyari> saved = ayarDosyasiniOku(ayarDosyasiYolu());
    QVERIFY(saved);
    QCOMPARE(*saved, (KullaniciAyari{m_dealer->name, m_dealer->password, false}));
    QFile file(ayarDosyasiYolu());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("[kullanici]\nisim=%1\nsifre=%2\nhatırla=0\n").arg(m_dealer->name, m_dealer->password));
    QCOMPARE(int(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)), 0);

    Tgirisform next(m_server.ayarlar());
    QVERIFY(next.adi->text().isEmpty());
    QVERIFY(next.sifre->text().isEmpty());
    QVERIFY(!next.benihatirla->isChecked());
}

void TstGiris::enterKeys_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("empty name") << QStringLiteral("  ") << QString() << QStringLiteral("adi")
                                << QStringLiteral("Lütfen kullanıcı adını giriniz !") << QStringLiteral("adi");
    QTest::newRow("name given") << QStringLiteral("ALI") << QString() << QStringLiteral("adi") << QString()
                                << QStringLiteral("sifre");
    QTest::newRow("empty password") << QStringLiteral("ALI") << QStringLiteral(" ") << QStringLiteral("sifre")
                                    << QStringLiteral("Lütfen kullanıcı şifresini giriniz !") << QStringLiteral("sifre");
}

void TstGiris::enterKeys()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, box);
    QFETCH(QString, message);
    QFETCH(QString, focusAfter);
    Tgirisform g(m_server.ayarlar());
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.adi->setText(name);
    g.sifre->setText(password);
    QLineEdit *target = g.findChild<QLineEdit *>(box);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    if (message.isEmpty()) {
        QVERIFY(m_presenter->requests.isEmpty());
    } else {
        QCOMPARE(m_presenter->requests.size(), 1);
        // The plain message window: the application's title, not the kind's.
        QCOMPARE(m_presenter->requests.first().text, message);
        QCOMPARE(m_presenter->requests.first().title, QCoreApplication::applicationName());
    }
    QCOMPARE(g.focusWidget(), g.findChild<QLineEdit *>(focusAfter));
    // Enter never starts the log-in by itself here.
    QVERIFY(g.Button1->isEnabled());
    QCOMPARE(g.Button1->text(), QStringLiteral("Giriş"));
}

void TstGiris::unknownMachine()
{
    m_server.forgetMachines();
    TForm1 form(m_server.ayarlar());
    QString title;
    QString address;
    auto formDriver = whenShown<Tformistekyeni>([&](Tformistekyeni *f) {
        title = f->windowTitle();
        address = f->sitem->adres();
        f->Button1->click();
    });
    const bool created = create(form, [&](Tgirisform *g) {
        // Whatever is typed: the machine decides.
        girisBilgileri(g, QStringLiteral("HERHANGI"), QStringLiteral("BIR"));
        g->Button1->click();
    });
    QVERIFY(!created);
    QCOMPARE(title, QStringLiteral("Vexor Otomotiv B2B İstek Formu"));
    QCOMPARE(address, m_server.webRoot() + QStringLiteral("formmailgonder.aspx?carino=0&kullanici= &id=") + BilgisayarIdVer());
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstGiris::newVersionBeforePasswordCheck()
{
    setClientVersion(*m_server.db, 2);
    TForm1 form(m_server.ayarlar());
    QString versionLine;
    m_presenter->whilePresenting = [&](const MessageRequest &) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<Tdosyaindir *>(w); d && d->isVisible())
                versionLine = d->sLabel1->text().section(u'\n', -1);
    };
    const bool created = create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, QStringLiteral("YANLIS"));
        g->Button1->click();
    });
    QVERIFY(!created);
    QCOMPARE(versionLine, QStringLiteral("Version: 2-1"));
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    // The demo server has no setup program: the download fails, and says so; the password was
    // never checked.
    QCOMPARE(m_presenter->requests.size(), 1);
    QVERIFY(m_presenter->requests.first().text.startsWith(QStringLiteral("Hata Oluştu !\nHata: HTTP 404")));
    QVERIFY(!m_presenter->texts().contains(kHatali));
    QVERIFY(!QFile::exists(ayarDosyasiYolu()));
}

void TstGiris::leaving_data()
{
    QTest::addColumn<QList<HttpAnswer>>("addresses");
    QTest::addColumn<bool>("login");
    QTest::addColumn<QString>("message");
    QTest::newRow("Vazgeç") << QList<HttpAnswer>{} << false << QString();
    QTest::newRow("public address blank after log-in")
        << QList<HttpAnswer>{HttpAnswer{200, "OK", "text/plain", "198.51.100.7"}, HttpAnswer{200, "OK", "text/plain", " \r\n "}}
        << true << QString();
    QTest::newRow("public address empty at once")
        << QList<HttpAnswer>{HttpAnswer{200, "OK", "text/plain", ""}} << true
        << QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyiniz !");
}

void TstGiris::leaving()
{
    QFETCH(QList<HttpAnswer>, addresses);
    QFETCH(bool, login);
    QFETCH(QString, message);
    TestHttpServer updateHost;
    updateHost.answers["ip.php"] = addresses;
    KurulumAyarlari ayarlar = m_server.ayarlar();
    ayarlar.guncellemeKoku = updateHost.rootText();

    TForm1 form(ayarlar);
    const bool created = create(form, [&](Tgirisform *g) {
        if (!login) {
            g->Button2->click();
            return;
        }
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        if (message.isEmpty()) {
            g->Button1->click();
        } else {
            refuseAndLeave(g, message);
        }
    });
    QVERIFY(!created);
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    if (message.isEmpty()) {
        QVERIFY(m_presenter->requests.isEmpty());
    } else {
        QCOMPARE(m_presenter->texts(), QStringList{message});
        QCOMPARE(m_presenter->requests.first().kind, int(MessageError));
    }
    QVERIFY(!form.isVisible());
}

void TstGiris::publicAddressKeepsTrying()
{
    TestHttpServer updateHost;
    updateHost.answers["ip.php"] = {HttpAnswer{503, "Service Unavailable", "text/plain", "bakımda"}};
    KurulumAyarlari ayarlar = m_server.ayarlar();
    ayarlar.guncellemeKoku = updateHost.rootText();

    TForm1 form(ayarlar);
    const bool created = create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
        // Tried again and again, a second apart, while the window stays usable.
        QTRY_VERIFY_WITH_TIMEOUT(updateHost.count("ip.php") >= 3, kWaitMs);
        QVERIFY(g->Button2->isEnabled());
        QCOMPARE(g->Button1->text(), QStringLiteral("Bağlanıyor..."));
        g->Button2->click();
    });
    QVERIFY(!created);
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    QVERIFY(m_presenter->requests.isEmpty());
    // Leaving also ends the lookup.
    QTest::qWait(300);
    const int asked = updateHost.count("ip.php");
    QTest::qWait(2500);
    QCOMPARE(updateHost.count("ip.php"), asked);
}

void TstGiris::userKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("representative");
    QTest::addColumn<bool>("campaignTab");
    for (int kind = 0; kind <= 4; ++kind)
        QTest::addRow("kind %d", kind) << kind << (kind == 1 || kind == 2) << (kind != 4);
}

void TstGiris::userKinds()
{
    QFETCH(int, kind);
    QFETCH(bool, representative);
    QFETCH(bool, campaignTab);
    const std::optional<DemoServer::User> user = m_server.user(kind);
    QVERIFY(user);
    m_server.enroll(user->name);

    TForm1 form(m_server.ayarlar());
    int selections = 0;
    QStringList owners;
    bool sharedConnectionAndRecord = true;
    form.cariSecimi = [&](QWidget *owner, Connection &bag, TSonucBilgisi &bilgim) {
        ++selections;
        owners << QString::fromLatin1(owner->metaObject()->className());
        sharedConnectionAndRecord = sharedConnectionAndRecord && &bag == &form.bagc && &bilgim == &form.sbilgi;
        bilgim.setCARINO(user->accountId);
        bilgim.setCariAdi(QStringLiteral("SEÇİLEN CARİ"));
        return 1;
    };
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, user->name, user->password);
        g->Button1->click();
    }));
    waitForStartUp(form, started);
    form.show();

    QCOMPARE(form.sbilgi.MusteriTipi(), kind);
    QCOMPARE(selections, representative ? 1 : 0);
    QVERIFY(sharedConnectionAndRecord);
    if (representative)
        QCOMPARE(owners.first(), QStringLiteral("vexor::Tgirisform"));
    QCOMPARE(form.musteritus->isVisible(), representative);
    QCOMPARE(form.R1->isVisible(), representative);
    QCOMPARE(form.sPageControl1->isTabVisible(form.sPageControl1->indexOf(form.skampanyali)), campaignTab);
    QVERIFY(!form.sPageControl1->isTabVisible(form.sPageControl1->indexOf(form.ss)));
    if (representative) {
        QCOMPARE(form.sbilgi.CARINO(), user->accountId);
        QCOMPARE(form.cariadilbl->text(), QStringLiteral("SEÇİLEN CARİ"));
    }
    // The column rules the grids take over.
    const KullaniciTipiKurallari &k = form.tipKurallari();
    QCOMPARE(k.kolonlari(KuralGridi::Sepet).contains(KolonKurali{KuralGridi::Sepet, QStringLiteral("DURUM"), false, false, {}}),
             kind == 3);
    QCOMPARE(k.kolonlari(KuralGridi::Sepet).contains(
                 KolonKurali{KuralGridi::Sepet, QStringLiteral("KALAN"), true, true, QStringLiteral("Kalan")}),
             representative);
    QCOMPARE(k.kolonlari(KuralGridi::Stok).contains(KolonKurali{KuralGridi::Stok, QStringLiteral("KAMPFIYAT"), false, false, {}}),
             kind == 4);

    // "Başka Cari Seç" goes through the same selection and shows the new account.
    if (representative) {
        QSignalSpy changed(&form, &TForm1::cariDegisti);
        form.sPageControl1->setCurrentWidget(form.ssepet);
        form.musteritus->click();
        QCOMPARE(selections, 2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(form.sekmeBasligi(form.sstoklistesi), QStringLiteral("0=Stok Listesi"));
        QCOMPARE(form.sPageControl1->currentWidget(), form.sstoklistesi);
    }
}

void TstGiris::representativeLeavesSelection()
{
    const std::optional<DemoServer::User> user = m_server.user(1);
    QVERIFY(user);
    m_server.enroll(user->name);
    TForm1 form(m_server.ayarlar());
    form.cariSecimi = [](QWidget *, Connection &, TSonucBilgisi &) { return 2; };
    QVERIFY(!create(form, [&](Tgirisform *g) {
        girisBilgileri(g, user->name, user->password);
        g->Button1->click();
    }));
    QCOMPARE(m_exits->codes.value(0, -1), 0);
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstGiris::exitQuestion()
{
    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
    }));
    waitForStartUp(form, started);
    form.showMaximized();
    form.araedit->setText(QStringLiteral("FREN"));
    form.sPageControl1->setCurrentWidget(form.sonceki);
    const QString header = form.saticilbl->text();
    const QStringList captions = [&] {
        QStringList c;
        for (int i = 0; i < form.sPageControl1->count(); ++i)
            c << form.sPageControl1->tabText(i);
        return c;
    }();

    m_presenter->answer = ButtonNo;
    QVERIFY(!form.close());
    QCOMPARE(m_presenter->requests.size(), 1);
    const MessageRequest &question = m_presenter->requests.first();
    QCOMPARE(question.text, QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"));
    QCOMPARE(question.kind, int(MessageQuestion));
    QCOMPARE(question.defaultButton, int(ButtonYes));
    QCOMPARE(question.buttons.size(), 2);
    // Everything as it was.
    QVERIFY(form.isVisible());
    QVERIFY(m_exits->codes.isEmpty());
    QCOMPARE(form.saticilbl->text(), header);
    QCOMPARE(form.araedit->text(), QStringLiteral("FREN"));
    QCOMPARE(form.sPageControl1->currentWidget(), form.sonceki);
    for (int i = 0; i < form.sPageControl1->count(); ++i)
        QCOMPARE(form.sPageControl1->tabText(i), captions[i]);

    // "Çıkış" asks the same; Yes ends the process.
    m_presenter->answer = ButtonYes;
    form.G1->trigger();
    QCOMPARE(m_presenter->requests.size(), 2);
    QCOMPARE(m_exits->codes, QList<int>{0});
}

void TstGiris::minimisedWindowIsRestored()
{
    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
    }));
    // The completion reaches the window only through the event loop, after this.
    form.showMinimized();
    QVERIFY(form.isMinimized());
    waitForStartUp(form, started);
    QVERIFY(!form.isMinimized());
    QVERIFY(form.windowState() & Qt::WindowMaximized);
}

void TstGiris::startUpSequence_data()
{
    QTest::addColumn<QString>("news");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("upper");
    QTest::addColumn<QByteArray>("lower");
    QTest::addColumn<int>("newsItems");
    QTest::addColumn<int>("stripHeight");
    QTest::addColumn<int>("bandHeight");

    // A two-frame GIF (2 x 2 pixels) and a 300 x 24 bitmap.
    const QByteArray gif = QByteArray::fromHex(
        "47494638396102000200f00000ff000000000021f904000000000021ff0b4e45545343415045322e30030100"
        "00002c000000000200020000020284510021f90400000000002c000000000200020080ffffff00000002028451003b");
    QByteArray bmp;
    {
        QImage picture(300, 24, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "BMP");
    }
    QTest::newRow("news and all banners") << QStringLiteral("<b>Kampanya</b> başladı") << gif << gif << bmp << 1 << 2 << 24 + 40;
    QTest::newRow("blank news, no banners") << QStringLiteral("   ") << QByteArray() << QByteArray() << QByteArray() << 0 << 0 << 40;
}

void TstGiris::startUpSequence()
{
    QFETCH(QString, news);
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, upper);
    QFETCH(QByteArray, lower);
    QFETCH(int, newsItems);
    QFETCH(int, stripHeight);
    QFETCH(int, bandHeight);
    setNews(*m_server.db, news);
    const QList<std::pair<int, QByteArray>> banners = {{1, header}, {2, upper}, {3, lower}};
    for (const auto &[slot, content] : banners) {
        if (content.isEmpty())
            m_server.db->change(QStringLiteral("DELETE FROM banners WHERE slot = ?"), {slot});
        else
            setBanner(*m_server.db, slot, content, QStringLiteral("banner%1").arg(slot));
    }

    TForm1 form(m_server.ayarlar());
    const QSize placeholder = form.GifResim1->pictureSize();
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
    }));
    waitForStartUp(form, started);

    // News line: the server's text as one item, or none for blanks; running either way.
    QCOMPARE(form.kayanyazi->itemCount(), newsItems);
    QVERIFY(form.kayanyazi->isActive());
    // Header banner: replaced and animating, or the designed picture kept.
    QCOMPARE(form.GifResim1->pictureSize(), header.isEmpty() ? placeholder : QSize(2, 2));
    QVERIFY(form.GifResim1->Animate());
    // Upper strip as high as its picture; the bottom band as high as the picture band + 40.
    QCOMPARE(form.RxGIFAnimator2->height(), stripHeight);
    QCOMPARE(form.Panel5->height(), bandHeight);
    QCOMPARE(form.RealTimeMarquee1->isVisibleTo(form.Panel5), !lower.isEmpty());
    QCOMPARE(form.Image3.isNull(), lower.isEmpty());

    // Counters: whole counts before each title.
    const QRegularExpression count(QStringLiteral("^\\d+=(.*)$"));
    const QList<std::pair<QWidget *, QString>> badges = {
        {form.ssepet, QStringLiteral("Sepet")}, {form.syeniler, QStringLiteral("Yeni Stoklar")},
        {form.skampanyali, QStringLiteral("Kampanyalı")}, {form.sTabSheetduyuru, QStringLiteral("Duyurular")},
        {form.sTabbakiyeler, QStringLiteral("Bakiyeler")}};
    for (const auto &[page, title] : badges) {
        const QRegularExpressionMatch m = count.match(form.sekmeBasligi(page));
        QVERIFY2(m.hasMatch(), qPrintable(form.sekmeBasligi(page)));
        QCOMPARE(m.captured(1), title);
    }
    QVERIFY(m_presenter->requests.isEmpty());
}

void TstGiris::webSiteItem()
{
    UrlRecorder browser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
    }));
    waitForStartUp(form, started);
    form.show();
    form.araedit->setText(QStringLiteral("BALATA"));
    form.sPageControl1->setFocus();
    form.webSitesi->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(browser.opened, QList<QUrl>{QUrl(m_server.webRoot())});
    // The window's focus widget, whether or not the window is active just now.
    QCOMPARE(form.focusWidget(), form.araedit);
    QCOMPARE(form.araedit->selectedText(), QStringLiteral("BALATA"));
}

// A broadcast of the server reaches the window's callback on the channel's thread; the
// window then reruns its refresh on the UI thread (here: the news line changed meanwhile) and
// the server gets true back.
void TstGiris::notificationRefreshes()
{
    setNews(*m_server.db, QStringLiteral("   "));
    TForm1 form(m_server.ayarlar());
    QSignalSpy started(&form, &TForm1::acilisBitti);
    QVERIFY(create(form, [&](Tgirisform *g) {
        girisBilgileri(g, m_dealer->name, m_dealer->password);
        g->Button1->click();
    }));
    waitForStartUp(form, started);
    QCOMPARE(form.kayanyazi->itemCount(), 0);

    setNews(*m_server.db, QStringLiteral("Yeni <b>kampanya</b> başladı"));
    NotificationChannel &channel = m_server.app->channel();
    // The manager registers with its first poll; wait until the server knows the callback.
    const auto registered = [&] {
        for (const auto &c : channel.clients())
            if (c.callbacks.contains(QStringLiteral("Morvane")))
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(registered(), 10000);
    const auto sent = channel.broadcast(QJsonValue(QStringLiteral("her şey")));
    QVERIFY(sent.deliveries >= 1);
    QTRY_COMPARE_WITH_TIMEOUT(form.kayanyazi->itemCount(), 1, 10000);
    QTRY_VERIFY_WITH_TIMEOUT([&] {
        const auto n = channel.notification(sent.id);
        return n && n->replyCount >= 1 && n->replies.back().json == "true";
    }(), 10000);
    setNews(*m_server.db, QStringLiteral("   "));
}

int main(int argc, char **argv)
{
    // As the program does: the web form's engine as root, and its shared GL context.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    VexorApplication app(argc, argv);
    applyVexorStyle(app);
    TstGiris test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_giris.moc"
