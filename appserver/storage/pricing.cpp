#include "pricing.h"

#include "database.h"

#include "common/formats.h"
#include "common/satirhesabi.h"

#include <QLocale>

#include <cmath>

namespace vexor {

namespace {

double round2(double value)
{
    return roundHalfAwayFromZero(value, 2);
}

double effectiveRate(double rate)
{
    return gecerliIndirimOrani(rate);
}

QString rateText(double rate)
{
    QString text = QLocale::c().toString(round2(rate), 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

} // namespace

bool Discounts::any() const
{
    for (double r : rates) {
        if (effectiveRate(r) > 0)
            return true;
    }
    return false;
}

double applyDiscounts(double amount, const Discounts &discounts)
{
    return ardisikIndirimUygula(amount, discounts.rates);
}

double combinedRate(const Discounts &discounts)
{
    return round2(100 - applyDiscounts(100, discounts));
}

QString discountText(const Discounts &discounts, bool campaign)
{
    if (campaign)
        return QStringLiteral("NET");
    QStringList parts;
    for (double r : discounts.rates) {
        const double rate = effectiveRate(r);
        if (rate > 0)
            parts << rateText(rate);
    }
    return parts.isEmpty() ? QStringLiteral("0") : parts.join(QLatin1Char('+'));
}

LineAmounts lineAmounts(double quantity, double unitPrice, const Discounts &discounts, double vatRate)
{
    LineAmounts a;
    a.amount = round2(quantity * unitPrice);
    a.net = round2(applyDiscounts(a.amount, discounts));
    a.discount = round2(a.amount - a.net);
    a.vat = round2(a.net * vatRate / 100);
    a.total = round2(a.net + a.vat);
    a.netUnitPrice = quantity != 0 ? round2(a.net / quantity) : 0;
    return a;
}

LineAmounts dialogLineAmounts(double quantity, double unitPrice, const Discounts &discounts, double vatRate)
{
    const SatirTutarlari s = satirTutarlariHesapla(unitPrice, quantity, vatRate, discounts.rates);
    LineAmounts a;
    a.amount = round2(s.brut);
    a.net = s.satirNet;
    a.discount = round2(a.amount - a.net);
    a.netUnitPrice = s.birimNet;
    a.total = s.genelTutar;
    a.vat = round2(a.total - a.net);
    return a;
}

StockPrice stockPrice(double listPrice, double campaignPrice, bool onCampaign, double vatRate,
                      const Discounts &accountDiscounts)
{
    StockPrice p;
    p.listPrice = round2(listPrice);
    p.campaign = onCampaign && campaignPrice > 0;
    if (p.campaign) {
        p.campaignPrice = round2(campaignPrice);
        p.price = p.campaignPrice;
    } else {
        p.price = p.listPrice;
        for (size_t i = 0; i < p.discounts.rates.size(); ++i)
            p.discounts.rates[i] = effectiveRate(accountDiscounts.rates[i]);
    }
    p.combinedRate = combinedRate(p.discounts);
    p.discountText = discountText(p.discounts, p.campaign);
    p.netPrice = round2(applyDiscounts(p.price, p.discounts));
    p.vatIncluded = round2(p.netPrice * (1 + vatRate / 100));
    return p;
}

const Discounts &AccountPricing::forBrand(int brandId) const
{
    const auto it = byBrand.find(brandId);
    return it != byBrand.end() ? it->second : general;
}

AccountPricing loadAccountPricing(Database &db, int accountId)
{
    AccountPricing pricing;
    if (accountId <= 0)
        return pricing;
    const auto campaigns = db.scalar(QStringLiteral("SELECT campaigns FROM accounts WHERE id = ?"), {accountId});
    if (!campaigns)
        return pricing;
    pricing.accountId = accountId;
    pricing.campaigns = campaigns->toInt() != 0;
    QSqlQuery q = db.exec(QStringLiteral("SELECT brand_id, ind1, ind2, ind3, ind4 FROM account_discounts WHERE account_id = ?"),
                          {accountId});
    while (q.next()) {
        Discounts d;
        for (int i = 0; i < 4; ++i)
            d.rates[size_t(i)] = q.value(i + 1).toDouble();
        if (q.value(0).isNull())
            pricing.general = d;
        else
            pricing.byBrand[q.value(0).toInt()] = d;
    }
    return pricing;
}

} // namespace vexor
