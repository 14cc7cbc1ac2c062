// The cart and order methods of vexor-server over real HTTP: a server on an OS-picked loopback
// port with a freshly seeded small database, called through the generated client proxy. The
// columns and kinds the cart, previous-orders and order-detail windows read; line amounts that
// repeat the stock dialog's figures to the cent; refusals; an order that takes exactly the
// marked lines; concurrent clients; an order interrupted half way; the status flow.
#include "appserver.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/schema.h"

#include "common/formats.h"
#include "common/memtable.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/errors.h"
#include "server/mobilstokunit.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace vexor;

namespace {

const QString kBayi = QStringLiteral("DEMO-BAYI");        // dealer of account 1, kind 3
const QString kBayi0 = QStringLiteral("DEMO-BAYI0");      // dealer of account 2, kind 0
const QString kBayi4 = QStringLiteral("DEMO-BAYI4");      // dealer of account 3, kind 4
const QString kTemsilci1 = QStringLiteral("DEMO-TEMSILCI1"); // representative of account 1
const QString kTemsilci2 = QStringLiteral("DEMO-TEMSILCI2"); // representative of account 2

// The stock dialog's recalculation, as the client does it (with the client's Yuvarla).
struct DialogFigures
{
    double discount = 0;  // indtutar, not rounded
    double lineNet = 0;
    double unitNet = 0;
    double unitWithVat = 0; // kdvdahiltutar
    double total = 0;       // geneltutar
};

DialogFigures dialogFigures(double price, double quantity, const std::array<double, 4> &rates, double vatRate)
{
    DialogFigures f;
    const double vatFactor = vatRate / 100 + 1;
    const double gross = price * quantity;
    double net = gross;
    for (double rate : rates) {
        if (rate > 0)
            net = net - net * rate / 100;
    }
    f.discount = gross - net;
    f.lineNet = Yuvarla(net);
    f.unitNet = quantity != 0 ? Yuvarla(f.lineNet / quantity) : 0;
    f.unitWithVat = Yuvarla(f.unitNet * vatFactor);
    f.total = Yuvarla(f.unitWithVat * quantity);
    return f;
}

MemTable toTable(TableReader *reader)
{
    MemTable t;
    if (reader)
        copyReaderToTable(*reader, t);
    return t;
}

int rowOf(const MemTable &t, const char *column, qint64 value)
{
    const int c = t.fieldIndex(QString::fromLatin1(column));
    for (int r = 0; r < t.rowCount(); ++r) {
        if (t.asInt(r, c) == value)
            return r;
    }
    return -1;
}

double num(const MemTable &t, int row, const char *column)
{
    const int c = t.fieldIndex(QString::fromLatin1(column));
    if (c < 0)
        throw std::runtime_error(std::string("no column ") + column);
    return t.asDouble(row, c);
}

qint64 integer(const MemTable &t, int row, const char *column)
{
    const int c = t.fieldIndex(QString::fromLatin1(column));
    if (c < 0)
        throw std::runtime_error(std::string("no column ") + column);
    return t.asInt(row, c);
}

QString text(const MemTable &t, int row, const char *column)
{
    const int c = t.fieldIndex(QString::fromLatin1(column));
    if (c < 0)
        throw std::runtime_error(std::string("no column ") + column);
    return t.asString(row, c);
}

// What a cart holds, line by line: number, stock, quantity, mark.
QList<QList<qint64>> cartState(const MemTable &cart)
{
    QList<QList<qint64>> state;
    for (int r = 0; r < cart.rowCount(); ++r)
        state.append({integer(cart, r, "SIRANO"), integer(cart, r, "STOKNO"), qint64(num(cart, r, "MIKTAR") * 1000),
                      integer(cart, r, "SEC")});
    return state;
}

} // namespace

class TestCart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void cartTableHasTheColumnsTheCartWindowReads_data();
    void cartTableHasTheColumnsTheCartWindowReads();
    void orderTablesHaveTheColumnsTheirWindowsRead_data();
    void orderTablesHaveTheColumnsTheirWindowsRead();
    void lineAmountsRepeatTheStockDialog_data();
    void lineAmountsRepeatTheStockDialog();
    void cartTotalsEqualTheDialogTotalsOfTheMarkedLines();
    void dealerGetsTheAccountPriceWhateverTheClientSends();
    void sameStockTwiceIsOneLine();
    void cartWritesAreRefused_data();
    void cartWritesAreRefused();
    void linesOfAnotherAccountAreOutOfReach();
    void marksAndDeletes();
    void mobileCartMatchesTheCartTable();
    void deliveryAndCargoLists();
    void orderTakesExactlyTheMarkedLines();
    void orderWithNothingMarkedChangesNothing();
    void ordersAreRefused_data();
    void ordersAreRefused();
    void interruptedOrderLeavesCartAndOrdersUnchanged();
    void mobileOrderTakesTheMarkedLines();
    void concurrentAddsLoseNothing();
    void concurrentOrdersAndAddsLoseNothing();
    void ordersMoveThroughTheirStatuses();
    void approvedOrderIsPreparedAsTheDepotAllows_data();
    void approvedOrderIsPreparedAsTheDepotAllows();
    void allOrdersOfTheAccountOrOfOneStock();
    void overdueWarning_data();
    void overdueWarning();

private:
    std::unique_ptr<TSonucBilgisi> session(const QString &machine, int carino = -1);
    // Runs `work` on a fresh proxy over the test's connection.
    template<class F>
    auto call(F &&work)
    {
        TServerMethods1Client proxy(m_con.get());
        return work(proxy);
    }
    template<class F>
    QString errorClassOf(F &&work)
    {
        try {
            call(std::forward<F>(work));
        } catch (const RemoteError &e) {
            return e.className();
        }
        return {};
    }
    MemTable cart(int account) { return call([&](auto &p) { return p.SepetVer2(account); }); }
    qint32 add(const TSonucBilgisi &s, int stock, double quantity, double price = 0, std::array<double, 4> rates = {},
               int carino = -1);
    void clearCart(const TSonucBilgisi &s) { call([&](auto &p) { return p.SepetHepsiniSil(copy(s)); }); }
    // Makes sure account 1's cart has at least `lines` lines.
    void fillCart(int lines);
    bool order(const TSonucBilgisi &s, int delivery, int cargo, int firm, const QString &note = {});
    void mark(const MemTable &cart, const QList<int> &markedRows);
    std::vector<int> stocks(int count, int offset);
    int firstFirmOf(int cargoKind);
    qint64 count(const QString &sql, std::initializer_list<QVariant> params = {});
    static std::unique_ptr<TSonucBilgisi> copy(const TSonucBilgisi &s);

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    std::shared_ptr<TServerMethods1> m_methods;
    std::unique_ptr<AppServer> m_server;
    std::unique_ptr<Connection> m_con;
    int m_inactiveStock = 0;
};

void TestCart::initTestCase()
{
    // The client rounds and formats with the user's locale; the machine's is C.
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    m_db = Database::create(m_dir.filePath(QStringLiteral("cart.db")));
    DemoOptions options;
    options.stocks = 2000;
    options.accounts = 8;
    options.seed = 11;
    seedDemoData(*m_db, options);
    m_inactiveStock = int(count(QStringLiteral("SELECT MAX(id) FROM stocks")));
    m_db->change(QStringLiteral("UPDATE stocks SET active = 0 WHERE id = ?"), {m_inactiveStock});

    ServerSettings settings;
    settings.port = 0;
    settings.workerThreads = 4;
    m_methods = std::make_shared<TServerMethods1>(settings, m_db);
    m_server = std::make_unique<AppServer>(settings, m_methods);
    m_server->start();
    m_con = std::make_unique<Connection>();
    m_con->HostName = QStringLiteral("127.0.0.1");
    m_con->Port = m_server->port();
    m_con->open();
}

void TestCart::cleanupTestCase()
{
    m_con.reset();
    m_server.reset();
    m_methods.reset();
    m_db.reset();
}

std::unique_ptr<TSonucBilgisi> TestCart::session(const QString &machine, int carino)
{
    auto s = std::make_unique<TSonucBilgisi>();
    call([&](auto &p) {
        const TSonucBilgisi *r = p.BuyukGetir(machine);
        if (r)
            s->Kopyala(*r);
        return 0;
    });
    if (carino >= 0)
        s->setCARINO(carino);
    return s;
}

std::unique_ptr<TSonucBilgisi> TestCart::copy(const TSonucBilgisi &s)
{
    auto c = std::make_unique<TSonucBilgisi>();
    c->Kopyala(s);
    return c;
}

qint32 TestCart::add(const TSonucBilgisi &s, int stock, double quantity, double price, std::array<double, 4> rates, int carino)
{
    return call([&](auto &p) {
        return p.SepetEkle2(copy(s), carino < 0 ? s.CARINO() : carino, stock, QString(), QString(), quantity, 18, price,
                            rates[0], s.Sirano(), 0, rates[1], rates[2], rates[3]);
    });
}

bool TestCart::order(const TSonucBilgisi &s, int delivery, int cargo, int firm, const QString &note)
{
    return call([&](auto &p) { return p.SiparisKaydet(copy(s), s.CARINO(), delivery, cargo, note, s.Sirano(), firm); });
}

void TestCart::mark(const MemTable &cart, const QList<int> &markedRows)
{
    for (int r = 0; r < cart.rowCount(); ++r)
        call([&](auto &p) {
            p.SepetSecimGuncelle(qint32(integer(cart, r, "SIRANO")), markedRows.contains(r) ? 1 : 0);
            return 0;
        });
}

void TestCart::fillCart(int lines)
{
    const auto dealer = session(kBayi);
    const int have = cart(1).rowCount();
    for (int stock : stocks(std::max(0, lines - have), 500))
        QCOMPARE(add(*dealer, stock, 4), 1);
}

std::vector<int> TestCart::stocks(int count, int offset)
{
    std::vector<int> ids;
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT id FROM stocks WHERE active = 1 ORDER BY id LIMIT ? OFFSET ?"), {count, offset});
    while (q.next())
        ids.push_back(q.value(0).toInt());
    return ids;
}

int TestCart::firstFirmOf(int cargoKind)
{
    return int(count(QStringLiteral("SELECT MIN(firm_id) FROM cargo_firm_kinds WHERE kind_id = ?"), {cargoKind}));
}

qint64 TestCart::count(const QString &sql, std::initializer_list<QVariant> params)
{
    return m_db->scalar(sql, params).value_or(0).toLongLong();
}

void TestCart::cartTableHasTheColumnsTheCartWindowReads_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<FieldType>("type");
    const std::vector<std::pair<const char *, FieldType>> columns = {
        {"SEC", FieldType::Int32}, {"VERILISTARIHI", FieldType::DateTime}, {"SIRANO", FieldType::Int32},
        {"SIPARISNO", FieldType::Int32}, {"CARINO", FieldType::Int32}, {"TARIH", FieldType::Date},
        {"AKTAR", FieldType::Int32}, {"STOKNO", FieldType::Int32}, {"BARKOD", FieldType::String},
        {"FINISHKOD", FieldType::String}, {"OEMNO", FieldType::String}, {"STOKADI", FieldType::String},
        {"MIKTAR", FieldType::Double}, {"BIRIMFIYAT", FieldType::Double}, {"TUTAR", FieldType::Double},
        {"INDIRIMYAZI", FieldType::String}, {"INDIRIMORANI1", FieldType::Double}, {"INDIRIMORANI2", FieldType::Double},
        {"INDIRIMORANI3", FieldType::Double}, {"INDIRIMORANI4", FieldType::Double}, {"INDIRIMTUTAR", FieldType::Double},
        {"NETBIRIMFIYAT", FieldType::Double}, {"KDV", FieldType::Double}, {"VERGITUTARI", FieldType::Double},
        {"NETTUTAR", FieldType::Double}, {"KUR", FieldType::String}, {"KURTL", FieldType::Double},
        {"VERENIDNO", FieldType::Int32}, {"SAAT", FieldType::String}, {"TESLIMID", FieldType::Int32},
        {"KARGOID", FieldType::Int32}, {"ACIKLAMA", FieldType::String}, {"IDNO", FieldType::Int32},
        {"VERENSIRANO", FieldType::Int32}, {"VEREN", FieldType::String}, {"CARIKOD", FieldType::String},
        {"CARIADI", FieldType::String}, {"OEM1", FieldType::String}, {"OEM2", FieldType::String}, {"OEM3", FieldType::String},
        {"OEM4", FieldType::String}, {"STOK_STOKNO", FieldType::Int32}, {"URETICIKODU", FieldType::String},
        {"DIGERADI", FieldType::String}, {"DPKOD", FieldType::String}, {"MARKA", FieldType::String},
        {"MODEL", FieldType::String}, {"ANAGRUP", FieldType::String}, {"OZELKOD", FieldType::String},
        {"PKOD", FieldType::String}, {"DURUM", FieldType::Int32}, {"KALAN", FieldType::Double},
    };
    for (const auto &[name, type] : columns)
        QTest::newRow(name) << QString::fromLatin1(name) << type;
}

void TestCart::cartTableHasTheColumnsTheCartWindowReads()
{
    QFETCH(QString, column);
    QFETCH(FieldType, type);
    // The packet and the row-by-row table forms of the cart carry the same columns.
    fillCart(1);
    const MemTable packet = cart(1);
    QVERIFY(packet.rowCount() > 0);
    const int c = packet.fieldIndex(column);
    QVERIFY2(c >= 0, qPrintable(column));
    QCOMPARE(packet.field(c).type, type);
    const MemTable table = call([](auto &p) { return toTable(p.SepetVer(1)); });
    QCOMPARE(table.rowCount(), packet.rowCount());
    QVERIFY(table.fieldIndex(column) >= 0);
    QCOMPARE(table.field(table.fieldIndex(column)).type, type);
}

void TestCart::orderTablesHaveTheColumnsTheirWindowsRead_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("column");
    QTest::addColumn<FieldType>("type");
    const std::vector<std::pair<const char *, FieldType>> previous = {
        {"CARINO", FieldType::Int32}, {"IDNO", FieldType::Int32}, {"TARIH", FieldType::DateTime},
        {"KUR", FieldType::String}, {"KURTL", FieldType::Double}, {"VERENIDNO", FieldType::Int32},
        {"KARGO", FieldType::String}, {"TESLIM", FieldType::String}, {"VEREN", FieldType::String},
        {"CARIKOD", FieldType::String}, {"CARIADI", FieldType::String}, {"VERGI", FieldType::Double},
        {"NETTUTAR", FieldType::Double}, {"TUTAR", FieldType::Double}, {"DURUM", FieldType::String},
        {"KARGOADI", FieldType::String}, {"VERENINNOTU", FieldType::String}, {"ALANNOTU", FieldType::String},
    };
    for (const auto &[name, type] : previous)
        QTest::addRow("OncekiSiparisler %s", name) << QStringLiteral("OncekiSiparisler") << QString::fromLatin1(name) << type;
    const std::vector<std::pair<const char *, FieldType>> lines = {
        {"VERILISTARIHI", FieldType::DateTime}, {"BARKOD", FieldType::String}, {"FINISHKOD", FieldType::String},
        {"OEMNO", FieldType::String}, {"STOKADI", FieldType::String}, {"MIKTAR", FieldType::Double},
        {"BIRIMFIYAT", FieldType::Double}, {"TUTAR", FieldType::Double}, {"INDIRIMYAZI", FieldType::String},
        {"NETBIRIMFIYAT", FieldType::Double}, {"KDV", FieldType::Double}, {"VERGITUTARI", FieldType::Double},
        {"NETTUTAR", FieldType::Double}, {"VEREN", FieldType::String}, {"TESLIMEDILEN", FieldType::Double},
        {"KALAN", FieldType::Double}, {"SIPARISNO", FieldType::Int32}, {"TARIH", FieldType::Date},
        {"INDIRIMORANI1", FieldType::Double}, {"INDIRIMORANI2", FieldType::Double}, {"INDIRIMORANI3", FieldType::Double},
        {"INDIRIMORANI4", FieldType::Double}, {"KUR", FieldType::String}, {"SAAT", FieldType::String},
        {"ACIKLAMA", FieldType::String}, {"OEM1", FieldType::String}, {"OEM4", FieldType::String},
        {"DIGERADI", FieldType::String}, {"DPKOD", FieldType::String}, {"MARKA", FieldType::String},
        {"MODEL", FieldType::String}, {"ANAGRUP", FieldType::String}, {"OZELKOD", FieldType::String},
        {"PKOD", FieldType::String}, {"SIRANO", FieldType::Int32}, {"CARINO", FieldType::Int32},
        {"AKTAR", FieldType::Int32}, {"STOKNO", FieldType::Int32}, {"INDIRIMTUTAR", FieldType::Double},
        {"KURTL", FieldType::Double}, {"VERENIDNO", FieldType::Int32}, {"TESLIMID", FieldType::Int32},
        {"KARGOID", FieldType::Int32}, {"IDNO", FieldType::Int32}, {"VERENSIRANO", FieldType::Int32},
        {"CARIKOD", FieldType::String}, {"CARIADI", FieldType::String}, {"STOK_STOKNO", FieldType::Int32},
        {"URETICIKODU", FieldType::String}, {"TESLIM", FieldType::String}, {"KARGO", FieldType::String},
        {"DURUM", FieldType::Int32}, {"ELDEKI", FieldType::Double},
    };
    for (const char *method : {"SiparisAyrintisi2", "TumSiparislerVer"}) {
        for (const auto &[name, type] : lines)
            QTest::addRow("%s %s", method, name) << QString::fromLatin1(method) << QString::fromLatin1(name) << type;
    }
}

void TestCart::orderTablesHaveTheColumnsTheirWindowsRead()
{
    QFETCH(QString, method);
    QFETCH(QString, column);
    QFETCH(FieldType, type);
    const int account = 2;
    const int someOrder = int(count(QStringLiteral("SELECT MAX(id) FROM orders WHERE account_id = ?"), {account}));
    QVERIFY(someOrder > 0);
    const MemTable t = call([&](auto &p) {
        if (method == QLatin1String("OncekiSiparisler"))
            return toTable(p.OncekiSiparisler(account));
        if (method == QLatin1String("SiparisAyrintisi2"))
            return toTable(p.SiparisAyrintisi2(account, someOrder));
        return toTable(p.TumSiparislerVer(account, 0));
    });
    QVERIFY(t.rowCount() > 0);
    const int c = t.fieldIndex(column);
    QVERIFY2(c >= 0, qPrintable(column));
    QCOMPARE(t.field(c).type, type);
}

void TestCart::lineAmountsRepeatTheStockDialog_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("r1");
    QTest::addColumn<double>("r2");
    QTest::addColumn<double>("r3");
    QTest::addColumn<double>("r4");
    QTest::addColumn<double>("vat");
    QTest::addColumn<double>("total");     // what the dialog shows as "Tutar"
    QTest::addColumn<QString>("rateText");
    QTest::newRow("rates one after the other") << 10.00 << 3.0 << 10.0 << 5.0 << 0.0 << 0.0 << 18.0 << 30.27 << QStringLiteral("10+5");
    QTest::newRow("no discount") << 12.34 << 7.0 << 0.0 << 0.0 << 0.0 << 0.0 << 20.0 << 103.67 << QStringLiteral("0");
    QTest::newRow("VAT on the rounded unit price") << 1.01 << 3.0 << 10.0 << 0.0 << 0.0 << 0.0 << 18.0 << 3.21 << QStringLiteral("10");
    QTest::newRow("large quantity") << 0.37 << 1000.0 << 7.5 << 2.5 << 0.0 << 0.0 << 18.0 << 390.0 << QStringLiteral("7,5+2,5");
    QTest::newRow("all four rates") << 199.99 << 4.0 << 20.0 << 10.0 << 5.0 << 2.5 << 18.0 << 629.52 << QStringLiteral("20+10+5+2,5");
    QTest::newRow("negative rate ignored") << 10.00 << 1.0 << -5.0 << 10.0 << 0.0 << 0.0 << 18.0 << 10.62 << QStringLiteral("10");
    QTest::newRow("full discount") << 55.55 << 2.0 << 100.0 << 0.0 << 0.0 << 0.0 << 18.0 << 0.0 << QStringLiteral("100");
    QTest::newRow("no VAT") << 3.33 << 9.0 << 15.0 << 0.0 << 0.0 << 0.0 << 0.0 << 25.47 << QStringLiteral("15");
    QTest::newRow("a fraction of a cent") << 0.05 << 1.0 << 10.0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.05 << QStringLiteral("10");
}

void TestCart::lineAmountsRepeatTheStockDialog()
{
    QFETCH(double, price);
    QFETCH(double, quantity);
    QFETCH(double, r1);
    QFETCH(double, r2);
    QFETCH(double, r3);
    QFETCH(double, r4);
    QFETCH(double, vat);
    QFETCH(double, total);
    QFETCH(QString, rateText);
    // A representative sets price and rates; the VAT rate is the stock's.
    const auto rep = session(kTemsilci1, 1);
    clearCart(*rep);
    const int stock = stocks(1, 10).front();
    m_db->change(QStringLiteral("UPDATE stocks SET vat_rate = ? WHERE id = ?"), {vat, stock});
    QCOMPARE(add(*rep, stock, quantity, price, {r1, r2, r3, r4}), 1);

    const MemTable t = cart(1);
    QCOMPARE(t.rowCount(), 1);
    const DialogFigures f = dialogFigures(price, quantity, {r1, r2, r3, r4}, vat);
    QCOMPARE(f.total, total); // the table's own figure, worked out by hand
    QCOMPARE(num(t, 0, "MIKTAR"), quantity);
    QCOMPARE(num(t, 0, "BIRIMFIYAT"), price);
    QCOMPARE(num(t, 0, "KDV"), vat);
    QCOMPARE(num(t, 0, "TUTAR"), Yuvarla(price * quantity));
    QCOMPARE(num(t, 0, "NETTUTAR"), f.lineNet);
    QCOMPARE(num(t, 0, "NETBIRIMFIYAT"), f.unitNet);
    QCOMPARE(Yuvarla(num(t, 0, "NETTUTAR") + num(t, 0, "VERGITUTARI")), f.total);
    QCOMPARE(num(t, 0, "KDVLITUTAR"), f.total);
    QCOMPARE(Yuvarla(num(t, 0, "TUTAR") - num(t, 0, "INDIRIMTUTAR")), num(t, 0, "NETTUTAR"));
    QVERIFY(std::abs(num(t, 0, "INDIRIMTUTAR") - f.discount) < 0.0051);
    QCOMPARE(text(t, 0, "INDIRIMYAZI"), rateText);
    // A rate the dialog skips is kept as no rate at all.
    QCOMPARE(num(t, 0, "INDIRIMORANI1"), std::max(r1, 0.0));
    QCOMPARE(num(t, 0, "INDIRIMORANI4"), r4);
}

void TestCart::cartTotalsEqualTheDialogTotalsOfTheMarkedLines()
{
    // The cart window sums the marked lines with Yuvarla; its "Genel Toplam" must be what the
    // stock dialog showed for those lines together, and "Ara Toplam" their net amounts.
    struct Line
    {
        double price, quantity;
        std::array<double, 4> rates;
        double vat;
    };
    const std::vector<Line> lines = {{1.01, 3, {10, 0, 0, 0}, 18}, {0.37, 1000, {7.5, 2.5, 0, 0}, 18},
                                     {199.99, 4, {20, 10, 5, 2.5}, 8}, {3.33, 9, {15, 0, 0, 0}, 0},
                                     {47.5, 13, {12.5, 0, 0, 0}, 20}};
    const auto rep = session(kTemsilci1, 1);
    clearCart(*rep);
    const std::vector<int> ids = stocks(int(lines.size()), 20);
    for (size_t i = 0; i < lines.size(); ++i) {
        m_db->change(QStringLiteral("UPDATE stocks SET vat_rate = ? WHERE id = ?"), {lines[i].vat, ids[i]});
        QCOMPARE(add(*rep, ids[i], lines[i].quantity, lines[i].price, lines[i].rates), 1);
    }
    MemTable t = cart(1);
    QCOMPARE(t.rowCount(), int(lines.size()));
    // Leave the second line unmarked.
    mark(t, {0, 2, 3, 4});
    t = cart(1);

    double a = 0, i = 0, v = 0, dialogGrand = 0, nets = 0;
    for (int r = 0; r < t.rowCount(); ++r) {
        if (integer(t, r, "SEC") != 1)
            continue;
        a = Yuvarla(a + num(t, r, "TUTAR"));
        i = Yuvarla(i + num(t, r, "INDIRIMTUTAR"));
        v = Yuvarla(v + num(t, r, "VERGITUTARI"));
        nets = Yuvarla(nets + num(t, r, "NETTUTAR"));
        const size_t k = size_t(std::find(ids.begin(), ids.end(), int(integer(t, r, "STOKNO"))) - ids.begin());
        QVERIFY(k < lines.size());
        dialogGrand = Yuvarla(dialogGrand + dialogFigures(lines[k].price, lines[k].quantity, lines[k].rates, lines[k].vat).total);
    }
    const double n = Yuvarla(a - i);
    const double g = Yuvarla(n + v);
    QCOMPARE(n, nets);
    QCOMPARE(g, dialogGrand);
    QCOMPARE(formatNumber(g, kTutarBicimi), QStringLiteral("1.253,15"));
}

void TestCart::dealerGetsTheAccountPriceWhateverTheClientSends()
{
    const auto dealer = session(kBayi);
    QCOMPARE(dealer->CARINO(), 1);
    clearCart(*dealer);
    const int stock = stocks(1, 30).front();
    const QString code = m_db->scalar(QStringLiteral("SELECT code FROM stocks WHERE id = ?"), {stock})->toString();
    // The price list of the account, as the stock search shows it.
    const MemTable found = call([&](auto &p) { return p.StokAraGetir(code, copy(*dealer)); });
    const int row = rowOf(found, "STOK_STOKNO", stock);
    QVERIFY(row >= 0);

    QCOMPARE(add(*dealer, stock, 2, 0.01, {99, 99, 0, 0}), 1);
    MemTable t = cart(1);
    QCOMPARE(t.rowCount(), 1);
    QCOMPARE(num(t, 0, "BIRIMFIYAT"), num(found, row, "FIYAT"));
    QCOMPARE(num(t, 0, "KDV"), num(found, row, "KDV"));
    for (const char *pair : {"1", "2", "3", "4"}) {
        const QByteArray line = QByteArray("INDIRIMORANI") + pair;
        const QByteArray list = QByteArray("IND") + pair;
        QCOMPARE(num(t, 0, line.constData()), num(found, row, list.constData()));
    }
    QCOMPARE(text(t, 0, "INDIRIMYAZI"), text(found, row, "INDIRIMYAZI"));
    QCOMPARE(integer(t, 0, "K"), integer(found, row, "K"));
    QCOMPARE(num(t, 0, "NETBIRIMFIYAT"), num(found, row, "NETFIYAT"));

    // A dealer's change touches the quantity only.
    const qint32 line = qint32(integer(t, 0, "SIRANO"));
    QCOMPARE(call([&](auto &p) {
                 return p.SepetGuncelle2(copy(*dealer), 1, 0, QString(), QString(), 5, 1, 0.01, 0, dealer->Sirano(), line, 0, 0, 0);
             }),
             1);
    t = cart(1);
    QCOMPARE(num(t, 0, "MIKTAR"), 5.0);
    QCOMPARE(num(t, 0, "BIRIMFIYAT"), num(found, row, "FIYAT"));
    QCOMPARE(num(t, 0, "INDIRIMORANI1"), num(found, row, "IND1"));

    // A representative's change sets price and rates.
    const auto rep = session(kTemsilci1, 1);
    QCOMPARE(call([&](auto &p) {
                 return p.SepetGuncelle2(copy(*rep), 1, 0, QString(), QString(), 4, 18, 77.7, 12.5, rep->Sirano(), line, 0, 0, 0);
             }),
             1);
    t = cart(1);
    QCOMPARE(num(t, 0, "MIKTAR"), 4.0);
    QCOMPARE(num(t, 0, "BIRIMFIYAT"), 77.7);
    QCOMPARE(num(t, 0, "INDIRIMORANI1"), 12.5);
    QCOMPARE(num(t, 0, "INDIRIMORANI2"), 0.0);
}

void TestCart::sameStockTwiceIsOneLine()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    const int stock = stocks(1, 40).front();
    QCOMPARE(add(*dealer, stock, 2), 1);
    QCOMPARE(add(*dealer, stock, 3), 1);
    const MemTable t = cart(dealer->CARINO());
    QCOMPARE(t.rowCount(), 1);
    QCOMPARE(num(t, 0, "MIKTAR"), 5.0);
    QCOMPARE(integer(t, 0, "SEC"), 1); // a new line comes marked for ordering
    QCOMPARE(integer(t, 0, "VERENIDNO"), qint64(dealer->Sirano()));
}

void TestCart::cartWritesAreRefused_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<int>("sessionCarino"); // -1: as the server gave it
    QTest::addColumn<int>("carino");        // -1: the session's
    QTest::addColumn<int>("userDelta");     // added to the session's user number
    QTest::addColumn<int>("stock");         // 0: a usable stock; -1: none such; -2: withdrawn
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("price");
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("errorClass");

    const QString session = QStringLiteral("EVexorSessionError");
    const QString cart = QStringLiteral("EVexorCartError");
    QTest::newRow("unknown machine") << QStringLiteral("NO-SUCH-MACHINE") << 1 << 1 << 0 << 0 << 1.0 << 10.0 << 0.0 << session;
    QTest::newRow("representative, account of another") << kTemsilci2 << 1 << -1 << 0 << 0 << 1.0 << 10.0 << 0.0 << session;
    QTest::newRow("representative, no account chosen") << kTemsilci1 << 0 << -1 << 0 << 0 << 1.0 << 10.0 << 0.0 << session;
    QTest::newRow("dealer names another account") << kBayi << -1 << 2 << 0 << 0 << 1.0 << 10.0 << 0.0 << session;
    QTest::newRow("another user number") << kBayi << -1 << -1 << 1 << 0 << 1.0 << 10.0 << 0.0 << session;
    QTest::newRow("quantity 0") << kBayi << -1 << -1 << 0 << 0 << 0.0 << 10.0 << 0.0 << cart;
    QTest::newRow("negative quantity") << kBayi << -1 << -1 << 0 << 0 << -2.0 << 10.0 << 0.0 << cart;
    QTest::newRow("rate above 100") << kTemsilci1 << 1 << -1 << 0 << 0 << 1.0 << 10.0 << 150.0 << cart;
    QTest::newRow("negative price") << kTemsilci1 << 1 << -1 << 0 << 0 << 1.0 << -10.0 << 0.0 << cart;
    QTest::newRow("no such stock") << kBayi << -1 << -1 << 0 << -1 << 1.0 << 10.0 << 0.0 << cart;
    QTest::newRow("withdrawn stock") << kBayi << -1 << -1 << 0 << -2 << 1.0 << 10.0 << 0.0 << cart;
}

void TestCart::cartWritesAreRefused()
{
    QFETCH(QString, machine);
    QFETCH(int, sessionCarino);
    QFETCH(int, carino);
    QFETCH(int, userDelta);
    QFETCH(int, stock);
    QFETCH(double, quantity);
    QFETCH(double, price);
    QFETCH(double, rate);
    QFETCH(QString, errorClass);

    fillCart(2);
    auto s = session(machine, sessionCarino);
    if (machine.startsWith(QLatin1String("NO-")))
        s->setBILGISAYARID(machine);
    s->setSirano(s->Sirano() + userDelta);
    const int stockId = stock == 0 ? stocks(1, 50).front() : stock == -1 ? 9'999'999 : m_inactiveStock;
    const QList<QList<qint64>> before = cartState(cart(1));
    QCOMPARE(errorClassOf([&](auto &p) {
                 return p.SepetEkle2(copy(*s), carino < 0 ? s->CARINO() : carino, stockId, QString(), QString(), quantity, 18, price,
                                     rate, s->Sirano(), 0, 0, 0, 0);
             }),
             errorClass);
    QCOMPARE(cartState(cart(1)), before);
    // The change of a line refuses the same, except for the stock: a line has its own.
    if (stock == 0) {
        const qint32 line = qint32(before.front().front());
        QCOMPARE(errorClassOf([&](auto &p) {
                     return p.SepetGuncelle2(copy(*s), carino < 0 ? s->CARINO() : carino, 0, QString(), QString(), quantity, 18,
                                             price, rate, s->Sirano(), line, 0, 0, 0);
                 }),
                 errorClass);
        QCOMPARE(cartState(cart(1)), before);
    }
}

void TestCart::linesOfAnotherAccountAreOutOfReach()
{
    const auto one = session(kBayi);
    const auto two = session(kBayi0);
    clearCart(*two);
    QCOMPARE(add(*two, stocks(1, 60).front(), 3), 1);
    const MemTable before = cart(2);
    const qint32 foreign = qint32(integer(before, 0, "SIRANO"));
    QCOMPARE(call([&](auto &p) {
                 return p.SepetGuncelle2(copy(*one), 1, 0, QString(), QString(), 9, 18, 0, 0, one->Sirano(), foreign, 0, 0, 0);
             }),
             0);
    QCOMPARE(call([&](auto &p) { return p.SepetSatirSil(copy(*one), foreign, QStringLiteral("x-y")); }), 0);
    call([&](auto &p) { return p.SepetHepsiniSil(copy(*one)); });
    QCOMPARE(cartState(cart(2)), cartState(before));
}

void TestCart::marksAndDeletes()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    for (int stock : stocks(3, 70))
        QCOMPARE(add(*dealer, stock, 1), 1);
    MemTable t = cart(2);
    QCOMPARE(t.rowCount(), 3);
    const qint32 first = qint32(integer(t, 0, "SIRANO"));
    const qint32 second = qint32(integer(t, 1, "SIRANO"));
    call([&](auto &p) {
        p.SepetSecimGuncelle(first, 0);
        return 0;
    });
    t = cart(2);
    QCOMPARE(integer(t, 0, "SEC"), 0);
    QCOMPARE(integer(t, 1, "SEC"), 1);
    QCOMPARE(errorClassOf([&](auto &p) {
                 p.SepetSecimGuncelle(first, 2);
                 return 0;
             }),
             QStringLiteral("EVexorParamError"));
    QCOMPARE(errorClassOf([&](auto &p) {
                 p.SepetSecimGuncelle(9'999'999, 1);
                 return 0;
             }),
             QStringLiteral("EVexorNotFound"));

    const QString barcodeAndName = text(t, 1, "BARKOD") + QLatin1Char('-') + text(t, 1, "STOKADI");
    QCOMPARE(call([&](auto &p) { return p.SepetSatirSil(copy(*dealer), second, barcodeAndName); }), 1);
    QCOMPARE(call([&](auto &p) { return p.SepetSatirSil(copy(*dealer), second, barcodeAndName); }), 0);
    t = cart(2);
    QCOMPARE(t.rowCount(), 2);
    QCOMPARE(rowOf(t, "SIRANO", second), -1);
    QCOMPARE(call([&](auto &p) { return p.SepetHepsiniSil(copy(*dealer)); }), 2);
    QCOMPARE(cart(2).rowCount(), 0);
}

void TestCart::mobileCartMatchesTheCartTable()
{
    fillCart(3);
    const MemTable t = cart(1);
    QVERIFY(t.rowCount() > 0);
    std::vector<std::tuple<int, int, double, double, double, int, QString>> records;
    call([&](auto &p) {
        const TMobilSepetler *list = p.SepetMobilVer(1);
        for (const auto &m : list->Items())
            records.emplace_back(m->SIRANO(), m->StokNo(), m->MIKTAR(), m->NETTUTAR(), m->KDVLITUTAR(), m->SEC(), m->Barkod());
        return 0;
    });
    QCOMPARE(int(records.size()), t.rowCount());
    for (int r = 0; r < t.rowCount(); ++r) {
        const auto &[line, stock, quantity, net, total, sec, barcode] = records[size_t(r)];
        QCOMPARE(line, int(integer(t, r, "SIRANO")));
        QCOMPARE(stock, int(integer(t, r, "STOKNO")));
        QCOMPARE(quantity, num(t, r, "MIKTAR"));
        QCOMPARE(net, num(t, r, "NETTUTAR"));
        QCOMPARE(total, num(t, r, "KDVLITUTAR"));
        QCOMPARE(sec, int(integer(t, r, "SEC")));
        QCOMPARE(barcode, text(t, r, "BARKOD"));
    }
}

void TestCart::deliveryAndCargoLists()
{
    // Number in column 0 and text in column 1, in the database's order.
    auto expect = [&](const QString &sql, std::initializer_list<QVariant> params) {
        QList<QPair<qint64, QString>> rows;
        QSqlQuery q = m_db->exec(sql, params);
        while (q.next())
            rows.append({q.value(0).toLongLong(), q.value(1).toString()});
        return rows;
    };
    auto got = [](const MemTable &t) {
        QList<QPair<qint64, QString>> rows;
        for (int r = 0; r < t.rowCount(); ++r)
            rows.append({t.asInt(r, 0), t.asString(r, 1)});
        return rows;
    };
    const MemTable deliveries = call([](auto &p) { return toTable(p.TeslimVer()); });
    QCOMPARE(deliveries.field(0).type, FieldType::Int32);
    QCOMPARE(got(deliveries), expect(QStringLiteral("SELECT id, name FROM delivery_kinds ORDER BY sort_order"), {}));
    QVERIFY(deliveries.rowCount() >= 2);
    const MemTable kinds = call([](auto &p) { return toTable(p.KargoVer()); });
    QCOMPARE(got(kinds), expect(QStringLiteral("SELECT id, name FROM cargo_kinds ORDER BY sort_order"), {}));

    for (int r = 0; r < kinds.rowCount(); ++r) {
        const qint32 kind = qint32(kinds.asInt(r, 0));
        const MemTable firms = call([&](auto &p) { return toTable(p.KargolarVer(kind)); });
        QCOMPARE(got(firms), expect(QStringLiteral("SELECT f.id, f.name FROM cargo_firms f JOIN cargo_firm_kinds k ON k.firm_id = f.id "
                                                   "WHERE k.kind_id = ? ORDER BY f.name"),
                                    {kind}));
        for (int f = 0; f < firms.rowCount(); ++f)
            QCOMPARE(text(firms, f, "UYARI"),
                     m_db->scalar(QStringLiteral("SELECT warning FROM cargo_firms WHERE id = ?"), {firms.asInt(f, 0)})->toString());
    }
    const MemTable none = call([](auto &p) { return toTable(p.KargolarVer(999)); });
    QCOMPARE(none.rowCount(), 0);
    QVERIFY(none.fieldIndex(u"ADI") >= 0);
}

void TestCart::orderTakesExactlyTheMarkedLines()
{
    const auto dealer = session(kBayi0);
    const int account = dealer->CARINO();
    clearCart(*dealer);
    const std::vector<int> ids = stocks(4, 80);
    for (size_t i = 0; i < ids.size(); ++i)
        QCOMPARE(add(*dealer, ids[i], double(i + 2)), 1);
    mark(cart(account), {0, 2});
    const MemTable before = cart(account);
    QCOMPARE(before.rowCount(), 4);

    const int firm = firstFirmOf(2);
    const QString note = QStringLiteral("Öğleden önce teslim; ışık grubu acil.");
    const qint64 ordersBefore = count(QStringLiteral("SELECT COUNT(*) FROM orders"));
    QVERIFY(order(*dealer, 3, 2, firm, note));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM orders")), ordersBefore + 1);

    // The unmarked lines stay in the cart as they were.
    const MemTable after = cart(account);
    QCOMPARE(after.rowCount(), 2);
    for (int r : {1, 3}) {
        const int row = rowOf(after, "SIRANO", integer(before, r, "SIRANO"));
        QVERIFY(row >= 0);
        QCOMPARE(num(after, row, "MIKTAR"), num(before, r, "MIKTAR"));
        QCOMPARE(integer(after, row, "SEC"), 0);
    }

    // The previous-orders list shows the new order first, with the marked lines' totals.
    const MemTable orders = call([&](auto &p) { return toTable(p.OncekiSiparisler(account)); });
    const qint32 orderId = qint32(integer(orders, 0, "IDNO"));
    QCOMPARE(orderId, qint32(count(QStringLiteral("SELECT MAX(id) FROM orders"))));
    QCOMPARE(text(orders, 0, "DURUM"), QStringLiteral("Alındı"));
    QCOMPARE(text(orders, 0, "VERENINNOTU"), note);
    QCOMPARE(text(orders, 0, "TESLIM"),
             m_db->scalar(QStringLiteral("SELECT name FROM delivery_kinds WHERE id = 3"))->toString());
    QCOMPARE(text(orders, 0, "KARGO"), m_db->scalar(QStringLiteral("SELECT name FROM cargo_kinds WHERE id = 2"))->toString());
    QCOMPARE(text(orders, 0, "KARGOADI"), m_db->scalar(QStringLiteral("SELECT name FROM cargo_firms WHERE id = ?"), {firm})->toString());
    QCOMPARE(text(orders, 0, "VEREN"), text(before, 0, "VEREN"));
    QCOMPARE(integer(orders, 0, "VERENIDNO"), qint64(dealer->Sirano()));
    double amount = 0, net = 0, vat = 0;
    for (int r : {0, 2}) {
        amount = Yuvarla(amount + num(before, r, "TUTAR"));
        net = Yuvarla(net + num(before, r, "NETTUTAR"));
        vat = Yuvarla(vat + num(before, r, "VERGITUTARI"));
    }
    QCOMPARE(num(orders, 0, "TUTAR"), amount);
    QCOMPARE(num(orders, 0, "NETTUTAR"), net);
    QCOMPARE(num(orders, 0, "VERGI"), vat);

    // Its lines are the marked cart lines, amounts and all; nothing is delivered yet.
    const MemTable lines = call([&](auto &p) { return toTable(p.SiparisAyrintisi2(account, orderId)); });
    QCOMPARE(lines.rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const int r = i * 2;
        for (const char *column : {"MIKTAR", "BIRIMFIYAT", "TUTAR", "INDIRIMORANI1", "INDIRIMORANI2", "INDIRIMTUTAR", "NETTUTAR",
                                   "VERGITUTARI", "NETBIRIMFIYAT", "KDV"})
            QCOMPARE(num(lines, i, column), num(before, r, column));
        QCOMPARE(integer(lines, i, "STOKNO"), integer(before, r, "STOKNO"));
        QCOMPARE(text(lines, i, "INDIRIMYAZI"), text(before, r, "INDIRIMYAZI"));
        QCOMPARE(num(lines, i, "TESLIMEDILEN"), 0.0);
        QCOMPARE(num(lines, i, "KALAN"), num(before, r, "MIKTAR"));
        QCOMPARE(integer(lines, i, "IDNO"), qint64(orderId));
    }
    // Another account's number does not open the order.
    QCOMPARE(call([&](auto &p) { return toTable(p.SiparisAyrintisi2(1, orderId)); }).rowCount(), 0);

    std::unique_ptr<TSiparisDipAyrinti> foot = call([&](auto &p) {
        auto copy = std::make_unique<TSiparisDipAyrinti>();
        copy->Kopyala(*p.SiparisAytintisiDip(0, orderId));
        return copy;
    });
    QCOMPARE(foot->SizinMesaj(), note);
    QCOMPARE(foot->Durumu(), QStringLiteral("Alındı"));
    QCOMPARE(foot->Kargo(), text(orders, 0, "KARGOADI"));
    QCOMPARE(foot->TeslimCinsi(), text(orders, 0, "TESLIM"));
    QCOMPARE(foot->KargoCinsi(), text(orders, 0, "KARGO"));
    QCOMPARE(foot->Veren(), text(orders, 0, "VEREN"));
    QCOMPARE(errorClassOf([&](auto &p) { return p.SiparisAytintisiDip(0, 9'999'999) != nullptr; }), QStringLiteral("EVexorNotFound"));
}

void TestCart::orderWithNothingMarkedChangesNothing()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    for (int stock : stocks(2, 90))
        QCOMPARE(add(*dealer, stock, 1), 1);
    mark(cart(2), {});
    const QList<QList<qint64>> before = cartState(cart(2));
    const qint64 orders = count(QStringLiteral("SELECT COUNT(*) FROM orders"));
    QVERIFY(!order(*dealer, 1, 1, firstFirmOf(1)));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM orders")), orders);
    QCOMPARE(cartState(cart(2)), before);
}

void TestCart::ordersAreRefused_data()
{
    QTest::addColumn<int>("delivery");
    QTest::addColumn<int>("cargo");
    QTest::addColumn<int>("firm"); // 0: the first firm of the cargo kind; -1: one that does not carry it
    QTest::addColumn<int>("carino");
    QTest::addColumn<int>("userDelta");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("errorClass");
    const QString order = QStringLiteral("EVexorOrderError");
    QTest::newRow("unknown delivery") << 99 << 1 << 0 << 2 << 0 << false << order;
    QTest::newRow("unknown cargo kind") << 1 << 99 << 0 << 2 << 0 << false << order;
    QTest::newRow("firm outside the cargo kind") << 1 << 1 << -1 << 2 << 0 << false << order;
    QTest::newRow("another account") << 1 << 1 << 0 << 1 << 0 << false << QStringLiteral("EVexorSessionError");
    QTest::newRow("another user") << 1 << 1 << 0 << 2 << 1 << false << QStringLiteral("EVexorSessionError");
    QTest::newRow("orders closed") << 1 << 1 << 0 << 2 << 0 << true << order;
}

void TestCart::ordersAreRefused()
{
    QFETCH(int, delivery);
    QFETCH(int, cargo);
    QFETCH(int, firm);
    QFETCH(int, carino);
    QFETCH(int, userDelta);
    QFETCH(bool, closed);
    QFETCH(QString, errorClass);
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    QCOMPARE(add(*dealer, stocks(1, 100).front(), 2), 1);
    const int firmId = firm == 0 ? firstFirmOf(cargo == 99 ? 1 : cargo)
                                 : int(count(QStringLiteral("SELECT MIN(id) FROM cargo_firms WHERE id NOT IN "
                                                            "(SELECT firm_id FROM cargo_firm_kinds WHERE kind_id = ?)"),
                                             {cargo}));
    QVERIFY(firmId > 0);
    m_db->change(QStringLiteral("UPDATE accounts SET orders_allowed = ? WHERE id = 2"), {closed ? 0 : 1});
    const QString reason = call([](auto &p) { return p.SiparisAlinirmi(2); });
    QCOMPARE(reason.isEmpty(), !closed);

    const QList<QList<qint64>> before = cartState(cart(2));
    const qint64 orders = count(QStringLiteral("SELECT COUNT(*) FROM orders"));
    QCOMPARE(errorClassOf([&](auto &p) {
                 return p.SiparisKaydet(copy(*dealer), carino, delivery, cargo, QString(), dealer->Sirano() + userDelta, firmId);
             }),
             errorClass);
    m_db->change(QStringLiteral("UPDATE accounts SET orders_allowed = 1 WHERE id = 2"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM orders")), orders);
    QCOMPARE(cartState(cart(2)), before);
}

void TestCart::interruptedOrderLeavesCartAndOrdersUnchanged()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    for (int stock : stocks(3, 110))
        QCOMPARE(add(*dealer, stock, 2), 1);
    const QList<QList<qint64>> before = cartState(cart(2));
    const qint64 orders = count(QStringLiteral("SELECT COUNT(*) FROM orders"));
    const qint64 lines = count(QStringLiteral("SELECT COUNT(*) FROM order_lines"));

    // The disk fills up after the order and its first line are written.
    m_db->execScript({QStringLiteral("CREATE TRIGGER fail_second_line BEFORE INSERT ON order_lines WHEN NEW.line_no = 2 "
                                     "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")});
    const QString error = errorClassOf([&](auto &p) { return order(*dealer, 1, 1, firstFirmOf(1)); });
    m_db->execScript({QStringLiteral("DROP TRIGGER fail_second_line")});
    QCOMPARE(error, QStringLiteral("EVexorServerError"));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM orders")), orders);
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM order_lines")), lines);
    QCOMPARE(cartState(cart(2)), before);

    // Nothing is left half done: the same order goes through now.
    QVERIFY(order(*dealer, 1, 1, firstFirmOf(1)));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM order_lines")), lines + 3);
    QCOMPARE(cart(2).rowCount(), 0);
}

void TestCart::mobileOrderTakesTheMarkedLines()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    for (int stock : stocks(3, 120))
        QCOMPARE(add(*dealer, stock, 1), 1);
    mark(cart(2), {1});
    const qint32 orderId = call([](auto &p) { return p.MobilSiparisKaydet(2); });
    QCOMPARE(orderId, qint32(count(QStringLiteral("SELECT MAX(id) FROM orders"))));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM order_lines WHERE order_id = ?"), {orderId}), 1);
    QCOMPARE(count(QStringLiteral("SELECT user_id FROM orders WHERE id = ?"), {orderId}), qint64(dealer->Sirano()));
    QCOMPARE(cart(2).rowCount(), 2);
    QCOMPARE(call([](auto &p) { return p.MobilSiparisKaydet(2); }), 0);
}

void TestCart::concurrentAddsLoseNothing()
{
    // Four clients, each with its own connection, add to one cart at once: each its own
    // stocks and all of them one shared stock.
    const auto dealer = session(kBayi4);
    const int account = dealer->CARINO();
    clearCart(*dealer);
    constexpr int kClients = 4;
    constexpr int kEach = 25;
    const std::vector<int> ids = stocks(kClients * kEach + 1, 200);
    const int shared = ids.back();
    std::atomic<int> failures{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c) {
        clients.emplace_back([&, c] {
            try {
                Connection con;
                con.HostName = QStringLiteral("127.0.0.1");
                con.Port = m_server->port();
                con.open();
                for (int i = 0; i < kEach; ++i) {
                    for (int stock : {ids[size_t(c * kEach + i)], shared}) {
                        TServerMethods1Client p(&con);
                        if (p.SepetEkle2(copy(*dealer), account, stock, QString(), QString(), 1, 18, 0, 0, dealer->Sirano(), 0, 0,
                                         0, 0) != 1)
                            ++failures;
                    }
                }
            } catch (const std::exception &e) {
                qWarning("client %d: %s", c, e.what());
                ++failures;
            }
        });
    }
    for (std::thread &t : clients)
        t.join();
    QCOMPARE(failures.load(), 0);
    const MemTable t = cart(account);
    QCOMPARE(t.rowCount(), kClients * kEach + 1);
    QCOMPARE(num(t, rowOf(t, "STOKNO", shared), "MIKTAR"), double(kClients * kEach));
}

void TestCart::concurrentOrdersAndAddsLoseNothing()
{
    // One client keeps adding a stock while another keeps sending orders: every piece added
    // ends up either in an order or still in the cart, never in both, never lost.
    const auto dealer = session(kBayi4);
    const int account = dealer->CARINO();
    clearCart(*dealer);
    const int stock = stocks(1, 320).front();
    const qint64 lastOrder = count(QStringLiteral("SELECT COALESCE(MAX(id), 0) FROM orders"));
    constexpr int kAdds = 60;
    std::atomic<bool> adding{true};
    std::atomic<int> failures{0};
    std::atomic<int> ordersSent{0};
    auto open = [&](Connection &con) {
        con.HostName = QStringLiteral("127.0.0.1");
        con.Port = m_server->port();
        con.open();
    };
    std::thread adder([&] {
        try {
            Connection con;
            open(con);
            for (int i = 0; i < kAdds; ++i) {
                TServerMethods1Client p(&con);
                if (p.SepetEkle2(copy(*dealer), account, stock, QString(), QString(), 1, 18, 0, 0, dealer->Sirano(), 0, 0, 0, 0) != 1)
                    ++failures;
            }
        } catch (const std::exception &e) {
            qWarning("adder: %s", e.what());
            ++failures;
        }
        adding = false;
    });
    std::thread orderer([&] {
        try {
            Connection con;
            open(con);
            const int firm = firstFirmOf(1);
            while (adding) {
                TServerMethods1Client p(&con);
                if (p.SiparisKaydet(copy(*dealer), account, 1, 1, QString(), dealer->Sirano(), firm))
                    ++ordersSent;
            }
        } catch (const std::exception &e) {
            qWarning("orderer: %s", e.what());
            ++failures;
        }
    });
    adder.join();
    orderer.join();
    QCOMPARE(failures.load(), 0);
    const MemTable t = cart(account);
    const double inCart = t.rowCount() == 0 ? 0 : num(t, 0, "MIKTAR");
    const double ordered = m_db->scalar(QStringLiteral("SELECT COALESCE(SUM(l.quantity), 0) FROM order_lines l JOIN orders o "
                                                       "ON o.id = l.order_id WHERE o.id > ? AND o.account_id = ?"),
                                        {lastOrder, account})->toDouble();
    QCOMPARE(inCart + ordered, double(kAdds));
    QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM orders WHERE id > ? AND account_id = ?"), {lastOrder, account}),
             qint64(ordersSent.load()));
}

void TestCart::ordersMoveThroughTheirStatuses()
{
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    const std::vector<int> ids = stocks(2, 130);
    m_db->change(QStringLiteral("UPDATE stocks SET quantity = 100 WHERE id = ?"), {ids[0]});
    m_db->change(QStringLiteral("UPDATE stocks SET quantity = 1 WHERE id = ?"), {ids[1]});
    for (int stock : ids)
        QCOMPARE(add(*dealer, stock, 3), 1);
    QVERIFY(order(*dealer, 1, 1, firstFirmOf(1)));
    const qint32 orderId = qint32(count(QStringLiteral("SELECT MAX(id) FROM orders")));
    const QDateTime placed = QDateTime::fromString(
        m_db->scalar(QStringLiteral("SELECT ordered_at FROM orders WHERE id = ?"), {orderId})->toString(), Qt::ISODate);
    const QString invoicesOfTheOrder = QStringLiteral(
        "SELECT COUNT(DISTINCT il.invoice_id) FROM invoice_lines il JOIN order_lines ol ON ol.id = il.order_line_id "
        "WHERE ol.order_id = ?");

    auto statusAfter = [&](qint64 minutes) {
        m_methods->advanceOrderStatuses(placed.addSecs(minutes * 60).toMSecsSinceEpoch());
        return call([&](auto &p) { return p.SiparisAytintisiDip(0, orderId)->Durumu(); });
    };
    QCOMPARE(statusAfter(14), QStringLiteral("Alındı"));
    QCOMPARE(statusAfter(15), QStringLiteral("Görüldü"));
    QCOMPARE(statusAfter(59), QStringLiteral("Görüldü"));
    QCOMPARE(statusAfter(60), QStringLiteral("Onaylandı"));
    // One line can be given in full, the other only in part.
    QCOMPARE(statusAfter(4 * 60), QStringLiteral("Parçalı Hazırlandı"));
    QCOMPARE(count(invoicesOfTheOrder, {orderId}), 0);
    QCOMPARE(statusAfter(10 * 60), QStringLiteral("Sevk Edildi"));

    // What went out left the depot and was invoiced; the rest is the line's balance.
    const MemTable lines = call([&](auto &p) { return toTable(p.SiparisAyrintisi2(2, orderId)); });
    QCOMPARE(lines.rowCount(), 2);
    QCOMPARE(num(lines, 0, "TESLIMEDILEN"), 3.0);
    QCOMPARE(num(lines, 0, "KALAN"), 0.0);
    QCOMPARE(num(lines, 1, "TESLIMEDILEN"), 1.0);
    QCOMPARE(num(lines, 1, "KALAN"), 2.0);
    QCOMPARE(count(QStringLiteral("SELECT quantity FROM stocks WHERE id = ?"), {ids[0]}), 97);
    QCOMPARE(count(QStringLiteral("SELECT quantity FROM stocks WHERE id = ?"), {ids[1]}), 0);
    QCOMPARE(count(invoicesOfTheOrder, {orderId}), 1);
    const qint64 invoice = count(QStringLiteral("SELECT DISTINCT il.invoice_id FROM invoice_lines il JOIN order_lines ol "
                                                "ON ol.id = il.order_line_id WHERE ol.order_id = ?"), {orderId});
    QCOMPARE(count(QStringLiteral("SELECT SUM(quantity) FROM invoice_lines WHERE invoice_id = ?"), {invoice}), 4);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT debit FROM account_movements WHERE invoice_id = ?"), {invoice})->toDouble(),
             m_db->scalar(QStringLiteral("SELECT grand_total FROM invoices WHERE id = ?"), {invoice})->toDouble());
    QCOMPARE(count(QStringLiteral("SELECT account_id FROM invoices WHERE id = ?"), {invoice}), 2);

    // An open balance keeps the order shipped; once it is given up the order is complete.
    QCOMPARE(statusAfter(100 * 60), QStringLiteral("Sevk Edildi"));
    m_db->change(QStringLiteral("UPDATE order_lines SET cancelled = quantity - delivered WHERE order_id = ?"), {orderId});
    QCOMPARE(statusAfter(101 * 60), QStringLiteral("Tamamlandı"));
    QCOMPARE(statusAfter(500 * 60), QStringLiteral("Tamamlandı"));
}

void TestCart::approvedOrderIsPreparedAsTheDepotAllows_data()
{
    QTest::addColumn<double>("depotA");
    QTest::addColumn<double>("depotB");
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("stockOffset");
    QTest::newRow("all there") << 10.0 << 2.0 << QStringLiteral("Hazırlandı") << 140;
    QTest::newRow("one short") << 10.0 << 1.0 << QStringLiteral("Parçalı Hazırlandı") << 142;
    QTest::newRow("nothing there") << 0.0 << 0.0 << QStringLiteral("Onaylandı") << 144;
}

void TestCart::approvedOrderIsPreparedAsTheDepotAllows()
{
    QFETCH(double, depotA);
    QFETCH(double, depotB);
    QFETCH(QString, status);
    QFETCH(int, stockOffset);
    const auto dealer = session(kBayi0);
    clearCart(*dealer);
    const std::vector<int> ids = stocks(2, stockOffset);
    m_db->change(QStringLiteral("UPDATE stocks SET quantity = ? WHERE id = ?"), {depotA, ids[0]});
    m_db->change(QStringLiteral("UPDATE stocks SET quantity = ? WHERE id = ?"), {depotB, ids[1]});
    for (int stock : ids)
        QCOMPARE(add(*dealer, stock, 2), 1);
    QVERIFY(order(*dealer, 1, 1, firstFirmOf(1)));
    const qint32 orderId = qint32(count(QStringLiteral("SELECT MAX(id) FROM orders")));
    const QDateTime placed = QDateTime::fromString(
        m_db->scalar(QStringLiteral("SELECT ordered_at FROM orders WHERE id = ?"), {orderId})->toString(), Qt::ISODate);
    m_methods->advanceOrderStatuses(placed.addSecs(5 * 3600).toMSecsSinceEpoch());
    QCOMPARE(call([&](auto &p) { return p.SiparisAytintisiDip(2, orderId)->Durumu(); }), status);
}

void TestCart::allOrdersOfTheAccountOrOfOneStock()
{
    const int account = 2;
    const MemTable all = call([&](auto &p) { return toTable(p.TumSiparislerVer(account, 0)); });
    QCOMPARE(qint64(all.rowCount()), count(QStringLiteral("SELECT COUNT(*) FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                                          "WHERE o.account_id = ?"), {account}));
    const int stock = int(count(QStringLiteral("SELECT l.stock_id FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                               "WHERE o.account_id = ? GROUP BY l.stock_id ORDER BY COUNT(*) DESC, l.stock_id"),
                                {account}));
    const MemTable one = call([&](auto &p) { return toTable(p.TumSiparislerVer(account, stock)); });
    QVERIFY(one.rowCount() > 0);
    QCOMPARE(qint64(one.rowCount()), count(QStringLiteral("SELECT COUNT(*) FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                                          "WHERE o.account_id = ? AND l.stock_id = ?"), {account, stock}));
    for (int r = 0; r < one.rowCount(); ++r) {
        QCOMPARE(integer(one, r, "STOK_STOKNO"), qint64(stock));
        QCOMPARE(integer(one, r, "CARINO"), qint64(account));
        QCOMPARE(integer(one, r, "DURUM"), count(QStringLiteral("SELECT status FROM stocks WHERE id = ?"), {stock}));
        QCOMPARE(num(one, r, "KALAN"), Yuvarla(num(one, r, "MIKTAR") - num(one, r, "TESLIMEDILEN") - num(one, r, "IPTALEDILEN")));
    }
    QCOMPARE(call([&](auto &p) { return toTable(p.TumSiparislerVer(9999, 0)); }).rowCount(), 0);
}

void TestCart::overdueWarning_data()
{
    // Movements as (debit, credit, due date in days from today).
    QTest::addColumn<QList<QList<double>>>("movements");
    QTest::addColumn<int>("graceDays");
    QTest::addColumn<double>("overdue");
    QTest::addColumn<int>("oldestDays");
    QTest::newRow("nothing due yet") << QList<QList<double>>{{1000, 0, 10}} << 0 << 0.0 << 0;
    QTest::newRow("paid in time") << QList<QList<double>>{{1000, 0, -40}, {0, 1000, -41}} << 0 << 0.0 << 0;
    QTest::newRow("part paid") << QList<QList<double>>{{1000, 0, -40}, {500, 0, -5}, {0, 300, -20}} << 0 << 1200.0 << 40;
    QTest::newRow("payments settle the oldest first")
        << QList<QList<double>>{{1000, 0, -40}, {500, 0, -5}, {0, 1200, -2}} << 0 << 300.0 << 5;
    QTest::newRow("within the grace days") << QList<QList<double>>{{1000, 0, -5}} << 10 << 0.0 << 0;
    QTest::newRow("past the grace days") << QList<QList<double>>{{1234.5, 0, -12}} << 10 << 1234.5 << 12;
    QTest::newRow("later debt is not overdue") << QList<QList<double>>{{1000, 0, -40}, {800, 0, 20}, {0, 1000, -1}} << 0 << 0.0 << 0;
}

void TestCart::overdueWarning()
{
    QFETCH(QList<QList<double>>, movements);
    QFETCH(int, graceDays);
    QFETCH(double, overdue);
    QFETCH(int, oldestDays);
    static int nextAccount = 9000;
    const int account = ++nextAccount;
    m_db->change(QStringLiteral("INSERT INTO accounts (id, code, name, search_key, due_check_days) VALUES (?, ?, ?, ?, ?)"),
                 {account, QStringLiteral("T.%1").arg(account), QStringLiteral("DENEME %1").arg(account),
                  QStringLiteral("DENEME"), graceDays});
    const QDate today = QDate::currentDate();
    for (const QList<double> &m : movements) {
        const QDate due = today.addDays(int(m[2]));
        m_db->change(QStringLiteral("INSERT INTO account_movements (account_id, moved_at, kind, debit, credit, due_date) "
                                    "VALUES (?, ?, ?, ?, ?, ?)"),
                     {account, isoDateTime(QDateTime(due.addDays(-30), QTime(10, 0))),
                      m[0] > 0 ? kMovementInvoice : kMovementCollection, m[0], m[1], isoDate(due)});
    }
    const QString warning = call([&](auto &p) { return p.CariVadeGunGecmismiBul(account); });
    if (overdue == 0) {
        QCOMPARE(warning, QString());
        return;
    }
    QVERIFY2(warning.contains(formatNumber(overdue, kTutarBicimi, QLocale(QLocale::Turkish, QLocale::Turkey)) + QStringLiteral(" TL")),
             qPrintable(warning));
    QVERIFY2(warning.contains(QStringLiteral(" %1 gün").arg(oldestDays)), qPrintable(warning));
}

QTEST_GUILESS_MAIN(TestCart)
#include "tst_cart.moc"
