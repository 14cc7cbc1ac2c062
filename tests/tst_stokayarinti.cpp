// The stock detail and add-to-cart dialogs: the line arithmetic, the quantity reading, the
// amount box, and both windows driven offscreen, with their web pictures from a real
// vexor-server web endpoint and from a test responder.
#include "demoserver.h"
#include "guidriver.h"
#include "testhttp.h"

#include "common/async.h"
#include "common/formats.h"
#include "common/satirhesabi.h"
#include "dialogs/ordering/stokayarinti.h"
#include "dialogs/ordering/stokayarintiadmin.h"
#include "dialogs/ordering/stokhesap.h"
#include "dialogs/ordering/tutarkutusu.h"
#include "server/errors.h"

#include <QBuffer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QThreadPool>
#include <QtTest>

#include <array>

using namespace vexor;
using namespace vexor::test;

using Oranlar = std::array<double, 4>;
Q_DECLARE_METATYPE(Oranlar)

namespace {

constexpr int kWaitMs = 30000;

const QLocale kTurkce(QLocale::Turkish, QLocale::Turkey);
const QLocale kIngilizce(QLocale::English, QLocale::UnitedStates);

// A small PNG padded with zeros to exactly `size` bytes (the decoder stops at the end chunk).
QByteArray pngOfSize(qsizetype size, const QColor &color = QColor(200, 30, 40))
{
    QImage image(QSize(40, 30), QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    Q_ASSERT(bytes.size() < size);
    bytes.append(size - bytes.size(), '\0');
    return bytes;
}

QImage rgb(const QPixmap &p)
{
    return p.toImage().convertToFormat(QImage::Format_RGB32);
}

QImage rgb(const QImage &i)
{
    return i.convertToFormat(QImage::Format_RGB32);
}

// Replaces the quantity box's text the way a user does: select all, type.
void adetYaz(QSpinBox *adet, const QString &text)
{
    adet->selectAll();
    if (text.isEmpty())
        QTest::keyClick(adet, Qt::Key_Delete);
    else
        QTest::keyClicks(adet, text);
}

void kutuyaYaz(TutarKutusu *kutu, const QString &text)
{
    kutu->setFocus();
    kutu->selectAll();
    QTest::keyClicks(kutu, text);
}

// Both dialogs lay out the same boxes; the tests read them through one shape.
struct Kutular
{
    TutarKutusu *indtutar;
    TutarKutusu *kdvdahiltutar;
    TutarKutusu *geneltutar;
};

template <typename D>
Kutular kutularOf(D *d)
{
    return {d->indtutar, d->kdvdahiltutar, d->geneltutar};
}

void kutularGosterir(const Kutular &k, const QString &indirim, const QString &kdvDahil, const QString &tutar)
{
    QCOMPARE(k.indtutar->text(), indirim);
    QCOMPARE(k.kdvdahiltutar->text(), kdvDahil);
    QCOMPARE(k.geneltutar->text(), tutar);
}

// Lets every background task finish and its completion run.
void havuzBitsin()
{
    QVERIFY(asyncThreadPool()->waitForDone(kWaitMs));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TstStokAyarinti : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    // Plain rules.
    void satirHesabi_data();
    void satirHesabi();
    void miktarCevir_data();
    void miktarCevir();
    void hesapMiktari_data();
    void hesapMiktari();
    void indirimGorunur_data();
    void indirimGorunur();

    // The amount box.
    void tutarKutusuGosterir_data();
    void tutarKutusuGosterir();
    void tutarKutusuYazilir_data();
    void tutarKutusuYazilir();
    void tutarKutusuKilitli();

    // The standard dialog.
    void kurulus();
    void adetYazilincaHesaplar_data();
    void adetYazilincaHesaplar();
    void fiyatDegisinceHesaplar();
    void gosterilinceCagiraninTutarlariDegisir();
    void sonuclar_data();
    void sonuclar();
    void fiyattaEnterHicbirSeyYapmaz();
    void onaydaAdetAraligaGirer_data();
    void onaydaAdetAraligaGirer();

    // Its web picture.
    void resimGovdesi_data();
    void resimGovdesi();
    void webResmiYerTutucununYerineGecer();
    void resmiOlmayanStokYerTutucudaKalir();
    void kisaYanitGosterilmez();
    void yokEdilenPencereyeYanitDokunmaz();

    // The administrator variant.
    void adminKurulus();
    void adminIndirimGorunurlugu_data();
    void adminIndirimGorunurlugu();
    void adminOranlarYazilincaHesaplar_data();
    void adminOranlarYazilincaHesaplar();
    void adminSonuclar_data();
    void adminSonuclar();
    void adminWebResmi();

private:
    DemoServer m_server;
    int m_resimliStok = 0;
    int m_resimsizStok = 0;
    QByteArray m_resimliStokJpeg;
};

void TstStokAyarinti::initTestCase()
{
    QLocale::setDefault(kTurkce);
    m_server.start();
    QSqlQuery q = m_server.db->exec(QStringLiteral(
        "SELECT s.id, p.jpeg FROM stocks s JOIN pictures p ON p.id = s.picture_id "
        "WHERE length(p.jpeg) >= 1200 ORDER BY s.id LIMIT 1"));
    QVERIFY(q.next());
    m_resimliStok = q.value(0).toInt();
    m_resimliStokJpeg = q.value(1).toByteArray();
    const std::optional<QVariant> resimsiz =
        m_server.db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NULL ORDER BY id LIMIT 1"));
    QVERIFY(resimsiz);
    m_resimsizStok = resimsiz->toInt();
}

void TstStokAyarinti::cleanupTestCase()
{
    havuzBitsin();
    m_server.stop();
}

void TstStokAyarinti::init()
{
    QLocale::setDefault(kTurkce);
}

// ---------------------------------------------------------------------------------------------
// Plain rules

void TstStokAyarinti::satirHesabi_data()
{
    QTest::addColumn<double>("fiyat");
    QTest::addColumn<double>("adet");
    QTest::addColumn<double>("kdv");
    QTest::addColumn<Oranlar>("oranlar");
    QTest::addColumn<double>("net");
    QTest::addColumn<double>("indirim");
    QTest::addColumn<double>("kdvDahil");
    QTest::addColumn<double>("tutar");

    QTest::newRow("10 x 3, 10 and 5, VAT 18") << 10.0 << 3.0 << 18.0 << Oranlar{10, 5, 0, 0} << 25.65 << 4.35 << 10.09 << 30.27;
    QTest::newRow("successive, not added") << 10.0 << 1.0 << 18.0 << Oranlar{10, 5, 0, 0} << 8.55 << 1.45 << 10.09 << 10.09;
    QTest::newRow("all rates 0") << 12.34 << 2.0 << 18.0 << Oranlar{0, 0, 0, 0} << 24.68 << 0.0 << 14.56 << 29.12;
    QTest::newRow("rate 100") << 10.0 << 2.0 << 18.0 << Oranlar{100, 0, 0, 0} << 0.0 << 20.0 << 0.0 << 0.0;
    QTest::newRow("negative rate ignored") << 10.0 << 1.0 << 18.0 << Oranlar{-10, 5, 0, 0} << 9.5 << 0.5 << 11.21 << 11.21;
    QTest::newRow("quantity 0") << 10.0 << 0.0 << 18.0 << Oranlar{10, 0, 0, 0} << 0.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("rate above 100 takes all, no more") << 10.0 << 1.0 << 18.0 << Oranlar{150, 0, 0, 0} << 0.0 << 10.0 << 0.0 << 0.0;
    QTest::newRow("last rate only") << 200.0 << 1.0 << 20.0 << Oranlar{0, 0, 0, 25} << 150.0 << 50.0 << 180.0 << 180.0;
    // The total comes from the rounded VAT-inclusive unit price: 1.19 x 7 = 8.33, where the
    // line net with VAT would give 8.34.
    QTest::newRow("total from the rounded unit") << 1.01 << 7.0 << 18.0 << Oranlar{0, 0, 0, 0} << 7.07 << 0.0 << 1.19 << 8.33;
    // 1.25 x 1.18 is 1.4749999... in binary; the half goes up on the decimal digits.
    QTest::newRow("half away from zero") << 1.25 << 1.0 << 18.0 << Oranlar{0, 0, 0, 0} << 1.25 << 0.0 << 1.48 << 1.48;
    // The unit net comes from the rounded line net: 1.43 / 2 = 0.715 gives 0.72, where the
    // unrounded 1.428 / 2 would give 0.71.
    QTest::newRow("unit net from line net") << 1.02 << 2.0 << 18.0 << Oranlar{30, 0, 0, 0} << 1.43 << 0.61 << 0.85 << 1.70;
    QTest::newRow("unit net rounds") << 3.35 << 3.0 << 10.0 << Oranlar{33, 0, 0, 0} << 6.73 << 3.32 << 2.46 << 7.38;
}

void TstStokAyarinti::satirHesabi()
{
    QFETCH(double, fiyat);
    QFETCH(double, adet);
    QFETCH(double, kdv);
    QFETCH(Oranlar, oranlar);
    QFETCH(double, net);
    QFETCH(double, indirim);
    QFETCH(double, kdvDahil);
    QFETCH(double, tutar);

    const StokSatirHesabi h = stokSatirHesapla(fiyat, adet, kdv, oranlar);
    // The discount is kept unrounded; the box shows two decimals.
    QCOMPARE(Yuvarla(h.indirim), indirim);
    QCOMPARE(h.kdvDahilBirim, kdvDahil);
    QCOMPARE(h.genelTutar, tutar);
    QVERIFY(h.indirim >= 0);

    const SatirTutarlari s = satirTutarlariHesapla(fiyat, adet, kdv, oranlar);
    QCOMPARE(s.satirNet, net);
    QCOMPARE(Yuvarla(s.brut - s.net), indirim);
}

void TstStokAyarinti::miktarCevir_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("okunur");
    QTest::addColumn<double>("miktar");

    QTest::newRow("tr thousands") << kTurkce << QStringLiteral("1.234") << true << 1234.0;
    QTest::newRow("tr whole") << kTurkce << QStringLiteral("12") << true << 12.0;
    QTest::newRow("tr decimal comma") << kTurkce << QStringLiteral("2,5") << true << 2.5;
    QTest::newRow("en decimal point") << kIngilizce << QStringLiteral("1.234") << true << 1.234;
    QTest::newRow("en thousands") << kIngilizce << QStringLiteral("1,234") << true << 1234.0;
    QTest::newRow("blanks around") << kTurkce << QStringLiteral(" 7 ") << true << 7.0;
    QTest::newRow("empty") << kTurkce << QString() << false << 0.0;
    QTest::newRow("lone minus") << kTurkce << QStringLiteral("-") << false << 0.0;
    QTest::newRow("lone plus") << kTurkce << QStringLiteral("+") << false << 0.0;
    QTest::newRow("letters") << kTurkce << QStringLiteral("on iki") << false << 0.0;
    QTest::newRow("number and letters") << kTurkce << QStringLiteral("12 adet") << false << 0.0;
    QTest::newRow("infinity") << kIngilizce << QStringLiteral("inf") << false << 0.0;
}

void TstStokAyarinti::miktarCevir()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(bool, okunur);
    QFETCH(double, miktar);
    QLocale::setDefault(locale);
    if (okunur) {
        QCOMPARE(vexor::miktarCevir(text), miktar);
        return;
    }
    try {
        vexor::miktarCevir(text);
        QFAIL("no error for text that is no number");
    } catch (const InvalidOperation &e) {
        // The general error report shows the message: it must say which text was refused.
        QVERIFY2(e.message().contains(u'\'' + text + u'\''), qPrintable(e.message()));
        QVERIFY(e.message().contains(QStringLiteral("miktar")));
    }
}

void TstStokAyarinti::hesapMiktari_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("miktar");
    QTest::newRow("number") << QStringLiteral("7") << 7.0;
    QTest::newRow("zero stays zero") << QStringLiteral("0") << 0.0;
    QTest::newRow("thousands") << QStringLiteral("1.500") << 1500.0;
    QTest::newRow("empty counts as 1") << QString() << 1.0;
    QTest::newRow("lone minus counts as 1") << QStringLiteral("-") << 1.0;
}

void TstStokAyarinti::hesapMiktari()
{
    QFETCH(QString, text);
    QFETCH(double, miktar);
    QCOMPARE(vexor::hesapMiktari(text), miktar);
}

void TstStokAyarinti::indirimGorunur_data()
{
    QTest::addColumn<Oranlar>("oranlar");
    QTest::addColumn<bool>("gorunur");
    QTest::newRow("0.5 + 0.5 = 1 hides") << Oranlar{0.5, 0.5, 0, 0} << false;
    QTest::newRow("1 + 0.5 shows") << Oranlar{1, 0.5, 0, 0} << true;
    QTest::newRow("exactly 1 hides") << Oranlar{0, 0, 0, 1} << false;
    QTest::newRow("just above 1 shows") << Oranlar{0, 0, 0, 1.01} << true;
    QTest::newRow("none") << Oranlar{0, 0, 0, 0} << false;
    QTest::newRow("spread over four") << Oranlar{0.3, 0.3, 0.3, 0.3} << true;
}

void TstStokAyarinti::indirimGorunur()
{
    QFETCH(Oranlar, oranlar);
    QFETCH(bool, gorunur);
    QCOMPARE(vexor::indirimGorunur(oranlar), gorunur);
}

// ---------------------------------------------------------------------------------------------
// The amount box

void TstStokAyarinti::tutarKutusuGosterir_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("deger");
    QTest::addColumn<QString>("text");
    QTest::newRow("tr") << kTurkce << 1234.5 << QStringLiteral("1.234,50");
    QTest::newRow("en") << kIngilizce << 1234.5 << QStringLiteral("1,234.50");
    QTest::newRow("zero") << kTurkce << 0.0 << QStringLiteral("0,00");
    QTest::newRow("millions") << kTurkce << 1234567.891 << QStringLiteral("1.234.567,89");
    QTest::newRow("half up") << kTurkce << 4.345 << QStringLiteral("4,35");
    QTest::newRow("negative") << kTurkce << -4.35 << QStringLiteral("-4,35");
}

void TstStokAyarinti::tutarKutusuGosterir()
{
    QFETCH(QLocale, locale);
    QFETCH(double, deger);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    TutarKutusu kutu;
    kutu.setValue(deger);
    QCOMPARE(kutu.text(), text);
    // The value is kept as given, not as shown.
    QCOMPARE(kutu.value(), deger);
}

void TstStokAyarinti::tutarKutusuYazilir_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("yazilan");
    QTest::addColumn<double>("deger");
    QTest::addColumn<QString>("sonra");
    QTest::newRow("tr with thousands") << kTurkce << QStringLiteral("1.234,5") << 1234.5 << QStringLiteral("1.234,50");
    QTest::newRow("tr plain") << kTurkce << QStringLiteral("12") << 12.0 << QStringLiteral("12,00");
    QTest::newRow("en") << kIngilizce << QStringLiteral("1,234.5") << 1234.5 << QStringLiteral("1,234.50");
    QTest::newRow("letters keep the value") << kTurkce << QStringLiteral("abc") << 7.5 << QStringLiteral("7,50");
    QTest::newRow("empty keeps the value") << kTurkce << QString() << 7.5 << QStringLiteral("7,50");
}

void TstStokAyarinti::tutarKutusuYazilir()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, yazilan);
    QFETCH(double, deger);
    QFETCH(QString, sonra);
    QLocale::setDefault(locale);
    QWidget pencere;
    auto *kutu = new TutarKutusu(&pencere);
    auto *baska = new QLineEdit(&pencere);
    kutu->setValue(7.5);
    kutu->setReadOnly(false);
    pencere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pencere));
    QSignalSpy birakilan(kutu, &TutarKutusu::keyReleased);
    kutu->setFocus();
    kutu->selectAll();
    if (yazilan.isEmpty())
        QTest::keyClick(kutu, Qt::Key_Delete);
    else
        QTest::keyClicks(kutu, yazilan);
    QCOMPARE(kutu->value(), deger);
    QVERIFY(birakilan.count() >= 1);
    // Leaving the box shows the value in the display format.
    baska->setFocus();
    QTRY_COMPARE(kutu->text(), sonra);
}

void TstStokAyarinti::tutarKutusuKilitli()
{
    QWidget pencere;
    auto *kutu = new TutarKutusu(&pencere);
    kutu->setValue(3);
    pencere.show();
    QVERIFY(kutu->isReadOnly());
    kutu->setFocus();
    QTest::keyClicks(kutu, QStringLiteral("99"));
    QCOMPARE(kutu->value(), 3.0);
    QCOMPARE(kutu->text(), QStringLiteral("3,00"));
}

// ---------------------------------------------------------------------------------------------
// The standard dialog

void TstStokAyarinti::kurulus()
{
    QWidget sahip;
    sahip.setGeometry(100, 40, 600, 500);
    sahip.show();
    Tstokayarinti d(m_server.webRoot(), &sahip);
    QCOMPARE(d.windowTitle(), QStringLiteral("Sepete Ekle"));
    QCOMPARE(d.ParcaliTus1->text(), QStringLiteral("Sipariş ekle"));
    QCOMPARE(d.ParcaliTus2->text(), QStringLiteral("Vazgeç"));
    QCOMPARE(d.Label2->text(), QStringLiteral("Fiyat:"));
    QCOMPARE(d.indirimoran->text(), QStringLiteral("İndirim:"));
    QStringList basliklar;
    for (QLabel *l : d.findChildren<QLabel *>())
        basliklar << l->text();
    for (const char *b : {"Barkod:", "Açıklama:", "Kod:", "Marka:", "Model:", "Adet:", "KDV Dahil:", "Tutar:"})
        QVERIFY2(basliklar.contains(QString::fromUtf8(b)), b);
    QVERIFY(!basliklar.contains(QStringLiteral("Finish Kod:")));
    QCOMPARE(d.adet->minimum(), 1);
    QCOMPARE(d.adet->maximum(), 10000);
    QCOMPARE(d.adet->value(), 1);
    for (TutarKutusu *k : {d.birimfiyat, d.indtutar, d.kdvdahiltutar, d.geneltutar})
        QVERIFY(k->isReadOnly());
    QCOMPARE(d.kdvoran, 0.0);
    QCOMPARE(d._stokno, 0);
    QVERIFY(d.Image1->hasPicture());  // the placeholder

    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QCOMPARE(d.size(), QSize(550, 631));
    // Centred on its owner (across; the test screen is lower than the window).
    QCOMPARE(d.frameGeometry().center().x(), sahip.frameGeometry().center().x());
    QCOMPARE(QApplication::focusWidget(), d.adet);
    QCOMPARE(d.adet->text(), QStringLiteral("1"));
}

void TstStokAyarinti::adetYazilincaHesaplar_data()
{
    QTest::addColumn<double>("fiyat");
    QTest::addColumn<Oranlar>("oranlar");
    QTest::addColumn<QString>("yazilan");
    QTest::addColumn<QString>("indirim");
    QTest::addColumn<QString>("kdvDahil");
    QTest::addColumn<QString>("tutar");
    QTest::newRow("3 pieces") << 10.0 << Oranlar{10, 5, 0, 0} << QStringLiteral("3") << QStringLiteral("4,35")
                              << QStringLiteral("10,09") << QStringLiteral("30,27");
    QTest::newRow("0 typed") << 10.0 << Oranlar{10, 5, 0, 0} << QStringLiteral("0") << QStringLiteral("0,00")
                             << QStringLiteral("0,00") << QStringLiteral("0,00");
    QTest::newRow("emptied counts as 1") << 10.0 << Oranlar{10, 5, 0, 0} << QString() << QStringLiteral("1,45")
                                         << QStringLiteral("10,09") << QStringLiteral("10,09");
    QTest::newRow("thousands") << 1234.56 << Oranlar{0, 0, 0, 0} << QStringLiteral("1500") << QStringLiteral("0,00")
                               << QStringLiteral("1.456,78") << QStringLiteral("2.185.170,00");
}

void TstStokAyarinti::adetYazilincaHesaplar()
{
    QFETCH(double, fiyat);
    QFETCH(Oranlar, oranlar);
    QFETCH(QString, yazilan);
    QFETCH(QString, indirim);
    QFETCH(QString, kdvDahil);
    QFETCH(QString, tutar);
    Tstokayarinti d(m_server.webRoot());
    d.kdvoran = 18;
    d.ind1 = oranlar[0];
    d.ind2 = oranlar[1];
    d.ind3 = oranlar[2];
    d.ind4 = oranlar[3];
    d.birimfiyat->setValue(fiyat);
    d.adet->setValue(2);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    adetYaz(d.adet, yazilan);
    QCOMPARE(d.adet->text(), yazilan);
    kutularGosterir(kutularOf(&d), indirim, kdvDahil, tutar);
}

void TstStokAyarinti::fiyatDegisinceHesaplar()
{
    Tstokayarinti d(m_server.webRoot());
    d.kdvoran = 18;
    d.ind1 = 10;
    d.ind2 = 5;
    d.birimfiyat->setValue(20);
    d.birimfiyat->setReadOnly(false);
    d.adet->setValue(3);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    kutularGosterir(kutularOf(&d), QStringLiteral("8,70"), QStringLiteral("20,18"), QStringLiteral("60,54"));
    kutuyaYaz(d.birimfiyat, QStringLiteral("10"));
    kutularGosterir(kutularOf(&d), QStringLiteral("4,35"), QStringLiteral("10,09"), QStringLiteral("30,27"));
    QCOMPARE(d.birimfiyat->value(), 10.0);
}

void TstStokAyarinti::gosterilinceCagiraninTutarlariDegisir()
{
    // Whatever a caller writes into the derived boxes, the window shows its own figures.
    Tstokayarinti d(m_server.webRoot());
    d.kdvoran = 18;
    d.birimfiyat->setValue(10);
    d.indtutar->setValue(999);
    d.kdvdahiltutar->setValue(999);
    d.geneltutar->setValue(999);
    d.show();
    kutularGosterir(kutularOf(&d), QStringLiteral("0,00"), QStringLiteral("11,80"), QStringLiteral("11,80"));
}

void TstStokAyarinti::sonuclar_data()
{
    QTest::addColumn<QString>("eylem");
    QTest::addColumn<int>("sonuc");
    QTest::newRow("Sipariş ekle") << QStringLiteral("ekle") << 1;
    QTest::newRow("Enter in the quantity") << QStringLiteral("enter") << 1;
    QTest::newRow("keypad Enter in the quantity") << QStringLiteral("keypad") << 1;
    QTest::newRow("Vazgeç") << QStringLiteral("vazgec") << 2;
    QTest::newRow("Enter on a focused Vazgeç") << QStringLiteral("vazgecEnter") << 2;
    QTest::newRow("Escape") << QStringLiteral("escape") << 2;
    QTest::newRow("close box") << QStringLiteral("kapat") << 2;
}

void TstStokAyarinti::sonuclar()
{
    QFETCH(QString, eylem);
    QFETCH(int, sonuc);
    Tstokayarinti d(m_server.webRoot());
    d.birimfiyat->setValue(10);
    auto surucu = whenShown<Tstokayarinti>([eylem](Tstokayarinti *w) {
        adetYaz(w->adet, QStringLiteral("4"));
        if (eylem == u"ekle") {
            w->ParcaliTus1->click();
        } else if (eylem == u"enter") {
            QTest::keyClick(w->adet, Qt::Key_Return);
        } else if (eylem == u"keypad") {
            QTest::keyClick(w->adet, Qt::Key_Enter, Qt::KeypadModifier);
        } else if (eylem == u"vazgec") {
            w->ParcaliTus2->click();
        } else if (eylem == u"vazgecEnter") {
            // Enter presses the button that has the focus, which a window only hands out once
            // it is active (later than shown on a busy machine).
            if (!QTest::qWaitForWindowActive(w))
                return;
            w->ParcaliTus2->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), w->ParcaliTus2);
            QTest::keyClick(w->ParcaliTus2, Qt::Key_Return);
        } else if (eylem == u"escape") {
            QTest::keyClick(w->adet, Qt::Key_Escape);
        } else {
            w->close();
        }
    });
    QCOMPARE(d.exec(), sonuc);
    QCOMPARE(d.miktar(), 4.0);
    QCOMPARE(d.birimfiyat->value(), 10.0);
}

void TstStokAyarinti::fiyattaEnterHicbirSeyYapmaz()
{
    Tstokayarinti d(m_server.webRoot());
    d.birimfiyat->setValue(10);
    d.birimfiyat->setReadOnly(false);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QSignalSpy bitti(&d, &QDialog::finished);
    for (QWidget *w : {static_cast<QWidget *>(d.birimfiyat), static_cast<QWidget *>(d.indtutar)}) {
        w->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w);
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter, Qt::KeypadModifier);
        QCoreApplication::processEvents();
        QVERIFY(d.isVisible());
        QCOMPARE(bitti.count(), 0);
        // Nor does the focus move on.
        QCOMPARE(QApplication::focusWidget(), w);
    }
    QCOMPARE(d.birimfiyat->text(), QStringLiteral("10,00"));
}

void TstStokAyarinti::onaydaAdetAraligaGirer_data()
{
    QTest::addColumn<QString>("yazilan");
    QTest::addColumn<double>("miktar");
    QTest::newRow("0 becomes the minimum") << QStringLiteral("0") << 1.0;
    QTest::newRow("nothing becomes the minimum") << QString() << 1.0;
    QTest::newRow("in range") << QStringLiteral("250") << 250.0;
    QTest::newRow("maximum") << QStringLiteral("10000") << 10000.0;
}

void TstStokAyarinti::onaydaAdetAraligaGirer()
{
    // What the caller reads after Enter is a quantity the box allows, never a 0 line.
    QFETCH(QString, yazilan);
    QFETCH(double, miktar);
    Tstokayarinti d(m_server.webRoot());
    d.birimfiyat->setValue(10);
    d.adet->setValue(5);  // a cart line's quantity
    auto surucu = whenShown<Tstokayarinti>([yazilan](Tstokayarinti *w) {
        adetYaz(w->adet, yazilan);
        QCOMPARE(w->adet->text(), yazilan);
        QTest::keyClick(w->adet, Qt::Key_Return);
    });
    QCOMPARE(d.exec(), 1);
    QCOMPARE(d.miktar(), miktar);
    QCOMPARE(d.adet->value(), int(miktar));
}

// ---------------------------------------------------------------------------------------------
// The web picture of the standard dialog

void TstStokAyarinti::resimGovdesi_data()
{
    QTest::addColumn<HttpAnswer>("yanit");
    QTest::addColumn<bool>("iptal");
    QTest::addColumn<bool>("resim");
    QTest::newRow("1200 bytes shown") << HttpAnswer{200, "OK", "image/png", pngOfSize(1200)} << false << true;
    QTest::newRow("1199 bytes discarded") << HttpAnswer{200, "OK", "image/png", pngOfSize(1199)} << false << false;
    QTest::newRow("type not looked at") << HttpAnswer{200, "OK", "application/octet-stream", pngOfSize(5000)} << false << true;
    QTest::newRow("error status") << HttpAnswer{404, "Not Found", "image/png", pngOfSize(5000)} << false << false;
    QTest::newRow("no picture") << HttpAnswer{200, "OK", "image/png", QByteArray(5000, 'x')} << false << false;
    QTest::newRow("empty") << HttpAnswer{200, "OK", "image/png", QByteArray()} << false << false;
    QTest::newRow("cancelled") << HttpAnswer{200, "OK", "image/png", pngOfSize(5000)} << true << false;
}

void TstStokAyarinti::resimGovdesi()
{
    QFETCH(HttpAnswer, yanit);
    QFETCH(bool, iptal);
    QFETCH(bool, resim);
    TestHttpServer sunucu;
    sunucu.answers.insert("resimgoster.ashx?id=5", {yanit});
    const std::atomic<bool> iptalEt(iptal);
    const QImage sonuc = GosterYeni(sunucu.rootText() + QStringLiteral("resimgoster.ashx?id=5"), iptalEt);
    QCOMPARE(!sonuc.isNull(), resim);
    if (resim) {
        QCOMPARE(sonuc.size(), QSize(40, 30));
        QCOMPARE(sonuc.pixelColor(3, 3), QColor(200, 30, 40));
    }
    QCOMPARE(sunucu.count("resimgoster.ashx?id=5"), iptal ? 0 : 1);
}

void TstStokAyarinti::webResmiYerTutucununYerineGecer()
{
    Tstokayarinti d(m_server.webRoot());
    d._stokno = m_resimliStok;
    QCOMPARE(d.resimAdresi(), m_server.webRoot() + QStringLiteral("resimgoster.ashx?id=%1").arg(m_resimliStok));
    const QImage yerTutucu = rgb(d.Image1->currentPicture());
    QSignalSpy geldi(&d, &Tstokayarinti::webResmiGeldi);
    d.show();
    QVERIFY(geldi.wait(kWaitMs) || geldi.count() > 0);
    QImage beklenen;
    QVERIFY(beklenen.loadFromData(m_resimliStokJpeg));
    const QImage gosterilen = rgb(d.Image1->currentPicture());
    QVERIFY(gosterilen != yerTutucu);
    QCOMPARE(gosterilen, rgb(beklenen));

    // Every activation asks again; each answer replaces the picture again.
    const int onceki = geldi.count();
    QWidget baska;
    baska.show();
    baska.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&baska));
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTRY_VERIFY_WITH_TIMEOUT(geldi.count() > onceki, kWaitMs);
}

void TstStokAyarinti::resmiOlmayanStokYerTutucudaKalir()
{
    // The vendor answers a stock without a picture with an error page: the placeholder stays.
    Tstokayarinti d(m_server.webRoot());
    d._stokno = m_resimsizStok;
    const QImage yerTutucu = rgb(d.Image1->currentPicture());
    QSignalSpy geldi(&d, &Tstokayarinti::webResmiGeldi);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    havuzBitsin();
    QCOMPARE(geldi.count(), 0);
    QCOMPARE(rgb(d.Image1->currentPicture()), yerTutucu);
}

void TstStokAyarinti::kisaYanitGosterilmez()
{
    // The 1199/1200 boundary through the whole window: the caller's picture stays for 1199
    // bytes and is replaced for 1200.
    TestHttpServer sunucu;
    sunucu.answers.insert("resimgoster.ashx?id=41", {HttpAnswer{200, "OK", "image/png", pngOfSize(1199)}});
    sunucu.answers.insert("resimgoster.ashx?id=42", {HttpAnswer{200, "OK", "image/png", pngOfSize(1200, Qt::blue)}});
    for (int stok : {41, 42}) {
        Tstokayarinti d(sunucu.rootText());
        QPixmap cagiranin(20, 20);
        cagiranin.fill(Qt::green);
        d.Image1->setPicture(cagiranin);
        d._stokno = stok;
        QSignalSpy geldi(&d, &Tstokayarinti::webResmiGeldi);
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        QTRY_COMPARE_WITH_TIMEOUT(sunucu.count(QByteArray("resimgoster.ashx?id=") + QByteArray::number(stok)), 1, kWaitMs);
        havuzBitsin();
        const QImage gosterilen = rgb(d.Image1->currentPicture());
        if (stok == 41) {
            QCOMPARE(geldi.count(), 0);
            QCOMPARE(gosterilen, rgb(cagiranin));
        } else {
            QCOMPARE(geldi.count(), 1);
            QCOMPARE(gosterilen.size(), QSize(40, 30));
            QCOMPARE(gosterilen.pixelColor(5, 5), QColor(Qt::blue));
        }
    }
}

void TstStokAyarinti::yokEdilenPencereyeYanitDokunmaz()
{
    // The picture is on its way when the caller frees the dialog; the answer must go nowhere.
    TestHttpServer sunucu;
    HttpAnswer gec{200, "OK", "image/png", pngOfSize(4000)};
    gec.delayMs = 400;
    sunucu.answers.insert("resimgoster.ashx?id=9", {gec});
    auto *d = new Tstokayarinti(sunucu.rootText());
    d->_stokno = 9;
    QPointer<Tstokayarinti> izle(d);
    d->show();
    QVERIFY(QTest::qWaitForWindowActive(d));
    QTRY_COMPARE_WITH_TIMEOUT(sunucu.count("resimgoster.ashx?id=9"), 1, kWaitMs);
    delete d;
    QVERIFY(!izle);
    // The worker ends, its completion runs on this thread, and nothing is touched.
    havuzBitsin();
    QTest::qWait(600);  // lets the late answer go out too
    havuzBitsin();

    // A dialog made afterwards is not reached by that old answer either.
    Tstokayarinti yeni(sunucu.rootText());
    const QImage yerTutucu = rgb(yeni.Image1->currentPicture());
    QCoreApplication::processEvents();
    QCOMPARE(rgb(yeni.Image1->currentPicture()), yerTutucu);
}

// ---------------------------------------------------------------------------------------------
// The administrator variant

void TstStokAyarinti::adminKurulus()
{
    std::unique_ptr<TstokayarintiAdmin> d(TstokayarintiAdmin::Ac(m_server.webRoot(), 77));
    QCOMPARE(d->windowTitle(), QStringLiteral("Sepete Ekle"));
    QCOMPARE(d->stokNo(), 77);
    QStringList basliklar;
    for (QLabel *l : d->findChildren<QLabel *>())
        basliklar << l->text();
    for (const char *b : {"Barkod:", "Açıklama:", "Finish Kod:", "Marka:", "Model:", "Adet:", "Fiyat:", "İndirim:",
                          "KDV Dahil:", "Tutar:", "İsk", "İsk2", "İsk3", "İsk4"})
        QVERIFY2(basliklar.contains(QString::fromUtf8(b)), b);
    QVERIFY(!basliklar.contains(QStringLiteral("Kod:")));
    for (TutarKutusu *k : {d->edindirim1, d->edindirim2, d->edindirim3, d->edindirim4, d->birimfiyat})
        QVERIFY(k->isReadOnly());
    QCOMPARE(d->adet->minimum(), 1);
    QCOMPARE(d->adet->maximum(), 10000);
    QCOMPARE(d->AsyncResim1->Url(), QString());

    d->show();
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    QVERIFY(!d->GridPanel2->isVisible());
    QCOMPARE(QApplication::focusWidget(), d->adet);
    QCOMPARE(d->AsyncResim1->Url(), m_server.webRoot() + QStringLiteral("resimgoster.ashx?id=77"));
    QScreen *ekran = d->screen();
    QVERIFY(ekran);
    // Centred on the screen; on a screen lower than the window its top stays on the screen.
    const QRect alan = ekran->availableGeometry();
    QCOMPARE(d->frameGeometry().center().x(), alan.center().x());
    if (d->frameGeometry().height() <= alan.height())
        QCOMPARE(d->frameGeometry().center().y(), alan.center().y());
    else
        QCOMPARE(d->frameGeometry().top(), alan.top());
}

void TstStokAyarinti::adminIndirimGorunurlugu_data()
{
    QTest::addColumn<Oranlar>("oranlar");
    QTest::addColumn<bool>("gorunur");
    QTest::newRow("0.5 + 0.5 hides") << Oranlar{0.5, 0.5, 0, 0} << false;
    QTest::newRow("1 + 0.5 shows") << Oranlar{1, 0.5, 0, 0} << true;
    QTest::newRow("none") << Oranlar{0, 0, 0, 0} << false;
    QTest::newRow("only the fourth") << Oranlar{0, 0, 0, 12} << true;
}

void TstStokAyarinti::adminIndirimGorunurlugu()
{
    QFETCH(Oranlar, oranlar);
    QFETCH(bool, gorunur);
    TstokayarintiAdmin d(m_server.webRoot(), m_resimliStok);
    d.edindirim1->setValue(oranlar[0]);
    d.edindirim2->setValue(oranlar[1]);
    d.edindirim3->setValue(oranlar[2]);
    d.edindirim4->setValue(oranlar[3]);
    d.show();
    QCOMPARE(d.indirimoran->isVisible(), gorunur);
    QCOMPARE(d.indtutar->isVisible(), gorunur);
}

void TstStokAyarinti::adminOranlarYazilincaHesaplar_data()
{
    QTest::addColumn<int>("kutu");
    QTest::addColumn<QString>("yazilan");
    QTest::addColumn<QString>("indirim");
    QTest::addColumn<QString>("kdvDahil");
    QTest::addColumn<QString>("tutar");
    // Price 10, quantity 3, VAT 18, rates 10 and 5 to begin with.
    QTest::newRow("first rate 20") << 1 << QStringLiteral("20") << QStringLiteral("7,20") << QStringLiteral("8,97")
                                   << QStringLiteral("26,91");
    QTest::newRow("second rate 0") << 2 << QStringLiteral("0") << QStringLiteral("3,00") << QStringLiteral("10,62")
                                   << QStringLiteral("31,86");
    QTest::newRow("third rate 50") << 3 << QStringLiteral("50") << QStringLiteral("17,18") << QStringLiteral("5,05")
                                   << QStringLiteral("15,15");
    QTest::newRow("fourth rate 100") << 4 << QStringLiteral("100") << QStringLiteral("30,00") << QStringLiteral("0,00")
                                     << QStringLiteral("0,00");
}

void TstStokAyarinti::adminOranlarYazilincaHesaplar()
{
    QFETCH(int, kutu);
    QFETCH(QString, yazilan);
    QFETCH(QString, indirim);
    QFETCH(QString, kdvDahil);
    QFETCH(QString, tutar);
    TstokayarintiAdmin d(m_server.webRoot(), m_resimliStok);
    d.kdvoran = 18;
    d.birimfiyat->setValue(10);
    d.edindirim1->setValue(10);
    d.edindirim2->setValue(5);
    for (TutarKutusu *k : {d.birimfiyat, d.edindirim1, d.edindirim2, d.edindirim3, d.edindirim4})
        k->setReadOnly(false);
    d.GridPanel2->show();
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QVERIFY(d.GridPanel2->isVisible());
    adetYaz(d.adet, QStringLiteral("3"));
    kutularGosterir(kutularOf(&d), QStringLiteral("4,35"), QStringLiteral("10,09"), QStringLiteral("30,27"));

    TutarKutusu *kutular[] = {d.edindirim1, d.edindirim2, d.edindirim3, d.edindirim4};
    kutuyaYaz(kutular[kutu - 1], yazilan);
    kutularGosterir(kutularOf(&d), indirim, kdvDahil, tutar);
    // The caller sends what the boxes hold.
    QCOMPARE(d.oranlar()[size_t(kutu - 1)], QLocale().toDouble(yazilan));
}

void TstStokAyarinti::adminSonuclar_data()
{
    QTest::addColumn<QString>("eylem");
    QTest::addColumn<int>("sonuc");
    QTest::newRow("Sipariş ekle") << QStringLiteral("ekle") << 1;
    QTest::newRow("Enter in the quantity") << QStringLiteral("enter") << 1;
    QTest::newRow("Enter in the price") << QStringLiteral("fiyatEnter") << 2;
    QTest::newRow("Vazgeç") << QStringLiteral("vazgec") << 2;
    QTest::newRow("close box") << QStringLiteral("kapat") << 2;
}

void TstStokAyarinti::adminSonuclar()
{
    QFETCH(QString, eylem);
    QFETCH(int, sonuc);
    TstokayarintiAdmin d(m_server.webRoot(), m_resimliStok);
    d.birimfiyat->setValue(10);
    d.birimfiyat->setReadOnly(false);
    auto surucu = whenShown<TstokayarintiAdmin>([eylem](TstokayarintiAdmin *w) {
        adetYaz(w->adet, QStringLiteral("6"));
        if (eylem == u"ekle") {
            w->ParcaliTus1->click();
        } else if (eylem == u"enter") {
            QTest::keyClick(w->adet, Qt::Key_Return);
        } else if (eylem == u"fiyatEnter") {
            kutuyaYaz(w->birimfiyat, QStringLiteral("12,5"));
            QTest::keyClick(w->birimfiyat, Qt::Key_Return);
            // Still open: Enter in the price did nothing, so leave with Vazgeç.
            if (w->isVisible())
                w->ParcaliTus2->click();
        } else if (eylem == u"vazgec") {
            w->ParcaliTus2->click();
        } else {
            w->close();
        }
    });
    QCOMPARE(d.exec(), sonuc);
    QCOMPARE(d.miktar(), 6.0);
}

void TstStokAyarinti::adminWebResmi()
{
    TstokayarintiAdmin d(m_server.webRoot(), m_resimliStok);
    QSignalSpy degisti(d.AsyncResim1, &PictureBox::pictureChanged);
    d.show();
    QVERIFY(degisti.wait(kWaitMs) || degisti.count() > 0);
    QImage beklenen;
    QVERIFY(beklenen.loadFromData(m_resimliStokJpeg));
    QCOMPARE(rgb(d.AsyncResim1->currentPicture()), rgb(beklenen));
    // The web picture is what the window shows now.
    QVERIFY(!d.Image1->isVisible());
    QVERIFY(d.AsyncResim1->isVisible());
}

QTEST_MAIN(TstStokAyarinti)
#include "tst_stokayarinti.moc"
