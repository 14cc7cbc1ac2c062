// The web site over the server's real database: a stock's picture comes from its stored JPEG,
// a stock without one answers 404, and the request form's entries land in the database.
#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/webstore.h"
#include "web.h"

#include <QtTest>

using namespace vexor;

class TestWebStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesFromTheDatabase();
    void accessRequestsAreStored();

private:
    QTemporaryDir m_dir;
    std::shared_ptr<Database> m_db;
};

void TestWebStore::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = Database::create(m_dir.filePath(QStringLiteral("web.db")));
    DemoOptions options;
    options.stocks = 300;
    options.accounts = 12;
    seedDemoData(*m_db, options);
}

void TestWebStore::picturesFromTheDatabase()
{
    const auto withPicture = m_db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NOT NULL ORDER BY id LIMIT 1"));
    const auto without = m_db->scalar(QStringLiteral("SELECT id FROM stocks WHERE picture_id IS NULL ORDER BY id LIMIT 1"));
    QVERIFY(withPicture && without);

    WebSite site(std::make_shared<DatabaseWebContent>(m_db), QString());
    HttpRequest get;
    get.method = "GET";
    get.target = "/resimgoster.ashx?id=" + std::to_string(withPicture->toInt());
    const HttpResponse found = site.handle(get);
    QCOMPARE(found.status, 200);
    QCOMPARE(QByteArray::fromStdString(found.contentType), QByteArray("image/jpeg"));
    QVERIFY(found.body.size() > 1200);
    QVERIFY(QByteArray::fromStdString(found.body).startsWith("\xFF\xD8"));

    get.target = "/resimgoster.ashx?id=" + std::to_string(without->toInt());
    QCOMPARE(site.handle(get).status, 404);
    get.target = "/resimgoster.ashx?id=99999999";
    QCOMPARE(site.handle(get).status, 404);
}

void TestWebStore::accessRequestsAreStored()
{
    DatabaseWebContent content(m_db);
    const int before = m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM access_requests"))->toInt();
    AccessRequest r;
    r.machineId = QStringLiteral("WD-WX41A1234");
    r.customerNo = 987654; // no such account: kept as none
    r.company = QStringLiteral("ÇAĞDAŞ OTO YEDEK PARÇA");
    r.contact = QStringLiteral("Işıl Öztürk");
    r.note = QStringLiteral("'; DROP TABLE access_requests; --");
    content.storeAccessRequest(r);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM access_requests"))->toInt(), before + 1);
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT company, contact, note, account_id FROM access_requests "
                                            "WHERE machine_id = ? ORDER BY id DESC LIMIT 1"),
                             {r.machineId});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), r.company);
    QCOMPARE(q.value(1).toString(), r.contact);
    QCOMPARE(q.value(2).toString(), r.note);
    QVERIFY(q.value(3).isNull());
}

QTEST_GUILESS_MAIN(TestWebStore)
#include "tst_webstore.moc"
