// The server's data layer without the network: Turkish folding, pricing, the search over a
// small hand-made catalogue, the storage layer's transactions and connections, the admin
// pieces, and the consistency of the generated demo data.
#include "admin.h"
#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"
#include "storage/search.h"

#include "common/formats.h"
#include "common/turkish.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace vexor;

namespace {

const QDate kToday(2026, 3, 14);

DemoOptions smallDemo(quint64 seed = 7)
{
    DemoOptions o;
    o.stocks = 2000;
    o.accounts = 12;
    o.seed = seed;
    o.today = kToday;
    return o;
}

int count(Database &db, const QString &sql, std::initializer_list<QVariant> params = {})
{
    return db.scalar(sql, params).value_or(0).toInt();
}

// A catalogue small enough to know every answer. Stock 6 is inactive.
void fillCatalogue(Database &db)
{
    db.execScript({
        QStringLiteral("INSERT INTO brands (id, name) VALUES (1, 'KORVAN'), (2, 'TEKSA'), (3, 'DURMAX')"),
        QStringLiteral("INSERT INTO departments (id, name) VALUES (1, 'OTOMOBİL')"),
        QStringLiteral("INSERT INTO product_groups (id, parent_id, name) VALUES (1, NULL, 'FREN SİSTEMİ'), (2, 1, 'FREN BALATASI'), "
                       "(3, NULL, 'SÜSPANSİYON'), (4, 3, 'AMORTİSÖR'), (5, NULL, 'KAPORTA'), (6, 5, 'DİKİZ AYNASI'), (7, 1, 'FREN DİSKİ')"),
        QStringLiteral("INSERT INTO representatives (id, code, name) VALUES (1, 'T01', 'MERT AKSOY'), (2, 'T02', 'SELİN KAYA')"),
        QStringLiteral("INSERT INTO accounts (id, code, name, search_key, rep_id) VALUES (1, '120.01.0001', 'ASLAN OTO', 'ASLAN OTO', 1)"),
        QStringLiteral("INSERT INTO users (id, name, password, kind, account_id, rep_id, created_at) VALUES "
                       "(1, 'BAYI', '1234', 3, 1, NULL, '2026-01-01T09:00:00'), (2, 'TEMSILCI', '1234', 1, NULL, 1, '2026-01-01T09:00:00'), "
                       "(3, 'BAYI0', '1234', 0, 1, NULL, '2026-01-01T09:00:00')"),
    });
    struct Stock
    {
        int id;
        const char *code, *barcode, *maker, *oem, *oem1, *name, *other, *model;
        int brand, group, active;
    };
    const Stock stocks[] = {
        {1, "KRV-10001", "8690000000011", "KV 1234.56", "1K0 698 151 A", "", "FREN BALATASI ÖN TAVRA MİRA 1.4", "BRAKE PAD SET FRONT",
         "TAVRA MİRA 1.4 (2008-2014)", 1, 2, 1},
        {2, "TKS-20002", "8690000000028", "TX 2000.01", "7701 208 265", "1K0698151B", "FREN DİSKİ ARKA DORVA LİNA 1.6",
         "BRAKE DISC REAR", "DORVA LİNA 1.6 (2010-)", 2, 7, 1},
        {3, "DRM-30003", "8690000000035", "DM 3000.02", "58101-2SA70", "", "AMORTİSÖR ÖN SAĞ KESTRA VİRA 1.3 D",
         "SHOCK ABSORBER FRONT RIGHT", "KESTRA VİRA 1.3 D (2012-2018)", 3, 4, 1},
        {5, "KRV-100011", "8690000000059", "KV 5555.00", "34 11 6 761 280", "", "AKS KAFASI DIŞ MERLON RİVA 2.0",
         "CV JOINT OUTER", "MERLON RİVA 2.0 (2015-)", 1, 4, 1},
        {6, "TKS-60006", "8690000000066", "TX 6000.06", "96 123 456 80", "", "FREN BALATASI ARKA SELVİN ARTA 1.2",
         "BRAKE PAD SET REAR", "SELVİN ARTA 1.2 (2011-)", 2, 2, 0},
        {7, "DRM-70007", "8690000000073", "DM 7000.07", "46 553 120", "", "İÇ DİKİZ AYNASI AVESTA KORAL", "INTERIOR MIRROR",
         "AVESTA KORAL (2014-)", 3, 6, 1},
    };
    for (const Stock &s : stocks) {
        db.change(QStringLiteral("INSERT INTO stocks (id, code, barcode, barcode_no, maker_code, oem_no, oem1, name, other_name, sort_key, "
                                 "brand_id, model, group_id, department_id, vat_rate, list_price, status, active) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, 18, 100, 1, ?)"),
                  {s.id, QString::fromUtf8(s.code), QString::fromUtf8(s.barcode), s.id, QString::fromUtf8(s.maker),
                   QString::fromUtf8(s.oem), QString::fromUtf8(s.oem1), QString::fromUtf8(s.name), QString::fromUtf8(s.other),
                   foldTurkish(QString::fromUtf8(s.name)), s.brand, QString::fromUtf8(s.model), s.group, s.active});
    }
    rebuildSearchIndex(db);
}

QByteArray bytesOf(Database &db, const QString &sql, std::initializer_list<QVariant> params = {})
{
    return db.scalar(sql, params).value_or(QVariant()).toByteArray();
}

} // namespace

class TestStorage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void folding_data();
    void folding();
    void stockPrices_data();
    void stockPrices();
    void lineAmounts_data();
    void lineAmounts();

    void search_data();
    void search();
    void searchCapAndOrder();
    void indexingOneStockKeepsTheOrder();

    void transactionsRollBackOnException();
    void nestedTransactionsAreSavepoints();
    void valuesAreBoundNeverSpliced();
    void everyThreadHasItsOwnConnection();
    void databaseGoesWhileItsThreadsWait();
    void otherSchemaVersionsAreRefused();
    void adminCommands();

    void seedHasIntegrity();
    void seedCoversEveryEntity();
    void seedHasAYearOfBusinessPerAccount();
    void seedInvoicesAddUp();
    void seedDeliveriesMatchOrdersAndInvoices();
    void seedStatusesMatchDeliveries();
    void seedStatementIsMadeOfTheDocuments();
    void seedCartsHaveTheAccountsPrices();
    void seedDemoUsers();
    void seedPicturesAndBanners();
    void seedSearchIndexIsCurrent();
    void seedIsDeterministic();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_demo;
    std::shared_ptr<Database> m_catalogue;
    DemoSummary m_summary;
};

void TestStorage::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    QVERIFY(m_dir.isValid());
    m_demo = Database::create(m_dir.filePath(QStringLiteral("demo.db")));
    m_summary = seedDemoData(*m_demo, smallDemo());
    m_catalogue = Database::create(m_dir.filePath(QStringLiteral("catalogue.db")));
    fillCatalogue(*m_catalogue);
}

void TestStorage::folding_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("folded");
    QTest::newRow("small Turkish letters") << QStringLiteral("ğüşöçı") << QStringLiteral("GUSOCI");
    QTest::newRow("capital Turkish letters") << QStringLiteral("ĞÜŞİÖÇ") << QStringLiteral("GUSIOC");
    QTest::newRow("dotted i becomes I, not İ") << QStringLiteral("istanbul") << QStringLiteral("ISTANBUL");
    QTest::newRow("capital dotted İ") << QStringLiteral("İstanbul") << QStringLiteral("ISTANBUL");
    QTest::newRow("dotless ı") << QStringLiteral("ılık") << QStringLiteral("ILIK");
    QTest::newRow("a part name") << QStringLiteral("Fren balatası ön") << QStringLiteral("FREN BALATASI ON");
    QTest::newRow("codes keep their separators") << QStringLiteral("1k0-698 151a") << QStringLiteral("1K0-698 151A");
    QTest::newRow("other letters are only capitalised") << QStringLiteral("âlâ") << QStringLiteral("ÂLÂ");
    QTest::newRow("empty") << QString() << QString();
}

void TestStorage::folding()
{
    QFETCH(QString, typed);
    QFETCH(QString, folded);
    QCOMPARE(foldTurkish(typed), folded);
    // The per-key form maps the Turkish letters only; the box capitalises the rest.
    QString keyByKey;
    for (const QChar c : typed)
        keyByKey += foldTurkishLetter(c);
    QCOMPARE(keyByKey.toUpper(), folded);
}

void TestStorage::stockPrices_data()
{
    QTest::addColumn<double>("listPrice");
    QTest::addColumn<double>("campaignPrice");
    QTest::addColumn<bool>("onCampaign");
    QTest::addColumn<double>("vat");
    QTest::addColumn<QList<double>>("rates");
    QTest::addColumn<double>("price");
    QTest::addColumn<QList<double>>("ind");
    QTest::addColumn<double>("net");
    QTest::addColumn<double>("withVat");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("combined");
    QTest::addColumn<bool>("campaign");

    using L = QList<double>;
    const L none{0, 0, 0, 0};
    QTest::newRow("no discount") << 100.0 << 0.0 << false << 18.0 << none << 100.0 << none << 100.0 << 118.0
                                 << QStringLiteral("0") << 0.0 << false;
    QTest::newRow("successive 10+5") << 100.0 << 0.0 << false << 18.0 << L{10, 5, 0, 0} << 100.0 << L{10, 5, 0, 0} << 85.5
                                     << 100.89 << QStringLiteral("10+5") << 14.5 << false;
    QTest::newRow("four rates, rounded once at the end")
        << 1000.0 << 0.0 << false << 18.0 << L{10, 5, 2, 1} << 1000.0 << L{10, 5, 2, 1} << 829.52 << 978.83
        << QStringLiteral("10+5+2+1") << 17.05 << false;
    QTest::newRow("decimal rate written with a comma") << 200.0 << 0.0 << false << 18.0 << L{12.5, 0, 0, 0} << 200.0
                                                       << L{12.5, 0, 0, 0} << 175.0 << 206.5 << QStringLiteral("12,5") << 12.5
                                                       << false;
    QTest::newRow("halves round away from zero on the decimal value")
        << 1.005 << 0.0 << false << 0.0 << none << 1.01 << none << 1.01 << 1.01 << QStringLiteral("0") << 0.0 << false;
    QTest::newRow("zero and negative rates are skipped") << 100.0 << 0.0 << false << 18.0 << L{0, -5, 10, 0} << 100.0
                                                         << L{0, 0, 10, 0} << 90.0 << 106.2 << QStringLiteral("10") << 10.0
                                                         << false;
    QTest::newRow("a rate above 100 counts as 100") << 100.0 << 0.0 << false << 18.0 << L{150, 0, 0, 0} << 100.0
                                                    << L{100, 0, 0, 0} << 0.0 << 0.0 << QStringLiteral("100") << 100.0 << false;
    QTest::newRow("campaign price is net") << 100.0 << 80.0 << true << 18.0 << L{10, 5, 0, 0} << 80.0 << none << 80.0 << 94.4
                                           << QStringLiteral("NET") << 0.0 << true;
    QTest::newRow("account outside campaigns pays list less discounts")
        << 100.0 << 80.0 << false << 18.0 << L{10, 5, 0, 0} << 100.0 << L{10, 5, 0, 0} << 85.5 << 100.89
        << QStringLiteral("10+5") << 14.5 << false;
    QTest::newRow("a campaign without a price is none") << 100.0 << 0.0 << true << 18.0 << L{10, 0, 0, 0} << 100.0
                                                        << L{10, 0, 0, 0} << 90.0 << 106.2 << QStringLiteral("10") << 10.0
                                                        << false;
    QTest::newRow("VAT 8") << 50.0 << 0.0 << false << 8.0 << none << 50.0 << none << 50.0 << 54.0 << QStringLiteral("0")
                           << 0.0 << false;
}

void TestStorage::stockPrices()
{
    QFETCH(double, listPrice);
    QFETCH(double, campaignPrice);
    QFETCH(bool, onCampaign);
    QFETCH(double, vat);
    QFETCH(QList<double>, rates);
    QFETCH(double, price);
    QFETCH(QList<double>, ind);
    QFETCH(double, net);
    QFETCH(double, withVat);
    QFETCH(QString, text);
    QFETCH(double, combined);
    QFETCH(bool, campaign);

    Discounts d;
    for (int i = 0; i < 4; ++i)
        d.rates[size_t(i)] = rates[i];
    const StockPrice p = stockPrice(listPrice, campaignPrice, onCampaign, vat, d);
    QCOMPARE(p.price, price);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(p.discounts.rates[size_t(i)], ind[i]);
    QCOMPARE(p.netPrice, net);
    QCOMPARE(p.vatIncluded, withVat);
    QCOMPARE(p.discountText, text);
    QCOMPARE(p.combinedRate, combined);
    QCOMPARE(p.campaign, campaign);
    QCOMPARE(p.campaignPrice, campaign ? campaignPrice : 0.0);
    QCOMPARE(p.listPrice, roundHalfAwayFromZero(listPrice, 2));
}

void TestStorage::lineAmounts_data()
{
    QTest::addColumn<double>("quantity");
    QTest::addColumn<double>("unitPrice");
    QTest::addColumn<QList<double>>("rates");
    QTest::addColumn<double>("vatRate");
    QTest::addColumn<QList<double>>("expected"); // amount, discount, net, vat, total, net unit price

    using L = QList<double>;
    QTest::newRow("discount on the line amount") << 3.0 << 10.09 << L{10, 0, 0, 0} << 18.0
                                                 << L{30.27, 3.03, 27.24, 4.90, 32.14, 9.08};
    QTest::newRow("two rates") << 2.0 << 100.0 << L{10, 5, 0, 0} << 18.0 << L{200, 29, 171, 30.78, 201.78, 85.5};
    QTest::newRow("binary noise does not lose a cent") << 7.0 << 1.15 << L{0, 0, 0, 0} << 20.0
                                                       << L{8.05, 0, 8.05, 1.61, 9.66, 1.15};
    QTest::newRow("no quantity, no unit price") << 0.0 << 50.0 << L{10, 0, 0, 0} << 18.0 << L{0, 0, 0, 0, 0, 0};
}

void TestStorage::lineAmounts()
{
    QFETCH(double, quantity);
    QFETCH(double, unitPrice);
    QFETCH(QList<double>, rates);
    QFETCH(double, vatRate);
    QFETCH(QList<double>, expected);
    Discounts d;
    for (int i = 0; i < 4; ++i)
        d.rates[size_t(i)] = rates[i];
    const LineAmounts a = vexor::lineAmounts(quantity, unitPrice, d, vatRate);
    QCOMPARE(a.amount, expected[0]);
    QCOMPARE(a.discount, expected[1]);
    QCOMPARE(a.net, expected[2]);
    QCOMPARE(a.vat, expected[3]);
    QCOMPARE(a.total, expected[4]);
    QCOMPARE(a.netUnitPrice, expected[5]);
}

void TestStorage::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scope");
    QTest::addColumn<QList<int>>("ids");

    using L = QList<int>;
    const int all = int(SearchScope::All), codes = int(SearchScope::Codes), names = int(SearchScope::Names);
    QTest::newRow("a word, by name; inactive stocks never") << QStringLiteral("fren") << all << L{1, 2};
    QTest::newRow("every word must match") << QStringLiteral("FREN BALATASI") << all << L{1};
    QTest::newRow("Turkish letters typed") << QStringLiteral("balatası") << all << L{1};
    QTest::newRow("folded as the box folds") << QStringLiteral("BALATASİ") << all << L{1};
    QTest::newRow("word starts only") << QStringLiteral("ALATASI") << all << L{};
    QTest::newRow("two-letter word, two stocks by name") << QStringLiteral("ön") << all << L{3, 1};
    QTest::newRow("dotless and dotted i") << QStringLiteral("ıç dikiz") << all << L{7};
    QTest::newRow("OEM in its parts") << QStringLiteral("1K0 698 151 A") << all << L{1};
    QTest::newRow("OEM without separators") << QStringLiteral("1k0698151a") << all << L{1};
    QTest::newRow("OEM with other separators") << QStringLiteral("1K0-698151A") << all << L{1};
    QTest::newRow("OEM prefix finds cross references") << QStringLiteral("1K0698151") << all << L{1, 2};
    QTest::newRow("OEM with blanks") << QStringLiteral("7701 208 265") << all << L{2};
    QTest::newRow("exact code first, then by name") << QStringLiteral("KRV-10001") << all << L{1, 5};
    QTest::newRow("code prefix, by name") << QStringLiteral("krv-1000") << all << L{5, 1};
    QTest::newRow("barcode") << QStringLiteral("8690000000011") << all << L{1};
    QTest::newRow("manufacturer code") << QStringLiteral("KV 1234") << all << L{1};
    QTest::newRow("other name") << QStringLiteral("brake pad") << all << L{1};
    QTest::newRow("brand") << QStringLiteral("korvan") << all << L{5, 1};
    QTest::newRow("vehicle model") << QStringLiteral("TAVRA MIRA") << all << L{1};
    QTest::newRow("codes only: names do not count") << QStringLiteral("fren") << codes << L{};
    QTest::newRow("codes only: OEM") << QStringLiteral("58101") << codes << L{3};
    QTest::newRow("names only: codes do not count") << QStringLiteral("1K0") << names << L{};
    QTest::newRow("names only: brand") << QStringLiteral("DURMAX") << names << L{3, 7};
    QTest::newRow("SQL comment and quote") << QStringLiteral("' OR 1=1 --") << all << L{};
    QTest::newRow("statement injection") << QStringLiteral("x'; DELETE FROM stocks; --") << all << L{};
    QTest::newRow("LIKE wildcards") << QStringLiteral("%_%") << all << L{};
    QTest::newRow("a lone quote") << QStringLiteral("\"") << all << L{};
    QTest::newRow("FTS operators are words: OR") << QStringLiteral("fren OR amortisor") << all << L{};
    QTest::newRow("FTS operators are words: NOT") << QStringLiteral("fren NOT disk") << all << L{};
    QTest::newRow("FTS syntax characters") << QStringLiteral("fren* ^disk: NEAR(a b) {codes}") << all << L{};
    QTest::newRow("minus is a separator") << QStringLiteral("fren -disk") << all << L{2};
    QTest::newRow("nothing to look for") << QStringLiteral("  -- ** ") << all << L{};
    QTest::newRow("empty") << QString() << all << L{};
    QTest::newRow("10,000 letters") << QString(10000, QLatin1Char('A')) << all << L{};
    QTest::newRow("undecodable bytes") << QString::fromUtf8("\xff\xfe fren \xc3") << all << L{1, 2};
}

void TestStorage::search()
{
    QFETCH(QString, text);
    QFETCH(int, scope);
    QFETCH(QList<int>, ids);
    const std::vector<int> found = findStocks(*m_catalogue, text, SearchScope(scope));
    QCOMPARE(QList<int>(found.begin(), found.end()), ids);
    QCOMPARE(count(*m_catalogue, QStringLiteral("SELECT COUNT(*) FROM stocks")), 6);
}

void TestStorage::searchCapAndOrder()
{
    // Every barcode starts with 869, so this matches all 2,000 stocks.
    const std::vector<int> all = findStocks(*m_demo, u"869");
    QCOMPARE(int(all.size()), kSearchCap);
    // Stocks with a code that is 869 as a whole would come first (there is none); the rest
    // follow by folded name, then by number.
    auto exact = [&](int id) {
        QSqlQuery q = m_demo->exec(QStringLiteral("SELECT code, barcode, maker_code, oem_no, oem1, oem2, oem3, oem4 FROM stocks WHERE id = ?"),
                                   {id});
        q.next();
        for (int c = 0; c < 8; ++c) {
            if (normalizeCode(q.value(c).toString()) == QLatin1String("869"))
                return true;
        }
        return false;
    };
    size_t firstOther = 0;
    while (firstOther < all.size() && exact(all[firstOther]))
        ++firstOther;
    QString previousKey;
    int previousId = 0;
    for (size_t i = firstOther; i < all.size(); ++i) {
        const int id = all[i];
        QVERIFY(!exact(id));
        const QString key = m_demo->scalar(QStringLiteral("SELECT sort_key FROM stocks WHERE id = ?"), {id})->toString();
        QVERIFY2(previousKey < key || (previousKey == key && previousId < id), qPrintable(key));
        previousKey = key;
        previousId = id;
    }
    // The first by name among all of them is there, right after the exact ones.
    const QString firstKey = m_demo->scalar(QStringLiteral("SELECT MIN(sort_key) FROM stocks WHERE active = 1"))->toString();
    QCOMPARE(m_demo->scalar(QStringLiteral("SELECT sort_key FROM stocks WHERE id = ?"), {all[firstOther]})->toString(), firstKey);
    QCOMPARE(findStocks(*m_demo, u"869"), all);
    const std::vector<int> ten = findStocks(*m_demo, u"869", SearchScope::All, 10);
    QCOMPARE(ten, std::vector<int>(all.begin(), all.begin() + 10));
    QCOMPARE(int(findStocks(*m_demo, u"869", SearchScope::All, 100000).size()), kSearchCap);
}

void TestStorage::indexingOneStockKeepsTheOrder()
{
    auto db = Database::create(m_dir.filePath(QStringLiteral("reindex.db")));
    fillCatalogue(*db);
    auto add = [&](int id, const QString &name) {
        db->change(QStringLiteral("INSERT INTO stocks (id, code, barcode, barcode_no, name, sort_key, brand_id, group_id, department_id, "
                                  "vat_rate, list_price, status) VALUES (?, ?, ?, ?, ?, ?, 1, 2, 1, 18, 50, 1)"),
                   {id, QStringLiteral("NEW-%1").arg(id), QStringLiteral("86999%1").arg(id), id, name, foldTurkish(name)});
        indexStock(*db, id);
    };
    auto fren = [&] {
        const std::vector<int> ids = findStocks(*db, u"fren");
        return QList<int>(ids.begin(), ids.end());
    };
    // A new stock goes between the stocks it sorts between.
    add(8, QStringLiteral("FREN ÇEKİCİ"));
    QCOMPARE(fren(), (QList<int>{1, 8, 2}));
    // A renamed stock moves.
    db->change(QStringLiteral("UPDATE stocks SET name = 'AAA FREN KOLU', sort_key = 'AAA FREN KOLU' WHERE id = 8"));
    indexStock(*db, 8);
    QCOMPARE(fren(), (QList<int>{8, 1, 2}));
    // Sixteen stocks into one gap: the room runs out, the ranks are numbered anew, the order holds.
    QList<int> expected{8};
    for (int id = 9; id <= 24; ++id) {
        add(id, QStringLiteral("FREN BALATASI ÖN"));
        expected << id;
    }
    expected << 1 << 2;
    QCOMPARE(fren(), expected);
    QSqlQuery ranks = db->exec(QStringLiteral("SELECT search_rank FROM stocks ORDER BY sort_key, id"));
    qint64 previous = 0;
    while (ranks.next()) {
        QVERIFY(ranks.value(0).toLongLong() > previous);
        previous = ranks.value(0).toLongLong();
    }
    QCOMPARE(count(*db, QStringLiteral("SELECT COUNT(*) FROM stock_search")), count(*db, QStringLiteral("SELECT COUNT(*) FROM stocks")));
}

void TestStorage::transactionsRollBackOnException()
{
    Database &db = *m_catalogue;
    try {
        Transaction tx(db);
        writeSetting(db, QStringLiteral("rollback-test"), QStringLiteral("written"));
        throw std::runtime_error("failure half way");
    } catch (const std::runtime_error &) {
    }
    QCOMPARE(readSetting(db, QStringLiteral("rollback-test"), QStringLiteral("absent")), QStringLiteral("absent"));
    QVERIFY(!db.inTransaction());
    {
        Transaction tx(db);
        writeSetting(db, QStringLiteral("rollback-test"), QStringLiteral("written"));
        tx.commit();
    }
    QCOMPARE(readSetting(db, QStringLiteral("rollback-test")), QStringLiteral("written"));
    // A statement that fails inside a transaction takes the transaction's changes with it.
    QVERIFY_THROWS_EXCEPTION(DatabaseError, [&] {
        Transaction tx(db);
        writeSetting(db, QStringLiteral("rollback-test"), QStringLiteral("changed"));
        db.change(QStringLiteral("INSERT INTO stocks (id) VALUES (1)"));
        tx.commit();
    }());
    QCOMPARE(readSetting(db, QStringLiteral("rollback-test")), QStringLiteral("written"));
}

void TestStorage::nestedTransactionsAreSavepoints()
{
    Database &db = *m_catalogue;
    {
        Transaction outer(db);
        writeSetting(db, QStringLiteral("nested-a"), QStringLiteral("1"));
        try {
            Transaction inner(db);
            writeSetting(db, QStringLiteral("nested-b"), QStringLiteral("1"));
            throw std::runtime_error("inner fails");
        } catch (const std::runtime_error &) {
        }
        {
            Transaction inner(db);
            writeSetting(db, QStringLiteral("nested-c"), QStringLiteral("1"));
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(readSetting(db, QStringLiteral("nested-a")), QStringLiteral("1"));
    QCOMPARE(readSetting(db, QStringLiteral("nested-b"), QStringLiteral("none")), QStringLiteral("none"));
    QCOMPARE(readSetting(db, QStringLiteral("nested-c")), QStringLiteral("1"));
}

void TestStorage::valuesAreBoundNeverSpliced()
{
    Database &db = *m_catalogue;
    const QString nasty = QStringLiteral("x'); DROP TABLE settings; -- \" ; %_ \\ ' OR 1=1");
    writeSetting(db, QStringLiteral("nasty"), nasty);
    QCOMPARE(readSetting(db, QStringLiteral("nasty")), nasty);
    QVERIFY(count(db, QStringLiteral("SELECT COUNT(*) FROM settings")) > 1);
    // A null QString is text: the NOT NULL column accepts it as ''.
    writeSetting(db, QStringLiteral("empty"), QString());
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM settings WHERE key = 'empty' AND value = ''")), 1);
}

void TestStorage::everyThreadHasItsOwnConnection()
{
    const int before = QSqlDatabase::connectionNames().size();
    {
        auto db = Database::open(m_dir.filePath(QStringLiteral("demo.db")));
        std::atomic<int> failures{0};
        std::atomic<int> searches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                try {
                    for (int i = 0; i < 20; ++i) {
                        if (!findStocks(*db, u"869", SearchScope::All, 5).empty())
                            ++searches;
                        Transaction tx(*db);
                        writeSetting(*db, QStringLiteral("thread-%1").arg(t), QString::number(i));
                        tx.commit();
                    }
                } catch (const std::exception &e) {
                    qWarning("%s", e.what());
                    ++failures;
                }
            });
        }
        for (std::thread &t : threads)
            t.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(searches.load(), 80);
        for (int t = 0; t < 4; ++t)
            QCOMPARE(readSetting(*db, QStringLiteral("thread-%1").arg(t)), QStringLiteral("19"));
        // The threads are gone, and with them their connections; this thread's one remains.
        QCOMPARE(QSqlDatabase::connectionNames().size(), before + 1);
    }
    QCOMPARE(QSqlDatabase::connectionNames().size(), before);
}

void TestStorage::databaseGoesWhileItsThreadsWait()
{
    // A server's pool threads outlive its database: the database drops their connections
    // without reaching into them from its own thread, and a thread that ends afterwards
    // leaves the dropped connection alone (dropping it twice once crashed at exit).
    QTest::failOnWarning(QRegularExpression(QStringLiteral("does not belong to the calling thread|still in use")));
    const int before = QSqlDatabase::connectionNames().size();
    auto db = Database::open(m_dir.filePath(QStringLiteral("demo.db")));
    const int opened = QSqlDatabase::connectionNames().size();

    struct Waiters
    {
        std::mutex lock;
        std::condition_variable changed;
        int used = 0;
        bool end = false;
        std::vector<std::thread> threads;

        void release()
        {
            {
                std::lock_guard guard(lock);
                end = true;
            }
            changed.notify_all();
            for (std::thread &t : threads)
                t.join();
            threads.clear();
        }
        ~Waiters() { release(); }
    } waiters;
    for (int t = 0; t < 3; ++t) {
        waiters.threads.emplace_back([&waiters, &db, t] {
            writeSetting(*db, QStringLiteral("waiting-%1").arg(t), QStringLiteral("1"));
            std::unique_lock guard(waiters.lock);
            ++waiters.used;
            waiters.changed.notify_all();
            waiters.changed.wait(guard, [&] { return waiters.end; });
        });
    }
    {
        std::unique_lock guard(waiters.lock);
        waiters.changed.wait(guard, [&] { return waiters.used == 3; });
    }
    QCOMPARE(QSqlDatabase::connectionNames().size(), opened + 3);
    db.reset();
    QCOMPARE(QSqlDatabase::connectionNames().size(), before);
    waiters.release();
    QCOMPARE(QSqlDatabase::connectionNames().size(), before);
}

void TestStorage::otherSchemaVersionsAreRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("old.db"));
    {
        auto db = Database::create(path);
        writeSetting(*db, kSettingSchemaVersion, QStringLiteral("99"));
    }
    try {
        Database::open(path);
        QFAIL("a database of another schema version was opened");
    } catch (const DatabaseError &e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(QStringLiteral("schema version 99")), e.what());
    }
    QVERIFY_THROWS_EXCEPTION(DatabaseError, Database::create(path));
}

void TestStorage::adminCommands()
{
    Database &db = *m_catalogue;
    QCOMPARE(enrollMachine(db, QStringLiteral(" wd-wx41 a1234 "), QStringLiteral("bayi")), 3);
    QCOMPARE(m_catalogue->scalar(QStringLiteral("SELECT user_id FROM machines WHERE machine_id = 'WD-WX41A1234'"))->toInt(), 1);
    // The same machine moves to another user.
    QCOMPARE(enrollMachine(db, QStringLiteral("WD-WX41A1234"), QStringLiteral("TEMSILCI")), 1);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM machines WHERE machine_id = 'WD-WX41A1234' AND user_id = 2")), 1);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, enrollMachine(db, QStringLiteral("X1"), QStringLiteral("NOBODY")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, enrollMachine(db, QStringLiteral("   "), QStringLiteral("BAYI")));

    setNews(db, QStringLiteral("<b>Yeni</b> fiyatlar"));
    QCOMPARE(readSetting(db, kSettingNews), QStringLiteral("<b>Yeni</b> fiyatlar"));
    setClientVersion(db, 2);
    QCOMPARE(readSetting(db, kSettingClientVersion), QStringLiteral("2"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, setClientVersion(db, 0));

    const QByteArray gif = bytesOf(*m_demo, QStringLiteral("SELECT content FROM banners WHERE slot = 1"));
    const QByteArray bmp = bytesOf(*m_demo, QStringLiteral("SELECT content FROM banners WHERE slot = 3"));
    setBanner(db, 2, gif, QStringLiteral("a.gif"));
    setBanner(db, 3, bmp, QStringLiteral("b.bmp"));
    QCOMPARE(bytesOf(db, QStringLiteral("SELECT content FROM banners WHERE slot = 2")), gif);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, setBanner(db, 1, bmp, QStringLiteral("b.bmp")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, setBanner(db, 3, gif, QStringLiteral("a.gif")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, setBanner(db, 4, gif, QStringLiteral("a.gif")));
    setBanner(db, 2, bytesOf(*m_demo, QStringLiteral("SELECT content FROM banners WHERE slot = 2")), QStringLiteral("c.gif"));
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM banners WHERE slot = 2 AND file_name = 'c.gif'")), 1);
}

void TestStorage::seedHasIntegrity()
{
    QSqlQuery fk = m_demo->exec(QStringLiteral("PRAGMA foreign_key_check"));
    if (fk.next())
        QFAIL(qPrintable(QStringLiteral("%1 row %2 breaks a foreign key").arg(fk.value(0).toString(), fk.value(1).toString())));
    QCOMPARE(m_demo->scalar(QStringLiteral("PRAGMA integrity_check"))->toString(), QStringLiteral("ok"));
}

void TestStorage::seedCoversEveryEntity()
{
    for (const char *table : {"representatives", "accounts", "users", "machines", "brands", "product_groups", "departments",
                              "pictures", "stocks", "stock_search", "account_discounts", "cart_lines", "order_statuses",
                              "delivery_kinds", "cargo_kinds", "cargo_firms", "cargo_firm_kinds", "orders", "order_lines",
                              "invoices", "invoice_lines", "deliveries", "web_payments", "collections", "collection_items",
                              "account_movements", "banners", "opening_screens", "documents", "mail_outbox", "access_requests"})
        QVERIFY2(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))) > 0, table);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM stocks")), 2000);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM accounts")), 12);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM representatives")), 3);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(DISTINCT kind) FROM users")), 5);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM banners")), 3);
    QVERIFY(!readSetting(*m_demo, kSettingNews).trimmed().isEmpty());
    QCOMPARE(readSetting(*m_demo, kSettingClientVersion), QStringLiteral("1"));
    // Every stock status, new and campaign stocks, cargo firms with warnings, open balances.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(DISTINCT status) FROM stocks")), 6);
    QVERIFY(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM stocks WHERE is_new = 1")) > 0);
    QVERIFY(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM stocks WHERE campaign = 1")) > 0);
    QVERIFY(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM cargo_firms WHERE warning <> ''")) > 0);
    QVERIFY(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM order_lines WHERE delivered + cancelled < quantity")) > 0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM opening_screens WHERE search IN ('#KAMPANYA#', '#YENİ#')")), 2);
    QVERIFY(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM opening_screens WHERE advertisement = 1")) > 0);
    QCOMPARE(m_summary.stocks, 2000);
    QCOMPARE(m_summary.orders, count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM orders")));
    QCOMPARE(m_summary.invoices, count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM invoices")));
}

void TestStorage::seedHasAYearOfBusinessPerAccount()
{
    const QString from = isoDate(kToday.addDays(-365));
    const QString to = isoDate(kToday) + QStringLiteral("T23:59:59");
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM orders WHERE ordered_at < ? OR ordered_at > ?"), {from, to}), 0);
    QSqlQuery q = m_demo->exec(QStringLiteral(
        "SELECT a.id, (SELECT COUNT(DISTINCT substr(o.ordered_at, 1, 7)) FROM orders o WHERE o.account_id = a.id), "
        "(SELECT COUNT(*) FROM invoices i WHERE i.account_id = a.id), "
        "(SELECT COUNT(*) FROM collections c WHERE c.account_id = a.id) FROM accounts a"));
    int accounts = 0;
    while (q.next()) {
        ++accounts;
        QVERIFY2(q.value(1).toInt() >= 9, qPrintable(QStringLiteral("account %1: orders in %2 months").arg(q.value(0).toInt()).arg(q.value(1).toInt())));
        QVERIFY(q.value(2).toInt() > 10);
        QVERIFY(q.value(3).toInt() > 3);
    }
    QCOMPARE(accounts, 12);
}

void TestStorage::seedInvoicesAddUp()
{
    QSqlQuery q = m_demo->exec(QStringLiteral(
        "SELECT i.id, i.total, i.discount_total, i.net_total, i.vat_total, i.grand_total, "
        "SUM(l.amount), SUM(l.discount_amount), SUM(l.net_amount), SUM(l.vat_amount) "
        "FROM invoices i JOIN invoice_lines l ON l.invoice_id = i.id GROUP BY i.id"));
    int invoices = 0;
    while (q.next()) {
        ++invoices;
        for (int c = 1; c <= 4; ++c)
            QVERIFY2(qAbs(q.value(c).toDouble() - q.value(c + 5).toDouble()) < 0.005, qPrintable(q.value(0).toString()));
        QCOMPARE(q.value(5).toDouble(), roundHalfAwayFromZero(q.value(3).toDouble() + q.value(4).toDouble(), 2));
    }
    QCOMPARE(invoices, count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM invoices")));
    // Each line is priced by the pricing rules.
    QSqlQuery lines = m_demo->exec(QStringLiteral(
        "SELECT quantity, unit_price, ind1, ind2, ind3, ind4, vat_rate, amount, discount_amount, net_amount, vat_amount, net_unit_price "
        "FROM invoice_lines"));
    while (lines.next()) {
        Discounts d;
        for (int i = 0; i < 4; ++i)
            d.rates[size_t(i)] = lines.value(2 + i).toDouble();
        const LineAmounts a = vexor::lineAmounts(lines.value(0).toDouble(), lines.value(1).toDouble(), d, lines.value(6).toDouble());
        QCOMPARE(lines.value(7).toDouble(), a.amount);
        QCOMPARE(lines.value(8).toDouble(), a.discount);
        QCOMPARE(lines.value(9).toDouble(), a.net);
        QCOMPARE(lines.value(10).toDouble(), a.vat);
        QCOMPARE(lines.value(11).toDouble(), a.netUnitPrice);
    }
}

void TestStorage::seedDeliveriesMatchOrdersAndInvoices()
{
    QCOMPARE(count(*m_demo, QStringLiteral(
                 "SELECT COUNT(*) FROM order_lines l WHERE l.delivered <> "
                 "(SELECT COALESCE(SUM(d.quantity), 0) FROM deliveries d WHERE d.order_line_id = l.id)")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral(
                 "SELECT COUNT(*) FROM order_lines l WHERE l.delivered <> "
                 "(SELECT COALESCE(SUM(i.quantity), 0) FROM invoice_lines i WHERE i.order_line_id = l.id)")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM deliveries d JOIN invoice_lines i ON i.id = d.invoice_line_id "
                                           "WHERE i.order_line_id <> d.order_line_id OR i.quantity <> d.quantity")),
             0);
    // An invoice is for its own account's order.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM invoice_lines il JOIN invoices i ON i.id = il.invoice_id "
                                           "JOIN order_lines l ON l.id = il.order_line_id JOIN orders o ON o.id = l.order_id "
                                           "WHERE o.account_id <> i.account_id OR i.issued_at < o.ordered_at")),
             0);
}

void TestStorage::seedStatusesMatchDeliveries()
{
    // Received, seen, approved and prepared orders have shipped nothing.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                           "WHERE o.status_id BETWEEN 1 AND 5 AND (l.delivered > 0 OR l.cancelled > 0)")),
             0);
    // Completed orders leave no balance; cancelled ones delivered nothing.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                           "WHERE o.status_id = 7 AND l.delivered + l.cancelled <> l.quantity")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                           "WHERE o.status_id = 8 AND (l.delivered > 0 OR l.cancelled <> l.quantity)")),
             0);
    // Shipped orders shipped something, and every status occurs.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM orders o WHERE o.status_id = 6 AND NOT EXISTS "
                                           "(SELECT 1 FROM order_lines l WHERE l.order_id = o.id AND l.delivered > 0)")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(DISTINCT status_id) FROM orders")), 8);
}

void TestStorage::seedStatementIsMadeOfTheDocuments()
{
    // Every invoice and every collection is one statement row of its account, at its date.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM invoices i LEFT JOIN account_movements m ON m.invoice_id = i.id "
                                           "WHERE m.id IS NULL OR m.account_id <> i.account_id OR m.moved_at <> i.issued_at "
                                           "OR (i.kind = ? AND (m.debit <> i.grand_total OR m.credit <> 0)) "
                                           "OR (i.kind = ? AND (m.credit <> i.grand_total OR m.debit <> 0))"),
                   {kMovementInvoice, kMovementReturnInvoice}),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM collections c LEFT JOIN account_movements m ON m.collection_id = c.id "
                                           "WHERE m.id IS NULL OR m.account_id <> c.account_id OR m.moved_at <> c.received_at "
                                           "OR (c.kind = 'Tahsilat' AND (m.credit <> c.amount OR m.debit <> 0)) "
                                           "OR (c.kind = 'Tediye' AND (m.debit <> c.amount OR m.credit <> 0))")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM account_movements WHERE invoice_id IS NULL AND collection_id IS NULL "
                                           "AND kind <> ?"),
                   {kMovementOpening}),
             0);
    // A collection is the sum of its items; a web payment pays exactly its collection.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM collections c WHERE abs(c.amount - "
                                           "(SELECT SUM(i.amount) FROM collection_items i WHERE i.collection_id = c.id)) > 0.004")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM collections c JOIN web_payments w ON w.id = c.web_payment_id "
                                           "WHERE w.amount <> c.amount OR w.account_id <> c.account_id")),
             0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM web_payments w WHERE NOT EXISTS "
                                           "(SELECT 1 FROM collections c WHERE c.web_payment_id = w.id)")),
             0);
    // The client classifies rows by their type names: invoices contain "Fatura".
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM account_movements WHERE invoice_id IS NOT NULL "
                                           "AND instr(kind, 'Fatura') = 0")),
             0);
    // Accounts pay: over the year collections cover most of what was invoiced.
    QSqlQuery q = m_demo->exec(QStringLiteral("SELECT SUM(debit), SUM(credit) FROM account_movements"));
    QVERIFY(q.next());
    QVERIFY(q.value(1).toDouble() > 0.6 * q.value(0).toDouble());
    QVERIFY(q.value(1).toDouble() < q.value(0).toDouble());
}

void TestStorage::seedCartsHaveTheAccountsPrices()
{
    QSqlQuery q = m_demo->exec(QStringLiteral(
        "SELECT c.account_id, c.unit_price, c.ind1, c.ind2, c.ind3, c.ind4, c.campaign, s.list_price, s.campaign_price, "
        "s.campaign, s.vat_rate, s.brand_id FROM cart_lines c JOIN stocks s ON s.id = c.stock_id"));
    int lines = 0;
    while (q.next()) {
        ++lines;
        const AccountPricing pricing = loadAccountPricing(*m_demo, q.value(0).toInt());
        const StockPrice p = stockPrice(q.value(7).toDouble(), q.value(8).toDouble(),
                                        q.value(9).toInt() == 1 && pricing.campaigns, q.value(10).toDouble(),
                                        pricing.forBrand(q.value(11).toInt()));
        QCOMPARE(q.value(1).toDouble(), p.price);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(q.value(2 + i).toDouble(), p.discounts.rates[size_t(i)]);
        QCOMPARE(q.value(6).toInt() == 1, p.campaign);
    }
    QVERIFY(lines > 0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM cart_lines WHERE account_id = 1")), 4);
}

void TestStorage::seedDemoUsers()
{
    struct Expected
    {
        const char *name;
        int kind;
        int active;
    };
    for (const Expected &e : {Expected{"BAYI", 3, 1}, Expected{"BAYI0", 0, 1}, Expected{"BAYI4", 4, 1}, Expected{"PASIF", 3, 0},
                              Expected{"TEMSILCI1", 1, 1}, Expected{"TEMSILCI2", 1, 1}, Expected{"MUDUR", 2, 1}}) {
        const QString name = QString::fromLatin1(e.name);
        QSqlQuery q = m_demo->exec(QStringLiteral("SELECT u.kind, u.active, u.password, m.machine_id FROM users u "
                                                  "JOIN machines m ON m.user_id = u.id WHERE u.name = ?"),
                                   {name});
        QVERIFY2(q.next(), e.name);
        QCOMPARE(q.value(0).toInt(), e.kind);
        QCOMPARE(q.value(1).toInt(), e.active);
        QCOMPARE(q.value(2).toString(), QStringLiteral("1234"));
        QCOMPARE(q.value(3).toString(), QStringLiteral("DEMO-") + name);
        const auto printed = std::find_if(m_summary.users.begin(), m_summary.users.end(), [&](const DemoUser &u) { return u.name == name; });
        QVERIFY(printed != m_summary.users.end());
        QCOMPARE(printed->password, QStringLiteral("1234"));
    }
    // Log-in names and passwords are in capitals, as the client's boxes force them.
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM users WHERE name <> upper(name) OR password <> upper(password)")), 0);
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM users u JOIN accounts a ON a.id = u.account_id "
                                           "WHERE u.kind = 4 AND a.campaigns <> 0")),
             0);
}

void TestStorage::seedPicturesAndBanners()
{
    const int withPicture = count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM stocks WHERE picture_id IS NOT NULL"));
    QVERIFY2(withPicture > 400 && withPicture < 1000, qPrintable(QString::number(withPicture)));
    QSqlQuery pictures = m_demo->exec(QStringLiteral("SELECT jpeg, thumbnail FROM pictures"));
    QSet<QByteArray> distinct;
    while (pictures.next()) {
        QImage image;
        QVERIFY(image.loadFromData(pictures.value(0).toByteArray(), "JPG"));
        QCOMPARE(image.size(), QSize(480, 360));
        QImage thumb;
        QVERIFY(thumb.loadFromData(pictures.value(1).toByteArray(), "JPG"));
        QVERIFY(thumb.width() <= 120);
        distinct.insert(pictures.value(0).toByteArray());
    }
    QVERIFY(distinct.size() >= 36);

    for (int slot : {1, 2}) {
        QByteArray gif = bytesOf(*m_demo, QStringLiteral("SELECT content FROM banners WHERE slot = ?"), {slot});
        QBuffer buffer(&gif);
        QImageReader reader(&buffer, "gif");
        QVERIFY(reader.canRead());
        QVERIFY(reader.supportsAnimation());
        QVERIFY2(reader.imageCount() > 1, qPrintable(QString::number(reader.imageCount())));
        QVERIFY(!reader.read().isNull());
    }
    QImage band;
    QVERIFY(band.loadFromData(bytesOf(*m_demo, QStringLiteral("SELECT content FROM banners WHERE slot = 3")), "BMP"));
    QVERIFY(band.height() > 10 && band.width() > band.height());

    QSqlQuery screens = m_demo->exec(QStringLiteral("SELECT picture FROM opening_screens"));
    while (screens.next()) {
        QImage screen;
        QVERIFY(screen.loadFromData(screens.value(0).toByteArray(), "JPG"));
        QCOMPARE(screen.size(), QSize(605, 405));
    }
}

void TestStorage::seedSearchIndexIsCurrent()
{
    QCOMPARE(count(*m_demo, QStringLiteral("SELECT COUNT(*) FROM stock_search")), 2000);
    // Indexing one stock again writes exactly what the whole rebuild wrote.
    for (int id : {1, 777, 2000}) {
        const QString columns = QStringLiteral("SELECT whole || '|' || codes || '|' || words FROM stock_search "
                                               "WHERE rowid = (SELECT search_rank FROM stocks WHERE id = ?)");
        const QString before = m_demo->scalar(columns, {id})->toString();
        QVERIFY(before.size() > 20);
        indexStock(*m_demo, id);
        QCOMPARE(m_demo->scalar(columns, {id})->toString(), before);
        // And the stock is found by its own code, first.
        const QString code = m_demo->scalar(QStringLiteral("SELECT code FROM stocks WHERE id = ?"), {id})->toString();
        QCOMPARE(findStocks(*m_demo, code).front(), id);
    }
}

void TestStorage::seedIsDeterministic()
{
    auto digest = [](Database &db) {
        QStringList parts;
        for (const char *sql : {"SELECT group_concat(code || name || list_price || status || COALESCE(picture_id, 0), '|') FROM stocks",
                                "SELECT group_concat(account_id || ordered_at || status_id, '|') FROM orders",
                                "SELECT group_concat(number || grand_total, '|') FROM invoices",
                                "SELECT group_concat(amount, '|') FROM collections",
                                "SELECT group_concat(name || password || kind, '|') FROM users"})
            parts << db.scalar(QString::fromLatin1(sql))->toString();
        return parts;
    };
    auto again = Database::create(m_dir.filePath(QStringLiteral("again.db")));
    seedDemoData(*again, smallDemo());
    QCOMPARE(digest(*again), digest(*m_demo));
    auto other = Database::create(m_dir.filePath(QStringLiteral("other.db")));
    seedDemoData(*other, smallDemo(8));
    QVERIFY(digest(*other) != digest(*m_demo));
    // Demo data goes into an empty database only.
    QVERIFY_THROWS_EXCEPTION(DatabaseError, seedDemoData(*again, smallDemo()));
}

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
