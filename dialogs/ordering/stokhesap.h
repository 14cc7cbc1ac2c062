#pragma once

#include <QString>

#include <array>

namespace vexor {

// What the stock dialog shows for one line: the discount amount (not rounded; the box shows
// it with two decimals), the VAT-inclusive unit price and the line total.
struct StokSatirHesabi
{
    double indirim = 0;
    double kdvDahilBirim = 0;
    double genelTutar = 0;
};

// Price x quantity, the four successive rates in percent (a rate <= 0 is skipped, one above
// 100 counts as 100), VAT in percent (18 is 18 %). A quantity of 0 has no unit net, so the
// VAT-inclusive price and the total are 0.
StokSatirHesabi stokSatirHesapla(double birimFiyat, double adet, double kdvOran,
                                 const std::array<double, 4> &oranlar);

// The quantity a caller sends after a confirmation: the quantity box's text read as a decimal
// number with the user's number format (QLocale()). Text that is no number (empty, a lone
// sign, letters) throws vexor::InvalidOperation, so the general error report shows it and no
// cart call is made.
double miktarCevir(const QString &text);

// The quantity the recalculation works with while the user types: the text as a number with
// the user's number format; text that is no number counts as the box's minimum, 1.
double hesapMiktari(const QString &text);

// Administrator variant: the discount caption and amount are shown exactly when the four
// rates add up to more than 1.
bool indirimGorunur(const std::array<double, 4> &oranlar);

} // namespace vexor
