// Pictures from the web (TAsyncResim) and animated pictures (TGifResim).
#include "testhttp.h"

#include "platform/asyncresim.h"
#include "platform/gifresim.h"

#include <QBuffer>
#include <QImage>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QtTest>

using namespace vexor;
using namespace vexor::test;

namespace {

constexpr int kWaitMs = 30000;

QByteArray encoded(const char *format, const QColor &color, QSize size = {16, 12})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A two-frame animated GIF (red, then white; 2x2 pixels), as ImageMagick writes it.
QByteArray twoFrameGif()
{
    return QByteArray::fromHex("47494638396102000200f00000ff000000000021f904000000000021ff0b4e45545343"
                               "415045322e3003010000002c000000000200020000020284510021f904000000000"
                               "02c000000000200020080ffffff00000002028451003b");
}

QNetworkAccessManager *clientOf(TAsyncResim &picture)
{
    return picture.findChild<QNetworkAccessManager *>();
}

} // namespace

class TstPictures : public QObject
{
    Q_OBJECT

private slots:
    void contentType_data();
    void contentType();
    void replyDecides_data();
    void replyDecides();
    void sameUrlFetchesOnce();
    void newerUrlWins();
    void replyAfterDestructionIsDropped();
    void gifAnimation();
    void animateBeforeLoadIsNotApplied();
};

void TstPictures::contentType_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("jpeg") << QStringLiteral("image/jpeg") << QByteArray("jpeg");
    QTest::newRow("jpg") << QStringLiteral("image/jpg") << QByteArray("jpeg");
    QTest::newRow("upper case") << QStringLiteral("image/JPEG") << QByteArray("jpeg");
    QTest::newRow("png") << QStringLiteral("image/png") << QByteArray("png");
    QTest::newRow("bmp") << QStringLiteral("image/bmp") << QByteArray("bmp");
    QTest::newRow("gif is not offered") << QStringLiteral("image/gif") << QByteArray();
    QTest::newRow("parameters") << QStringLiteral("image/jpeg; charset=utf-8") << QByteArray();
    QTest::newRow("html page") << QStringLiteral("text/html") << QByteArray();
    QTest::newRow("any six characters") << QStringLiteral("xxxxxxpng") << QByteArray("png");
    QTest::newRow("missing") << QString() << QByteArray();
}

void TstPictures::contentType()
{
    QFETCH(QString, header);
    QFETCH(QByteArray, format);
    QCOMPARE(pictureFormatForContentType(header), format);
}

void TstPictures::replyDecides_data()
{
    QTest::addColumn<HttpAnswer>("answer");
    QTest::addColumn<bool>("shown");
    const QByteArray jpeg = encoded("JPEG", Qt::blue);
    QTest::newRow("jpeg") << HttpAnswer{200, "OK", "image/jpeg", jpeg} << true;
    QTest::newRow("jpg") << HttpAnswer{200, "OK", "image/jpg", jpeg} << true;
    QTest::newRow("JPEG") << HttpAnswer{200, "OK", "image/JPEG", jpeg} << true;
    QTest::newRow("png") << HttpAnswer{200, "OK", "image/png", encoded("PNG", Qt::blue)} << true;
    QTest::newRow("bmp") << HttpAnswer{200, "OK", "image/bmp", encoded("BMP", Qt::blue)} << true;
    QTest::newRow("status is not looked at") << HttpAnswer{404, "Not Found", "image/jpeg", jpeg} << true;
    QTest::newRow("404 page") << HttpAnswer{404, "Not Found", "text/html", "<html>Bulunamadı</html>"} << false;
    QTest::newRow("gif") << HttpAnswer{200, "OK", "image/gif", twoFrameGif()} << false;
    QTest::newRow("type with parameters") << HttpAnswer{200, "OK", "image/jpeg; charset=binary", jpeg} << false;
    QTest::newRow("undecodable") << HttpAnswer{200, "OK", "image/png", "not a picture"} << false;
    QTest::newRow("empty body") << HttpAnswer{200, "OK", "image/png", QByteArray()} << false;
    QTest::newRow("type does not match the bytes") << HttpAnswer{200, "OK", "image/png", jpeg} << false;
}

void TstPictures::replyDecides()
{
    QFETCH(HttpAnswer, answer);
    QFETCH(bool, shown);
    TestHttpServer host;
    host.answers["resimgoster.ashx?id=7"] = {answer};

    TAsyncResim picture;
    // What it showed before: a replacement must be complete or nothing at all.
    QPixmap before(8, 8);
    before.fill(Qt::green);
    picture.setPicture(before);
    QSignalSpy finished(clientOf(picture), &QNetworkAccessManager::finished);
    picture.setUrl(host.rootText() + QStringLiteral("resimgoster.ashx?id=7"));
    QVERIFY(finished.wait(kWaitMs));

    const QImage now = picture.currentPicture().toImage();
    if (shown) {
        QCOMPARE(now.size(), QSize(16, 12));
        QVERIFY(qAbs(now.pixelColor(8, 6).blue() - 255) < 40);
    } else {
        QCOMPARE(now, before.toImage());
    }
}

void TstPictures::sameUrlFetchesOnce()
{
    TestHttpServer host;
    host.answers["resimgoster.ashx?id=1"] = {HttpAnswer{200, "OK", "image/png", encoded("PNG", Qt::red)}};
    TAsyncResim picture;
    QSignalSpy changed(&picture, &PictureBox::pictureChanged);
    const QString url = host.rootText() + QStringLiteral("resimgoster.ashx?id=1");
    picture.setUrl(url);
    QVERIFY(changed.wait(kWaitMs));
    picture.setUrl(url);
    QCOMPARE(picture.Url(), url);
    // Give a second request every chance to arrive before counting.
    QTest::qWait(200);
    QCOMPARE(host.count("resimgoster.ashx?id=1"), 1);
    QCOMPARE(changed.count(), 1);
}

void TstPictures::newerUrlWins()
{
    TestHttpServer host;
    HttpAnswer slow{200, "OK", "image/png", encoded("PNG", Qt::red)};
    slow.delayMs = 500;
    host.answers["resimgoster.ashx?id=1"] = {slow};
    host.answers["resimgoster.ashx?id=2"] = {HttpAnswer{200, "OK", "image/png", encoded("PNG", Qt::blue)}};
    TAsyncResim picture;
    QSignalSpy changed(&picture, &PictureBox::pictureChanged);
    picture.setUrl(host.rootText() + QStringLiteral("resimgoster.ashx?id=1"));
    QTRY_COMPARE_WITH_TIMEOUT(host.count("resimgoster.ashx?id=1"), 1, kWaitMs);
    picture.setUrl(host.rootText() + QStringLiteral("resimgoster.ashx?id=2"));
    QVERIFY(changed.wait(kWaitMs));
    // The slow first answer must not replace the newer picture.
    QTest::qWait(800);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(picture.currentPicture().toImage().pixelColor(4, 4), QColor(Qt::blue));
}

void TstPictures::replyAfterDestructionIsDropped()
{
    TestHttpServer host;
    HttpAnswer slow{200, "OK", "image/png", encoded("PNG", Qt::red)};
    slow.delayMs = 300;
    host.answers["resimgoster.ashx?id=3"] = {slow};
    auto *picture = new TAsyncResim;
    picture->setUrl(host.rootText() + QStringLiteral("resimgoster.ashx?id=3"));
    QTRY_COMPARE_WITH_TIMEOUT(host.count("resimgoster.ashx?id=3"), 1, kWaitMs);
    delete picture;
    // The answer arrives for a control that is gone; nothing may touch it.
    QTest::qWait(600);
}

void TstPictures::gifAnimation()
{
    TGifResim banner;
    banner.resize(40, 40);
    QVERIFY(banner.setGif(twoFrameGif()));
    QVERIFY(banner.movie());
    QVERIFY(!banner.isAnimating());
    banner.show();

    banner.GizleDurdur();
    QVERIFY(!banner.isVisible());
    QVERIFY(!banner.isAnimating());
    QVERIFY(!banner.Animate());

    banner.GosterAnim();
    QVERIFY(banner.isVisible());
    QVERIFY(banner.Animate());
    QVERIFY(banner.isAnimating());
    QVERIFY(banner.transparent());

    banner.GizleDurdur();
    QVERIFY(!banner.isVisible());
    QVERIFY(!banner.isAnimating());

    QVERIFY(!banner.setGif("not a gif"));
    QVERIFY(banner.movie());  // the control keeps its GIF
}

void TstPictures::animateBeforeLoadIsNotApplied()
{
    TGifResim banner;
    // Without a picture the flag is only stored.
    banner.setAnimate(true);
    QVERIFY(banner.Animate());
    QVERIFY(banner.setGif(twoFrameGif()));
    QVERIFY(!banner.isAnimating());
    // The banner's way: off before loading, on after it.
    banner.setAnimate(false);
    QVERIFY(banner.setGif(twoFrameGif()));
    banner.setAnimate(true);
    QVERIFY(banner.isAnimating());
}

QTEST_MAIN(TstPictures)
#include "tst_pictures.moc"
