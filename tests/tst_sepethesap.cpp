// The cart tab's plain rules: totals of the marked lines and how the panel shows them, the
// order summary, the order of the checks before sending, the delivery option chosen at load,
// the text that names a deleted line, and the cart grid's columns for each kind of user.
#include "app/kolonkurali.h"
#include "app/kullanicitipi.h"
#include "app/sepetgridi.h"
#include "app/sepethesap.h"

#include <QtTest>

using namespace vexor;

namespace {

struct Satir
{
    qint64 sec;
    double tutar;
    double indirim;
    double vergi;
};

// A cart table as the server sends it, with the columns the totals read.
MemTable sepetTablosu(const QList<Satir> &satirlar)
{
    MemTable t;
    t.setFields({{QStringLiteral("SIRANO"), FieldType::Int32, {}},
                 {QStringLiteral("SEC"), FieldType::Int32, {}},
                 {QStringLiteral("TUTAR"), FieldType::Double, {}},
                 {QStringLiteral("INDIRIMTUTAR"), FieldType::Double, {}},
                 {QStringLiteral("VERGITUTARI"), FieldType::Double, {}}});
    int no = 0;
    for (const Satir &s : satirlar) {
        const int r = t.appendRow();
        t.setInt(r, 0, ++no);
        t.setInt(r, 1, s.sec);
        t.setDouble(r, 2, s.tutar);
        t.setDouble(r, 3, s.indirim);
        t.setDouble(r, 4, s.vergi);
    }
    return t;
}

const QLocale kTurkce(QLocale::Turkish, QLocale::Turkey);

} // namespace

Q_DECLARE_METATYPE(QList<Satir>)
Q_DECLARE_METATYPE(vexor::SepetToplami)
Q_DECLARE_METATYPE(vexor::GonderEngeli)

class TstSepetHesap : public QObject
{
    Q_OBJECT

private slots:
    void toplamlar_data();
    void toplamlar();
    void kapaliTablo();
    void gorunum_data();
    void gorunum();
    void ozet();
    void gonderKontrolu_data();
    void gonderKontrolu();
    void teslimSecimi_data();
    void teslimSecimi();
    void silinenSatir();
    void kolonKurallari_data();
    void kolonKurallari();
};

void TstSepetHesap::toplamlar_data()
{
    QTest::addColumn<QList<Satir>>("satirlar");
    QTest::addColumn<SepetToplami>("beklenen");

    QTest::newRow("no marked line") << QList<Satir>{{0, 100, 10, 16.2}, {0, 50, 0, 9}} << SepetToplami{};
    QTest::newRow("empty cart") << QList<Satir>{} << SepetToplami{};
    // A mark other than 1 is no mark.
    QTest::newRow("only SEC 1 counts")
        << QList<Satir>{{1, 100, 10, 16.2}, {0, 40, 4, 6.48}, {2, 70, 7, 11.34}, {-1, 5, 0, 0.9}}
        << SepetToplami{100, 10, 90, 16.2, 106.2};
    QTest::newRow("several marked")
        << QList<Satir>{{1, 30, 4.35, 4.62}, {1, 10, 1.45, 1.54}, {1, 1234.56, 0, 222.22}}
        << SepetToplami{1274.56, 5.8, 1268.76, 228.38, 1497.14};
    // Each addition is rounded: 0.005 three times gives 0.01, 0.02, 0.03 (rounding the plain
    // sum 0.015 once would give 0.02).
    QTest::newRow("rounded at every step")
        << QList<Satir>{{1, 0.005, 0.005, 0.005}, {1, 0.005, 0.005, 0.005}, {1, 0.005, 0.005, 0.005}}
        << SepetToplami{0.03, 0.03, 0, 0.03, 0.03};
    QTest::newRow("sum of cents stays exact")
        << QList<Satir>{{1, 0.1, 0, 0.01}, {1, 0.2, 0, 0.02}, {1, 0.7, 0, 0.07}}
        << SepetToplami{1.0, 0, 1.0, 0.1, 1.1};
    QTest::newRow("discount larger than amount")
        << QList<Satir>{{1, 10, 12.5, 0}} << SepetToplami{10, 12.5, -2.5, 0, -2.5};
}

void TstSepetHesap::toplamlar()
{
    QFETCH(QList<Satir>, satirlar);
    QFETCH(SepetToplami, beklenen);
    const SepetToplami t = sepetToplami(sepetTablosu(satirlar));
    QCOMPARE(t.toplam, beklenen.toplam);
    QCOMPARE(t.indirim, beklenen.indirim);
    QCOMPARE(t.araToplam, beklenen.araToplam);
    QCOMPARE(t.vergi, beklenen.vergi);
    QCOMPARE(t.genelToplam, beklenen.genelToplam);
}

void TstSepetHesap::kapaliTablo()
{
    // Before the first load, and a table without the mark column: nothing is marked.
    QCOMPARE(sepetToplami(MemTable()), SepetToplami{});
    MemTable isaretsiz;
    isaretsiz.setFields({{QStringLiteral("TUTAR"), FieldType::Double, {}}});
    isaretsiz.setDouble(isaretsiz.appendRow(), 0, 50);
    QCOMPARE(sepetToplami(isaretsiz), SepetToplami{});
}

void TstSepetHesap::gorunum_data()
{
    QTest::addColumn<SepetToplami>("toplam");
    QTest::addColumn<QLocale>("yerel");
    QTest::addColumn<QStringList>("yazilar");  // toplam, indirim, ara toplam, vergi, genel toplam
    QTest::addColumn<bool>("indirimGorunur");
    QTest::addColumn<bool>("vergiGorunur");

    const QLocale ingilizce(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("nothing marked, Turkish") << SepetToplami{} << kTurkce
                                             << QStringList{QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00"), QStringLiteral("0,00")}
                                             << false << false;
    QTest::newRow("nothing marked, English") << SepetToplami{} << ingilizce
                                             << QStringList{QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00"), QStringLiteral("0.00")}
                                             << false << false;
    QTest::newRow("discount exactly 1.00 hidden")
        << SepetToplami{10, 1, 9, 1.62, 10.62} << kTurkce
        << QStringList{QStringLiteral("10,00"), QStringLiteral("1,00"), QStringLiteral("9,00"), QStringLiteral("1,62"), QStringLiteral("10,62")} << false << true;
    QTest::newRow("discount 1.01 shown")
        << SepetToplami{10, 1.01, 8.99, 1.62, 10.61} << kTurkce
        << QStringList{QStringLiteral("10,00"), QStringLiteral("1,01"), QStringLiteral("8,99"), QStringLiteral("1,62"), QStringLiteral("10,61")} << true << true;
    QTest::newRow("tax exactly 1.00 hidden")
        << SepetToplami{5.56, 0, 5.56, 1, 6.56} << kTurkce
        << QStringList{QStringLiteral("5,56"), QStringLiteral("0,00"), QStringLiteral("5,56"), QStringLiteral("1,00"), QStringLiteral("6,56")} << false << false;
    QTest::newRow("thousands grouped")
        << SepetToplami{1234567.5, 234567.5, 1000000, 180000, 1180000} << kTurkce
        << QStringList{QStringLiteral("1.234.567,50"), QStringLiteral("234.567,50"), QStringLiteral("1.000.000,00"), QStringLiteral("180.000,00"), QStringLiteral("1.180.000,00")}
        << true << true;
    QTest::newRow("negative net")
        << SepetToplami{10, 12.5, -2.5, 0, -2.5} << kTurkce
        << QStringList{QStringLiteral("10,00"), QStringLiteral("12,50"), QStringLiteral("-2,50"), QStringLiteral("0,00"), QStringLiteral("-2,50")} << true << false;
}

void TstSepetHesap::gorunum()
{
    QFETCH(SepetToplami, toplam);
    QFETCH(QLocale, yerel);
    QFETCH(QStringList, yazilar);
    QFETCH(bool, indirimGorunur);
    QFETCH(bool, vergiGorunur);
    const ToplamGorunumu g = toplamGorunumu(toplam, yerel);
    QCOMPARE((QStringList{g.toplam, g.indirim, g.araToplam, g.vergi, g.genelToplam}), yazilar);
    QCOMPARE(g.indirimGorunur, indirimGorunur);
    QCOMPARE(g.vergiGorunur, vergiGorunur);
}

void TstSepetHesap::ozet()
{
    SiparisOzeti o;
    o.kullanici = QStringLiteral("BAYI");
    o.cari = QStringLiteral("ASLAN OTO YEDEK PARÇA LTD. ŞTİ.");
    o.teslim = QStringLiteral("Servisimizle teslim");
    o.kargoTuru = QStringLiteral("Alıcı ödemeli");
    o.tutar = QStringLiteral("1.497,14");
    o.kargoFirmasi = QStringLiteral("YILDIRIM LOJİSTİK");
    o.aciklama = QStringLiteral("Öğleden önce");
    QCOMPARE(siparisOzetiYazisi(o),
             QStringLiteral("Kullanıcı: BAYI\r\n"
                            "Cari     : ASLAN OTO YEDEK PARÇA LTD. ŞTİ.\r\n"
                            "Teslim   : Servisimizle teslim\r\n"
                            "Kargo    : Alıcı ödemeli\r\n"
                            "Tutar    : 1.497,14\r\n"
                            "Kargo    : YILDIRIM LOJİSTİK\r\n"
                            "Açıklama : Öğleden önce"));

    // Empty values keep their lines; nothing follows the last one.
    const QStringList satirlar = siparisOzetiYazisi(SiparisOzeti{}).split(QStringLiteral("\r\n"));
    QCOMPARE(satirlar.size(), 7);
    QCOMPARE(satirlar.last(), QStringLiteral("Açıklama : "));
    // The captions line up in a fixed-pitch font.
    for (const QString &s : satirlar)
        QCOMPARE(s.indexOf(u':'), 9);
}

void TstSepetHesap::gonderKontrolu_data()
{
    QTest::addColumn<bool>("seciliVar");
    QTest::addColumn<int>("teslim");
    QTest::addColumn<int>("kargoTuru");
    QTest::addColumn<int>("firma");
    QTest::addColumn<GonderEngeli>("engel");
    QTest::addColumn<QString>("mesaj");

    const QString parcaYok = QStringLiteral("Gönderilecek Parça Yok ");
    const QString teslimYok = QStringLiteral("Lütfen Teslim Durumu Seçiniz !");
    const QString turYok = QStringLiteral("Lütfen Kargo Türünü Seçiniz !");
    const QString kargoYok = QStringLiteral("Lütfen Kargo  Seçiniz !");
    // The first failing check speaks, whatever else is missing.
    QTest::newRow("nothing at all") << false << -1 << -1 << -1 << GonderEngeli::ParcaYok << parcaYok;
    QTest::newRow("all chosen, nothing marked") << false << 1 << 0 << 2 << GonderEngeli::ParcaYok << parcaYok;
    QTest::newRow("no delivery") << true << -1 << -1 << -1 << GonderEngeli::TeslimYok << teslimYok;
    QTest::newRow("no delivery, firm chosen") << true << -1 << 0 << 3 << GonderEngeli::TeslimYok << teslimYok;
    QTest::newRow("no cargo type") << true << 0 << -1 << -1 << GonderEngeli::KargoTuruYok << turYok;
    QTest::newRow("blank first firm") << true << 1 << 0 << 0 << GonderEngeli::KargoYok << kargoYok;
    QTest::newRow("empty firm list") << true << 1 << 2 << -1 << GonderEngeli::KargoYok << kargoYok;
    QTest::newRow("first real firm") << true << 0 << 0 << 1 << GonderEngeli::Yok << QString();
    QTest::newRow("later firm") << true << 3 << 2 << 6 << GonderEngeli::Yok << QString();
}

void TstSepetHesap::gonderKontrolu()
{
    QFETCH(bool, seciliVar);
    QFETCH(int, teslim);
    QFETCH(int, kargoTuru);
    QFETCH(int, firma);
    QFETCH(GonderEngeli, engel);
    QFETCH(QString, mesaj);
    const GonderEngeli e = gonderEngeli(seciliVar, teslim, kargoTuru, firma);
    QCOMPARE(e, engel);
    QCOMPARE(gonderEngeliMesaji(e), mesaj);
}

void TstSepetHesap::teslimSecimi_data()
{
    QTest::addColumn<int>("sayi");
    QTest::addColumn<int>("secim");
    QTest::newRow("none") << 0 << -1;
    QTest::newRow("one") << 1 << 0;
    QTest::newRow("two") << 2 << 1;
    QTest::newRow("four") << 4 << 1;
}

void TstSepetHesap::teslimSecimi()
{
    QFETCH(int, sayi);
    QFETCH(int, secim);
    QCOMPARE(varsayilanTeslimSecimi(sayi), secim);
}

void TstSepetHesap::silinenSatir()
{
    QCOMPARE(satirSilAciklamasi(QStringLiteral("8690000012345"), QStringLiteral("FREN BALATASI ÖN")),
             QStringLiteral("8690000012345-FREN BALATASI ÖN"));
    // A name with a dash of its own stays whole.
    QCOMPARE(satirSilAciklamasi(QStringLiteral("123"), QStringLiteral("A-B")), QStringLiteral("123-A-B"));
}

void TstSepetHesap::kolonKurallari_data()
{
    QTest::addColumn<int>("tip");
    QTest::addColumn<bool>("durumGorunur");
    QTest::addColumn<bool>("durumSunulur");
    QTest::addColumn<bool>("kalanGorunur");
    QTest::addColumn<bool>("kalanSunulur");
    QTest::newRow("representative 1") << 1 << true << true << true << true;
    QTest::newRow("representative 2") << 2 << true << true << true << true;
    QTest::newRow("dealer 3") << 3 << false << false << false << false;
    QTest::newRow("dealer 4") << 4 << true << true << false << false;
    QTest::newRow("dealer 0") << 0 << true << true << false << false;
}

void TstSepetHesap::kolonKurallari()
{
    QFETCH(int, tip);
    QFETCH(bool, durumGorunur);
    QFETCH(bool, durumSunulur);
    QFETCH(bool, kalanGorunur);
    QFETCH(bool, kalanSunulur);
    const GridColumns kolonlar =
        kolonKurallariniUygula(sepetKolonlari(), kullaniciTipiKurallari(tip).kolonlari(KuralGridi::Sepet));
    const GridColumn &durum = kolonlar[size_t(findColumn(kolonlar, u"DURUM"))];
    const GridColumn &kalan = kolonlar[size_t(findColumn(kolonlar, u"KALAN"))];
    QCOMPARE(durum.shown, durumGorunur);
    QCOMPARE(durum.offered, durumSunulur);
    QCOMPARE(kalan.shown, kalanGorunur);
    QCOMPARE(kalan.offered, kalanSunulur);
    QCOMPARE(kalan.headerText(), QStringLiteral("Kalan"));
    QCOMPARE(durum.kind, CellKind::Status);

    // The customisation list never offers a fixed column such as the mark.
    QStringList sunulan;
    for (const CustomisationEntry &e : customisationEntries(kolonlar))
        sunulan << kolonlar[size_t(e.column)].field;
    QVERIFY(!sunulan.contains(QStringLiteral("SEC")));
    QVERIFY(!sunulan.contains(QStringLiteral("SIRANO")));
    QCOMPARE(sunulan.contains(QStringLiteral("KALAN")), kalanSunulur);
    QCOMPARE(sunulan.contains(QStringLiteral("DURUM")), durumSunulur);
    // Other grids' rules leave the cart alone: nothing but these two columns changes.
    int farkli = 0;
    for (size_t i = 0; i < kolonlar.size(); ++i) {
        const GridColumn &a = kolonlar[i];
        const GridColumn &b = sepetKolonlari()[i];
        if (a.shown != b.shown || a.offered != b.offered || a.headerText() != b.headerText())
            QVERIFY2(a.field == u"DURUM" || a.field == u"KALAN", qPrintable(a.field));
        farkli += a.field == b.field ? 0 : 1;
    }
    QCOMPARE(farkli, 0);
}

QTEST_APPLESS_MAIN(TstSepetHesap)
#include "tst_sepethesap.moc"
