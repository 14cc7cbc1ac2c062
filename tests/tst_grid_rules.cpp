// The grid's plain computations: the width rule, ordering, header filters, summaries,
// incremental search, customisation lists and the export's names and formats.

#include "common/formats.h"
#include "common/memtable.h"
#include "platform/grid/columns.h"
#include "platform/grid/rowops.h"
#include "platform/grid/widthrule.h"
#include "platform/grid/xlsxexport.h"

#include <QtTest>

#include <numeric>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

std::vector<int> allRows(const MemTable &t)
{
    std::vector<int> rows(size_t(t.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

// Cart-like lines: MARKA text, MIKTAR and NETTUTAR amounts, DURUM codes, some blanks.
MemTable cartLines()
{
    MemTable t;
    t.setFields({{u"MARKA"_s, FieldType::String, {}},
                 {u"MIKTAR"_s, FieldType::Double, kTutarBicimi},
                 {u"NETTUTAR"_s, FieldType::Currency, kTutarBicimi},
                 {u"DURUM"_s, FieldType::Int32, {}},
                 {u"SIRANO"_s, FieldType::Int64, {}}});
    struct Line { const char16_t *marka; double miktar; double net; int durum; qint64 sirano; };
    const Line lines[] = {
        {u"FORD", 2, 150.25, 1, 9007199254740993LL},
        {u"RENAULT", 1, 99.99, 0, 9007199254740992LL},
        {u"ÇAĞDAŞ", 5, 10.10, 3, 3},
        {u"FORD", 3, 1000, 1, 4},
        {u"", 7, 0.5, 2, 5},
        {u"İZMİR OTO", 4, 20, 5, 6},
    };
    for (const Line &l : lines) {
        const int r = t.appendRow();
        t.setString(r, 0, QStringView(l.marka));
        t.setDouble(r, 1, l.miktar);
        t.setDouble(r, 2, l.net);
        t.setInt(r, 3, l.durum);
        t.setInt(r, 4, l.sirano);
    }
    // A seventh line with every value missing.
    const int r = t.appendRow();
    for (int c = 0; c < t.fieldCount(); ++c)
        t.setNull(r, c);
    return t;
}

QStringList markaOf(const MemTable &t, const std::vector<int> &rows)
{
    QStringList out;
    for (int r : rows)
        out << (t.isNull(r, 0) ? u"<null>"_s : t.asString(r, 0));
    return out;
}

} // namespace

class TestGridRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }

    void proportionalWidths_data();
    void proportionalWidths();
    void widthMode_data();
    void widthMode();

    void sortRows_data();
    void sortRows();
    void sortIsStableAndKeepsLargeIntegersApart();
    void groupRowsAscending();

    void filterRows_data();
    void filterRows();
    void distinctValuesOfOtherFilters();

    void summaries_data();
    void summaries();
    void sumOfManyAmountsShowsWhatTheyAddUpTo();

    void incrementalSearch_data();
    void incrementalSearch();

    void customisationOffersOnlyOfferedColumns();
    void widestCandidates();

    void excelFileName_data();
    void excelFileName();
    void excelFormats_data();
    void excelFormats();
};

void TestGridRules::proportionalWidths_data()
{
    QTest::addColumn<QList<int>>("weights");
    QTest::addColumn<int>("gridWidth");
    QTest::addColumn<QList<int>>("widths");

    // Order detail window: 16 visible columns weighing 22 in all.
    const QList<int> detail = {1, 2, 2, 2, 3, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1};
    auto times = [](const QList<int> &weights, int unit) {
        QList<int> w;
        for (int x : weights)
            w << x * unit;
        return w;
    };
    QTest::newRow("detail, exact unit") << detail << 690 << times(detail, 30);
    QTest::newRow("detail, unit truncated") << detail << 689 << times(detail, 29);
    QTest::newRow("detail, wide window") << detail << 1250 << times(detail, 55);
    // Stock list on a wide window: Durum 1, Barkod 2, Açıklama 3, Resim 1, Marka 2, Model 2,
    // Özel Kod 2, Liste Fiyatı 2, Kampanyalı Fiyat 2, Yeni 1, Kampanyalı 1, İndirim Oran 2,
    // Net Fiyatı 2, KDV Dahil Fiyat 3: 26 in all.
    const QList<int> stock = {1, 2, 3, 1, 2, 2, 2, 2, 2, 1, 1, 2, 2, 3};
    QTest::newRow("stock list, 1890 wide") << stock << 1890 << times(stock, 71);
    // Cart: Seç, Sipariş Tarihi, Barkod, FinishKod, OEMNo, Stok Açıklama, Miktar, Birim
    // Fiyat, Tutar, İndirim Oran, Net Fiyat, Net Tutar, Veren, Durum: 20 in all.
    const QList<int> cart = {1, 1, 2, 2, 2, 3, 1, 1, 1, 2, 1, 1, 1, 1};
    QTest::newRow("cart, 1280 wide") << cart << 1280 << times(cart, 62);
    QTest::newRow("grid no wider than the margin") << QList<int>{1, 2} << 30 << QList<int>{0, 0};
    QTest::newRow("grid narrower than the margin") << QList<int>{1, 2} << 12 << QList<int>{0, 0};
    QTest::newRow("no weights at all") << QList<int>{0, 0} << 800 << QList<int>{-1, -1};
    QTest::newRow("unweighted column keeps its width") << QList<int>{2, 0, 1} << 330 << QList<int>{200, -1, 100};
    QTest::newRow("no columns") << QList<int>{} << 800 << QList<int>{};
}

void TestGridRules::proportionalWidths()
{
    QFETCH(QList<int>, weights);
    QFETCH(int, gridWidth);
    QFETCH(QList<int>, widths);
    const std::vector<int> got = vexor::proportionalWidths(std::vector<int>(weights.begin(), weights.end()), gridWidth);
    QCOMPARE(QList<int>(got.begin(), got.end()), widths);
}

void TestGridRules::widthMode_data()
{
    QTest::addColumn<int>("screenWidth");
    QTest::addColumn<bool>("proportional");
    QTest::newRow("1152: fitted to content") << 1152 << false;
    QTest::newRow("1153: proportional") << 1153 << true;
    QTest::newRow("1024") << 1024 << false;
    QTest::newRow("1920") << 1920 << true;
    QTest::newRow("unknown screen") << 0 << false;
}

void TestGridRules::widthMode()
{
    QFETCH(int, screenWidth);
    QFETCH(bool, proportional);
    QCOMPARE(widthModeForScreen(screenWidth) == WidthMode::Proportional, proportional);
}

void TestGridRules::sortRows_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("marka");

    // Blanks (empty and null alike) first; Turkish letters in their places (Ç after C, İ after I); descending is the
    // exact reverse except that equal values keep their order.
    QTest::newRow("text ascending") << 0 << int(Qt::AscendingOrder)
                                    << QStringList{u""_s, u"<null>"_s, u"ÇAĞDAŞ"_s, u"FORD"_s, u"FORD"_s, u"İZMİR OTO"_s, u"RENAULT"_s};
    QTest::newRow("text descending") << 0 << int(Qt::DescendingOrder)
                                     << QStringList{u"RENAULT"_s, u"İZMİR OTO"_s, u"FORD"_s, u"FORD"_s, u"ÇAĞDAŞ"_s, u""_s, u"<null>"_s};
    QTest::newRow("amount ascending") << 2 << int(Qt::AscendingOrder)
                                      << QStringList{u"<null>"_s, u""_s, u"ÇAĞDAŞ"_s, u"İZMİR OTO"_s, u"RENAULT"_s, u"FORD"_s, u"FORD"_s};
    QTest::newRow("status descending") << 3 << int(Qt::DescendingOrder)
                                       << QStringList{u"İZMİR OTO"_s, u"ÇAĞDAŞ"_s, u""_s, u"FORD"_s, u"FORD"_s, u"RENAULT"_s, u"<null>"_s};
}

void TestGridRules::sortRows()
{
    QFETCH(int, field);
    QFETCH(int, order);
    QFETCH(QStringList, marka);
    const MemTable t = cartLines();
    std::vector<int> rows = allRows(t);
    vexor::sortRows(t, field, Qt::SortOrder(order), rows);
    QCOMPARE(markaOf(t, rows), marka);
}

void TestGridRules::sortIsStableAndKeepsLargeIntegersApart()
{
    const MemTable t = cartLines();
    std::vector<int> rows = allRows(t);
    // Both FORD lines have status 1: the earlier one stays first, in both directions.
    vexor::sortRows(t, 3, Qt::AscendingOrder, rows);
    const auto first = std::find(rows.begin(), rows.end(), 0), second = std::find(rows.begin(), rows.end(), 3);
    QVERIFY(first < second);
    vexor::sortRows(t, 3, Qt::DescendingOrder, rows);
    QVERIFY(std::find(rows.begin(), rows.end(), 0) < std::find(rows.begin(), rows.end(), 3));

    // 2^53 + 1 and 2^53 are one double apart from nothing: compared as integers they differ.
    rows = {0, 1};
    vexor::sortRows(t, 4, Qt::AscendingOrder, rows);
    QCOMPARE(rows, (std::vector<int>{1, 0}));
}

void TestGridRules::groupRowsAscending()
{
    const MemTable t = cartLines();
    std::vector<int> rows = {3, 1, 0, 5, 2};
    const std::vector<int> bounds = vexor::groupRows(t, 0, rows);
    // ÇAĞDAŞ | FORD FORD (in their given order: 3 before 0) | İZMİR OTO | RENAULT
    QCOMPARE(rows, (std::vector<int>{2, 3, 0, 5, 1}));
    QCOMPARE(bounds, (std::vector<int>{0, 1, 3, 4, 5}));
}

void TestGridRules::filterRows_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<int>>("kept");

    QTest::newRow("one text value") << 0 << QVariantList{u"FORD"_s} << QString() << std::vector<int>{0, 3};
    QTest::newRow("two text values") << 0 << QVariantList{u"FORD"_s, u"ÇAĞDAŞ"_s} << QString() << std::vector<int>{0, 2, 3};
    QTest::newRow("blanks: null and empty text") << 0 << QVariantList{QVariant()} << QString() << std::vector<int>{4, 6};
    QTest::newRow("amount") << 2 << QVariantList{99.99} << QString() << std::vector<int>{1};
    QTest::newRow("status codes") << 3 << QVariantList{qint64(1), qint64(5)} << QString() << std::vector<int>{0, 3, 5};
    QTest::newRow("contains, Turkish case") << 0 << QVariantList{} << u"izmir"_s << std::vector<int>{5};
    QTest::newRow("contains, inner text") << 0 << QVariantList{} << u"ağd"_s << std::vector<int>{2};
    QTest::newRow("contains, shown amount") << 2 << QVariantList{} << u"1.000"_s << std::vector<int>{3};
    QTest::newRow("value matching nothing") << 0 << QVariantList{u"OPEL"_s} << QString() << std::vector<int>{};
}

void TestGridRules::filterRows()
{
    QFETCH(int, field);
    QFETCH(QVariantList, values);
    QFETCH(QString, text);
    QFETCH(std::vector<int>, kept);
    const MemTable t = cartLines();
    ColumnFilter f;
    f.field = field;
    f.filter.text = text;
    f.text = [&](int row) { return t.displayText(row, field); };
    for (const QVariant &v : values) {
        CellKey key;
        if (v.typeId() == QMetaType::QString)
            key.value = v.toString().toStdString();
        else if (v.typeId() == QMetaType::LongLong)
            key.value = v.toLongLong();
        else if (v.typeId() == QMetaType::Double)
            key.value = v.toDouble();
        f.filter.values.push_back(key);
    }
    const std::vector<int> rows = allRows(t);
    QCOMPARE(vexor::filterRows(t, std::span<const ColumnFilter>(&f, 1), rows), kept);
}

void TestGridRules::distinctValuesOfOtherFilters()
{
    const MemTable t = cartLines();
    // Only the FORD and RENAULT lines pass another column's filter.
    const std::vector<int> rows = {0, 1, 3};
    const std::vector<FilterValue> values = vexor::distinctValues(t, 2, rows, [&](int r) { return t.displayText(r, 2); });
    QCOMPARE(values.size(), size_t(3));
    QCOMPARE(values[0].text, u"99,99"_s);
    QCOMPARE(values[1].text, u"150,25"_s);
    QCOMPARE(values[2].text, u"1.000,00"_s);

    const std::vector<FilterValue> marka = vexor::distinctValues(t, 0, allRows(t), [&](int r) { return t.displayText(r, 0); });
    QStringList texts;
    for (const FilterValue &v : marka)
        texts << (v.key.isBlank() ? u"(blank)"_s : v.text);
    QCOMPARE(texts, (QStringList{u"(blank)"_s, u"ÇAĞDAŞ"_s, u"FORD"_s, u"İZMİR OTO"_s, u"RENAULT"_s}));
}

void TestGridRules::summaries_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("kind");
    QTest::addColumn<std::vector<int>>("rows");
    QTest::addColumn<QString>("text");

    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("sum of amounts in their format") << 2 << int(Summary::Sum) << all << u"1.280,84"_s;
    QTest::newRow("sum after a filter") << 2 << int(Summary::Sum) << std::vector<int>{0, 3} << u"1.150,25"_s;
    QTest::newRow("sum of integers") << 3 << int(Summary::Sum) << all << u"12"_s;
    QTest::newRow("count skips blanks") << 0 << int(Summary::Count) << all << u"5"_s;
    QTest::newRow("count of numbers skips nulls") << 1 << int(Summary::Count) << all << u"6"_s;
    QTest::newRow("row count counts every row") << 0 << int(Summary::RowCount) << all << u"7"_s;
    QTest::newRow("nothing to sum") << 2 << int(Summary::Sum) << std::vector<int>{} << u"0,00"_s;
}

void TestGridRules::summaries()
{
    QFETCH(int, field);
    QFETCH(int, kind);
    QFETCH(std::vector<int>, rows);
    QFETCH(QString, text);
    const MemTable t = cartLines();
    const SummaryValue v = summarise(t, field, Summary(kind), rows);
    QCOMPARE(summaryText(Summary(kind), v, t.field(field).type, t.field(field).displayFormat), text);
}

void TestGridRules::sumOfManyAmountsShowsWhatTheyAddUpTo()
{
    MemTable t;
    t.setFields({{u"TUTAR"_s, FieldType::Double, {}}});
    for (int i = 0; i < 100000; ++i)
        t.setDouble(t.appendRow(), 0, 0.1);
    const SummaryValue v = summarise(t, 0, Summary::Sum, allRows(t));
    // A running double sum drifts to 10000.000000018848.
    QCOMPARE(v.sum, 10000.0);
    QCOMPARE(summaryText(Summary::Sum, v, FieldType::Double, QString()), u"10000"_s);
}

void TestGridRules::incrementalSearch_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("found");

    // texts: "FREN BALATASI", "İZMİR", "ışık", "Fren hortumu", "ÇAMURLUK"
    QTest::newRow("from the top") << 0 << 1 << u"fren"_s << 0;
    QTest::newRow("from the current row on") << 1 << 1 << u"fren"_s << 3;
    QTest::newRow("wraps around") << 4 << 1 << u"fren b"_s << 0;
    QTest::newRow("dotted capital İ by small i") << 0 << 1 << u"izm"_s << 1;
    QTest::newRow("dotless ı by capital I") << 0 << 1 << u"IŞI"_s << 2;
    QTest::newRow("Ç") << 0 << 1 << u"ça"_s << 4;
    QTest::newRow("backwards") << 2 << -1 << u"fren"_s << 0;
    QTest::newRow("backwards wraps") << 2 << -1 << u"fren h"_s << 3;
    QTest::newRow("no match") << 0 << 1 << u"xyz"_s << -1;
    QTest::newRow("only a prefix matches") << 0 << 1 << u"balata"_s << -1;
}

void TestGridRules::incrementalSearch()
{
    QFETCH(int, from);
    QFETCH(int, step);
    QFETCH(QString, prefix);
    QFETCH(int, found);
    const QStringList texts = {u"FREN BALATASI"_s, u"İZMİR"_s, u"ışık"_s, u"Fren hortumu"_s, u"ÇAMURLUK"_s};
    QCOMPARE(findByPrefix(int(texts.size()), from, step, prefix, [&](int i) { return texts[i]; }), found);
}

void TestGridRules::customisationOffersOnlyOfferedColumns()
{
    const GridColumns columns = {
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status},
        {.field = u"OEM1"_s, .caption = u"Oem1"_s, .weight = 2, .shown = false},
        {.field = u"STOK_STOKNO"_s, .shown = false, .offered = false},
        {.field = u"KALAN"_s, .shown = true, .offered = false},
        {.field = u"KDV"_s, .shown = false},
        {.field = u"D"_s, .caption = kBlankCaption},
    };
    const std::vector<CustomisationEntry> entries = customisationEntries(columns);
    QStringList got;
    for (const CustomisationEntry &e : entries)
        got << QStringLiteral("%1:%2:%3").arg(e.column).arg(e.caption).arg(int(e.shown));
    // Fixed columns never appear, shown or hidden; a column without a caption is listed by
    // its field name.
    QCOMPARE(got, (QStringList{u"0:Durum:1"_s, u"1:Oem1:0"_s, u"4:KDV:0"_s, u"5:D:1"_s}));
    QCOMPARE(columns[4].headerText(), u"KDV"_s);
    QCOMPARE(columns[5].headerText(), QString());
    QCOMPARE(findColumn(columns, u"kalan"), 3);
    QCOMPARE(findColumn(columns, u"YOK"), -1);
}

void TestGridRules::widestCandidates()
{
    MemTable t;
    t.setFields({{u"ADI"_s, FieldType::String, {}}, {u"TUTAR"_s, FieldType::Double, {}}});
    const QStringList names = {u"a"_s, u"uzun bir açıklama"_s, u"orta"_s, u"en uzun açıklama metni"_s, u"b"_s};
    const double amounts[] = {5, -12000, 999999, 1, 3};
    for (int i = 0; i < 5; ++i) {
        const int r = t.appendRow();
        t.setString(r, 0, names[i]);
        t.setDouble(r, 1, amounts[i]);
    }
    std::vector<int> rows = allRows(t);
    QCOMPARE(widestRowCandidates(t, 0, rows, 2), (std::vector<int>{3, 1}));
    // The largest amount, and the most negative one for its minus sign.
    QCOMPARE(widestRowCandidates(t, 1, rows, 1), (std::vector<int>{2, 1}));
    QCOMPARE(widestRowCandidates(t, 1, rows, 10).size(), size_t(5));
}

void TestGridRules::excelFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("xls becomes xlsx") << u"/tmp/sepet.xls"_s << u"/tmp/sepet.xlsx"_s;
    QTest::newRow("upper case XLS") << u"/tmp/SEPET.XLS"_s << u"/tmp/SEPET.xlsx"_s;
    QTest::newRow("xlsx stays") << u"/tmp/sepet.xlsx"_s << u"/tmp/sepet.xlsx"_s;
    QTest::newRow("macro workbook name") << u"/tmp/sepet.xlsm"_s << u"/tmp/sepet.xlsx"_s;
    QTest::newRow("no extension") << u"/tmp/sepet"_s << u"/tmp/sepet.xlsx"_s;
    QTest::newRow("another extension") << u"/tmp/sepet.2024"_s << u"/tmp/sepet.2024.xlsx"_s;
    QTest::newRow("trailing dot") << u"/tmp/sepet."_s << u"/tmp/sepet.xlsx"_s;
    QTest::newRow("dotted folder") << u"/tmp/a.xls/sepet"_s << u"/tmp/a.xls/sepet.xlsx"_s;
}

void TestGridRules::excelFileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(vexor::excelFileName(chosen), written);
}

void TestGridRules::excelFormats_data()
{
    QTest::addColumn<QString>("ours");
    QTest::addColumn<QString>("excel");
    QTest::newRow("amounts") << kTutarBicimi << u"#,##0.00"_s;
    QTest::newRow("grand totals") << kToplamBicimi << u"#,#00.00"_s;
    QTest::newRow("rounding") << kYuvarlamaBicimi << u"#,###.00"_s;
    QTest::newRow("five integer digits") << u"#,00000.0"_s << u"00,000.0"_s;
    QTest::newRow("no grouping") << u"0.000"_s << u"0.000"_s;
    QTest::newRow("optional decimals") << u"#,##0.0#"_s << u"#,##0.0#"_s;
    QTest::newRow("none") << QString() << QString();
}

void TestGridRules::excelFormats()
{
    QFETCH(QString, ours);
    QFETCH(QString, excel);
    QCOMPARE(excelNumberFormat(ours), excel);
    QCOMPARE(excelDateFormat(u"d.MM.yyyy HH:mm"_s), u"d.mm.yyyy hh:mm"_s);
    QCOMPARE(excelDateFormat(u"h:mm AP 'Saat' t"_s), u"h:mm AM/PM \"Saat\""_s);
}

QTEST_GUILESS_MAIN(TestGridRules)
#include "tst_grid_rules.moc"
