#include "common/formats.h"

#include <QtTest>

#include <cmath>

using namespace vexor;
using namespace Qt::StringLiterals;

namespace {

// QCOMPARE on doubles is fuzzy; rounding must give exactly the double nearest the decimal.
void compareExactly(double actual, double expected)
{
    QVERIFY2(actual == expected,
             qPrintable(u"got %1, expected %2"_s.arg(actual, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

} // namespace

class TstFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formatNumber_data();
    void formatNumber();
    void roundHalfAwayFromZero_data();
    void roundHalfAwayFromZero();
    void yuvarla_data();
    void yuvarla();
    void nonFinite();
};

void TstFormats::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

void TstFormats::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale ch(QLocale::German, QLocale::Switzerland);

    QTest::newRow("total pads to two integer digits") << 5.0 << kToplamBicimi << tr << u"05,00"_s;
    QTest::newRow("total with many digits") << 123456.0 << kToplamBicimi << tr << u"123.456,00"_s;
    QTest::newRow("total of zero") << 0.0 << kToplamBicimi << tr << u"00,00"_s;
    QTest::newRow("amount grouped") << 1234567.891 << kTutarBicimi << tr << u"1.234.567,89"_s;
    QTest::newRow("amount english") << 1234567.891 << kTutarBicimi << en << u"1,234,567.89"_s;
    QTest::newRow("amount swiss separators") << 1234567.891 << kTutarBicimi << ch << u"1’234’567.89"_s;
    QTest::newRow("amount below thousand") << 999.994 << kTutarBicimi << tr << u"999,99"_s;
    QTest::newRow("rounding carries into a new group") << 999.995 << kTutarBicimi << tr << u"1.000,00"_s;
    QTest::newRow("amount small") << 0.5 << kTutarBicimi << tr << u"0,50"_s;
    QTest::newRow("amount negative") << -1234.5 << kTutarBicimi << tr << u"-1.234,50"_s;
    QTest::newRow("amount negative rounds to zero, no sign") << -0.004 << kTutarBicimi << tr << u"0,00"_s;
    QTest::newRow("amount negative half") << -0.005 << kTutarBicimi << tr << u"-0,01"_s;
    QTest::newRow("amount 2.675 on its decimal digits") << 2.675 << kTutarBicimi << tr << u"2,68"_s;
    QTest::newRow("amount 1.005") << 1.005 << kTutarBicimi << en << u"1.01"_s;
    QTest::newRow("amount 10.09*3") << 10.09 * 3 << kTutarBicimi << tr << u"30,27"_s;
    QTest::newRow("amount large") << 1e15 << kTutarBicimi << tr << u"1.000.000.000.000.000,00"_s;
    QTest::newRow("amount huge exponent") << 1.5e20 << kTutarBicimi << en << u"150,000,000,000,000,000,000.00"_s;
    QTest::newRow("amount tiny") << 1e-9 << kTutarBicimi << tr << u"0,00"_s;
    QTest::newRow("rounding pattern drops integer zero") << 0.5 << kYuvarlamaBicimi << tr << u",50"_s;
    QTest::newRow("rounding pattern negative") << -0.5 << kYuvarlamaBicimi << tr << u"-,50"_s;
    QTest::newRow("rounding pattern zero") << 0.0 << kYuvarlamaBicimi << tr << u",00"_s;
    QTest::newRow("rounding pattern grouped") << 12345.678 << kYuvarlamaBicimi << tr << u"12.345,68"_s;
    QTest::newRow("rounding pattern carries to integer") << 0.999 << kYuvarlamaBicimi << tr << u"1,00"_s;
    QTest::newRow("no grouping, optional decimals") << 1234.5 << u"0.0#"_s << en << u"1234.5"_s;
    QTest::newRow("optional decimals used") << 1234.567 << u"0.0#"_s << en << u"1234.57"_s;
    QTest::newRow("no decimals") << 2.5 << u"#,##0"_s << en << u"3"_s;
}

void TstFormats::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(vexor::formatNumber(value, pattern, locale), expected);
}

void TstFormats::roundHalfAwayFromZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");

    QTest::newRow("plain") << 12.3456 << 2 << 12.35;
    QTest::newRow("half up") << 0.125 << 2 << 0.13;
    QTest::newRow("negative half away from zero") << -0.125 << 2 << -0.13;
    QTest::newRow("2.675 (binary 2.67499..)") << 2.675 << 2 << 2.68;
    QTest::newRow("1.005 (binary 1.00499..)") << 1.005 << 2 << 1.01;
    QTest::newRow("-1.005") << -1.005 << 2 << -1.01;
    QTest::newRow("10.09*3") << 10.09 * 3 << 2 << 30.27;
    QTest::newRow("product with binary noise: 2.5*33.33") << 2.5 * 33.33 << 2 << 83.33;
    QTest::newRow("sum with binary noise: 0.1+0.2 at one place") << 0.1 + 0.2 << 1 << 0.3;
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << 2 << 0.3;
    QTest::newRow("carry through nines") << 9.999 << 2 << 10.0;
    QTest::newRow("below half of the last place") << 0.004999 << 2 << 0.0;
    QTest::newRow("whole number untouched") << 42.0 << 2 << 42.0;
    QTest::newRow("large") << 123456789012.345 << 2 << 123456789012.35;
    QTest::newRow("zero decimals") << 2.5 << 0 << 3.0;
    QTest::newRow("zero decimals negative") << -2.5 << 0 << -3.0;
    QTest::newRow("three decimals") << 1.0005 << 3 << 1.001;
}

void TstFormats::roundHalfAwayFromZero()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    compareExactly(vexor::roundHalfAwayFromZero(value, decimals), expected);
}

void TstFormats::yuvarla_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale fr(QLocale::French, QLocale::France);

    for (const QLocale &l : {tr, en, fr}) {
        const QByteArray name = l.name().toLatin1();
        QTest::addRow("%s 12.3456", name.constData()) << l << 12.3456 << 12.35;
        QTest::addRow("%s 0.5 (no integer digit)", name.constData()) << l << 0.5 << 0.5;
        QTest::addRow("%s -0.5", name.constData()) << l << -0.5 << -0.5;
        QTest::addRow("%s 0.004", name.constData()) << l << 0.004 << 0.0;
        QTest::addRow("%s -2.675", name.constData()) << l << -2.675 << -2.68;
        QTest::addRow("%s 1.005", name.constData()) << l << 1.005 << 1.01;
        QTest::addRow("%s 10.09*3", name.constData()) << l << 10.09 * 3 << 30.27;
        QTest::addRow("%s grouped", name.constData()) << l << 1234567.891 << 1234567.89;
        QTest::addRow("%s large", name.constData()) << l << 98765432109.875 << 98765432109.88;
    }
}

void TstFormats::yuvarla()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(double, expected);
    const QLocale previous;
    QLocale::setDefault(locale);
    const double result = Yuvarla(value);
    QLocale::setDefault(previous);
    compareExactly(result, expected);
}

void TstFormats::nonFinite()
{
    QVERIFY(std::isnan(Yuvarla(std::nan(""))));
    QCOMPARE(Yuvarla(HUGE_VAL), HUGE_VAL);
    QVERIFY(std::isnan(vexor::roundHalfAwayFromZero(std::nan(""))));
    QVERIFY(!vexor::formatNumber(std::nan(""), kTutarBicimi).isEmpty());
}

QTEST_GUILESS_MAIN(TstFormats)
#include "tst_formats.moc"
