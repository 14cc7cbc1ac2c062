#pragma once

// A real vexor-server for the client's GUI tests: a small demo database, the remote methods
// on an OS-picked loopback port and the web endpoints on another, both in this process.

#include "admin.h"
#include "appserver.h"
#include "seed/demodata.h"
#include "servermethods.h"
#include "storage/database.h"
#include "storage/webstore.h"
#include "web.h"

#include "server/webadresleri.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace vexor::test {

// A loopback port where nothing listens (it was free a moment ago): "the server is down".
inline quint16 closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class DemoServer
{
public:
    QTemporaryDir dir;
    std::shared_ptr<Database> db;
    DemoSummary demo;
    std::unique_ptr<AppServer> app;
    std::unique_ptr<WebServer> web;

    void start() { startWith<TServerMethods1>(); }

    // The same server with `Methods`, a TServerMethods1 that notes or steers some calls, in
    // front of the demo database; the test keeps the returned object to ask it.
    template <class Methods>
    std::shared_ptr<Methods> startWith()
    {
        db = Database::create(dir.filePath(QStringLiteral("demo.db")));
        DemoOptions options;
        options.stocks = 300;
        options.accounts = 12;
        demo = seedDemoData(*db, options);
        ServerSettings settings;
        settings.port = 0;
        settings.webPort = 0;
        settings.databasePath = db->path();
        auto methods = std::make_shared<Methods>(settings, db);
        app = std::make_unique<AppServer>(settings, methods);
        app->start();
        web = std::make_unique<WebServer>(settings, std::make_shared<DatabaseWebContent>(db));
        web->start();
        return methods;
    }

    void stop()
    {
        if (web)
            web->stop();
        if (app)
            app->stop();
        web.reset();
        app.reset();
    }

    QString webRoot() const { return QStringLiteral("http://127.0.0.1:%1/").arg(web->port()); }

    KurulumAyarlari ayarlar() const
    {
        KurulumAyarlari a;
        a.saticiSunucusu = QStringLiteral("127.0.0.1");
        a.port = app->port();
        a.saticiWebKoku = webRoot();
        a.guncellemeKoku = webRoot();
        return a;
    }

    struct User
    {
        QString name;
        QString password;
        int accountId = 0;  // a representative's: one of the accounts they look after
    };

    // The first user of the kind (and activity) asked for.
    std::optional<User> user(int kind, bool active = true) const
    {
        QSqlQuery q = db->exec(QStringLiteral("SELECT u.name, u.password, u.rep_id FROM users u "
                                              "WHERE u.kind = ? AND u.active = ? ORDER BY u.id LIMIT 1"),
                               {kind, active ? 1 : 0});
        if (!q.next())
            return std::nullopt;
        User u{q.value(0).toString(), q.value(1).toString(), 0};
        if (!q.value(2).isNull()) {
            const std::optional<QVariant> account = db->scalar(
                QStringLiteral("SELECT id FROM accounts WHERE rep_id = ? ORDER BY id LIMIT 1"), {q.value(2)});
            u.accountId = account ? account->toInt() : 0;
        }
        return u;
    }

    // This machine now belongs to `userName` (or to nobody).
    void enroll(const QString &userName) { enrollMachine(*db, QStringLiteral("local"), userName); }
    void forgetMachines() { db->change(QStringLiteral("DELETE FROM machines")); }
};

} // namespace vexor::test
