#pragma once

#include "pricing.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace vexor {

class Database;

// How many rows one search (or one list of new or campaign stocks) answers with at most. A
// text that matches more stocks gets the first ones in the order below; the user narrows the
// text to see the rest.
inline constexpr int kSearchCap = 500;
// A search text is read up to this many words of at most this many letters each; the rest is
// ignored (a pasted page of text costs no more than a short one).
inline constexpr int kMaxSearchWords = 8;
inline constexpr int kMaxSearchWordLength = 40;

// Which part of a stock the text is looked for in.
enum class SearchScope {
    All = 0,   // codes and name words
    Codes = 1, // codes only: code, barcode, manufacturer code, OEM numbers
    Names = 2, // name words only: name, other name, brand, model, groups
};

// A search text taken apart. The text is folded as the client's search box folds it (so
// "balatası", "BALATASI" and "balatasi" are the same), then cut into words: runs of letters and
// digits; every other character separates words and is otherwise ignored, so quotes,
// operators, "%" and "_" have no meaning.
struct SearchTerms
{
    QStringList words;  // folded, at most kMaxSearchWords
    QString joined;     // the words run together, for a code typed with other separators
    QString match;      // the FTS5 expression; empty when nothing is left to look for
    QString exactCode;  // FTS5 expression for a whole code equal to `joined`; empty if none

    bool isEmpty() const { return match.isEmpty(); }
};
// Every word must occur as the start of a word of the stock (a one-letter word as a whole
// word), in any order; a text of several words also finds a code that equals the words run
// together at its start ("1K0 698" finds 1K0698151A).
SearchTerms parseSearchText(QStringView text, SearchScope scope = SearchScope::All);

// A code as the index holds it whole: folded, letters and digits only ("1k0-698 151a" ->
// "1K0698151A").
QString normalizeCode(QStringView code);

// The columns of a stock's search row: whole codes, the parts of codes, words.
struct StockIndexText
{
    QString whole;
    QString codes;
    QString words;
};
StockIndexText stockIndexText(const QStringList &codes, const QStringList &words);

// (Re)writes the search rows from the stocks table: one stock, or all of them. Run inside the
// caller's transaction when the stock changes in the same one, with no statement of the caller
// still reading (the rebuild changes an index, which SQLite refuses then). A stock's row number in the
// index (stocks.search_rank) follows the order of (sort_key, id): the rebuild numbers all stocks
// 1024 apart, indexStock puts a stock between its neighbours and renumbers everything when
// there is no room left.
void indexStock(Database &db, int stockId);
void rebuildSearchIndex(Database &db);

// Numbers of the active stocks that match, in a fixed order: stocks one of whose codes equals
// the text as a whole (letters and digits compared) first, then by folded name and then by number. At most
// `limit` (and never more than kSearchCap).
std::vector<int> findStocks(Database &db, QStringView text, SearchScope scope = SearchScope::All,
                            int limit = kSearchCap);

// Numbers of the new stocks (newest first) and of the stocks on campaign (by name), at most
// kSearchCap.
std::vector<int> newStockIds(Database &db);
std::vector<int> campaignStockIds(Database &db);

// One stock as the stock lists show it, with the prices of one account.
struct StockRow
{
    int id = 0;
    QString barcode;
    int barcodeNo = 0;
    QString name;
    QString otherName;
    QString code;
    QString makerCode;
    QString oemNo;
    QString oem[4];
    QString dpCode;
    QString pCode;
    QString specialCode;
    QString unit;
    int brandId = 0;
    QString brand;
    QString model;
    QString subGroup;
    QString mainGroup;
    QString department;
    QString colour;
    QString size;
    double vatRate = 0;
    double quantity = 0;     // KALAN
    double incoming = 0;     // VERILENSIPARIS
    double openOrders = 0;   // ALINANSIPARIS: undelivered quantity of all accounts' orders
    int status = 0;          // DURUM
    bool isNew = false;      // Y
    bool hasPicture = false; // RESIM
    StockPrice price;
};

// The rows of the given stocks in the given order; numbers without a stock are left out.
std::vector<StockRow> loadStockRows(Database &db, const std::vector<int> &ids, const AccountPricing &pricing);

} // namespace vexor
