// The news line: its simple HTML and the scrolling strip.
#include "platform/marquee.h"

#include <QImage>
#include <QtTest>

using namespace vexor;

namespace {

MarqueeRun run(const QString &text, bool bold = false, bool italic = false, bool underline = false,
               const QColor &color = QColor())
{
    return MarqueeRun{text, bold, italic, underline, color};
}

} // namespace

Q_DECLARE_METATYPE(QList<vexor::MarqueeRun>)

namespace QTest {
template <>
char *toString(const QList<vexor::MarqueeRun> &runs)
{
    QStringList parts;
    for (const MarqueeRun &r : runs)
        parts << QStringLiteral("[%1%2%3%4 \"%5\"]")
                     .arg(r.bold ? QStringLiteral("b") : QString(), r.italic ? QStringLiteral("i") : QString(),
                          r.underline ? QStringLiteral("u") : QString(),
                          r.color.isValid() ? r.color.name() : QString(), r.text);
    return qstrdup(parts.join(u' ').toUtf8().constData());
}
} // namespace QTest

class TstMarquee : public QObject
{
    Q_OBJECT

private slots:
    void html_data();
    void html();
    void scrolls();
    void pictureItem();
};

void TstMarquee::html_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QList<MarqueeRun>>("runs");

    const QColor red(0xff, 0, 0);
    QTest::newRow("plain") << QStringLiteral("Kampanya başladı") << QList<MarqueeRun>{run(QStringLiteral("Kampanya başladı"))};
    QTest::newRow("bold part") << QStringLiteral("<b>Kampanya</b> başladı")
                               << QList<MarqueeRun>{run(QStringLiteral("Kampanya"), true), run(QStringLiteral(" başladı"))};
    QTest::newRow("nesting") << QStringLiteral("<B>a<i>b</i></B>c")
                             << QList<MarqueeRun>{run(QStringLiteral("a"), true), run(QStringLiteral("b"), true, true),
                                                  run(QStringLiteral("c"))};
    QTest::newRow("strong, em, u") << QStringLiteral("<strong>x</strong><em>y</em><u>z</u>")
                                   << QList<MarqueeRun>{run(QStringLiteral("x"), true), run(QStringLiteral("y"), false, true),
                                                        run(QStringLiteral("z"), false, false, true)};
    QTest::newRow("font colour") << QStringLiteral("<font color=\"#ff0000\">İndirim</font> %20")
                                 << QList<MarqueeRun>{run(QStringLiteral("İndirim"), false, false, false, red),
                                                      run(QStringLiteral(" %20"))};
    QTest::newRow("colour name, single quotes") << QStringLiteral("<FONT size=3 COLOR='red'>x</FONT>")
                                                << QList<MarqueeRun>{run(QStringLiteral("x"), false, false, false, red)};
    QTest::newRow("unknown colour keeps the text colour") << QStringLiteral("<font color=\"nope\">x</font>")
                                                          << QList<MarqueeRun>{run(QStringLiteral("x"))};
    QTest::newRow("entities") << QStringLiteral("A&amp;B &lt;3&gt; &quot;q&quot; &#351;&#x131;")
                              << QList<MarqueeRun>{run(QStringLiteral("A&B <3> \"q\" şı"))};
    QTest::newRow("unknown entity stays") << QStringLiteral("a &bogus; b") << QList<MarqueeRun>{run(QStringLiteral("a &bogus; b"))};
    QTest::newRow("white space shrinks") << QStringLiteral("a  \n\t b") << QList<MarqueeRun>{run(QStringLiteral("a b"))};
    QTest::newRow("line breaks are blanks") << QStringLiteral("a<br>b<br/>c<p>d</p>")
                                            << QList<MarqueeRun>{run(QStringLiteral("a b c d "))};
    QTest::newRow("unknown tags dropped, text kept") << QStringLiteral("<span class=\"x\">a</span><marquee>b</marquee>")
                                                     << QList<MarqueeRun>{run(QStringLiteral("ab"))};
    QTest::newRow("unclosed tag ends at the end") << QStringLiteral("<b>a") << QList<MarqueeRun>{run(QStringLiteral("a"), true)};
    QTest::newRow("closing closes the tags opened inside") << QStringLiteral("<b>a<i>b</b>c")
                                                           << QList<MarqueeRun>{run(QStringLiteral("a"), true),
                                                                                run(QStringLiteral("b"), true, true),
                                                                                run(QStringLiteral("c"))};
    QTest::newRow("stray closing tag") << QStringLiteral("a</b>b") << QList<MarqueeRun>{run(QStringLiteral("ab"))};
    QTest::newRow("lone less-than is text") << QStringLiteral("3 < 5") << QList<MarqueeRun>{run(QStringLiteral("3 < 5"))};
    QTest::newRow("empty") << QString() << QList<MarqueeRun>{};
    QTest::newRow("tags only") << QStringLiteral("<b></b>") << QList<MarqueeRun>{};
}

void TstMarquee::html()
{
    QFETCH(QString, html);
    QFETCH(QList<MarqueeRun>, runs);
    QCOMPARE(parseMarqueeHtml(html), runs);
}

void TstMarquee::scrolls()
{
    Marquee line;
    line.resize(300, 40);
    line.addHtmlItem(QStringLiteral("<b>Yeni</b> ürünler geldi"));
    line.addHtmlItem(QStringLiteral("Kampanya"));
    QCOMPARE(line.itemCount(), 2);
    QVERIFY(line.contentWidth() > 2 * line.itemSpacing());
    line.show();
    QVERIFY(QTest::qWaitForWindowExposed(&line));

    // Started, the items enter from the right edge: the strip is empty at first, then text
    // moves in from the right.
    line.start();
    QVERIFY(line.isActive());
    const QImage first = line.grab().toImage();
    QTRY_VERIFY_WITH_TIMEOUT(line.grab().toImage() != first, 10000);

    line.stop();
    QVERIFY(!line.isActive());
    const QImage stopped = line.grab().toImage();
    QTest::qWait(100);
    QCOMPARE(line.grab().toImage(), stopped);

    line.clearItems();
    QCOMPARE(line.itemCount(), 0);
    QCOMPARE(line.contentWidth(), 0);
}

void TstMarquee::pictureItem()
{
    Marquee band;
    QPixmap picture(64, 20);
    picture.fill(Qt::red);
    band.addPictureItem(picture);
    QCOMPARE(band.itemCount(), 1);
    QCOMPARE(band.contentWidth(), 64 + band.itemSpacing());
}

QTEST_MAIN(TstMarquee)
#include "tst_marquee.moc"
