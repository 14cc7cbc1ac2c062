// The cart tab on a 200-line cart: "Hepsini Seç" (one stored mark per line, each on a fresh
// connection, totals once at the end) and a reload of the whole cart, against a real
// vexor-server in this process, through the real main window (offscreen).
#include "../tests/demoserver.h"
#include "../tests/guidriver.h"

#include "app/sepetsekmesi.h"
#include "app/tform1.h"
#include "common/sysinfo.h"
#include "dialogs/login/ayarini.h"
#include "dialogs/login/girisform.h"
#include "proxim.h"
#include "server/connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vexor;
using namespace vexor::test;

namespace {

constexpr int kSatir = 200;
constexpr int kTur = 5;

double ortanca(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
std::vector<double> olc(int tur, F &&islem)
{
    std::vector<double> sureler;
    for (int i = 0; i < tur; ++i) {
        QElapsedTimer t;
        t.start();
        islem(i);
        sureler.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return sureler;
}

void yaz(const char *ad, const std::vector<double> &ms, int adet)
{
    // Padded by characters, not bytes: the captions are Turkish.
    const QByteArray baslik = QString::fromUtf8(ad).leftJustified(34).toUtf8();
    std::printf("%s median %9.2f ms   min %9.2f ms   per line %7.3f ms\n", baslik.constData(), ortanca(ms),
                *std::min_element(ms.begin(), ms.end()), ortanca(ms) / adet);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    setMessagePresenter(std::make_shared<RecordingPresenter>());

    DemoServer server;
    server.start();
    setClientVersion(*server.db, 1);
    const std::optional<DemoServer::User> bayi = server.user(3);
    if (!bayi) {
        std::fprintf(stderr, "bench_sepet: the demo data has no dealer\n");
        return 1;
    }
    server.enroll(bayi->name);
    QFile::remove(ayarDosyasiYolu());

    TForm1 form(server.ayarlar());
    auto surucu = whenShown<Tgirisform>([&](Tgirisform *g) {
        g->adi->setText(bayi->name);
        g->sifre->setText(bayi->password);
        g->benihatirla->setChecked(false);
        g->Button1->click();
    });
    if (!form.FormCreate()) {
        std::fprintf(stderr, "bench_sepet: log-in failed\n");
        return 1;
    }
    {
        QEventLoop bekle;
        QObject::connect(&form, &TForm1::acilisBitti, &bekle, &QEventLoop::quit);
        QTimer::singleShot(60000, &bekle, &QEventLoop::quit);
        bekle.exec();
    }
    form.resize(1350, 710);
    form.show();

    // A cart of 200 lines, added as the stock tab adds them.
    const int carino = form.sbilgi.CARINO();
    server.db->change(QStringLiteral("DELETE FROM cart_lines WHERE account_id = ?"), {carino});
    {
        const std::unique_ptr<Connection> c = form.bagc.clone();
        c->open();
        TServerMethods1Client proxy(c.get());
        QSqlQuery q = server.db->exec(QStringLiteral("SELECT id, barcode, name, vat_rate, list_price FROM stocks "
                                                     "WHERE active = 1 AND list_price > 0 ORDER BY id LIMIT ?"),
                                      {kSatir});
        int eklenen = 0;
        while (q.next()) {
            auto bilgi = std::make_unique<TSonucBilgisi>();
            bilgi->Kopyala(form.sbilgi);
            eklenen += proxy.SepetEkle2(std::move(bilgi), carino, q.value(0).toInt(), q.value(1).toString(),
                                        q.value(2).toString(), 1, q.value(3).toDouble(), q.value(4).toDouble(), 0,
                                        form.sbilgi.Sirano(), 0, 0, 0, 0);
        }
        c->close();
        if (eklenen != kSatir) {
            std::fprintf(stderr, "bench_sepet: only %d lines went into the cart\n", eklenen);
            return 1;
        }
    }

    TSepetSekmesi &sepet = *form.sepetSekmesi;
    form.sPageControl1->setCurrentWidget(form.ssepet);
    if (sepet.sepet.rowCount() != kSatir) {
        std::fprintf(stderr, "bench_sepet: the cart shows %d lines\n", sepet.sepet.rowCount());
        return 1;
    }

    std::printf("cart of %d lines, %d runs each\n", kSatir, kTur);
    std::vector<double> sec, kaldir;
    for (int i = 0; i < kTur; ++i) {
        kaldir.push_back(olc(1, [&](int) { sepet.Button5->click(); }).front());
        sec.push_back(olc(1, [&](int) { sepet.Button4->click(); }).front());
    }
    yaz("\"Hepsini Seç\"", sec, kSatir);
    yaz("\"Seçimleri Kaldır\"", kaldir, kSatir);
    const std::vector<double> yukle = olc(kTur, [&](int) { sepet.SepetYukle(); });
    yaz("cart reload (SepetVer2)", yukle, kSatir);
    std::printf("\"Hepsini Seç\" / reload: %.1f\n", ortanca(sec) / ortanca(yukle));

    server.db->change(QStringLiteral("DELETE FROM cart_lines WHERE account_id = ?"), {carino});
    server.stop();
    return 0;
}
