#include "common/memtable.h"
#include "server/errors.h"
#include "server/jsonwriter.h"
#include "server/tablecodec.h"

#include <QtTest>

#include <limits>
#include <stdexcept>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

std::string_view view(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), size_t(bytes.size()));
}

// Every type, with a null in every column, extreme numbers, Turkish text, escapes and binary
// blobs, including empty ones.
MemTable sampleTable()
{
    MemTable t;
    t.setFields({
        {u"SIRANO"_s, FieldType::Int32, {}},
        {u"BOY"_s, FieldType::Int64, {}},
        {u"FIYAT"_s, FieldType::Double, {}},
        {u"TUTAR"_s, FieldType::Currency, {}},
        {u"ORAN"_s, FieldType::Bcd, {}},
        {u"STOKADI"_s, FieldType::String, {}},
        {u"TARIH"_s, FieldType::Date, {}},
        {u"SAAT"_s, FieldType::DateTime, {}},
        {u"VAR"_s, FieldType::Boolean, {}},
        {u"RESIM"_s, FieldType::Blob, {}},
    });
    struct Row
    {
        qint64 i32, i64;
        double f, c, b;
        QString s;
        double d, dt;
        bool flag;
        QByteArray blob;
    };
    const Row rows[] = {
        {std::numeric_limits<qint32>::min(), std::numeric_limits<qint64>::min(), 0.1, 1234567.89, 18,
         u"FREN BALATASI ÖN – Şişli Çağlayan İĞNE ığüşöç"_s, 45296, 45296.5, true, QByteArray("\x00\x01\xfe\xff", 4)},
        {std::numeric_limits<qint32>::max(), std::numeric_limits<qint64>::max(), -1e-300, 1e300, -0.5,
         u"tırnak \" ters \\ bölü / satır\nsekme\t kontrol \x01 \U0001F697"_s, -1, -1.25, false, QByteArray()},
        {0, 9007199254740993LL, 5e-324, 0, 99.99, QString(), 0, 0.999988425925926, true, QByteArray(1000, 'x')},
    };
    for (const Row &r : rows) {
        const int row = t.appendRow();
        t.setInt(row, 0, r.i32);
        t.setInt(row, 1, r.i64);
        t.setDouble(row, 2, r.f);
        t.setDouble(row, 3, r.c);
        t.setDouble(row, 4, r.b);
        t.setString(row, 5, r.s);
        t.setDouble(row, 6, r.d);
        t.setDouble(row, 7, r.dt);
        t.setBool(row, 8, r.flag);
        t.setBytes(row, 9, r.blob);
    }
    // Nulls on different rows per column, so a shifted value would show.
    for (int c = 0; c < t.fieldCount(); ++c)
        t.setNull(t.appendRow(), c);
    t.setNull(0, 5);
    t.setNull(2, 9);
    return t;
}

void compareTables(const MemTable &actual, const MemTable &expected)
{
    QCOMPARE(actual.fieldCount(), expected.fieldCount());
    QCOMPARE(actual.rowCount(), expected.rowCount());
    for (int c = 0; c < expected.fieldCount(); ++c) {
        QCOMPARE(actual.field(c).name, expected.field(c).name);
        QCOMPARE(actual.field(c).type, expected.field(c).type);
        for (int r = 0; r < expected.rowCount(); ++r) {
            const QByteArray where = QStringLiteral("row %1 column %2").arg(r).arg(c).toUtf8();
            QVERIFY2(actual.isNull(r, c) == expected.isNull(r, c), where.constData());
            QVERIFY2(actual.value(r, c) == expected.value(r, c), where.constData());
            // Doubles bit for bit: the shortest text must read back to the same number.
            QVERIFY2(actual.asDouble(r, c) == expected.asDouble(r, c), where.constData());
        }
    }
}

} // namespace

class TstTableCodec : public QObject
{
    Q_OBJECT

private slots:
    void wireForm();
    void roundTripEveryType();
    void readerWalksRowsInPlace();
    void copyReplacesPreviousContent();
    void malformed_data();
    void malformed();
    void failedCopyLeavesTableClosed();
    void truncationsAreRejected();
    void encoderRefusesMisuse();
    void encoderConvertsQueryValues();
};

void TstTableCodec::wireForm()
{
    MemTable t;
    t.setFields({{u"ADI"_s, FieldType::String, {}}, {u"ADET"_s, FieldType::Int32, {}},
                 {u"FIYAT"_s, FieldType::Double, {}}, {u"TARIH"_s, FieldType::Date, {}},
                 {u"VAR"_s, FieldType::Boolean, {}}, {u"RESIM"_s, FieldType::Blob, {}}});
    int r = t.appendRow();
    t.setString(r, 0, u"Çay \"1\""_s);
    t.setInt(r, 1, 3);
    t.setDouble(r, 2, 12.5);
    t.setDouble(r, 3, 45296);
    t.setBool(r, 4, true);
    t.setBytes(r, 5, QByteArray("AB"));
    r = t.appendRow();
    for (int c = 0; c < t.fieldCount(); ++c)
        t.setNull(r, c);

    const std::string json = encodeTable(t);
    QCOMPARE(QString::fromStdString(json),
             uR"({"columns":[{"name":"ADI","type":"string"},{"name":"ADET","type":"int32"},)"
             uR"({"name":"FIYAT","type":"double"},{"name":"TARIH","type":"date"},)"
             uR"({"name":"VAR","type":"boolean"},{"name":"RESIM","type":"blob"}],)"
             uR"("rows":[["Çay \"1\"",3,12.5,45296,true,"QUI="],[null,null,null,null,null,null]]})"_s);
}

void TstTableCodec::roundTripEveryType()
{
    const MemTable original = sampleTable();
    const std::string json = encodeTable(original);
    const MemTable decoded = decodeTable(json);
    compareTables(decoded, original);
    QCOMPARE(decoded.asInt(2, 1), 9007199254740993LL); // not through a double
    QCOMPARE(decoded.asString(1, 5), original.asString(1, 5));
    // Encoding is a function of the content: the decoded table writes the same bytes.
    QCOMPARE(encodeTable(decoded), json);
}

void TstTableCodec::readerWalksRowsInPlace()
{
    // A table as one element of a larger reply; the reader must leave the document right
    // after the table so the caller can read on.
    const simdjson::padded_string json(std::string_view(
        R"({"result":[null,{"columns":[{"name":"KOD","type":"string"},{"name":"ADET","type":"int32"},)"
        R"({"name":"TUTAR","type":"currency"}],"extra":1,"rows":[["A1",2,3.5],["B2",null,-1]],"more":[1,2]},7]})"));
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document doc = parser.iterate(json);
    simdjson::ondemand::array result = doc["result"].get_array();
    auto it = result.begin();
    QVERIFY(bool((*it).is_null()));
    ++it;

    TableReader reader((*it).value());
    QCOMPARE(reader.columnCount(), 3);
    QCOMPARE(reader.columnName(2), u"TUTAR"_s);
    QCOMPARE(reader.columnType(2), FieldType::Currency);
    QCOMPARE(reader.indexOf(u"adet"), 1);
    QCOMPARE(reader.indexOf(u"YOK"), -1);

    QVERIFY(reader.next());
    QCOMPARE(reader.asString(0), u"A1"_s);
    QCOMPARE(reader.asInt(1), 2);
    QCOMPARE(reader.asDouble(2), 3.5);
    QVERIFY(reader.next());
    QCOMPARE(reader.asString(0), u"B2"_s);
    QVERIFY(reader.isNull(1));
    QCOMPARE(reader.value(1), QVariant());
    QCOMPARE(reader.asDouble(2), -1.0);
    QCOMPARE(reader.rowsRead(), 2);
    QVERIFY(!reader.next());
    QVERIFY(!reader.next());

    ++it;
    QCOMPARE(int64_t((*it).get_int64()), 7);
}

void TstTableCodec::copyReplacesPreviousContent()
{
    MemTable table = sampleTable();
    FloatAlanBicimle(table);

    const simdjson::padded_string json(std::string_view(
        R"({"columns":[{"name":"B","type":"boolean"},{"name":"A","type":"string"}],"rows":[[true,"x"],[false,"y"],[null,"z"]]})"));
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document doc = parser.iterate(json);
    TableReader reader(doc.get_value());
    copyReaderToTable(reader, table);

    QVERIFY(table.isActive());
    QCOMPARE(table.fieldCount(), 2);
    QCOMPARE(table.field(0).name, u"B"_s);
    QCOMPARE(table.field(0).type, FieldType::Boolean);
    QVERIFY(table.field(0).displayFormat.isEmpty());
    QCOMPARE(table.rowCount(), 3);
    QCOMPARE(table.asString(2, 1), u"z"_s);
    QVERIFY(table.isNull(2, 0));
    QVERIFY(table.asBool(0, 0));
}

void TstTableCodec::malformed_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");

    const QByteArray cols = R"({"columns":[{"name":"N","type":"int32"},{"name":"S","type":"string"}],"rows":)";
    auto rows = [&](const char *r) { return QByteArray(cols + r + '}'); };

    QTest::newRow("not JSON") << QByteArray("tablo") << u""_s;
    QTest::newRow("empty") << QByteArray() << u""_s;
    QTest::newRow("array, not object") << QByteArray("[]") << u"not a JSON object"_s;
    QTest::newRow("no columns") << QByteArray("{}") << u"no \"columns\""_s;
    QTest::newRow("no rows") << QByteArray(R"({"columns":[]})") << u"no \"rows\""_s;
    QTest::newRow("rows first") << QByteArray(R"({"rows":[],"columns":[]})") << u"before"_s;
    QTest::newRow("rows not array") << QByteArray(R"({"columns":[],"rows":{}})") << u"not an array"_s;
    QTest::newRow("columns twice") << QByteArray(R"({"columns":[],"columns":[],"rows":[]})") << u"twice"_s;
    QTest::newRow("rows twice") << QByteArray(R"({"columns":[],"rows":[],"rows":[]})") << u"twice"_s;
    QTest::newRow("unknown type") << QByteArray(R"({"columns":[{"name":"A","type":"float"}],"rows":[]})")
                                  << u"unknown type \"float\""_s;
    QTest::newRow("column without name") << QByteArray(R"({"columns":[{"type":"int32"}],"rows":[]})") << u"\"name\""_s;
    QTest::newRow("type not a string") << QByteArray(R"({"columns":[{"name":"A","type":3}],"rows":[]})") << u"\"type\""_s;
    QTest::newRow("column not object") << QByteArray(R"({"columns":["A"],"rows":[]})") << u"column 1"_s;
    QTest::newRow("short row") << rows("[[1]]") << u"row 1 has 1 values for 2 columns"_s;
    QTest::newRow("long row") << rows(R"([[1,"a"],[2,"b",3]])") << u"row 2 has more than 2"_s;
    QTest::newRow("row not array") << rows("[1]") << u"row 1 is not an array"_s;
    QTest::newRow("string in int32") << rows(R"([["1","a"]])") << u"expected an integer, got a string"_s;
    QTest::newRow("fraction in int32") << rows(R"([[1.5,"a"]])") << u"row 1, column \"N\" (int32): expected an integer, got 1.5"_s;
    QTest::newRow("int32 too big") << rows(R"([[2147483648,"a"]])") << u"out of range"_s;
    QTest::newRow("int32 too small") << rows(R"([[-2147483649,"a"]])") << u"out of range"_s;
    QTest::newRow("number in string") << rows("[[1,2]]") << u"expected a string, got 2"_s;
    QTest::newRow("bool in string") << rows("[[1,true]]") << u"got true"_s;
    QTest::newRow("nul is not null") << rows(R"([[nul,"a"]])") << u""_s;
    QTest::newRow("missing comma") << rows(R"([[1 "a"]])") << u""_s;
    QTest::newRow("trailing comma") << rows(R"([[1,"a",]])") << u""_s;
    QTest::newRow("missing closing brace") << QByteArray(cols + R"([[1,"a"]])") << u""_s;
    QTest::newRow("trailing content") << QByteArray(rows(R"([[1,"a"]])") + "{}") << u""_s;
    QTest::newRow("invalid UTF-8") << rows("[[1,\"\xc3\x28\"]]") << u""_s;
    QTest::newRow("int64 too big")
        << QByteArray(R"({"columns":[{"name":"A","type":"int64"}],"rows":[[9223372036854775808]]})")
        << u"\"A\" (int64): expected an integer, got 9223372036854775808"_s;
    QTest::newRow("double overflows")
        << QByteArray(R"({"columns":[{"name":"A","type":"double"}],"rows":[[1e400]]})") << u"\"A\" (double)"_s;
    QTest::newRow("string in double")
        << QByteArray(R"({"columns":[{"name":"A","type":"double"}],"rows":[["1"]]})") << u"got a string"_s;
    QTest::newRow("number in boolean")
        << QByteArray(R"({"columns":[{"name":"A","type":"boolean"}],"rows":[[1]]})") << u"expected true or false"_s;
    QTest::newRow("boolean in date")
        << QByteArray(R"({"columns":[{"name":"A","type":"date"}],"rows":[[true]]})") << u"expected a number"_s;
    QTest::newRow("number in blob")
        << QByteArray(R"({"columns":[{"name":"A","type":"blob"}],"rows":[[12]]})") << u"base64"_s;
    QTest::newRow("blob with space")
        << QByteArray(R"({"columns":[{"name":"A","type":"blob"}],"rows":[["QU JD"]]})") << u"invalid base64"_s;
    QTest::newRow("blob unpadded")
        << QByteArray(R"({"columns":[{"name":"A","type":"blob"}],"rows":[["QUI"]]})") << u"invalid base64"_s;
    QTest::newRow("blob padding inside")
        << QByteArray(R"({"columns":[{"name":"A","type":"blob"}],"rows":[["QU=I"]]})") << u"invalid base64"_s;
    QTest::newRow("blob bad character")
        << QByteArray(R"({"columns":[{"name":"A","type":"blob"}],"rows":[["QUJ*"]]})") << u"invalid base64"_s;
}

void TstTableCodec::malformed()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    try {
        const MemTable t = decodeTable(view(json));
        QFAIL(qPrintable(u"accepted, %1 rows"_s.arg(t.rowCount())));
    } catch (const ProtocolError &e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        QVERIFY(e.message().startsWith(u"Invalid table: "_s));
    }
}

void TstTableCodec::failedCopyLeavesTableClosed()
{
    MemTable table = sampleTable();
    const simdjson::padded_string json(std::string_view(
        R"({"columns":[{"name":"N","type":"int32"}],"rows":[[1],[2],["3"]]})"));
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document doc = parser.iterate(json);
    TableReader reader(doc.get_value());
    QVERIFY_THROWS_EXCEPTION(ProtocolError, copyReaderToTable(reader, table));
    // Two good rows of a broken table must not pass for the whole result.
    QVERIFY(!table.isActive());
    QCOMPARE(table.rowCount(), 0);
}

void TstTableCodec::truncationsAreRejected()
{
    const std::string json = encodeTable(sampleTable());
    // Every cut of a valid table, and a few damaged bytes, must end in ProtocolError or a
    // decoded table; never a crash.
    for (size_t n = 0; n < json.size(); ++n) {
        bool rejected = false;
        try {
            decodeTable(std::string_view(json.data(), n));
        } catch (const ProtocolError &) {
            rejected = true;
        }
        QVERIFY2(rejected, qPrintable(u"prefix of %1 bytes accepted"_s.arg(n)));
    }
    for (size_t n = 0; n < json.size(); n += 3) {
        for (char c : {'"', ']', '}', ',', '\\', '0'}) {
            std::string damaged = json;
            damaged[n] = c;
            try {
                decodeTable(damaged);
            } catch (const ProtocolError &) {
            }
        }
    }
}

void TstTableCodec::encoderRefusesMisuse()
{
    const std::vector<FieldDef> columns = {{u"N"_s, FieldType::Int32, {}}, {u"S"_s, FieldType::String, {}}};
    auto attempt = [&](auto &&write) {
        JsonWriter writer;
        TableEncoder encoder(writer, columns);
        encoder.beginRow();
        write(encoder);
    };
    QVERIFY_THROWS_EXCEPTION(std::logic_error, attempt([](TableEncoder &e) { e.addString(u"x"); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, attempt([](TableEncoder &e) { e.addInt(2147483648LL); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, attempt([](TableEncoder &e) { e.addInt(1); e.endRow(); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             attempt([](TableEncoder &e) { e.addInt(1); e.addNull(); e.addNull(); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, attempt([](TableEncoder &e) { e.addInt(1); e.addBool(true); }));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, attempt([](TableEncoder &e) { e.finish(); }));
}

void TstTableCodec::encoderConvertsQueryValues()
{
    const std::vector<FieldDef> columns = {
        {u"N"_s, FieldType::Int32, {}}, {u"T"_s, FieldType::Date, {}},
        {u"Z"_s, FieldType::DateTime, {}}, {u"F"_s, FieldType::Double, {}},
        {u"B"_s, FieldType::Boolean, {}}, {u"S"_s, FieldType::String, {}}};
    std::string out;
    JsonWriter writer(&out);
    TableEncoder encoder(writer, columns);
    encoder.beginRow();
    encoder.addValue(QVariant(qlonglong(42)));
    encoder.addValue(QVariant(u"2024-01-05"_s)); // SQLite hands dates out as text
    encoder.addValue(QVariant(u"2024-01-05T18:00:00"_s));
    encoder.addValue(QVariant(u"12.5"_s));
    encoder.addValue(QVariant(1));
    encoder.addValue(QVariant());
    encoder.endRow();
    encoder.beginRow();
    // A value that does not convert is refused and takes no column.
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, encoder.addValue(QVariant(u"on iki"_s)));
    encoder.addValue(QVariant());
    encoder.addValue(QVariant(QDate()));
    encoder.addValue(QVariant(QDateTime(QDate(1899, 12, 30), QTime(6, 0))));
    encoder.addValue(QVariant(2.5f));
    encoder.addValue(QVariant(false));
    encoder.addValue(QVariant(u"ş"_s));
    encoder.endRow();
    encoder.finish();
    QVERIFY(out.ends_with(R"("rows":[[42,45296,45296.75,12.5,true,null],[null,null,0.25,2.5,false,"ş"]]})"));
}

QTEST_GUILESS_MAIN(TstTableCodec)
#include "tst_tablecodec.moc"
