// Account follow-up on the demo data of 220 accounts: the statement and the balances of the
// busiest account, the two report tables over a year, and the PDF receipt and reports, each
// timed as the method itself runs (query, arithmetic, table encoding or PDF layout).
#include "reports.h"
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"

#include "common/memtable.h"
#include "server/baglantiu.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace vexor;
using Clock = std::chrono::steady_clock;

namespace {

// Median and slowest of `runs` calls, in milliseconds, and the size of one answer.
void measure(const char *what, int runs, const std::function<size_t()> &call)
{
    std::vector<double> times;
    size_t bytes = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        bytes = call();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %8.2f ms  max %8.2f ms  %9zu bytes\n", what, times[times.size() / 2], times.back(), bytes);
}

std::unique_ptr<TSonucBilgisi> session(const char *machine)
{
    auto s = std::make_unique<TSonucBilgisi>();
    s->setBILGISAYARID(QString::fromLatin1(machine));
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    auto db = Database::create(dir.filePath(QStringLiteral("bench.db")));
    DemoOptions options;
    options.stocks = 20000;
    options.accounts = 220;
    options.today = QDate(2026, 3, 16);
    const auto seedStart = Clock::now();
    const DemoSummary summary = seedDemoData(*db, options);
    std::printf("demo data: %d stocks, %d accounts, %d orders, %d invoices, %d collections in %.1f s\n", summary.stocks,
                summary.accounts, summary.orders, summary.invoices, summary.collections,
                std::chrono::duration<double>(Clock::now() - seedStart).count());

    const int busiest = db->scalar(QStringLiteral("SELECT account_id FROM account_movements GROUP BY account_id "
                                                  "ORDER BY COUNT(*) DESC LIMIT 1"))->toInt();
    const int mostOpen = db->scalar(QStringLiteral("SELECT o.account_id FROM order_lines l JOIN orders o ON o.id = l.order_id "
                                                   "WHERE l.delivered + l.cancelled < l.quantity GROUP BY o.account_id "
                                                   "ORDER BY COUNT(*) DESC LIMIT 1"))->toInt();
    const int movements = db->scalar(QStringLiteral("SELECT COUNT(*) FROM account_movements WHERE account_id = ?"), {busiest})->toInt();
    const int payment = db->scalar(QStringLiteral("SELECT MAX(id) FROM web_payments"))->toInt();
    const int manager = db->scalar(QStringLiteral("SELECT id FROM users WHERE kind = 2 LIMIT 1"))->toInt();
    std::printf("busiest account %d: %d statement rows\n", busiest, movements);

    ServerSettings settings;
    TServerMethods1 methods(settings, db);
    const double yearStart = dateToDayNumber(options.today.addDays(-365));
    const double today = dateToDayNumber(options.today);
    qint64 size = 0;

    measure("CariEkstreVer (busiest account)", 50, [&] { return methods.CariEkstreVer(busiest).json.size(); });
    measure("CariEkstreVer2 (busiest account, last quarter)", 50,
            [&] { return methods.CariEkstreVer2(busiest, today - 90, today).json.size(); });
    measure("BakiyelerVer2 (account with most open lines)", 50, [&] { return methods.BakiyelerVer2(mostOpen).json.size(); });
    measure("RaporAlinanSiparisler (manager, a year)", 10,
            [&] { return methods.RaporAlinanSiparisler(session("DEMO-MUDUR"), yearStart, today).json.size(); });
    measure("RaporEnCokSatilanStoklar (manager, a year)", 10,
            [&] { return methods.RaporEnCokSatilanStoklar(session("DEMO-MUDUR"), yearStart, today).json.size(); });
    measure("SAnalPosPdfVer (receipt)", 20, [&] { return size_t(methods.SAnalPosPdfVer(payment, size).size()); });
    measure("RaporGetir 6 (busiest account summary)", 10,
            [&] { return size_t(accountSummaryPdf(*db, busiest, options.today).size()); });
    measure("RaporGetir 6 (receivables of 220 accounts)", 5,
            [&] { return size_t(methods.RaporGetir(6, 6, manager, 0, QStringLiteral("."), today, today, size).size()); });
    measure("RaporGetir 7 (busiest account, a year by month)", 10, [&] {
        return size_t(accountSalesPdf(*db, busiest, options.today.addDays(-365), options.today).size());
    });
    return 0;
}
