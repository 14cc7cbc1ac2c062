#include "common/formats.h"
#include "common/memtable.h"

#include <QtTest>

#include <stdexcept>

using namespace vexor;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(vexor::FieldType)

namespace {

// One column of every type; row 0 holds values, row 1 nulls, row 2 other values.
MemTable everyTypeTable()
{
    MemTable t;
    t.setFields({
        {u"I32"_s, FieldType::Int32, {}},
        {u"I64"_s, FieldType::Int64, {}},
        {u"DBL"_s, FieldType::Double, {}},
        {u"CUR"_s, FieldType::Currency, {}},
        {u"BCD"_s, FieldType::Bcd, {}},
        {u"STR"_s, FieldType::String, {}},
        {u"DAT"_s, FieldType::Date, {}},
        {u"DTM"_s, FieldType::DateTime, {}},
        {u"BOO"_s, FieldType::Boolean, {}},
        {u"BLB"_s, FieldType::Blob, {}},
    });
    int r = t.appendRow();
    t.setInt(r, 0, -2147483648LL);
    t.setInt(r, 1, 9007199254740993LL); // not representable as a double
    t.setDouble(r, 2, 1234567.5);
    t.setDouble(r, 3, 12.5);
    t.setDouble(r, 4, 0.1);
    t.setString(r, 5, u"Şişli Çağlayan İğne ı");
    t.setDouble(r, 6, 45296); // 2024-01-05
    t.setDouble(r, 7, 45296.75);
    t.setBool(r, 8, true);
    t.setBytes(r, 9, QByteArray("\x00\xff\x01", 3));
    r = t.appendRow();
    for (int c = 0; c < t.fieldCount(); ++c)
        t.setNull(r, c);
    r = t.appendRow();
    t.setInt(r, 0, 7);
    t.setInt(r, 1, -1);
    t.setDouble(r, 2, -0.25);
    t.setDouble(r, 3, 0);
    t.setDouble(r, 4, 99.99);
    t.setString(r, 5, u"");
    t.setDouble(r, 6, 0);
    t.setDouble(r, 7, -1.25);
    t.setBool(r, 8, false);
    t.setBytes(r, 9, QByteArray());
    return t;
}

// A one-column table whose rows hold `values` (null for an invalid QVariant).
MemTable oneColumn(const QString &name, FieldType type, const QVariantList &values)
{
    MemTable t;
    t.setFields({{name, type, {}}});
    for (const QVariant &v : values)
        t.setValue(t.appendRow(), 0, v);
    return t;
}

} // namespace

class TstMemTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typeNames_data();
    void typeNames();
    void cellsOfEveryType_data();
    void cellsOfEveryType();
    void structureAndLookup();
    void nullBitmapAcrossWords();
    void textEditsKeepNeighbours();
    void conversionsThatDoNotFit();
    void dayNumbers_data();
    void dayNumbers();
    void displayText_data();
    void displayText();
    void floatColumnsGetAmountFormat();
    void currencyOnlyTableKeepsDefault();
    void tableChecks_data();
    void tableChecks();
    void moveAndSwap();
    void appenderTakesBackUnfinishedRow();
};

void TstMemTable::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

void TstMemTable::typeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type"); // -1: not a type name

    QTest::newRow("int32") << u"int32"_s << int(FieldType::Int32);
    QTest::newRow("int64") << u"int64"_s << int(FieldType::Int64);
    QTest::newRow("double") << u"double"_s << int(FieldType::Double);
    QTest::newRow("currency") << u"currency"_s << int(FieldType::Currency);
    QTest::newRow("bcd") << u"bcd"_s << int(FieldType::Bcd);
    QTest::newRow("string") << u"string"_s << int(FieldType::String);
    QTest::newRow("date") << u"date"_s << int(FieldType::Date);
    QTest::newRow("datetime") << u"datetime"_s << int(FieldType::DateTime);
    QTest::newRow("boolean") << u"boolean"_s << int(FieldType::Boolean);
    QTest::newRow("blob") << u"blob"_s << int(FieldType::Blob);
    QTest::newRow("wrong case") << u"Int32"_s << -1;
    QTest::newRow("float") << u"float"_s << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TstMemTable::typeNames()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    const QByteArray utf8 = name.toUtf8();
    const auto parsed = fieldTypeFromName(std::string_view(utf8.constData(), size_t(utf8.size())));
    if (type < 0) {
        QVERIFY(!parsed);
        return;
    }
    QVERIFY(parsed);
    QCOMPARE(int(*parsed), type);
    QCOMPARE(QByteArray(fieldTypeName(*parsed).data(), qsizetype(fieldTypeName(*parsed).size())), utf8);
}

void TstMemTable::cellsOfEveryType_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QVariant>("first");
    QTest::addColumn<QVariant>("third");
    QTest::addColumn<QString>("firstText");

    QTest::newRow("int32") << 0 << QVariant(int(-2147483647 - 1)) << QVariant(7) << u"-2147483648"_s;
    QTest::newRow("int64") << 1 << QVariant(qlonglong(9007199254740993LL)) << QVariant(qlonglong(-1))
                           << u"9007199254740993"_s;
    QTest::newRow("double") << 2 << QVariant(1234567.5) << QVariant(-0.25) << u"1234567.5"_s;
    QTest::newRow("currency") << 3 << QVariant(12.5) << QVariant(0.0) << u"12.5"_s;
    QTest::newRow("bcd") << 4 << QVariant(0.1) << QVariant(99.99) << u"0.1"_s;
    QTest::newRow("string") << 5 << QVariant(u"Şişli Çağlayan İğne ı"_s) << QVariant(QString())
                            << u"Şişli Çağlayan İğne ı"_s;
    QTest::newRow("date") << 6 << QVariant(QDate(2024, 1, 5)) << QVariant(QDate(1899, 12, 30))
                          << u"2024-01-05"_s;
    QTest::newRow("datetime") << 7 << QVariant(QDateTime(QDate(2024, 1, 5), QTime(18, 0)))
                              << QVariant(QDateTime(QDate(1899, 12, 29), QTime(6, 0))) << u"2024-01-05T18:00:00.000"_s;
    QTest::newRow("boolean") << 8 << QVariant(true) << QVariant(false) << u"True"_s;
    QTest::newRow("blob") << 9 << QVariant(QByteArray("\x00\xff\x01", 3)) << QVariant(QByteArray())
                          << u"AP8B"_s;
}

void TstMemTable::cellsOfEveryType()
{
    QFETCH(int, column);
    QFETCH(QVariant, first);
    QFETCH(QVariant, third);
    QFETCH(QString, firstText);

    const MemTable t = everyTypeTable();
    QCOMPARE(t.rowCount(), 3);
    QVERIFY(!t.isNull(0, column));
    QVERIFY(t.isNull(1, column));
    QVERIFY(!t.isNull(2, column));
    QCOMPARE(t.value(0, column), first);
    QCOMPARE(t.value(0, column).metaType(), first.metaType());
    QCOMPARE(t.value(2, column), third);
    QCOMPARE(t.asString(0, column), firstText);

    // A null cell reads as nothing in every typed read.
    QVERIFY(!t.value(1, column).isValid());
    QCOMPARE(t.asDouble(1, column), 0.0);
    QCOMPARE(t.asInt(1, column), 0);
    QCOMPARE(t.asBool(1, column), false);
    QVERIFY(t.asString(1, column).isEmpty());
    QVERIFY(t.asBytes(1, column).isEmpty());
    QVERIFY(t.displayText(1, column).isEmpty());
}

void TstMemTable::structureAndLookup()
{
    MemTable t;
    QVERIFY(!t.isActive());
    t.setFields({{u"Türü"_s, FieldType::String, {}}, {u"TUTAR"_s, FieldType::Double, {}},
                 {u"tutar"_s, FieldType::Int32, {}}});
    QVERIFY(t.isActive());
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.fieldCount(), 3);
    QCOMPARE(t.fieldIndex(u"tutar"), 2);      // exact match wins
    QCOMPARE(t.fieldIndex(u"Tutar"), 1);      // then the first that differs only in case
    QCOMPARE(t.fieldIndex(u"TÜRÜ"), 0);
    QCOMPARE(t.fieldIndex(u"YOK"), -1);
    QCOMPARE(t.field(1).type, FieldType::Double);

    t.appendRow();
    t.setFields({{u"A"_s, FieldType::Int32, {}}});
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.fieldCount(), 1);

    t.appendRow();
    t.close();
    QVERIFY(!t.isActive());
    QCOMPARE(t.rowCount(), 0);
    QCOMPARE(t.fieldCount(), 0);
}

void TstMemTable::nullBitmapAcrossWords()
{
    MemTable t;
    t.setFields({{u"N"_s, FieldType::Int32, {}}, {u"S"_s, FieldType::String, {}}});
    for (int i = 0; i < 10; ++i)
        t.setInt(t.appendRow(), 0, i);
    // The first null comes late, then rows keep coming across 64-row words.
    t.setNull(3, 0);
    for (int i = 10; i < 200; ++i)
        t.setInt(t.appendRow(), 0, i);
    t.setNull(64, 0);
    t.setNull(199, 0);
    t.setNull(128, 0);
    t.setInt(128, 0, 5); // a value clears the null again

    for (int r = 0; r < t.rowCount(); ++r) {
        const bool expectNull = r == 3 || r == 64 || r == 199;
        QVERIFY2(t.isNull(r, 0) == expectNull, qPrintable(u"row %1"_s.arg(r)));
        QVERIFY(!t.isNull(r, 1)); // the other column has no nulls at all
        if (!expectNull)
            QCOMPARE(t.asInt(r, 0), r == 128 ? 5 : r);
    }
}

void TstMemTable::textEditsKeepNeighbours()
{
    MemTable t;
    t.setFields({{u"ADI"_s, FieldType::String, {}}});
    const QStringList initial = {u"ağaç"_s, u"bir"_s, u"çiçek"_s, u"dört"_s};
    for (const QString &s : initial)
        t.setString(t.appendRow(), 0, s);

    QStringList expected = initial;
    t.setString(1, 0, u"uzun bir İstanbul metni"_s); // grows in the middle
    expected[1] = u"uzun bir İstanbul metni"_s;
    t.setString(0, 0, u"x"_s);                       // shrinks at the start
    expected[0] = u"x"_s;
    t.setNull(2, 0);
    expected[2] = QString();
    t.setString(3, 0, u"son"_s);                      // the last row
    expected[3] = u"son"_s;

    for (int r = 0; r < t.rowCount(); ++r)
        QCOMPARE(t.asString(r, 0), expected[r]);
    QVERIFY(t.isNull(2, 0));
}

void TstMemTable::conversionsThatDoNotFit()
{
    MemTable t;
    t.setFields({{u"I"_s, FieldType::Int32, {}}, {u"D"_s, FieldType::Double, {}}});
    const int r = t.appendRow();
    t.setInt(r, 0, 42);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, t.setInt(r, 0, 2147483648LL));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, t.setValue(r, 0, QVariant(u"abc"_s)));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, t.setValue(r, 1, QVariant(u"12,5x"_s)));
    QCOMPARE(t.asInt(r, 0), 42); // a failed set leaves the cell as it was
    t.setValue(r, 0, QVariant(u"17"_s));
    QCOMPARE(t.asInt(r, 0), 17);
    t.setValue(r, 0, QVariant(2.6)); // a double rounds into an integer column
    QCOMPARE(t.asInt(r, 0), 3);
}

void TstMemTable::dayNumbers_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDateTime>("dateTime");

    QTest::newRow("day zero") << 0.0 << QDate(1899, 12, 30) << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("noon") << 45296.5 << QDate(2024, 1, 5) << QDateTime(QDate(2024, 1, 5), QTime(12, 0));
    QTest::newRow("before 1899: fraction is the time")
        << -1.25 << QDate(1899, 12, 29) << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
    QTest::newRow("rounds up to midnight")
        << 45296.999999999 << QDate(2024, 1, 5) << QDateTime(QDate(2024, 1, 6), QTime(0, 0));
    QTest::newRow("milliseconds") << 45296.0 + 1500.0 / 86400000.0 << QDate(2024, 1, 5)
                                  << QDateTime(QDate(2024, 1, 5), QTime(0, 0, 1, 500));
}

void TstMemTable::dayNumbers()
{
    QFETCH(double, days);
    QFETCH(QDate, date);
    QFETCH(QDateTime, dateTime);
    QCOMPARE(dayNumberToDate(days), date);
    QCOMPARE(dayNumberToDateTime(days), dateTime);
    QVERIFY(std::abs(dateTimeToDayNumber(dateTime) - days) < 1e-8);
    QVERIFY(!dayNumberToDate(std::nan("")).isValid());
    QVERIFY(!dayNumberToDateTime(1e300).isValid());
}

void TstMemTable::displayText_data()
{
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("double with amount format") << FieldType::Double << kTutarBicimi << QVariant(1234567.5)
                                               << u"1.234.567,50"_s;
    QTest::newRow("negative amount") << FieldType::Double << kTutarBicimi << QVariant(-0.5) << u"-0,50"_s;
    QTest::newRow("double default") << FieldType::Double << QString() << QVariant(1234567.5) << u"1234567,5"_s;
    QTest::newRow("currency default") << FieldType::Currency << QString() << QVariant(12.5) << u"12,5"_s;
    QTest::newRow("integer without grouping") << FieldType::Int32 << QString() << QVariant(1234567) << u"1234567"_s;
    QTest::newRow("integer with format") << FieldType::Int64 << kTutarBicimi << QVariant(1234) << u"1.234,00"_s;
    QTest::newRow("date") << FieldType::Date << QString() << QVariant(QDate(2024, 1, 5)) << u"5.01.2024"_s;
    QTest::newRow("date ignores a number format") << FieldType::Date << kTutarBicimi
                                                  << QVariant(QDate(2024, 1, 5)) << u"5.01.2024"_s;
    QTest::newRow("datetime") << FieldType::DateTime << QString()
                              << QVariant(QDateTime(QDate(2024, 1, 5), QTime(14, 5))) << u"5.01.2024 14:05"_s;
    QTest::newRow("datetime at midnight") << FieldType::DateTime << QString()
                                          << QVariant(QDateTime(QDate(2024, 1, 5), QTime(0, 0))) << u"5.01.2024"_s;
    QTest::newRow("string") << FieldType::String << QString() << QVariant(u"Işık"_s) << u"Işık"_s;
    QTest::newRow("null with format") << FieldType::Double << kTutarBicimi << QVariant() << QString();
}

void TstMemTable::displayText()
{
    QFETCH(FieldType, type);
    QFETCH(QString, format);
    QFETCH(QVariant, value);
    QFETCH(QString, text);

    MemTable t = oneColumn(u"C"_s, type, {value});
    t.setDisplayFormat(0, format);
    QCOMPARE(t.displayText(0, 0), text);
}

void TstMemTable::floatColumnsGetAmountFormat()
{
    MemTable t = everyTypeTable();
    FloatAlanBicimle(t);
    for (int c = 0; c < t.fieldCount(); ++c) {
        const bool isDouble = t.field(c).type == FieldType::Double;
        QCOMPARE(t.field(c).displayFormat, isDouble ? kTutarBicimi : QString());
    }
    QCOMPARE(t.displayText(0, t.fieldIndex(u"DBL")), u"1.234.567,50"_s);
    QCOMPARE(t.displayText(0, t.fieldIndex(u"BCD")), u"0,1"_s);
}

void TstMemTable::currencyOnlyTableKeepsDefault()
{
    MemTable t = oneColumn(u"TUTAR"_s, FieldType::Currency, {QVariant(1234.5)});
    FloatAlanBicimle(t);
    QVERIFY(t.field(0).displayFormat.isEmpty());
    QCOMPARE(t.displayText(0, 0), u"1234,5"_s);
}

void TstMemTable::tableChecks_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("column");
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("dolu");
    QTest::addColumn<bool>("secili");

    const QVariant null;
    QTest::newRow("closed") << false << u"SEC"_s << FieldType::Int32 << QVariantList() << false << false;
    QTest::newRow("open, no rows") << true << u"SEC"_s << FieldType::Int32 << QVariantList() << false << false;
    QTest::newRow("no SEC column") << true << u"SIRANO"_s << FieldType::Int32 << QVariantList{1, 1} << true << false;
    QTest::newRow("nothing marked") << true << u"SEC"_s << FieldType::Int32 << QVariantList{0, 0, 0} << true << false;
    QTest::newRow("last row marked") << true << u"SEC"_s << FieldType::Int32 << QVariantList{0, 0, 1} << true << true;
    QTest::newRow("2 is not 1") << true << u"SEC"_s << FieldType::Int32 << QVariantList{2, -1} << true << false;
    QTest::newRow("nulls and a mark") << true << u"SEC"_s << FieldType::Int32 << QVariantList{null, 1} << true << true;
    QTest::newRow("only nulls") << true << u"SEC"_s << FieldType::Int32 << QVariantList{null, null} << true << false;
    QTest::newRow("double 1.0") << true << u"SEC"_s << FieldType::Double << QVariantList{0.0, 1.0} << true << true;
    QTest::newRow("double 0.9 is not 1") << true << u"SEC"_s << FieldType::Double << QVariantList{0.9} << true << false;
    QTest::newRow("name in other case") << true << u"sec"_s << FieldType::Int32 << QVariantList{1} << true << true;
}

void TstMemTable::tableChecks()
{
    QFETCH(bool, open);
    QFETCH(QString, column);
    QFETCH(FieldType, type);
    QFETCH(QVariantList, values);
    QFETCH(bool, dolu);
    QFETCH(bool, secili);

    MemTable t;
    if (open)
        t = oneColumn(column, type, values);
    QCOMPARE(TabloDoluMu(t), dolu);
    QCOMPARE(SeciliVarMi(t), secili);
}

void TstMemTable::moveAndSwap()
{
    MemTable a = everyTypeTable();
    MemTable b = oneColumn(u"X"_s, FieldType::Int32, {1, 2});

    swap(a, b);
    QCOMPARE(a.fieldCount(), 1);
    QCOMPARE(a.rowCount(), 2);
    QCOMPARE(b.rowCount(), 3);
    QCOMPARE(b.asString(0, 5), u"Şişli Çağlayan İğne ı"_s);

    MemTable c = std::move(b);
    QCOMPARE(c.rowCount(), 3);
    QVERIFY(c.isNull(1, 5));
    QVERIFY(!b.isActive()); // NOLINT(bugprone-use-after-move): a moved-from table is closed
    QCOMPARE(b.rowCount(), 0);
    QCOMPARE(b.fieldCount(), 0);

    a = std::move(c);
    QCOMPARE(a.rowCount(), 3);
    QCOMPARE(a.value(0, 1), QVariant(qlonglong(9007199254740993LL)));
}

void TstMemTable::appenderTakesBackUnfinishedRow()
{
    MemTable t;
    t.setFields({{u"N"_s, FieldType::Int32, {}}, {u"S"_s, FieldType::String, {}}, {u"F"_s, FieldType::Double, {}}});
    {
        MemTable::Appender append(t);
        append.addInt(1);
        append.addBytes("bir");
        append.addNull();
        append.endRow();
        append.addNull();
        append.addBytes("yarım");
        // A string where a number belongs: the row cannot be finished.
        QVERIFY_THROWS_EXCEPTION(std::logic_error, append.addBytes("x"));
        QVERIFY_THROWS_EXCEPTION(std::logic_error, append.endRow());
    }
    QCOMPARE(t.rowCount(), 1);
    QVERIFY(t.isNull(0, 2));

    // The taken-back cells leave no trace in the next row.
    {
        MemTable::Appender append(t);
        append.addInt(2);
        append.addBytes("iki");
        append.addDouble(2.5);
        append.endRow();
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, append.addInt(1LL << 40));
    }
    QCOMPARE(t.rowCount(), 2);
    QVERIFY(!t.isNull(1, 0));
    QCOMPARE(t.asInt(1, 0), 2);
    QCOMPARE(t.asString(1, 1), u"iki"_s);
    QCOMPARE(t.asString(0, 1), u"bir"_s);
    QCOMPARE(t.asDouble(1, 2), 2.5);
    t.setString(0, 1, u"değişti"_s);
    QCOMPARE(t.asString(1, 1), u"iki"_s);
}

QTEST_GUILESS_MAIN(TstMemTable)
#include "tst_memtable.moc"
