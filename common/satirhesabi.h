#pragma once

#include <array>

namespace vexor {

// The rate as it is applied: zero, below zero and not-a-number do nothing; above 100 counts
// as 100 (more than the whole amount cannot be taken off).
double gecerliIndirimOrani(double oran);

// Takes each rate, in order, off what the rates before it left: 100 with 10 and 5 is 85.50.
// Not rounded.
double ardisikIndirimUygula(double tutar, const std::array<double, 4> &oranlar);

// One order line's figures as the stock dialog derives them while a quantity is typed; the
// server repeats them for cart, order and balance lines so both agree to the cent.
struct SatirTutarlari
{
    double brut = 0;           // unit price x quantity, not rounded
    double net = 0;            // brut after the successive discounts, not rounded
    double indirim = 0;        // brut - net, not rounded
    double satirNet = 0;       // net, two decimals
    double birimNet = 0;       // satirNet / quantity, two decimals; 0 for quantity 0
    double kdvDahilBirim = 0;  // birimNet with VAT, two decimals
    double genelTutar = 0;     // kdvDahilBirim x quantity, two decimals
};

// The total is built from the rounded VAT-inclusive unit price, not from the line net: price
// 10.00, quantity 3, rates 10 and 5, VAT 18 give unit net 8.55, VAT-inclusive 10.09 and a
// total of 30.27. Every rounding is Yuvarla (two decimals, halves away from zero).
SatirTutarlari satirTutarlariHesapla(double birimFiyat, double miktar, double kdvOran,
                                     const std::array<double, 4> &oranlar);

} // namespace vexor
