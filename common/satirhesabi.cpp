#include "satirhesabi.h"

#include "formats.h"

#include <algorithm>

namespace vexor {

namespace {

// The number Yuvarla gives (both round the value's decimal digits half away from zero),
// without Yuvarla's round trip through text: the server derives thousands of lines per
// report with this.
double yuvarla(double value)
{
    return roundHalfAwayFromZero(value, 2);
}

} // namespace

double gecerliIndirimOrani(double oran)
{
    if (!(oran > 0))
        return 0;
    return std::min(oran, 100.0);
}

double ardisikIndirimUygula(double tutar, const std::array<double, 4> &oranlar)
{
    double net = tutar;
    for (double o : oranlar) {
        const double oran = gecerliIndirimOrani(o);
        if (oran > 0)
            net -= net * oran / 100;
    }
    return net;
}

SatirTutarlari satirTutarlariHesapla(double birimFiyat, double miktar, double kdvOran,
                                     const std::array<double, 4> &oranlar)
{
    SatirTutarlari s;
    const double kdvCarpani = kdvOran / 100 + 1;
    s.brut = birimFiyat * miktar;
    s.net = ardisikIndirimUygula(s.brut, oranlar);
    s.indirim = s.brut - s.net;
    s.satirNet = yuvarla(s.net);
    // A quantity of 0 has no unit price.
    s.birimNet = miktar != 0 ? yuvarla(s.satirNet / miktar) : 0;
    s.kdvDahilBirim = yuvarla(s.birimNet * kdvCarpani);
    s.genelTutar = yuvarla(s.kdvDahilBirim * miktar);
    return s;
}

} // namespace vexor
