// The web endpoints over real HTTP on an OS-picked loopback port: home page, stock pictures with
// their types, the access request form (escaping, storing, refusing), ip.php, the setup program.
#include "settings.h"
#include "web.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

using namespace vexor;

namespace {

class FakeContent : public WebContent
{
public:
    std::map<int, QByteArray> pictures;
    bool failStore = false;

    std::optional<QByteArray> stockPicture(int stockNo) override
    {
        if (stockNo == kBrokenStock)
            throw std::runtime_error("resim tablosu okunamadı");
        const auto it = pictures.find(stockNo);
        return it == pictures.end() ? std::nullopt : std::optional<QByteArray>(it->second);
    }

    void storeAccessRequest(const AccessRequest &request) override
    {
        if (failStore)
            throw std::runtime_error("veritabanı kilitli");
        std::lock_guard guard(m_lock);
        m_stored.push_back(request);
    }

    std::vector<AccessRequest> stored() const
    {
        std::lock_guard guard(m_lock);
        return m_stored;
    }

    static constexpr int kBrokenStock = 66;

private:
    mutable std::mutex m_lock;
    std::vector<AccessRequest> m_stored;
};

struct WebReply
{
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    QByteArray contentType() const { return headers.value("content-type"); }
};

// One request, byte for byte as given, on its own connection.
WebReply exchange(quint16 port, const QByteArray &request)
{
    WebReply reply;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return reply;
    socket.write(request);
    QByteArray raw;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < 10000) {
        socket.waitForReadyRead(1000);
        raw += socket.readAll();
    }
    raw += socket.readAll();
    const qsizetype split = raw.indexOf("\r\n\r\n");
    if (split < 0)
        return reply;
    const QList<QByteArray> lines = raw.left(split).split('\n');
    reply.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            reply.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    reply.body = raw.mid(split + 4);
    return reply;
}

WebReply request(quint16 port, const QByteArray &method, const QByteArray &target, const QByteArray &body = {},
                 const QByteArray &contentType = "application/x-www-form-urlencoded")
{
    QByteArray head = method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (method == "POST")
        head += "Content-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n";
    return exchange(port, head + "\r\n" + body);
}

QByteArray encodedImage(const char *format)
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The smallest GIF: 1x1, one colour. Qt writes no GIF, so it is spelled out.
const QByteArray kGif = QByteArray::fromHex("4749463839610100010080000000000000ffffff21f90401000000002c00000000010001000002024401003b");

QByteArray formBody(const QList<std::pair<QByteArray, QString>> &fields)
{
    QByteArray body;
    for (const auto &[key, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += key + '=' + value.toUtf8().toPercentEncoding(" ").replace(' ', '+');
    }
    return body;
}

} // namespace

class TestWeb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void pages_data();
    void pages();
    void picture_data();
    void picture();
    void formShowsWhatTheClientSent_data();
    void formShowsWhatTheClientSent();
    void formStoresRequest_data();
    void formStoresRequest();
    void formRefuses_data();
    void formRefuses();
    void oversizedFormIsRefused();
    void setupProgram_data();
    void setupProgram();

private:
    std::shared_ptr<FakeContent> m_content;
    std::unique_ptr<WebServer> m_server;
    quint16 m_port = 0;
};

void TestWeb::initTestCase()
{
    m_content = std::make_shared<FakeContent>();
    m_content->pictures = {{11, encodedImage("JPG")}, {12, encodedImage("PNG")}, {13, kGif},
                           {14, encodedImage("BMP")}, {15, QByteArray("bu bir resim değil")}};
    for (const auto &[no, bytes] : m_content->pictures)
        QVERIFY2(bytes.size() > 0, qPrintable(QString::number(no)));
    ServerSettings settings;
    settings.webPort = 0;
    m_server = std::make_unique<WebServer>(settings, m_content);
    m_server->start();
    m_port = m_server->port();
    QVERIFY(m_port != 0);
}

void TestWeb::cleanupTestCase()
{
    m_server.reset();
}

void TestWeb::pages_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("contains");
    QTest::addColumn<QByteArray>("allow");
    const QByteArray html = "text/html; charset=utf-8";
    QTest::newRow("home") << QByteArray("GET") << QByteArray("/") << 200 << html << QStringLiteral("Vexor Otomotiv") << QByteArray();
    QTest::newRow("home with a query") << QByteArray("GET") << QByteArray("/?kaynak=b2b") << 200 << html << QStringLiteral("Ürün gruplarımız") << QByteArray();
    QTest::newRow("unknown page") << QByteArray("GET") << QByteArray("/yok.aspx") << 404 << html << QStringLiteral("bulunamadı") << QByteArray();
    QTest::newRow("caller address") << QByteArray("GET") << QByteArray("/ip.php") << 200 << QByteArray("text/plain; charset=utf-8") << QStringLiteral("127.0.0.1") << QByteArray();
    QTest::newRow("letter case of paths") << QByteArray("GET") << QByteArray("/IP.PHP") << 200 << QByteArray("text/plain; charset=utf-8") << QStringLiteral("127.0.0.1") << QByteArray();
    QTest::newRow("no setup program") << QByteArray("GET") << QByteArray("/exe/VexorSetup.exe") << 404 << html << QStringLiteral("Kurulum dosyası yok") << QByteArray();
    QTest::newRow("post to home") << QByteArray("POST") << QByteArray("/") << 405 << html << QString() << QByteArray("GET");
    QTest::newRow("delete a picture") << QByteArray("DELETE") << QByteArray("/resimgoster.ashx?id=11") << 405 << html << QString() << QByteArray("GET");
    QTest::newRow("put a form") << QByteArray("PUT") << QByteArray("/formmailgonder.aspx") << 405 << html << QString() << QByteArray("GET, POST");
}

void TestWeb::pages()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, contains);
    QFETCH(QByteArray, allow);
    const WebReply r = request(m_port, method, target);
    QCOMPARE(r.status, status);
    QCOMPARE(r.contentType(), contentType);
    QVERIFY2(QString::fromUtf8(r.body).contains(contains), r.body.constData());
    QCOMPARE(r.headers.value("allow"), allow);
    if (contentType.startsWith("text/plain"))
        QCOMPARE(r.body, contains.toUtf8()); // ip.php: the address and nothing else
}

void TestWeb::picture_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<int>("stock"); // whose bytes the body must be; 0: none
    QTest::newRow("jpeg") << QByteArray("/resimgoster.ashx?id=11") << 200 << QByteArray("image/jpeg") << 11;
    QTest::newRow("png") << QByteArray("/resimgoster.ashx?id=12") << 200 << QByteArray("image/png") << 12;
    QTest::newRow("gif") << QByteArray("/resimgoster.ashx?id=13") << 200 << QByteArray("image/gif") << 13;
    QTest::newRow("bmp") << QByteArray("/resimgoster.ashx?id=14") << 200 << QByteArray("image/bmp") << 14;
    QTest::newRow("not a picture") << QByteArray("/resimgoster.ashx?id=15") << 200 << QByteArray("application/octet-stream") << 15;
    QTest::newRow("blank before the number") << QByteArray("/resimgoster.ashx?id=%2012") << 200 << QByteArray("image/png") << 12;
    QTest::newRow("stock without picture") << QByteArray("/resimgoster.ashx?id=99") << 404 << QByteArray("text/html; charset=utf-8") << 0;
    QTest::newRow("id not a number") << QByteArray("/resimgoster.ashx?id=on1") << 404 << QByteArray("text/html; charset=utf-8") << 0;
    QTest::newRow("no id") << QByteArray("/resimgoster.ashx") << 404 << QByteArray("text/html; charset=utf-8") << 0;
    QTest::newRow("storage fails") << QByteArray("/resimgoster.ashx?id=66") << 500 << QByteArray("text/html; charset=utf-8") << 0;
}

void TestWeb::picture()
{
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, contentType);
    QFETCH(int, stock);
    const WebReply r = request(m_port, "GET", target);
    QCOMPARE(r.status, status);
    QCOMPARE(r.contentType(), contentType);
    QCOMPARE(r.headers.value("x-content-type-options"), QByteArray("nosniff"));
    if (stock)
        QCOMPARE(r.body, m_content->pictures.at(stock));
    else
        QVERIFY(r.body.contains("<html"));
}

void TestWeb::formShowsWhatTheClientSent_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QStringList>("contains");
    QTest::addColumn<QStringList>("absent");
    QTest::newRow("as the client opens it")
        << QByteArray("carino=0&kullanici=%20&id=WD-WX41A1234")
        << QStringList{QStringLiteral("name=\"carino\" value=\"0\""), QStringLiteral("name=\"kullanici\" value=\"\""),
                       QStringLiteral("name=\"id\" value=\"WD-WX41A1234\""), QStringLiteral("Vexor Otomotiv B2B İstek Formu")}
        << QStringList();
    QTest::newRow("plus in the identity stays")
        << QByteArray("carino=0&kullanici=%20&id=AB+CD")
        << QStringList{QStringLiteral("name=\"id\" value=\"AB+CD\"")} << QStringList();
    QTest::newRow("stray percent sign")
        << QByteArray("id=100%zz&kullanici=%C5%9Eule")
        << QStringList{QStringLiteral("value=\"100%zz\""), QStringLiteral("value=\"Şule\"")} << QStringList();
    QTest::newRow("script in the identity")
        << QByteArray("carino=0&kullanici=%20&id=%3Cscript%3Ealert(1)%3C/script%3E")
        << QStringList{QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;")} << QStringList{QStringLiteral("<script")};
    QTest::newRow("unencoded brackets")
        << QByteArray("carino=0&kullanici=<b>x</b>&id=1")
        << QStringList{QStringLiteral("value=\"&lt;b&gt;x&lt;/b&gt;\"")} << QStringList{QStringLiteral("<b>x")};
    QTest::newRow("quote leaves the attribute")
        << QByteArray("carino=%22%20autofocus%20onfocus=%22alert(1)&kullanici=%20&id=1")
        << QStringList{QStringLiteral("value=\"&quot; autofocus onfocus=&quot;alert(1)\"")}
        << QStringList{QStringLiteral("onfocus=\"alert")};
}

void TestWeb::formShowsWhatTheClientSent()
{
    QFETCH(QByteArray, query);
    QFETCH(QStringList, contains);
    QFETCH(QStringList, absent);
    const WebReply r = request(m_port, "GET", "/formmailgonder.aspx?" + query);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.contentType(), QByteArray("text/html; charset=utf-8"));
    QVERIFY(r.headers.value("content-security-policy").contains("default-src 'none'"));
    const QString page = QString::fromUtf8(r.body);
    for (const QString &c : contains)
        QVERIFY2(page.contains(c), qPrintable(c));
    for (const QString &a : absent)
        QVERIFY2(!page.contains(a), qPrintable(a));
    QVERIFY(!page.contains(QLatin1String("<script")));
}

void TestWeb::formStoresRequest_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("hidden");
    QTest::addColumn<int>("customerNo");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("machineId");
    QTest::newRow("hidden fields in the body") << QByteArray("/formmailgonder.aspx")
                                               << QByteArray("carino=0&kullanici=+&id=WD-WX41A1234&") << 0 << QString()
                                               << QStringLiteral("WD-WX41A1234");
    QTest::newRow("hidden fields only in the address") << QByteArray("/formmailgonder.aspx?carino=57&kullanici=mehmet&id=00-1A-2B-3C-4D-5E")
                                                       << QByteArray() << 57 << QStringLiteral("mehmet")
                                                       << QStringLiteral("00-1A-2B-3C-4D-5E");
    QTest::newRow("customer number not a number") << QByteArray("/formmailgonder.aspx")
                                                  << QByteArray("carino=x&kullanici=&id=K1&") << 0 << QString() << QStringLiteral("K1");
}

void TestWeb::formStoresRequest()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, hidden);
    QFETCH(int, customerNo);
    QFETCH(QString, userName);
    QFETCH(QString, machineId);
    const std::size_t before = m_content->stored().size();
    const QByteArray body = hidden + formBody({{"adsoyad", QStringLiteral(" Ayşe Yılmaz ")},
                                               {"firma", QStringLiteral("Yılmaz Oto & Yedek Parça")},
                                               {"telefon", QStringLiteral("+90 (212) 555-01-02")},
                                               {"eposta", QStringLiteral("ayse@ornek.com.tr")},
                                               {"sehir", QStringLiteral("İstanbul")},
                                               {"ilce", QStringLiteral("Şişli")},
                                               {"adres", QStringLiteral("Halaskargazi Cad. No: 12/3")},
                                               {"vergidairesi", QStringLiteral("Şişli")},
                                               {"vergino", QStringLiteral("1234567890")},
                                               {"aciklama", QStringLiteral("Bayilik için erişim istiyoruz.\nTeşekkürler")}});
    const WebReply r = request(m_port, "POST", target, body);
    QCOMPARE(r.status, 200);
    QVERIFY(QString::fromUtf8(r.body).contains(QStringLiteral("Talebiniz alındı")));
    const auto stored = m_content->stored();
    QCOMPARE(stored.size(), before + 1);
    const AccessRequest &a = stored.back();
    QCOMPARE(a.customerNo, customerNo);
    QCOMPARE(a.userName, userName);
    QCOMPARE(a.machineId, machineId);
    QCOMPARE(a.contact, QStringLiteral("Ayşe Yılmaz"));
    QCOMPARE(a.company, QStringLiteral("Yılmaz Oto & Yedek Parça"));
    QCOMPARE(a.phone, QStringLiteral("+90 (212) 555-01-02"));
    QCOMPARE(a.email, QStringLiteral("ayse@ornek.com.tr"));
    QCOMPARE(a.city, QStringLiteral("İstanbul"));
    QCOMPARE(a.district, QStringLiteral("Şişli"));
    QCOMPARE(a.address, QStringLiteral("Halaskargazi Cad. No: 12/3"));
    QCOMPARE(a.taxOffice, QStringLiteral("Şişli"));
    QCOMPARE(a.taxNumber, QStringLiteral("1234567890"));
    QCOMPARE(a.note, QStringLiteral("Bayilik için erişim istiyoruz.\nTeşekkürler"));
    QCOMPARE(a.remoteAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(a.receivedAt.isValid());
    QCOMPARE(a.receivedAt.timeSpec(), Qt::UTC);
}

void TestWeb::formRefuses_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("storageFails");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("contains");
    QTest::addColumn<QStringList>("absent");
    const QList<std::pair<QByteArray, QString>> valid = {{"adsoyad", QStringLiteral("Ali Kaya")},
                                                         {"firma", QStringLiteral("Kaya Otomotiv")},
                                                         {"telefon", QStringLiteral("0312 444 55 66")}};
    auto with = [&](const QByteArray &key, const QString &value) -> QByteArray {
        auto fields = valid;
        for (auto &f : fields) {
            if (f.first == key)
                f.second = value;
        }
        if (std::none_of(fields.begin(), fields.end(), [&](const auto &f) { return f.first == key; }))
            fields.append({key, value});
        return "id=WD-1&" + formBody(fields);
    };
    QTest::newRow("no phone") << with("telefon", QString()) << false << 422
                              << QStringList{QStringLiteral("telefon numarası"), QStringLiteral("value=\"Ali Kaya\"")} << QStringList();
    QTest::newRow("phone with letters") << with("telefon", QStringLiteral("0312 ARA BENİ")) << false << 422
                                        << QStringList{QStringLiteral("telefon numarası")} << QStringList();
    QTest::newRow("no name") << with("adsoyad", QStringLiteral("   ")) << false << 422
                             << QStringList{QStringLiteral("adını ve soyadını")} << QStringList();
    QTest::newRow("tax number of 9 digits") << with("vergino", QStringLiteral("123456789")) << false << 422
                                            << QStringList{QStringLiteral("10, T.C. kimlik numarası 11 haneli")} << QStringList();
    QTest::newRow("bad e-mail") << with("eposta", QStringLiteral("ali.kaya")) << false << 422
                                << QStringList{QStringLiteral("E-posta adresi geçerli değil")} << QStringList();
    QTest::newRow("message too long") << with("aciklama", QString(2001, QLatin1Char('a'))) << false << 422
                                      << QStringList{QStringLiteral("Açıklama en çok 2000 karakter")} << QStringList();
    QTest::newRow("hostile name shown back escaped")
        << "id=WD-1&" + formBody({{"adsoyad", QStringLiteral("\"><img src=x onerror=alert(1)>")}, {"telefon", QStringLiteral("0312 444 55 66")}})
        << false << 422
        << QStringList{QStringLiteral("value=\"&quot;&gt;&lt;img src=x onerror=alert(1)&gt;\""), QStringLiteral("firma adını")}
        << QStringList{QStringLiteral("<img")};
    QTest::newRow("storage fails") << with("sehir", QStringLiteral("Ankara")) << true << 500
                                   << QStringList{QStringLiteral("kaydedilemedi"), QStringLiteral("value=\"Ankara\"")} << QStringList();
}

void TestWeb::formRefuses()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, storageFails);
    QFETCH(int, status);
    QFETCH(QStringList, contains);
    QFETCH(QStringList, absent);
    m_content->failStore = storageFails;
    auto restore = qScopeGuard([this] { m_content->failStore = false; });
    const std::size_t before = m_content->stored().size();
    const WebReply r = request(m_port, "POST", "/formmailgonder.aspx", body);
    QCOMPARE(r.status, status);
    QCOMPARE(r.contentType(), QByteArray("text/html; charset=utf-8"));
    const QString page = QString::fromUtf8(r.body);
    for (const QString &c : contains)
        QVERIFY2(page.contains(c), qPrintable(c));
    for (const QString &a : absent)
        QVERIFY2(!page.contains(a), qPrintable(a));
    QCOMPARE(m_content->stored().size(), before);
}

void TestWeb::oversizedFormIsRefused()
{
    const std::size_t before = m_content->stored().size();
    const QByteArray body = "id=WD-1&adsoyad=Ali&firma=Kaya&telefon=03124445566&aciklama=" + QByteArray(70 * 1024, 'a');
    const WebReply r = request(m_port, "POST", "/formmailgonder.aspx", body);
    QCOMPARE(r.status, 413);
    QCOMPARE(m_content->stored().size(), before);
}

void TestWeb::setupProgram_data()
{
    QTest::addColumn<QString>("setupLine"); // the [server] setup= value; empty: none
    QTest::addColumn<bool>("createFile");
    QTest::addColumn<int>("status");
    QTest::newRow("beside the settings") << QStringLiteral("VexorSetup.exe") << true << 200;
    QTest::newRow("absolute path") << QStringLiteral("<dir>/paket/VexorSetup.exe") << true << 200;
    QTest::newRow("not configured") << QString() << false << 404;
    QTest::newRow("file missing") << QStringLiteral("VexorSetup.exe") << false << 404;
    QTest::newRow("a folder") << QStringLiteral("<dir>") << false << 404;
}

void TestWeb::setupProgram()
{
    QFETCH(QString, setupLine);
    QFETCH(bool, createFile);
    QFETCH(int, status);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("paket")));
    setupLine.replace(QLatin1String("<dir>"), dir.path());
    QByteArray program(300 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < program.size(); ++i)
        program[i] = char((i * 131) % 251);
    program.replace(0, 2, "MZ");
    if (createFile) {
        const QString path = QFileInfo(setupLine).isRelative() ? dir.filePath(setupLine) : setupLine;
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(program);
    }
    const QString ini = dir.filePath(QStringLiteral("vexor-server.ini"));
    {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[server]\nwebport=0\n");
        if (!setupLine.isEmpty())
            f.write("setup=" + setupLine.toUtf8() + "\n");
    }
    const ServerSettings settings = ServerSettings::fromFile(ini);
    WebServer server(settings, m_content);
    server.start();
    const WebReply r = request(server.port(), "GET", "/exe/VexorSetup.exe");
    QCOMPARE(r.status, status);
    if (status == 200) {
        QCOMPARE(r.contentType(), QByteArray("application/octet-stream"));
        QCOMPARE(r.headers.value("content-length"), QByteArray::number(program.size()));
        QVERIFY(r.headers.value("content-disposition").contains("VexorSetup.exe"));
        QCOMPARE(r.body, program);
    } else {
        QCOMPARE(r.contentType(), QByteArray("text/html; charset=utf-8"));
    }
}

QTEST_GUILESS_MAIN(TestWeb)
#include "tst_web.moc"
