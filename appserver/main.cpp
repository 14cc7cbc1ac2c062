// vexor-server: the application server of the Vexor B2B client.
#include "admin.h"
#include "appserver.h"
#include "mailrelay.h"
#include "servermethods.h"
#include "settings.h"
#include "storage/webstore.h"
#include "web.h"
#include "storage/database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace vexor;

namespace {

// SIGINT and SIGTERM are taken by one thread with sigwait, so the handler may use Qt freely.
void quitOnSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        sigwait(&set, &sig);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    }).detach();
}

int fail(const QString &message)
{
    std::fprintf(stderr, "vexor-server: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    quitOnSignals(); // before any other thread exists, so all inherit the mask
    // PDF receipts and reports are laid out with fonts, and Qt gives fonts only to a
    // QGuiApplication. The server never has a display: the offscreen platform needs none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexor-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VEXOR_VERSION));
    if (app.arguments().value(1) == QLatin1String("broadcast"))
        return runBroadcastCommand(app.arguments());
    if (isAdminCommand(app.arguments().value(1)))
        return runAdminCommand(app.arguments());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Vexor B2B application server"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("serve (default)"));
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("Settings file (default: vexor-server.ini beside the program)."), QStringLiteral("file"));
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("Address to listen on (default 127.0.0.1)."), QStringLiteral("address"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port of the remote methods (default 9090; 0 = any free port)."), QStringLiteral("port"));
    const QCommandLineOption webPort(QStringLiteral("web-port"), QStringLiteral("Port of the web endpoints (default 9091)."), QStringLiteral("port"));
    const QCommandLineOption database(QStringLiteral("db"), QStringLiteral("Database file."), QStringLiteral("file"));
    parser.addOptions({config, host, port, webPort, database});
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0, QStringLiteral("serve"));
    if (command != QLatin1String("serve"))
        return fail(QStringLiteral("unknown command '%1' (try --help)").arg(command));

    ServerSettings settings;
    try {
        const QString configPath = parser.isSet(config)
            ? parser.value(config)
            : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vexor-server.ini"));
        settings = ServerSettings::fromFile(configPath);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    auto portValue = [&](const QCommandLineOption &option, std::uint16_t &target) {
        bool ok = false;
        const uint v = parser.value(option).toUInt(&ok);
        if (!ok || v > 65535)
            return false;
        target = std::uint16_t(v);
        return true;
    };
    if (parser.isSet(host))
        settings.host = parser.value(host);
    if (parser.isSet(port) && !portValue(port, settings.port))
        return fail(QStringLiteral("--port takes a number from 0 to 65535"));
    if (parser.isSet(webPort) && !portValue(webPort, settings.webPort))
        return fail(QStringLiteral("--web-port takes a number from 0 to 65535"));
    if (parser.isSet(database))
        settings.databasePath = parser.value(database);

    std::shared_ptr<Database> db;
    try {
        db = openServerDatabase(settings);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    AppServer server(settings, std::make_shared<TServerMethods1>(settings, db));
    WebServer web(settings, std::make_shared<DatabaseWebContent>(db));
    std::unique_ptr<MailRelay> relay;
    try {
        server.start();
        web.start();
        if (settings.mail.enabled()) {
            relay = std::make_unique<MailRelay>(db, settings.mail);
            relay->start();
        }
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    std::printf("vexor-server: listening on %s:%u, web pages on %s:%u\n", qPrintable(settings.host),
                unsigned(server.port()), qPrintable(settings.host), unsigned(web.port()));
    if (relay)
        std::printf("vexor-server: relaying mail through %s every %d s\n", qPrintable(settings.mail.relay),
                    settings.mail.intervalSeconds);
    std::fflush(stdout);
    const int rc = app.exec();
    if (relay)
        relay->stop(); // breaks off a transfer under way; that mail waits for the next start
    web.stop();
    server.stop();
    return rc;
}
