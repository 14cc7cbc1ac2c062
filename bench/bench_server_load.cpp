// Load on vexor-server as the desktop clients make it: an in-process server on a seeded
// 50,000-stock database and 32 client threads, each with its own keep-alive connection and
// proxy, mixing stock searches, cart reloads and the notification counters for a bounded
// number of calls. Prints calls/s and p50/p99 per method. Loopback only.
//
//   bench_server_load [--stocks N] [--clients N] [--calls N]
#include "appserver.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"

#include "common/memtable.h"
#include "server/baglantiu.h"
#include "server/connection.h"
#include "server/tablecodec.h"
#include "proxim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace vexor;
using Clock = std::chrono::steady_clock;

namespace {

enum Method { Search, Cart, Counters, MethodCount };
const char *const kMethodNames[MethodCount] = {"StokAraGetir", "SepetVer2", "BalonGetir"};

// Half of what a user does is searching; reloading the cart and the counters share the rest.
Method pick(std::mt19937 &rng)
{
    const int roll = int(rng() % 10);
    return roll < 5 ? Search : roll < 8 ? Cart : Counters;
}

double percentile(std::vector<double> &values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

// Texts people type: the leading letters of stock codes and words of stock names.
std::vector<QString> searchTexts(Database &db)
{
    std::vector<QString> texts;
    QSqlQuery q = db.exec(QStringLiteral("SELECT code, name FROM stocks WHERE active = 1 AND id % 997 = 0 ORDER BY id LIMIT 60"));
    while (q.next()) {
        texts.push_back(q.value(0).toString().left(4));
        const QStringList words = q.value(1).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!words.isEmpty() && words.front().size() >= 3)
            texts.push_back(words.front());
    }
    return texts;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption stocksOption(QStringLiteral("stocks"), QStringLiteral("Stocks in the database."), QStringLiteral("n"),
                                          QStringLiteral("50000"));
    const QCommandLineOption clientsOption(QStringLiteral("clients"), QStringLiteral("Client threads."), QStringLiteral("n"),
                                           QStringLiteral("32"));
    const QCommandLineOption callsOption(QStringLiteral("calls"), QStringLiteral("Calls per client."), QStringLiteral("n"),
                                         QStringLiteral("100"));
    parser.addOptions({stocksOption, clientsOption, callsOption});
    parser.addHelpOption();
    parser.process(app);
    const int stockCount = std::max(100, parser.value(stocksOption).toInt());
    const int clientCount = std::clamp(parser.value(clientsOption).toInt(), 1, 256);
    const int callsEach = std::clamp(parser.value(callsOption).toInt(), 1, 100000);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    QElapsedTimer seedTimer;
    seedTimer.start();
    auto db = Database::create(dir.filePath(QStringLiteral("load.db")));
    DemoOptions options;
    options.stocks = stockCount;
    const DemoSummary summary = seedDemoData(*db, options);
    std::printf("seeded %d stocks, %d accounts, %d orders, %d cart lines in %.1f s\n", summary.stocks, summary.accounts,
                summary.orders, summary.cartLines, double(seedTimer.elapsed()) / 1000);

    ServerSettings settings;
    settings.port = 0;
    auto methods = std::make_shared<TServerMethods1>(settings, db);
    AppServer server(settings, methods);
    server.start();
    std::printf("server: %d I/O threads, %d workers; %d clients x %d calls\n", settings.ioThreads, settings.workerThreads,
                clientCount, callsEach);

    // One dealer per client, each with the session record the server gives its machine.
    std::vector<QString> machines;
    {
        QSqlQuery q = db->exec(QStringLiteral("SELECT m.machine_id FROM machines m JOIN users u ON u.id = m.user_id "
                                              "WHERE u.active = 1 AND u.kind NOT IN (1, 2) ORDER BY u.id LIMIT ?"),
                               {clientCount});
        while (q.next())
            machines.push_back(q.value(0).toString());
    }
    if (machines.empty()) {
        std::fprintf(stderr, "no dealer in the demo data\n");
        return 1;
    }
    const std::vector<QString> texts = searchTexts(*db);

    // The clients log in one after the other; the load below is what logged-in clients do.
    std::vector<std::unique_ptr<Connection>> connections;
    std::vector<TSonucBilgisi> sessions(static_cast<size_t>(clientCount));
    for (int c = 0; c < clientCount; ++c) {
        auto con = std::make_unique<Connection>();
        con->HostName = QStringLiteral("127.0.0.1");
        con->Port = server.port();
        try {
            con->open();
            TServerMethods1Client proxy(con.get());
            sessions[size_t(c)].Kopyala(*proxy.BuyukGetir(machines[size_t(c) % machines.size()]));
        } catch (const std::exception &e) {
            std::fprintf(stderr, "log-in of client %d: %s\n", c, e.what());
            return 1;
        }
        connections.push_back(std::move(con));
    }

    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::atomic<int> failures{0};
    std::vector<std::vector<double>> latencies(size_t(clientCount) * MethodCount);
    std::vector<qint64> rows(MethodCount, 0);
    std::mutex rowsLock;
    std::vector<std::thread> clients;
    for (int c = 0; c < clientCount; ++c) {
        clients.emplace_back([&, c] {
            std::mt19937 rng(quint32(1000 + c));
            Connection &con = *connections[size_t(c)];
            const TSonucBilgisi &session = sessions[size_t(c)];
            ++ready;
            while (!go)
                std::this_thread::yield();
            std::vector<qint64> myRows(MethodCount, 0);
            for (int i = 0; i < callsEach; ++i) {
                const Method m = pick(rng);
                auto copy = std::make_unique<TSonucBilgisi>();
                copy->Kopyala(session);
                const auto start = Clock::now();
                try {
                    TServerMethods1Client proxy(&con);
                    switch (m) {
                    case Search:
                        myRows[m] += proxy.StokAraGetir(texts[rng() % texts.size()], std::move(copy)).rowCount();
                        break;
                    case Cart:
                        myRows[m] += proxy.SepetVer2(session.CARINO()).rowCount();
                        break;
                    case Counters: {
                        TableReader *reader = proxy.BalonGetir(std::move(copy));
                        while (reader && reader->next())
                            ++myRows[m];
                        break;
                    }
                    case MethodCount: break;
                    }
                } catch (const std::exception &e) {
                    if (failures++ < 5)
                        std::fprintf(stderr, "client %d, %s: %s\n", c, kMethodNames[m], e.what());
                    continue;
                }
                latencies[size_t(c) * MethodCount + m].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
            std::lock_guard guard(rowsLock);
            for (int m = 0; m < MethodCount; ++m)
                rows[size_t(m)] += myRows[size_t(m)];
        });
    }
    while (ready < clientCount)
        std::this_thread::yield();
    const auto start = Clock::now();
    go = true;
    for (std::thread &t : clients)
        t.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    std::printf("\n%-14s %8s %10s %9s %9s %10s\n", "method", "calls", "calls/s", "p50 ms", "p99 ms", "rows/call");
    std::vector<double> all;
    for (int m = 0; m < MethodCount; ++m) {
        std::vector<double> values;
        for (int c = 0; c < clientCount; ++c) {
            const auto &v = latencies[size_t(c) * MethodCount + m];
            values.insert(values.end(), v.begin(), v.end());
        }
        all.insert(all.end(), values.begin(), values.end());
        const size_t calls = values.size();
        std::printf("%-14s %8zu %10.0f %9.2f %9.2f %10.1f\n", kMethodNames[m], calls, double(calls) / seconds,
                    percentile(values, 0.50), percentile(values, 0.99), calls ? double(rows[size_t(m)]) / double(calls) : 0.0);
    }
    const size_t calls = all.size();
    std::printf("%-14s %8zu %10.0f %9.2f %9.2f\n", "all", calls, double(calls) / seconds, percentile(all, 0.50),
                percentile(all, 0.99));
    std::printf("wall %.2f s, %d failed calls\n", seconds, failures.load());
    server.stop();
    return failures > 0 ? 1 : 0;
}
