#include "admin.h"

#include "channel.h"
#include "mailrelay.h"
#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/schema.h"

#include "common/sysinfo.h"
#include "server/errors.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QStandardPaths>

#include <cstdio>
#include <stdexcept>

namespace vexor {

namespace {

void say(const QString &text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vexor-server: %s\n", qPrintable(message));
    return 2;
}

const QString kLocal = QStringLiteral("local");

QString kindText(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("dealer, kind 0");
    case 1: return QStringLiteral("sales representative, kind 1");
    case 2: return QStringLiteral("sales representative, kind 2");
    case 3: return QStringLiteral("dealer, kind 3");
    case 4: return QStringLiteral("dealer without campaigns, kind 4");
    default: return QStringLiteral("kind %1").arg(kind);
    }
}

void printSummary(const DemoSummary &s, qint64 ms)
{
    say(QStringLiteral("Demo data written in %1 s: %2 stocks, %3 accounts, %4 orders (%5 lines), %6 invoices, "
                       "%7 collections (%8 through the web payment desk), %9 open cart lines.")
            .arg(double(ms) / 1000, 0, 'f', 1)
            .arg(s.stocks).arg(s.accounts).arg(s.orders).arg(s.orderLines).arg(s.invoices).arg(s.collections)
            .arg(s.webPayments).arg(s.cartLines));
    say(QStringLiteral("\nUsers to log in with (each has a demo machine; enroll a real one with "
                       "'vexor-server enroll --db FILE --machine local --user NAME'):"));
    say(QStringLiteral("  %1 %2 %3 %4").arg(QStringLiteral("USER"), -10).arg(QStringLiteral("PASSWORD"), -9)
            .arg(QStringLiteral("DEMO MACHINE"), -16).arg(QStringLiteral("WHO")));
    for (const DemoUser &u : s.users)
        say(QStringLiteral("  %1 %2 %3 %4").arg(u.name, -10).arg(u.password, -9).arg(u.machineId, -16).arg(u.role));
}

QString machineIdFor(const QString &machine)
{
    if (machine == kLocal) {
        const QString id = BilgisayarIdVer();
        if (id.isEmpty())
            throw std::runtime_error("this machine has no identity (no disk serial number and no network adapter address)");
        return id;
    }
    const QString id = normalizeMachineId(machine);
    if (id.isEmpty())
        throw std::runtime_error("--machine needs 'local' or a machine identity");
    return id;
}

int seedCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates a new database filled with demo data."));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Database file to create."), QStringLiteral("file"));
    const QCommandLineOption stocks(QStringLiteral("stocks"), QStringLiteral("Number of stocks (default 50000)."), QStringLiteral("n"));
    const QCommandLineOption accounts(QStringLiteral("accounts"), QStringLiteral("Number of accounts (default 220)."), QStringLiteral("n"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the generator (default 1)."), QStringLiteral("s"));
    const QCommandLineOption force(QStringLiteral("force"), QStringLiteral("Replace an existing file."));
    parser.addOptions({db, stocks, accounts, seed, force});
    parser.addHelpOption();
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        return 0;
    }
    if (!parser.isSet(db) || parser.positionalArguments().size() > 1)
        return fail(QStringLiteral("seed needs --db FILE and takes no other arguments"));
    DemoOptions options;
    bool ok = true;
    if (parser.isSet(stocks)) {
        options.stocks = parser.value(stocks).toInt(&ok);
        if (!ok || options.stocks < 1 || options.stocks > 5000000)
            return fail(QStringLiteral("--stocks takes a number from 1 to 5000000"));
    }
    if (parser.isSet(accounts)) {
        options.accounts = parser.value(accounts).toInt(&ok);
        if (!ok || options.accounts < 4 || options.accounts > 100000)
            return fail(QStringLiteral("--accounts takes a number from 4 to 100000"));
    }
    if (parser.isSet(seed)) {
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok)
            return fail(QStringLiteral("--seed takes a whole number"));
    }
    const QString path = parser.value(db);
    if (QFileInfo::exists(path) && !parser.isSet(force))
        return fail(QStringLiteral("%1 exists already; add --force to replace it").arg(path));
    QElapsedTimer timer;
    timer.start();
    auto database = Database::create(path, parser.isSet(force));
    const DemoSummary summary = seedDemoData(*database, options);
    say(QStringLiteral("Created %1.").arg(database->path()));
    printSummary(summary, timer.elapsed());
    return 0;
}

int enrollCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Registers a machine for a user."));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Database file."), QStringLiteral("file"));
    const QCommandLineOption machine(QStringLiteral("machine"), QStringLiteral("'local' (this machine) or a machine identity."),
                                     QStringLiteral("id"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("Log-in name of the user."), QStringLiteral("name"));
    parser.addOptions({db, machine, user});
    parser.addHelpOption();
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        return 0;
    }
    if (!parser.isSet(db) || !parser.isSet(machine) || !parser.isSet(user) || parser.positionalArguments().size() > 1)
        return fail(QStringLiteral("enroll needs --db FILE --machine local|ID --user NAME"));
    if (!QFileInfo::exists(parser.value(db)))
        return fail(QStringLiteral("%1 does not exist").arg(parser.value(db)));
    auto database = Database::open(parser.value(db));
    const QString id = machineIdFor(parser.value(machine));
    const int kind = enrollMachine(*database, id, parser.value(user));
    say(QStringLiteral("Machine %1 logs in as %2 (%3).").arg(id, parser.value(user).trimmed().toUpper(), kindText(kind)));
    return 0;
}

// Clients reload the news line and the banners when the server broadcasts. The server runs in
// another process, so it is asked through its loopback admin endpoint; a server that is not
// running is no failure, as its clients read the new state when they start.
void notifyRunningServer(const QString &configPath, int port)
{
    ServerSettings settings;
    try {
        settings = ServerSettings::fromFile(configPath.isEmpty()
                                                ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vexor-server.ini"))
                                                : configPath);
    } catch (const std::exception &e) {
        say(QStringLiteral("Clients were not told: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    QString host = settings.host;
    if (host == QLatin1String("0.0.0.0"))
        host = QStringLiteral("127.0.0.1");
    else if (host == QLatin1String("::"))
        host = QStringLiteral("::1");
    if (port == 0)
        port = settings.port;
    try {
        const auto sent = requestBroadcast(host, port, QJsonObject{{QStringLiteral("yenile"), true}});
        say(QStringLiteral("Clients told to refresh (notification %1 to %2 callbacks).").arg(sent.id).arg(sent.deliveries));
    } catch (const VexorError &e) {
        say(QStringLiteral("No running server at %1:%2 was told (%3); clients see the change when they start.")
                .arg(host).arg(port).arg(e.message()));
    }
}

int setCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sets the news text, the client version or a banner."));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Database file."), QStringLiteral("file"));
    const QCommandLineOption news(QStringLiteral("news"), QStringLiteral("The scrolling news text (simple HTML)."), QStringLiteral("text"));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("The client version users must run."), QStringLiteral("n"));
    const QCommandLineOption banner(QStringLiteral("banner"), QStringLiteral("Banner slot: 1 header GIF, 2 strip GIF, 3 bottom BMP; "
                                                                             "the picture file follows."),
                                    QStringLiteral("slot"));
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("Settings of the running server to notify "
                                                                             "(default: vexor-server.ini beside the program)."),
                                    QStringLiteral("file"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port of the running server to notify (default: its settings)."),
                                  QStringLiteral("port"));
    parser.addOptions({db, news, version, banner, config, port});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The banner picture (with --banner)."));
    parser.addHelpOption();
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        return 0;
    }
    // positionalArguments() starts after the command word.
    const QStringList files = parser.positionalArguments().mid(1);
    if (!parser.isSet(db))
        return fail(QStringLiteral("set needs --db FILE"));
    if (!parser.isSet(news) && !parser.isSet(version) && !parser.isSet(banner))
        return fail(QStringLiteral("set needs --news TEXT, --version N or --banner 1|2|3 FILE"));
    if (parser.isSet(banner) != !files.isEmpty() || files.size() > 1)
        return fail(QStringLiteral("--banner takes a slot and one picture file: --banner 1|2|3 FILE"));
    int versionNumber = 0;
    if (parser.isSet(version)) {
        bool ok = false;
        versionNumber = parser.value(version).toInt(&ok);
        if (!ok || versionNumber < 1)
            return fail(QStringLiteral("--version takes a whole number from 1"));
    }
    int serverPort = 0;
    if (parser.isSet(port)) {
        bool ok = false;
        serverPort = parser.value(port).toInt(&ok);
        if (!ok || serverPort < 1 || serverPort > 65535)
            return fail(QStringLiteral("--port takes a number from 1 to 65535"));
    }
    int slot = 0;
    QByteArray picture;
    if (parser.isSet(banner)) {
        bool ok = false;
        slot = parser.value(banner).toInt(&ok);
        if (!ok || slot < 1 || slot > 3)
            return fail(QStringLiteral("--banner takes slot 1, 2 or 3"));
        QFile file(files.front());
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
        picture = file.readAll();
    }
    if (!QFileInfo::exists(parser.value(db)))
        return fail(QStringLiteral("%1 does not exist").arg(parser.value(db)));
    auto database = Database::open(parser.value(db));
    Transaction tx(*database);
    if (parser.isSet(news))
        setNews(*database, parser.value(news));
    if (parser.isSet(version))
        setClientVersion(*database, versionNumber);
    if (slot)
        setBanner(*database, slot, picture, QFileInfo(files.front()).fileName());
    tx.commit();
    if (parser.isSet(news))
        say(QStringLiteral("News text set."));
    if (parser.isSet(version))
        say(QStringLiteral("Client version set to %1.").arg(versionNumber));
    if (slot)
        say(QStringLiteral("Banner %1 set (%2 bytes).").arg(slot).arg(picture.size()));
    if (parser.isSet(news) || slot)
        notifyRunningServer(parser.value(config), serverPort);
    return 0;
}

QString relayText(const MailSettings &m)
{
    if (!m.enabled())
        return QStringLiteral("off ([mail] relay= is empty): mails stay in the outbox");
    QString tls;
    if (m.relay.startsWith(QLatin1String("smtps:"), Qt::CaseInsensitive))
        tls = QStringLiteral("TLS from the start");
    else if (m.startTls == MailSettings::StartTls::Required)
        tls = QStringLiteral("STARTTLS required");
    else if (m.startTls == MailSettings::StartTls::Optional)
        tls = QStringLiteral("STARTTLS when offered");
    else
        tls = QStringLiteral("no TLS");
    return QStringLiteral("%1 from %2, %3%4, every %5 s, %6 mails at a time, %7 tries")
        .arg(m.relay, m.from, tls, m.user.isEmpty() ? QString() : QStringLiteral(", log-in as ") + m.user)
        .arg(m.intervalSeconds).arg(m.batch).arg(m.maxAttempts);
}

int mailCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows the mail outbox; with --send-now relays one batch and exits."));
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("Settings file (default: vexor-server.ini beside the program)."),
                                    QStringLiteral("file"));
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("Database file (default: the settings' one)."), QStringLiteral("file"));
    const QCommandLineOption sendNow(QStringLiteral("send-now"), QStringLiteral("Relay one batch now, mails waiting for a later "
                                                                                "try included."));
    parser.addOptions({config, db, sendNow});
    parser.addHelpOption();
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        say(parser.helpText());
        return 0;
    }
    if (parser.positionalArguments().size() > 1)
        return fail(QStringLiteral("mail takes only --config FILE, --db FILE and --send-now"));
    const ServerSettings settings = ServerSettings::fromFile(
        parser.isSet(config) ? parser.value(config)
                             : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vexor-server.ini")));
    QString path = parser.isSet(db) ? parser.value(db) : settings.databasePath;
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/vexor.db");
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("%1 does not exist").arg(path));
    if (parser.isSet(sendNow) && !settings.mail.enabled())
        return fail(QStringLiteral("--send-now needs a relay: set relay= and from= in the [mail] section of the settings"));
    auto database = Database::open(path);
    say(QStringLiteral("Relay: %1").arg(relayText(settings.mail)));
    if (parser.isSet(sendNow)) {
        MailRelay relay(database, settings.mail);
        const RelayPass p = relay.relayOnce(QDateTime::currentDateTime(), true);
        say(QStringLiteral("Relayed now: %1 sent, %2 to try again, %3 given up.").arg(p.sent).arg(p.deferred).arg(p.givenUp));
    }
    const OutboxCounts c = outboxCounts(*database);
    say(QStringLiteral("Outbox of %1: %2 waiting (%3 after a failed try), %4 sent, %5 given up.")
            .arg(database->path()).arg(c.waiting).arg(c.retrying).arg(c.sent).arg(c.failed));
    const std::vector<OutboxProblem> problems = outboxProblems(*database, 10);
    if (!problems.empty())
        say(QStringLiteral("Latest failed tries:"));
    for (const OutboxProblem &p : problems) {
        say(QStringLiteral("  #%1 to %2, %3 tries, %4: %5")
                .arg(p.id).arg(p.recipient).arg(p.attempts)
                .arg(p.givenUp ? QStringLiteral("given up") : QStringLiteral("next try %1").arg(p.nextAttemptAt), p.lastError));
    }
    return 0;
}

} // namespace

bool isAdminCommand(const QString &command)
{
    return command == QLatin1String("seed") || command == QLatin1String("enroll") || command == QLatin1String("set")
        || command == QLatin1String("mail");
}

int runAdminCommand(const QStringList &arguments)
{
    const QString command = arguments.value(1);
    try {
        if (command == QLatin1String("seed"))
            return seedCommand(arguments);
        if (command == QLatin1String("enroll"))
            return enrollCommand(arguments);
        if (command == QLatin1String("set"))
            return setCommand(arguments);
        if (command == QLatin1String("mail"))
            return mailCommand(arguments);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    return fail(QStringLiteral("unknown command '%1'").arg(command));
}

std::shared_ptr<Database> openServerDatabase(const ServerSettings &settings)
{
    QString path = settings.databasePath;
    if (path.isEmpty())
        path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/vexor.db");
    if (QFileInfo::exists(path))
        return Database::open(path);

    say(QStringLiteral("vexor-server: no database at %1; creating a demo database.").arg(path));
    QElapsedTimer timer;
    timer.start();
    auto database = Database::create(path);
    const DemoSummary summary = seedDemoData(*database, DemoOptions());
    printSummary(summary, timer.elapsed());
    const QString local = BilgisayarIdVer();
    if (!local.isEmpty()) {
        enrollMachine(*database, local, QStringLiteral("BAYI"));
        say(QStringLiteral("This machine (%1) logs in as BAYI.").arg(local));
    }
    return database;
}

int enrollMachine(Database &db, const QString &machine, const QString &userName)
{
    const QString id = machineIdFor(machine);
    const QString name = userName.trimmed().toUpper();
    QSqlQuery user = db.exec(QStringLiteral("SELECT id, kind FROM users WHERE name = ?"), {name});
    if (!user.next())
        throw std::runtime_error(QStringLiteral("there is no user %1").arg(name).toStdString());
    const int userId = user.value(0).toInt();
    const int kind = user.value(1).toInt();
    db.change(QStringLiteral("INSERT INTO machines (machine_id, user_id, enrolled_at) VALUES (?, ?, ?) "
                             "ON CONFLICT (machine_id) DO UPDATE SET user_id = excluded.user_id, enrolled_at = excluded.enrolled_at, "
                             "last_login_at = NULL"),
              {id, userId, isoDateTime(QDateTime::currentDateTime())});
    return kind;
}

void setNews(Database &db, const QString &text)
{
    writeSetting(db, kSettingNews, text);
}

void setClientVersion(Database &db, int version)
{
    if (version < 1)
        throw std::runtime_error("the client version is a whole number from 1");
    writeSetting(db, kSettingClientVersion, QString::number(version));
}

void setBanner(Database &db, int slot, const QByteArray &content, const QString &fileName)
{
    if (slot < 1 || slot > 3)
        throw std::runtime_error("banner slots are 1, 2 and 3");
    // The client shows slots 1 and 2 with its GIF animator and slot 3 as a bitmap; a picture of
    // another kind would leave the place empty on every workstation.
    const bool gif = content.startsWith("GIF87a") || content.startsWith("GIF89a");
    const bool bmp = content.startsWith("BM") && content.size() >= 26;
    if (slot < 3 && !gif)
        throw std::runtime_error(QStringLiteral("banner %1 must be a GIF picture").arg(slot).toStdString());
    if (slot == 3 && !bmp)
        throw std::runtime_error("banner 3 must be a BMP picture");
    db.change(QStringLiteral("INSERT INTO banners (slot, content, file_name, updated_at) VALUES (?, ?, ?, ?) "
                             "ON CONFLICT (slot) DO UPDATE SET content = excluded.content, file_name = excluded.file_name, "
                             "updated_at = excluded.updated_at"),
              {slot, content, fileName, isoDateTime(QDateTime::currentDateTime())});
}

} // namespace vexor
