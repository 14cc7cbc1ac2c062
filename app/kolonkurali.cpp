#include "kolonkurali.h"

namespace vexor {

GridColumns kolonKurallariniUygula(GridColumns kolonlar, const QList<KolonKurali> &kurallar)
{
    for (const KolonKurali &k : kurallar) {
        const int i = findColumn(kolonlar, k.alan);
        if (i < 0)
            continue;
        GridColumn &c = kolonlar[size_t(i)];
        c.shown = k.goster;
        c.offered = k.sunulur;
        if (!k.baslik.isEmpty())
            c.caption = k.baslik;
    }
    return kolonlar;
}

} // namespace vexor
