// Tab captions with counts: the parsing rule, the whole count of an amount, and the drawing
// that the "Vexor" style installs for every tab row of the program.
#include "platform/tabbadge.h"
#include "platform/vexorstyle.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <climits>
#include <limits>

using namespace vexor;

namespace {

constexpr QSize kTab{120, 45};

// A caption drawn the way the tab row draws it, on a plain background.
QImage drawn(const QString &caption)
{
    QImage image(kTab, QImage::Format_ARGB32);
    image.fill(Qt::darkGray);
    QPainter painter(&image);
    drawTabCaption(&painter, QRect(QPoint(0, 0), kTab), parseTabCaption(caption), QIcon(), 0, Qt::white, true);
    return image;
}

// The corner where the count goes, and everything else.
QRect badgeCorner()
{
    return QRect(kTab.width() - 40, 0, 40, 18);
}

bool sameOutside(const QImage &a, const QImage &b, const QRect &excluded)
{
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!excluded.contains(x, y) && a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

int accentPixels(const QImage &image, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // The count is drawn in the light blue accent; anti-aliasing blends its edges.
            if (c.blue() > 150 && c.blue() > c.red() + 60)
                ++n;
        }
    return n;
}

} // namespace

class TstTabCaption : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void parse_data();
    void parse();
    void wholeCountOfAmount_data();
    void wholeCountOfAmount();
    void drawing_data();
    void drawing();
    void everyTabRowDrawsCounts();
};

void TstTabCaption::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    applyVexorStyle(*qApp);
}

void TstTabCaption::parse_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("count");

    const QString longTitle = QString(150, QLatin1Char('A'));
    QTest::newRow("count 0") << QStringLiteral("0=Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("count 7") << QStringLiteral("7=Sepet") << QStringLiteral("Sepet") << 7;
    QTest::newRow("no sign") << QStringLiteral("Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("decimals") << QStringLiteral("12.5=Bakiyeler") << QStringLiteral("Bakiyeler") << 0;
    QTest::newRow("decimal comma") << QStringLiteral("12,5=Bakiyeler") << QStringLiteral("Bakiyeler") << 0;
    QTest::newRow("not a number") << QStringLiteral("x=Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("empty count") << QStringLiteral("=Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("negative") << QStringLiteral("-3=Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("beyond int") << QStringLiteral("99999999999=Sepet") << QStringLiteral("Sepet") << 0;
    QTest::newRow("first sign splits") << QStringLiteral("4=a=b") << QStringLiteral("a=b") << 4;
    QTest::newRow("count only") << QStringLiteral("5=") << QString() << 5;
    QTest::newRow("150-character title") << QStringLiteral("3=") + longTitle << longTitle.left(100) << 3;
    QTest::newRow("long caption without sign stays whole") << longTitle << longTitle << 0;
    QTest::newRow("Turkish letters") << QStringLiteral("12=Önceki Siparişler") << QStringLiteral("Önceki Siparişler") << 12;
}

void TstTabCaption::parse()
{
    QFETCH(QString, caption);
    QFETCH(QString, title);
    QFETCH(int, count);
    const TabCaption parsed = parseTabCaption(caption);
    QCOMPARE(parsed.title, title);
    QCOMPARE(parsed.count, count);
    QCOMPARE(parsed.hasBadge(), count > 0);
}

void TstTabCaption::wholeCountOfAmount_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<int>("count");
    QTest::newRow("whole") << 12.0 << 12;
    QTest::newRow("decimals count up") << 12.5 << 13;
    QTest::newRow("a little") << 0.01 << 1;
    QTest::newRow("nothing") << 0.0 << 0;
    QTest::newRow("negative") << -3.5 << 0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0;
    QTest::newRow("huge") << 1e12 << INT_MAX;
}

void TstTabCaption::wholeCountOfAmount()
{
    QFETCH(double, amount);
    QFETCH(int, count);
    QCOMPARE(wholeCount(amount), count);
    // What the caption then shows.
    QCOMPARE(parseTabCaption(balanceCaption(amount, QStringLiteral("Bakiyeler"))).count, count);
}

void TstTabCaption::drawing_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("sameAs");
    QTest::addColumn<bool>("badge");
    QTest::newRow("count 7") << QStringLiteral("7=Sepet") << QStringLiteral("Sepet") << true;
    QTest::newRow("count 0") << QStringLiteral("0=Sepet") << QStringLiteral("Sepet") << false;
    QTest::newRow("not a number") << QStringLiteral("x=Sepet") << QStringLiteral("Sepet") << false;
    QTest::newRow("decimals") << QStringLiteral("12.5=Bakiyeler") << QStringLiteral("Bakiyeler") << false;
}

void TstTabCaption::drawing()
{
    QFETCH(QString, caption);
    QFETCH(QString, sameAs);
    QFETCH(bool, badge);
    const QImage image = drawn(caption);
    const QImage plain = drawn(sameAs);
    // The title is drawn exactly as the bare title would be: the count and "=" never show in it.
    QVERIFY(sameOutside(image, plain, badgeCorner()));
    QCOMPARE(accentPixels(image, badgeCorner()) > 0, badge);
    QCOMPARE(accentPixels(plain, QRect(QPoint(0, 0), kTab)), 0);
    if (!badge)
        QCOMPARE(image, plain);
}

void TstTabCaption::everyTabRowDrawsCounts()
{
    // A tab row in a dialog of its own: the style installed at start-up draws it.
    QDialog dialog;
    auto *tabs = new QTabWidget(&dialog);
    tabs->setStyleSheet(QStringLiteral("QTabBar::tab { width: 120px; height: 45px; }"));
    tabs->addTab(new QWidget, QStringLiteral("0=Sepet"));
    tabs->addTab(new QWidget, QStringLiteral("7=Sepet"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(tabs);
    dialog.resize(400, 200);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QTabBar *bar = tabs->tabBar();
    const QImage image = bar->grab().toImage();
    const QRect first = bar->tabRect(0);
    const QRect second = bar->tabRect(1);
    const QRect firstCorner(first.right() - 40, first.top(), 40, 18);
    const QRect secondCorner(second.right() - 40, second.top(), 40, 18);
    const qreal dpr = image.devicePixelRatio();
    auto scaled = [dpr](const QRect &r) {
        return QRect(QPoint(qRound(r.left() * dpr), qRound(r.top() * dpr)), r.size() * dpr);
    };
    QCOMPARE(accentPixels(image, scaled(firstCorner)), 0);
    QVERIFY(accentPixels(image, scaled(secondCorner)) > 0);
}

QTEST_MAIN(TstTabCaption)
#include "tst_tabcaption.moc"
