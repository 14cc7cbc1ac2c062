// Log-in and stock search over real HTTP: vexor-server on an OS-picked loopback port with a
// small seeded database, called through the generated client proxy as the client calls it.
#include "admin.h"
#include "appserver.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"
#include "storage/search.h"

#include "server/connection.h"
#include "server/errors.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include "common/formats.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vexor;

namespace {

double round2(double v)
{
    return roundHalfAwayFromZero(v, 2);
}

std::unique_ptr<TSonucBilgisi> copyOf(const TSonucBilgisi &record)
{
    auto copy = std::make_unique<TSonucBilgisi>();
    copy->Kopyala(record);
    return copy;
}

QList<int> idsOf(const MemTable &t)
{
    QList<int> ids;
    const int column = t.fieldIndex(u"STOK_STOKNO");
    for (int r = 0; r < t.rowCount(); ++r)
        ids << int(t.asInt(r, column));
    return ids;
}

// The row of one stock, or -1.
int rowOf(const MemTable &t, int stockId)
{
    return int(idsOf(t).indexOf(stockId));
}

double number(const MemTable &t, int row, const char *column)
{
    const int c = t.fieldIndex(QString::fromLatin1(column));
    Q_ASSERT(c >= 0);
    return t.asDouble(row, c);
}

QString text(const MemTable &t, int row, const char *column)
{
    return t.asString(row, t.fieldIndex(QString::fromLatin1(column)));
}

MemTable tableOf(TableReader *reader)
{
    MemTable t;
    copyReaderToTable(*reader, t);
    return t;
}

class FixedCallback : public RemoteCallback
{
public:
    QString callbackId() const override { return QStringLiteral("stok-geri-1"); }
    QJsonValue Execute(const QJsonValue &argument) override { return argument; }
};

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void logInRecord_data();
    void logInRecord();
    void versionComesFromTheServer();

    void searchColumnsAndKinds();
    void pricesOfTheSessionsAccount_data();
    void pricesOfTheSessionsAccount();
    void campaignPrices();
    void sessionIsCheckedByTheServer();
    void capAndStableOrder();
    void codesFindTheirStockFirst_data();
    void codesFindTheirStockFirst();
    void turkishLettersAreFolded();
    void abuseIsHarmless_data();
    void abuseIsHarmless();
    void malformedCallsNeverReachTheDatabase();
    void siblingsAnswerLikeTheMainSearch();
    void formsWithoutSession();
    void mobileSearches();
    void picturesAsStreams();
    void newAndCampaignLists();
    void searchesAreLogged();
    void departments();

private:
    TSonucBilgisi sessionOf(const QString &user);
    // A stock on no campaign of the given brand (0: of a brand without rules for account 1).
    int plainStockOfBrand(int brand);

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<Connection> m_con;
    std::unique_ptr<TServerMethods1Client> m_proxy;
};

void TestSearch::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    m_db = Database::create(m_dir.filePath(QStringLiteral("search.db")));
    DemoOptions options;
    options.stocks = 2000;
    options.accounts = 12;
    options.seed = 3;
    options.today = QDate(2026, 3, 14);
    seedDemoData(*m_db, options);

    ServerSettings settings;
    settings.port = 0;
    m_server = std::make_unique<AppServer>(settings, std::make_shared<TServerMethods1>(settings, m_db));
    m_server->start();
    m_con = std::make_unique<Connection>();
    m_con->HostName = QStringLiteral("127.0.0.1");
    m_con->Port = m_server->port();
    m_con->open();
    m_proxy = std::make_unique<TServerMethods1Client>(m_con.get());
}

void TestSearch::cleanupTestCase()
{
    m_proxy.reset();
    m_con.reset();
    m_server.reset();
}

TSonucBilgisi TestSearch::sessionOf(const QString &user)
{
    TSonucBilgisi s;
    TSonucBilgisi *r = m_proxy->BuyukGetir(QStringLiteral("DEMO-") + user);
    if (r)
        s.Kopyala(*r);
    return s;
}

int TestSearch::plainStockOfBrand(int brand)
{
    const QString sql = brand > 0
        ? QStringLiteral("SELECT id FROM stocks WHERE brand_id = ? AND campaign = 0 AND active = 1 ORDER BY id LIMIT 1")
        : QStringLiteral("SELECT id FROM stocks WHERE brand_id NOT IN (4, 24) AND campaign = 0 AND active = 1 AND ? = 0 "
                         "ORDER BY id LIMIT 1");
    return m_db->scalar(sql, {brand}).value_or(0).toInt();
}

void TestSearch::logInRecord_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<bool>("known");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("rep");

    QTest::newRow("dealer") << QStringLiteral("DEMO-BAYI") << true << QStringLiteral("BAYI") << 3 << 1 << 1 << 1;
    QTest::newRow("identity as typed, blanks and case") << QStringLiteral(" demo-bayi0 ") << true << QStringLiteral("BAYI0") << 0
                                                        << 1 << 2 << 2;
    QTest::newRow("dealer without campaigns") << QStringLiteral("DEMO-BAYI4") << true << QStringLiteral("BAYI4") << 4 << 1 << 3
                                              << 3;
    QTest::newRow("inactive user is known but not active") << QStringLiteral("DEMO-PASIF") << true << QStringLiteral("PASIF")
                                                           << 3 << 0 << 4 << -1;
    QTest::newRow("representative chooses the account later") << QStringLiteral("DEMO-TEMSILCI1") << true
                                                              << QStringLiteral("TEMSILCI1") << 1 << 1 << 0 << 1;
    QTest::newRow("sales manager") << QStringLiteral("DEMO-MUDUR") << true << QStringLiteral("MUDUR") << 2 << 1 << 0 << 3;
    QTest::newRow("unknown machine") << QStringLiteral("WD-WX41A1234") << false << QString() << 1 << 0 << 0 << 0;
    QTest::newRow("no identity") << QString() << false << QString() << 1 << 0 << 0 << 0;
}

void TestSearch::logInRecord()
{
    QFETCH(QString, machine);
    QFETCH(bool, known);
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(int, active);
    QFETCH(int, account);
    QFETCH(int, rep);

    TSonucBilgisi *r = m_proxy->BuyukGetir(machine);
    QVERIFY(r);
    QCOMPARE(r->Varmi(), known);
    QCOMPARE(r->BILGISAYARID(), machine);
    QCOMPARE(r->ADI(), name);
    QCOMPARE(r->MusteriTipi(), kind);
    QCOMPARE(r->AKTIF(), active);
    QCOMPARE(r->CARINO(), account);
    QCOMPARE(r->Version(), 1);
    // The workstation fields are the client's to fill.
    QVERIFY(r->BilgiSayarAdi().isEmpty() && r->Disip().isEmpty() && r->Icip().isEmpty() && r->BilgisayarKullanici().isEmpty());
    if (!known) {
        QCOMPARE(r->Sirano(), 0);
        QVERIFY(r->SIFRE().isEmpty());
        return;
    }
    QSqlQuery u = m_db->exec(QStringLiteral("SELECT id, password, email FROM users WHERE name = ?"), {name});
    QVERIFY(u.next());
    QCOMPARE(r->Sirano(), u.value(0).toInt());
    QCOMPARE(r->SIFRE(), u.value(1).toString());
    QCOMPARE(r->Kullanicimail(), u.value(2).toString());
    if (account > 0) {
        QSqlQuery a = m_db->exec(QStringLiteral("SELECT code, name, rep_id FROM accounts WHERE id = ?"), {account});
        QVERIFY(a.next());
        QCOMPARE(r->carikod(), a.value(0).toString());
        QCOMPARE(r->CariAdi(), a.value(1).toString());
        if (rep < 0)
            rep = a.value(2).toInt();
    } else {
        QVERIFY(r->carikod().isEmpty() && r->CariAdi().isEmpty());
    }
    QSqlQuery s = m_db->exec(QStringLiteral("SELECT name, email, phone FROM representatives WHERE id = ?"), {rep});
    QVERIFY(s.next());
    QCOMPARE(r->SaticiNo(), rep);
    QCOMPARE(r->SaticiAdi(), s.value(0).toString());
    QCOMPARE(r->SaticiMail(), s.value(1).toString());
    QCOMPARE(r->SaticiTelefon(), s.value(2).toString());
}

void TestSearch::versionComesFromTheServer()
{
    setClientVersion(*m_db, 3);
    QCOMPARE(m_proxy->BuyukGetir(QStringLiteral("DEMO-BAYI"))->Version(), 3);
    // Unknown machines update first, too.
    QCOMPARE(m_proxy->BuyukGetir(QStringLiteral("WD-NEW"))->Version(), 3);
    m_db->change(QStringLiteral("UPDATE users SET version = 5 WHERE name = 'BAYI0'"));
    QCOMPARE(m_proxy->BuyukGetir(QStringLiteral("DEMO-BAYI0"))->Version(), 5);
    m_db->change(QStringLiteral("UPDATE users SET version = NULL WHERE name = 'BAYI0'"));
    setClientVersion(*m_db, 1);
    QCOMPARE(m_proxy->BuyukGetir(QStringLiteral("DEMO-BAYI0"))->Version(), 1);
}

void TestSearch::searchColumnsAndKinds()
{
    const MemTable t = m_proxy->StokAraGetir(QStringLiteral("FREN"), copyOf(sessionOf(QStringLiteral("BAYI"))));
    QVERIFY(t.rowCount() > 10);
    const std::vector<std::pair<const char *, FieldType>> columns = {
        {"STOK_STOKNO", FieldType::Int32}, {"BARKOD", FieldType::String}, {"ADI", FieldType::String},
        {"MARKA", FieldType::String}, {"MODEL", FieldType::String}, {"FINISHKOD", FieldType::String},
        {"KDV", FieldType::Double}, {"FIYAT", FieldType::Double}, {"NETFIYAT", FieldType::Double},
        {"KDVDAHIL", FieldType::Double}, {"LISTEFIYAT1", FieldType::Double}, {"KAMPFIYAT", FieldType::Double},
        {"IND1", FieldType::Double}, {"IND2", FieldType::Double}, {"IND3", FieldType::Double}, {"IND4", FieldType::Double},
        {"INDIRIMYAZI", FieldType::String}, {"K", FieldType::Int32}, {"DURUM", FieldType::Int32}, {"RESIM", FieldType::Int32},
        {"Y", FieldType::Int32}, {"OEM1", FieldType::String}, {"OEM2", FieldType::String}, {"OEM3", FieldType::String},
        {"OEM4", FieldType::String}, {"URETICIKODU", FieldType::String}, {"BARKOD_BARKODNO", FieldType::Int32},
        {"DIGERADI", FieldType::String}, {"DPKOD", FieldType::String}, {"OEMNO", FieldType::String},
        {"BIRIM", FieldType::String}, {"ANAGRUP", FieldType::String}, {"OZELKOD", FieldType::String},
        {"KALAN", FieldType::Double}, {"PKOD", FieldType::String}, {"ALINANSIPARIS", FieldType::Double},
        {"VERILENSIPARIS", FieldType::Double}, {"ESKIFIYAT", FieldType::Double}, {"INDIRIM", FieldType::Double},
    };
    for (const auto &[name, type] : columns) {
        const int c = t.fieldIndex(QString::fromLatin1(name));
        QVERIFY2(c >= 0, name);
        QVERIFY2(t.field(c).type == type, name);
    }
    for (int r = 0; r < t.rowCount(); ++r) {
        QVERIFY(number(t, r, "DURUM") >= 0 && number(t, r, "DURUM") <= 5);
        for (const char *flag : {"RESIM", "Y", "K"})
            QVERIFY(number(t, r, flag) == 0 || number(t, r, flag) == 1);
        QVERIFY(!text(t, r, "ADI").isEmpty());
        QVERIFY(!text(t, r, "INDIRIMYAZI").isEmpty());
        QVERIFY(number(t, r, "NETFIYAT") <= number(t, r, "FIYAT"));
        QVERIFY(number(t, r, "KDVDAHIL") >= number(t, r, "NETFIYAT"));
    }
    // The open order balances of every account count into ALINANSIPARIS.
    const auto busy = m_db->scalar(QStringLiteral(
        "SELECT stock_id FROM order_lines WHERE delivered + cancelled < quantity GROUP BY stock_id ORDER BY stock_id LIMIT 1"));
    QVERIFY(busy);
    const double open = m_db->scalar(QStringLiteral("SELECT SUM(quantity - delivered - cancelled) FROM order_lines WHERE stock_id = ?"),
                                     {*busy})->toDouble();
    const QString code = m_db->scalar(QStringLiteral("SELECT code FROM stocks WHERE id = ?"), {*busy})->toString();
    const MemTable one = m_proxy->StokAraGetir(code, copyOf(sessionOf(QStringLiteral("TEMSILCI1"))));
    QCOMPARE(number(one, rowOf(one, busy->toInt()), "ALINANSIPARIS"), open);
}

void TestSearch::pricesOfTheSessionsAccount_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("carino"); // for representatives: the chosen account
    QTest::addColumn<int>("brand");
    QTest::addColumn<QList<double>>("rates");
    QTest::addColumn<QString>("text");

    using L = QList<double>;
    QTest::newRow("dealer, brand rule") << QStringLiteral("BAYI") << 0 << 4 << L{20, 10, 5, 0} << QStringLiteral("20+10+5");
    QTest::newRow("dealer, another brand rule") << QStringLiteral("BAYI") << 0 << 24 << L{30, 0, 0, 0} << QStringLiteral("30");
    QTest::newRow("dealer, general rule") << QStringLiteral("BAYI") << 0 << 0 << L{10, 5, 0, 0} << QStringLiteral("10+5");
    QTest::newRow("representative acting for the account") << QStringLiteral("TEMSILCI1") << 1 << 4 << L{20, 10, 5, 0}
                                                            << QStringLiteral("20+10+5");
    QTest::newRow("representative before choosing: list prices") << QStringLiteral("TEMSILCI1") << 0 << 4 << L{0, 0, 0, 0}
                                                                 << QStringLiteral("0");
}

void TestSearch::pricesOfTheSessionsAccount()
{
    QFETCH(QString, user);
    QFETCH(int, carino);
    QFETCH(int, brand);
    QFETCH(QList<double>, rates);
    QFETCH(QString, text);

    const int stock = plainStockOfBrand(brand);
    QVERIFY(stock > 0);
    QSqlQuery s = m_db->exec(QStringLiteral("SELECT code, list_price, vat_rate FROM stocks WHERE id = ?"), {stock});
    QVERIFY(s.next());
    TSonucBilgisi session = sessionOf(user);
    if (carino)
        session.setCARINO(carino);
    const MemTable t = m_proxy->StokAraGetir(s.value(0).toString(), copyOf(session));
    const int row = rowOf(t, stock);
    QCOMPARE(row, 0);
    const double list = s.value(1).toDouble();
    double net = list;
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(number(t, row, QStringLiteral("IND%1").arg(i + 1).toLatin1().constData()), rates[i]);
        net = net * (100 - rates[i]) / 100;
    }
    net = round2(net);
    QCOMPARE(number(t, row, "FIYAT"), list);
    QCOMPARE(number(t, row, "LISTEFIYAT1"), list);
    QCOMPARE(number(t, row, "KAMPFIYAT"), 0.0);
    QCOMPARE(number(t, row, "K"), 0.0);
    QCOMPARE(number(t, row, "NETFIYAT"), net);
    QCOMPARE(number(t, row, "KDVDAHIL"), round2(net * (1 + s.value(2).toDouble() / 100)));
    QCOMPARE(::text(t, row, "INDIRIMYAZI"), text);
}

void TestSearch::campaignPrices()
{
    QSqlQuery s = m_db->exec(QStringLiteral("SELECT id, code, list_price, campaign_price FROM stocks WHERE campaign = 1 AND active = 1 "
                                            "ORDER BY id LIMIT 1"));
    QVERIFY(s.next());
    const int stock = s.value(0).toInt();
    const MemTable dealer = m_proxy->StokAraGetir(s.value(1).toString(), copyOf(sessionOf(QStringLiteral("BAYI"))));
    int row = rowOf(dealer, stock);
    QCOMPARE(row, 0);
    QCOMPARE(number(dealer, row, "K"), 1.0);
    QCOMPARE(number(dealer, row, "FIYAT"), s.value(3).toDouble());
    QCOMPARE(number(dealer, row, "KAMPFIYAT"), s.value(3).toDouble());
    QCOMPARE(number(dealer, row, "LISTEFIYAT1"), s.value(2).toDouble());
    QCOMPARE(number(dealer, row, "NETFIYAT"), s.value(3).toDouble());
    for (const char *ind : {"IND1", "IND2", "IND3", "IND4"})
        QCOMPARE(number(dealer, row, ind), 0.0);
    QCOMPARE(text(dealer, row, "INDIRIMYAZI"), QStringLiteral("NET"));

    // A dealer of kind 4 takes part in no campaign: list price and the account's discounts.
    const MemTable noCampaign = m_proxy->StokAraGetir(s.value(1).toString(), copyOf(sessionOf(QStringLiteral("BAYI4"))));
    row = rowOf(noCampaign, stock);
    QCOMPARE(row, 0);
    QCOMPARE(number(noCampaign, row, "K"), 0.0);
    QCOMPARE(number(noCampaign, row, "KAMPFIYAT"), 0.0);
    QCOMPARE(number(noCampaign, row, "FIYAT"), s.value(2).toDouble());
    QVERIFY(text(noCampaign, row, "INDIRIMYAZI") != QStringLiteral("NET"));
}

void TestSearch::sessionIsCheckedByTheServer()
{
    const int stock = plainStockOfBrand(4);
    const QString code = m_db->scalar(QStringLiteral("SELECT code FROM stocks WHERE id = ?"), {stock})->toString();
    // A dealer's record that names another account still gets the dealer's own prices.
    int other = 0;
    for (int account = 2; account <= 12 && !other; ++account) {
        if (loadAccountPricing(*m_db, account).forBrand(4).rates != loadAccountPricing(*m_db, 1).forBrand(4).rates)
            other = account;
    }
    QVERIFY(other > 0);
    TSonucBilgisi spoofed = sessionOf(QStringLiteral("BAYI"));
    spoofed.setCARINO(other);
    const MemTable own = m_proxy->StokAraGetir(code, copyOf(spoofed));
    const int row = rowOf(own, stock);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(number(own, row, QStringLiteral("IND%1").arg(i + 1).toLatin1().constData()),
                 loadAccountPricing(*m_db, 1).forBrand(4).rates[size_t(i)]);

    auto refused = [&](std::unique_ptr<TSonucBilgisi> record) {
        try {
            m_proxy->StokAraGetir(code, std::move(record));
        } catch (const RemoteError &e) {
            return e.className();
        }
        return QStringLiteral("answered");
    };
    const QString sessionError = QStringLiteral("EVexorSessionError");
    // A representative acts only for accounts of their own.
    const int othersAccount = m_db->scalar(QStringLiteral("SELECT id FROM accounts WHERE rep_id <> 1 ORDER BY id LIMIT 1"))->toInt();
    TSonucBilgisi rep = sessionOf(QStringLiteral("TEMSILCI1"));
    rep.setCARINO(othersAccount);
    QCOMPARE(refused(copyOf(rep)), sessionError);
    rep.setCARINO(999999);
    QCOMPARE(refused(copyOf(rep)), sessionError);
    TSonucBilgisi unknown;
    unknown.setBILGISAYARID(QStringLiteral("WD-UNKNOWN"));
    unknown.setCARINO(1);
    QCOMPARE(refused(copyOf(unknown)), sessionError);
    QCOMPARE(refused(copyOf(sessionOf(QStringLiteral("PASIF")))), sessionError);
    QCOMPARE(refused(nullptr), sessionError);
}

void TestSearch::capAndStableOrder()
{
    const auto session = sessionOf(QStringLiteral("BAYI"));
    const MemTable first = m_proxy->StokAraGetir(QStringLiteral("869"), copyOf(session));
    QCOMPARE(first.rowCount(), kSearchCap);
    const std::vector<int> expected = findStocks(*m_db, u"869");
    QCOMPARE(idsOf(first), QList<int>(expected.begin(), expected.end()));
    const MemTable again = m_proxy->StokAraGetir(QStringLiteral("869"), copyOf(session));
    QCOMPARE(idsOf(again), idsOf(first));
}

void TestSearch::codesFindTheirStockFirst_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<bool>("squeeze"); // drop blanks and separators, lower case

    QTest::newRow("code") << QStringLiteral("code") << false;
    QTest::newRow("code typed without separator, lower case") << QStringLiteral("code") << true;
    QTest::newRow("barcode") << QStringLiteral("barcode") << false;
    QTest::newRow("OEM number as written") << QStringLiteral("oem_no") << false;
    QTest::newRow("OEM number without blanks") << QStringLiteral("oem_no") << true;
    QTest::newRow("manufacturer code") << QStringLiteral("maker_code") << false;
}

void TestSearch::codesFindTheirStockFirst()
{
    QFETCH(QString, column);
    QFETCH(bool, squeeze);
    const auto session = sessionOf(QStringLiteral("BAYI"));
    // Five stocks spread over the catalogue, each with an OEM number.
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT id, %1 FROM stocks WHERE oem_no <> '' AND active = 1 AND id % 397 = 1").arg(column));
    int checked = 0;
    while (q.next()) {
        QString code = q.value(1).toString();
        if (squeeze)
            code = code.remove(QRegularExpression(QStringLiteral("[^0-9A-Za-z]"))).toLower();
        const MemTable t = m_proxy->StokAraGetir(code, copyOf(session));
        QVERIFY2(t.rowCount() > 0, qPrintable(code));
        QCOMPARE(idsOf(t).first(), q.value(0).toInt());
        ++checked;
    }
    QVERIFY(checked >= 3);
}

void TestSearch::turkishLettersAreFolded()
{
    const auto session = sessionOf(QStringLiteral("BAYI"));
    const QList<int> plain = idsOf(m_proxy->StokAraGetir(QStringLiteral("BALATASI ON"), copyOf(session)));
    QVERIFY(!plain.isEmpty());
    for (const QString &typed : {QStringLiteral("balatası ön"), QStringLiteral("Balatasi Ön"), QStringLiteral("BALATASİ ÖN")})
        QCOMPARE(idsOf(m_proxy->StokAraGetir(typed, copyOf(session))), plain);
}

void TestSearch::abuseIsHarmless_data()
{
    QTest::addColumn<QString>("kod");
    QTest::newRow("always true") << QStringLiteral("' OR 1=1 --");
    QTest::newRow("stacked statement") << QStringLiteral("'; DROP TABLE stocks; --");
    QTest::newRow("percent") << QStringLiteral("%");
    QTest::newRow("underscore") << QStringLiteral("_");
    QTest::newRow("wildcards around a word") << QStringLiteral("%fren_");
    QTest::newRow("single quotes") << QStringLiteral("'''");
    QTest::newRow("double quotes") << QStringLiteral("\"\"\"fren\"");
    QTest::newRow("FTS5 syntax") << QStringLiteral("fren* NEAR(a, b) ^c {codes words}: -d + \"e");
    QTest::newRow("FTS5 operators alone") << QStringLiteral("AND OR NOT");
    QTest::newRow("backslashes and NUL") << QStringLiteral("\\\\ \\0 ") + QChar(0) + QStringLiteral("fren");
    QTest::newRow("10,000 characters") << QString(10000, QLatin1Char('x'));
    QTest::newRow("10,000 mixed characters") << QStringLiteral("fren' %_\" ").repeated(1000);
    QTest::newRow("invalid UTF-8 as decoded") << QString::fromUtf8("\xc3\x28 \xff\xfe fren \xe2\x82");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("fren");
    QTest::newRow("emoji and superscripts") << QStringLiteral("🚗 x² ª fren");
    QTest::newRow("blank") << QStringLiteral("   ");
}

void TestSearch::abuseIsHarmless()
{
    QFETCH(QString, kod);
    const auto session = sessionOf(QStringLiteral("BAYI"));
    try {
        const MemTable t = m_proxy->StokAraGetir(kod, copyOf(session));
        QVERIFY(t.rowCount() <= kSearchCap);
        QVERIFY(t.fieldIndex(u"NETFIYAT") >= 0);
        QVERIFY(tableOf(m_proxy->ZelnadeAra(kod)).rowCount() <= kSearchCap);
        QVERIFY(m_proxy->MobilStokara(kod, copyOf(session), 0, 20)->Items().size() <= 20);
    } catch (const VexorError &e) {
        QFAIL(qPrintable(QStringLiteral("%1: %2").arg(e.className(), e.message())));
    }
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM stocks"))->toInt(), 2000);
    QVERIFY(m_proxy->StokAraGetir(QStringLiteral("FREN"), copyOf(session)).rowCount() > 0);
}

void TestSearch::malformedCallsNeverReachTheDatabase()
{
    auto methods = std::make_shared<TServerMethods1>(ServerSettings(), m_db);
    const QByteArray bilgi = R"({"type":"baglantiu.TSonucBilgisi","id":1,"fields":{"FBILGISAYARID":"DEMO-BAYI"}})";
    const QList<QByteArray> bodies = {
        QByteArray(R"({"command":"TServerMethods1.StokAraGetir","params":[")") + QByteArray("\xff\xfe' OR 1=1", 10) + "\"," + bilgi + "]}",
        QByteArray(R"({"command":"TServerMethods1.StokAraGetir","params":[1,)") + bilgi + "]}",
        QByteArray(R"({"command":"TServerMethods1.StokAraGetir","params":["fren"]})"),
        QByteArray(R"({"command":"TServerMethods1.MobilStokaraGeri","params":["fren",)") + bilgi + R"(,0,10,{"callback":"a\u0001b"}]})",
    };
    for (const QByteArray &body : bodies) {
        int status = 0;
        const QByteArray reply = QByteArray::fromStdString(AppServer::processCall(*methods, body.toStdString(), status));
        QCOMPARE(status, 400);
        const QString message = QJsonDocument::fromJson(reply).object().value(QStringLiteral("error")).toObject()
                                    .value(QStringLiteral("message")).toString();
        QVERIFY(!message.isEmpty());
        for (const char *internal : {"SELECT", "stock_search", "sqlite", "MATCH"})
            QVERIFY2(!message.contains(QLatin1String(internal), Qt::CaseInsensitive), qPrintable(message));
    }
}

void TestSearch::siblingsAnswerLikeTheMainSearch()
{
    const auto session = sessionOf(QStringLiteral("BAYI"));
    const QString kod = QStringLiteral("fren bal");
    const MemTable main = m_proxy->StokAraGetir(kod, copyOf(session));
    QVERIFY(main.rowCount() > 0);
    const QList<MemTable> siblings = {
        tableOf(m_proxy->StokAraTarsel(kod, copyOf(session))), tableOf(m_proxy->StokAraLindor(kod, copyOf(session))),
        m_proxy->StokAraLindor2(kod, copyOf(session)), tableOf(m_proxy->StokAraZelna(kod, copyOf(session))),
        tableOf(m_proxy->Tavinor(kod, copyOf(session)))};
    for (const MemTable &t : siblings) {
        QCOMPARE(idsOf(t), idsOf(main));
        for (int r = 0; r < t.rowCount(); ++r)
            QCOMPARE(number(t, r, "NETFIYAT"), number(main, r, "NETFIYAT"));
    }
}

void TestSearch::formsWithoutSession()
{
    const int stock = plainStockOfBrand(4);
    const QString code = m_db->scalar(QStringLiteral("SELECT code FROM stocks WHERE id = ?"), {stock})->toString();
    MemTable t = tableOf(m_proxy->StokAra(code, QStringLiteral("1"), 3));
    QCOMPARE(number(t, rowOf(t, stock), "IND1"), 20.0);
    t = tableOf(m_proxy->StokAra(code, QStringLiteral("bir"), 3));
    QCOMPARE(number(t, rowOf(t, stock), "IND1"), 0.0);
    t = tableOf(m_proxy->ZelnadeAra(code));
    QCOMPARE(number(t, rowOf(t, stock), "NETFIYAT"), number(t, rowOf(t, stock), "LISTEFIYAT1"));

    const QString campaignCode = m_db->scalar(QStringLiteral("SELECT code FROM stocks WHERE campaign = 1 ORDER BY id LIMIT 1"))->toString();
    t = tableOf(m_proxy->StokAra(campaignCode, QStringLiteral("1"), 3));
    QCOMPARE(number(t, 0, "K"), 1.0);
    t = tableOf(m_proxy->StokAra(campaignCode, QStringLiteral("1"), 4));
    QCOMPARE(number(t, 0, "K"), 0.0);
}

void TestSearch::mobileSearches()
{
    const auto session = sessionOf(QStringLiteral("BAYI"));
    const MemTable table = m_proxy->StokAraGetir(QStringLiteral("FREN"), copyOf(session));
    QVERIFY(table.rowCount() > 25);

    const RecordList<TMobilStok> &first = m_proxy->MobilStokara(QStringLiteral("FREN"), copyOf(session), 0, 10)->Items();
    QCOMPARE(int(first.size()), 10);
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(first[size_t(i)]->StokNo(), idsOf(table)[i]);
        QCOMPARE(first[size_t(i)]->NetFiyat(), number(table, i, "NETFIYAT"));
        QCOMPARE(first[size_t(i)]->Fiyat(), number(table, i, "FIYAT"));
        QCOMPARE(first[size_t(i)]->Isk1(), number(table, i, "IND1"));
        QCOMPARE(first[size_t(i)]->Adi(), text(table, i, "ADI"));
    }
    QCOMPARE(int(m_proxy->MobilStokara(QStringLiteral("FREN"), copyOf(session), 1, 10)->Items().size()), 0);
    const QString code = text(table, 0, "FINISHKOD");
    QCOMPARE(int(m_proxy->MobilStokara(code, copyOf(session), 2, 10)->Items().size()), 0);
    QCOMPARE(m_proxy->MobilStokara(code, copyOf(session), 1, 10)->Items().front()->StokNo(), idsOf(table)[0]);
    try {
        m_proxy->MobilStokara(QStringLiteral("FREN"), copyOf(session), 9, 10);
        QFAIL("an unknown scope was accepted");
    } catch (const RemoteError &e) {
        QCOMPARE(e.className(), QStringLiteral("EVexorParamError"));
    }

    // Pages of 7 over the first 20 stocks.
    QList<int> paged;
    bool kalan = true;
    qint32 toplam = 0;
    for (int ilk = 0; kalan; ilk += 7) {
        for (const auto &s : m_proxy->MobilStokaraAdimli(QStringLiteral("FREN"), copyOf(session), 0, 20, ilk, 7, kalan, toplam)->Items())
            paged << s->StokNo();
        QVERIFY(ilk < 40);
    }
    QCOMPARE(toplam, 20);
    QCOMPARE(paged, idsOf(table).mid(0, 20));
    QCOMPARE(int(m_proxy->MobilStokaraAdimli(QStringLiteral("FREN"), copyOf(session), 0, 20, 100, 7, kalan, toplam)->Items().size()), 0);
    QVERIFY(!kalan);

    FixedCallback callback;
    QCOMPARE(m_proxy->MobilStokaraGeri(QStringLiteral("FREN"), copyOf(session), 0, 15, &callback), 15);

    const int withPicture = m_db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NOT NULL ORDER BY id LIMIT 1"))->toInt();
    TMobilStok *one = m_proxy->MobilStokNoAra(withPicture, copyOf(session));
    QVERIFY(one);
    QCOMPARE(one->StokNo(), withPicture);
    QCOMPARE(one->ResimVar(), 1);
    qint64 boy = 0;
    const QByteArray jpeg = m_proxy->ResimVer5(withPicture, boy)->readAll();
    QCOMPARE(HexAkisaCevir(m_proxy->MobilStokNoAra(withPicture, copyOf(session))->Resim()), jpeg);
    QVERIFY(!m_proxy->MobilStokNoAra(999999, copyOf(session)));
}

void TestSearch::picturesAsStreams()
{
    const int withPicture = m_db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NOT NULL ORDER BY id DESC LIMIT 1"))->toInt();
    const int without = m_db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NULL ORDER BY id LIMIT 1"))->toInt();
    qint64 boy = -1;
    const QByteArray jpeg = m_proxy->ResimVer5(withPicture, boy)->readAll();
    QCOMPARE(boy, qint64(jpeg.size()));
    QImage picture;
    QVERIFY(picture.loadFromData(jpeg, "JPG"));
    QCOMPARE(picture.size(), QSize(480, 360));

    qint64 arrayBoy = 0;
    const QJsonArray array = m_proxy->ResimVer6(withPicture, arrayBoy);
    QCOMPARE(arrayBoy, boy);
    QByteArray fromArray;
    for (const QJsonValue &v : array)
        fromArray.append(char(v.toInt()));
    QCOMPARE(fromArray, jpeg);
    qint32 bigBoy = 0;
    QCOMPARE(HexAkisaCevir(m_proxy->BuyukResimVer(withPicture, bigBoy)), jpeg);
    QCOMPARE(bigBoy, qint32(jpeg.size()));
    QImage small;
    QVERIFY(small.loadFromData(HexAkisaCevir(m_proxy->KucukResimVer(withPicture)), "JPG"));
    QVERIFY(small.width() < picture.width());

    boy = -1;
    QCOMPARE(m_proxy->ResimVer5(without, boy)->readAll(), QByteArray());
    QCOMPARE(boy, 0);
    QCOMPARE(m_proxy->KucukResimVer(without), QString());

    m_proxy->HttpResimVer(withPicture);
    try {
        m_proxy->HttpResimVer(999999);
        QFAIL("an unknown stock was accepted");
    } catch (const RemoteError &e) {
        QCOMPARE(e.className(), QStringLiteral("EVexorNotFound"));
    }
}

void TestSearch::newAndCampaignLists()
{
    const MemTable fresh = m_proxy->YenilerVer2(1);
    const int newStocks = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM stocks WHERE is_new = 1 AND active = 1"))->toInt();
    QVERIFY(newStocks > 0);
    QCOMPARE(fresh.rowCount(), std::min(newStocks, kSearchCap));
    QString previous = QStringLiteral("9999");
    for (int r = 0; r < fresh.rowCount(); ++r) {
        QCOMPARE(number(fresh, r, "Y"), 1.0);
        const QString since = m_db->scalar(QStringLiteral("SELECT new_since FROM stocks WHERE id = ?"), {idsOf(fresh)[r]})->toString();
        QVERIFY(since <= previous);
        previous = since;
    }
    QCOMPARE(idsOf(tableOf(m_proxy->YenilerVer(1))), idsOf(fresh));
    QCOMPARE(idsOf(tableOf(m_proxy->ZelnaYenilerVer(1))), idsOf(fresh));
    QCOMPARE(idsOf(tableOf(m_proxy->YenilerVerMobile(1))), idsOf(fresh));

    const MemTable campaign = m_proxy->KampanyaliVer2(1, 3);
    const int campaignStocks = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM stocks WHERE campaign = 1 AND active = 1"))->toInt();
    QCOMPARE(campaign.rowCount(), std::min(campaignStocks, kSearchCap));
    for (int r = 0; r < campaign.rowCount(); ++r) {
        QCOMPARE(number(campaign, r, "K"), 1.0);
        QCOMPARE(number(campaign, r, "FIYAT"), number(campaign, r, "KAMPFIYAT"));
        QVERIFY(number(campaign, r, "FIYAT") < number(campaign, r, "ESKIFIYAT"));
    }
    // Kind 4 and accounts outside campaigns: an empty list that still has its columns.
    for (const MemTable &none : {m_proxy->KampanyaliVer2(1, 4), m_proxy->KampanyaliVer2(3, 3)}) {
        QCOMPARE(none.rowCount(), 0);
        QVERIFY(none.fieldIndex(u"FIYAT") >= 0);
    }
}

void TestSearch::searchesAreLogged()
{
    const auto session = sessionOf(QStringLiteral("BAYI"));
    m_proxy->AramaGonderAl(copyOf(session), QStringLiteral("fren ' balata"), 12);
    m_proxy->AramaGonderAl(copyOf(session), QString(300, QLatin1Char('y')), -5);
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT user_id, account_id, machine_id, text, result_count FROM search_log ORDER BY id"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), session.Sirano());
    QCOMPARE(q.value(1).toInt(), 1);
    QCOMPARE(q.value(2).toString(), QStringLiteral("DEMO-BAYI"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("fren ' balata"));
    QCOMPARE(q.value(4).toInt(), 12);
    QVERIFY(q.next());
    QCOMPARE(q.value(3).toString().size(), 200);
    QCOMPARE(q.value(4).toInt(), 0);
}

void TestSearch::departments()
{
    const MemTable t = tableOf(m_proxy->DepartmanlariGetir());
    QCOMPARE(t.rowCount(), m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM departments"))->toInt());
    int stocks = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        QVERIFY(!text(t, r, "ADI").isEmpty());
        stocks += int(number(t, r, "STOKSAYISI"));
    }
    QCOMPARE(stocks, m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM stocks WHERE active = 1"))->toInt());
}

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
