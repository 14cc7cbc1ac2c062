#pragma once

#include <QString>

#include <array>
#include <unordered_map>

namespace vexor {

class Database;

// The four successive discount rates of an account, in percent (IND1..IND4,
// INDIRIMORANI1..INDIRIMORANI4).
struct Discounts
{
    std::array<double, 4> rates{};

    bool any() const;
    bool operator==(const Discounts &) const = default;
};

// Takes each rate off what the rates before it left: 100 with 10 and 5 gives 85.50. A rate of
// zero or less (or not a number) is skipped, one above 100 counts as 100. Not rounded.
double applyDiscounts(double amount, const Discounts &discounts);

// The single rate the successive rates amount to, in percent, two decimals (10 and 5: 14.50).
double combinedRate(const Discounts &discounts);

// INDIRIMYAZI: the rates that apply, joined by "+", in their shortest form with the decimal
// comma ("10+5", "12,5+5+2"); "0" when none applies. Campaign prices are net prices on which no
// account discount is given; their text is "NET".
QString discountText(const Discounts &discounts, bool campaign = false);

// The amounts of one cart, order or invoice line, each rounded to two decimals (halves away
// from zero), in the order they are derived:
//   amount   = quantity x unit price                      TUTAR
//   net      = amount after the successive discounts      NETTUTAR
//   discount = amount - net                               INDIRIMTUTAR
//   vat      = net x VAT rate / 100                       VERGITUTARI
//   total    = net + vat                                  KDVLITUTAR
//   netUnit  = net / quantity (0 for quantity 0)          NETBIRIMFIYAT
struct LineAmounts
{
    double amount = 0;
    double discount = 0;
    double net = 0;
    double vat = 0;
    double total = 0;
    double netUnitPrice = 0;
};
LineAmounts lineAmounts(double quantity, double unitPrice, const Discounts &discounts, double vatRate);

// The same figures as the stock dialog derives them while a quantity is typed, so that a cart
// line, its order line, the balances and the reports repeat the dialog to the cent:
//   amount = quantity x unit price; net = that after the successive discounts;
//   discount = amount - net; netUnit = net / quantity;
//   total = (netUnit with VAT, rounded) x quantity (the dialog's "Tutar"); vat = total - net.
LineAmounts dialogLineAmounts(double quantity, double unitPrice, const Discounts &discounts, double vatRate);

// What one stock costs one account, as the stock lists show it.
struct StockPrice
{
    double listPrice = 0;     // LISTEFIYAT1, ESKIFIYAT
    double campaignPrice = 0; // KAMPFIYAT: 0 when no campaign applies
    double price = 0;         // FIYAT: the unit price a cart line gets
    Discounts discounts;      // IND1..IND4
    double combinedRate = 0;  // INDIRIM
    QString discountText;     // INDIRIMYAZI
    double netPrice = 0;      // NETFIYAT: price after the discounts
    double vatIncluded = 0;   // KDVDAHIL: net price with VAT
    bool campaign = false;    // K
};

// A stock on campaign (when the account takes part in campaigns) costs its campaign price
// with no further discount; any other stock costs its list price less the account's
// discounts. Net and VAT-inclusive prices are rounded to two decimals.
StockPrice stockPrice(double listPrice, double campaignPrice, bool onCampaign, double vatRate,
                      const Discounts &accountDiscounts);

// The discount rules of one account: a row per brand where one exists, else the account's
// general row, else no discount. Account 0 (no account chosen yet) pays list prices.
struct AccountPricing
{
    int accountId = 0;
    bool campaigns = true; // the account takes part in campaigns
    Discounts general;
    std::unordered_map<int, Discounts> byBrand;

    const Discounts &forBrand(int brandId) const;
};

// Reads the account's rules. Unknown accounts get list prices and campaigns.
AccountPricing loadAccountPricing(Database &db, int accountId);

} // namespace vexor
