// What a broadcast costs the server: every client then runs its refresh sequence (news line,
// three banners, advertisement count, badge counters) at once. Prints the latency of each call
// alone (p50, p99) on a demo database, then the wall time of a burst of clients refreshing
// together, and the representative's account lists.
//
//   bench_refresh [stocks (default 20000)] [clients (default 64)]
#include "appserver.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"

#include "server/connection.h"
#include "server/streamrule.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

using namespace vexor;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

std::unique_ptr<TSonucBilgisi> session(const QString &machine)
{
    auto s = std::make_unique<TSonucBilgisi>();
    s->setBILGISAYARID(machine);
    return s;
}

// One client's refresh after a notification, each call on the client's one connection.
void refresh(Connection &con, const QString &machine)
{
    TServerMethods1Client proxy(&con);
    proxy.KayanYaziGetir();
    qint64 size = 0;
    readAnnouncedStream(proxy.BannerResimVer(size), size);
    readAnnouncedStream(proxy.BannerResimVer2(size), size);
    readAnnouncedStream(proxy.BannerResimVer3(size), size);
    proxy.AcilisReklamAdet();
    proxy.BalonGetir(session(machine));
}

void timeCall(const char *name, Connection &con, const std::function<void(TServerMethods1Client &)> &call, int rounds = 200)
{
    std::vector<double> times;
    times.reserve(size_t(rounds));
    for (int i = 0; i < rounds; ++i) {
        TServerMethods1Client proxy(&con);
        const auto start = Clock::now();
        call(proxy);
        times.push_back(ms(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-28s p50 %7.2f ms   p99 %7.2f ms\n", name, times[times.size() / 2], times[times.size() * 99 / 100]);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int stocks = argc > 1 ? std::max(100, std::atoi(argv[1])) : 20000;
    const int clients = argc > 2 ? std::max(1, std::atoi(argv[2])) : 64;

    QTemporaryDir dir;
    auto db = Database::create(dir.filePath(QStringLiteral("bench.db")));
    DemoOptions options;
    options.stocks = stocks;
    const auto seedStart = Clock::now();
    const DemoSummary summary = seedDemoData(*db, options);
    std::printf("demo database: %d stocks, %d accounts, %d orders (seeded in %.1f s)\n", summary.stocks, summary.accounts,
                summary.orders, ms(Clock::now() - seedStart) / 1000);

    ServerSettings settings;
    settings.port = 0;
    AppServer server(settings, std::make_shared<TServerMethods1>(settings, db));
    server.start();
    auto connect = [&] {
        auto c = std::make_unique<Connection>();
        c->HostName = QStringLiteral("127.0.0.1");
        c->Port = server.port();
        c->open();
        return c;
    };
    const QString dealer = QStringLiteral("DEMO-BAYI");
    const QString rep = QStringLiteral("DEMO-TEMSILCI1");

    auto con = connect();
    std::printf("\nsingle calls on one connection:\n");
    timeCall("KayanYaziGetir", *con, [](TServerMethods1Client &p) { p.KayanYaziGetir(); });
    timeCall("BannerResimVer (header GIF)", *con, [](TServerMethods1Client &p) {
        qint64 size = 0;
        readAnnouncedStream(p.BannerResimVer(size), size);
    });
    timeCall("AcilisReklamAdet", *con, [](TServerMethods1Client &p) { p.AcilisReklamAdet(); });
    timeCall("BalonGetir (dealer)", *con, [&](TServerMethods1Client &p) { p.BalonGetir(session(dealer)); });
    timeCall("AcilisEkranlarVer2", *con, [](TServerMethods1Client &p) { p.AcilisEkranlarVer2(); }, 50);
    timeCall("CariAra \"\" (representative)", *con, [&](TServerMethods1Client &p) {
        TableReader *t = p.CariAra(session(rep), QString());
        while (t->next()) {
        }
    });
    timeCall("CariSepetVer 2 (received)", *con, [&](TServerMethods1Client &p) { p.CariSepetVer(session(rep), 2); });
    timeCall("TusSonuclariVer", *con, [&](TServerMethods1Client &p) { p.TusSonuclariVer(session(rep)); });
    timeCall("a whole refresh sequence", *con, [&](TServerMethods1Client &) { refresh(*con, dealer); }, 50);

    // Every client refreshes at once, as after a broadcast; each has its own connection.
    std::vector<std::unique_ptr<Connection>> connections;
    for (int i = 0; i < clients; ++i)
        connections.push_back(connect());
    std::atomic<int> failures{0};
    const auto burstStart = Clock::now();
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back([&, i] {
            try {
                refresh(*connections[size_t(i)], dealer);
            } catch (const std::exception &) {
                ++failures;
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    std::printf("\nburst: %d clients refreshing together: %.1f ms wall time, %d failed\n", clients,
                ms(Clock::now() - burstStart), failures.load());
    connections.clear();
    server.stop();
    return failures.load() == 0 ? 0 : 1;
}
