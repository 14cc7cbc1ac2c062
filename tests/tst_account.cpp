// Account follow-up methods of vexor-server over real HTTP: open order balances and their three
// change calls, the statement, invoices, collections, web payments and their receipts, the PDF
// reports and report tables, and the public files. A seeded demo database gives the server its
// usual data; a small hand-made fixture on top of it gives figures known to the kuruş.
#include "appserver.h"
#include "remotetable.h"
#include "reports.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/schema.h"

#include "common/formats.h"
#include "common/turkish.h"
#include "proxim.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/errors.h"
#include "server/streamrule.h"
#include "server/tablecodec.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <thread>

using namespace vexor;
using namespace remotetest;

Q_DECLARE_METATYPE(std::vector<vexor::LedgerEntry>)

namespace {

// The fixture's numbers, far above what the small seed uses.
constexpr int kRepA = 99;           // TÜLAY ŞENYÜREK: accounts 9001 and 9003
constexpr int kRepB = 98;           // ÖMER ÇAĞLAR: account 9002
constexpr int kAccount = 9001;
constexpr int kOtherAccount = 9002;
constexpr int kSecondAccount = 9003;
constexpr int kPlayAccount = 9004; // the balance changes work on this one, so the others stay as built
constexpr int kDealerUser = 9001;
constexpr int kRepUser = 9003;
constexpr int kManagerUser = 9004;
constexpr int kInactiveUser = 9005;
constexpr int kStock1 = 900001;
constexpr int kStock2 = 900002;
constexpr int kStock3 = 900003;
constexpr int kInvoice = 900001;
constexpr int kReturnInvoice = 900002;
constexpr int kWireCollection = 900001;
constexpr int kCardCollection = 900002;
constexpr int kRefund = 900003;
constexpr int kChequeCollection = 900004;
constexpr int kCardPayment = 900001;
constexpr int kLonePayment = 900002;

const QString kDealer = QStringLiteral("TEST-BAYI");
const QString kOtherDealer = QStringLiteral("TEST-BAYI2");
const QString kPlayDealer = QStringLiteral("TEST-BAYI3");
const QString kRep = QStringLiteral("TEST-TEMSILCI");
const QString kManager = QStringLiteral("TEST-MUDUR");
const QString kInactive = QStringLiteral("TEST-PASIF");

double dayNumber(QDate d)
{
    return dateToDayNumber(d);
}

// A remote table read whole: column names, kinds and rows of values.

// Text of a PDF as poppler reads it, one line per text line, blanks collapsed, so that a
// comparison sees words, figures and their order rather than exact glyph positions.
QStringList pdfText(const QByteArray &pdf)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty())
        qFatal("pdftotext (poppler-utils) is needed to read the documents back; scripts/install-deps.sh installs it");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.pdf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return {QStringLiteral("<not written>")};
    file.close();
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(p.readAllStandardError()))};
    QStringList lines;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        QString l = line;
        l.replace(QLatin1Char('\f'), QLatin1Char(' '));
        l = l.simplified();
        if (!l.isEmpty())
            lines << l;
    }
    return lines;
}

// Compares with the golden file; VEXOR_UPDATE_GOLDEN=1 writes the file instead.
void compareWithGolden(const QStringList &lines, const QString &name)
{
    const QString dir = QStringLiteral(QT_TESTCASE_SOURCEDIR "/golden/");
    QFile file(dir + name);
    if (qEnvironmentVariableIsSet("VEXOR_UPDATE_GOLDEN")) {
        QDir().mkpath(dir);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        return;
    }
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QStringList expected = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < std::max(expected.size(), lines.size()); ++i)
        QCOMPARE(lines.value(i), expected.value(i));
}

// The announced count is read once the call has filled it: by reference, since the call is
// the other argument.
QByteArray download(QIODevice *stream, const qint64 &announced)
{
    return readAnnouncedStream(stream, announced).value_or(QByteArray());
}

} // namespace

class TestAccount : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void balanceColumnsAndKinds_data();
    void balanceColumnsAndKinds();
    void balanceRowsAreTheOpenLinesWithTheirAmounts();
    void deletingABalance_data();
    void deletingABalance();
    void changingABalance_data();
    void changingABalance();
    void changingThePriceKeepsWhatWasInvoiced();
    void changesAreRefusedAndLeaveNothingBehind_data();
    void changesAreRefusedAndLeaveNothingBehind();
    void aDealersAccountNumberIsTheirsWhateverTheRecordSays();

    void statementRunsTheBalance();
    void statementBetweenDays_data();
    void statementBetweenDays();
    void statementHeading();
    void invoiceLinesAndTotals();
    void invoiceOfAnotherAccountHasNoLines();
    void seededInvoicesAddUpToTheirStatementRows();
    void collectionRows();
    void webPaymentNumber_data();
    void webPaymentNumber();
    void webPaymentReceipt();

    void amountInWords_data();
    void amountInWords();
    void receivablesByDueDate_data();
    void receivablesByDueDate();
    void reportDocuments_data();
    void reportDocuments();
    void managerReportCoversEveryRepresentative();
    void documentsAreMadeSideBySide();
    void reportRefusals_data();
    void reportRefusals();
    void ordersReport_data();
    void ordersReport();
    void stocksReport_data();
    void stocksReport();

    void files();
    void catalogueExport();

private:
    std::unique_ptr<Connection> openConnection();
    void buildFixture();
    // A new order of `account` on stock 2 with one line per {quantity, delivered, cancelled};
    // returns the line numbers in order.
    QList<int> addOrder(int account, int status, const QList<std::array<double, 3>> &lines, double price = 100,
                        double ind1 = 0);
    QVariantList lineState(int lineId);
    Table table(const std::function<TableReader *(TServerMethods1Client &)> &call);

    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
    std::unique_ptr<AppServer> m_server;
};

void TestAccount::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    m_db = Database::create(m_dir.filePath(QStringLiteral("account.db")));
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

void TestAccount::cleanupTestCase()
{
    m_server.reset();
    m_db.reset();
}

std::unique_ptr<Connection> TestAccount::openConnection()
{
    auto c = std::make_unique<Connection>();
    c->HostName = QStringLiteral("127.0.0.1");
    c->Port = m_server->port();
    c->open();
    return c;
}

Table TestAccount::table(const std::function<TableReader *(TServerMethods1Client &)> &call)
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    return readTable(call(proxy));
}

void TestAccount::buildFixture()
{
    Database &db = *m_db;
    Transaction tx(db);
    const QString created = QStringLiteral("2025-01-01T09:00:00");
    db.exec(QStringLiteral("INSERT INTO representatives (id, code, name) VALUES (?, 'T99', 'TÜLAY ŞENYÜREK'), (?, 'T98', 'ÖMER ÇAĞLAR')"),
            {kRepA, kRepB});
    auto account = [&](int id, const QString &code, const QString &name, int rep) {
        db.exec(QStringLiteral("INSERT INTO accounts (id, code, name, search_key, rep_id, contact, address1, district, city, phone1, "
                               "tax_office, tax_number, due_days, credit_limit) "
                               "VALUES (?, ?, ?, ?, ?, 'İSMAİL ÖZTÜRK', 'SANAYİ SİTESİ 3. BLOK NO:7', 'SELÇUKLU', 'KONYA', "
                               "'0 (332) 345 67 89', 'SELÇUKLU V.D.', '1234567890', 30, 100000)"),
                {id, code, name, foldTurkish(QString(code + QLatin1Char(' ') + name)), rep});
    };
    account(kAccount, QStringLiteral("120.99.0001"), QStringLiteral("ÇAĞDAŞ OTO YEDEK PARÇA LTD. ŞTİ."), kRepA);
    account(kOtherAccount, QStringLiteral("120.99.0002"), QStringLiteral("ÖZGÜR FREN SİSTEMLERİ"), kRepB);
    account(kSecondAccount, QStringLiteral("120.99.0003"), QStringLiteral("IŞIK OTOMOTİV"), kRepA);
    account(kPlayAccount, QStringLiteral("120.99.0004"), QStringLiteral("DENEME OTO"), kRepA);
    auto user = [&](int id, const QString &name, int kind, QVariant accountId, QVariant repId, int active, const QString &machine) {
        db.exec(QStringLiteral("INSERT INTO users (id, name, password, full_name, kind, active, account_id, rep_id, created_at) "
                               "VALUES (?, ?, '1234', ?, ?, ?, ?, ?, ?)"),
                {id, name, QString(name + QStringLiteral(" KULLANICI")), kind, active, accountId, repId, created});
        db.exec(QStringLiteral("INSERT INTO machines (machine_id, user_id, enrolled_at) VALUES (?, ?, ?)"), {machine, id, created});
    };
    user(kDealerUser, QStringLiteral("TBAYI"), 3, kAccount, QVariant(), 1, kDealer);
    user(9002, QStringLiteral("TBAYI2"), 3, kOtherAccount, QVariant(), 1, kOtherDealer);
    user(kRepUser, QStringLiteral("TTEMSILCI"), 1, QVariant(), kRepA, 1, kRep);
    user(kManagerUser, QStringLiteral("TMUDUR"), 2, QVariant(), kRepA, 1, kManager);
    user(kInactiveUser, QStringLiteral("TPASIF"), 1, QVariant(), kRepA, 0, kInactive);
    user(9006, QStringLiteral("TBAYI3"), 3, kPlayAccount, QVariant(), 1, kPlayDealer);

    db.exec(QStringLiteral("INSERT INTO brands (id, name) VALUES (900, 'TESTMARKA')"));
    db.exec(QStringLiteral("INSERT INTO product_groups (id, parent_id, name) VALUES (900, NULL, 'TEST FREN'), (901, 900, 'TEST BALATA')"));
    db.exec(QStringLiteral("INSERT INTO departments (id, name) VALUES (900, 'TEST DEPARTMANI')"));
    auto stock = [&](int id, const QString &code, const QString &barcode, const QString &name, double vat, double price, int status,
                     double quantity) {
        db.exec(QStringLiteral("INSERT INTO stocks (id, code, barcode, barcode_no, oem_no, name, sort_key, brand_id, model, group_id, "
                               "department_id, vat_rate, list_price, quantity, incoming, status) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, 900, 'TEST MODEL', 901, 900, ?, ?, ?, 5, ?)"),
                {id, code, barcode, id, QString(QStringLiteral("OEM-") + code), name, foldTurkish(name), vat, price, quantity, status});
    };
    stock(kStock1, QStringLiteral("TST-001"), QStringLiteral("8690000000011"), QStringLiteral("ÖN FREN BALATASI"), 20, 100, 1, 12);
    stock(kStock2, QStringLiteral("TST-002"), QStringLiteral("8690000000028"), QStringLiteral("ARKA FREN DİSKİ"), 20, 450.5, 3, 0);
    stock(kStock3, QStringLiteral("TST-003"), QStringLiteral("8690000000035"), QStringLiteral("DEBRİYAJ SETİ; KOMPLE"), 18, 2500, 2, 4);

    auto order = [&](int id, int accountId, int userId, int rep, const QString &at, int status) {
        db.exec(QStringLiteral("INSERT INTO orders (id, account_id, user_id, rep_id, ordered_at, status_id, status_changed_at, "
                               "delivery_kind_id, cargo_kind_id, cargo_firm_id) VALUES (?, ?, ?, ?, ?, ?, ?, 1, 1, 1)"),
                {id, accountId, userId, rep, at, status, at});
    };
    auto line = [&](int id, int orderId, int lineNo, int stockId, double qty, double delivered, double cancelled, double price,
                    double vat, double ind1, double ind2) {
        db.exec(QStringLiteral("INSERT INTO order_lines (id, order_id, line_no, stock_id, quantity, delivered, cancelled, unit_price, "
                               "first_price, vat_rate, ind1, ind2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, orderId, lineNo, stockId, qty, delivered, cancelled, price, price, vat, ind1, ind2});
    };
    order(900001, kAccount, kDealerUser, kRepA, QStringLiteral("2026-02-10T09:30:00"), 6);
    line(900001, 900001, 1, kStock1, 10, 4, 1, 100, 20, 10, 5);
    line(900002, 900001, 2, kStock2, 3, 3, 0, 450.5, 20, 0, 0);
    line(900003, 900001, 3, kStock3, 2.5, 0, 0, 33.38, 18, 12.5, 0);
    order(900002, kOtherAccount, 9002, kRepB, QStringLiteral("2026-02-12T10:00:00"), 1);
    line(900004, 900002, 1, kStock1, 2, 0, 0, 200, 20, 0, 0);
    order(900003, kAccount, kDealerUser, kRepA, QStringLiteral("2026-02-11T10:00:00"), 8);
    line(900005, 900003, 1, kStock2, 1, 0, 1, 450.5, 20, 0, 0);
    order(900004, kSecondAccount, kRepUser, kRepA, QStringLiteral("2026-02-15T12:00:00"), 3);
    line(900006, 900004, 1, kStock3, 1, 0, 0, 2500, 18, 0, 0);

    db.exec(QStringLiteral("INSERT INTO invoices (id, account_id, number, kind, issued_at, due_days, due_date, rep_id, dispatch_no, "
                           "total, discount_total, net_total, vat_total, grand_total) VALUES "
                           "(?, ?, 'VXF2026T000001', 'Satış Faturası', '2026-02-12T17:00:00', 30, '2026-03-14', ?, 'VXI2026T000001', "
                           "1751.50, 58.00, 1693.50, 338.70, 2032.20), "
                           "(?, ?, 'VXR2026T000002', 'Satış İade Faturası', '2026-03-01T15:00:00', 0, '2026-03-01', ?, '', "
                           "450.50, 0, 450.50, 90.10, 540.60)"),
            {kInvoice, kAccount, kRepA, kReturnInvoice, kAccount, kRepA});
    db.exec(QStringLiteral("INSERT INTO invoice_lines (id, invoice_id, line_no, stock_id, order_line_id, quantity, unit_price, amount, "
                           "ind1, ind2, discount_amount, net_unit_price, net_amount, vat_rate, vat_amount, note) VALUES "
                           "(900001, ?, 1, ?, 900001, 4, 100, 400, 10, 5, 58, 85.5, 342, 20, 68.4, ''), "
                           "(900002, ?, 2, ?, 900002, 3, 450.5, 1351.5, 0, 0, 0, 450.5, 1351.5, 20, 270.3, 'Acil'), "
                           "(900003, ?, 1, ?, NULL, 1, 450.5, 450.5, 0, 0, 0, 450.5, 450.5, 20, 90.1, '')"),
            {kInvoice, kStock1, kInvoice, kStock2, kReturnInvoice, kStock2});
    db.exec(QStringLiteral("INSERT INTO deliveries (order_line_id, invoice_line_id, quantity, delivered_at) VALUES "
                           "(900001, 900001, 4, '2026-02-12T16:30:00'), (900002, 900002, 3, '2026-02-11T16:30:00')"));

    db.exec(QStringLiteral("INSERT INTO web_payments (id, account_id, paid_at, amount, installments, card_holder, card_number, bank, "
                           "auth_code, reference, status) VALUES "
                           "(?, ?, '2026-01-15T11:00:00', 50, 1, 'İSMAİL ÖZTÜRK', '540061** **** 1234', 'DOĞU BANK', '123456', "
                           "'SP0000900001', 'Onaylandı'), "
                           "(?, ?, '2026-03-12T16:45:00', 1234.56, 3, 'İSMAİL ÖZTÜRK', '540061** **** 1234', 'EGE FİNANS BANK', "
                           "'654321', 'SP0000900002', 'Onaylandı')"),
            {kCardPayment, kAccount, kLonePayment, kAccount});
    db.exec(QStringLiteral("INSERT INTO collections (id, account_id, kind, number, received_at, amount, description, web_payment_id) VALUES "
                           "(?, ?, 'Tahsilat', 'VXT2026T000001', '2026-01-10T11:00:00', 100, 'Havale/EFT tahsilatı', NULL), "
                           "(?, ?, 'Tahsilat', 'VXT2026T000002', '2026-01-15T11:00:00', 50, 'Sanal POS ödemesi', ?), "
                           "(?, ?, 'Tediye', 'VXD2026T000003', '2026-02-20T14:00:00', 25, 'Fazla ödeme iadesi', NULL), "
                           "(?, ?, 'Tahsilat', 'VXT2026T000004', '2026-03-05T10:00:00', 600, 'Çek tahsilatı', NULL)"),
            {kWireCollection, kAccount, kCardCollection, kAccount, kCardPayment, kRefund, kAccount, kChequeCollection, kAccount});
    db.exec(QStringLiteral("INSERT INTO collection_items (collection_id, method, due_date, amount, document_no, reference, description) VALUES "
                           "(?, 'Havale/EFT', '2026-01-10', 100, 'VXT2026T000001', '', ''), "
                           "(?, 'Kredi Kartı', '2026-01-15', 50, 'VXT2026T000002', 'SP-900001', ''), "
                           "(?, 'Havale/EFT', '2026-02-20', 25, 'VXD2026T000003', '', ''), "
                           "(?, 'Çek', '2026-05-05', 350, 'ÇEK-0000002', '', 'İkinci çek'), "
                           "(?, 'Çek', '2026-04-05', 250, 'ÇEK-0000001', '', '')"),
            {kWireCollection, kCardCollection, kRefund, kChequeCollection, kChequeCollection});

    // The statement: 100 / 0, 0 / 100, 0 / 50 first, so its balances run 100 B, 0, -50 A.
    db.exec(QStringLiteral(
        "INSERT INTO account_movements (account_id, moved_at, kind, document_no, debit, credit, description, due_date, invoice_id, "
        "collection_id) VALUES "
        "(?, '2026-01-02T00:00:00', 'Devir', 'DEVIR-2026', 100, 0, 'Önceki yıldan devir', NULL, NULL, NULL), "
        "(?, '2026-01-10T11:00:00', 'Tahsilat', 'VXT2026T000001', 0, 100, 'Havale/EFT', NULL, NULL, ?), "
        "(?, '2026-01-15T11:00:00', 'Tahsilat', 'VXT2026T000002', 0, 50, 'Kredi Kartı', NULL, NULL, ?), "
        "(?, '2026-02-12T17:00:00', 'Satış Faturası', 'VXF2026T000001', 2032.20, 0, '900001 nolu sipariş', '2026-03-14', ?, NULL), "
        "(?, '2026-02-20T14:00:00', 'Tediye', 'VXD2026T000003', 25, 0, 'Fazla ödeme iadesi', NULL, NULL, ?), "
        "(?, '2026-03-01T15:00:00', 'Satış İade Faturası', 'VXR2026T000002', 0, 540.60, 'Hatalı parça iadesi', NULL, ?, NULL), "
        "(?, '2026-03-05T10:00:00', 'Tahsilat', 'VXT2026T000004', 0, 600, 'Çek', NULL, NULL, ?), "
        "(?, '2025-11-01T17:00:00', 'Satış Faturası', 'VXF2025T000003', 1000, 0, '', '2025-12-01', NULL, NULL), "
        "(?, '2026-01-20T10:00:00', 'Tahsilat', 'VXT2026T000005', 0, 200, '', NULL, NULL, NULL), "
        "(?, '2026-03-10T17:00:00', 'Satış Faturası', 'VXF2026T000006', 300, 0, '', '2026-04-09', NULL, NULL), "
        "(?, '2026-02-01T10:00:00', 'Satış Faturası', 'VXF2026T000007', 120, 0, '', '2026-03-03', NULL, NULL)"),
        {kAccount, kAccount, kWireCollection, kAccount, kCardCollection, kAccount, kInvoice, kAccount, kRefund, kAccount,
         kReturnInvoice, kAccount, kChequeCollection, kSecondAccount, kSecondAccount, kSecondAccount, kPlayAccount});

    db.exec(QStringLiteral("INSERT INTO documents (id, name, title, mime, content, account_id, created_at) VALUES "
                           "(900001, 'mutabakat-9001.txt', 'Mutabakat', 'text/plain', ?, ?, '2026-03-15T10:00:00'), "
                           "(900002, 'yeni-fiyatlar.txt', 'Yeni fiyatlar', 'text/plain', ?, NULL, '2026-03-17T09:00:00')"),
            {QStringLiteral("Bakiye mutabakatı: 866,60 TL").toUtf8(), kAccount, QStringLiteral("Fiyatlar 1 Nisan'da değişiyor.").toUtf8()});
    tx.commit();
}

QList<int> TestAccount::addOrder(int account, int status, const QList<std::array<double, 3>> &lines, double price, double ind1)
{
    Database &db = *m_db;
    const int user = account == kPlayAccount ? 9006 : 9002;
    const qint64 orderId = db.insert(QStringLiteral("INSERT INTO orders (account_id, user_id, rep_id, ordered_at, status_id, "
                                                    "status_changed_at) VALUES (?, ?, ?, '2026-03-02T10:00:00', ?, '2026-03-02T10:00:00')"),
                                     {account, user, account == kPlayAccount ? kRepA : kRepB, status});
    QList<int> ids;
    int lineNo = 0;
    for (const auto &[quantity, delivered, cancelled] : lines) {
        ids << int(db.insert(QStringLiteral("INSERT INTO order_lines (order_id, line_no, stock_id, quantity, delivered, cancelled, "
                                            "unit_price, first_price, vat_rate, ind1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 20, ?)"),
                             {orderId, ++lineNo, kStock2, quantity, delivered, cancelled, price, price, ind1}));
    }
    return ids;
}

QVariantList TestAccount::lineState(int lineId)
{
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT l.quantity, l.delivered, l.cancelled, l.unit_price, l.ind1, o.status_id, "
                                            "(SELECT COUNT(*) FROM order_lines x WHERE x.order_id = l.order_id) "
                                            "FROM order_lines l JOIN orders o ON o.id = l.order_id WHERE l.id = ?"),
                             {lineId});
    QVariantList state;
    if (q.next()) {
        for (int c = 0; c < 7; ++c)
            state << q.value(c).toDouble();
    }
    return state;
}

// ---------------------------------------------------------------------------------------------
// Order balances

void TestAccount::balanceColumnsAndKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FieldType>("type");
    // What the balances window, its two change dialogs and the main window's tab read.
    for (const char *name : {"VERILISTARIHI"})
        QTest::newRow(name) << QString::fromLatin1(name) << FieldType::DateTime;
    for (const char *name : {"TARIH"})
        QTest::newRow(name) << QString::fromLatin1(name) << FieldType::Date;
    for (const char *name : {"BARKOD", "FINISHKOD", "OEMNO", "STOKADI", "INDIRIMYAZI", "VEREN", "ACIKLAMA", "MARKA", "MODEL", "SAAT",
                             "OEM1", "OEM4", "DIGERADI", "DPKOD", "ANAGRUP", "OZELKOD", "PKOD", "KUR", "CARIKOD", "CARIADI",
                             "URETICIKODU", "TESLIM", "KARGO"})
        QTest::newRow(name) << QString::fromLatin1(name) << FieldType::String;
    for (const char *name : {"MIKTAR", "BIRIMFIYAT", "TUTAR", "NETBIRIMFIYAT", "KDV", "VERGITUTARI", "NETTUTAR", "TESLIMEDILEN",
                             "KALAN", "INDIRIMORANI1", "INDIRIMORANI4", "INDIRIMTUTAR", "ILKFIYAT", "ELDEKI", "ALINANSIPARIS",
                             "VERILENSIPARIS", "KURTL"})
        QTest::newRow(name) << QString::fromLatin1(name) << FieldType::Double;
    for (const char *name : {"DURUM", "SIRANO", "STOKHAR_NO", "STOK_STOKNO", "STOKNO", "IDNO", "SIPARISNO", "VERENIDNO", "TESLIMID",
                             "KARGOID", "AKTAR", "VERENSIRANO"})
        QTest::newRow(name) << QString::fromLatin1(name) << FieldType::Int32;
}

void TestAccount::balanceColumnsAndKinds()
{
    QFETCH(QString, name);
    QFETCH(FieldType, type);
    for (const char *method : {"BakiyelerVer2", "BakiyelerVer"}) {
        const Table t = table([&](TServerMethods1Client &p) {
            return QByteArrayView(method) == "BakiyelerVer2" ? p.BakiyelerVer2(kAccount) : p.BakiyelerVer(kAccount);
        });
        QVERIFY2(t.column(name) >= 0, method);
        QCOMPARE(t.types[t.column(name)], type);
    }
}

void TestAccount::balanceRowsAreTheOpenLinesWithTheirAmounts()
{
    const Table t = table([](TServerMethods1Client &p) { return p.BakiyelerVer2(kAccount); });
    // Only the open lines of the account's order: the delivered line and the cancelled order
    // are not balances.
    QCOMPARE(t.rows.size(), 2);
    QCOMPARE(t.at(0, QStringLiteral("SIRANO")).toInt(), 900001);
    QCOMPARE(t.at(1, QStringLiteral("SIRANO")).toInt(), 900003);
    QCOMPARE(t.rowWhere(QStringLiteral("SIRANO"), 900002), -1);
    QCOMPARE(t.rowWhere(QStringLiteral("SIRANO"), 900005), -1);
    QCOMPARE(t.rowWhere(QStringLiteral("SIRANO"), 900004), -1); // another account's

    struct Expected
    {
        const char *column;
        QVariant first;
        QVariant second;
    };
    // Amounts are those of the open balance: 5 of 10 (4 delivered, 1 given up) at 100 less 10 %
    // and 5 %; 2.5 at 33.38 less 12.5 % (73.01875 rounds to 73.02). VAT as the order windows
    // derive it: 2.5 x 34.47 (29.21 with 18 %) = 86.18, less the net.
    const std::vector<Expected> expected = {
        {"STOKHAR_NO", 900001, 900003}, {"IDNO", 900001, 900001}, {"SIPARISNO", 900001, 900001},
        {"STOK_STOKNO", kStock1, kStock3}, {"BARKOD", QStringLiteral("8690000000011"), QStringLiteral("8690000000035")},
        {"FINISHKOD", QStringLiteral("TST-001"), QStringLiteral("TST-003")},
        {"STOKADI", QStringLiteral("ÖN FREN BALATASI"), QStringLiteral("DEBRİYAJ SETİ; KOMPLE")},
        {"ACIKLAMA", QStringLiteral("ÖN FREN BALATASI"), QStringLiteral("DEBRİYAJ SETİ; KOMPLE")},
        {"MARKA", QStringLiteral("TESTMARKA"), QStringLiteral("TESTMARKA")}, {"MODEL", QStringLiteral("TEST MODEL"), QStringLiteral("TEST MODEL")},
        {"ANAGRUP", QStringLiteral("TEST FREN"), QStringLiteral("TEST FREN")},
        {"MIKTAR", 10.0, 2.5}, {"TESLIMEDILEN", 4.0, 0.0}, {"KALAN", 5.0, 2.5},
        {"BIRIMFIYAT", 100.0, 33.38}, {"ILKFIYAT", 100.0, 33.38}, {"TUTAR", 500.0, 83.45},
        {"INDIRIMORANI1", 10.0, 12.5}, {"INDIRIMORANI2", 5.0, 0.0}, {"INDIRIMYAZI", QStringLiteral("10+5"), QStringLiteral("12,5")},
        {"INDIRIMTUTAR", 72.5, 10.43}, {"NETTUTAR", 427.5, 73.02}, {"NETBIRIMFIYAT", 85.5, 29.21},
        {"KDV", 20.0, 18.0}, {"VERGITUTARI", 85.5, 13.16},
        {"VEREN", QStringLiteral("TBAYI KULLANICI"), QStringLiteral("TBAYI KULLANICI")}, {"VERENIDNO", kDealerUser, kDealerUser},
        {"DURUM", 1, 2}, {"ELDEKI", 12.0, 4.0}, {"VERILENSIPARIS", 5.0, 5.0},
        // Open quantities of every account: 5 + 2 (account 9002) and 2.5 + 1 (account 9003).
        {"ALINANSIPARIS", 7.0, 3.5},
        {"AKTAR", 1, 1}, {"CARINO", kAccount, kAccount}, {"CARIKOD", QStringLiteral("120.99.0001"), QStringLiteral("120.99.0001")},
        {"SAAT", QStringLiteral("09:30"), QStringLiteral("09:30")}, {"TARIH", QDate(2026, 2, 10), QDate(2026, 2, 10)},
    };
    for (const Expected &e : expected) {
        QCOMPARE(t.at(0, QString::fromLatin1(e.column)), e.first);
        QCOMPARE(t.at(1, QString::fromLatin1(e.column)), e.second);
    }
    QCOMPARE(t.at(0, QStringLiteral("VERILISTARIHI")).toDateTime(), QDateTime(QDate(2026, 2, 10), QTime(9, 30)));

    // An account without orders, and none at all, have no balances.
    QCOMPARE(table([](TServerMethods1Client &p) { return p.BakiyelerVer2(0); }).rows.size(), 0);
    QCOMPARE(table([](TServerMethods1Client &p) { return p.BakiyelerVer2(-5); }).rows.size(), 0);
}

void TestAccount::deletingABalance_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("delivered");
    QTest::addColumn<double>("otherOpen"); // the order's second line: 0 = none, > 0 its open quantity
    QTest::addColumn<int>("statusAfter");

    QTest::newRow("nothing delivered: the order is cancelled") << 5.0 << 0.0 << 0.0 << int(OrderStatus::Iptal);
    QTest::newRow("partly delivered: the order is completed") << 5.0 << 2.0 << 0.0 << int(OrderStatus::Tamamlandi);
    QTest::newRow("another line still open: the order stays") << 5.0 << 2.0 << 3.0 << int(OrderStatus::Onaylandi);
}

void TestAccount::deletingABalance()
{
    QFETCH(double, quantity);
    QFETCH(double, delivered);
    QFETCH(double, otherOpen);
    QFETCH(int, statusAfter);

    QList<std::array<double, 3>> lines{{quantity, delivered, 0}};
    if (otherOpen > 0)
        lines.append({otherOpen, 0, 0});
    const QList<int> ids = addOrder(kPlayAccount, int(OrderStatus::Onaylandi), lines);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    // As "Bakiyeyi Sil" sends it: STOK_STOKNO, SIRANO, STOKHAR_NO, MIKTAR, KALAN, BARKOD.
    QCOMPARE(proxy.BakiyeDuzenle(session(kPlayDealer, kPlayAccount), kStock2, ids[0], ids[0], quantity, quantity - delivered,
                                 QStringLiteral("8690000000028")),
             1);
    const QVariantList state = lineState(ids[0]);
    QCOMPARE(state.value(0).toDouble(), quantity);
    QCOMPARE(state.value(1).toDouble(), delivered);
    QCOMPARE(state.value(2).toDouble(), quantity - delivered);
    QCOMPARE(state.value(5).toInt(), statusAfter);

    const Table balances = readTable(proxy.BakiyelerVer2(kPlayAccount));
    QCOMPARE(balances.rowWhere(QStringLiteral("SIRANO"), ids[0]), -1);
    if (otherOpen > 0)
        QVERIFY(balances.rowWhere(QStringLiteral("SIRANO"), ids[1]) >= 0);
    // Nothing is left to delete the second time.
    QCOMPARE(proxy.BakiyeDuzenle(session(kPlayDealer, kPlayAccount), kStock2, ids[0], ids[0], quantity, 0, QStringLiteral("8690000000028")), 0);
    QCOMPARE(lineState(ids[0]), state);
}

void TestAccount::changingABalance_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("delivered");
    QTest::addColumn<double>("cancelled");
    QTest::addColumn<double>("newBalance");
    QTest::addColumn<double>("quantityAfter");
    QTest::addColumn<double>("cancelledAfter");

    QTest::newRow("smaller: the rest is given up") << 10.0 << 4.0 << 0.0 << 2.0 << 10.0 << 4.0;
    QTest::newRow("larger: takes back what was given up") << 10.0 << 4.0 << 3.0 << 5.0 << 10.0 << 1.0;
    QTest::newRow("larger than ordered: the order grows") << 10.0 << 4.0 << 3.0 << 8.0 << 12.0 << 0.0;
    QTest::newRow("the same") << 5.0 << 0.0 << 0.0 << 5.0 << 5.0 << 0.0;
}

void TestAccount::changingABalance()
{
    QFETCH(double, quantity);
    QFETCH(double, delivered);
    QFETCH(double, cancelled);
    QFETCH(double, newBalance);
    QFETCH(double, quantityAfter);
    QFETCH(double, cancelledAfter);

    const int id = addOrder(kPlayAccount, int(OrderStatus::SevkEdildi), {{quantity, delivered, cancelled}}).value(0);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    // "Bakiye Değiştir" sends the new balance as both Adet and Bakiye; a representative acts
    // for the account they chose.
    QCOMPARE(proxy.BakiyeDegistir(session(kRep, kPlayAccount), kStock2, id, id, newBalance, newBalance, QStringLiteral("8690000000028")), 1);
    const QVariantList state = lineState(id);
    QCOMPARE(state.value(0).toDouble(), quantityAfter);
    QCOMPARE(state.value(1).toDouble(), delivered);
    QCOMPARE(state.value(2).toDouble(), cancelledAfter);
    QCOMPARE(state.value(5).toInt(), int(OrderStatus::SevkEdildi));
    const Table balances = readTable(proxy.BakiyelerVer2(kPlayAccount));
    const int row = balances.rowWhere(QStringLiteral("SIRANO"), id);
    QVERIFY(row >= 0);
    QCOMPARE(balances.at(row, QStringLiteral("KALAN")).toDouble(), newBalance);
    QCOMPARE(balances.at(row, QStringLiteral("MIKTAR")).toDouble(), quantityAfter);
    QCOMPARE(balances.at(row, QStringLiteral("TUTAR")).toDouble(), newBalance * 100);
}

void TestAccount::changingThePriceKeepsWhatWasInvoiced()
{
    const QList<int> ids = addOrder(kPlayAccount, int(OrderStatus::SevkEdildi), {{10, 4, 1}, {3, 0, 0}}, 100, 10);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const Table statementBefore = readTable(proxy.CariEkstreVer(kPlayAccount));

    // "Fiyat Değiştir" sends stock 0 and the ordered quantity as Adet and Bakiye.
    QCOMPARE(proxy.BakiyeFiyatDegistir(session(kManager, kPlayAccount), 0, ids[0], ids[0], 10, 10, QStringLiteral("8690000000028"),
                                       80.004, 7.5),
             1);
    // The delivered and given-up part stays at the old price...
    QCOMPARE(lineState(ids[0]), (QVariantList{5.0, 4.0, 1.0, 100.0, 10.0, double(OrderStatus::SevkEdildi), 3.0}));
    // ...the open five move to a new line at the new price.
    const Table balances = readTable(proxy.BakiyelerVer2(kPlayAccount));
    QCOMPARE(balances.rowWhere(QStringLiteral("SIRANO"), ids[0]), -1);
    const int moved = balances.rowWhere(QStringLiteral("SIRANO"), ids[1] + 1);
    QVERIFY(moved >= 0);
    QCOMPARE(balances.at(moved, QStringLiteral("IDNO")), balances.at(balances.rowWhere(QStringLiteral("SIRANO"), ids[1]), QStringLiteral("IDNO")));
    QCOMPARE(balances.at(moved, QStringLiteral("KALAN")).toDouble(), 5.0);
    QCOMPARE(balances.at(moved, QStringLiteral("BIRIMFIYAT")).toDouble(), 80.0);
    QCOMPARE(balances.at(moved, QStringLiteral("ILKFIYAT")).toDouble(), 100.0);
    QCOMPARE(balances.at(moved, QStringLiteral("INDIRIMORANI1")).toDouble(), 7.5);
    QCOMPARE(balances.at(moved, QStringLiteral("INDIRIMYAZI")).toString(), QStringLiteral("7,5"));
    QCOMPARE(balances.at(moved, QStringLiteral("NETTUTAR")).toDouble(), 370.0);
    QCOMPARE(balances.at(moved, QStringLiteral("VERGITUTARI")).toDouble(), 74.0);

    // An undelivered line changes in place; other rates are cleared so the net is the one shown.
    m_db->exec(QStringLiteral("UPDATE order_lines SET ind2 = 5 WHERE id = ?"), {ids[1]});
    QCOMPARE(proxy.BakiyeFiyatDegistir(session(kManager, kPlayAccount), 0, ids[1], ids[1], 3, 3, QStringLiteral("8690000000028"), 120, 0), 1);
    QCOMPARE(lineState(ids[1]), (QVariantList{3.0, 0.0, 0.0, 120.0, 0.0, double(OrderStatus::SevkEdildi), 3.0}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT ind2 FROM order_lines WHERE id = ?"), {ids[1]})->toDouble(), 0.0);

    // Invoices and the statement are not touched by balance changes.
    const Table statementAfter = readTable(proxy.CariEkstreVer(kPlayAccount));
    QCOMPARE(statementAfter.rows, statementBefore.rows);
}

void TestAccount::changesAreRefusedAndLeaveNothingBehind_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<int>("account");
    QTest::addColumn<int>("stokno");
    QTest::addColumn<QString>("lines"); // "same" line number twice, two "different" ones, an "unknown" one
    QTest::addColumn<QString>("barkod");
    QTest::addColumn<double>("value");  // the new balance or the new price
    QTest::addColumn<double>("rate");
    QTest::addColumn<QString>("errorClass");

    const QString barcode = QStringLiteral("8690000000028");
    const QString session = QStringLiteral("EVexorSessionError");
    QTest::newRow("unknown machine") << "BakiyeDuzenle" << "TEST-YOK" << kPlayAccount << kStock2 << "same" << barcode << 0.0 << 0.0 << session;
    QTest::newRow("inactive user") << "BakiyeDuzenle" << kInactive << kPlayAccount << kStock2 << "same" << barcode << 0.0 << 0.0 << session;
    QTest::newRow("another dealer's line") << "BakiyeDuzenle" << kOtherDealer << kPlayAccount << kStock2 << "same" << barcode << 0.0 << 0.0
                                           << "EVexorNotFound";
    QTest::newRow("representative before choosing") << "BakiyeDegistir" << kRep << 0 << kStock2 << "same" << barcode << 2.0 << 0.0
                                                     << session;
    QTest::newRow("representative, someone else's account") << "BakiyeDegistir" << kRep << kOtherAccount << kStock2 << "same" << barcode
                                                            << 2.0 << 0.0 << session;
    QTest::newRow("price change by a representative") << "BakiyeFiyatDegistir" << kRep << kPlayAccount << 0 << "same" << barcode << 90.0
                                                      << 5.0 << session;
    QTest::newRow("price change by a dealer") << "BakiyeFiyatDegistir" << kPlayDealer << kPlayAccount << 0 << "same" << barcode << 90.0 << 5.0
                                              << session;
    QTest::newRow("barcode changed") << "BakiyeDuzenle" << kPlayDealer << kPlayAccount << kStock2 << "same" << "8690000000011" << 0.0 << 0.0
                                     << "EVexorConflict";
    QTest::newRow("stock changed") << "BakiyeDegistir" << kPlayDealer << kPlayAccount << kStock1 << "same" << barcode << 2.0 << 0.0
                                   << "EVexorConflict";
    QTest::newRow("two different lines") << "BakiyeDuzenle" << kPlayDealer << kPlayAccount << kStock2 << "different" << barcode << 0.0 << 0.0
                                         << "EVexorParamError";
    QTest::newRow("no such line") << "BakiyeDuzenle" << kPlayDealer << kPlayAccount << kStock2 << "unknown" << QString() << 0.0 << 0.0
                                  << "EVexorNotFound";
    QTest::newRow("balance 0") << "BakiyeDegistir" << kPlayDealer << kPlayAccount << kStock2 << "same" << barcode << 0.0 << 0.0
                               << "EVexorParamError";
    QTest::newRow("balance too large") << "BakiyeDegistir" << kPlayDealer << kPlayAccount << kStock2 << "same" << barcode << 2e6 << 0.0
                                       << "EVexorParamError";
    QTest::newRow("negative price") << "BakiyeFiyatDegistir" << kManager << kPlayAccount << 0 << "same" << barcode << -1.0 << 0.0
                                    << "EVexorParamError";
    QTest::newRow("rate above 100") << "BakiyeFiyatDegistir" << kManager << kPlayAccount << 0 << "same" << barcode << 10.0 << 100.5
                                    << "EVexorParamError";
}

void TestAccount::changesAreRefusedAndLeaveNothingBehind()
{
    QFETCH(QString, method);
    QFETCH(QString, machine);
    QFETCH(int, account);
    QFETCH(int, stokno);
    QFETCH(QString, lines);
    QFETCH(QString, barkod);
    QFETCH(double, value);
    QFETCH(double, rate);
    QFETCH(QString, errorClass);

    const int id = addOrder(kPlayAccount, int(OrderStatus::Onaylandi), {{6, 1, 0}}).value(0);
    const QVariantList before = lineState(id);
    const qint64 linesBefore = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM order_lines"))->toLongLong();
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const auto [cls, message] = errorOf([&] {
        const int first = lines == QLatin1String("unknown") ? id + 1000000 : id;
        const int other = lines == QLatin1String("different") ? id + 1 : lines == QLatin1String("unknown") ? 0 : id;
        if (method == QLatin1String("BakiyeDuzenle"))
            proxy.BakiyeDuzenle(session(machine, account), stokno, first, other, 6, 5, barkod);
        else if (method == QLatin1String("BakiyeDegistir"))
            proxy.BakiyeDegistir(session(machine, account), stokno, first, other, value, value, barkod);
        else
            proxy.BakiyeFiyatDegistir(session(machine, account), stokno, first, other, 6, 6, barkod, value, rate);
    });
    QCOMPARE(cls, errorClass);
    QVERIFY(!message.isEmpty());
    QCOMPARE(lineState(id), before);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM order_lines"))->toLongLong(), linesBefore);
}

void TestAccount::aDealersAccountNumberIsTheirsWhateverTheRecordSays()
{
    // A dealer's record naming someone else's account changes the dealer's own line, and can
    // never reach the other account's.
    const int own = addOrder(kPlayAccount, int(OrderStatus::Onaylandi), {{4, 0, 0}}).value(0);
    const int foreign = addOrder(kOtherAccount, int(OrderStatus::Onaylandi), {{4, 0, 0}}).value(0);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.BakiyeDegistir(session(kPlayDealer, kOtherAccount), kStock2, own, own, 3, 3, QString()), 1);
    QCOMPARE(lineState(own).value(2).toDouble(), 1.0);
    QCOMPARE(errorOf([&] { proxy.BakiyeDegistir(session(kPlayDealer, kOtherAccount), kStock2, foreign, foreign, 3, 3, QString()); }).first,
             QStringLiteral("EVexorNotFound"));
    QCOMPARE(lineState(foreign).value(2).toDouble(), 0.0);
    // Closed lines cannot be given a balance again.
    QCOMPARE(proxy.BakiyeDuzenle(session(kPlayDealer), kStock2, own, own, 4, 3, QString()), 1);
    QCOMPARE(errorOf([&] { proxy.BakiyeDegistir(session(kPlayDealer), kStock2, own, own, 3, 3, QString()); }).first,
             QStringLiteral("EVexorConflict"));
}

// ---------------------------------------------------------------------------------------------
// Statement and documents

void TestAccount::statementRunsTheBalance()
{
    const Table t = table([](TServerMethods1Client &p) { return p.CariEkstreVer(kAccount); });
    for (const char *name : {"TARIH"})
        QCOMPARE(t.types.value(t.column(QString::fromLatin1(name))), FieldType::Date);
    for (const char *name : {"BORC", "ALACAK", "BAKIYE"})
        QCOMPARE(t.types.value(t.column(QString::fromLatin1(name))), FieldType::Double);
    for (const char *name : {"TURADI", "EVRAK", "D", "ACIKLAMA", "KUR"})
        QCOMPARE(t.types.value(t.column(QString::fromLatin1(name))), FieldType::String);
    for (const char *name : {"IDNO", "CARINO"})
        QCOMPARE(t.types.value(t.column(QString::fromLatin1(name))), FieldType::Int32);

    struct Row
    {
        const char *kind;
        const char *document;
        double debit, credit, balance;
        const char *side;
        int idno;
    };
    const std::vector<Row> expected = {
        {"Devir", "DEVIR-2026", 100, 0, 100, "B", 0},
        {"Tahsilat", "VXT2026T000001", 0, 100, 0, " ", kWireCollection},
        {"Tahsilat", "VXT2026T000002", 0, 50, -50, "A", kCardCollection},
        {"Satış Faturası", "VXF2026T000001", 2032.20, 0, 1982.20, "B", kInvoice},
        {"Tediye", "VXD2026T000003", 25, 0, 2007.20, "B", kRefund},
        {"Satış İade Faturası", "VXR2026T000002", 0, 540.60, 1466.60, "B", kReturnInvoice},
        {"Tahsilat", "VXT2026T000004", 0, 600, 866.60, "B", kChequeCollection},
    };
    QCOMPARE(t.rows.size(), qsizetype(expected.size()));
    for (int r = 0; r < t.rows.size(); ++r) {
        const Row &e = expected[size_t(r)];
        QCOMPARE(t.at(r, QStringLiteral("TURADI")).toString(), QString::fromUtf8(e.kind));
        QCOMPARE(t.at(r, QStringLiteral("EVRAK")).toString(), QString::fromUtf8(e.document));
        QCOMPARE(t.at(r, QStringLiteral("BORC")).toDouble(), e.debit);
        QCOMPARE(t.at(r, QStringLiteral("ALACAK")).toDouble(), e.credit);
        QCOMPARE(t.at(r, QStringLiteral("BAKIYE")).toDouble(), e.balance);
        QCOMPARE(t.at(r, QStringLiteral("D")).toString(), QString::fromLatin1(e.side));
        QCOMPARE(t.at(r, QStringLiteral("IDNO")).toInt(), e.idno);
        QCOMPARE(t.at(r, QStringLiteral("CARINO")).toInt(), kAccount);
    }
    QCOMPARE(t.at(3, QStringLiteral("TARIH")).toDate(), QDate(2026, 2, 12));
    QCOMPARE(t.at(3, QStringLiteral("VADE")).toDate(), QDate(2026, 3, 14));

    // Every seeded account's statement ends on the balance its movements add up to.
    for (int account = 1; account <= 6; ++account) {
        const Table s = table([account](TServerMethods1Client &p) { return p.CariEkstreVer(account); });
        QVERIFY(!s.rows.isEmpty());
        const double total = m_db->scalar(QStringLiteral("SELECT SUM(debit) - SUM(credit) FROM account_movements WHERE account_id = ?"),
                                          {account})->toDouble();
        QCOMPARE(s.rows.last().value(s.column(QStringLiteral("BAKIYE"))).toDouble(), roundHalfAwayFromZero(total, 2));
    }
}

void TestAccount::statementBetweenDays_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QStringList>("documents");
    QTest::addColumn<double>("carriedDebit");  // < 0: no carried-over row
    QTest::addColumn<double>("carriedCredit");
    QTest::addColumn<double>("finalBalance");

    QTest::newRow("from February") << QDate(2026, 2, 1) << QDate(2026, 3, 31)
                                   << QStringList{QString(), QStringLiteral("VXF2026T000001"), QStringLiteral("VXD2026T000003"),
                                                  QStringLiteral("VXR2026T000002"), QStringLiteral("VXT2026T000004")}
                                   << 100.0 << 150.0 << 866.60;
    QTest::newRow("days in the other order") << QDate(2026, 3, 31) << QDate(2026, 2, 1)
                                             << QStringList{QString(), QStringLiteral("VXF2026T000001"), QStringLiteral("VXD2026T000003"),
                                                            QStringLiteral("VXR2026T000002"), QStringLiteral("VXT2026T000004")}
                                             << 100.0 << 150.0 << 866.60;
    QTest::newRow("one day, its last hours included") << QDate(2026, 2, 12) << QDate(2026, 2, 12)
                                                      << QStringList{QString(), QStringLiteral("VXF2026T000001")} << 100.0 << 150.0
                                                      << 1982.20;
    QTest::newRow("from the first movement on") << QDate(2026, 1, 2) << QDate(2026, 1, 10)
                                                << QStringList{QStringLiteral("DEVIR-2026"), QStringLiteral("VXT2026T000001")} << -1.0
                                                << 0.0 << 0.0;
    QTest::newRow("before everything") << QDate(2025, 1, 1) << QDate(2025, 12, 31) << QStringList{} << -1.0 << 0.0 << 0.0;
}

void TestAccount::statementBetweenDays()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QStringList, documents);
    QFETCH(double, carriedDebit);
    QFETCH(double, carriedCredit);
    QFETCH(double, finalBalance);

    const Table t = table([&](TServerMethods1Client &p) { return p.CariEkstreVer2(kAccount, dayNumber(first), dayNumber(last)); });
    QStringList got;
    for (const QVariant &v : t.columnValues(QStringLiteral("EVRAK")))
        got << v.toString();
    QCOMPARE(got, documents);
    if (carriedDebit >= 0) {
        QCOMPARE(t.at(0, QStringLiteral("TURADI")).toString(), QStringLiteral("Devir"));
        QCOMPARE(t.at(0, QStringLiteral("IDNO")).toInt(), 0);
        QCOMPARE(t.at(0, QStringLiteral("BORC")).toDouble(), carriedDebit);
        QCOMPARE(t.at(0, QStringLiteral("ALACAK")).toDouble(), carriedCredit);
        QCOMPARE(t.at(0, QStringLiteral("TARIH")).toDate(), std::min(first, last));
    }
    if (!t.rows.isEmpty())
        QCOMPARE(t.rows.last().value(t.column(QStringLiteral("BAKIYE"))).toDouble(), finalBalance);
}

void TestAccount::statementHeading()
{
    const Table t = table([](TServerMethods1Client &p) { return p.CariEkstreVer2Baslik(kAccount, dayNumber(QDate(2026, 2, 1))); });
    QCOMPARE(t.rows.size(), 1);
    QCOMPARE(t.at(0, QStringLiteral("CARIKOD")).toString(), QStringLiteral("120.99.0001"));
    QCOMPARE(t.at(0, QStringLiteral("CARIADI")).toString(), QStringLiteral("ÇAĞDAŞ OTO YEDEK PARÇA LTD. ŞTİ."));
    QCOMPARE(t.at(0, QStringLiteral("SATICIADI")).toString(), QStringLiteral("TÜLAY ŞENYÜREK"));
    QCOMPARE(t.at(0, QStringLiteral("TARIH")).toDate(), QDate(2026, 2, 1));
    QCOMPARE(t.at(0, QStringLiteral("BORC")).toDouble(), 100.0);
    QCOMPARE(t.at(0, QStringLiteral("ALACAK")).toDouble(), 150.0);
    QCOMPARE(t.at(0, QStringLiteral("BAKIYE")).toDouble(), -50.0);
    QCOMPARE(t.at(0, QStringLiteral("D")).toString(), QStringLiteral("A"));
    QCOMPARE(table([](TServerMethods1Client &p) { return p.CariEkstreVer2Baslik(123456, dayNumber(QDate(2026, 2, 1))); }).rows.size(), 0);
}

void TestAccount::invoiceLinesAndTotals()
{
    const Table lines = table([](TServerMethods1Client &p) { return p.FaturaGetir(kAccount, kInvoice); });
    QCOMPARE(lines.rows.size(), 2);
    // The grid's visible columns and the header fields, with their kinds.
    const std::vector<std::pair<const char *, FieldType>> kinds = {
        {"OEMNO", FieldType::String}, {"STOKADI", FieldType::String}, {"FINISHKOD", FieldType::String}, {"MARKA", FieldType::String},
        {"MODEL", FieldType::String}, {"ANAGRUP", FieldType::String}, {"BIRIM", FieldType::String},
        {"STOKHAR_MIKTAR", FieldType::Double}, {"STOKHAR_TLBIRIMFIYATI", FieldType::Double}, {"STOKHAR_TLTUTAR", FieldType::Double},
        {"STOKHAR_INDIRIM1", FieldType::Double}, {"STOKHAR_INDIRIM2", FieldType::Double}, {"KDV", FieldType::Double},
        {"STOKHAR_TOPLAMINDIRIM", FieldType::Double}, {"STOKHAR_TOPLAMMASRAF", FieldType::Double},
        {"STOKHAR_NETTLBIRIMFIYATI", FieldType::Double}, {"STOKHAR_NETTLTUTAR", FieldType::Double},
        {"STOKHAR_HAREKETTARIHI", FieldType::Date}, {"STOKHAR_HAREKETTIPI2", FieldType::String}, {"SATICIADI", FieldType::String},
        {"EVRAKNO", FieldType::String}, {"STOKHAR_VADE", FieldType::Int32}, {"STOKHAR_TLVERGI", FieldType::Double},
        {"STOKHAR_INDIRIM8", FieldType::Double}, {"IRSALIYEEVRAKNO", FieldType::String}, {"STOKHAR_IRSTARIHI", FieldType::Date},
        {"SATIRACIKLMASI", FieldType::String}, {"SIPARISEVRAKNO", FieldType::String}, {"SIPARISTARIHI", FieldType::Date},
        {"ENADI", FieldType::String}, {"BELGENO", FieldType::String}, {"IDNO", FieldType::Int32},
    };
    for (const auto &[name, kind] : kinds) {
        QVERIFY2(lines.column(QString::fromLatin1(name)) >= 0, name);
        QCOMPARE(lines.types[lines.column(QString::fromLatin1(name))], kind);
    }
    const std::vector<std::tuple<const char *, QVariant, QVariant>> values = {
        {"STOKADI", QStringLiteral("ÖN FREN BALATASI"), QStringLiteral("ARKA FREN DİSKİ")},
        {"STOKHAR_MIKTAR", 4.0, 3.0}, {"STOKHAR_TLBIRIMFIYATI", 100.0, 450.5}, {"STOKHAR_TLTUTAR", 400.0, 1351.5},
        {"STOKHAR_INDIRIM1", 10.0, 0.0}, {"STOKHAR_INDIRIM2", 5.0, 0.0}, {"STOKHAR_TOPLAMINDIRIM", 58.0, 0.0},
        {"STOKHAR_NETTLBIRIMFIYATI", 85.5, 450.5}, {"STOKHAR_NETTLTUTAR", 342.0, 1351.5}, {"STOKHAR_TLVERGI", 68.4, 270.3},
        {"KDV", 20.0, 20.0}, {"STOKHAR_HAREKETTARIHI", QDate(2026, 2, 12), QDate(2026, 2, 12)},
        {"STOKHAR_HAREKETTIPI2", QStringLiteral("Satış Faturası"), QStringLiteral("Satış Faturası")},
        {"SATICIADI", QStringLiteral("TÜLAY ŞENYÜREK"), QStringLiteral("TÜLAY ŞENYÜREK")},
        {"EVRAKNO", QStringLiteral("VXF2026T000001"), QStringLiteral("VXF2026T000001")}, {"STOKHAR_VADE", 30, 30},
        {"IRSALIYEEVRAKNO", QStringLiteral("VXI2026T000001"), QStringLiteral("VXI2026T000001")},
        {"STOKHAR_IRSTARIHI", QDate(2026, 2, 12), QDate(2026, 2, 11)}, {"SATIRACIKLMASI", QString(), QStringLiteral("Acil")},
        {"SIPARISEVRAKNO", QStringLiteral("900001"), QStringLiteral("900001")},
        {"SIPARISTARIHI", QDate(2026, 2, 10), QDate(2026, 2, 10)}, {"STOKHAR_DOVIZTUTAR", 0.0, 0.0}, {"IDNO", kInvoice, kInvoice},
    };
    for (const auto &[name, first, second] : values) {
        QCOMPARE(lines.at(0, QString::fromLatin1(name)), first);
        QCOMPARE(lines.at(1, QString::fromLatin1(name)), second);
    }

    const Table totals = table([](TServerMethods1Client &p) { return p.FaturaAltGetir(kInvoice); });
    QCOMPARE(totals.rows.size(), 1);
    for (const char *name : {"TOPLAM", "TOPLAMINDIRIM", "MATRAH", "KDVTUTAR", "KDVDAHIL"})
        QCOMPARE(totals.types.value(totals.column(QString::fromLatin1(name))), FieldType::Double);
    QCOMPARE(totals.at(0, QStringLiteral("TOPLAM")).toDouble(), 1751.5);
    QCOMPARE(totals.at(0, QStringLiteral("TOPLAMINDIRIM")).toDouble(), 58.0);
    QCOMPARE(totals.at(0, QStringLiteral("MATRAH")).toDouble(), 1693.5);
    QCOMPARE(totals.at(0, QStringLiteral("KDVTUTAR")).toDouble(), 338.7);
    QCOMPARE(totals.at(0, QStringLiteral("KDVDAHIL")).toDouble(), 2032.2);
    QCOMPARE(totals.at(0, QStringLiteral("SATIRSAYISI")).toInt(), 2);
    QCOMPARE(lines.sum(QStringLiteral("STOKHAR_NETTLTUTAR")), totals.at(0, QStringLiteral("MATRAH")).toDouble());
    QCOMPARE(lines.sum(QStringLiteral("STOKHAR_TLTUTAR")), totals.at(0, QStringLiteral("TOPLAM")).toDouble());
}

void TestAccount::invoiceOfAnotherAccountHasNoLines()
{
    QCOMPARE(table([](TServerMethods1Client &p) { return p.FaturaGetir(kOtherAccount, kInvoice); }).rows.size(), 0);
    QCOMPARE(table([](TServerMethods1Client &p) { return p.FaturaGetir(kAccount, 0); }).rows.size(), 0);
    QCOMPARE(table([](TServerMethods1Client &p) { return p.FaturaAltGetir(0); }).rows.size(), 0);
}

void TestAccount::seededInvoicesAddUpToTheirStatementRows()
{
    // What the invoice window shows for every invoice row of the seeded statements adds up to
    // the row's amount: no line is lost or counted twice on the way.
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    int invoices = 0;
    for (int account = 1; account <= 6; ++account) {
        const Table statement = readTable(proxy.CariEkstreVer(account));
        for (int r = 0; r < statement.rows.size(); ++r) {
            if (!statement.at(r, QStringLiteral("TURADI")).toString().contains(QStringLiteral("Fatura")))
                continue;
            ++invoices;
            const int id = statement.at(r, QStringLiteral("IDNO")).toInt();
            const Table lines = readTable(proxy.FaturaGetir(account, id));
            const Table totals = readTable(proxy.FaturaAltGetir(id));
            QVERIFY(!lines.rows.isEmpty());
            const double amount = statement.at(r, QStringLiteral("BORC")).toDouble() + statement.at(r, QStringLiteral("ALACAK")).toDouble();
            QCOMPARE(totals.at(0, QStringLiteral("KDVDAHIL")).toDouble(), amount);
            QCOMPARE(lines.sum(QStringLiteral("STOKHAR_NETTLTUTAR")), totals.at(0, QStringLiteral("MATRAH")).toDouble());
            QCOMPARE(lines.sum(QStringLiteral("STOKHAR_TLVERGI")), totals.at(0, QStringLiteral("KDVTUTAR")).toDouble());
            QCOMPARE(lines.at(0, QStringLiteral("EVRAKNO")), statement.at(r, QStringLiteral("EVRAK")));
        }
    }
    QVERIFY(invoices > 20);
}

void TestAccount::collectionRows()
{
    const Table t = table([](TServerMethods1Client &p) { return p.Tahsilat(kChequeCollection); });
    QCOMPARE(t.names, (QStringList{QStringLiteral("Tarih"), QStringLiteral("Türü"), QStringLiteral("Cins"), QStringLiteral("Vade"),
                                   QStringLiteral("Tutar"), QStringLiteral("Açıklama"), QStringLiteral("EvrakNo"), QStringLiteral("Kur"),
                                   QStringLiteral("KurTL"), QStringLiteral("Döviz Tutar"), QStringLiteral("Ref"), QStringLiteral("Saat")}));
    QCOMPARE(t.types, (QList<FieldType>{FieldType::Date, FieldType::String, FieldType::String, FieldType::Date, FieldType::Double,
                                        FieldType::String, FieldType::String, FieldType::String, FieldType::Double, FieldType::Double,
                                        FieldType::String, FieldType::String}));
    // The two cheques by due date; a piece without a note of its own shows the collection's.
    QCOMPARE(t.rows, (QList<QVariantList>{
                         {QDate(2026, 3, 5), QStringLiteral("Tahsilat"), QStringLiteral("Çek"), QDate(2026, 4, 5), 250.0,
                          QStringLiteral("Çek tahsilatı"), QStringLiteral("ÇEK-0000001"), QStringLiteral("TL"), 1.0, 0.0, QString(),
                          QStringLiteral("10:00")},
                         {QDate(2026, 3, 5), QStringLiteral("Tahsilat"), QStringLiteral("Çek"), QDate(2026, 5, 5), 350.0,
                          QStringLiteral("İkinci çek"), QStringLiteral("ÇEK-0000002"), QStringLiteral("TL"), 1.0, 0.0, QString(),
                          QStringLiteral("10:00")},
                     }));
    const Table refund = table([](TServerMethods1Client &p) { return p.Tahsilat(kRefund); });
    QCOMPARE(refund.at(0, QStringLiteral("Türü")).toString(), QStringLiteral("Tediye"));
    QCOMPARE(refund.sum(QStringLiteral("Tutar")), 25.0);
    QCOMPARE(table([](TServerMethods1Client &p) { return p.Tahsilat(0); }).rows.size(), 0);
}

void TestAccount::webPaymentNumber_data()
{
    QTest::addColumn<int>("collection");
    QTest::addColumn<int>("payment");
    QTest::newRow("paid through the web") << kCardCollection << kCardPayment;
    QTest::newRow("paid by transfer") << kWireCollection << 0;
    QTest::newRow("no such collection") << 123456789 << 0;
}

void TestAccount::webPaymentNumber()
{
    QFETCH(int, collection);
    QFETCH(int, payment);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    QCOMPARE(proxy.SanalposSiranoVer(collection), payment);
}

void TestAccount::webPaymentReceipt()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 boy = -1;
    const QByteArray pdf = download(proxy.SAnalPosPdfVer(kLonePayment, boy), boy);
    QVERIFY(pdf.startsWith("%PDF-"));
    QCOMPARE(qint64(pdf.size()), boy);
    compareWithGolden(pdfText(pdf), QStringLiteral("receipt_lone_payment.txt"));

    // The receipt behind a collection names the collection.
    const QByteArray linked = download(proxy.SAnalPosPdfVer(proxy.SanalposSiranoVer(kCardCollection), boy), boy);
    QVERIFY(pdfText(linked).join(QLatin1Char('\n')).contains(QStringLiteral("Tahsilat Evrak No: VXT2026T000002")));

    // No payment: nothing announced, nothing sent.
    QVERIFY(proxy.SAnalPosPdfVer(0, boy) != nullptr);
    QCOMPARE(boy, 0);
}

// ---------------------------------------------------------------------------------------------
// Reports

void TestAccount::amountInWords_data()
{
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("words");
    QTest::newRow("zero") << 0.0 << QStringLiteral("sıfır Türk lirası");
    QTest::newRow("one") << 1.0 << QStringLiteral("bir Türk lirası");
    QTest::newRow("kuruş only") << 0.5 << QStringLiteral("elli kuruş");
    QTest::newRow("a hundred, not one hundred") << 100.0 << QStringLiteral("yüz Türk lirası");
    QTest::newRow("a thousand, not one thousand") << 1001.0 << QStringLiteral("bin bir Türk lirası");
    QTest::newRow("thousands") << 1234.56 << QStringLiteral("bin iki yüz otuz dört Türk lirası elli altı kuruş");
    QTest::newRow("one million") << 1000000.0 << QStringLiteral("bir milyon Türk lirası");
    QTest::newRow("gaps") << 2005090.09 << QStringLiteral("iki milyon beş bin doksan Türk lirası dokuz kuruş");
    QTest::newRow("a half kuruş rounds up") << 10.005 << QStringLiteral("on Türk lirası bir kuruş");
    QTest::newRow("hundreds of thousands") << 987654.3 << QStringLiteral("dokuz yüz seksen yedi bin altı yüz elli dört Türk lirası otuz kuruş");
    QTest::newRow("negative") << -15.0 << QStringLiteral("eksi on beş Türk lirası");
}

void TestAccount::amountInWords()
{
    QFETCH(double, amount);
    QFETCH(QString, words);
    QCOMPARE(vexor::amountInWords(amount), words);
}

void TestAccount::receivablesByDueDate_data()
{
    QTest::addColumn<std::vector<LedgerEntry>>("entries");
    QTest::addColumn<QList<double>>("expected"); // not due, 1-30, 31-60, 61-90, 90+, advance
    QTest::addColumn<QStringList>("open");       // documents still owed, by due date

    const QDate day(2026, 3, 31);
    auto debit = [day](const char *doc, int daysAgo, int dueDaysAgo, double amount) {
        return LedgerEntry{day.addDays(-daysAgo), day.addDays(-dueDaysAgo), QStringLiteral("Satış Faturası"), QString::fromLatin1(doc), amount, 0};
    };
    auto credit = [day](int daysAgo, double amount) {
        return LedgerEntry{day.addDays(-daysAgo), day.addDays(-daysAgo), QStringLiteral("Tahsilat"), QStringLiteral("T"), 0, amount};
    };
    QTest::newRow("credits settle the earliest due date first")
        << std::vector<LedgerEntry>{debit("late-due", 60, 30, 100), debit("early-due", 50, 58, 200), credit(5, 150)}
        << QList<double>{0, 100, 50, 0, 0, 0} << QStringList{QStringLiteral("early-due"), QStringLiteral("late-due")};
    QTest::newRow("bucket edges")
        << std::vector<LedgerEntry>{debit("d0", 0, 0, 1), debit("d30", 40, 30, 2), debit("d31", 40, 31, 4), debit("d60", 70, 60, 8),
                                    debit("d61", 70, 61, 16), debit("d90", 100, 90, 32), debit("d91", 100, 91, 64),
                                    debit("future", 1, -10, 128)}
        << QList<double>{129, 2, 12, 48, 64, 0}
        << QStringList{QStringLiteral("d91"), QStringLiteral("d90"), QStringLiteral("d61"), QStringLiteral("d60"), QStringLiteral("d31"),
                       QStringLiteral("d30"), QStringLiteral("d0"), QStringLiteral("future")};
    QTest::newRow("paid in full and more") << std::vector<LedgerEntry>{debit("a", 20, 10, 100), credit(2, 150.25)}
                                           << QList<double>{0, 0, 0, 0, 0, 50.25} << QStringList{};
    QTest::newRow("later movements are not counted") << std::vector<LedgerEntry>{debit("a", 20, 10, 100), credit(-1, 100)}
                                                     << QList<double>{0, 100, 0, 0, 0, 0} << QStringList{QStringLiteral("a")};
    QTest::newRow("kuruş stay exact") << std::vector<LedgerEntry>{debit("a", 40, 35, 0.1), debit("b", 40, 35, 0.2), credit(1, 0.3)}
                                      << QList<double>{0, 0, 0, 0, 0, 0} << QStringList{};
}

void TestAccount::receivablesByDueDate()
{
    QFETCH(std::vector<LedgerEntry>, entries);
    QFETCH(QList<double>, expected);
    QFETCH(QStringList, open);

    const ReceivableAging a = ageReceivables(entries, QDate(2026, 3, 31));
    QCOMPARE(a.notDue, expected[0]);
    for (int k = 0; k < 4; ++k)
        QCOMPARE(a.overdue[size_t(k)], expected[k + 1]);
    QCOMPARE(a.advance, expected[5]);
    QStringList documents;
    for (const OpenItem &i : a.openItems)
        documents << i.documentNo;
    QCOMPARE(documents, open);
    QCOMPARE(roundHalfAwayFromZero(a.notDue + a.overdueTotal() - a.advance, 2), a.balance);
}

void TestAccount::reportDocuments_data()
{
    QTest::addColumn<int>("raporno");
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("account");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("golden");

    const QDate day(2026, 3, 16);
    QTest::newRow("account summary") << 6 << kRepUser << kAccount << day << day << QStringLiteral("report_account_summary.txt");
    QTest::newRow("account summary, the dealer's own") << 6 << kDealerUser << kAccount << day << day
                                                        << QStringLiteral("report_account_summary.txt");
    QTest::newRow("receivables of a representative's accounts") << 6 << kRepUser << 0 << day << day
                                                                << QStringLiteral("report_receivables.txt");
    QTest::newRow("sales and collections") << 7 << kRepUser << kAccount << QDate(2026, 1, 1) << QDate(2026, 3, 31)
                                           << QStringLiteral("report_account_sales.txt");
    QTest::newRow("sales and collections, days in the other order") << 7 << kRepUser << kAccount << QDate(2026, 3, 31)
                                                                     << QDate(2026, 1, 1) << QStringLiteral("report_account_sales.txt");
}

void TestAccount::reportDocuments()
{
    QFETCH(int, raporno);
    QFETCH(int, user);
    QFETCH(int, account);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, golden);

    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 size = -1;
    // As the customer selection sends them: the number twice, the user, the representative's
    // name as the grid had it.
    const QByteArray pdf = download(proxy.RaporGetir(raporno, raporno, user, account, QStringLiteral("."), dayNumber(first),
                                                     dayNumber(last), size),
                                    size);
    QVERIFY(pdf.startsWith("%PDF-"));
    QCOMPARE(qint64(pdf.size()), size);
    compareWithGolden(pdfText(pdf), golden);
}

void TestAccount::managerReportCoversEveryRepresentative()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 size = 0;
    const QString text = pdfText(download(proxy.RaporGetir(6, 6, kManagerUser, 0, QStringLiteral("."),
                                                           dayNumber(QDate(2026, 3, 16)), dayNumber(QDate(2026, 3, 16)), size),
                                          size))
                             .join(QLatin1Char('\n'));
    QVERIFY(text.contains(QStringLiteral("Satıcı: Tümü")));
    QVERIFY(text.contains(QStringLiteral("120.99.0001")));
    QVERIFY(text.contains(QStringLiteral("120.99.0003")));
    // Seeded accounts of the seeded representatives are there too.
    QVERIFY(text.contains(QStringLiteral("120.01.0001")));
    QVERIFY(text.contains(QStringLiteral("MERT AKSOY")));
}

void TestAccount::documentsAreMadeSideBySide()
{
    // The server's workers lay out documents at the same time; each must come out whole.
    auto fetch = [this](int raporno, int account) {
        auto con = openConnection();
        TServerMethods1Client proxy(con.get());
        qint64 size = 0;
        return download(proxy.RaporGetir(raporno, raporno, kRepUser, account, QStringLiteral("."), dayNumber(QDate(2026, 1, 1)),
                                         dayNumber(QDate(2026, 3, 16)), size),
                        size);
    };
    const QStringList summary = pdfText(fetch(6, kAccount));
    const QStringList sales = pdfText(fetch(7, kAccount));
    std::vector<QByteArray> results(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
        threads.emplace_back([&, i] { results[i] = fetch(i % 2 ? 7 : 6, kAccount); });
    for (std::thread &t : threads)
        t.join();
    for (size_t i = 0; i < results.size(); ++i)
        QCOMPARE(pdfText(results[i]), i % 2 ? sales : summary);
}

void TestAccount::reportRefusals_data()
{
    QTest::addColumn<int>("raporno");
    QTest::addColumn<int>("bolum");
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("account");
    QTest::addColumn<QString>("errorClass");

    QTest::newRow("no such report") << 5 << 5 << kRepUser << kAccount << "EVexorNotFound";
    QTest::newRow("no such section") << 6 << 7 << kRepUser << kAccount << "EVexorParamError";
    QTest::newRow("unknown user") << 6 << 6 << 123456 << kAccount << "EVexorSessionError";
    QTest::newRow("inactive user") << 6 << 6 << kInactiveUser << kAccount << "EVexorSessionError";
    QTest::newRow("another representative's account") << 6 << 6 << kRepUser << kOtherAccount << "EVexorSessionError";
    QTest::newRow("a dealer asks for another account") << 7 << 7 << kDealerUser << kOtherAccount << "EVexorSessionError";
    QTest::newRow("a dealer asks for every account") << 6 << 6 << kDealerUser << 0 << "EVexorSessionError";
    QTest::newRow("no such account") << 6 << 6 << kRepUser << 424242 << "EVexorSessionError";
    QTest::newRow("sales of no account") << 7 << 7 << kRepUser << 0 << "EVexorParamError";
}

void TestAccount::reportRefusals()
{
    QFETCH(int, raporno);
    QFETCH(int, bolum);
    QFETCH(int, user);
    QFETCH(int, account);
    QFETCH(QString, errorClass);
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 size = 0;
    QCOMPARE(errorOf([&] {
                 proxy.RaporGetir(raporno, bolum, user, account, QStringLiteral("."), dayNumber(QDate(2026, 3, 1)),
                                  dayNumber(QDate(2026, 3, 16)), size);
             }).first,
             errorClass);
}

void TestAccount::ordersReport_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QList<int>>("fixtureOrders"); // the fixture's orders in the list, in order
    QTest::addColumn<bool>("onlyFixtureRepresentatives");

    QTest::newRow("representative: their own") << kRep << QList<int>{900001, 900004} << true;
    QTest::newRow("dealer: their account") << kDealer << QList<int>{900001} << true;
    QTest::newRow("manager: every representative") << kManager << QList<int>{900001, 900004, 900002} << false;
}

void TestAccount::ordersReport()
{
    QFETCH(QString, machine);
    QFETCH(QList<int>, fixtureOrders);
    QFETCH(bool, onlyFixtureRepresentatives);

    const Table t = table([&](TServerMethods1Client &p) {
        return p.RaporAlinanSiparisler(session(machine), dayNumber(QDate(2026, 2, 28)), dayNumber(QDate(2026, 2, 1)));
    });
    // The reports window's fixed columns, matched by name.
    const std::vector<std::pair<const char *, FieldType>> kinds = {
        {"SATICIADI", FieldType::String}, {"IDNO", FieldType::Double}, {"CARINO", FieldType::Int32}, {"TARIH", FieldType::Date},
        {"KUR", FieldType::String}, {"KURTL", FieldType::Double}, {"VERENIDNO", FieldType::Int32}, {"KARGO", FieldType::String},
        {"TESLIM", FieldType::String}, {"VEREN", FieldType::String}, {"CARIKOD", FieldType::String}, {"CARIADI", FieldType::String},
        {"DURUM", FieldType::String}, {"KARGOADI", FieldType::String}, {"VERGI", FieldType::Double}, {"NETTUTAR", FieldType::Double},
        {"TUTAR", FieldType::Double}};
    for (const auto &[name, kind] : kinds)
        QCOMPARE(t.types.value(t.column(QString::fromLatin1(name))), kind);

    QList<int> fixture;
    QSet<QString> representatives;
    for (int r = 0; r < t.rows.size(); ++r) {
        const int id = t.at(r, QStringLiteral("IDNO")).toInt();
        if (id >= 900000)
            fixture << id;
        representatives << t.at(r, QStringLiteral("SATICIADI")).toString();
        const QDate d = t.at(r, QStringLiteral("TARIH")).toDate();
        QVERIFY(d >= QDate(2026, 2, 1) && d <= QDate(2026, 2, 28));
        QVERIFY(t.at(r, QStringLiteral("DURUM")).toString() != QStringLiteral("İptal Edildi"));
    }
    QCOMPARE(fixture, fixtureOrders);
    if (onlyFixtureRepresentatives)
        QVERIFY(representatives.size() == 1);
    else
        QVERIFY(representatives.size() > 2);

    // Ten at 100 less 10 % and 5 %, three at 450.50, 2.5 at 33.38 less 12.5 %, VAT by line as
    // the previous-orders list has it.
    const int row = t.rowWhere(QStringLiteral("IDNO"), 900001.0);
    QCOMPARE(t.at(row, QStringLiteral("TUTAR")).toDouble(), 2434.95);
    QCOMPARE(t.at(row, QStringLiteral("NETTUTAR")).toDouble(), 2279.52);
    QCOMPARE(t.at(row, QStringLiteral("VERGI")).toDouble(), 454.46);
    QCOMPARE(t.at(row, QStringLiteral("GENELTOPLAM")).toDouble(), 2733.98);
    QCOMPARE(t.at(row, QStringLiteral("SATICIADI")).toString(), QStringLiteral("TÜLAY ŞENYÜREK"));
    QCOMPARE(t.at(row, QStringLiteral("CARIKOD")).toString(), QStringLiteral("120.99.0001"));
    QCOMPARE(t.at(row, QStringLiteral("DURUM")).toString(), QStringLiteral("Sevk Edildi"));
    QCOMPARE(t.at(row, QStringLiteral("VEREN")).toString(), QStringLiteral("TBAYI KULLANICI"));
    QCOMPARE(t.at(row, QStringLiteral("TARIH")).toDate(), QDate(2026, 2, 10));
    // Groups come sorted by representative.
    QStringList names;
    for (const QVariant &v : t.columnValues(QStringLiteral("SATICIADI")))
        names << v.toString();
    QStringList sortedNames = names;
    std::sort(sortedNames.begin(), sortedNames.end());
    QCOMPARE(names, sortedNames);
}

void TestAccount::stocksReport_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QList<QVariantList>>("rows");

    QTest::newRow("sales less the return, the most sold first")
        << QDate(2026, 2, 1) << QDate(2026, 3, 31)
        << QList<QVariantList>{{QStringLiteral("8690000000011"), QStringLiteral("TST-001"), QStringLiteral("ÖN FREN BALATASI"),
                                QStringLiteral("TEST DEPARTMANI"), 4.0, 342.0, 68.4, 410.4},
                               {QStringLiteral("8690000000028"), QStringLiteral("TST-002"), QStringLiteral("ARKA FREN DİSKİ"),
                                QStringLiteral("TEST DEPARTMANI"), 2.0, 901.0, 180.2, 1081.2}};
    QTest::newRow("only the return") << QDate(2026, 3, 1) << QDate(2026, 3, 31)
                                     << QList<QVariantList>{{QStringLiteral("8690000000028"), QStringLiteral("TST-002"),
                                                             QStringLiteral("ARKA FREN DİSKİ"), QStringLiteral("TEST DEPARTMANI"), -1.0,
                                                             -450.5, -90.1, -540.6}};
    QTest::newRow("nothing sold") << QDate(2025, 1, 1) << QDate(2025, 1, 31) << QList<QVariantList>{};
}

void TestAccount::stocksReport()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QList<QVariantList>, rows);
    const Table t = table([&](TServerMethods1Client &p) {
        return p.RaporEnCokSatilanStoklar(session(kRep), dayNumber(first), dayNumber(last));
    });
    QCOMPARE(t.names, (QStringList{QStringLiteral("BARKOD"), QStringLiteral("KOD"), QStringLiteral("ADI"), QStringLiteral("DEPARTMAN"),
                                   QStringLiteral("MIKTAR"), QStringLiteral("NETTUTAR"), QStringLiteral("TLVERGI"), QStringLiteral("TUTAR")}));
    QCOMPARE(t.rows, rows);
    // Another representative sees none of these invoices.
    const Table other = table([&](TServerMethods1Client &p) {
        return p.RaporEnCokSatilanStoklar(session(kOtherDealer), dayNumber(first), dayNumber(last));
    });
    QCOMPARE(other.rows.size(), 0);
}

// ---------------------------------------------------------------------------------------------
// Files

void TestAccount::files()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    qint64 size = -1;
    QString name;
    // An account's own file: through the session of that account only.
    QCOMPARE(download(proxy.BelgeIndir2(900001, size, name, session(kDealer)), size), QStringLiteral("Bakiye mutabakatı: 866,60 TL").toUtf8());
    QCOMPARE(name, QStringLiteral("mutabakat-9001.txt"));
    proxy.BelgeIndir2(900001, size, name, session(kOtherDealer));
    QCOMPARE(size, 0);
    QCOMPARE(name, QString());
    proxy.BelgeIndir(900001, size, name);
    QCOMPARE(size, 0);
    QCOMPARE(errorOf([&] { proxy.BelgeIndir2(900001, size, name, session(QStringLiteral("TEST-YOK"))); }).first,
             QStringLiteral("EVexorSessionError"));
    // A file for everyone, both ways; the newest is the one DosyaIndir gives.
    const QByteArray notice = QStringLiteral("Fiyatlar 1 Nisan'da değişiyor.").toUtf8();
    QCOMPARE(download(proxy.BelgeIndir(900002, size, name), size), notice);
    QCOMPARE(name, QStringLiteral("yeni-fiyatlar.txt"));
    QCOMPARE(download(proxy.BelgeIndir2(900002, size, name, session(kOtherDealer)), size), notice);
    QCOMPARE(download(proxy.DosyaIndir(size), size), notice);

    const Table list = readTable(proxy.DosyaListesi());
    QCOMPARE(list.names, (QStringList{QStringLiteral("SIRANO"), QStringLiteral("ADI"), QStringLiteral("BOYUT"), QStringLiteral("TARIH")}));
    QCOMPARE(list.at(0, QStringLiteral("SIRANO")).toInt(), 900002);
    QCOMPARE(list.at(0, QStringLiteral("BOYUT")).toInt(), int(notice.size()));
    QCOMPARE(list.rowWhere(QStringLiteral("SIRANO"), 900001), -1);
    const Table detailed = readTable(proxy.DosyaListesi2());
    QCOMPARE(detailed.rows.size(), list.rows.size());
    QCOMPARE(detailed.at(0, QStringLiteral("BASLIK")).toString(), QStringLiteral("Yeni fiyatlar"));
    QCOMPARE(detailed.at(0, QStringLiteral("TUR")).toString(), QStringLiteral("text/plain"));
}

void TestAccount::catalogueExport()
{
    auto con = openConnection();
    TServerMethods1Client proxy(con.get());
    const QStringList lines = QString::fromUtf8(proxy.ParvexaVer()->readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("STOKKODU;BARKOD;URETICIKODU;OEMNO;ADI;MARKA;MODEL;BIRIM;KDV;LISTEFIYATI;DURUM"));
    QCOMPARE(lines.size() - 1, m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM stocks WHERE active = 1"))->toInt());
    // A name with the separator in it is quoted.
    QVERIFY(lines.contains(QStringLiteral("TST-003;8690000000035;;OEM-TST-003;\"DEBRİYAJ SETİ; KOMPLE\";TESTMARKA;TEST MODEL;ADET;18;2500.00;2")));
}

QTEST_MAIN(TestAccount)
#include "tst_account.moc"
