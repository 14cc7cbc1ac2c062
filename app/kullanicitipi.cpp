#include "kullanicitipi.h"

namespace vexor {

QList<KolonKurali> KullaniciTipiKurallari::kolonlari(KuralGridi grid) const
{
    QList<KolonKurali> result;
    for (const KolonKurali &k : kolonlar) {
        if (k.grid == grid)
            result << k;
    }
    return result;
}

KullaniciTipiKurallari kullaniciTipiKurallari(int musteriTipi)
{
    KullaniciTipiKurallari k;
    const auto show = [&](KuralGridi grid, const char *field, const QString &caption = {}) {
        k.kolonlar << KolonKurali{grid, QString::fromLatin1(field), true, true, caption};
    };
    const auto hide = [&](KuralGridi grid, const char *field) {
        k.kolonlar << KolonKurali{grid, QString::fromLatin1(field), false, false, QString()};
    };

    switch (musteriTipi) {
    case 1:
    case 2:
        k.baskaCariSec = true;
        k.raporlar = true;
        for (KuralGridi grid : {KuralGridi::Stok, KuralGridi::Kampanya, KuralGridi::Yeniler})
            show(grid, "KALAN");
        show(KuralGridi::Sepet, "KALAN", QStringLiteral("Kalan"));
        for (KuralGridi grid : {KuralGridi::Stok, KuralGridi::Yeniler, KuralGridi::Kampanya}) {
            show(grid, "ALINANSIPARIS");
            show(grid, "VERILENSIPARIS");
        }
        break;
    case 3:
        hide(KuralGridi::Sepet, "DURUM");
        break;
    case 4:
        k.kampanyaSekmesi = false;
        hide(KuralGridi::Stok, "KAMPFIYAT");
        hide(KuralGridi::Stok, "K");
        hide(KuralGridi::Yeniler, "K");
        hide(KuralGridi::Yeniler, "KAMPFIYAT");
        break;
    default:
        break;
    }
    return k;
}

} // namespace vexor
