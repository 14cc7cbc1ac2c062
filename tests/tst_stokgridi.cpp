// The stock list's plain rules: the search box's folding and length rule, the "Fiyat Bilgisi"
// text and the width rule of the stock grid.
#include "app/stokgridi.h"

#include "platform/grid/gridview.h"

#include "turkcetus.h"

#include <QLineEdit>
#include <QPainter>
#include <QtTest>

#include <map>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

std::optional<double> yok()
{
    return std::nullopt;
}

// The stock grid's columns as the width rule sees them at the start.
std::vector<StokKolonu> baslangicKolonlari()
{
    std::vector<StokKolonu> k;
    for (const GridColumn &c : stokKolonlari())
        k.push_back({c.field, c.weight, c.shown});
    return k;
}

using Beklenen = std::map<QString, std::pair<bool, int>>;  // field -> shown, width (-1: kept)

} // namespace

Q_DECLARE_METATYPE(std::optional<double>)

class TstStokGridi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void folding_data();
    void folding();
    void foldingInTheBox();
    void length_data();
    void length();

    void priceSummary_data();
    void priceSummary();
    void priceSummaryFromRow();
    void priceSummaryDrawing_data();
    void priceSummaryDrawing();

    void widthPlan_data();
    void widthPlan();
    void narrowAndBackShowsEveryPrice();
    void ruleOnTheGrid();
};

void TstStokGridi::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

void TstStokGridi::folding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("cursorAfter");
    QTest::newRow("small Turkish letters") << u"şöğüçı"_s << 6 << u"SOGUCI"_s << 6;
    QTest::newRow("capital Turkish letters") << u"ŞÖĞÜÇİ"_s << 6 << u"SOGUCI"_s << 6;
    QTest::newRow("dotless and dotted i") << u"ıiIİ"_s << 4 << u"IIII"_s << 4;
    QTest::newRow("plain lower case") << u"fren balatası ön"_s << 16 << u"FREN BALATASI ON"_s << 16;
    QTest::newRow("digits, signs, blanks kept") << u" 1k0-698 /ş "_s << 12 << u" 1K0-698 /S "_s << 12;
    QTest::newRow("cursor in the middle") << u"aşb"_s << 2 << u"ASB"_s << 2;
    // A letter that grows when upper-cased keeps the cursor after the same text.
    QTest::newRow("growing letter") << u"ßa"_s << 1 << u"SSA"_s << 2;
    QTest::newRow("other accents untouched") << u"éâ"_s << 2 << u"ÉÂ"_s << 2;
}

void TstStokGridi::folding()
{
    QFETCH(QString, typed);
    QFETCH(int, cursor);
    QFETCH(QString, shown);
    QFETCH(int, cursorAfter);
    AramaKutusuDogrulayici v;
    QString text = typed;
    int pos = cursor;
    QCOMPARE(v.validate(text, pos), QValidator::Acceptable);
    QCOMPARE(text, shown);
    QCOMPARE(pos, cursorAfter);
}

void TstStokGridi::foldingInTheBox()
{
    // Key by key, as typed, and pasted in one piece.
    QLineEdit box;
    box.setValidator(new AramaKutusuDogrulayici(&box));
    test::harfleriBas(&box, u"çağ ışık"_s);
    QCOMPARE(box.text(), u"CAG ISIK"_s);
    box.clear();
    box.insert(u"Gümüş İğne"_s);
    QCOMPARE(box.text(), u"GUMUS IGNE"_s);
}

void TstStokGridi::length_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enough");
    QTest::newRow("three letters") << u"ABC"_s << true;
    QTest::newRow("two letters") << u"AB"_s << false;
    QTest::newRow("two letters inside blanks") << u"   AB   "_s << false;
    QTest::newRow("tabs and line ends trimmed") << u"\tAB\n"_s << false;
    QTest::newRow("inner blank counts") << u" A B "_s << true;
    QTest::newRow("only blanks") << u"      "_s << false;
    QTest::newRow("empty") << QString() << false;
}

void TstStokGridi::length()
{
    QFETCH(QString, text);
    QFETCH(bool, enough);
    QCOMPARE(aramaMetniYeterli(text), enough);
}

void TstStokGridi::priceSummary_data()
{
    QTest::addColumn<std::optional<double>>("liste");
    QTest::addColumn<std::optional<double>>("kampanya");
    QTest::addColumn<std::optional<double>>("net");
    QTest::addColumn<std::optional<double>>("kdvDahil");
    QTest::addColumn<QString>("text");
    using O = std::optional<double>;
    QTest::newRow("no campaign: three lines")
        << O(1234.5) << O(0) << O(1000) << O(1180)
        << u"Liste Fiyatı: 1.234,50\r\nNetFiyat: 1.000,00\r\nKDV li Fiyat: 1.180,00\r\n"_s;
    QTest::newRow("campaign: four lines")
        << O(100) << O(89.9) << O(80.91) << O(95.47)
        << u"Liste Fiyatı: 100,00\r\nKampanyalı Fiyat: 89,90\r\nNetFiyat: 80,91\r\nKDV li Fiyat: 95,47\r\n"_s;
    QTest::newRow("negative campaign price is none")
        << O(10) << O(-1) << O(9) << O(10.62) << u"Liste Fiyatı: 10,00\r\nNetFiyat: 9,00\r\nKDV li Fiyat: 10,62\r\n"_s;
    QTest::newRow("empty campaign price is none")
        << O(10) << yok() << O(9) << O(10.62) << u"Liste Fiyatı: 10,00\r\nNetFiyat: 9,00\r\nKDV li Fiyat: 10,62\r\n"_s;
    QTest::newRow("empty prices keep their captions")
        << yok() << yok() << yok() << yok() << u"Liste Fiyatı: \r\nNetFiyat: \r\nKDV li Fiyat: \r\n"_s;
    QTest::newRow("zero is a price") << O(0) << O(0) << O(0) << O(0)
                                     << u"Liste Fiyatı: 0,00\r\nNetFiyat: 0,00\r\nKDV li Fiyat: 0,00\r\n"_s;
    QTest::newRow("millions and rounding") << O(1234567.891) << O(0.004) << O(0.005) << O(2)
                                           << u"Liste Fiyatı: 1.234.567,89\r\nKampanyalı Fiyat: 0,00\r\nNetFiyat: 0,01\r\n"
                                              u"KDV li Fiyat: 2,00\r\n"_s;
}

void TstStokGridi::priceSummary()
{
    QFETCH(std::optional<double>, liste);
    QFETCH(std::optional<double>, kampanya);
    QFETCH(std::optional<double>, net);
    QFETCH(std::optional<double>, kdvDahil);
    QFETCH(QString, text);
    QCOMPARE(fiyatBilgisiYazisi({liste, kampanya, net, kdvDahil}), text);
}

void TstStokGridi::priceSummaryFromRow()
{
    // The drawn column reads its row's prices, also from columns the grid hides; a null cell
    // and a column the table lacks are empty, not 0.
    MemTable t;
    t.setFields({{u"LISTEFIYAT1"_s, FieldType::Double, {}}, {u"KAMPFIYAT"_s, FieldType::Double, {}},
                 {u"NETFIYAT"_s, FieldType::Double, {}}});
    const int r0 = t.appendRow();
    t.setDouble(r0, 0, 50);
    t.setDouble(r0, 1, 45);
    t.setDouble(r0, 2, 40);
    const int r1 = t.appendRow();
    t.setNull(r1, 0);
    const FiyatBilgisiDegerleri d0 = fiyatBilgisiDegerleri(t, r0);
    QCOMPARE(d0.liste.value_or(-1), 50.0);
    QCOMPARE(d0.kampanya.value_or(-1), 45.0);
    QCOMPARE(d0.net.value_or(-1), 40.0);
    QVERIFY(!d0.kdvDahil);
    const FiyatBilgisiDegerleri d1 = fiyatBilgisiDegerleri(t, r1);
    QVERIFY(!d1.liste);
    QCOMPARE(d1.kampanya.value_or(-1), 0.0);

    // The declared column shows exactly that text.
    const GridColumns columns = stokKolonlari();
    const int fb = findColumn(columns, kFiyatBilgisiAlani);
    QVERIFY(fb >= 0);
    QCOMPARE(columns[size_t(fb)].text(t, r0), u"Liste Fiyatı: 50,00\r\nKampanyalı Fiyat: 45,00\r\nNetFiyat: 40,00\r\nKDV li Fiyat: \r\n"_s);
}

void TstStokGridi::priceSummaryDrawing_data()
{
    QTest::addColumn<double>("kampanya");
    QTest::newRow("three lines") << 0.0;
    QTest::newRow("four lines") << 45.0;
}

void TstStokGridi::priceSummaryDrawing()
{
    // Right-aligned 10 pixels in from the edge and centred vertically: the text's last line
    // break must not count as a line.
    QFETCH(double, kampanya);
    MemTable t;
    t.setFields({{u"LISTEFIYAT1"_s, FieldType::Double, {}}, {u"KAMPFIYAT"_s, FieldType::Double, {}},
                 {u"NETFIYAT"_s, FieldType::Double, {}}, {u"KDVDAHIL"_s, FieldType::Double, {}}});
    const int r = t.appendRow();
    t.setDouble(r, 0, 50);
    t.setDouble(r, 1, kampanya);
    t.setDouble(r, 2, 40);
    t.setDouble(r, 3, 47.2);
    QImage image(240, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        QFont font;
        font.setPixelSize(13);
        fiyatBilgisiCiz(p, DrawnCell{t, r, QRect(0, 0, 240, 120), false, Qt::white, Qt::black, font});
    }
    int top = -1, bottom = -1, right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                if (top < 0)
                    top = y;
                bottom = y;
                right = qMax(right, x);
            }
        }
    }
    QVERIFY(top >= 0);
    QVERIFY2(qAbs((top + bottom) - 120) <= 6, qPrintable(u"ink from %1 to %2"_s.arg(top).arg(bottom)));
    QVERIFY2(right < 230 && right >= 224, qPrintable(QString::number(right)));
    QVERIFY(bottom - top > (kampanya > 0 ? 3 : 2) * 13);
}

void TstStokGridi::widthPlan_data()
{
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("grid");
    QTest::addColumn<QStringList>("userShown");
    QTest::addColumn<QStringList>("keptHidden");
    QTest::addColumn<bool>("narrow");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<Beklenen>("expected");

    // Wide, at the start: visible weights 26, unit (1330 - 30) / 26 = 50.
    QTest::newRow("wide")
        << 1350 << 1330 << QStringList() << QStringList() << false << 60
        << Beklenen{{u"DURUM"_s, {true, 50}},        {u"ADI"_s, {true, 150}},        {u"BARKOD"_s, {true, 100}},
                    {u"LISTEFIYAT1"_s, {true, 100}}, {u"KAMPFIYAT"_s, {true, 100}}, {u"NETFIYAT"_s, {true, 100}},
                    {u"KDVDAHIL"_s, {true, 150}},    {kFiyatBilgisiAlani, {false, -1}}, {u"OEM1"_s, {false, -1}},
                    {u"FIYAT"_s, {false, -1}}};
    QTest::newRow("one pixel wider than 1152")
        << 1153 << 1000 << QStringList() << QStringList() << false << 60
        << Beklenen{{u"ADI"_s, {true, 111}}, {u"KDVDAHIL"_s, {true, 111}}, {kFiyatBilgisiAlani, {false, -1}}};
    // Narrow: the four price columns go, "Fiyat Bilgisi" comes; weights 19, unit 970 / 19 = 51.
    QTest::newRow("exactly 1152 is narrow")
        << 1152 << 1000 << QStringList() << QStringList() << true << 100
        << Beklenen{{u"ADI"_s, {true, 153}},          {u"BARKOD"_s, {true, 102}},         {u"DURUM"_s, {true, 51}},
                    {u"LISTEFIYAT1"_s, {false, -1}},  {u"KAMPFIYAT"_s, {false, -1}},      {u"NETFIYAT"_s, {false, -1}},
                    {u"KDVDAHIL"_s, {false, -1}},     {kFiyatBilgisiAlani, {true, 150}},  {u"OEM1"_s, {false, 80}},
                    {u"OEM2"_s, {false, 80}},         {u"OEM3"_s, {false, 80}},           {u"OEM4"_s, {false, -1}}};
    // Oem1 shown by the user takes a share of the unit (weights 21: 970 / 21 = 46), then is
    // set to 80 like its hidden neighbours.
    QTest::newRow("narrow, Oem1 shown by the user")
        << 1024 << 1000 << QStringList{u"OEM1"_s} << QStringList() << true << 100
        << Beklenen{{u"OEM1"_s, {true, 80}}, {u"ADI"_s, {true, 138}}, {kFiyatBilgisiAlani, {true, 150}}};
    // Kind 4: the campaign price stays hidden on a wide window too (weights 23, 1300 / 23 = 56).
    QTest::newRow("wide, campaign price kept hidden")
        << 1400 << 1330 << QStringList() << QStringList{u"KAMPFIYAT"_s, u"K"_s} << false << 60
        << Beklenen{{u"KAMPFIYAT"_s, {false, -1}}, {u"K"_s, {false, -1}}, {u"ADI"_s, {true, 168}}, {u"NETFIYAT"_s, {true, 112}}};
    QTest::newRow("grid narrower than its margin")
        << 1000 << 20 << QStringList() << QStringList() << true << 100
        << Beklenen{{u"ADI"_s, {true, 0}}, {kFiyatBilgisiAlani, {true, 150}}, {u"OEM2"_s, {false, 80}}};
}

void TstStokGridi::widthPlan()
{
    QFETCH(int, window);
    QFETCH(int, grid);
    QFETCH(QStringList, userShown);
    QFETCH(QStringList, keptHidden);
    QFETCH(bool, narrow);
    QFETCH(int, rowHeight);
    QFETCH(Beklenen, expected);

    std::vector<StokKolonu> kolonlar = baslangicKolonlari();
    for (StokKolonu &k : kolonlar) {
        if (userShown.contains(k.alan))
            k.gorunur = true;
    }
    const StokGenislikPlani plan = stokGenislikPlani(window, grid, kolonlar, keptHidden);
    QCOMPARE(plan.dar, narrow);
    QCOMPARE(plan.satirYuksekligi, rowHeight);
    QCOMPARE(plan.gorunur.size(), kolonlar.size());
    QCOMPARE(plan.genislik.size(), kolonlar.size());
    for (const auto &[field, want] : expected) {
        const auto it = std::find_if(kolonlar.begin(), kolonlar.end(), [&](const StokKolonu &k) { return k.alan == field; });
        QVERIFY2(it != kolonlar.end(), qPrintable(field));
        const size_t i = size_t(it - kolonlar.begin());
        QVERIFY2(plan.gorunur[i] == want.first, qPrintable(field));
        QCOMPARE(plan.genislik[i], want.second);
    }
    // Every visible column is as wide as its weight says, except the narrow layout's fixed ones.
    int unit = -1;
    for (size_t i = 0; i < kolonlar.size(); ++i) {
        if (!plan.gorunur[i] || (narrow && (kolonlar[i].alan.startsWith(u"OEM"_s) || kolonlar[i].alan == kFiyatBilgisiAlani)))
            continue;
        QCOMPARE(plan.genislik[i] % kolonlar[i].agirlik, 0);
        if (unit < 0)
            unit = plan.genislik[i] / kolonlar[i].agirlik;
        QCOMPARE(plan.genislik[i], unit * kolonlar[i].agirlik);
    }
}

void TstStokGridi::narrowAndBackShowsEveryPrice()
{
    // One narrow moment must not lose "KDV Dahil Fiyat" for the rest of the run.
    std::vector<StokKolonu> kolonlar = baslangicKolonlari();
    const auto uygula = [&](int window) {
        const StokGenislikPlani plan = stokGenislikPlani(window, 1000, kolonlar);
        for (size_t i = 0; i < kolonlar.size(); ++i)
            kolonlar[i].gorunur = plan.gorunur[i];
    };
    const auto shown = [&](const QString &field) {
        return std::find_if(kolonlar.begin(), kolonlar.end(), [&](const StokKolonu &k) { return k.alan == field; })->gorunur;
    };
    uygula(1000);
    QVERIFY(!shown(u"KDVDAHIL"_s));
    QVERIFY(shown(kFiyatBilgisiAlani));
    uygula(1600);
    for (const QString &f : {u"LISTEFIYAT1"_s, u"KAMPFIYAT"_s, u"NETFIYAT"_s, u"KDVDAHIL"_s})
        QVERIFY2(shown(f), qPrintable(f));
    QVERIFY(!shown(kFiyatBilgisiAlani));
}

void TstStokGridi::ruleOnTheGrid()
{
    // The plan applied to a real grid: shown columns, widths and row height.
    GridView grid(stokKolonlari());
    grid.resize(1000, 400);
    stokGenislikKuraliniUygula(grid, 1100);
    QVERIFY(!grid.isColumnShown(u"KDVDAHIL"_s));
    QVERIFY(grid.isColumnShown(kFiyatBilgisiAlani));
    QCOMPARE(grid.columnWidth(kFiyatBilgisiAlani), 150);
    QCOMPARE(grid.columnWidth(u"ADI"_s), 153);
    QCOMPARE(grid.rowHeight(), 100);
    // A hidden Oem column keeps the width it was given for when the user shows it.
    grid.setColumnShown(u"OEM3"_s, true);
    QCOMPARE(grid.columnWidth(u"OEM3"_s), 80);
    grid.setColumnShown(u"OEM3"_s, false);
    grid.resize(1330, 400);
    stokGenislikKuraliniUygula(grid, 1350, {u"KAMPFIYAT"_s});
    QVERIFY(grid.isColumnShown(u"KDVDAHIL"_s));
    QVERIFY(!grid.isColumnShown(u"KAMPFIYAT"_s));
    QVERIFY(!grid.isColumnShown(kFiyatBilgisiAlani));
    QCOMPARE(grid.columnWidth(u"ADI"_s), 3 * ((1330 - 30) / 24));
    QCOMPARE(grid.rowHeight(), 60);
}

QTEST_MAIN(TstStokGridi)
#include "tst_stokgridi.moc"
