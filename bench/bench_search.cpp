// Stock search on demo catalogues of 50,000 and 500,000 stocks: how long seeding takes, and
// the latency (p50, p99) of the search the client makes for one-word, code-prefix and OEM
// texts, both the search alone (findStocks) and the whole call (StokAraGetir: search, the
// account's prices, the table). Stock counts can be given as arguments instead.
#include "servermethods.h"

#include "seed/demodata.h"
#include "storage/database.h"
#include "storage/search.h"

#include "common/turkish.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

using namespace vexor;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Figures
{
    double p50 = 0, p99 = 0, mean = 0;
};

Figures figures(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    Figures f;
    f.p50 = times[times.size() / 2];
    f.p99 = times[std::min(times.size() - 1, size_t(double(times.size()) * 0.99))];
    for (double t : times)
        f.mean += t;
    f.mean /= double(times.size());
    return f;
}

// What users type: the start of a word of a stock's name (lower case, with its Turkish
// letters), most of a stock code, or a whole OEM number as written.
std::vector<QString> queries(Database &db, const QString &kind, int stocks, int count, std::mt19937 &rng)
{
    std::vector<QString> texts;
    std::uniform_int_distribution<int> pick(1, stocks);
    while (int(texts.size()) < count) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT name, code, oem_no FROM stocks WHERE id = ?"), {pick(rng)});
        if (!q.next())
            continue;
        if (kind == QLatin1String("one word")) {
            const QStringList words = q.value(0).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QString word = words[std::uniform_int_distribution<int>(0, int(words.size()) - 1)(rng)];
            if (word.size() < 4 || !word.front().isLetter())
                continue;
            texts.push_back(word.left(std::min<int>(int(word.size()), 4 + int(rng() % 3))).toLower());
        } else if (kind == QLatin1String("code prefix")) {
            const QString code = q.value(1).toString();
            texts.push_back(code.left(code.size() - 2));
        } else {
            const QString oem = q.value(2).toString();
            if (oem.isEmpty())
                continue;
            texts.push_back(oem);
        }
    }
    return texts;
}

void run(int stocks)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    DemoOptions options;
    options.stocks = stocks;
    const auto seedStart = Clock::now();
    auto db = Database::create(path);
    const DemoSummary summary = seedDemoData(*db, options);
    const double seedMs = ms(Clock::now() - seedStart);
    std::printf("\n%d stocks: seeding %.1f s (%d accounts, %d orders, %d invoices; file %.0f MB)\n", stocks, seedMs / 1000,
                summary.accounts, summary.orders, summary.invoices,
                double(QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size()) / 1e6);

    ServerSettings settings;
    TServerMethods1 methods(settings, db);
    std::unique_ptr<TSonucBilgisi> session = methods.BuyukGetir(QStringLiteral("DEMO-BAYI"));
    std::mt19937 rng(42);
    std::printf("  %-12s %8s %8s %8s | %8s %8s %8s | %6s\n", "query", "find p50", "p99", "mean", "call p50", "p99", "mean",
                "rows");
    for (const QString &kind : {QStringLiteral("one word"), QStringLiteral("code prefix"), QStringLiteral("OEM")}) {
        const std::vector<QString> texts = queries(*db, kind, stocks, 300, rng);
        for (int i = 0; i < 20; ++i)
            findStocks(*db, texts[size_t(i)]);
        std::vector<double> find, call;
        double rows = 0;
        for (const QString &text : texts) {
            auto t0 = Clock::now();
            rows += double(findStocks(*db, text).size());
            find.push_back(ms(Clock::now() - t0));
            auto copy = std::make_unique<TSonucBilgisi>();
            copy->Kopyala(*session);
            t0 = Clock::now();
            const EncodedTable table = methods.StokAraGetir(text, std::move(copy));
            call.push_back(ms(Clock::now() - t0));
        }
        const Figures f = figures(find);
        const Figures c = figures(call);
        std::printf("  %-12s %6.2fms %6.2fms %6.2fms | %6.2fms %6.2fms %6.2fms | %6.0f\n", qPrintable(kind), f.p50, f.p99, f.mean,
                    c.p50, c.p99, c.mean, rows / double(texts.size()));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1, QByteArray(argv[i]).toInt()));
    if (sizes.empty())
        sizes = {50000, 500000};
    std::printf("Stock search (cap %d rows); ms per query over 300 texts of each kind\n", kSearchCap);
    for (int stocks : sizes)
        run(stocks);
    return 0;
}
