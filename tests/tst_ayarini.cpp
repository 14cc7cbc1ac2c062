// "ayar.ini": what the log-in window remembers, its format and its protection.
#include "dialogs/login/ayarini.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vexor;

Q_DECLARE_METATYPE(vexor::KullaniciAyari)

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TstAyarIni : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void update_data();
    void update();
    void read_data();
    void read();
    void readsBackWhatItWrote_data();
    void readsBackWhatItWrote();
    void onlyTheOwnerMayRead();
    void missingFile();

private:
    QTemporaryDir m_dir;
};

void TstAyarIni::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TstAyarIni::update_data()
{
    QTest::addColumn<QString>("existing");
    QTest::addColumn<KullaniciAyari>("ayar");
    QTest::addColumn<QString>("expected");

    const KullaniciAyari ali{QStringLiteral("ALI"), QStringLiteral("GIZLI1"), true};
    QTest::newRow("new file, keys in their order")
        << QString() << ali << QStringLiteral("[kullanici]\nisim=ALI\nsifre=GIZLI1\nhatırla=1\n");
    QTest::newRow("not remembered still keeps name and password")
        << QString() << KullaniciAyari{QStringLiteral("ALI"), QStringLiteral("GIZLI1"), false}
        << QStringLiteral("[kullanici]\nisim=ALI\nsifre=GIZLI1\nhatırla=0\n");
    QTest::newRow("replaces its keys, keeps the rest")
        << QStringLiteral("[pencere]\ngenislik=1200\n\n[kullanici]\nhatırla=0\ntema=koyu\nisim=VELI\nsifre=X\n\n[son]\na=1\n")
        << ali
        << QStringLiteral("[pencere]\ngenislik=1200\n\n[kullanici]\nisim=ALI\nsifre=GIZLI1\nhatırla=1\ntema=koyu\n\n[son]\na=1\n");
    QTest::newRow("section added after others")
        << QStringLiteral("[pencere]\ngenislik=1200\n") << ali
        << QStringLiteral("[pencere]\ngenislik=1200\n\n[kullanici]\nisim=ALI\nsifre=GIZLI1\nhatırla=1\n");
    QTest::newRow("Windows line ends and a byte-order mark")
        << QStringLiteral("\uFEFF[kullanici]\r\nisim=VELI\r\n") << ali
        << QStringLiteral("[kullanici]\nisim=ALI\nsifre=GIZLI1\nhatırla=1\n");
}

void TstAyarIni::update()
{
    QFETCH(QString, existing);
    QFETCH(KullaniciAyari, ayar);
    QFETCH(QString, expected);
    QCOMPARE(ayarMetniniGuncelle(existing, ayar), expected);
}

void TstAyarIni::read_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<KullaniciAyari>("ayar");
    QTest::newRow("all keys") << QByteArray("[kullanici]\nisim=ALI\nsifre=123\nhatırla=0\n")
                              << KullaniciAyari{QStringLiteral("ALI"), QStringLiteral("123"), false};
    QTest::newRow("remember missing means yes") << QByteArray("[kullanici]\nisim=ALI\n")
                                                << KullaniciAyari{QStringLiteral("ALI"), QString(), true};
    QTest::newRow("remember not a number means yes") << QByteArray("[kullanici]\nhatırla=evet\n")
                                                     << KullaniciAyari{QString(), QString(), true};
    QTest::newRow("other sections do not count") << QByteArray("[baska]\nisim=X\n[kullanici]\nsifre=Y\n")
                                                 << KullaniciAyari{QString(), QStringLiteral("Y"), true};
    QTest::newRow("byte-order mark, blanks, comments")
        << QByteArray("\xEF\xBB\xBF; not\r\n[kullanici]\r\n isim = ŞÜKRÜ \r\n# yorum\r\nhatırla=1\r\n")
        << KullaniciAyari{QStringLiteral("ŞÜKRÜ"), QString(), true};
    QTest::newRow("empty file") << QByteArray() << KullaniciAyari{};
}

void TstAyarIni::read()
{
    QFETCH(QByteArray, text);
    QFETCH(KullaniciAyari, ayar);
    const QString path = m_dir.filePath(QStringLiteral("oku.ini"));
    write(path, text);
    const std::optional<KullaniciAyari> read = ayarDosyasiniOku(path);
    QVERIFY(read);
    QCOMPARE(*read, ayar);
}

void TstAyarIni::readsBackWhatItWrote_data()
{
    QTest::addColumn<KullaniciAyari>("ayar");
    QTest::newRow("remembered") << KullaniciAyari{QStringLiteral("ALI"), QStringLiteral("123"), true};
    QTest::newRow("not remembered") << KullaniciAyari{QStringLiteral("ALI"), QStringLiteral("123"), false};
    QTest::newRow("Turkish letters") << KullaniciAyari{QStringLiteral("ŞİŞLİ BAYİ"), QStringLiteral("ĞÜÇ=Ö;1"), true};
    QTest::newRow("empty") << KullaniciAyari{QString(), QString(), true};
}

void TstAyarIni::readsBackWhatItWrote()
{
    QFETCH(KullaniciAyari, ayar);
    const QString path = m_dir.filePath(QStringLiteral("geri.ini"));
    QFile::remove(path);
    QString hata;
    QVERIFY2(ayarDosyasinaYaz(path, ayar, &hata), qPrintable(hata));
    QCOMPARE(ayarDosyasiniOku(path), std::optional<KullaniciAyari>(ayar));
    // Written twice, still one of each key.
    QVERIFY(ayarDosyasinaYaz(path, ayar, &hata));
    QCOMPARE(contents(path).count("isim="), 1);
}

void TstAyarIni::onlyTheOwnerMayRead()
{
    const QString path = m_dir.filePath(QStringLiteral("izin.ini"));
    // An older file that everybody could read, and a lax umask: the password still ends up
    // in a file only its owner may read.
    write(path, "[kullanici]\nisim=ESKI\n");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther));
    const mode_t old = ::umask(0);
    QString hata;
    const bool ok = ayarDosyasinaYaz(path, KullaniciAyari{QStringLiteral("ALI"), QStringLiteral("123"), true}, &hata);
    ::umask(old);
    QVERIFY2(ok, qPrintable(hata));
    struct stat st{};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
    QVERIFY(!QFile::exists(path + QStringLiteral(".yeni")));
}

void TstAyarIni::missingFile()
{
    QVERIFY(!ayarDosyasiniOku(m_dir.filePath(QStringLiteral("hic.ini"))));
    // The settings folder of the per-user configuration.
    QVERIFY(ayarDosyasiYolu().endsWith(QStringLiteral("/vexor/ayar.ini")));
}

QTEST_MAIN(TstAyarIni)
#include "tst_ayarini.moc"
