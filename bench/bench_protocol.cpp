// Round trips of the remote-call layer on loopback: a small call (p50, p99) and a 10,000-row
// table packet fetched through the proxy, against the real endpoint and dispatcher.
#include "appserver.h"
#include "servermethods.h"

#include "server/connection.h"
#include "proxim.h"
#include "server/tablecodec.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace vexor;
using Clock = std::chrono::steady_clock;

namespace {

// Answers the stock search with a fixed, realistic 10,000 x 40 table.
class BenchMethods : public TServerMethods1
{
public:
    explicit BenchMethods(const ServerSettings &s) : TServerMethods1(s, nullptr)
    {
        std::vector<FieldDef> columns;
        for (int c = 0; c < 40; ++c) {
            const FieldType type = c % 4 == 0 ? FieldType::Int32 : c % 4 == 1 ? FieldType::String
                                 : c % 4 == 2 ? FieldType::Double : FieldType::String;
            columns.push_back({QStringLiteral("KOLON%1").arg(c), type});
        }
        JsonWriter w;
        TableEncoder enc(w, columns);
        for (int r = 0; r < 10000; ++r) {
            enc.beginRow();
            for (int c = 0; c < 40; ++c) {
                switch (c % 4) {
                case 0: enc.addInt(r * 40 + c); break;
                case 1: enc.addString(QStringLiteral("FREN BALATASI ÖN SAĞ %1").arg(r)); break;
                case 2: enc.addDouble(r * 1.25 + c / 100.0); break;
                default: enc.addString(QStringLiteral("869-%1-TR").arg(r * 7 + c)); break;
                }
            }
            enc.endRow();
        }
        enc.finish();
        table.json = w.take();
    }

    EncodedTable StokAraGetir(const QString &, std::unique_ptr<TSonucBilgisi>) override { return table; }

    EncodedTable table;
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ServerSettings settings;
    settings.port = 0;
    auto methods = std::make_shared<BenchMethods>(settings);
    AppServer server(settings, methods);
    server.start();

    Connection con;
    con.HostName = QStringLiteral("127.0.0.1");
    con.Port = server.port();
    con.open();
    TServerMethods1Client proxy(&con);

    const QString text = QStringLiteral("Vexor B2B");
    for (int i = 0; i < 200; ++i)
        proxy.EchoString(text);
    std::vector<double> samples;
    const int calls = 5000;
    samples.reserve(calls);
    for (int i = 0; i < calls; ++i) {
        const auto t0 = Clock::now();
        proxy.EchoString(text);
        samples.push_back(ms(Clock::now() - t0));
    }
    std::sort(samples.begin(), samples.end());
    std::printf("EchoString round trip on loopback, %d calls: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", calls,
                samples[calls / 2], samples[calls * 99 / 100], samples.back());

    const double mb = methods->table.json.size() / 1e6;
    double best = 1e9;
    int rows = 0;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = Clock::now();
        MemTable t = proxy.StokAraGetir(QStringLiteral("BALATA"), nullptr);
        best = std::min(best, ms(Clock::now() - t0));
        rows = t.rowCount();
    }
    std::printf("StokAraGetir table packet through the proxy: %d rows x 40 columns, %.2f MB, best of 5 %.1f ms (%.0f MB/s end to end)\n",
                rows, mb, best, mb / (best / 1000.0));
    return 0;
}
