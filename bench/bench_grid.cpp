// The data grid with a stock-list-sized result: 100,000 rows x 40 columns attached to a
// shown grid, then sorted, filtered, grouped and summed; peak memory; and a 10,000-row
// export to .xlsx. Prints figures (median of several runs); build Release for meaningful
// numbers and run offscreen (scripts/bench.sh).

#include "common/formats.h"
#include "common/memtable.h"
#include "platform/grid/gridproxy.h"
#include "platform/grid/gridview.h"
#include "platform/grid/rowops.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 100000;
constexpr int kExportRows = 10000;
constexpr int kRuns = 5;

// Resident set size and its peak, in MiB (Linux).
std::pair<double, double> memoryMiB()
{
    QFile status(u"/proc/self/status"_s);
    double rss = 0, peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
            else if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    return {rss, peak};
}

double medianMs(const std::function<void()> &work, int runs = kRuns)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Shows what the work changed, as a user would see it.
void settle()
{
    QCoreApplication::processEvents();
}

MemTable stockTable(int rows)
{
    std::vector<FieldDef> fields = {
        {u"STOK_STOKNO"_s, FieldType::Int32, {}}, {u"DURUM"_s, FieldType::Int32, {}},
        {u"BARKOD"_s, FieldType::String, {}},     {u"ADI"_s, FieldType::String, {}},
        {u"MARKA"_s, FieldType::String, {}},      {u"MODEL"_s, FieldType::String, {}},
        {u"FINISHKOD"_s, FieldType::String, {}},  {u"OEM1"_s, FieldType::String, {}},
        {u"OEM2"_s, FieldType::String, {}},       {u"OEM3"_s, FieldType::String, {}},
        {u"OEM4"_s, FieldType::String, {}},       {u"URETICIKODU"_s, FieldType::String, {}},
        {u"RESIM"_s, FieldType::Int32, {}},       {u"DIGERADI"_s, FieldType::String, {}},
        {u"OEMNO"_s, FieldType::String, {}},      {u"BIRIM"_s, FieldType::String, {}},
        {u"ANAGRUP"_s, FieldType::String, {}},    {u"OZELKOD"_s, FieldType::String, {}},
        {u"KALAN"_s, FieldType::Double, {}},      {u"KDV"_s, FieldType::Int32, {}},
        {u"ALINANSIPARIS"_s, FieldType::Double, {}}, {u"VERILENSIPARIS"_s, FieldType::Double, {}},
        {u"LISTEFIYAT1"_s, FieldType::Double, {}}, {u"KAMPFIYAT"_s, FieldType::Double, {}},
        {u"FIYAT"_s, FieldType::Double, {}},      {u"Y"_s, FieldType::Int32, {}},
        {u"K"_s, FieldType::Int32, {}},           {u"INDIRIMYAZI"_s, FieldType::String, {}},
        {u"NETFIYAT"_s, FieldType::Double, {}},   {u"KDVDAHIL"_s, FieldType::Double, {}},
        {u"IND1"_s, FieldType::Double, {}},       {u"IND2"_s, FieldType::Double, {}},
        {u"IND3"_s, FieldType::Double, {}},       {u"IND4"_s, FieldType::Double, {}},
        {u"PKOD"_s, FieldType::String, {}},       {u"DPKOD"_s, FieldType::String, {}},
        {u"TARIH"_s, FieldType::Date, {}},        {u"GUNCELLEME"_s, FieldType::DateTime, {}},
        {u"SATISADET"_s, FieldType::Int64, {}},   {u"ACIKLAMA"_s, FieldType::String, {}},
    };
    const QStringList parts = {u"FREN BALATASI"_s, u"DEBRİYAJ SETİ"_s, u"AMORTİSÖR"_s, u"YAĞ FİLTRESİ"_s,
                               u"HAVA FİLTRESİ"_s, u"ROT BAŞI"_s, u"SALINCAK"_s, u"TRİGER SETİ"_s,
                               u"SU POMPASI"_s, u"BUJİ"_s, u"ŞANZIMAN KULAĞI"_s, u"ÇAMURLUK"_s};
    const QStringList sides = {u"ÖN"_s, u"ARKA"_s, u"SAĞ"_s, u"SOL"_s, u"ÖN SAĞ"_s, u"ARKA SOL"_s};
    const QStringList brands = {u"FORD"_s, u"RENAULT"_s, u"FİAT"_s, u"TOYOTA"_s, u"HYUNDAİ"_s, u"OPEL"_s};
    const QStringList models = {u"FOCUS III 1.6 TDCI 2011-2018"_s, u"CLIO IV 1.5 DCI 2013-2019"_s,
                                u"DOBLO 1.3 MJET 2010-2015"_s, u"COROLLA 1.4 D4D 2007-2013"_s,
                                u"ACCENT ERA 1.5 CRDI 2006-2012"_s, u"ASTRA J 1.6 16V 2010-2015"_s};
    std::mt19937 rng(20240105);
    auto pick = [&](const QStringList &list) { return list[int(rng() % unsigned(list.size()))]; };
    auto money = [&](double lo, double hi) {
        return std::round(std::uniform_real_distribution<double>(lo, hi)(rng) * 100) / 100;
    };
    auto code = [&](const char16_t *prefix) -> std::string {
        return QString(QString::fromUtf16(prefix) + QString::number(rng() % 900000 + 100000)).toStdString();
    };

    MemTable t;
    t.setFields(std::move(fields));
    t.reserveRows(rows);
    MemTable::Appender add(t);
    for (int i = 0; i < rows; ++i) {
        const double list = money(5, 25000);
        const double net = std::round(list * 0.85 * 100) / 100;
        add.addInt(100000 + i);
        add.addInt(rng() % 7);
        add.addBytes(QString::number(8680000000000LL + i).toStdString());
        add.addBytes(QString(pick(parts) + u' ' + pick(sides)).toStdString());
        add.addBytes(pick(brands).toStdString());
        add.addBytes(pick(models).toStdString());
        for (int o = 0; o < 6; ++o)
            add.addBytes(code(u"K"));
        add.addInt(rng() % 2);
        add.addBytes(QString(pick(parts) + u" MUADİL"_s).toStdString());
        add.addBytes(code(u"OE"));
        add.addBytes("ADET");
        add.addBytes(pick(brands).toStdString());
        add.addBytes(code(u"OK"));
        add.addDouble(double(rng() % 500));
        add.addInt(18);
        add.addDouble(double(rng() % 50));
        add.addDouble(double(rng() % 50));
        add.addDouble(list);
        add.addDouble(rng() % 10 == 0 ? std::round(list * 0.8 * 100) / 100 : 0);
        add.addDouble(list);
        add.addInt(rng() % 2);
        add.addInt(rng() % 10 == 0);
        add.addBytes("15+5");
        add.addDouble(net);
        add.addDouble(std::round(net * 1.18 * 100) / 100);
        add.addDouble(15);
        add.addDouble(5);
        add.addDouble(0);
        add.addDouble(0);
        add.addBytes(code(u"P"));
        add.addBytes(code(u"D"));
        add.addDouble(45000 + double(rng() % 1000));
        add.addDouble(45000 + double(rng() % 1000) + 0.5);
        add.addInt(qint64(rng() % 100000));
        add.addBytes(i % 3 == 0 ? std::string() : std::string("Orijinal kutusunda, faturalı."));
        add.endRow();
    }
    FloatAlanBicimle(t);
    return t;
}

GridColumns stockColumns()
{
    GridColumns c = {
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status, .footer = Summary::RowCount},
        {.field = u"BARKOD"_s, .caption = u"Barkod"_s, .weight = 2},
        {.field = u"ADI"_s, .caption = u"Açıklama"_s, .weight = 3, .wordWrap = true},
        {.field = u"RESIM"_s, .caption = u"Resim"_s, .kind = CellKind::PictureFlag},
        {.field = u"MARKA"_s, .caption = u"Marka"_s, .weight = 2},
        {.field = u"MODEL"_s, .caption = u"Model"_s, .weight = 2},
        {.field = u"OZELKOD"_s, .caption = u"Özel Kod"_s, .weight = 2},
        {.field = u"KALAN"_s, .caption = u"Kalan"_s, .footer = Summary::Sum},
        {.field = u"LISTEFIYAT1"_s, .caption = u"Liste Fiyatı"_s, .weight = 2, .footer = Summary::Sum},
        {.field = u"KAMPFIYAT"_s, .caption = u"Kampanyalı Fiyat"_s, .weight = 2, .footer = Summary::Sum},
        {.field = u"Y"_s, .caption = u"Yeni"_s, .kind = CellKind::YesNo},
        {.field = u"K"_s, .caption = u"Kampanyalı"_s, .kind = CellKind::YesNo},
        {.field = u"INDIRIMYAZI"_s, .caption = u"İndirim Oran"_s, .weight = 2, .alignment = Qt::AlignHCenter},
        {.field = u"NETFIYAT"_s, .caption = u"Net Fiyatı"_s, .weight = 2, .footer = Summary::Sum},
        {.field = u"KDVDAHIL"_s, .caption = u"KDV Dahil Fiyat"_s, .weight = 3, .footer = Summary::Sum},
        {.field = u"TARIH"_s, .caption = u"Tarih"_s, .footer = Summary::Count},
        {.field = u"FIYATBILGISI"_s, .caption = u"Fiyat Bilgisi"_s, .weight = 2, .kind = CellKind::Drawn,
         .alignment = Qt::AlignRight, .wordWrap = true, .padding = 10,
         .text = [](const MemTable &t, int row) -> QString {
             return u"Liste Fiyatı: "_s + t.displayText(row, 22) + u"\r\nNetFiyat: "_s + t.displayText(row, 28)
                    + u"\r\nKDV li Fiyat: "_s + t.displayText(row, 29);
         }},
    };
    // The other fields are declared hidden, as the stock grid declares them.
    for (const char16_t *f : {u"STOK_STOKNO", u"FINISHKOD", u"OEM1", u"OEM2", u"OEM3", u"OEM4", u"URETICIKODU",
                              u"DIGERADI", u"OEMNO", u"BIRIM", u"ANAGRUP", u"KDV", u"ALINANSIPARIS"})
        c.push_back({.field = QString::fromUtf16(f), .shown = false});
    return c;
}

void print(const char *what, double ms)
{
    std::printf("%-58s %9.1f ms\n", what, ms);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    const auto [rssStart, peakStart] = memoryMiB();

    QElapsedTimer timer;
    timer.start();
    const MemTable table = stockTable(kRows);
    std::printf("table %d rows x %d columns built in %.0f ms\n", table.rowCount(), table.fieldCount(),
                double(timer.elapsed()));
    const auto [rssTable, peakTable] = memoryMiB();

    GridView grid(stockColumns());
    grid.resize(1600, 900);
    grid.setRowHeight(60);
    grid.show();
    settle();

    print("attach 100,000 x 40 and show", medianMs([&] {
              grid.detach();
              settle();
              grid.setTable(&table);
              settle();
          }));
    print("sort by a number column (Liste Fiyatı)", medianMs([&] {
              grid.sortByColumn(QString());
              grid.sortByColumn(u"LISTEFIYAT1", Qt::AscendingOrder);
              settle();
          }));
    print("sort by a text column (Açıklama, collated)", medianMs([&] {
              grid.sortByColumn(QString());
              grid.sortByColumn(u"ADI", Qt::DescendingOrder);
              settle();
          }));
    print("sort by a text column of 100,000 distinct values (Barkod)", medianMs([&] {
              grid.sortByColumn(QString());
              grid.sortByColumn(u"BARKOD", Qt::AscendingOrder);
              settle();
          }));

    HeaderFilter brand;
    brand.values = {CellKey{std::string("FORD")}, CellKey{std::string("OPEL")}};
    print("header filter on values (2 brands), sorted", medianMs([&] {
              grid.clearHeaderFilters();
              grid.setHeaderFilter(u"MARKA", brand);
              settle();
          }));
    std::printf("  rows left: %d\n", grid.rowCount());
    HeaderFilter text;
    text.text = u"fren"_s;
    print("header filter on text (contains \"fren\")", medianMs([&] {
              grid.clearHeaderFilters();
              grid.setHeaderFilter(u"ADI", text);
              settle();
          }));
    std::printf("  rows left: %d\n", grid.rowCount());
    grid.clearHeaderFilters();
    print("header filter list of a 100,000-value column", medianMs([&] {
              const std::vector<FilterValue> values = grid.headerFilterValues(u"BARKOD");
              if (values.size() != size_t(kRows))
                  std::abort();
          }));

    const std::vector<int> &rows = grid.proxy()->tableRows();
    print("footer: 7 summaries over 100,000 rows", medianMs([&] {
              for (const char16_t *f : {u"DURUM", u"KALAN", u"LISTEFIYAT1", u"KAMPFIYAT", u"NETFIYAT", u"KDVDAHIL", u"TARIH"}) {
                  const int c = grid.columnIndex(QStringView(f));
                  volatile double sum = summarise(table, grid.model()->fieldOf(c), grid.columns()[size_t(c)].footer, rows).sum;
                  (void)sum;
              }
          }));
    grid.sortByColumn(QString());
    print("refresh in place (footer recomputed, repaint)", medianMs([&] {
              grid.refresh();
              settle();
          }));
    grid.sortByColumn(u"LISTEFIYAT1", Qt::AscendingOrder);
    print("refresh in place while sorted (sorted again)", medianMs([&] {
              grid.refresh();
              settle();
          }));
    print("best fit of the visible columns", medianMs([&] {
              grid.bestFit();
              settle();
          }));
    print("group by Marka (100,000 rows, 6 groups)", medianMs([&] {
              grid.setGroupColumn(QString());
              grid.setGroupColumn(u"MARKA");
              settle();
          }, 3));
    grid.setGroupColumn(QString());
    settle();

    const auto [rssGrid, peakGrid] = memoryMiB();
    std::printf("memory: start %.0f MiB, with table %.0f MiB (+%.0f), after grid work %.0f MiB, peak %.0f MiB\n",
                rssStart, rssTable, rssTable - rssStart, rssGrid, peakGrid);
    Q_UNUSED(peakStart);
    Q_UNUSED(peakTable);

    QTemporaryDir dir;
    const MemTable small = stockTable(kExportRows);
    GridView exported(stockColumns());
    exported.resize(1600, 900);
    exported.setTable(&small);
    const QString file = dir.filePath(u"stok.xlsx"_s);
    print("export 10,000 rows x 17 visible columns to .xlsx", medianMs([&] { exported.exportWorkbook(file); }, 3));
    std::printf("  file size: %.1f MiB\n", double(QFileInfo(file).size()) / (1024 * 1024));
    exported.setGroupColumn(u"MARKA");
    print("export 10,000 rows grouped by Marka", medianMs([&] { exported.exportWorkbook(file); }, 3));
    return 0;
}
