#include "stokhesap.h"

#include "common/satirhesabi.h"
#include "server/errors.h"

#include <QLocale>

#include <cmath>

namespace vexor {

StokSatirHesabi stokSatirHesapla(double birimFiyat, double adet, double kdvOran,
                                 const std::array<double, 4> &oranlar)
{
    const SatirTutarlari s = satirTutarlariHesapla(birimFiyat, adet, kdvOran, oranlar);
    return StokSatirHesabi{s.indirim, s.kdvDahilBirim, s.genelTutar};
}

double miktarCevir(const QString &text)
{
    bool ok = false;
    const double miktar = QLocale().toDouble(text.trimmed(), &ok);
    // "inf" and "nan" read as numbers but are no quantity.
    if (!ok || !std::isfinite(miktar))
        throw InvalidOperation(QStringLiteral("'%1' geçerli bir miktar değil. Lütfen miktarı sayı olarak giriniz.")
                                   .arg(text));
    return miktar;
}

double hesapMiktari(const QString &text)
{
    bool ok = false;
    const double miktar = QLocale().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(miktar) ? miktar : 1;
}

bool indirimGorunur(const std::array<double, 4> &oranlar)
{
    return oranlar[0] + oranlar[1] + oranlar[2] + oranlar[3] > 1;
}

} // namespace vexor
