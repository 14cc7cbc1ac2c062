#include "search.h"

#include "database.h"

#include "common/turkish.h"

#include <QHash>

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace vexor {

namespace {

// Letters and digits of the folded text, cut into words.
QStringList foldedWords(QStringView text, int maxWords, int maxLength)
{
    const QString folded = foldTurkish(text);
    QStringList words;
    QString word;
    auto finish = [&] {
        if (!word.isEmpty())
            words << word.left(maxLength);
        word.clear();
    };
    for (const QChar c : folded) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else {
            finish();
            if (maxWords > 0 && words.size() >= maxWords)
                return words;
        }
    }
    finish();
    if (maxWords > 0 && words.size() > maxWords)
        words.erase(words.begin() + maxWords, words.end());
    return words;
}

// A word as an FTS5 string: it holds only letters and digits, so quoting it is enough to
// keep it a plain term whatever it spells ("AND", "NEAR").
QString ftsString(const QString &word)
{
    return QLatin1Char('"') + word + QLatin1Char('"');
}

// Stocks of the search index with everything their search row is made of.
const QString kIndexSelect = QStringLiteral(
    "SELECT s.id, s.code, s.barcode, s.maker_code, s.oem_no, s.oem1, s.oem2, s.oem3, s.oem4, "
    "s.name, s.other_name, b.name, s.model, g.name, COALESCE(mg.name, '') "
    "FROM stocks s JOIN brands b ON b.id = s.brand_id "
    "JOIN product_groups g ON g.id = s.group_id LEFT JOIN product_groups mg ON mg.id = g.parent_id");

StockIndexText indexTextOf(const QSqlQuery &q)
{
    QStringList codes;
    for (int i = 1; i <= 8; ++i)
        codes << q.value(i).toString();
    QStringList words;
    for (int i = 9; i <= 14; ++i)
        words << q.value(i).toString();
    return stockIndexText(codes, words);
}

// Ranks are this far apart after a rebuild, leaving room for stocks added in between.
constexpr qint64 kRankStep = 1024;

std::vector<int> matchingIds(Database &db, const QString &match, int limit)
{
    // The index's rows are numbered in name order, so it hands out matches already sorted and
    // the query stops at the limit instead of sorting every match.
    std::vector<int> ids;
    QSqlQuery q = db.exec(QStringLiteral("SELECT s.id FROM stock_search JOIN stocks s ON s.search_rank = stock_search.rowid "
                                         "WHERE stock_search MATCH ? AND s.active = 1 ORDER BY stock_search.rowid LIMIT ?"),
                          {match, limit});
    while (q.next())
        ids.push_back(q.value(0).toInt());
    return ids;
}

std::vector<int> idsOf(QSqlQuery q)
{
    std::vector<int> ids;
    while (q.next())
        ids.push_back(q.value(0).toInt());
    return ids;
}

} // namespace

SearchTerms parseSearchText(QStringView text, SearchScope scope)
{
    SearchTerms t;
    t.words = foldedWords(text, kMaxSearchWords, kMaxSearchWordLength);
    if (t.words.isEmpty())
        return t;
    t.joined = t.words.join(QString());
    QStringList terms;
    for (const QString &w : t.words)
        terms << (w.size() >= 2 ? ftsString(w) + QLatin1Char('*') : ftsString(w));
    const QString all = terms.join(QStringLiteral(" AND "));
    const QString joinedPrefix = QStringLiteral("whole : ") + ftsString(t.joined) + QLatin1Char('*');
    switch (scope) {
    case SearchScope::All:
        t.match = QLatin1Char('(') + all + QLatin1Char(')');
        break;
    case SearchScope::Codes:
        t.match = QStringLiteral("{whole codes} : (") + all + QLatin1Char(')');
        break;
    case SearchScope::Names:
        t.match = QStringLiteral("words : (") + all + QLatin1Char(')');
        break;
    }
    if (scope != SearchScope::Names) {
        if (t.words.size() > 1)
            t.match += QStringLiteral(" OR ") + joinedPrefix;
        t.exactCode = QStringLiteral("whole : ") + ftsString(t.joined);
    }
    return t;
}

QString normalizeCode(QStringView code)
{
    return foldedWords(code, 0, std::numeric_limits<int>::max()).join(QString());
}

StockIndexText stockIndexText(const QStringList &codes, const QStringList &words)
{
    StockIndexText t;
    QStringList wholeTokens;
    QStringList partTokens;
    for (const QString &code : codes) {
        const QStringList parts = foldedWords(code, 0, std::numeric_limits<int>::max());
        if (parts.isEmpty())
            continue;
        wholeTokens << parts.join(QString());
        if (parts.size() > 1)
            partTokens << parts;
    }
    wholeTokens.removeDuplicates();
    partTokens.removeDuplicates();
    t.whole = wholeTokens.join(QLatin1Char(' '));
    t.codes = partTokens.join(QLatin1Char(' '));
    QStringList wordTokens;
    for (const QString &w : words)
        wordTokens << foldedWords(w, 0, std::numeric_limits<int>::max());
    // The index keeps no positions, so a word that occurs twice counts once anyway.
    wordTokens.removeDuplicates();
    t.words = wordTokens.join(QLatin1Char(' '));
    return t;
}

void indexStock(Database &db, int stockId)
{
    Transaction tx(db);
    const auto oldRank = db.scalar(QStringLiteral("SELECT search_rank FROM stocks WHERE id = ?"), {stockId});
    if (oldRank && !oldRank->isNull()) {
        db.change(QStringLiteral("DELETE FROM stock_search WHERE rowid = ?"), {*oldRank});
        db.change(QStringLiteral("UPDATE stocks SET search_rank = NULL WHERE id = ?"), {stockId});
    }
    QSqlQuery q = db.exec(kIndexSelect + QStringLiteral(" WHERE s.id = ?"), {stockId});
    if (!q.next()) {
        tx.commit();
        return;
    }
    const StockIndexText text = indexTextOf(q);
    q.finish();
    const QString sortKey = db.scalar(QStringLiteral("SELECT sort_key FROM stocks WHERE id = ?"), {stockId})->toString();
    // The ranked neighbours in (sort_key, id) order.
    const auto before = db.scalar(QStringLiteral("SELECT search_rank FROM stocks WHERE search_rank IS NOT NULL AND "
                                                 "(sort_key < ? OR (sort_key = ? AND id < ?)) ORDER BY sort_key DESC, id DESC LIMIT 1"),
                                  {sortKey, sortKey, stockId});
    const auto after = db.scalar(QStringLiteral("SELECT search_rank FROM stocks WHERE search_rank IS NOT NULL AND "
                                                "(sort_key > ? OR (sort_key = ? AND id > ?)) ORDER BY sort_key, id LIMIT 1"),
                                 {sortKey, sortKey, stockId});
    const qint64 low = before ? before->toLongLong() : 0;
    const qint64 high = after ? after->toLongLong() : low + 2 * kRankStep;
    if (high - low < 2) {
        // No room between the neighbours: number everything anew.
        rebuildSearchIndex(db);
        tx.commit();
        return;
    }
    const qint64 rank = after ? low + (high - low) / 2 : low + kRankStep;
    db.change(QStringLiteral("UPDATE stocks SET search_rank = ? WHERE id = ?"), {rank, stockId});
    db.change(QStringLiteral("INSERT INTO stock_search (rowid, whole, codes, words) VALUES (?, ?, ?, ?)"),
              {rank, text.whole, text.codes, text.words});
    tx.commit();
}

void rebuildSearchIndex(Database &db)
{
    Transaction tx(db);
    // The rows go into a plain table first and into the index with one statement: FTS5 writes
    // its pending terms out at the end of every statement, so row-by-row inserts would leave
    // thousands of small segments behind.
    db.execScript({QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS search_rows (id INTEGER PRIMARY KEY, search_rank INTEGER, "
                                  "whole TEXT, codes TEXT, words TEXT)"),
                   QStringLiteral("DELETE FROM temp.search_rows")});
    {
        BatchInsert insert(db, QStringLiteral("INSERT INTO temp.search_rows (id, search_rank, whole, codes, words)"), 5);
        QSqlQuery q = db.exec(kIndexSelect + QStringLiteral(" ORDER BY s.sort_key, s.id"));
        qint64 rank = 0;
        while (q.next()) {
            const StockIndexText text = indexTextOf(q);
            rank += kRankStep;
            insert.add({q.value(0), rank, text.whole, text.codes, text.words});
        }
        insert.flush();
    }
    // The unique index on the ranks is built anew after they are all written: sorting once is
    // much cheaper than half a million inserts in random order.
    db.execScript({QStringLiteral("DELETE FROM stock_search"),
                   QStringLiteral("DROP INDEX stocks_search_rank"),
                   QStringLiteral("UPDATE stocks SET search_rank = (SELECT r.search_rank FROM temp.search_rows r WHERE r.id = stocks.id)"),
                   QStringLiteral("CREATE UNIQUE INDEX stocks_search_rank ON stocks(search_rank)"),
                   QStringLiteral("INSERT INTO stock_search (rowid, whole, codes, words) "
                                  "SELECT search_rank, whole, codes, words FROM temp.search_rows ORDER BY search_rank"),
                   // Emptied rather than dropped: SQLite refuses to drop a table while the caller
                   // still reads from another statement.
                   QStringLiteral("DELETE FROM temp.search_rows"),
                   // One segment instead of several makes prefix queries markedly faster.
                   QStringLiteral("INSERT INTO stock_search (stock_search) VALUES ('optimize')")});
    tx.commit();
}

std::vector<int> findStocks(Database &db, QStringView text, SearchScope scope, int limit)
{
    limit = std::clamp(limit, 0, kSearchCap);
    const SearchTerms terms = parseSearchText(text, scope);
    if (terms.isEmpty() || limit == 0)
        return {};
    std::vector<int> ids;
    if (!terms.exactCode.isEmpty())
        ids = matchingIds(db, terms.exactCode, limit);
    if (int(ids.size()) >= limit)
        return ids;
    const std::unordered_set<int> exact(ids.begin(), ids.end());
    // Asking for `limit` more than needed leaves room for the exact matches found again.
    for (int id : matchingIds(db, terms.match, limit + int(exact.size()))) {
        if (int(ids.size()) >= limit)
            break;
        if (!exact.contains(id))
            ids.push_back(id);
    }
    return ids;
}

std::vector<int> newStockIds(Database &db)
{
    return idsOf(db.exec(QStringLiteral("SELECT id FROM stocks WHERE is_new = 1 AND active = 1 "
                                        "ORDER BY new_since DESC, sort_key, id LIMIT ?"),
                         {kSearchCap}));
}

std::vector<int> campaignStockIds(Database &db)
{
    return idsOf(db.exec(QStringLiteral("SELECT id FROM stocks WHERE campaign = 1 AND active = 1 "
                                        "ORDER BY sort_key, id LIMIT ?"),
                         {kSearchCap}));
}

std::vector<StockRow> loadStockRows(Database &db, const std::vector<int> &ids, const AccountPricing &pricing)
{
    QHash<int, StockRow> byId;
    byId.reserve(qsizetype(ids.size()));
    constexpr size_t kChunk = 250;
    for (size_t from = 0; from < ids.size(); from += kChunk) {
        const size_t count = std::min(kChunk, ids.size() - from);
        QString marks = QStringLiteral("?");
        for (size_t i = 1; i < count; ++i)
            marks += QStringLiteral(",?");
        // ALINANSIPARIS counts the open balances of every account's orders; the partial index
        // order_lines_open keeps that to the few open lines of each stock.
        QSqlQuery q = db.prepare(QStringLiteral(
            "SELECT s.id, s.barcode, s.barcode_no, s.name, s.other_name, s.code, s.maker_code, s.oem_no, "
            "s.oem1, s.oem2, s.oem3, s.oem4, s.dp_code, s.p_code, s.special_code, s.unit, s.brand_id, b.name, "
            "s.model, g.name, COALESCE(mg.name, ''), d.name, s.colour, s.size, s.vat_rate, s.list_price, "
            "s.campaign, s.campaign_price, s.quantity, s.incoming, s.status, s.is_new, "
            "CASE WHEN s.picture_id IS NULL THEN 0 ELSE 1 END, "
            "(SELECT COALESCE(SUM(l.quantity - l.delivered - l.cancelled), 0) FROM order_lines l "
            " WHERE l.stock_id = s.id AND l.delivered + l.cancelled < l.quantity) "
            "FROM stocks s JOIN brands b ON b.id = s.brand_id JOIN product_groups g ON g.id = s.group_id "
            "LEFT JOIN product_groups mg ON mg.id = g.parent_id JOIN departments d ON d.id = s.department_id "
            "WHERE s.id IN (") + marks + QLatin1Char(')'));
        std::vector<QVariant> params;
        params.reserve(count);
        for (size_t i = 0; i < count; ++i)
            params.emplace_back(ids[from + i]);
        Database::run(q, params);
        while (q.next()) {
            StockRow r;
            int c = 0;
            r.id = q.value(c++).toInt();
            r.barcode = q.value(c++).toString();
            r.barcodeNo = q.value(c++).toInt();
            r.name = q.value(c++).toString();
            r.otherName = q.value(c++).toString();
            r.code = q.value(c++).toString();
            r.makerCode = q.value(c++).toString();
            r.oemNo = q.value(c++).toString();
            for (QString &oem : r.oem)
                oem = q.value(c++).toString();
            r.dpCode = q.value(c++).toString();
            r.pCode = q.value(c++).toString();
            r.specialCode = q.value(c++).toString();
            r.unit = q.value(c++).toString();
            r.brandId = q.value(c++).toInt();
            r.brand = q.value(c++).toString();
            r.model = q.value(c++).toString();
            r.subGroup = q.value(c++).toString();
            r.mainGroup = q.value(c++).toString();
            r.department = q.value(c++).toString();
            r.colour = q.value(c++).toString();
            r.size = q.value(c++).toString();
            r.vatRate = q.value(c++).toDouble();
            const double listPrice = q.value(c++).toDouble();
            const bool campaign = q.value(c++).toInt() != 0;
            const double campaignPrice = q.value(c++).toDouble();
            r.quantity = q.value(c++).toDouble();
            r.incoming = q.value(c++).toDouble();
            r.status = q.value(c++).toInt();
            r.isNew = q.value(c++).toInt() != 0;
            r.hasPicture = q.value(c++).toInt() != 0;
            r.openOrders = q.value(c++).toDouble();
            r.price = stockPrice(listPrice, campaignPrice, campaign && pricing.campaigns, r.vatRate,
                                 pricing.forBrand(r.brandId));
            byId.insert(r.id, std::move(r));
        }
    }
    std::vector<StockRow> rows;
    rows.reserve(ids.size());
    for (int id : ids) {
        auto it = byId.find(id);
        if (it != byId.end())
            rows.push_back(std::move(*it));
    }
    return rows;
}

} // namespace vexor
