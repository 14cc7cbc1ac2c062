// The "Sepet" tab driven offscreen against a real vexor-server in this process: loading the
// tab, marks and totals, changing and deleting lines, the checks before sending, sending an
// order and what a failed one leaves behind. The server is the real one with a thin layer that
// notes what some calls carried, so that a test can tell what reached the server.
#include "demoserver.h"
#include "guidriver.h"

#include "app/sepethesap.h"
#include "app/sepetsekmesi.h"
#include "app/tform1.h"
#include "common/errorreport.h"
#include "common/formats.h"
#include "common/sysinfo.h"
#include "dialogs/login/ayarini.h"
#include "dialogs/login/girisform.h"
#include "dialogs/login/onaysip.h"
#include "dialogs/ordering/stokayarinti.h"
#include "dialogs/ordering/tutarkutusu.h"
#include "platform/grid/gridview.h"
#include "platform/tabbadge.h"
#include "proxim.h"
#include "server/connection.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTreeView>
#include <QtTest>

#include <mutex>

using namespace vexor;
using namespace vexor::test;

namespace {

constexpr int kWaitMs = 60000;

// The real server methods; a few note their arguments before doing their work.
class KayitliSunucu : public TServerMethods1
{
public:
    using TServerMethods1::TServerMethods1;

    struct Silme
    {
        qint32 satirno;
        QString aciklamam;
    };
    struct Guncelleme
    {
        qint32 stokno;
        QString barkod;
        double miktar;
        double kdv;
        double fiyat;
        double ind[4];
        qint32 sepetsirano;
    };
    struct Secim
    {
        qint32 sirano;
        qint32 secim;
    };

    qint32 SepetSatirSil(std::unique_ptr<TSonucBilgisi> bilgi, qint32 satirno, const QString &aciklamam) override
    {
        {
            std::lock_guard kilit(m_kilit);
            m_silmeler.push_back({satirno, aciklamam});
        }
        return TServerMethods1::SepetSatirSil(std::move(bilgi), satirno, aciklamam);
    }

    qint32 SepetGuncelle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                          const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                          qint32 _sepetsirano, double ind2, double ind3, double ind4) override
    {
        {
            std::lock_guard kilit(m_kilit);
            m_guncellemeler.push_back({stokno, barkod, miktar, kdv, fiyat, {ind1, ind2, ind3, ind4}, _sepetsirano});
        }
        return TServerMethods1::SepetGuncelle2(std::move(bilgim), carino, stokno, barkod, stokadi, miktar, kdv, fiyat, ind1,
                                               verenid, _sepetsirano, ind2, ind3, ind4);
    }

    void SepetSecimGuncelle(qint32 sirano, qint32 secim) override
    {
        {
            std::lock_guard kilit(m_kilit);
            m_secimler.push_back({sirano, secim});
        }
        TServerMethods1::SepetSecimGuncelle(sirano, secim);
    }

    std::vector<Silme> silmeler() const
    {
        std::lock_guard kilit(m_kilit);
        return m_silmeler;
    }
    std::vector<Guncelleme> guncellemeler() const
    {
        std::lock_guard kilit(m_kilit);
        return m_guncellemeler;
    }
    std::vector<Secim> secimler() const
    {
        std::lock_guard kilit(m_kilit);
        return m_secimler;
    }
    void unut()
    {
        std::lock_guard kilit(m_kilit);
        m_silmeler.clear();
        m_guncellemeler.clear();
        m_secimler.clear();
    }

private:
    mutable std::mutex m_kilit;
    std::vector<Silme> m_silmeler;
    std::vector<Guncelleme> m_guncellemeler;
    std::vector<Secim> m_secimler;
};

struct Stok
{
    qint32 no;
    QString barkod;
    QString adi;
    double kdv;
    double fiyat;
};

int kolon(const MemTable &t, const char *alan)
{
    const int c = t.fieldIndex(QString::fromLatin1(alan));
    if (c < 0)
        qFatal("the cart has no column %s", alan);
    return c;
}

QList<qint64> sutun(const MemTable &t, const char *alan)
{
    QList<qint64> v;
    const int c = kolon(t, alan);
    for (int r = 0; r < t.rowCount(); ++r)
        v << t.asInt(r, c);
    return v;
}

// Double-clicks a cell of the grid the way a user does.
void hucreyeCiftTikla(GridView *grid, int tabloSatiri, const QString &alan)
{
    QVERIFY(grid->setCurrentRow(tabloSatiri));
    grid->setCurrentField(alan);
    QTreeView *tv = grid->treeView();
    const QModelIndex idx = tv->currentIndex();
    QVERIFY(idx.isValid());
    tv->scrollTo(idx);
    const QRect r = tv->visualRect(idx);
    QVERIFY(!r.isEmpty());
    QTest::mouseDClick(tv->viewport(), Qt::LeftButton, {}, r.center());
}

// NETTUTAR of every line, marked or not.
double sepetToplamiHepsi(const MemTable &t)
{
    double toplam = 0;
    const int c = kolon(t, "NETTUTAR");
    for (int r = 0; r < t.rowCount(); ++r)
        toplam += t.asDouble(r, c);
    return toplam;
}

} // namespace

class TstSepet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void sekmeAcilir();
    void siparisGonderilir();
    void gonderReddedilir_data();
    void gonderReddedilir();
    void hepsiniSecKaldir();
    void hepsiniSecSilinmisSatir_data();
    void hepsiniSecSilinmisSatir();
    void seciliHucreIsaretler_data();
    void seciliHucreIsaretler();
    void satirDegisir_data();
    void satirDegisir();
    void temsilciFiyatDegistirir();
    void satirSilinir_data();
    void satirSilinir();
    void hepsiSilinir_data();
    void hepsiSilinir();
    void kargoFirmalari();
    void basarisizSiparis_data();
    void basarisizSiparis();
    void baglantiYok();
    void cariDegisir();
    void excelKaydet();

private:
    std::unique_ptr<TForm1> girisYap(int tip);
    TSepetSekmesi &sepet() { return *m_form->sepetSekmesi; }
    std::vector<Stok> stoklar(int adet) const;
    void sepetiBosalt(int carino);
    qint32 sepeteEkle(TForm1 &form, const Stok &s, double miktar);
    // The tab shown again: cart, lists and the overdue warning all in.
    void sekmeyiAc(TForm1 &form);
    // Three lines, the first and the third marked, delivery and cargo chosen, ready to send.
    void gondermeyeHazirla(const QString &not_);
    int siparisSayisi(int carino) const;
    QList<qint64> sunucudakiSecimler(int carino) const;

    DemoServer m_server;
    std::shared_ptr<KayitliSunucu> m_sunucu;
    std::shared_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<ExitRecorder> m_exits;
    QStringList m_reports;
    std::unique_ptr<TForm1> m_form;
    int m_carino = 0;
};

void TstSepet::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY2(!BilgisayarIdVer().isEmpty(), "this machine has no identity to enroll");
    m_sunucu = m_server.startWith<KayitliSunucu>();
    setClientVersion(*m_server.db, 1);

    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
    m_exits = std::make_unique<ExitRecorder>();
    m_form = girisYap(3);
    QVERIFY(m_form);
    m_carino = m_form->sbilgi.CARINO();
    QVERIFY(m_carino > 0);
}

void TstSepet::cleanupTestCase()
{
    m_form.reset();
    m_exits.reset();
    setMessagePresenter(nullptr);
    m_server.stop();
}

void TstSepet::init()
{
    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
    m_reports.clear();
    setUnhandledExceptionHandler([this](const QString &text) { m_reports << text; });
    sepetiBosalt(m_carino);
    m_sunucu->unut();
}

void TstSepet::cleanup()
{
    // Nothing the tab did may have ended up in the general error report.
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join(u'\n')));
    setUnhandledExceptionHandler({});
    QVERIFY(m_exits->codes.isEmpty());
}

std::unique_ptr<TForm1> TstSepet::girisYap(int tip)
{
    const std::optional<DemoServer::User> user = m_server.user(tip);
    if (!user)
        return nullptr;
    m_server.enroll(user->name);
    QFile::remove(ayarDosyasiYolu());
    auto form = std::make_unique<TForm1>(m_server.ayarlar());
    form->cariSecimi = [user](QWidget *, Connection &, TSonucBilgisi &bilgim) {
        bilgim.setCARINO(user->accountId);
        return 1;
    };
    QSignalSpy basladi(form.get(), &TForm1::acilisBitti);
    auto surucu = whenShown<Tgirisform>([&](Tgirisform *g) {
        QTest::keyClicks(g->adi, user->name);
        QTest::keyClicks(g->sifre, user->password);
        g->benihatirla->setChecked(false);
        g->Button1->click();
    });
    if (!form->FormCreate())
        return nullptr;
    form->resize(1350, 710);
    form->show();
    if (basladi.isEmpty() && !basladi.wait(kWaitMs))
        return nullptr;
    return form;
}

std::vector<Stok> TstSepet::stoklar(int adet) const
{
    std::vector<Stok> v;
    QSqlQuery q = m_server.db->exec(QStringLiteral("SELECT id, barcode, name, vat_rate, list_price FROM stocks "
                                                   "WHERE active = 1 AND list_price > 0 ORDER BY id LIMIT ?"),
                                    {adet});
    while (q.next())
        v.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toString(), q.value(3).toDouble(),
                     q.value(4).toDouble()});
    return v;
}

void TstSepet::sepetiBosalt(int carino)
{
    m_server.db->change(QStringLiteral("DELETE FROM cart_lines WHERE account_id = ?"), {carino});
}

qint32 TstSepet::sepeteEkle(TForm1 &form, const Stok &s, double miktar)
{
    // What the stock tab sends for a dealer: the stock, the quantity, the account and user.
    const std::unique_ptr<Connection> c = form.bagc.clone();
    c->open();
    TServerMethods1Client proxy(c.get());
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->Kopyala(form.sbilgi);
    const qint32 sonuc = proxy.SepetEkle2(std::move(bilgi), form.sbilgi.CARINO(), s.no, s.barkod, s.adi, miktar, s.kdv,
                                          s.fiyat, 0, form.sbilgi.Sirano(), 0, 0, 0, 0);
    c->close();
    return sonuc;
}

void TstSepet::sekmeyiAc(TForm1 &form)
{
    TSepetSekmesi &s = *form.sepetSekmesi;
    QSignalSpy uyari(&s, &TSepetSekmesi::bakiyeUyarisiBitti);
    if (form.sPageControl1->currentWidget() == form.ssepet)
        form.sPageControl1->setCurrentWidget(form.sstoklistesi);
    form.sPageControl1->setCurrentWidget(form.ssepet);
    // The warning may come in while the cart loads (waits for the connection run the loop).
    if (uyari.isEmpty())
        QVERIFY(uyari.wait(kWaitMs));
}

void TstSepet::gondermeyeHazirla(const QString &not_)
{
    const std::vector<Stok> s = stoklar(3);
    for (const Stok &k : s)
        QCOMPARE(sepeteEkle(*m_form, k, 2), 1);
    sekmeyiAc(*m_form);
    TSepetSekmesi &t = sepet();
    t.Button5->click();
    hucreyeCiftTikla(t.cxGridDBTableView1, 0, QStringLiteral("SEC"));
    hucreyeCiftTikla(t.cxGridDBTableView1, 2, QStringLiteral("SEC"));
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{1, 0, 1}));
    t.boxkargo->click(0);
    QVERIFY(t.kargocombo->count() > 2);
    t.kargocombo->setCurrentIndex(2);
    t.aciklamagir->setPlainText(not_);
    m_presenter->requests.clear();
}

int TstSepet::siparisSayisi(int carino) const
{
    return m_server.db->scalar(QStringLiteral("SELECT COUNT(*) FROM orders WHERE account_id = ?"), {carino})->toInt();
}

QList<qint64> TstSepet::sunucudakiSecimler(int carino) const
{
    QList<qint64> v;
    QSqlQuery q = m_server.db->exec(QStringLiteral("SELECT selected FROM cart_lines WHERE account_id = ? ORDER BY id"), {carino});
    while (q.next())
        v << q.value(0).toLongLong();
    return v;
}

void TstSepet::sekmeAcilir()
{
    TSepetSekmesi &t = sepet();
    t.lbluyarbakiye->setText(QStringLiteral("eski uyarı"));
    sekmeyiAc(*m_form);
    QVERIFY2(m_presenter->requests.isEmpty(), qPrintable(m_presenter->texts().join(u'\n')));

    // An empty cart: no badge, zero totals with the locale's separator, no discount or tax rows.
    QVERIFY(t.sepetAcik());
    QCOMPARE(t.sepet.rowCount(), 0);
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QStringLiteral("0=Sepet"));
    for (QLabel *l : {t.aratoplaml, t.indiriml, t.nettutarl, t.vergil, t.geneltoplaml})
        QCOMPARE(l->text(), QStringLiteral("0,00"));
    for (QLabel *l : {t.indirimBaslik, t.indiriml, t.vergiBaslik, t.vergil})
        QVERIFY(l->isHidden());

    // The overdue warning is what the server says for the account (empty included).
    const std::unique_ptr<Connection> c = m_form->bagc.clone();
    c->open();
    const QString uyari = TServerMethods1Client(c.get()).CariVadeGunGecmismiBul(m_carino);
    QCOMPARE(t.lbluyarbakiye->text(), uyari);

    // Delivery options with the second one chosen; cargo types with none chosen.
    QStringList teslimler, turler;
    for (int i = 0; i < t.teslimbox->count(); ++i)
        teslimler << t.teslimbox->itemText(i);
    for (int i = 0; i < t.boxkargo->count(); ++i)
        turler << t.boxkargo->itemText(i);
    QCOMPARE(teslimler, (QStringList{QStringLiteral("Kargo ile"), QStringLiteral("Servisimizle teslim"),
                                     QStringLiteral("Depodan teslim alınacak"), QStringLiteral("Ambar ile")}));
    QCOMPARE(t.teslimbox->itemIndex(), 1);
    QCOMPARE(t.teslimbox->itemNumber(1), 2);
    QCOMPARE(turler, (QStringList{QStringLiteral("Alıcı ödemeli"), QStringLiteral("Gönderici ödemeli"),
                                  QStringLiteral("Anlaşmalı kargo")}));
    QCOMPARE(t.boxkargo->itemIndex(), -1);

    // A dealer of kind 3 has no status column, and no remainder column.
    QVERIFY(!t.cxGridDBTableView1->isColumnShown(u"DURUM"));
    QVERIFY(!t.cxGridDBTableView1->isColumnShown(u"KALAN"));
    QVERIFY(t.cxGridDBTableView1->isColumnShown(u"SEC"));

    // Shown again after the user moved the selection: the lists start over.
    t.teslimbox->click(3);
    t.boxkargo->click(1);
    sekmeyiAc(*m_form);
    QCOMPARE(t.teslimbox->itemIndex(), 1);
    QCOMPARE(t.boxkargo->itemIndex(), -1);
    QCOMPARE(t.teslimbox->count(), 4);
}

void TstSepet::siparisGonderilir()
{
    TSepetSekmesi &t = sepet();
    sekmeyiAc(*m_form);
    QCOMPARE(t.sepet.rowCount(), 0);

    // Three stocks into the cart, as the stock tab adds them, then the cart reloads.
    const std::vector<Stok> s = stoklar(3);
    QCOMPARE(int(s.size()), 3);
    const double miktarlar[] = {2, 5, 3};
    for (size_t i = 0; i < s.size(); ++i)
        QCOMPARE(sepeteEkle(*m_form, s[i], miktarlar[i]), 1);
    t.SepetYukle();
    QCOMPARE(t.sepet.rowCount(), 3);
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QStringLiteral("3=Sepet"));
    QCOMPARE(sutun(t.sepet, "STOKNO"), (QList<qint64>{s[0].no, s[1].no, s[2].no}));
    // New lines arrive marked, so the totals are those of all three.
    QCOMPARE(t.geneltoplaml->text(), formatNumber(sepetToplami(t.sepet).genelToplam, kTutarBicimi));

    // Nothing marked yet: the first check speaks.
    t.Button5->click();
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{0, 0, 0}));
    t.Button1->click();
    QCOMPARE(m_presenter->texts(), QStringList{QStringLiteral("Gönderilecek Parça Yok ")});
    QCOMPARE(m_presenter->requests.last().kind, int(MessageWarning));

    // Mark the first and the third line with a double click on "Seç".
    hucreyeCiftTikla(t.cxGridDBTableView1, 0, QStringLiteral("SEC"));
    hucreyeCiftTikla(t.cxGridDBTableView1, 2, QStringLiteral("SEC"));
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{1, 0, 1}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{1, 0, 1}));
    const int tutar = kolon(t.sepet, "TUTAR"), net = kolon(t.sepet, "NETTUTAR"), vergi = kolon(t.sepet, "VERGITUTARI");
    const double a = Yuvarla(t.sepet.asDouble(0, tutar) + t.sepet.asDouble(2, tutar));
    const double g = Yuvarla(t.sepet.asDouble(0, net) + t.sepet.asDouble(2, net) + t.sepet.asDouble(0, vergi)
                             + t.sepet.asDouble(2, vergi));
    QCOMPARE(t.aratoplaml->text(), formatNumber(a, kTutarBicimi));
    QCOMPARE(t.geneltoplaml->text(), formatNumber(g, kTutarBicimi));
    // The footer sums every line, marked or not.
    QCOMPARE(t.cxGridDBTableView1->footerValue(u"MIKTAR").sum, 10.0);
    QCOMPARE(t.cxGridDBTableView1->footerValue(u"NETTUTAR").sum, sepetToplamiHepsi(t.sepet));
    QCOMPARE(t.cxGridDBTableView1->footerValue(u"BARKOD").count, qint64(3));
    QCOMPARE(t.cxGridDBTableView1->footerValue(u"VERILISTARIHI").count, qint64(3));

    // The delivery option is preselected; the cargo type is not.
    t.Button1->click();
    QCOMPARE(m_presenter->texts().last(), QStringLiteral("Lütfen Kargo Türünü Seçiniz !"));

    // A cargo type brings its firms after a blank item; the blank one is no choice.
    t.boxkargo->click(0);
    QCOMPARE(t.kargocombo->itemText(0), QStringLiteral(" "));
    QCOMPARE(t.kargocombo->currentIndex(), 0);
    t.Button1->click();
    QCOMPARE(m_presenter->texts().last(), QStringLiteral("Lütfen Kargo  Seçiniz !"));
    QCOMPARE(m_form->focusWidget(), t.kargocombo);

    const int firma = t.kargocombo->findText(QStringLiteral("YILDIRIM LOJİSTİK"));
    QVERIFY(firma > 0);
    t.kargocombo->setCurrentIndex(firma);
    QCOMPARE(t.uyarikargo->text(), QStringLiteral("30 kg üzeri gönderiler ambar ile gönderilir."));
    // Typed as one key event: keyClicks takes only Latin-1 letters.
    t.aciklamagir->setFocus();
    QTest::sendKeyEvent(QTest::Click, t.aciklamagir, Qt::Key_unknown, QStringLiteral("Öğleden önce lütfen"), Qt::NoModifier);

    const int onceki = siparisSayisi(m_carino);
    const int gecenNot = m_presenter->requests.size();
    QString ozet;
    auto onay = whenShown<TONAYSIP>([&](TONAYSIP *d) {
        ozet = d->Label2->text();
        d->Button1->click();
    });
    t.Button1->click();
    QCOMPARE(ozet, QStringLiteral("Kullanıcı: ") + m_form->sbilgi.ADI() + QStringLiteral("\r\nCari     : ")
                       + m_form->sbilgi.CariAdi() + QStringLiteral("\r\nTeslim   : Servisimizle teslim\r\nKargo    : Alıcı ödemeli"
                                                                   "\r\nTutar    : ")
                       + formatNumber(g, kTutarBicimi)
                       + QStringLiteral("\r\nKargo    : YILDIRIM LOJİSTİK\r\nAçıklama : Öğleden önce lütfen"));
    QCOMPARE(m_presenter->texts().mid(gecenNot), QStringList{QStringLiteral("Siparişiniz Gönderildi !")});
    QCOMPARE(m_presenter->requests.last().kind, int(MessageInformation));

    // One new order on the server with exactly the two marked lines and the choices made.
    QCOMPARE(siparisSayisi(m_carino), onceki + 1);
    QSqlQuery o = m_server.db->exec(QStringLiteral("SELECT o.id, o.delivery_kind_id, o.cargo_kind_id, f.name, o.customer_note "
                                                   "FROM orders o JOIN cargo_firms f ON f.id = o.cargo_firm_id "
                                                   "WHERE o.account_id = ? ORDER BY o.id DESC LIMIT 1"),
                                    {m_carino});
    QVERIFY(o.next());
    QCOMPARE(o.value(1).toInt(), 2);
    QCOMPARE(o.value(2).toInt(), 1);
    QCOMPARE(o.value(3).toString(), QStringLiteral("YILDIRIM LOJİSTİK"));
    QCOMPARE(o.value(4).toString(), QStringLiteral("Öğleden önce lütfen"));
    QList<qint64> siparisStoklari;
    QList<double> siparisMiktarlari;
    QSqlQuery l = m_server.db->exec(QStringLiteral("SELECT stock_id, quantity FROM order_lines WHERE order_id = ? ORDER BY line_no"),
                                    {o.value(0)});
    while (l.next()) {
        siparisStoklari << l.value(0).toLongLong();
        siparisMiktarlari << l.value(1).toDouble();
    }
    QCOMPARE(siparisStoklari, (QList<qint64>{s[0].no, s[2].no}));
    QCOMPARE(siparisMiktarlari, (QList<double>{2, 3}));

    // The unmarked line stays in the cart; the note box is empty again.
    QCOMPARE(t.sepet.rowCount(), 1);
    QCOMPARE(sutun(t.sepet, "STOKNO"), QList<qint64>{s[1].no});
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QStringLiteral("1=Sepet"));
    QVERIFY(t.aciklamagir->toPlainText().isEmpty());
    QCOMPARE(t.aratoplaml->text(), QStringLiteral("0,00"));
}

void TstSepet::gonderReddedilir_data()
{
    QTest::addColumn<bool>("isaretli");
    QTest::addColumn<int>("teslim");
    QTest::addColumn<int>("kargoTuru");   // -1: none clicked
    QTest::addColumn<int>("firma");       // combo index; 0 is the blank item
    QTest::addColumn<QString>("mesaj");

    QTest::newRow("no marked line, all else chosen") << false << 1 << 0 << 1 << QStringLiteral("Gönderilecek Parça Yok ");
    QTest::newRow("no delivery option") << true << -1 << 0 << 1 << QStringLiteral("Lütfen Teslim Durumu Seçiniz !");
    QTest::newRow("no cargo type") << true << 1 << -1 << -1 << QStringLiteral("Lütfen Kargo Türünü Seçiniz !");
    QTest::newRow("blank first firm") << true << 1 << 2 << 0 << QStringLiteral("Lütfen Kargo  Seçiniz !");
}

void TstSepet::gonderReddedilir()
{
    QFETCH(bool, isaretli);
    QFETCH(int, teslim);
    QFETCH(int, kargoTuru);
    QFETCH(int, firma);
    QFETCH(QString, mesaj);

    TSepetSekmesi &t = sepet();
    QCOMPARE(sepeteEkle(*m_form, stoklar(1).front(), 1), 1);
    sekmeyiAc(*m_form);
    if (!isaretli)
        t.Button5->click();
    if (kargoTuru >= 0) {
        t.boxkargo->click(kargoTuru);
        t.kargocombo->setCurrentIndex(firma);
    }
    // As before the options have come: nothing chosen.
    t.teslimbox->setItemIndex(teslim);
    t.aciklamagir->setPlainText(QStringLiteral("not"));
    m_presenter->requests.clear();
    const int onceki = siparisSayisi(m_carino);

    bool onaySoruldu = false;
    auto onay = whenShown<TONAYSIP>([&](TONAYSIP *d) {
        onaySoruldu = true;
        d->Button2->click();
    });
    t.Button1->click();
    QCOMPARE(m_presenter->texts(), QStringList{mesaj});
    QCOMPARE(m_presenter->requests.first().kind, int(MessageWarning));
    QCOMPARE(m_presenter->requests.first().buttons.size(), 1);
    QVERIFY(!onaySoruldu);
    QCOMPARE(siparisSayisi(m_carino), onceki);
    QCOMPARE(t.aciklamagir->toPlainText(), QStringLiteral("not"));
    QCOMPARE(t.sepet.rowCount(), 1);
}

void TstSepet::hepsiniSecKaldir()
{
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(4))
        QCOMPARE(sepeteEkle(*m_form, s, 1), 1);
    sekmeyiAc(*m_form);
    t.Button5->click();
    m_sunucu->unut();

    m_form->araedit->setText(QStringLiteral("FREN"));
    m_form->sPageControl1->setFocus();
    t.Button4->click();
    // One stored mark per line, in table order.
    std::vector<qint32> gonderilen;
    for (const KayitliSunucu::Secim &s : m_sunucu->secimler()) {
        QCOMPARE(s.secim, 1);
        gonderilen.push_back(s.sirano);
    }
    std::vector<qint32> siralar;
    for (qint64 v : sutun(t.sepet, "SIRANO"))
        siralar.push_back(qint32(v));
    QCOMPARE(gonderilen, siralar);
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{1, 1, 1, 1}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{1, 1, 1, 1}));
    const SepetToplami hepsi = sepetToplami(t.sepet);
    QVERIFY(hepsi.genelToplam > 0);
    QCOMPARE(t.geneltoplaml->text(), formatNumber(hepsi.genelToplam, kTutarBicimi));
    QCOMPARE(t.indiriml->isHidden(), !(hepsi.indirim > 1));
    // The search box takes over with its text selected.
    QCOMPARE(m_form->focusWidget(), m_form->araedit);
    QCOMPARE(m_form->araedit->selectedText(), QStringLiteral("FREN"));

    m_sunucu->unut();
    t.Button5->click();
    QCOMPARE(int(m_sunucu->secimler().size()), 4);
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{0, 0, 0, 0}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{0, 0, 0, 0}));
    QCOMPARE(t.geneltoplaml->text(), QStringLiteral("0,00"));
    QVERIFY(t.indiriml->isHidden());
    QVERIFY(t.vergil->isHidden());

    // A disabled search box is left alone.
    m_form->araedit->setEnabled(false);
    t.aciklamagir->setFocus();
    t.Button4->click();
    m_form->araedit->setEnabled(true);
    QCOMPARE(m_form->focusWidget(), t.aciklamagir);
}

void TstSepet::hepsiniSecSilinmisSatir_data()
{
    QTest::addColumn<int>("secim");
    QTest::newRow("Hepsini Seç") << 1;
    QTest::newRow("Seçimleri Kaldır") << 0;
}

void TstSepet::hepsiniSecSilinmisSatir()
{
    QFETCH(int, secim);
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(4))
        QCOMPARE(sepeteEkle(*m_form, s, 1), 1);
    sekmeyiAc(*m_form);
    QPushButton *tus = secim ? t.Button4 : t.Button5;
    (secim ? t.Button5 : t.Button4)->click();
    const int eski = 1 - secim;
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{eski, eski, eski, eski}));

    // The second line went from the cart elsewhere (another workstation) after the load.
    const QList<qint64> siralar = sutun(t.sepet, "SIRANO");
    m_server.db->change(QStringLiteral("DELETE FROM cart_lines WHERE id = ?"), {siralar.at(1)});
    m_sunucu->unut();
    m_presenter->requests.clear();
    tus->click();

    // The line the server refused keeps its mark; every other line still gets its own.
    QCOMPARE(int(m_sunucu->secimler().size()), 4);
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{secim, eski, secim, secim}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{secim, secim, secim}));
    QCOMPARE(t.geneltoplaml->text(), formatNumber(sepetToplami(t.sepet).genelToplam, kTutarBicimi));
    QVERIFY2(m_presenter->requests.isEmpty(), qPrintable(m_presenter->texts().join(u'\n')));
}

void TstSepet::seciliHucreIsaretler_data()
{
    QTest::addColumn<int>("baslangic");
    QTest::addColumn<int>("sonra");
    QTest::newRow("unmarked becomes marked") << 0 << 1;
    QTest::newRow("marked becomes unmarked") << 1 << 0;
}

void TstSepet::seciliHucreIsaretler()
{
    QFETCH(int, baslangic);
    QFETCH(int, sonra);
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(2))
        QCOMPARE(sepeteEkle(*m_form, s, 3), 1);
    sekmeyiAc(*m_form);
    (baslangic ? t.Button4 : t.Button5)->click();
    const QString onceki = t.geneltoplaml->text();
    m_sunucu->unut();

    hucreyeCiftTikla(t.cxGridDBTableView1, 1, QStringLiteral("SEC"));
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{baslangic, sonra}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{baslangic, sonra}));
    QCOMPARE(int(m_sunucu->secimler().size()), 1);
    QVERIFY(t.geneltoplaml->text() != onceki);
    QCOMPARE(t.geneltoplaml->text(), formatNumber(sepetToplami(t.sepet).genelToplam, kTutarBicimi));

    // "Satır Değiştir" on the "Seç" cell does the same as the double click.
    QVERIFY(t.cxGridDBTableView1->setCurrentRow(1));
    t.cxGridDBTableView1->setCurrentField(u"SEC");
    t.SatirDegistir->trigger();
    QCOMPARE(sutun(t.sepet, "SEC"), (QList<qint64>{baslangic, baslangic}));
    QCOMPARE(sunucudakiSecimler(m_carino), (QList<qint64>{baslangic, baslangic}));

    // A line the server no longer has keeps its mark in the table: it was never stored.
    const qint32 sirano = qint32(sutun(t.sepet, "SIRANO").at(0));
    m_server.db->change(QStringLiteral("DELETE FROM cart_lines WHERE id = ?"), {sirano});
    hucreyeCiftTikla(t.cxGridDBTableView1, 0, QStringLiteral("SEC"));
    QCOMPARE(sutun(t.sepet, "SEC").at(0), qint64(baslangic));
}

void TstSepet::satirDegisir_data()
{
    QTest::addColumn<bool>("onay");
    QTest::addColumn<int>("yeniMiktar");
    QTest::newRow("quantity changed") << true << 7;
    QTest::newRow("cancelled") << false << 7;
}

void TstSepet::satirDegisir()
{
    QFETCH(bool, onay);
    QFETCH(int, yeniMiktar);
    TSepetSekmesi &t = sepet();
    const std::vector<Stok> s = stoklar(2);
    for (const Stok &k : s)
        QCOMPARE(sepeteEkle(*m_form, k, 2), 1);
    sekmeyiAc(*m_form);
    const MemTable once = t.sepet;
    const int r = 1;
    const auto metin = [&](const char *alan) { return once.asString(r, kolon(once, alan)); };
    const auto sayi = [&](const char *alan) { return once.asDouble(r, kolon(once, alan)); };
    const qint32 sirano = qint32(once.asInt(r, kolon(once, "SIRANO")));
    QVERIFY2(sayi("INDIRIMORANI1") > 0, "the demo dealer has general discounts");

    QSignalSpy yuklendi(&t, &TSepetSekmesi::sepetYuklendi);
    bool goruldu = false;
    auto surucu = whenShown<Tstokayarinti>([&](Tstokayarinti *d) {
        goruldu = true;
        // The line's own values fill the dialog.
        QCOMPARE(d->barkod->text(), metin("BARKOD"));
        QCOMPARE(d->adi->text(), metin("STOKADI"));
        QCOMPARE(d->marka->text(), metin("MARKA"));
        QCOMPARE(d->finishkod->text(), metin("FINISHKOD"));
        QCOMPARE(d->model->text(), metin("MODEL"));
        QCOMPARE(d->indirimoran->text(), QStringLiteral("İndirim: %") + metin("INDIRIMYAZI"));
        QCOMPARE(d->adet->value(), 2);
        QCOMPARE(d->birimfiyat->value(), sayi("BIRIMFIYAT"));
        QVERIFY(d->birimfiyat->isReadOnly());
        QCOMPARE(d->kdvoran, sayi("KDV"));
        QCOMPARE(d->ind1, sayi("INDIRIMORANI1"));
        QCOMPARE(d->ind2, sayi("INDIRIMORANI2"));
        QCOMPARE(d->_stokno, qint32(sayi("STOKNO")));
        if (!onay) {
            d->ParcaliTus2->click();
            return;
        }
        d->adet->selectAll();
        QTest::keyClicks(d->adet, QString::number(yeniMiktar));
        d->ParcaliTus1->click();
    });
    // A cell other than "Seç" opens the change of the line.
    hucreyeCiftTikla(t.cxGridDBTableView1, r, QStringLiteral("STOKADI"));
    QVERIFY(goruldu);
    QCOMPARE(sutun(t.sepet, "SEC"), sutun(once, "SEC"));

    const std::vector<KayitliSunucu::Guncelleme> g = m_sunucu->guncellemeler();
    if (!onay) {
        QVERIFY(g.empty());
        QCOMPARE(t.sepet.asDouble(r, kolon(t.sepet, "MIKTAR")), 2.0);
        return;
    }
    QCOMPARE(int(g.size()), 1);
    QCOMPARE(g[0].sepetsirano, sirano);
    QCOMPARE(g[0].stokno, 0);
    QCOMPARE(g[0].barkod, metin("BARKOD"));
    QCOMPARE(g[0].miktar, double(yeniMiktar));
    QCOMPARE(g[0].kdv, double(qRound(sayi("KDV"))));
    QCOMPARE(g[0].fiyat, sayi("BIRIMFIYAT"));
    QCOMPARE(g[0].ind[0], sayi("INDIRIMORANI1"));
    QCOMPARE(g[0].ind[1], sayi("INDIRIMORANI2"));
    QCOMPARE(g[0].ind[2], sayi("INDIRIMORANI3"));
    QCOMPARE(g[0].ind[3], sayi("INDIRIMORANI4"));
    // Reloaded: the new quantity, the same rates.
    QVERIFY(!yuklendi.isEmpty());
    QCOMPARE(t.sepet.asDouble(r, kolon(t.sepet, "MIKTAR")), double(yeniMiktar));
    QCOMPARE(t.sepet.asDouble(r, kolon(t.sepet, "INDIRIMORANI1")), sayi("INDIRIMORANI1"));
    QCOMPARE(t.sepet.asString(r, kolon(t.sepet, "INDIRIMYAZI")), metin("INDIRIMYAZI"));
    QCOMPARE(t.sepet.asDouble(0, kolon(t.sepet, "MIKTAR")), 2.0);
}

void TstSepet::temsilciFiyatDegistirir()
{
    // A representative may change the price; the grid shows the remainder and the status.
    std::unique_ptr<TForm1> form = girisYap(1);
    QVERIFY(form);
    const int carino = form->sbilgi.CARINO();
    QVERIFY(carino > 0);
    sepetiBosalt(carino);
    QCOMPARE(sepeteEkle(*form, stoklar(1).front(), 4), 1);
    sekmeyiAc(*form);
    TSepetSekmesi &t = *form->sepetSekmesi;
    QCOMPARE(t.sepet.rowCount(), 1);
    QVERIFY(t.cxGridDBTableView1->isColumnShown(u"KALAN"));
    QVERIFY(t.cxGridDBTableView1->isColumnShown(u"DURUM"));
    QCOMPARE(t.cxGridDBTableView1->columns()[size_t(t.cxGridDBTableView1->columnIndex(u"KALAN"))].headerText(),
             QStringLiteral("Kalan"));

    auto surucu = whenShown<Tstokayarinti>([&](Tstokayarinti *d) {
        QVERIFY(!d->birimfiyat->isReadOnly());
        d->birimfiyat->setValue(123.45);
        d->ParcaliTus1->click();
    });
    hucreyeCiftTikla(t.cxGridDBTableView1, 0, QStringLiteral("BARKOD"));
    QCOMPARE(t.sepet.asDouble(0, kolon(t.sepet, "BIRIMFIYAT")), 123.45);
    QCOMPARE(t.sepet.asDouble(0, kolon(t.sepet, "MIKTAR")), 4.0);
    sepetiBosalt(carino);
    m_server.enroll(m_server.user(3)->name);
}

void TstSepet::satirSilinir_data()
{
    QTest::addColumn<bool>("evet");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TstSepet::satirSilinir()
{
    QFETCH(bool, evet);
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(2))
        QCOMPARE(sepeteEkle(*m_form, s, 1), 1);
    sekmeyiAc(*m_form);
    const qint32 sirano = qint32(sutun(t.sepet, "SIRANO").at(1));
    const QString beklenen = t.sepet.asString(1, kolon(t.sepet, "BARKOD")) + QStringLiteral("-")
                             + t.sepet.asString(1, kolon(t.sepet, "STOKADI"));

    m_presenter->answer = evet ? ButtonYes : ButtonNo;
    QVERIFY(t.cxGridDBTableView1->setCurrentRow(1));
    t.SatirSil->trigger();
    QCOMPARE(m_presenter->requests.first().text, QStringLiteral("Satırı silmek istiyor musunuz "));
    QCOMPARE(m_presenter->requests.first().kind, int(MessageQuestion));
    QCOMPARE(m_presenter->requests.first().defaultButton, int(ButtonNo));
    const std::vector<KayitliSunucu::Silme> silinen = m_sunucu->silmeler();
    if (!evet) {
        QCOMPARE(m_presenter->requests.size(), 1);
        QVERIFY(silinen.empty());
        QCOMPARE(t.sepet.rowCount(), 2);
        return;
    }
    // The server got the line number and barcode-dash-name.
    QCOMPARE(int(silinen.size()), 1);
    QCOMPARE(silinen[0].satirno, sirano);
    QCOMPARE(silinen[0].aciklamam, beklenen);
    QCOMPARE(m_presenter->texts().last(), QStringLiteral("Satır silindi !"));
    QCOMPARE(m_presenter->requests.last().kind, int(MessageInformation));
    QCOMPARE(t.sepet.rowCount(), 1);
    QVERIFY(!sutun(t.sepet, "SIRANO").contains(sirano));
    QCOMPARE(sunucudakiSecimler(m_carino).size(), 1);
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QStringLiteral("1=Sepet"));
}

void TstSepet::hepsiSilinir_data()
{
    QTest::addColumn<int>("satir");
    QTest::addColumn<bool>("evet");
    QTest::addColumn<QStringList>("mesajlar");
    const QString soru = QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz ");
    QTest::newRow("yes") << 3 << true << QStringList{soru, QStringLiteral("Sepet Silindi !")};
    QTest::newRow("no") << 3 << false << QStringList{soru};
    QTest::newRow("empty cart asks nothing") << 0 << true << QStringList{};
}

void TstSepet::hepsiSilinir()
{
    QFETCH(int, satir);
    QFETCH(bool, evet);
    QFETCH(QStringList, mesajlar);
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(satir))
        QCOMPARE(sepeteEkle(*m_form, s, 1), 1);
    sekmeyiAc(*m_form);
    m_presenter->answer = evet ? ButtonYes : ButtonNo;
    t.HepsiniSil->trigger();
    QCOMPARE(m_presenter->texts(), mesajlar);
    if (!mesajlar.isEmpty())
        QCOMPARE(m_presenter->requests.first().defaultButton, int(ButtonNo));
    const int kalan = evet ? 0 : satir;
    QCOMPARE(t.sepet.rowCount(), kalan);
    QCOMPARE(sunucudakiSecimler(m_carino).size(), kalan);
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QString::number(kalan) + QStringLiteral("=Sepet"));
}

void TstSepet::kargoFirmalari()
{
    TSepetSekmesi &t = sepet();
    sekmeyiAc(*m_form);

    const auto firmalar = [&] {
        QStringList v;
        for (int i = 0; i < t.kargocombo->count(); ++i)
            v << t.kargocombo->itemText(i);
        return v;
    };
    t.boxkargo->click(0);
    QCOMPARE(firmalar(), (QStringList{QStringLiteral(" "), QStringLiteral("ANADOLU EKSPRES"), QStringLiteral("DOĞU KARGO"),
                                      QStringLiteral("EGE AMBARI"), QStringLiteral("HIZLI KARGO"),
                                      QStringLiteral("KARTAL NAKLİYAT"), QStringLiteral("YILDIRIM LOJİSTİK")}));
    t.kargocombo->setCurrentIndex(t.kargocombo->findText(QStringLiteral("EGE AMBARI")));
    QCOMPARE(t.uyarikargo->text(), QStringLiteral("Ambar teslim: alıcı şubeden teslim alır."));
    // A firm without a warning, and the blank item, empty the label.
    t.kargocombo->setCurrentIndex(t.kargocombo->findText(QStringLiteral("HIZLI KARGO")));
    QCOMPARE(t.uyarikargo->text(), QString());
    t.kargocombo->setCurrentIndex(t.kargocombo->findText(QStringLiteral("ANADOLU EKSPRES")));
    QCOMPARE(t.uyarikargo->text(), QStringLiteral("Cumartesi teslimat yapılmaz."));
    t.kargocombo->setCurrentIndex(0);
    QCOMPARE(t.uyarikargo->text(), QString());

    // Clicking the chosen type again chooses nothing new: the firm and its warning stay.
    t.kargocombo->setCurrentIndex(t.kargocombo->findText(QStringLiteral("EGE AMBARI")));
    t.boxkargo->click(0);
    QCOMPARE(t.kargocombo->currentText(), QStringLiteral("EGE AMBARI"));
    QCOMPARE(t.kargocombo->count(), 7);
    QCOMPARE(t.uyarikargo->text(), QStringLiteral("Ambar teslim: alıcı şubeden teslim alır."));

    // Another type: its own firms, the warning emptied.
    t.kargocombo->setCurrentIndex(1);
    QVERIFY(!t.uyarikargo->text().isEmpty());
    t.boxkargo->click(2);
    QCOMPARE(firmalar(), (QStringList{QStringLiteral(" "), QStringLiteral("DOĞU KARGO"), QStringLiteral("HIZLI KARGO"),
                                      QStringLiteral("MARMARA KURYE"), QStringLiteral("YILDIRIM LOJİSTİK")}));
    QCOMPARE(t.uyarikargo->text(), QString());
    QCOMPARE(t.kargo.rowCount(), 4);

    // Showing the tab again keeps the firm list as it was.
    sekmeyiAc(*m_form);
    QCOMPARE(firmalar().size(), 5);
    QCOMPARE(t.boxkargo->itemIndex(), -1);
}

void TstSepet::basarisizSiparis_data()
{
    QTest::addColumn<QString>("durum");
    QTest::addColumn<QStringList>("mesajlar");
    QTest::addColumn<bool>("raporlu");
    QTest::newRow("marks gone on the server") << QStringLiteral("isaretsiz")
                                              << QStringList{QStringLiteral("Sipariş Göndermede Hata")} << false;
    QTest::newRow("confirmation declined") << QStringLiteral("hayir") << QStringList{} << false;
    // The server refuses a note beyond its limit; its reason goes to the general error report.
    QTest::newRow("server refuses") << QStringLiteral("uzun") << QStringList{} << true;
}

void TstSepet::basarisizSiparis()
{
    QFETCH(QString, durum);
    QFETCH(QStringList, mesajlar);
    QFETCH(bool, raporlu);
    TSepetSekmesi &t = sepet();
    const QString not_ = durum == u"uzun" ? QString(2001, u'x') : QStringLiteral("Kapıda ödeme");
    gondermeyeHazirla(not_);
    const int onceki = siparisSayisi(m_carino);
    const QList<qint64> secimler = sutun(t.sepet, "SEC");
    if (durum == u"isaretsiz") {
        // Someone else unmarked the lines meanwhile: the server has nothing to order.
        m_server.db->change(QStringLiteral("UPDATE cart_lines SET selected = 0 WHERE account_id = ?"), {m_carino});
    }
    auto onay = whenShown<TONAYSIP>([&](TONAYSIP *d) { (durum == u"hayir" ? d->Button2 : d->Button1)->click(); });
    t.Button1->click();

    QCOMPARE(m_presenter->texts(), mesajlar);
    if (!mesajlar.isEmpty())
        QCOMPARE(m_presenter->requests.first().kind, int(MessageError));
    QCOMPARE(m_reports.size(), raporlu ? 1 : 0);
    if (raporlu)
        QVERIFY2(m_reports.first().contains(QStringLiteral("2000")), qPrintable(m_reports.first()));
    m_reports.clear();
    // No order; the cart and the note as they were.
    QCOMPARE(siparisSayisi(m_carino), onceki);
    QCOMPARE(t.sepet.rowCount(), 3);
    QCOMPARE(sutun(t.sepet, "SEC"), secimler);
    QCOMPARE(t.aciklamagir->toPlainText(), not_);
    QVERIFY(!m_form->bagc.isOpen());
}

void TstSepet::baglantiYok()
{
    TSepetSekmesi &t = sepet();
    gondermeyeHazirla(QStringLiteral("Bağlantısız"));
    const QString kargoYazisi = t.kargocombo->currentText();
    const QList<qint64> satirlar = sutun(t.sepet, "SIRANO");
    const int onceki = siparisSayisi(m_carino);
    t.lbluyarbakiye->setText(QStringLiteral("eski uyarı"));

    const int port = m_form->bagc.Port;
    m_form->bagc.Port = closedLoopbackPort();
    const QString kayip = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");
    // The tab shown: the cart and the lists say so once each; the warning stays as it was.
    sekmeyiAc(*m_form);
    QCOMPARE(m_presenter->texts(), (QStringList{kayip, kayip}));
    QCOMPARE(t.lbluyarbakiye->text(), QStringLiteral("eski uyarı"));
    QCOMPARE(sutun(t.sepet, "SIRANO"), satirlar);
    QCOMPARE(t.teslimbox->count(), 4);
    QCOMPARE(t.kargocombo->currentText(), kargoYazisi);

    // Sending: the opener's message, then the order's.
    m_presenter->requests.clear();
    auto onay = whenShown<TONAYSIP>([](TONAYSIP *d) { d->Button1->click(); });
    t.Button1->click();
    QCOMPARE(m_presenter->texts(), (QStringList{kayip, QStringLiteral("Sipariş Göndermede Hata")}));
    QCOMPARE(t.aciklamagir->toPlainText(), QStringLiteral("Bağlantısız"));
    QCOMPARE(sutun(t.sepet, "SIRANO"), satirlar);

    m_form->bagc.Port = port;
    QCOMPARE(siparisSayisi(m_carino), onceki);
}

void TstSepet::cariDegisir()
{
    // Another account with a cart of its own.
    const std::optional<QVariant> baska = m_server.db->scalar(
        QStringLiteral("SELECT account_id FROM cart_lines WHERE account_id <> ? GROUP BY account_id ORDER BY account_id LIMIT 1"),
        {m_carino});
    QVERIFY(baska);
    const int carino = baska->toInt();
    const int adet = m_server.db->scalar(QStringLiteral("SELECT COUNT(*) FROM cart_lines WHERE account_id = ?"), {carino})->toInt();
    QVERIFY(adet > 0);
    TSepetSekmesi &t = sepet();
    sekmeyiAc(*m_form);
    QCOMPARE(t.sepet.rowCount(), 0);

    m_form->sbilgi.setCARINO(carino);
    emit m_form->cariDegisti();
    m_form->sbilgi.setCARINO(m_carino);
    QCOMPARE(t.sepet.rowCount(), adet);
    for (qint64 c : sutun(t.sepet, "CARINO"))
        QCOMPARE(c, qint64(carino));
    QCOMPARE(m_form->sekmeBasligi(m_form->ssepet), QString::number(adet) + QStringLiteral("=Sepet"));
    t.SepetYukle();
    QCOMPARE(t.sepet.rowCount(), 0);
}

void TstSepet::excelKaydet()
{
    TSepetSekmesi &t = sepet();
    for (const Stok &s : stoklar(2))
        QCOMPARE(sepeteEkle(*m_form, s, 1), 1);
    sekmeyiAc(*m_form);
    QTemporaryDir dir;
    const QString yol = dir.filePath(QStringLiteral("sepet.xlsx"));
    auto surucu = whenShown<QFileDialog>([&](QFileDialog *d) {
        d->selectFile(yol);
        QMetaObject::invokeMethod(d, "accept");
    });
    t.Button2->click();
    QTRY_VERIFY(QFileInfo(yol).size() > 0);
}

QTEST_MAIN(TstSepet)
#include "tst_sepet.moc"
