// The representative, notice and request methods over real HTTP: a vexor-server on an
// OS-picked loopback port, a small demo database, and a fixture of our own on top of it (a
// representative with known accounts, orders, carts, balances, screens and banners) whose
// counts and amounts are known to the cent.
#include "admin.h"
#include "appserver.h"
#include "remotetable.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/schema.h"

#include "common/turkish.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/errors.h"
#include "server/mobilstokunit.h"
#include "server/streamrule.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include <QJsonObject>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace vexor;
using namespace remotetest;

namespace {

// Fixture identities. The demo data numbers its rows from 1; ours start far above.
constexpr int kRep = 99;
constexpr int kOtherRep = 1; // a representative of the demo data
constexpr int kA1 = 9901;    // the representative's account with a cart and most orders
constexpr int kA2 = 9902;    // the representative's account that is owed money
constexpr int kA3 = 9903;    // the representative's inactive account
constexpr int kA4 = 9904;    // an account of another representative
const QString kRepMachine = QStringLiteral("M-REP99");
const QString kDealerMachine = QStringLiteral("M-BAYI99");
const QString kNoMailMachine = QStringLiteral("M-NOMAIL99");
const QString kKind4Machine = QStringLiteral("M-BAYI4");
const QString kInactiveMachine = QStringLiteral("M-PASIF99");
const QString kOfficeMail = QStringLiteral("istek@vexor.example");
const QString kRepMail = QStringLiteral("temsilci99@vexor.example");


QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestNotices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void accountSearchFoldsAndMatchesEveryWord_data();
    void accountSearchFoldsAndMatchesEveryWord();
    void accountListColumnsAndAmounts();
    void statusListsAndCounters_data();
    void statusListsAndCounters();
    void dealerSeesOnlyTheirAccount();
    void callsForSomeoneElseAreRefused_data();
    void callsForSomeoneElseAreRefused();

    void badgeCounters_data();
    void badgeCounters();
    void countersAsOutValues();

    void newsTextAndBanners();
    void adminChangeTellsTheRunningServer();
    void openingScreensAndAdvertisements();
    void noScreensGivesEmptyLists();

    void passwordRequestGoesToTheOutbox();
    void passwordRequestRefusesWhatTheFormRefuses_data();
    void passwordRequestRefusesWhatTheFormRefuses();
    void freeMessageLinesAreRestored_data();
    void freeMessageLinesAreRestored();
    void mailsPerMachineAreLimited();
    void forgottenPasswordRequest();

    void accountDetailsForTheMachine();
    void accountDirectory();

private:
    std::unique_ptr<Connection> openConnection();
    void buildFixture();
    QVariantList outboxRow(qint64 id, const QString &columns);
    void insertScreen(int id, const QString &title, const QString &search, const QByteArray &picture, int order, bool ad,
                      bool active);

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    std::unique_ptr<AppServer> m_server;
    int m_stockA = 0;
    int m_stockB = 0;
};

void TestNotices::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    m_db = Database::create(m_dir.filePath(QStringLiteral("notices.db")));
    DemoOptions options;
    options.stocks = 2000;
    options.accounts = 6;
    options.today = QDate(2026, 3, 16);
    seedDemoData(*m_db, options);
    buildFixture();

    ServerSettings settings;
    settings.port = 0;
    m_server = std::make_unique<AppServer>(settings, std::make_shared<TServerMethods1>(settings, m_db));
    m_server->start();
    QVERIFY(m_server->port() != 0);
}

void TestNotices::cleanupTestCase()
{
    m_server.reset();
    m_db.reset();
}

std::unique_ptr<Connection> TestNotices::openConnection()
{
    auto c = std::make_unique<Connection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = m_server->port();
    c->open();
    return c;
}

void TestNotices::buildFixture()
{
    Database &db = *m_db;
    const QString now = isoDateTime(QDateTime(QDate(2026, 3, 16), QTime(9, 0)));
    Transaction tx(db);
    writeSetting(db, kSettingMailTo, kOfficeMail);
    db.exec(QStringLiteral("INSERT INTO representatives (id, code, name, email, phone) VALUES (?, 'T99', 'ÖZGE ÇAKIR', ?, '0 (216) 480 10 99')"),
            {kRep, kRepMail});

    struct Account
    {
        int id;
        const char *code;
        const char *name;
        int rep;
        bool active;
    };
    const Account accounts[] = {
        {kA1, "990.01", "ÇAĞRI OTOMOTİV LTD. ŞTİ.", kRep, true},
        {kA2, "990.02", "IŞIK YEDEK PARÇA", kRep, true},
        {kA3, "990.03", "ŞİŞLİ OTO", kRep, false},
        {kA4, "990.04", "ÇAĞRI FİLO", kOtherRep, true},
    };
    for (const Account &a : accounts) {
        const QString code = QString::fromUtf8(a.code);
        const QString name = QString::fromUtf8(a.name);
        db.exec(QStringLiteral("INSERT INTO accounts (id, code, name, search_key, rep_id, contact, address1, address2, district, city, "
                               "phone1, fax1, email, tax_office, tax_number, main_group, sub_group, due_days, active) "
                               "VALUES (?, ?, ?, ?, ?, 'Ayşe Yılmaz', 'Sanayi Sitesi 4. Blok No:12', 'Kat 2', 'Kadıköy', 'İSTANBUL', "
                               "'0 (216) 555 11 22', '0 (216) 555 11 23', 'info@cagri.example', 'Kadıköy V.D.', '1234567890', "
                               "'BAYİ', 'A GRUBU', 45, ?)"),
                {a.id, code, name, foldTurkish(QString(code + QLatin1Char(' ') + name)), a.rep, int(a.active ? 1 : 0)});
    }
    db.exec(QStringLiteral("INSERT INTO account_discounts (account_id, brand_id, ind1, ind2) VALUES (?, NULL, 10, 5)"), {kA1});

    auto addUser = [&](int id, const char *name, int kind, QVariant account, QVariant rep, const QString &email, bool active,
                       const QString &machine) {
        db.exec(QStringLiteral("INSERT INTO users (id, name, password, full_name, email, kind, active, account_id, rep_id, created_at) "
                               "VALUES (?, ?, 'GIZLI1', 'Deniz Ünal', ?, ?, ?, ?, ?, ?)"),
                {id, QString::fromUtf8(name), email, kind, active ? 1 : 0, account, rep, now});
        db.exec(QStringLiteral("INSERT INTO machines (machine_id, user_id, enrolled_at) VALUES (?, ?, ?)"), {machine, id, now});
    };
    addUser(9901, "TEMSILCI99", 1, QVariant(), kRep, QStringLiteral("ozge@vexor.example"), true, kRepMachine);
    addUser(9902, "BAYI99", 3, kA1, QVariant(), QStringLiteral("deniz@cagri.example"), true, kDealerMachine);
    addUser(9903, "BAYI99B", 3, kA2, QVariant(), QString(), true, kNoMailMachine);
    addUser(9904, "PASIF99", 3, kA1, QVariant(), QString(), false, kInactiveMachine);
    addUser(9905, "BAYI994", 4, kA1, QVariant(), QString(), true, kKind4Machine);

    // Statements: A1 owes 950.36 (0.1 + 0.2 would not add up to 0.30 in binary), A2 is owed 50.50.
    const std::tuple<int, double, double> movements[] = {
        {kA1, 1000.10, 0}, {kA1, 250.06, 0}, {kA1, 0.1, 0}, {kA1, 0.2, 0}, {kA1, 0, 300.10},
        {kA2, 100.00, 0},  {kA2, 0, 150.50}, {kA4, 5000, 0}};
    for (const auto &[account, debit, credit] : movements)
        db.exec(QStringLiteral("INSERT INTO account_movements (account_id, moved_at, kind, debit, credit) VALUES (?, ?, 'Fatura', ?, ?)"),
                {account, now, debit, credit});

    m_stockA = db.scalar(QStringLiteral("SELECT MIN(id) FROM stocks")).value_or(0).toInt();
    m_stockB = m_stockA + 1;
    // Carts: A1 two lines; the inactive account and the other representative's one line each.
    for (const auto &[account, stock] : {std::pair{kA1, m_stockA}, std::pair{kA1, m_stockB}, std::pair{kA3, m_stockA},
                                         std::pair{kA4, m_stockA}})
        db.exec(QStringLiteral("INSERT INTO cart_lines (account_id, stock_id, user_id, quantity, unit_price, vat_rate, added_at) "
                               "VALUES (?, ?, 9902, 1, 10, 20, ?)"),
                {account, stock, now});

    // Orders: a different number in every status, so that two statuses mixed up show.
    // A1: 1 received, 2 seen, 4 prepared in part, 6 shipped, 2 completed, 1 cancelled;
    // A2: 3 approved, 5 prepared; the inactive and the foreign account one received each.
    auto addOrder = [&](int account, OrderStatus status) {
        return db.insert(QStringLiteral("INSERT INTO orders (account_id, user_id, rep_id, ordered_at, status_id, status_changed_at) "
                                        "VALUES (?, 9902, ?, ?, ?, ?)"),
                         {account, account == kA4 ? kOtherRep : kRep, now, int(status), now});
    };
    auto addLine = [&](qint64 order, double quantity, double delivered, double cancelled) {
        db.exec(QStringLiteral("INSERT INTO order_lines (order_id, line_no, stock_id, quantity, delivered, cancelled, unit_price, "
                               "first_price, vat_rate) VALUES (?, 1, ?, ?, ?, ?, 10, 10, 20)"),
                {order, m_stockA, quantity, delivered, cancelled});
    };
    const std::tuple<int, OrderStatus, int> orders[] = {
        {kA1, OrderStatus::Alindi, 1},     {kA1, OrderStatus::Goruldu, 2},           {kA1, OrderStatus::ParcaliHazirlandi, 4},
        {kA1, OrderStatus::SevkEdildi, 6}, {kA1, OrderStatus::Tamamlandi, 2},        {kA1, OrderStatus::Iptal, 1},
        {kA2, OrderStatus::Onaylandi, 3},  {kA2, OrderStatus::Hazirlandi, 5},        {kA3, OrderStatus::Alindi, 1},
        {kA4, OrderStatus::Alindi, 1}};
    for (const auto &[account, status, count] : orders) {
        for (int i = 0; i < count; ++i) {
            const qint64 order = addOrder(account, status);
            if (account != kA1 || i > 0)
                continue;
            // A1's open balance: 5 + (10 - 3 - 2) + 1.25 = 11.25; shipped in full, completed
            // and cancelled orders add nothing.
            switch (status) {
            case OrderStatus::Alindi: addLine(order, 5, 0, 0); break;
            case OrderStatus::ParcaliHazirlandi: addLine(order, 10, 3, 2); break;
            case OrderStatus::Goruldu: addLine(order, 1.25, 0, 0); break;
            case OrderStatus::SevkEdildi: addLine(order, 2.5, 2.5, 0); break;
            case OrderStatus::Tamamlandi: addLine(order, 4, 1, 0); break;
            case OrderStatus::Iptal: addLine(order, 3, 0, 0); break;
            default: break;
            }
        }
    }
    tx.commit();
}

QVariantList TestNotices::outboxRow(qint64 id, const QString &columns)
{
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT %1 FROM mail_outbox WHERE id = ?").arg(columns), {id});
    QVariantList row;
    if (q.next()) {
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
    }
    return row;
}

void TestNotices::insertScreen(int id, const QString &title, const QString &search, const QByteArray &picture, int order,
                               bool ad, bool active)
{
    m_db->exec(QStringLiteral("INSERT INTO opening_screens (id, title, search, picture, sort_order, advertisement, active, created_at) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, '2026-03-16T08:00:00')"),
               {id, title, search, picture, order, ad ? 1 : 0, active ? 1 : 0});
}

// ---------------------------------------------------------------------------------------------

void TestNotices::accountSearchFoldsAndMatchesEveryWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("codes");
    const QStringList both = {QStringLiteral("990.01"), QStringLiteral("990.02")};
    QTest::newRow("empty: every account of the representative") << QString() << both;
    QTest::newRow("blanks only") << QStringLiteral("   ") << both;
    QTest::newRow("folded letters") << QStringLiteral("cagri") << QStringList{QStringLiteral("990.01")};
    QTest::newRow("Turkish letters as typed") << QStringLiteral("çağri oto") << QStringList{QStringLiteral("990.01")};
    QTest::newRow("dotless I folds to I") << QStringLiteral("işik") << QStringList{QStringLiteral("990.02")};
    QTest::newRow("words in any order") << QStringLiteral("parça  yedek") << QStringList{QStringLiteral("990.02")};
    QTest::newRow("every word must occur") << QStringLiteral("oto yedek") << QStringList();
    QTest::newRow("by code") << QStringLiteral("990.02") << QStringList{QStringLiteral("990.02")};
    QTest::newRow("percent is a letter, not a wildcard") << QStringLiteral("%") << QStringList();
    QTest::newRow("underscore is a letter, not a wildcard") << QStringLiteral("990_01") << QStringList();
    QTest::newRow("inactive account is not listed") << QStringLiteral("şişli") << QStringList();
    QTest::newRow("another representative's account is not listed") << QStringLiteral("filo") << QStringList();
}

void TestNotices::accountSearchFoldsAndMatchesEveryWord()
{
    QFETCH(QString, text);
    QFETCH(QStringList, codes);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const Table t = readTable(proxy.CariAra(session(kRepMachine), text));
    QCOMPARE(sorted(t.strings(QStringLiteral("CARIKOD"))), codes);
}

void TestNotices::accountListColumnsAndAmounts()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const Table t = readTable(proxy.CariAra(session(kRepMachine), QString()));

    // The columns the customer selection window shows and reads, with their kinds.
    const QList<QPair<const char *, FieldType>> kinds = {
        {"CARINO", FieldType::Int32},    {"CARIKOD", FieldType::String},   {"CARIADI", FieldType::String},
        {"SATICISI", FieldType::String}, {"TLBAKIYE", FieldType::Double},  {"DURUM", FieldType::String},
        {"SEPET", FieldType::Int32},     {"ALINDI", FieldType::Int32},     {"ONAYLANDI", FieldType::Int32},
        {"GORULDU", FieldType::Int32},   {"HAZIRLANDI", FieldType::Int32}, {"PARCALIHAZIRLANDI", FieldType::Int32},
        {"INDIRIM", FieldType::Double},  {"VADE", FieldType::Int32},       {"VADEKONTROLGUN", FieldType::Int32},
        {"VADEKONTROLAY", FieldType::Int32}};
    for (const auto &[name, type] : kinds) {
        QVERIFY2(t.column(QLatin1String(name)) >= 0, name);
        QVERIFY2(t.type(QLatin1String(name)) == type, name);
    }
    for (const char *name : {"OZELKOD", "KOD1", "KOD2", "KOD3", "KOD4", "KOD5", "TEL1", "TEL2", "ILCE", "IL", "GSM", "YETKILI",
                             "VERGIDAIRESI", "VERGINO", "ADRES1", "ADRES2", "ANAGRUP", "ALTGRUP", "FAX1", "FAX2", "EMAIL"}) {
        QVERIFY2(t.column(QLatin1String(name)) >= 0, name);
        QVERIFY2(t.type(QLatin1String(name)) == FieldType::String, name);
    }

    const int a1 = t.rowWhere(QStringLiteral("CARINO"), kA1);
    const int a2 = t.rowWhere(QStringLiteral("CARINO"), kA2);
    QVERIFY(a1 >= 0 && a2 >= 0);
    QCOMPARE(t.at(a1, QStringLiteral("CARIADI")).toString(), QStringLiteral("ÇAĞRI OTOMOTİV LTD. ŞTİ."));
    QCOMPARE(t.at(a1, QStringLiteral("SATICISI")).toString(), QStringLiteral("ÖZGE ÇAKIR"));
    QCOMPARE(t.at(a1, QStringLiteral("TLBAKIYE")).toDouble(), 950.36);
    QCOMPARE(t.at(a1, QStringLiteral("DURUM")).toString(), QStringLiteral("B"));
    QCOMPARE(t.at(a2, QStringLiteral("TLBAKIYE")).toDouble(), 50.5);
    QCOMPARE(t.at(a2, QStringLiteral("DURUM")).toString(), QStringLiteral("A"));
    QCOMPARE(t.at(a1, QStringLiteral("INDIRIM")).toDouble(), 14.5); // 10 then 5
    QCOMPARE(t.at(a2, QStringLiteral("INDIRIM")).toDouble(), 0.0);
    QCOMPARE(t.at(a1, QStringLiteral("VADE")).toInt(), 45);
    QCOMPARE(t.at(a1, QStringLiteral("IL")).toString(), QStringLiteral("İSTANBUL"));
    QCOMPARE(t.at(a1, QStringLiteral("ILCE")).toString(), QStringLiteral("Kadıköy"));
    const QList<QPair<const char *, int>> a1Counts = {{"SEPET", 2},      {"ALINDI", 1},     {"GORULDU", 2},
                                                      {"ONAYLANDI", 0},  {"PARCALIHAZIRLANDI", 4}, {"HAZIRLANDI", 0},
                                                      {"SEVKEDILDI", 6}};
    for (const auto &[name, count] : a1Counts)
        QVERIFY2(t.at(a1, QLatin1String(name)).toInt() == count, name);
    QCOMPARE(t.at(a2, QStringLiteral("ONAYLANDI")).toInt(), 3);
    QCOMPARE(t.at(a2, QStringLiteral("HAZIRLANDI")).toInt(), 5);
    QCOMPARE(t.at(a2, QStringLiteral("SEPET")).toInt(), 0);
}

void TestNotices::statusListsAndCounters_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("codes");
    const QStringList a1 = {QStringLiteral("990.01")};
    const QStringList a2 = {QStringLiteral("990.02")};
    QTest::newRow("1 cart") << 1 << a1;
    QTest::newRow("2 received") << 2 << a1;
    QTest::newRow("3 approved") << 3 << a2;
    QTest::newRow("4 seen") << 4 << a1;
    QTest::newRow("5 prepared in part") << 5 << a1;
    QTest::newRow("6 prepared") << 6 << a2;
    QTest::newRow("7 shipped") << 7 << a1;
}

void TestNotices::statusListsAndCounters()
{
    QFETCH(int, n);
    QFETCH(QStringList, codes);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const Table t = readTable(proxy.CariSepetVer(session(kRepMachine), n));
    QCOMPARE(sorted(t.strings(QStringLiteral("CARIKOD"))), codes);
    QVERIFY(t.column(QStringLiteral("PARCALIHAZIRLANDI")) >= 0); // the same columns as the search

    // The buttons' numbers: accounts with a cart, and orders in each status, of the visible
    // accounts only (the inactive and the foreign account have a cart and an order each).
    QCOMPARE(proxy.SepetSayisi(session(kRepMachine)), 1);
    const TTusSonuclari *tus = proxy.TusSonuclariVer(session(kRepMachine));
    QCOMPARE(tus->Alindi(), 1);
    QCOMPARE(tus->Goruldu(), 2);
    QCOMPARE(tus->Onaylandi(), 3);
    QCOMPARE(tus->ParcaliHazirlandi(), 4);
    QCOMPARE(tus->Hazirlandi(), 5);
    QCOMPARE(tus->SevkEdildi(), 6);
}

void TestNotices::dealerSeesOnlyTheirAccount()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    // Whatever account the dealer's record names, the server uses the dealer's own.
    QCOMPARE(readTable(proxy.CariAra(session(kDealerMachine, kA2), QString())).strings(QStringLiteral("CARIKOD")),
             QStringList{QStringLiteral("990.01")});
    QCOMPARE(readTable(proxy.CariSepetVer(session(kNoMailMachine), 3)).strings(QStringLiteral("CARIKOD")),
             QStringList{QStringLiteral("990.02")});
    QCOMPARE(readTable(proxy.CariSepetVer(session(kNoMailMachine), 1)).rows.size(), 0);
    QCOMPARE(proxy.SepetSayisi(session(kNoMailMachine)), 0);
    const TTusSonuclari *tus = proxy.TusSonuclariVer(session(kNoMailMachine));
    QCOMPARE(tus->Alindi(), 0);
    QCOMPARE(tus->Onaylandi(), 3);
    QCOMPARE(tus->Hazirlandi(), 5);
}

void TestNotices::callsForSomeoneElseAreRefused_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("errorClass");
    QTest::newRow("unknown machine") << QStringLiteral("M-YOK") << 0 << QStringLiteral("EVexorSessionError");
    QTest::newRow("inactive user") << kInactiveMachine << 0 << QStringLiteral("EVexorSessionError");
    QTest::newRow("another representative's account") << kRepMachine << kA4 << QStringLiteral("EVexorSessionError");
    QTest::newRow("the representative's inactive account") << kRepMachine << kA3 << QStringLiteral("EVexorSessionError");
}

void TestNotices::callsForSomeoneElseAreRefused()
{
    QFETCH(QString, machine);
    QFETCH(int, account);
    QFETCH(QString, errorClass);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const std::vector<std::pair<const char *, std::function<void()>>> calls = {
        {"CariAra", [&] { proxy.CariAra(session(machine, account), QString()); }},
        {"CariSepetVer", [&] { proxy.CariSepetVer(session(machine, account), 1); }},
        {"SepetSayisi", [&] { proxy.SepetSayisi(session(machine, account)); }},
        {"TusSonuclariVer", [&] { proxy.TusSonuclariVer(session(machine, account)); }},
        {"BalonGetir", [&] { proxy.BalonGetir(session(machine, account)); }},
        {"no session record", [&] { proxy.BalonGetir(nullptr); }},
    };
    for (const auto &[name, call] : calls) {
        const auto error = errorOf(call);
        QVERIFY2(error.first == (std::string_view(name) == "no session record" ? QStringLiteral("EVexorSessionError") : errorClass),
                 name);
        QVERIFY2(!error.second.isEmpty(), name);
    }
    // A list number outside 1..7 is a caller's mistake, not an empty list.
    for (int n : {0, 8, -1})
        QCOMPARE(errorOf([&] { proxy.CariSepetVer(session(kRepMachine), n); }).first, QStringLiteral("EVexorParamError"));
}

// ---------------------------------------------------------------------------------------------

void TestNotices::badgeCounters_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("cart");
    QTest::addColumn<bool>("campaigns");
    QTest::addColumn<double>("balance");
    QTest::newRow("dealer") << kDealerMachine << 0 << 2 << true << 11.25;
    QTest::newRow("dealer of kind 4: no campaign stocks") << kKind4Machine << 0 << 2 << false << 11.25;
    QTest::newRow("representative for an account") << kRepMachine << kA2 << 0 << true << 0.0;
    QTest::newRow("representative before choosing") << kRepMachine << 0 << 0 << true << 0.0;
}

void TestNotices::badgeCounters()
{
    QFETCH(QString, machine);
    QFETCH(int, account);
    QFETCH(int, cart);
    QFETCH(bool, campaigns);
    QFETCH(double, balance);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const Table t = readTable(proxy.BalonGetir(session(machine, account)));
    QCOMPARE(t.rows.size(), 1);
    QVERIFY(t.types.size() >= 5);
    // The client reads the badges by position: four whole counts and the balance.
    QCOMPARE(t.types.mid(0, 5), (QList<FieldType>{FieldType::Int32, FieldType::Int32, FieldType::Int32, FieldType::Int32,
                                                  FieldType::Double}));
    const QVariantList row = t.rows.front();
    QCOMPARE(row[0].toInt(), cart);
    // The badges promise what the tabs then show.
    QCOMPARE(row[1].toInt(), proxy.YenilerVer2(kA1).rowCount());
    QCOMPARE(row[2].toInt(), campaigns ? proxy.KampanyaliVer2(kA1, 3).rowCount() : 0);
    QCOMPARE(row[3].toInt(), int(proxy.AcilisEkranlarVer2()->Ekranlar().size()));
    QCOMPARE(row[4].toDouble(), balance);
}

void TestNotices::countersAsOutValues()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint32 sepet = -1, yeni = -1, kampanya = -1, duyuru = -1, bakiye = -1, dosya = -1;
    const qint32 total = proxy.BalonGetir2(kA1, sepet, yeni, kampanya, duyuru, bakiye, dosya);
    const Table t = readTable(proxy.BalonGetir(session(kDealerMachine)));
    QCOMPARE(sepet, 2);
    QCOMPARE(yeni, t.rows[0][1].toInt());
    QCOMPARE(kampanya, t.rows[0][2].toInt());
    QCOMPARE(duyuru, t.rows[0][3].toInt());
    QCOMPARE(bakiye, 11); // 11.25 to a whole quantity
    const int documents = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM documents WHERE account_id IS NULL OR account_id = ?"),
                                       {kA1}).value_or(-1).toInt();
    QCOMPARE(dosya, documents);
    QCOMPARE(total, sepet + yeni + kampanya + duyuru + dosya);

    QCOMPARE(errorOf([&] { proxy.BalonGetir2(kA3, sepet, yeni, kampanya, duyuru, bakiye, dosya); }).first,
             QStringLiteral("EVexorNotFound"));
    QCOMPARE(errorOf([&] { proxy.BalonGetir2(-5, sepet, yeni, kampanya, duyuru, bakiye, dosya); }).first,
             QStringLiteral("EVexorParamError"));
}

// ---------------------------------------------------------------------------------------------

void TestNotices::newsTextAndBanners()
{
    // The text travels exactly as stored: markup, Turkish letters, doubled and trailing blanks.
    const QString news = QStringLiteral("<b>İNDİRİM</b>  <font color=\"red\">%20</font> ığüşöç ");
    writeSetting(*m_db, kSettingNews, news);
    const QByteArray gif = QByteArray("GIF89a") + QByteArray(3000, '\x5a') + QByteArray("\x00\x3b", 2);
    const QByteArray bmp = QByteArray("BM") + QByteArray(1500, '\x01');
    m_db->exec(QStringLiteral("DELETE FROM banners"));
    m_db->exec(QStringLiteral("INSERT INTO banners (slot, content, file_name, updated_at) VALUES (1, ?, 'a.gif', '2026-03-16T08:00:00'), "
                              "(3, ?, 'c.bmp', '2026-03-16T08:00:00')"),
               {gif, bmp});

    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.KayanYaziGetir(), news);

    qint64 size = -1;
    QIODevice *stream = proxy.BannerResimVer(size);
    QCOMPARE(size, qint64(gif.size()));
    QCOMPARE(readAnnouncedStream(stream, size).value_or(QByteArray()), gif);

    // No upper banner: size 0, which the client takes as "clear the strip".
    size = -1;
    stream = proxy.BannerResimVer2(size);
    QCOMPARE(size, qint64(0));
    QVERIFY(!readAnnouncedStream(stream, size));

    size = -1;
    stream = proxy.BannerResimVer3(size);
    QCOMPARE(size, qint64(bmp.size()));
    QCOMPARE(readAnnouncedStream(stream, size).value_or(QByteArray()), bmp);
}

void TestNotices::adminChangeTellsTheRunningServer()
{
    // The admin command writes the database in its own process; the running server hears of it
    // through its admin endpoint and broadcasts, so the clients refresh their news and banners.
    const auto before = m_server->channel().recentNotifications().size();
    const QString news = QStringLiteral("Yeni <i>duyuru</i>");
    const QString program = QCoreApplication::applicationFilePath();
    const QString db = m_dir.filePath(QStringLiteral("notices.db"));
    const QString port = QString::number(m_server->port());
    QCOMPARE(runAdminCommand({program, QStringLiteral("set"), QStringLiteral("--db"), db, QStringLiteral("--news"), news,
                              QStringLiteral("--port"), port}),
             0);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.KayanYaziGetir(), news);
    const auto notes = m_server->channel().recentNotifications();
    QCOMPARE(notes.size(), before + 1);
    QCOMPARE(notes.back().argument.toObject().value(QStringLiteral("yenile")), QJsonValue(true));

    // Changing only the client version is nothing the clients reload.
    QCOMPARE(runAdminCommand({program, QStringLiteral("set"), QStringLiteral("--db"), db, QStringLiteral("--version"),
                              QStringLiteral("1"), QStringLiteral("--port"), port}),
             0);
    QCOMPARE(m_server->channel().recentNotifications().size(), before + 1);
}

void TestNotices::openingScreensAndAdvertisements()
{
    // Screens in an order that differs from their numbers; one inactive advertisement.
    m_db->exec(QStringLiteral("DELETE FROM opening_screens"));
    const QByteArray jpeg1 = QByteArray::fromHex("FFD8FFE000104A46494600010100");
    const QByteArray jpeg2 = QByteArray::fromHex("FFD8FFDB0043000A0B0C0DFFD9");
    const QByteArray jpeg3 = QByteArray::fromHex("FFD8FF00FFD9");
    insertScreen(31, QStringLiteral("Kampanya"), QStringLiteral("#KAMPANYA#"), jpeg1, 2, true, true);
    insertScreen(32, QStringLiteral("Yeni ürünler"), QStringLiteral("#YENİ#"), jpeg2, 1, true, true);
    insertScreen(33, QStringLiteral("Duyuru"), QString(), jpeg3, 3, false, true);
    insertScreen(34, QStringLiteral("Eski reklam"), QStringLiteral("ESKI"), jpeg3, 0, true, false);

    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.AcilisReklamAdet(), 2);
    const TAcilisEkran *first = proxy.AcilisREklamVer(0);
    QCOMPARE(first->SiraNo(), 32);
    QCOMPARE(first->Baslik(), QStringLiteral("Yeni ürünler"));
    QCOMPARE(first->Arama(), QStringLiteral("#YENİ#"));
    QCOMPARE(QByteArray::fromHex(first->Resim().toLatin1()), jpeg2);
    QCOMPARE(first->Resim(), QString::fromLatin1(jpeg2.toHex()).toUpper()); // two digits a byte, no separators
    const TAcilisEkran *second = proxy.AcilisREklamVer(1);
    QCOMPARE(second->SiraNo(), 31);
    QCOMPARE(second->Arama(), QStringLiteral("#KAMPANYA#"));
    for (int sira : {2, -1})
        QCOMPARE(errorOf([&] { proxy.AcilisREklamVer(sira); }).first, QStringLiteral("EVexorNotFound"));

    // Every active screen, advertisement or not, in order; each form carries the same.
    const QList<int> order = {32, 31, 33};
    const QList<QByteArray> pictures = {jpeg2, jpeg1, jpeg3};
    const auto &screens = proxy.AcilisEkranlarVer2()->Ekranlar();
    QCOMPARE(int(screens.size()), 3);
    const auto &list = proxy.AcilisEkranlarVer()->Items();
    QCOMPARE(int(list.size()), 3);
    const Table data = readTable(proxy.AcilisEkranlariVerData());
    const Table plain = readTable(proxy.DuyuruVer());
    const Table withPictures = readTable(proxy.DuyuruVer2());
    QCOMPARE(data.rows.size(), 3);
    QCOMPARE(plain.rows.size(), 3);
    QCOMPARE(withPictures.type(QStringLiteral("RESIM")), FieldType::Blob);
    QCOMPARE(plain.column(QStringLiteral("RESIM")), -1);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(screens[size_t(i)]->SiraNo(), order[i]);
        QCOMPARE(QByteArray::fromHex(screens[size_t(i)]->Resim().toLatin1()), pictures[i]);
        QCOMPARE(list[size_t(i)]->SiraNo(), order[i]);
        QCOMPARE(list[size_t(i)]->Resim(), screens[size_t(i)]->Resim());
        QCOMPARE(data.at(i, QStringLiteral("SiraNo")).toInt(), order[i]);
        QCOMPARE(data.at(i, QStringLiteral("Resim")).toString(), screens[size_t(i)]->Resim());
        QCOMPARE(data.at(i, QStringLiteral("Baslik")).toString(), screens[size_t(i)]->Baslik());
        QCOMPARE(plain.at(i, QStringLiteral("SIRANO")).toInt(), order[i]);
        QCOMPARE(plain.at(i, QStringLiteral("BOYUT")).toInt(), int(pictures[i].size()));
        QCOMPARE(withPictures.at(i, QStringLiteral("RESIM")).toByteArray(), pictures[i]);
    }
    QCOMPARE(plain.at(0, QStringLiteral("REKLAM")).toInt(), 1);
    QCOMPARE(plain.at(2, QStringLiteral("REKLAM")).toInt(), 0);
    QCOMPARE(screens[2]->Arama(), QString());

    // The announcements badge counts the screens the tab shows.
    const Table badges = readTable(proxy.BalonGetir(session(kDealerMachine)));
    QCOMPARE(badges.rows[0][3].toInt(), 3);
}

void TestNotices::noScreensGivesEmptyLists()
{
    m_db->exec(QStringLiteral("DELETE FROM opening_screens"));
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.AcilisReklamAdet(), 0);
    QVERIFY(proxy.AcilisEkranlarVer2()->Ekranlar().empty());
    QCOMPARE(readTable(proxy.DuyuruVer()).rows.size(), 0);
    QCOMPARE(errorOf([&] { proxy.AcilisREklamVer(0); }).first, QStringLiteral("EVexorNotFound"));
}

// ---------------------------------------------------------------------------------------------

void TestNotices::passwordRequestGoesToTheOutbox()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    auto send = [&](const QString &subject, const QString &firma) {
        return proxy.MailGonserCari(kDealerMachine.toLower(), subject, firma, QStringLiteral("Sanayi Sitesi"), QString(),
                                    QStringLiteral("Kadıköy"), QStringLiteral("İstanbul"), QStringLiteral("0216 555 11 22"),
                                    QString(), QStringLiteral("Kadıköy V.D."), QStringLiteral("1234567890"),
                                    QStringLiteral("Ayşe Yılmaz"), QStringLiteral("BAYI99"), QStringLiteral("YENI-ŞİFRE"),
                                    QStringLiteral("ayse@cagri.example"), QStringLiteral("Aras Kadıköy"));
    };
    const qint32 id = send(QStringLiteral("Şifre Değiştirme İsteği"), QStringLiteral("  ÇAĞRI OTOMOTİV  "));
    QVERIFY(id > 0);
    const QVariantList row = outboxRow(id, QStringLiteral("recipient, subject, reply_to, account_id, machine_id, sent_at, body"));
    QCOMPARE(row.value(0).toString(), kOfficeMail);
    QCOMPARE(row.value(1).toString(), QStringLiteral("Şifre Değiştirme İsteği"));
    QCOMPARE(row.value(2).toString(), QStringLiteral("ayse@cagri.example"));
    QCOMPARE(row.value(3).toInt(), kA1);
    QCOMPARE(row.value(4).toString(), kDealerMachine); // the identity as the server keeps it
    QVERIFY(row.value(5).isNull());                    // waits to be sent
    const QString body = row.value(6).toString();
    for (const QString &line : {QStringLiteral("Firma Adı:   ÇAĞRI OTOMOTİV  \n"), QStringLiteral("İlçe/Şehir: Kadıköy / İstanbul\n"),
                                QStringLiteral("Vergi Dairesi / No: Kadıköy V.D. / 1234567890\n"),
                                QStringLiteral("Kullanıcı Adı: BAYI99\n"), QStringLiteral("Şifre: YENI-ŞİFRE\n"),
                                QStringLiteral("Kargo Ambar: Aras Kadıköy\n"), QStringLiteral("Cari: 990.01 - ÇAĞRI OTOMOTİV LTD. ŞTİ.\n")})
        QVERIFY2(body.contains(line), qPrintable(line));

    // Pressing "Gönder" again sends again; a subject cannot smuggle in header lines.
    const qint32 again = send(QStringLiteral("İstek\r\nBcc: herkes@example.com"), QStringLiteral("ÇAĞRI"));
    QVERIFY(again > id);
    QCOMPARE(outboxRow(again, QStringLiteral("subject")).value(0).toString(), QStringLiteral("İstek  Bcc: herkes@example.com"));
}

void TestNotices::passwordRequestRefusesWhatTheFormRefuses_data()
{
    QTest::addColumn<int>("field"); // position of the emptied text among the 14 form texts
    QTest::addColumn<QString>("message");
    QTest::newRow("firm") << 0 << QStringLiteral("Firma Adı boş olamaz !");
    QTest::newRow("address") << 1 << QStringLiteral("Adres boş olamaz !");
    QTest::newRow("district") << 3 << QStringLiteral("İlçe Adı boş olamaz !");
    QTest::newRow("city") << 4 << QStringLiteral("Şehir Adı boş olamaz !");
    QTest::newRow("telephone") << 5 << QStringLiteral("Telefon  boş olamaz !");
    QTest::newRow("contact") << 9 << QStringLiteral("Yetkili  boş olamaz !");
    QTest::newRow("user name") << 10 << QStringLiteral("Kullanıcı  boş olamaz !");
    QTest::newRow("password") << 11 << QStringLiteral("Şifre  boş olamaz !");
    QTest::newRow("mail") << 12 << QStringLiteral("Mail  boş olamaz !");
}

void TestNotices::passwordRequestRefusesWhatTheFormRefuses()
{
    QFETCH(int, field);
    QFETCH(QString, message);
    QStringList f = {QStringLiteral("Firma"), QStringLiteral("Adres"), QStringLiteral("Adres2"), QStringLiteral("İlçe"),
                     QStringLiteral("Şehir"), QStringLiteral("Tel"), QStringLiteral("Fax"), QStringLiteral("VD"),
                     QStringLiteral("VN"), QStringLiteral("Yetkili"), QStringLiteral("Kullanıcı"), QStringLiteral("Şifre"),
                     QStringLiteral("a@b.example"), QStringLiteral("Ambar")};
    f[field] = QStringLiteral("  \t ");
    const int before = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM mail_outbox")).value_or(0).toInt();
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const auto error = errorOf([&] {
        proxy.MailGonserCari(kNoMailMachine, QStringLiteral("Şifre Değiştirme İsteği"), f[0], f[1], f[2], f[3], f[4], f[5], f[6],
                             f[7], f[8], f[9], f[10], f[11], f[12], f[13]);
    });
    QCOMPARE(error.first, QStringLiteral("EVexorParamError"));
    QCOMPARE(error.second, message);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM mail_outbox")).value_or(0).toInt(), before);
}

void TestNotices::freeMessageLinesAreRestored_data()
{
    QTest::addColumn<QString>("konu");
    QTest::addColumn<QString>("message"); // empty: refused
    QTest::newRow("lines as the mail form joins them")
        << QStringLiteral("Merhaba,\"iyi günler\"") << QStringLiteral("Merhaba\niyi günler");
    QTest::newRow("a comma and quotes inside a line")
        << QStringLiteral("\"Sipariş 12, 13 ve \"\"acil\"\" olanlar\",,Teşekkürler")
        << QStringLiteral("Sipariş 12, 13 ve \"acil\" olanlar\n\nTeşekkürler");
    QTest::newRow("plain text of another client is kept")
        << QStringLiteral("Merhaba, siparişim nerede?") << QStringLiteral("Merhaba, siparişim nerede?");
    QTest::newRow("empty lines only") << QStringLiteral(",,") << QString();
    QTest::newRow("blanks only") << QStringLiteral("\"  \"") << QString();
}

void TestNotices::freeMessageLinesAreRestored()
{
    QFETCH(QString, konu);
    QFETCH(QString, message);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    // The form sends the account fields of MobilCariBilgisiGetir, the password among them.
    const TMobilCariBilgisi *c = proxy.MobilCariBilgisiGetir(0, kNoMailMachine);
    auto send = [&] {
        return proxy.MailGonserCariNormal(kNoMailMachine, QStringLiteral("Sipariş hakkında"), c->CARIADI(), c->ADRES1(),
                                          c->ADRES2(), c->ILCE(), c->SEHIR(), c->TEL1(), c->FAX1(), c->VERGIDAIRESI(),
                                          c->VERGINO(), c->YETKILI(), c->KULLANICIADI(), c->SIFRE(), c->MAIL(), QString(), konu);
    };
    if (message.isEmpty()) {
        const auto error = errorOf([&] { send(); });
        QCOMPARE(error.first, QStringLiteral("EVexorParamError"));
        QCOMPARE(error.second, QStringLiteral("Lütfen Konu Giriniz !"));
        return;
    }
    const qint32 id = send();
    const QVariantList row = outboxRow(id, QStringLiteral("recipient, subject, reply_to, body"));
    QCOMPARE(row.value(0).toString(), kRepMail); // a free message goes to the representative
    QCOMPARE(row.value(1).toString(), QStringLiteral("Sipariş hakkında"));
    QCOMPARE(row.value(2).toString(), QStringLiteral("info@cagri.example")); // the account's, the user has none
    const QString body = row.value(3).toString();
    QVERIFY2(body.startsWith(message + QLatin1Char('\n')), qPrintable(body));
    QVERIFY(body.contains(QStringLiteral("Firma Adı: IŞIK YEDEK PARÇA\n")));
    QVERIFY2(!body.contains(QStringLiteral("GIZLI1")), "the user's password stays out of the mail");
}

void TestNotices::mailsPerMachineAreLimited()
{
    m_db->exec(QStringLiteral("DELETE FROM mail_outbox WHERE machine_id = ?"), {kRepMachine});
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    auto send = [&] {
        return proxy.MailGonserCariNormal(kRepMachine, QStringLiteral("Konu"), {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                                          QStringLiteral("Mesaj"));
    };
    for (int i = 0; i < 20; ++i)
        QVERIFY(send() > 0);
    QCOMPARE(errorOf(send).first, QStringLiteral("EVexorLimitError"));
    // An hour later the machine may write again.
    m_db->exec(QStringLiteral("UPDATE mail_outbox SET created_at = '2020-01-01T00:00:00' WHERE machine_id = ?"), {kRepMachine});
    QVERIFY(send() > 0);
    QCOMPARE(errorOf([&] {
                 proxy.MailGonserCariNormal(QStringLiteral("M-YOK"), QStringLiteral("Konu"), {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                                            {}, {}, {}, {}, QStringLiteral("Mesaj"));
             }).first,
             QStringLiteral("EVexorSessionError"));
}

void TestNotices::forgottenPasswordRequest()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    auto requests = [&](const QString &machine) {
        return m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM mail_outbox WHERE machine_id = ? AND subject = 'Şifre Hatırlatma İsteği'"),
                            {machine}).value_or(-1).toInt();
    };
    qint32 mailvarmi = -1;
    QVERIFY(proxy.SifremiUnuttum(kDealerMachine, mailvarmi));
    QCOMPARE(mailvarmi, 1);
    QCOMPARE(requests(kDealerMachine), 1);
    const QVariantList row = outboxRow(m_db->scalar(QStringLiteral("SELECT MAX(id) FROM mail_outbox")).value_or(0).toLongLong(),
                                       QStringLiteral("recipient, reply_to, body"));
    QCOMPARE(row.value(0).toString(), kOfficeMail);
    QCOMPARE(row.value(1).toString(), QStringLiteral("deniz@cagri.example"));
    QVERIFY(!row.value(2).toString().contains(QStringLiteral("GIZLI1")));
    // Asking again while the request waits adds nothing.
    QVERIFY(proxy.SifremiUnuttum(kDealerMachine, mailvarmi));
    QCOMPARE(requests(kDealerMachine), 1);

    QVERIFY(proxy.SifremiUnuttum(kNoMailMachine, mailvarmi));
    QCOMPARE(mailvarmi, 0);
    QCOMPARE(requests(kNoMailMachine), 1);

    mailvarmi = -1;
    QVERIFY(!proxy.SifremiUnuttum(QStringLiteral("M-YOK"), mailvarmi));
    QCOMPARE(mailvarmi, 0);
    QVERIFY(!proxy.SifremiUnuttum(kInactiveMachine, mailvarmi));
    QCOMPARE(requests(kInactiveMachine), 0);
}

// ---------------------------------------------------------------------------------------------

void TestNotices::accountDetailsForTheMachine()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const TMobilCariBilgisi *c = proxy.MobilCariBilgisiGetir(0, kDealerMachine);
    QCOMPARE(c->CARINO(), kA1);
    QCOMPARE(c->CARIKOD(), QStringLiteral("990.01"));
    QCOMPARE(c->CARIADI(), QStringLiteral("ÇAĞRI OTOMOTİV LTD. ŞTİ."));
    QCOMPARE(c->ADRES1(), QStringLiteral("Sanayi Sitesi 4. Blok No:12"));
    QCOMPARE(c->ADRES2(), QStringLiteral("Kat 2"));
    QCOMPARE(c->ILCE(), QStringLiteral("Kadıköy"));
    QCOMPARE(c->SEHIR(), QStringLiteral("İSTANBUL"));
    QCOMPARE(c->TEL1(), QStringLiteral("0 (216) 555 11 22"));
    QCOMPARE(c->FAX1(), QStringLiteral("0 (216) 555 11 23"));
    QCOMPARE(c->VERGIDAIRESI(), QStringLiteral("Kadıköy V.D."));
    QCOMPARE(c->VERGINO(), QStringLiteral("1234567890"));
    QCOMPARE(c->YETKILI(), QStringLiteral("Ayşe Yılmaz"));
    QCOMPARE(c->KULLANICIADI(), QStringLiteral("BAYI99"));
    QCOMPARE(c->SIFRE(), QStringLiteral("GIZLI1"));
    QCOMPARE(c->MAIL(), QStringLiteral("deniz@cagri.example"));
    QCOMPARE(c->SATICIADI(), QStringLiteral("ÖZGE ÇAKIR"));
    QCOMPARE(c->SATICIMAIL(), kRepMail);
    QCOMPARE(c->TLBORC(), 1250.46);
    QCOMPARE(c->TLALACAK(), 300.1);
    QCOMPARE(c->TLBAKIYE(), 950.36);
    QCOMPARE(c->AnaGrup(), QStringLiteral("BAYİ"));

    // A representative names one of their accounts, or none for their own details.
    QCOMPARE(proxy.MobilCariBilgisiGetir(kA2, kRepMachine)->TLBAKIYE(), -50.5);
    const TMobilCariBilgisi *rep = proxy.MobilCariBilgisiGetir(0, kRepMachine);
    QCOMPARE(rep->CARINO(), 0);
    QCOMPARE(rep->KULLANICIADI(), QStringLiteral("TEMSILCI99"));
    QCOMPARE(rep->SATICIADI(), QStringLiteral("ÖZGE ÇAKIR"));

    for (const auto &[sirano, machine] : {std::pair{kA4, kRepMachine}, std::pair{kA3, kRepMachine}, std::pair{kA2, kDealerMachine},
                                          std::pair{0, QStringLiteral("M-YOK")}, std::pair{0, kInactiveMachine}})
        QCOMPARE(errorOf([&] { proxy.MobilCariBilgisiGetir(sirano, machine); }).first, QStringLiteral("EVexorSessionError"));
}

void TestNotices::accountDirectory()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const QJsonArray accounts = proxy.CarileriVer();
    QJsonObject a1;
    QSet<int> numbers;
    for (const QJsonValue &v : accounts) {
        const QJsonObject o = v.toObject();
        numbers.insert(o.value(QStringLiteral("CARINO")).toInt());
        if (o.value(QStringLiteral("CARINO")).toInt() == kA1)
            a1 = o;
    }
    QVERIFY(numbers.contains(kA2) && numbers.contains(kA4));
    QVERIFY(!numbers.contains(kA3));
    QCOMPARE(a1.value(QStringLiteral("CARIADI")).toString(), QStringLiteral("ÇAĞRI OTOMOTİV LTD. ŞTİ."));
    QCOMPARE(a1.value(QStringLiteral("SATICISI")).toString(), QStringLiteral("ÖZGE ÇAKIR"));
    // Without a caller to check, no balances or contact details leave the server.
    QVERIFY(!a1.contains(QStringLiteral("TLBAKIYE")));
    QVERIFY(!a1.contains(QStringLiteral("TEL1")));
}

QTEST_GUILESS_MAIN(TestNotices)
#include "tst_notices.moc"
