// Throughput of the table codec on a stock-list-sized result (10,000 rows x 40 columns):
// the server's encoder, the client's decoder into MemTable, and, for comparison, the same
// bytes through QJsonDocument. Prints figures; build Release for meaningful numbers.

#include "common/memtable.h"
#include "server/jsonwriter.h"
#include "server/tablecodec.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRows = 10000;
constexpr int kRepetitions = 15;

MemTable stockList()
{
    const std::vector<FieldDef> columns = {
        {u"STOKNO"_s, FieldType::Int32, {}},       {u"KOD"_s, FieldType::String, {}},
        {u"BARKOD"_s, FieldType::String, {}},      {u"ADI"_s, FieldType::String, {}},
        {u"MARKA"_s, FieldType::String, {}},       {u"MODEL"_s, FieldType::String, {}},
        {u"FINISHKOD"_s, FieldType::String, {}},   {u"OEMKOD"_s, FieldType::String, {}},
        {u"GRUP"_s, FieldType::String, {}},        {u"BIRIM"_s, FieldType::String, {}},
        {u"DURUM"_s, FieldType::Int32, {}},        {u"MIKTAR"_s, FieldType::Double, {}},
        {u"BAKIYE"_s, FieldType::Double, {}},      {u"LISTEFIYAT"_s, FieldType::Double, {}},
        {u"FIYAT"_s, FieldType::Double, {}},       {u"KDV"_s, FieldType::Double, {}},
        {u"INDIRIMORANI1"_s, FieldType::Double, {}}, {u"INDIRIMORANI2"_s, FieldType::Double, {}},
        {u"INDIRIMORANI3"_s, FieldType::Double, {}}, {u"INDIRIMORANI4"_s, FieldType::Double, {}},
        {u"INDIRIMYAZI"_s, FieldType::String, {}}, {u"NETFIYAT"_s, FieldType::Double, {}},
        {u"KDVLIFIYAT"_s, FieldType::Double, {}},  {u"KAMPANYAFIYAT"_s, FieldType::Currency, {}},
        {u"DOVIZ"_s, FieldType::String, {}},       {u"KUR"_s, FieldType::Double, {}},
        {u"TARIH"_s, FieldType::Date, {}},         {u"GUNCELLEME"_s, FieldType::DateTime, {}},
        {u"YENI"_s, FieldType::Boolean, {}},       {u"KAMPANYA"_s, FieldType::Boolean, {}},
        {u"ACIKLAMA"_s, FieldType::String, {}},    {u"RAF"_s, FieldType::String, {}},
        {u"DEPO"_s, FieldType::Int32, {}},         {u"KOLIADET"_s, FieldType::Int32, {}},
        {u"AGIRLIK"_s, FieldType::Double, {}},     {u"SIPARISADET"_s, FieldType::Double, {}},
        {u"YOLDAADET"_s, FieldType::Double, {}},   {u"ONCEKIFIYAT"_s, FieldType::Double, {}},
        {u"SATISADET"_s, FieldType::Int64, {}},    {u"PUAN"_s, FieldType::Bcd, {}},
    };
    const QStringList parts = {u"FREN BALATASI"_s, u"DEBRİYAJ SETİ"_s, u"AMORTİSÖR"_s, u"YAĞ FİLTRESİ"_s,
                               u"HAVA FİLTRESİ"_s, u"ROT BAŞI"_s, u"SALINCAK"_s, u"TRİGER SETİ"_s,
                               u"SU POMPASI"_s, u"BUJİ"_s, u"ŞANZIMAN KULAĞI"_s, u"KRİKO"_s};
    const QStringList sides = {u"ÖN"_s, u"ARKA"_s, u"SAĞ"_s, u"SOL"_s, u"ÖN SAĞ"_s, u"ARKA SOL"_s};
    const QStringList brands = {u"FORD"_s, u"RENAULT"_s, u"FİAT"_s, u"TOYOTA"_s, u"HYUNDAİ"_s, u"OPEL"_s};
    const QStringList models = {u"FOCUS III 1.6 TDCI 2011-2018 HB/SEDAN"_s, u"CLIO IV 1.5 DCI 2013-2019"_s,
                                u"DOBLO 1.3 MJET 2010-2015 CARGO"_s, u"COROLLA 1.4 D4D 2007-2013"_s,
                                u"ACCENT ERA 1.5 CRDI 2006-2012"_s, u"ASTRA J 1.6 16V 2010-2015"_s};
    const QStringList notes = {QString(), u"Kampanyalı ürün, stok sınırlıdır. Sipariş öncesi teyit ediniz."_s,
                               u"Orijinal kutusunda, faturalı. Montaj kılavuzu ile birlikte gönderilir."_s,
                               u"Muadil parça; 2 yıl garantili. İade süresi 14 gündür."_s,
                               u"Ağır parça: kargo ücreti alıcıya aittir, adet başı desi hesaplanır."_s};

    std::mt19937 rng(20240105);
    auto pick = [&](const QStringList &list) { return list[int(rng() % unsigned(list.size()))]; };
    auto money = [&](double lo, double hi) {
        return std::round(std::uniform_real_distribution<double>(lo, hi)(rng) * 100) / 100;
    };

    MemTable t;
    t.setFields(columns);
    t.reserveRows(kRows);
    for (int i = 0; i < kRows; ++i) {
        const int r = t.appendRow();
        int c = 0;
        const double list = money(5, 25000);
        const double d1 = double(rng() % 4) * 5, d2 = double(rng() % 3) * 2.5;
        const double net = list * (1 - d1 / 100) * (1 - d2 / 100); // as the query computes it
        const bool campaign = rng() % 10 == 0;
        t.setInt(r, c++, 100000 + i);
        t.setString(r, c++, u"%1-%2-%3"_s.arg(pick(brands).left(3)).arg(10000 + rng() % 90000).arg(QChar(u'A' + int(rng() % 6))));
        t.setString(r, c++, QString::number(8690000000000LL + qint64(rng() % 10000000)));
        t.setString(r, c++, QString(pick(parts) + u' ' + pick(sides) + u' ' + pick(brands) + u' ' + pick(models)));
        t.setString(r, c++, pick(brands));
        t.setString(r, c++, pick(models));
        t.setString(r, c++, u"F%1"_s.arg(rng() % 100000, 6, 10, QChar(u'0')));
        t.setString(r, c++, u"%1 %2 %3 / %4 %5 %6"_s.arg(rng() % 9000 + 1000).arg(rng() % 900 + 100).arg(rng() % 90 + 10)
                                .arg(rng() % 9000 + 1000).arg(rng() % 900 + 100).arg(rng() % 90 + 10));
        t.setString(r, c++, pick(parts).section(u' ', 0, 0));
        t.setString(r, c++, u"ADET"_s);
        t.setInt(r, c++, int(rng() % 6));
        t.setDouble(r, c++, double(rng() % 500));
        t.setDouble(r, c++, double(rng() % 200));
        t.setDouble(r, c++, list);
        t.setDouble(r, c++, net);
        t.setDouble(r, c++, 18);
        t.setDouble(r, c++, d1);
        t.setDouble(r, c++, d2);
        t.setDouble(r, c++, 0);
        t.setDouble(r, c++, 0);
        t.setString(r, c++, u"%1+%2"_s.arg(d1).arg(d2));
        t.setDouble(r, c++, net);
        t.setDouble(r, c++, net * 1.18); // computed on the server, not rounded
        if (campaign)
            t.setDouble(r, c++, std::round(net * 9000) / 10000); // currency: four decimals
        else
            t.setNull(r, c++);
        t.setString(r, c++, rng() % 5 == 0 ? u"EUR"_s : u"TL"_s);
        t.setDouble(r, c++, std::round(std::uniform_real_distribution<double>(1, 35)(rng) * 10000) / 10000);
        t.setDouble(r, c++, 44000 + double(rng() % 1500));
        t.setDouble(r, c++, 45000 + double(rng() % 300) + double(rng() % 86400) / 86400);
        t.setBool(r, c++, rng() % 20 == 0);
        t.setBool(r, c++, campaign);
        const QString note = pick(notes);
        if (note.isEmpty())
            t.setNull(r, c++);
        else
            t.setString(r, c++, note);
        t.setString(r, c++, u"R%1-%2"_s.arg(rng() % 40).arg(rng() % 12));
        t.setInt(r, c++, int(rng() % 4 + 1));
        t.setInt(r, c++, int(rng() % 50 + 1));
        t.setDouble(r, c++, money(0.05, 40));
        t.setDouble(r, c++, double(rng() % 30));
        t.setDouble(r, c++, double(rng() % 30));
        t.setDouble(r, c++, list * 0.93);
        t.setInt(r, c++, qint64(rng() % 1000000));
        t.setDouble(r, c++, money(0, 5));
    }
    return t;
}

// Best wall time of several runs, in milliseconds.
double bestOf(const std::function<void()> &run)
{
    double best = 1e300;
    for (int i = 0; i < kRepetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

double mbPerSecond(size_t bytes, double ms)
{
    return double(bytes) / 1e6 / (ms / 1e3);
}

// Touches every value the way a grid fill would, so the comparison walks as much as we do.
double walkQJson(const QJsonDocument &doc)
{
    double sum = 0;
    const QJsonObject root = doc.object();
    const QJsonArray columns = root.value(u"columns").toArray();
    for (const QJsonValue &c : columns)
        sum += double(c.toObject().value(u"name").toString().size());
    const QJsonArray rows = root.value(u"rows").toArray();
    for (const QJsonValue &row : rows) {
        const QJsonArray cells = row.toArray();
        for (const QJsonValue &v : cells) {
            switch (v.type()) {
            case QJsonValue::Double: sum += v.toDouble(); break;
            case QJsonValue::String: sum += double(v.toString().size()); break;
            case QJsonValue::Bool: sum += v.toBool() ? 1 : 0; break;
            default: break;
            }
        }
    }
    return sum;
}

} // namespace

int main()
{
    const MemTable source = stockList();

    std::string json;
    const double encodeMs = bestOf([&] {
        json.clear();
        JsonWriter writer(&json);
        encodeTable(writer, source);
    });
    const size_t bytes = json.size();

    MemTable decoded;
    const double decodeMs = bestOf([&] { decoded = decodeTable(json); });

    size_t readerCells = 0;
    const double readerMs = bestOf([&] {
        simdjson::ondemand::parser parser;
        const simdjson::padded_string padded(json);
        simdjson::ondemand::document doc = parser.iterate(padded);
        TableReader reader(doc.get_value());
        readerCells = 0;
        while (reader.next())
            readerCells += size_t(reader.columnCount());
    });

    const QByteArray qbytes(json.data(), qsizetype(json.size()));
    double qjsonSum = 0;
    const double qjsonMs = bestOf([&] {
        const QJsonDocument doc = QJsonDocument::fromJson(qbytes);
        qjsonSum = walkQJson(doc);
    });

    const bool same = decoded.rowCount() == source.rowCount() && encodeTable(decoded) == json;

    std::printf("table: %d rows x %d columns, %.2f MB of JSON (best of %d runs)\n", source.rowCount(),
                source.fieldCount(), double(bytes) / 1e6, kRepetitions);
    std::printf("encode (TableEncoder)            %8.2f ms  %8.1f MB/s\n", encodeMs, mbPerSecond(bytes, encodeMs));
    std::printf("decode into MemTable             %8.2f ms  %8.1f MB/s\n", decodeMs, mbPerSecond(bytes, decodeMs));
    std::printf("TableReader walk only            %8.2f ms  %8.1f MB/s  (%zu cells)\n", readerMs,
                mbPerSecond(bytes, readerMs), readerCells);
    std::printf("QJsonDocument parse + walk       %8.2f ms  %8.1f MB/s  (checksum %.0f)\n", qjsonMs,
                mbPerSecond(bytes, qjsonMs), qjsonSum);
    std::printf("decode vs QJsonDocument          %8.2fx\n", qjsonMs / decodeMs);
    std::printf("round trip identical             %s\n", same ? "yes" : "NO");
    return 0;
}
