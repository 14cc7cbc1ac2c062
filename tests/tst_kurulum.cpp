// The installation settings beside the executable and the web addresses built from them.
#include "server/webadresleri.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexor;

class TstKurulum : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void missingFileGivesDefaults();
    void unreadableFileSaysSo();
    void writtenFileReadsBack();
    void addresses();
    void roots_data();
    void roots();

private:
    QTemporaryDir m_dir;
};

void TstKurulum::read_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("update");
    QTest::addColumn<QStringList>("problemKeys");

    const KurulumAyarlari d;
    QTest::newRow("complete")
        << QByteArray("[server]\nhost=b2b.vexor.example\nport=19090\n[web]\nvendor=http://www.vexor.example/\n"
                      "update=https://guncelleme.example/b2b\n")
        << QStringLiteral("b2b.vexor.example") << 19090 << QStringLiteral("http://www.vexor.example/")
        << QStringLiteral("https://guncelleme.example/b2b/") << QStringList();
    QTest::newRow("comments and blanks")
        << QByteArray("; installed by the setup\n[server]\nhost = 10.0.0.5 ; the office server\n")
        << QStringLiteral("10.0.0.5") << d.port << d.saticiWebKoku << d.guncellemeKoku << QStringList();
    QTest::newRow("port not a number")
        << QByteArray("[server]\nport=dokuz\n") << d.saticiSunucusu << d.port << d.saticiWebKoku << d.guncellemeKoku
        << QStringList{QStringLiteral("[server] port")};
    QTest::newRow("port out of range")
        << QByteArray("[server]\nport=70000\n") << d.saticiSunucusu << d.port << d.saticiWebKoku << d.guncellemeKoku
        << QStringList{QStringLiteral("[server] port")};
    QTest::newRow("root without scheme")
        << QByteArray("[web]\nvendor=www.vexor.example\nupdate=ftp://x.example/\n") << d.saticiSunucusu << d.port
        << d.saticiWebKoku << d.guncellemeKoku << QStringList{QStringLiteral("[web] vendor"), QStringLiteral("[web] update")};
    QTest::newRow("empty host")
        << QByteArray("[server]\nhost=\nport=9191\n") << d.saticiSunucusu << 9191 << d.saticiWebKoku << d.guncellemeKoku
        << QStringList{QStringLiteral("[server] host")};
}

void TstKurulum::read()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, vendor);
    QFETCH(QString, update);
    QFETCH(QStringList, problemKeys);

    const QString path = m_dir.filePath(QStringLiteral("vexor-b2b.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    const KurulumAyarOkumasi okuma = kurulumAyarlariniOku(path);
    QCOMPARE(okuma.ayarlar.saticiSunucusu, host);
    QCOMPARE(okuma.ayarlar.port, port);
    QCOMPARE(okuma.ayarlar.saticiWebKoku, vendor);
    QCOMPARE(okuma.ayarlar.guncellemeKoku, update);
    QCOMPARE(okuma.sorunlar.size(), problemKeys.size());
    for (int i = 0; i < problemKeys.size(); ++i)
        QVERIFY2(okuma.sorunlar[i].startsWith(problemKeys[i]), qPrintable(okuma.sorunlar[i]));
}

void TstKurulum::missingFileGivesDefaults()
{
    const KurulumAyarOkumasi okuma = kurulumAyarlariniOku(m_dir.filePath(QStringLiteral("yok.ini")));
    QVERIFY(okuma.sorunlar.isEmpty());
    QCOMPARE(okuma.ayarlar.saticiSunucusu, QStringLiteral("127.0.0.1"));
    QCOMPARE(okuma.ayarlar.port, 9090);
    QCOMPARE(okuma.ayarlar.saticiWebKoku, QStringLiteral("http://127.0.0.1:9091/"));
    QCOMPARE(okuma.ayarlar.guncellemeKoku, QStringLiteral("http://127.0.0.1:9091/"));
}

void TstKurulum::unreadableFileSaysSo()
{
    // A folder where the file should be cannot be read as one, whoever runs the test.
    const QString path = m_dir.filePath(QStringLiteral("klasor.ini"));
    QVERIFY(QDir().mkpath(path));
    const KurulumAyarOkumasi okuma = kurulumAyarlariniOku(path);
    QCOMPARE(okuma.sorunlar.size(), 1);
    QVERIFY(okuma.sorunlar.first().contains(QStringLiteral("klasor.ini")));
    QCOMPARE(okuma.ayarlar.port, 9090);
}

void TstKurulum::writtenFileReadsBack()
{
    KurulumAyarlari a;
    a.saticiSunucusu = QStringLiteral("192.168.1.20");
    a.port = 9190;
    a.saticiWebKoku = QStringLiteral("http://192.168.1.20:9191/");
    a.guncellemeKoku = QStringLiteral("http://guncelle.example/");
    const QString path = m_dir.filePath(QStringLiteral("yazilan.ini"));
    QString hata;
    QVERIFY2(kurulumAyarlariniYaz(path, a, &hata), qPrintable(hata));
    const KurulumAyarOkumasi okuma = kurulumAyarlariniOku(path);
    QVERIFY(okuma.sorunlar.isEmpty());
    QCOMPARE(okuma.ayarlar.saticiSunucusu, a.saticiSunucusu);
    QCOMPARE(okuma.ayarlar.port, a.port);
    QCOMPARE(okuma.ayarlar.saticiWebKoku, a.saticiWebKoku);
    QCOMPARE(okuma.ayarlar.guncellemeKoku, a.guncellemeKoku);
}

void TstKurulum::addresses()
{
    KurulumAyarlari a;
    a.saticiWebKoku = QStringLiteral("http://www.vexor.example/");
    a.guncellemeKoku = QStringLiteral("http://guncelleme.example:8080/b2b/");
    const WebAdresleri w(a);
    QCOMPARE(w.webSitesi(), QStringLiteral("http://www.vexor.example/"));
    QCOMPARE(w.resimGoster(4711), QStringLiteral("http://www.vexor.example/resimgoster.ashx?id=4711"));
    // Not URL-encoded: the blank after "kullanici=" and the identity go as they are.
    QCOMPARE(w.istekFormu(QStringLiteral("WD-WX41A1234")),
             QStringLiteral("http://www.vexor.example/formmailgonder.aspx?carino=0&kullanici= &id=WD-WX41A1234"));
    QCOMPARE(w.disIp(), QStringLiteral("http://guncelleme.example:8080/b2b/ip.php"));
    QCOMPARE(w.kurulumProgrami(), QStringLiteral("http://guncelleme.example:8080/b2b/exe/VexorSetup.exe"));
}

void TstKurulum::roots_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("root");
    QTest::newRow("adds the slash") << QStringLiteral("http://a.example") << QStringLiteral("http://a.example/");
    QTest::newRow("keeps a port and a path") << QStringLiteral(" http://a.example:81/x ") << QStringLiteral("http://a.example:81/x/");
    QTest::newRow("https") << QStringLiteral("https://a.example/") << QStringLiteral("https://a.example/");
    QTest::newRow("no scheme") << QStringLiteral("a.example") << QString();
    QTest::newRow("other scheme") << QStringLiteral("file:///tmp/") << QString();
    QTest::newRow("query") << QStringLiteral("http://a.example/?x=1") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TstKurulum::roots()
{
    QFETCH(QString, text);
    QFETCH(QString, root);
    QCOMPARE(webKokuDuzelt(text), root);
}

QTEST_MAIN(TstKurulum)
#include "tst_kurulum.moc"
