// The small dialogs (order confirmation, date pick) and the update window.
#include "guidriver.h"
#include "testhttp.h"

#include "dialogs/login/dosyaindir.h"
#include "dialogs/login/onaysip.h"
#include "dialogs/login/tarihsec.h"
#include "server/webadresleri.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStandardPaths>
#include <QtTest>

using namespace vexor;
using namespace vexor::test;

namespace {

constexpr int kWaitMs = 30000;

WebAdresleri addressesOf(const TestHttpServer &host)
{
    KurulumAyarlari a;
    a.saticiWebKoku = host.rootText();
    a.guncellemeKoku = host.rootText();
    return WebAdresleri(a);
}

// Shows the update window modally and returns its modal result once it is over.
int runUpdate(const WebAdresleri &adresler, int version, Tdosyaindir **seen = nullptr)
{
    std::unique_ptr<Tdosyaindir> pencere(Tdosyaindir::Yeni(nullptr, version, adresler));
    if (seen)
        *seen = pencere.get();
    return pencere->exec();
}

} // namespace

class TstLoginDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void confirm_data();
    void confirm();
    void datePick_data();
    void datePick();

    void updateTexts_data();
    void updateTexts();
    void updateDownloadsSavesAndStarts();
    void failedDownloadSavesNothing_data();
    void failedDownloadSavesNothing();
    void secondActivationDoesNotRestart();

private:
    std::shared_ptr<RecordingPresenter> m_presenter;
    std::unique_ptr<ExitRecorder> m_exits;
    QTemporaryDir m_dir;
};

void TstLoginDialogs::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
}

void TstLoginDialogs::init()
{
    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
    m_exits = std::make_unique<ExitRecorder>();
    QFile::remove(kurulumProgramiYolu());
}

void TstLoginDialogs::cleanup()
{
    m_exits.reset();
    setMessagePresenter(nullptr);
}

void TstLoginDialogs::confirm_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("result");
    QTest::newRow("Evet") << QStringLiteral("Button1") << 1;
    QTest::newRow("Hayır") << QStringLiteral("Button2") << 2;
    QTest::newRow("close box") << QString() << 2;
}

void TstLoginDialogs::confirm()
{
    QFETCH(QString, press);
    QFETCH(int, result);
    TONAYSIP onay;
    onay.Label2->setText(QStringLiteral("Toplam      :   1.250,00\nKDV         :     225,00"));
    QCOMPARE(onay.Label1->text(), QStringLiteral("Yukarıda bilgileri verilen siparişi onaylıyor musunuz ?"));
    QVERIFY(QFontInfo(onay.Label2->font()).fixedPitch());
    QCOMPARE(onay.windowTitle(), QStringLiteral("Sipariş Onay"));
    auto driver = whenShown<TONAYSIP>([press](TONAYSIP *d) {
        if (press.isEmpty())
            d->close();
        else
            d->findChild<QPushButton *>(press)->click();
    });
    QCOMPARE(onay.exec(), result);
}

void TstLoginDialogs::datePick_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<int>("result");
    QTest::newRow("pair, at once") << false << false << 1;
    QTest::newRow("single date") << true << false << 1;
    QTest::newRow("close box") << false << true << 2;
}

void TstLoginDialogs::datePick()
{
    QFETCH(bool, single);
    QFETCH(bool, closeBox);
    QFETCH(int, result);
    Ttarihsec tarih;
    QCOMPARE(tarih.Label1->text(), QStringLiteral("Tarih 1:"));
    QCOMPARE(tarih.Label2->text(), QStringLiteral("Tarih 1:"));
    if (single) {
        tarih.Label2->hide();
        tarih.DateTimePicker2->hide();
    }
    auto driver = whenShown<Ttarihsec>([closeBox](Ttarihsec *d) {
        if (closeBox)
            d->close();
        else
            d->Button1->click();
    });
    QCOMPARE(tarih.exec(), result);
    QCOMPARE(tarih.DateTimePicker1->date(), QDate::currentDate());
    QCOMPARE(tarih.DateTimePicker2->date(), QDate::currentDate());
}

void TstLoginDialogs::updateTexts_data()
{
    QTest::addColumn<qint64>("read");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    // 45.23 % of 6.90 MB.
    QTest::newRow("under way") << qint64(3272469) << qint64(7235174)
                               << QStringLiteral("Bilgi: %45,23  İndirilen: 3,12/6,90 Mb");
    QTest::newRow("start") << qint64(0) << qint64(1048576) << QStringLiteral("Bilgi: %0,00  İndirilen: 0,00/1,00 Mb");
    QTest::newRow("done, no grouping") << qint64(2202009600) << qint64(2202009600)
                                       << QStringLiteral("Bilgi: %100,00  İndirilen: 2100,00/2100,00 Mb");
}

void TstLoginDialogs::updateTexts()
{
    QFETCH(qint64, read);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(indirmeBilgisi(read, total), text);
    QCOMPARE(guncellemeYazisi(7).split(u'\n'),
             (QStringList{QStringLiteral("Vexor Otomotiv B2B Programının"), QStringLiteral("Yeni versiyonu indirilecektir"),
                          QStringLiteral("Lütfen Bekleyiniz...!"), QStringLiteral("Version: 7-1")}));
}

void TstLoginDialogs::updateDownloadsSavesAndStarts()
{
    // The "setup program" records how it was started.
    const QString marker = m_dir.filePath(QStringLiteral("basladi.txt"));
    QByteArray program = "#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(marker) + "'\n";
    program += QByteArray(300000, '#') + '\n';  // big enough for several progress steps
    TestHttpServer host;
    host.answers["exe/VexorSetup.exe"] = {HttpAnswer{200, "OK", "application/octet-stream", program}};

    // An old download is replaced.
    QDir().mkpath(QFileInfo(kurulumProgramiYolu()).absolutePath());
    QFile old(kurulumProgramiYolu());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("eski");
    old.close();

    std::unique_ptr<Tdosyaindir> pencere(Tdosyaindir::Yeni(nullptr, 5, addressesOf(host)));
    QCOMPARE(pencere->windowTitle(), QStringLiteral("Dosya İndir"));
    QVERIFY(pencere->sLabel1->text().endsWith(QStringLiteral("Version: 5-1")));
    QCOMPARE(pencere->exec(), 1);
    QCOMPARE(m_exits->codes, QList<int>{0});
    QVERIFY(m_presenter->requests.isEmpty());
    // The last progress report is the whole body.
    QCOMPARE(pencere->bilgi->text(), indirmeBilgisi(program.size(), program.size()));
    QCOMPARE(pencere->ProgressBar1->value(), pencere->ProgressBar1->maximum());

    QFile saved(kurulumProgramiYolu());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), program);
    const auto startedWith = [&marker] {
        QFile started(marker);
        return started.open(QIODevice::ReadOnly) ? started.readAll().trimmed() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(startedWith(), QByteArray("/silent"), kWaitMs);

    // The request the update host saw.
    QCOMPARE(host.seen.size(), 1);
    const HttpSeen &seen = host.seen.first();
    QCOMPARE(seen.headers.value("accept"), QByteArray("text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8"));
    QCOMPARE(seen.headers.value("accept-language"), QByteArray("en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4"));
    QCOMPARE(seen.headers.value("user-agent"), QByteArray("Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/60.0.3112.32 Safari/537.36"));
    // Offered by the network layer, which inflates what it offers.
    const QByteArray encodings = seen.headers.value("accept-encoding");
    QVERIFY2(encodings.contains("gzip") && encodings.contains("deflate"), encodings.constData());
}

void TstLoginDialogs::failedDownloadSavesNothing_data()
{
    QTest::addColumn<HttpAnswer>("answer");
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QString>("reason");
    QTest::newRow("error page") << HttpAnswer{404, "Not Found", "text/html", "<html>Bulunamadı</html>"} << true
                                << QStringLiteral("HTTP 404 Not Found");
    QTest::newRow("server error") << HttpAnswer{500, "Internal Server Error", "text/plain", "hata"} << true
                                  << QStringLiteral("HTTP 500 Internal Server Error");
    QTest::newRow("empty body") << HttpAnswer{200, "OK", "application/octet-stream", QByteArray()} << true << QString();
    QTest::newRow("host away") << HttpAnswer{} << false << QString();
}

void TstLoginDialogs::failedDownloadSavesNothing()
{
    QFETCH(HttpAnswer, answer);
    QFETCH(bool, reachable);
    QFETCH(QString, reason);

    QDir().mkpath(QFileInfo(kurulumProgramiYolu()).absolutePath());
    QFile old(kurulumProgramiYolu());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("eski");
    old.close();

    WebAdresleri adresler{KurulumAyarlari{}};
    std::unique_ptr<TestHttpServer> host;
    if (reachable) {
        host = std::make_unique<TestHttpServer>();
        host->answers["exe/VexorSetup.exe"] = {answer};
        adresler = addressesOf(*host);
    } else {
        // A port that nobody listens on: take one and let it go.
        quint16 port = 0;
        {
            TestHttpServer gone;
            port = gone.port();
        }
        KurulumAyarlari a;
        a.guncellemeKoku = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        adresler = WebAdresleri(a);
    }

    QCOMPARE(runUpdate(adresler, 2), 2);
    QCOMPARE(m_exits->codes, QList<int>{0});
    QCOMPARE(m_presenter->requests.size(), 1);
    const MessageRequest &message = m_presenter->requests.first();
    QCOMPARE(message.kind, int(MessageError));
    QVERIFY2(message.text.startsWith(QStringLiteral("Hata Oluştu !\nHata: ")), qPrintable(message.text));
    if (!reason.isEmpty())
        QCOMPARE(message.text, QStringLiteral("Hata Oluştu !\nHata: ") + reason);
    QCOMPARE(message.buttons.size(), 1);
    QVERIFY(!QFile::exists(kurulumProgramiYolu()));
}

void TstLoginDialogs::secondActivationDoesNotRestart()
{
    TestHttpServer host;
    HttpAnswer slow{200, "OK", "application/octet-stream", QByteArray(1000, 'x')};
    slow.delayMs = 300;
    host.answers["exe/VexorSetup.exe"] = {slow};
    auto driver = whenShown<Tdosyaindir>([](Tdosyaindir *d) {
        QTRY_VERIFY(d->basladi);
        // A message box over the window and back: the window is shown and activated again.
        QShowEvent shown;
        QCoreApplication::sendEvent(d, &shown);
        QEvent activation(QEvent::ActivationChange);
        QCoreApplication::sendEvent(d, &activation);
    });
    QCOMPARE(runUpdate(addressesOf(host), 3), 1);
    QCOMPARE(host.count("exe/VexorSetup.exe"), 1);
    QCOMPARE(m_exits->codes, QList<int>{0});
}

QTEST_MAIN(TstLoginDialogs)
#include "tst_logindialogs.moc"
