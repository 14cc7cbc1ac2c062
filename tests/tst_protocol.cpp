// The remote-call layer against a real vexor-server endpoint on an OS-picked loopback port:
// every value kind in both directions, the positions of the catalogue, ownership of results,
// error replies, malformed traffic in both directions, and BaglantiAc.
#include "appserver.h"
#include "dispatch.h"
#include "httpserver.h"
#include "servermethods.h"

#include "server/baglantiac.h"
#include "server/baglantiu.h"
#include "server/catalogue.h"
#include "server/command.h"
#include "server/connection.h"
#include "server/errors.h"
#include "server/mobilstokunit.h"
#include "proxim.h"
#include "server/streamrule.h"
#include "server/tablecodec.h"

#include "common/memtable.h"
#include "common/mesaj.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <thread>

using namespace vexor;

namespace {

// A session record subclass whose instances are counted, so a test can see when the proxy
// frees the record a call returned.
class CountedSonuc : public TSonucBilgisi
{
public:
    static inline std::atomic<int> live{0};
    static constexpr std::string_view kTypeName = "probe.CountedSonuc";
    CountedSonuc() { ++live; }
    CountedSonuc(const CountedSonuc &other) : TSonucBilgisi(other) { ++live; }
    ~CountedSonuc() override { --live; }
    QString typeName() const override { return QStringLiteral("probe.CountedSonuc"); }
    std::unique_ptr<Record> clone() const override { return std::make_unique<CountedSonuc>(*this); }
};

// The real server methods, plus answers for methods whose real implementation belongs to the
// data layer: they exercise every value kind and record what arrived.
class ProbeMethods : public TServerMethods1
{
public:
    using TServerMethods1::TServerMethods1;

    std::mutex lock;
    QStringList calls;
    bool sepetBilgiWasNull = false;
    QString sepetBarkod;
    double sepetMiktar = 0;
    qint32 sepetK = 0;
    double sepetInd4 = 0;
    QString callbackId;
    QString anyObjectType;

    std::unique_ptr<TSonucBilgisi> BuyukGetir(const QString &idsi) override
    {
        if (idsi == QLatin1String("bilinmiyor"))
            return nullptr;
        auto r = std::make_unique<CountedSonuc>();
        r->setBILGISAYARID(idsi);
        r->setADI(QStringLiteral("BAYİ-ŞİŞLİ"));
        r->setVarmi(true);
        r->setCARINO(4711);
        return r;
    }

    EncodedTable StokAraGetir(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override
    {
        JsonWriter w;
        TableEncoder enc(w, {{QStringLiteral("STOK_STOKNO"), FieldType::Int32},
                             {QStringLiteral("ADI"), FieldType::String},
                             {QStringLiteral("FIYAT"), FieldType::Double},
                             {QStringLiteral("CARINO"), FieldType::Int32}});
        for (int i = 1; i <= 3; ++i) {
            enc.beginRow();
            enc.addInt(i);
            enc.addString(QString(kod + QString::number(i)));
            enc.addDouble(i * 10.25);
            enc.addInt(bilgi ? bilgi->CARINO() : -1);
            enc.endRow();
        }
        enc.finish();
        return {w.take()};
    }

    EncodedTable TeslimVer() override
    {
        JsonWriter w;
        TableEncoder enc(w, {{QStringLiteral("SIRANO"), FieldType::Int32}, {QStringLiteral("ADI"), FieldType::String}});
        const QStringList kinds = {QStringLiteral("Kargo ile"), QStringLiteral("Elden teslim"), QStringLiteral("Depodan alım")};
        for (int i = 0; i < kinds.size(); ++i) {
            enc.beginRow();
            enc.addInt(i + 1);
            enc.addString(kinds[i]);
            enc.endRow();
        }
        enc.finish();
        return {w.take()};
    }

    QString KayanYaziGetir() override { return QStringLiteral("<b>Kampanya</b> başladı"); }

    // The stock number chooses the picture size; a negative one announces one byte too many.
    QByteArray ResimVer5(qint32 stokno, qint64 &boy) override
    {
        const int size = std::abs(stokno);
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + 3);
        boy = stokno < 0 ? size + 1 : size;
        return bytes;
    }

    QJsonArray ResimVer6(qint32 stokno, qint64 &boy) override
    {
        boy = 3;
        return QJsonArray{stokno, 255, 0};
    }

    bool SifremiUnuttum(const QString &idsi, qint32 &mailvarmi) override
    {
        mailvarmi = idsi.size();
        return idsi.startsWith(QLatin1Char('W'));
    }

    QByteArray BelgeIndir2(qint32 sirano, qint64 &size, QString &adi, std::unique_ptr<TSonucBilgisi> bilgi) override
    {
        adi = bilgi ? bilgi->ADI() + QStringLiteral(".pdf") : QStringLiteral("yok.pdf");
        const QByteArray bytes = QByteArray::number(sirano);
        size = bytes.size();
        return bytes;
    }

    qint32 SepetEkle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                      const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                      qint32 k, double ind2, double ind3, double ind4) override
    {
        std::lock_guard guard(lock);
        sepetBilgiWasNull = !bilgim;
        sepetBarkod = barkod;
        sepetMiktar = miktar;
        sepetK = k;
        sepetInd4 = ind4;
        return 1;
    }

    qint32 MobilStokaraGeri(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi, qint32 neresi, qint32 nekadar,
                            const QString &geri) override
    {
        std::lock_guard guard(lock);
        callbackId = geri;
        return 7;
    }

    std::unique_ptr<TMobilStoklar> MobilStokaraAdimli(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi,
                                                      qint32 neresi, qint32 nekadar, qint32 ilk, qint32 Adet,
                                                      bool &kalan, qint32 &toplam) override
    {
        auto list = std::make_unique<TMobilStoklar>();
        RecordList<TMobilStok> items;
        for (int i = 0; i < Adet; ++i) {
            auto s = std::make_unique<TMobilStok>();
            s->setStokNo(ilk + i);
            s->setAdi(kod);
            items.push_back(std::move(s));
        }
        list->setItems(std::move(items));
        toplam = 40;
        kalan = ilk + Adet < toplam;
        return list;
    }

    void DSServerModuleCreate(std::unique_ptr<Record> Sender) override
    {
        std::lock_guard guard(lock);
        anyObjectType = Sender ? Sender->typeName() : QStringLiteral("null");
    }
};

class RecordingPresenter : public MessagePresenter
{
public:
    int present(const MessageRequest &request) override
    {
        messages << request.text;
        kinds << request.kind;
        return request.defaultResult();
    }
    QStringList messages;
    QList<int> kinds;
};

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void catalogueNamesAndShapes();
    void everyMethodIsDispatchedByItsCommandText();
    void recordResultAndItsOwnership();
    void nullRecordResultIsNoObject();
    void recordArgumentsIncludingNull();
    void tablePacketAndTableReader();
    void streamsFollowTheDownloadRule_data();
    void streamsFollowTheDownloadRule();
    void outValues();
    void jsonArrayCallbackAndAnyObject();
    void recordListResult();
    void serverErrorsReachTheCaller();
    void proxyNeedsAnOpenConnection();
    void malformedRepliesRaiseProtocolErrors_data();
    void malformedRepliesRaiseProtocolErrors();
    void malformedCallsGetClearErrorReplies_data();
    void malformedCallsGetClearErrorReplies();
    void serverKeepsServingAfterAbuse();
    void baglantiAcWithTheServerDown_data();
    void baglantiAcWithTheServerDown();
    void baglantiAcWhenTheServerAppearsAtTheFifthAttempt();

private:
    std::unique_ptr<Connection> openConnection();

    std::shared_ptr<ProbeMethods> m_methods;
    std::unique_ptr<AppServer> m_server;
    std::shared_ptr<RecordingPresenter> m_presenter;
};

void TestProtocol::initTestCase()
{
    RecordRegistry::instance().add<CountedSonuc>();
    ServerSettings settings;
    settings.port = 0;
    settings.usdRate = 32.5;
    settings.eurRate = 35.25;
    m_methods = std::make_shared<ProbeMethods>(settings, nullptr);
    m_server = std::make_unique<AppServer>(settings, m_methods);
    m_server->start();
    QVERIFY(m_server->port() != 0);
}

void TestProtocol::cleanupTestCase()
{
    m_server.reset();
    setMessagePresenter(nullptr);
}

void TestProtocol::init()
{
    m_presenter = std::make_shared<RecordingPresenter>();
    setMessagePresenter(m_presenter);
}

std::unique_ptr<Connection> TestProtocol::openConnection()
{
    auto c = std::make_unique<Connection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = m_server->port();
    c->open();
    return c;
}

void TestProtocol::catalogueNamesAndShapes()
{
    const auto methods = catalogue();
    QCOMPARE(methods.size(), size_t(102));
    QSet<QString> names;
    for (const MethodSpec &m : methods) {
        QCOMPARE(m.commandText(), QStringLiteral("TServerMethods1.") + QString::fromLatin1(m.name.data(), m.name.size()));
        names.insert(QString::fromLatin1(m.name.data(), m.name.size()));
        QCOMPARE(findCommand(m.commandText().toStdString()), &m);
    }
    QCOMPARE(names.size(), 102);
    for (const char *odd : {"AcilisREklamVer", "SiparisAytintisiDip", "KampanyaliVermMobil", "MailGonserCari", "SAnalPosPdfVer"})
        QVERIFY2(names.contains(QLatin1String(odd)), odd);
    QVERIFY(!findMethod("AcilisReklamVer")); // letter case matters

    // Result positions: after the last parameter; 0 for a method without parameters.
    QCOMPARE(findMethod("TeslimVer")->resultPosition(), 0);
    QCOMPARE(findMethod("SepetEkle2")->resultPosition(), 14);
    const MethodSpec *belge = findMethod("BelgeIndir2");
    QVERIFY(belge->params[1].out && belge->params[2].out && !belge->params[3].out);
    QCOMPARE(belge->params[3].recordType, std::string_view("baglantiu.TSonucBilgisi"));
    QCOMPARE(findMethod("KampanyaliVer2")->params[1].name, std::string_view("satici"));
}

// Every method is sent with values of its kinds; the server finds each by its command text and
// either answers or says that it is not available yet, naming the method.
void TestProtocol::everyMethodIsDispatchedByItsCommandText()
{
    ServerSettings settings;
    settings.port = 0;
    AppServer plain(settings, std::make_shared<TServerMethods1>(settings, nullptr));
    plain.start();
    Connection con;
    con.HostName = QStringLiteral("127.0.0.1");
    con.Port = plain.port();
    con.open();
    TSonucBilgisi bilgi;
    TMobilStok anyObject;
    int answered = 0;
    for (const MethodSpec &m : catalogue()) {
        Command c(con, m);
        c.beginCall();
        for (const ParamSpec &p : m.params) {
            if (p.out)
                c.skipOut();
            else if (p.kind == Kind::String)
                c.bindString(QStringLiteral("x"));
            else if (p.kind == Kind::Int32)
                c.bindInt32(1);
            else if (p.kind == Kind::Double)
                c.bindDouble(1.5);
            else if (p.kind == Kind::Record)
                c.bindRecord(&bilgi);
            else if (p.kind == Kind::AnyObject)
                c.bindRecord(&anyObject);
            else if (p.kind == Kind::Callback)
                c.bindCallback(nullptr);
        }
        try {
            c.execute();
            ++answered;
        } catch (const RemoteError &e) {
            // Found by its command text (an unknown one is EVexorUnknownMethod), but without a
            // database the data methods cannot answer.
            QVERIFY2(e.className() == QStringLiteral("EVexorNotAvailable"), qPrintable(m.commandText() + QStringLiteral(": ") + e.className()));
            QVERIFY2(e.message().startsWith(QStringLiteral("TServerMethods1.")), qPrintable(e.message()));
        }
    }
    QCOMPARE(answered, 4); // EchoString, ReverseString, KurlariAl, DSServerModuleCreate

    TServerMethods1Client proxy(&con);
    QCOMPARE(proxy.EchoString(QStringLiteral("Çığ öğün İŞ 😀")), QStringLiteral("Çığ öğün İŞ 😀"));
    QCOMPARE(proxy.ReverseString(QStringLiteral("ab😀ş")), QStringLiteral("ş😀ba"));
}

void TestProtocol::recordResultAndItsOwnership()
{
    auto con = openConnection();
    QCOMPARE(CountedSonuc::live.load(), 0);
    {
        TServerMethods1Client proxy(con.get());
        TSonucBilgisi *first = proxy.BuyukGetir(QStringLiteral("WD-WX41A1234"));
        QVERIFY(first);
        QCOMPARE(first->BILGISAYARID(), QStringLiteral("WD-WX41A1234"));
        QCOMPARE(first->ADI(), QStringLiteral("BAYİ-ŞİŞLİ"));
        QCOMPARE(first->CARINO(), 4711);
        QVERIFY(first->Varmi());
        QCOMPARE(CountedSonuc::live.load(), 1);

        // The caller keeps a copy; the proxy's record is freed by the next call of the method.
        TSonucBilgisi kept;
        kept.Kopyala(*first);
        TSonucBilgisi *second = proxy.BuyukGetir(QStringLiteral("IKINCI"));
        QCOMPARE(CountedSonuc::live.load(), 1);
        QCOMPARE(second->BILGISAYARID(), QStringLiteral("IKINCI"));
        QCOMPARE(kept.BILGISAYARID(), QStringLiteral("WD-WX41A1234"));
    }
    // ...and by the proxy's end.
    QCOMPARE(CountedSonuc::live.load(), 0);
}

void TestProtocol::nullRecordResultIsNoObject()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.BuyukGetir(QStringLiteral("bilinmiyor")), nullptr);
}

void TestProtocol::recordArgumentsIncludingNull()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.SepetEkle2(nullptr, 1, 2, QStringLiteral("869-ÖN"), QStringLiteral("Fren balatası"), 3.0, 18, 10.0,
                              10, 5, 42, 0, 0, 12.5),
             1);
    {
        std::lock_guard guard(m_methods->lock);
        QVERIFY(m_methods->sepetBilgiWasNull);
        QCOMPARE(m_methods->sepetBarkod, QStringLiteral("869-ÖN"));
        QCOMPARE(m_methods->sepetMiktar, 3.0);
        QCOMPARE(m_methods->sepetK, 42);
        QCOMPARE(m_methods->sepetInd4, 12.5);
    }
    TSonucBilgisi session;
    session.setADI(QStringLiteral("ahmet"));
    auto copy = std::make_unique<TSonucBilgisi>();
    copy->Kopyala(session);
    QCOMPARE(proxy.SepetEkle2(std::move(copy), 1, 2, QString(), QString(), 1, 18, 1, 0, 5, 0, 0, 0, 0), 1);
    std::lock_guard guard(m_methods->lock);
    QVERIFY(!m_methods->sepetBilgiWasNull);
}

void TestProtocol::tablePacketAndTableReader()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->setCARINO(99);
    MemTable stoklar = proxy.StokAraGetir(QStringLiteral("BALATA"), std::move(bilgi));
    QVERIFY(stoklar.isActive());
    QCOMPARE(stoklar.rowCount(), 3);
    QCOMPARE(stoklar.fieldCount(), 4);
    QCOMPARE(stoklar.field(2).type, FieldType::Double);
    const int adi = stoklar.fieldIndex(u"ADI");
    QCOMPARE(stoklar.asString(2, adi), QStringLiteral("BALATA3"));
    QCOMPARE(stoklar.asDouble(1, stoklar.fieldIndex(u"FIYAT")), 20.5);
    QCOMPARE(stoklar.asInt(0, stoklar.fieldIndex(u"CARINO")), 99);

    // A method without parameters reads its result at position 0; the reader walks the rows.
    TableReader *teslim = proxy.TeslimVer();
    QVERIFY(teslim);
    QStringList names;
    while (teslim->next())
        names << teslim->asString(teslim->indexOf(u"ADI"));
    QCOMPARE(names, (QStringList{QStringLiteral("Kargo ile"), QStringLiteral("Elden teslim"), QStringLiteral("Depodan alım")}));

    MemTable copy;
    copyReaderToTable(*proxy.TeslimVer(), copy);
    QCOMPARE(copy.rowCount(), 3);
    QCOMPARE(copy.asInt(2, 0), 3);
}

void TestProtocol::streamsFollowTheDownloadRule_data()
{
    QTest::addColumn<int>("stokno");
    QTest::addColumn<int>("expected"); // -1: dropped
    QTest::newRow("small picture") << 700 << 700;
    QTest::newRow("exact multiple of 1024") << 2048 << 2048;
    QTest::newRow("one block") << 1024 << 1024;
    QTest::newRow("announced one byte too many") << -1500 << -1;
    QTest::newRow("no picture") << 0 << -1;
}

void TestProtocol::streamsFollowTheDownloadRule()
{
    QFETCH(int, stokno);
    QFETCH(int, expected);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 boy = -5;
    QIODevice *stream = proxy.ResimVer5(stokno, boy);
    QVERIFY(stream);
    const auto bytes = readAnnouncedStream(stream, boy);
    if (expected < 0) {
        QVERIFY(!bytes);
        return;
    }
    QVERIFY(bytes);
    QCOMPARE(bytes->size(), expected);
    QCOMPARE(quint8(bytes->at(expected - 1)), quint8((expected - 1) * 7 + 3));
}

void TestProtocol::outValues()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    // Only out-values: nothing is sent, they come back from position 0 upwards.
    double usd = 0, eur = 0;
    QCOMPARE(proxy.KurlariAl(usd, eur), 1);
    QCOMPARE(usd, 32.5);
    QCOMPARE(eur, 35.25);

    qint32 mailvarmi = -1;
    QVERIFY(proxy.SifremiUnuttum(QStringLiteral("WD-1"), mailvarmi));
    QCOMPARE(mailvarmi, 4);

    // An input after two out-values still travels at its own position.
    qint64 size = 0;
    QString adi = QStringLiteral("eski değer");
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->setADI(QStringLiteral("fatura"));
    QIODevice *belge = proxy.BelgeIndir2(12345, size, adi, std::move(bilgi));
    QCOMPARE(adi, QStringLiteral("fatura.pdf"));
    QCOMPARE(size, 5);
    QCOMPARE(readAnnouncedStream(belge, size).value(), QByteArray("12345"));
}

namespace {
class FixedCallback : public RemoteCallback
{
public:
    QString callbackId() const override { return QStringLiteral("stok-geri-7"); }
    QJsonValue Execute(const QJsonValue &argument) override { return argument; }
};
} // namespace

void TestProtocol::jsonArrayCallbackAndAnyObject()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 boy = 0;
    QCOMPARE(proxy.ResimVer6(9, boy), (QJsonArray{9, 255, 0}));
    QCOMPARE(boy, 3);

    FixedCallback callback;
    QCOMPARE(proxy.MobilStokaraGeri(QStringLiteral("a"), nullptr, 0, 10, &callback), 7);
    auto stok = std::make_unique<TMobilStok>();
    proxy.DSServerModuleCreate(std::move(stok));
    std::lock_guard guard(m_methods->lock);
    QCOMPARE(m_methods->callbackId, QStringLiteral("stok-geri-7"));
    QCOMPARE(m_methods->anyObjectType, QStringLiteral("mobilstokunit.TMobilStok"));
}

void TestProtocol::recordListResult()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    bool kalan = false;
    qint32 toplam = 0;
    TMobilStoklar *list = proxy.MobilStokaraAdimli(QStringLiteral("FİLTRE"), nullptr, 0, 0, 10, 3, kalan, toplam);
    QVERIFY(list);
    QCOMPARE(list->Items().size(), size_t(3));
    QCOMPARE(list->Items()[2]->StokNo(), 12);
    QCOMPARE(list->Items()[0]->Adi(), QStringLiteral("FİLTRE"));
    QCOMPARE(list->Items()[0]->Birim(), QStringLiteral("ADET"));
    QVERIFY(kalan);
    QCOMPARE(toplam, 40);
}

void TestProtocol::serverErrorsReachTheCaller()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    try {
        proxy.SepetVer2(5);
        QFAIL("an error reply must raise");
    } catch (const RemoteError &e) {
        QCOMPARE(e.className(), QStringLiteral("EVexorNotAvailable"));
        QVERIFY(e.message().contains(QStringLiteral("TServerMethods1.SepetVer2")));
        QCOMPARE(QString::fromUtf8(e.what()), e.message());
    }
    // The connection stays usable for the next operation.
    TServerMethods1Client next(con.get());
    QCOMPARE(next.EchoString(QStringLiteral("devam")), QStringLiteral("devam"));
}

void TestProtocol::proxyNeedsAnOpenConnection()
{
    Connection never;
    QVERIFY_THROWS_EXCEPTION(InvalidOperation, TServerMethods1Client{&never});
    QVERIFY_THROWS_EXCEPTION(InvalidOperation, TServerMethods1Client{nullptr});
}

void TestProtocol::malformedRepliesRaiseProtocolErrors_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("errorClass"); // empty: ProtocolError

    const QByteArray echo = "EchoString", rates = "KurlariAl", search = "StokAraGetir", login = "BuyukGetir";
    QTest::newRow("not JSON") << echo << 200 << QByteArray("merhaba") << QString();
    QTest::newRow("empty body") << echo << 200 << QByteArray() << QString();
    QTest::newRow("truncated") << echo << 200 << QByteArray(R"({"result":[null,"ab)") << QString();
    QTest::newRow("HTML error page") << echo << 500 << QByteArray("<html>Internal Server Error</html>") << QString();
    QTest::newRow("no result member") << echo << 200 << QByteArray(R"({"other":1})") << QString();
    QTest::newRow("result missing") << echo << 200 << QByteArray(R"({"result":[null]})") << QString();
    QTest::newRow("too many values") << echo << 200 << QByteArray(R"({"result":[null,"a","b"]})") << QString();
    QTest::newRow("result of the wrong kind") << echo << 200 << QByteArray(R"({"result":[null,12]})") << QString();
    QTest::newRow("out-value of the wrong kind") << rates << 200 << QByteArray(R"({"result":["x",1.5,1]})") << QString();
    QTest::newRow("int32 out of range") << rates << 200 << QByteArray(R"({"result":[1,1,4294967296]})") << QString();
    QTest::newRow("result not an array") << echo << 200 << QByteArray(R"({"result":"a"})") << QString();
    QTest::newRow("record of another class") << login << 200
        << QByteArray(R"({"result":[null,{"type":"baglantiu.TTusSonuclari","id":1,"fields":{}}]})") << QString();
    QTest::newRow("record with a bad field") << login << 200
        << QByteArray(R"({"result":[null,{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":"bir"}}]})") << QString();
    QTest::newRow("table with a short row") << search << 200
        << QByteArray(R"({"result":[null,null,{"columns":[{"name":"A","type":"int32"}],"rows":[[]]}]})") << QString();
    QTest::newRow("error reply") << echo << 500
        << QByteArray(R"({"error":{"class":"EDatabaseError","message":"Kayıt kilitli"}})") << QStringLiteral("EDatabaseError");
    QTest::newRow("result with an error status") << echo << 502 << QByteArray(R"({"result":[null,"a"]})") << QString();
}

// A server that answers calls with a fixed reply: what a broken or hostile peer could send.
void TestProtocol::malformedRepliesRaiseProtocolErrors()
{
    QFETCH(QByteArray, command);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, errorClass);
    HttpServer evil({}, [&](HttpRequest &&req, HttpResponder respond) {
        HttpResponse res;
        if (req.target == "/datasnap/hello") {
            res.body = R"({"protocol":1})";
        } else {
            res.status = status;
            res.body = body.toStdString();
        }
        respond(std::move(res));
    });
    evil.start();
    Connection con;
    con.HostName = QStringLiteral("127.0.0.1");
    con.Port = evil.port();
    con.open();
    TServerMethods1Client proxy(&con);
    try {
        if (command == "EchoString") {
            proxy.EchoString(QStringLiteral("a"));
        } else if (command == "KurlariAl") {
            double usd, eur;
            proxy.KurlariAl(usd, eur);
        } else if (command == "StokAraGetir") {
            proxy.StokAraGetir(QStringLiteral("a"), nullptr);
        } else {
            proxy.BuyukGetir(QStringLiteral("a"));
        }
        QFAIL("a malformed reply must raise");
    } catch (const RemoteError &e) {
        QCOMPARE(e.className(), errorClass);
        QCOMPARE(e.message(), QStringLiteral("Kayıt kilitli"));
    } catch (const ProtocolError &e) {
        QVERIFY2(errorClass.isEmpty(), qPrintable(e.message()));
        QVERIFY(!e.message().isEmpty());
    }
}

void TestProtocol::malformedCallsGetClearErrorReplies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorClass");
    QTest::addColumn<QString>("mentions");

    const QString param = QStringLiteral("EVexorParamError");
    QTest::newRow("not JSON") << QByteArray("{{{") << 400 << QStringLiteral("EVexorProtocolError") << QString();
    QTest::newRow("invalid UTF-8") << QByteArray("{\"command\":\"TServerMethods1.EchoString\",\"params\":[\"\xff\xfe\"]}")
                                   << 400 << QStringLiteral("EVexorProtocolError") << QString();
    QTest::newRow("params missing") << QByteArray(R"({"command":"TServerMethods1.EchoString"})") << 400
                                    << QStringLiteral("EVexorProtocolError") << QString();
    QTest::newRow("unknown command") << QByteArray(R"({"command":"TServerMethods1.YokBoyle","params":[]})") << 404
                                     << QStringLiteral("EVexorUnknownMethod") << QStringLiteral("YokBoyle");
    QTest::newRow("wrong case") << QByteArray(R"({"command":"TServerMethods1.acilisREklamVer","params":[0]})") << 404
                                << QStringLiteral("EVexorUnknownMethod") << QString();
    QTest::newRow("other class") << QByteArray(R"({"command":"TOther.EchoString","params":["a"]})") << 404
                                 << QStringLiteral("EVexorUnknownMethod") << QString();
    QTest::newRow("too few") << QByteArray(R"({"command":"TServerMethods1.EchoString","params":[]})") << 400 << param
                             << QStringLiteral("TServerMethods1.EchoString");
    QTest::newRow("wrong kind") << QByteArray(R"({"command":"TServerMethods1.EchoString","params":[5]})") << 400 << param
                                << QStringLiteral("'Value'");
    QTest::newRow("int32 not integral") << QByteArray(R"({"command":"TServerMethods1.SepetSecimGuncelle","params":[1.5,1]})")
                                        << 400 << param << QStringLiteral("0. konumdaki 'sirano'");
    QTest::newRow("int32 too large") << QByteArray(R"({"command":"TServerMethods1.SepetSecimGuncelle","params":[1,3000000000]})")
                                     << 400 << param << QStringLiteral("'secim'");
    QTest::newRow("out-value sent") << QByteArray(R"({"command":"TServerMethods1.KurlariAl","params":[1,null]})") << 400
                                    << param << QStringLiteral("'usd'");
    QTest::newRow("record of unknown class") << QByteArray(
        R"({"command":"TServerMethods1.SepetSayisi","params":[{"type":"x.TYok","id":1,"fields":{}}]})")
                                             << 400 << param << QStringLiteral("'bil'");
    QTest::newRow("record of the wrong class") << QByteArray(
        R"({"command":"TServerMethods1.SepetSayisi","params":[{"type":"baglantiu.TTusSonuclari","id":1,"fields":{}}]})")
                                               << 400 << param << QStringLiteral("baglantiu.TSonucBilgisi");
    QTest::newRow("record field of the wrong kind") << QByteArray(
        R"({"command":"TServerMethods1.SepetSayisi","params":[{"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FCARINO":"7"}}]})")
                                                    << 400 << param << QStringLiteral("FCARINO");
    QTest::newRow("record as text") << QByteArray(R"({"command":"TServerMethods1.SepetSayisi","params":["{}"]})") << 400
                                    << param << QStringLiteral("'bil'");
    QTest::newRow("callback malformed") << QByteArray(
        R"({"command":"TServerMethods1.MobilStokaraGeri","params":["a",null,0,1,{"cb":1}]})") << 400 << param
                                        << QStringLiteral("'geri'");
    QTest::newRow("SQL in the text is only text") << QByteArray(
        R"({"command":"TServerMethods1.EchoString","params":["' OR 1=1 --"]})") << 200 << QString() << QString();
}

void TestProtocol::malformedCallsGetClearErrorReplies()
{
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QString, errorClass);
    QFETCH(QString, mentions);
    int httpStatus = 0;
    const std::string reply = AppServer::processCall(*m_methods, body.toStdString(), httpStatus);
    QCOMPARE(httpStatus, status);
    const QJsonObject envelope = QJsonDocument::fromJson(QByteArray::fromStdString(reply)).object();
    if (errorClass.isEmpty()) {
        QVERIFY(envelope.contains(QStringLiteral("result")));
        return;
    }
    const QJsonObject error = envelope.value(QStringLiteral("error")).toObject();
    QCOMPARE(error.value(QStringLiteral("class")).toString(), errorClass);
    QVERIFY2(error.value(QStringLiteral("message")).toString().contains(mentions), qPrintable(error.value(QStringLiteral("message")).toString()));
}

// Oversized bodies, garbage and dropped connections cost the server nothing: concurrent clients
// are served throughout.
void TestProtocol::serverKeepsServingAfterAbuse()
{
    std::atomic<int> okCalls{0};
    std::atomic<bool> failed{false};
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t) {
        clients.emplace_back([&, t] {
            try {
                Connection con;
                con.HostName = QStringLiteral("127.0.0.1");
                con.Port = m_server->port();
                con.open();
                TServerMethods1Client proxy(&con);
                for (int i = 0; i < 50; ++i) {
                    const QString text = QStringLiteral("istemci %1 çağrı %2").arg(t).arg(i);
                    if (proxy.EchoString(text) != text)
                        failed = true;
                    ++okCalls;
                }
            } catch (...) {
                failed = true;
            }
        });
    }
    // Meanwhile: a 9 MB body, raw garbage, and a request cut off half way.
    const QList<QByteArray> abuse = {
        QByteArray("POST /datasnap/call HTTP/1.1\r\nHost: x\r\nContent-Length: 9437184\r\n\r\n") + QByteArray(9437184, 'a'),
        QByteArray("\x16\x03\x01garbage\r\n\r\n"),
        QByteArray("POST /datasnap/call HTTP/1.1\r\nContent-Length: 100\r\n\r\n{\"comm")};
    for (const QByteArray &raw : abuse) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, m_server->port());
        QVERIFY(s.waitForConnected(5000));
        s.write(raw);
        s.waitForBytesWritten(5000);
        if (raw.startsWith("POST /datasnap/call HTTP/1.1\r\nHost")) {
            QVERIFY(s.waitForReadyRead(10000));
            QVERIFY(s.readAll().startsWith("HTTP/1.1 413"));
        }
        s.abort();
    }
    for (auto &c : clients)
        c.join();
    QVERIFY(!failed);
    QCOMPARE(okCalls.load(), 200);
}

void TestProtocol::baglantiAcWithTheServerDown_data()
{
    QTest::addColumn<int>("mesaj");
    QTest::addColumn<int>("messages");
    QTest::newRow("tell the user") << 1 << 1;
    QTest::newRow("silent") << 0 << 0;
}

void TestProtocol::baglantiAcWithTheServerDown()
{
    QFETCH(int, mesaj);
    QFETCH(int, messages);
    Connection con;
    con.HostName = QStringLiteral("127.0.0.1");
    con.Port = freePort();
    QList<int> waits;
    QVERIFY(!BaglantiAc(con, mesaj, [&](int ms) { waits << ms; }));
    QCOMPARE(waits, QList<int>(11, 500));
    QVERIFY(!con.isOpen());
    QCOMPARE(m_presenter->messages.size(), messages);
    if (messages) {
        QCOMPARE(m_presenter->messages.first(), QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!"));
        QCOMPARE(m_presenter->kinds.first(), int(MessageError));
    }
}

void TestProtocol::baglantiAcWhenTheServerAppearsAtTheFifthAttempt()
{
    ServerSettings settings;
    settings.port = freePort();
    AppServer late(settings, std::make_shared<TServerMethods1>(settings, nullptr));
    Connection con;
    con.HostName = QStringLiteral("127.0.0.1");
    con.Port = settings.port;
    int waits = 0;
    QVERIFY(BaglantiAc(con, 1, [&](int) {
        if (++waits == 4)
            late.start();
    }));
    QCOMPARE(waits, 4);
    QVERIFY(con.isOpen());
    QVERIFY(m_presenter->messages.isEmpty());
    TServerMethods1Client proxy(&con);
    QCOMPARE(proxy.EchoString(QStringLiteral("geldi")), QStringLiteral("geldi"));
}

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
