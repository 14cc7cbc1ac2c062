// Time from process start to the logged-in main window with its header filled, and the
// client's resident memory at that moment.
//
// The benchmark hosts a real vexor-server (a demo database, the remote methods and the web
// endpoints) and starts itself again as the client, in a process of its own, so that the
// figures are the client's alone: from exec() of that process (the kernel's start time of
// the process) until the header labels show the logged-in user. The credentials are
// remembered in "ayar.ini"; the benchmark presses "Giriş" as soon as the log-in window is up.
#include "admin.h"
#include "appserver.h"
#include "seed/demodata.h"
#include "servermethods.h"
#include "storage/database.h"
#include "storage/webstore.h"
#include "web.h"

#include "app/tform1.h"
#include "dialogs/login/ayarini.h"
#include "dialogs/login/girisform.h"
#include "platform/application.h"
#include "platform/vexorstyle.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

using namespace vexor;

namespace {

constexpr int kRuns = 5;

// Milliseconds since this process was started by the kernel.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Field 22 (starttime, in clock ticks since boot) follows the command name in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// The client: the program's own start, with the log-in pressed for the user.
int runClient(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    VexorApplication app(argc, argv);
    applyVexorStyle(app);
    const QStringList args = app.arguments();
    KurulumAyarlari ayarlar;
    ayarlar.saticiSunucusu = QStringLiteral("127.0.0.1");
    ayarlar.port = args.value(2).toInt();
    ayarlar.saticiWebKoku = ayarlar.guncellemeKoku = QStringLiteral("http://127.0.0.1:%1/").arg(args.value(3));

    double loginShown = 0;
    QTimer press;
    press.setInterval(1);
    QObject::connect(&press, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *g = qobject_cast<Tgirisform *>(w); g && g->isVisible()) {
                press.stop();
                loginShown = msSinceProcessStart();
                g->Button1->click();
                return;
            }
        }
    });
    press.start();

    TForm1 form(ayarlar);
    if (!form.FormCreate()) {
        std::fprintf(stderr, "bench_startup: the log-in did not succeed\n");
        return 1;
    }
    const double loggedIn = msSinceProcessStart();
    form.showMaximized();
    // The header is filled by the first step of the start-up sequence.
    QTimer header;
    header.setInterval(1);
    double filled = 0;
    QObject::connect(&header, &QTimer::timeout, [&] {
        if (!form.kullanicilbl->text().isEmpty() && form.isVisible()) {
            header.stop();
            filled = msSinceProcessStart();
            QCoreApplication::exit(0);  // not quit(): that would close the window, which asks the exit question
        }
    });
    header.start();
    app.exec();
    std::printf("%.1f %.1f %.1f %.1f\n", loginShown, loggedIn, filled, residentMiB());
    std::fflush(stdout);
    std::_Exit(0);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--client") == 0)
        return runClient(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    auto db = Database::create(dir.filePath(QStringLiteral("demo.db")));
    DemoOptions options;
    options.stocks = 2000;
    options.accounts = 40;
    seedDemoData(*db, options);
    const std::optional<QVariant> dealer = db->scalar(QStringLiteral("SELECT name FROM users WHERE kind = 3 AND active = 1 ORDER BY id LIMIT 1"));
    const std::optional<QVariant> password = db->scalar(QStringLiteral("SELECT password FROM users WHERE name = ?"), {*dealer});
    enrollMachine(*db, QStringLiteral("local"), dealer->toString());

    ServerSettings settings;
    settings.port = 0;
    settings.webPort = 0;
    AppServer server(settings, std::make_shared<TServerMethods1>(settings, db));
    server.start();
    WebServer web(settings, std::make_shared<DatabaseWebContent>(db));
    web.start();

    // The client's own user folders, with the credentials remembered.
    const QString config = dir.filePath(QStringLiteral("config"));
    QDir().mkpath(config + QStringLiteral("/vexor"));
    ayarDosyasinaYaz(config + QStringLiteral("/vexor/ayar.ini"), KullaniciAyari{dealer->toString(), password->toString(), true});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    std::vector<double> shown, loggedIn, filled, rss;
    for (int run = 0; run < kRuns; ++run) {
        QProcess client;
        client.setProcessEnvironment(env);
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--client"), QString::number(server.port()), QString::number(web.port())});
        // The server in this process needs its event loop while the client runs.
        QEventLoop wait;
        QObject::connect(&client, &QProcess::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(120000, &wait, &QEventLoop::quit);
        wait.exec();
        if (client.state() != QProcess::NotRunning || client.exitCode() != 0) {
            std::fprintf(stderr, "bench_startup: client run %d failed\n", run + 1);
            return 1;
        }
        const QList<QByteArray> figures = client.readAllStandardOutput().trimmed().split(' ');
        shown.push_back(figures.value(0).toDouble());
        loggedIn.push_back(figures.value(1).toDouble());
        filled.push_back(figures.value(2).toDouble());
        rss.push_back(figures.value(3).toDouble());
        std::printf("run %d: log-in window %.0f ms, logged in %.0f ms, header filled %.0f ms, resident %.1f MiB\n",
                    run + 1, shown.back(), loggedIn.back(), filled.back(), rss.back());
    }
    std::printf("client start to logged-in main window with header (median of %d): %.0f ms\n", kRuns, median(filled));
    std::printf("  of which: to the log-in window %.0f ms, log-in (public address, BuyukGetir) %.0f ms\n",
                median(shown), median(loggedIn) - median(shown));
    std::printf("resident memory then (median): %.1f MiB\n", median(rss));
    web.stop();
    server.stop();
    return 0;
}
