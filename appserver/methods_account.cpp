// Account follow-up: open order balances and their changes, the account statement, invoices,
// collections and web payments with their receipts, the account reports and the public files.
#include "dispatch.h"
#include "reports.h"
#include "servermethods.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"

#include "common/formats.h"
#include "server/tablecodec.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vexor {

namespace {

const QString kSessionErrorClass = QStringLiteral("EVexorSessionError");
const QString kNotFoundClass = QStringLiteral("EVexorNotFound");
const QString kConflictClass = QStringLiteral("EVexorConflict");

// The largest balance one line may be given; far above any real order, far below the
// column's range.
constexpr double kMaxBalance = 1000000;

double round2(double v)
{
    return roundHalfAwayFromZero(v, 2);
}

QString methodText(const char *method)
{
    return QStringLiteral("TServerMethods1.") + QLatin1String(method);
}

CallError paramError(const char *method, const QString &message)
{
    return CallError(kParamErrorClass, methodText(method) + QStringLiteral(": ") + message, 400);
}

struct Column
{
    const char *name;
    FieldType type;
};

std::vector<FieldDef> columns(std::initializer_list<Column> list)
{
    std::vector<FieldDef> defs;
    defs.reserve(list.size());
    for (const Column &c : list)
        defs.push_back({QString::fromUtf8(c.name), c.type, {}});
    return defs;
}

constexpr FieldType I = FieldType::Int32;
constexpr FieldType D = FieldType::Double;
constexpr FieldType S = FieldType::String;
constexpr FieldType Day = FieldType::Date;
constexpr FieldType Time = FieldType::DateTime;

QDate dateOf(const QVariant &isoText)
{
    return QDate::fromString(isoText.toString().left(10), Qt::ISODate);
}

QString timeOf(const QVariant &isoText)
{
    return isoText.toString().mid(11, 5); // "HH:mm" of "yyyy-MM-ddTHH:mm:ss"
}

// A date parameter: a day number whose time of day is dropped.
QDate dayParam(const char *method, const char *name, double dayNumber)
{
    const QDate d = dayNumberToDate(dayNumber);
    if (!d.isValid() || d.year() < 1900 || d.year() > 9999)
        throw paramError(method, QStringLiteral("'%1' geçerli bir tarih değil (%2)").arg(QLatin1String(name)).arg(dayNumber));
    return d;
}

// A date range as the windows send it. They do not check the order of the two days; the
// range between them is meant either way.
std::pair<QDate, QDate> rangeParam(const char *method, double first, double last)
{
    QDate from = dayParam(method, "tarih1", first);
    QDate to = dayParam(method, "tarih2", last);
    if (to < from)
        std::swap(from, to);
    return {from, to};
}

// "B" for a debit balance, "A" for a credit balance and a single blank for none, as the
// statement tab marks them.
QString side(double balance)
{
    return balance > 0 ? QStringLiteral("B") : balance < 0 ? QStringLiteral("A") : QStringLiteral(" ");
}

// ---------------------------------------------------------------------------------------------
// Order balances

const std::vector<FieldDef> &balanceColumns()
{
    static const std::vector<FieldDef> defs = columns({
        {"SIRANO", I}, {"SIPARISNO", I}, {"IDNO", I}, {"STOKHAR_NO", I}, {"CARINO", I}, {"CARIKOD", S}, {"CARIADI", S},
        {"VERILISTARIHI", Time}, {"TARIH", Day}, {"SAAT", S},
        {"STOKNO", I}, {"STOK_STOKNO", I}, {"BARKOD", S}, {"FINISHKOD", S}, {"URETICIKODU", S}, {"OEMNO", S},
        {"OEM1", S}, {"OEM2", S}, {"OEM3", S}, {"OEM4", S}, {"STOKADI", S}, {"DIGERADI", S}, {"DPKOD", S}, {"PKOD", S},
        {"OZELKOD", S}, {"MARKA", S}, {"MODEL", S}, {"ANAGRUP", S}, {"ACIKLAMA", S},
        {"MIKTAR", D}, {"TESLIMEDILEN", D}, {"KALAN", D}, {"BIRIMFIYAT", D}, {"ILKFIYAT", D}, {"TUTAR", D},
        {"INDIRIMORANI1", D}, {"INDIRIMORANI2", D}, {"INDIRIMORANI3", D}, {"INDIRIMORANI4", D}, {"INDIRIMYAZI", S},
        {"INDIRIMTUTAR", D}, {"NETBIRIMFIYAT", D}, {"KDV", D}, {"VERGITUTARI", D}, {"NETTUTAR", D},
        {"KUR", S}, {"KURTL", D}, {"VEREN", S}, {"VERENIDNO", I}, {"VERENSIRANO", I},
        {"TESLIMID", I}, {"TESLIM", S}, {"KARGOID", I}, {"KARGO", S}, {"AKTAR", I}, {"DURUM", I},
        {"ELDEKI", D}, {"ALINANSIPARIS", D}, {"VERILENSIPARIS", D},
    });
    return defs;
}

// The open balances of an account: order lines not yet delivered or given up in full. The
// amounts are those of the open balance (KALAN), so the window's totals are the value of what
// is still to come.
EncodedTable balanceTable(Database &db, qint32 carino)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT l.id, o.id, a.id, a.code, a.name, o.ordered_at, "
        "s.id, s.barcode, s.code, s.maker_code, s.oem_no, s.oem1, s.oem2, s.oem3, s.oem4, s.name, s.other_name, "
        "s.dp_code, s.p_code, s.special_code, b.name, s.model, COALESCE(mg.name, g.name), l.note, "
        "l.quantity, l.delivered, l.quantity - l.delivered - l.cancelled, l.unit_price, l.first_price, "
        "l.ind1, l.ind2, l.ind3, l.ind4, l.campaign, l.vat_rate, o.currency, o.rate, "
        "COALESCE(NULLIF(u.full_name, ''), u.name), u.id, o.delivery_kind_id, COALESCE(dk.name, ''), "
        "o.cargo_kind_id, COALESCE(ck.name, ''), o.status_id, s.status, s.quantity, "
        "(SELECT COALESCE(SUM(x.quantity - x.delivered - x.cancelled), 0) FROM order_lines x "
        " WHERE x.stock_id = s.id AND x.delivered + x.cancelled < x.quantity), s.incoming "
        "FROM order_lines l JOIN orders o ON o.id = l.order_id JOIN accounts a ON a.id = o.account_id "
        "JOIN stocks s ON s.id = l.stock_id JOIN brands b ON b.id = s.brand_id "
        "JOIN product_groups g ON g.id = s.group_id LEFT JOIN product_groups mg ON mg.id = g.parent_id "
        "JOIN users u ON u.id = o.user_id LEFT JOIN delivery_kinds dk ON dk.id = o.delivery_kind_id "
        "LEFT JOIN cargo_kinds ck ON ck.id = o.cargo_kind_id "
        "WHERE o.account_id = ? AND l.delivered + l.cancelled < l.quantity "
        "ORDER BY o.ordered_at, o.id, l.line_no"),
        {carino});
    JsonWriter w;
    TableEncoder t(w, balanceColumns());
    while (q.next()) {
        int c = 0;
        auto v = [&q, &c] { return q.value(c++); };
        const int lineId = v().toInt();
        const int orderId = v().toInt();
        t.beginRow();
        t.addInt(lineId);
        t.addInt(orderId);
        t.addInt(orderId);
        t.addInt(lineId);
        t.addInt(v().toInt());
        t.addString(v().toString());
        t.addString(v().toString());
        const QVariant orderedAt = v();
        t.addValue(orderedAt);
        t.addDate(dateOf(orderedAt));
        t.addString(timeOf(orderedAt));
        const int stockId = v().toInt();
        t.addInt(stockId);
        t.addInt(stockId);
        for (int k = 0; k < 9; ++k) // BARKOD .. STOKADI
            t.addString(v().toString());
        for (int k = 0; k < 7; ++k) // DIGERADI .. ANAGRUP
            t.addString(v().toString());
        const QString note = v().toString();
        const double ordered = v().toDouble();
        const double delivered = v().toDouble();
        const double open = roundHalfAwayFromZero(v().toDouble(), 3); // a difference of stored quantities
        const double unitPrice = v().toDouble();
        const double firstPrice = v().toDouble();
        Discounts discounts;
        for (double &rate : discounts.rates)
            rate = v().toDouble();
        const bool campaign = v().toInt() == 1;
        const double vatRate = v().toDouble();
        const LineAmounts amounts = dialogLineAmounts(open, unitPrice, discounts, vatRate);
        // The balance dialog shows ACIKLAMA as the line's description: its note when it has one.
        t.addString(note.isEmpty() ? q.value(15).toString() : note);
        t.addDouble(ordered);
        t.addDouble(delivered);
        t.addDouble(open);
        t.addDouble(unitPrice);
        t.addDouble(firstPrice);
        t.addDouble(amounts.amount);
        for (double rate : discounts.rates)
            t.addDouble(rate);
        t.addString(discountText(discounts, campaign));
        t.addDouble(amounts.discount);
        t.addDouble(amounts.netUnitPrice);
        t.addDouble(vatRate);
        t.addDouble(amounts.vat);
        t.addDouble(amounts.net);
        t.addString(v().toString()); // KUR
        t.addDouble(v().toDouble()); // KURTL
        t.addString(v().toString()); // VEREN
        const int userId = v().toInt();
        t.addInt(userId);
        t.addInt(userId);
        t.addValue(v());             // TESLIMID
        t.addString(v().toString());
        t.addValue(v());             // KARGOID
        t.addString(v().toString());
        // Passed on to the depot once the distributor has seen the order.
        t.addInt(v().toInt() != int(OrderStatus::Alindi) ? 1 : 0);
        t.addInt(v().toInt());       // DURUM: the stock's status
        t.addDouble(v().toDouble()); // ELDEKI
        t.addDouble(v().toDouble()); // ALINANSIPARIS
        t.addDouble(v().toDouble()); // VERILENSIPARIS
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

// One order line as a balance change finds it.
struct BalanceLine
{
    int id = 0;
    int orderId = 0;
    int lineNo = 0;
    int stockId = 0;
    int statusId = 0;
    QString barcode;
    double quantity = 0;
    double delivered = 0;
    double cancelled = 0;
    double open() const { return quantity - delivered - cancelled; }
};

// The line a balance call names, checked against the caller: it must be a line of the account
// the session acts for, and the stock and barcode the window sent must still be the line's.
// Runs inside the caller's transaction, which holds the write lock, so the line cannot change
// between this check and the update.
BalanceLine balanceLine(Database &db, const TServerMethods1::Session &s, const char *method, qint32 stokno,
                        qint32 sepetsirano, qint32 siparissirano, const QString &barkod)
{
    if (s.accountId <= 0)
        throw CallError(kSessionErrorClass, QStringLiteral("Önce bir cari seçiniz"), 403);
    // The window sends the line's number twice (SIRANO and STOKHAR_NO); either may be 0.
    if (sepetsirano > 0 && siparissirano > 0 && sepetsirano != siparissirano)
        throw paramError(method, QStringLiteral("'sepetsirano' (%1) ile 'siparissirano' (%2) aynı satırı göstermiyor")
                                     .arg(sepetsirano).arg(siparissirano));
    const int lineId = sepetsirano > 0 ? sepetsirano : siparissirano;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT l.id, l.order_id, l.line_no, l.stock_id, o.status_id, s.barcode, l.quantity, l.delivered, l.cancelled "
        "FROM order_lines l JOIN orders o ON o.id = l.order_id JOIN stocks s ON s.id = l.stock_id "
        "WHERE l.id = ? AND o.account_id = ?"),
        {lineId, s.accountId});
    if (lineId <= 0 || !q.next())
        throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı sipariş satırı bu caride bulunamadı").arg(lineId), 404);
    BalanceLine l;
    int c = 0;
    l.id = q.value(c++).toInt();
    l.orderId = q.value(c++).toInt();
    l.lineNo = q.value(c++).toInt();
    l.stockId = q.value(c++).toInt();
    l.statusId = q.value(c++).toInt();
    l.barcode = q.value(c++).toString();
    l.quantity = q.value(c++).toDouble();
    l.delivered = q.value(c++).toDouble();
    l.cancelled = q.value(c++).toDouble();
    if ((stokno != 0 && stokno != l.stockId) || (!barkod.isEmpty() && barkod != l.barcode))
        throw CallError(kConflictClass, QStringLiteral("Sipariş satırı değişmiş; bakiyeleri yeniden yükleyiniz"), 409);
    return l;
}

// An order whose lines are all delivered or given up is closed: completed when anything of it
// was delivered, cancelled otherwise. The order lists and the representatives' counters read
// the status, so it follows every balance change in the same transaction.
void closeOrderIfDone(Database &db, int orderId)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT SUM(CASE WHEN delivered + cancelled < quantity THEN 1 ELSE 0 END), SUM(delivered) "
        "FROM order_lines WHERE order_id = ?"),
        {orderId});
    if (!q.next() || q.value(0).toInt() > 0)
        return;
    const int status = q.value(1).toDouble() > 0 ? int(OrderStatus::Tamamlandi) : int(OrderStatus::Iptal);
    db.change(QStringLiteral("UPDATE orders SET status_id = ?, status_changed_at = ? WHERE id = ? AND status_id NOT IN (?, ?)"),
              {status, isoDateTime(QDateTime::currentDateTime()), orderId, int(OrderStatus::Tamamlandi),
               int(OrderStatus::Iptal)});
}

// ---------------------------------------------------------------------------------------------
// Statement

const std::vector<FieldDef> &statementColumns()
{
    static const std::vector<FieldDef> defs = columns({
        {"CARINO", I}, {"TARIH", Day}, {"TURADI", S}, {"EVRAK", S}, {"BORC", D}, {"ALACAK", D}, {"KUR", S},
        {"BAKIYE", D}, {"D", S}, {"IDNO", I}, {"ACIKLAMA", S}, {"VADE", Day},
    });
    return defs;
}

// Statement rows of an account in the order they happened, with the running balance the
// statement tab also computes. With `from`, a carried-over row opens the list with what the
// account owed before that day, so the running balance stays the account's real balance.
EncodedTable statementTable(Database &db, qint32 carino, std::optional<QDate> from, std::optional<QDate> to)
{
    JsonWriter w;
    TableEncoder t(w, statementColumns());
    double balance = 0;
    if (from) {
        QSqlQuery before = db.exec(QStringLiteral("SELECT COUNT(*), COALESCE(SUM(debit), 0), COALESCE(SUM(credit), 0) "
                                                  "FROM account_movements WHERE account_id = ? AND moved_at < ?"),
                                   {carino, isoDate(*from)});
        if (before.next() && before.value(0).toInt() > 0) {
            const double debit = round2(before.value(1).toDouble());
            const double credit = round2(before.value(2).toDouble());
            balance = round2(debit - credit);
            t.beginRow();
            t.addInt(carino);
            t.addDate(*from);
            t.addString(kMovementOpening);
            t.addString(QString());
            t.addDouble(debit);
            t.addDouble(credit);
            t.addString(QStringLiteral("TL"));
            t.addDouble(balance);
            t.addString(side(balance));
            t.addInt(0);
            t.addString(QStringLiteral("%1 öncesinden devir").arg(from->toString(QStringLiteral("dd.MM.yyyy"))));
            t.addNull();
            t.endRow();
        }
    }
    QString sql = QStringLiteral("SELECT moved_at, kind, document_no, debit, credit, currency, "
                                 "COALESCE(invoice_id, collection_id, 0), description, due_date "
                                 "FROM account_movements WHERE account_id = ?");
    std::vector<QVariant> params{carino};
    if (from) {
        sql += QStringLiteral(" AND moved_at >= ?");
        params.push_back(isoDate(*from));
    }
    if (to) {
        sql += QStringLiteral(" AND moved_at < ?");
        params.push_back(isoDate(to->addDays(1)));
    }
    sql += QStringLiteral(" ORDER BY moved_at, id");
    QSqlQuery q = db.exec(sql, params);
    while (q.next()) {
        const double debit = q.value(3).toDouble();
        const double credit = q.value(4).toDouble();
        balance = round2(balance + debit - credit);
        t.beginRow();
        t.addInt(carino);
        t.addDate(dateOf(q.value(0)));
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addDouble(debit);
        t.addDouble(credit);
        t.addString(q.value(5).toString());
        t.addDouble(balance);
        t.addString(side(balance));
        t.addInt(q.value(6).toInt());
        t.addString(q.value(7).toString());
        t.addValue(q.value(8));
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

// ---------------------------------------------------------------------------------------------
// Reports

// The user a report is made for, from the user number the customer selection sends.
struct ReportUser
{
    int kind = 0;
    int accountId = 0;
    int repId = 0;
    bool representative() const { return kind == 1 || kind == 2; }
};

ReportUser reportUser(Database &db, qint32 userId)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT kind, active, COALESCE(account_id, 0), COALESCE(rep_id, 0) FROM users WHERE id = ?"),
                          {userId});
    if (!q.next())
        throw CallError(kSessionErrorClass, QStringLiteral("%1 numaralı kullanıcı sunucuda kayıtlı değil").arg(userId), 403);
    if (q.value(1).toInt() != 1)
        throw CallError(kSessionErrorClass, QStringLiteral("Kullanıcı etkin değil"), 403);
    return {q.value(0).toInt(), q.value(2).toInt(), q.value(3).toInt()};
}

// Which orders and invoices the lists of the reports window cover: a dealer's own account; a
// representative's own accounts; the sales manager (kind 2) every representative's, since the
// lists are grouped by representative for them.
struct ReportScope
{
    QString where;              // condition on the alias given to scopeOf
    std::vector<QVariant> params;
};

ReportScope scopeOf(const TServerMethods1::Session &s, const QString &repColumn, const QString &accountColumn)
{
    if (s.kind == 2)
        return {QStringLiteral("1 = 1"), {}};
    if (s.kind == 1)
        return {repColumn + QStringLiteral(" = ?"), {s.repId}};
    return {accountColumn + QStringLiteral(" = ?"), {s.accountId}};
}

QByteArray pdfResult(QByteArray pdf, qint64 &size)
{
    size = pdf.size();
    return pdf;
}

void requireDocuments(const char *method)
{
    if (!documentsAvailable())
        throw CallError(kNotAvailableClass, methodText(method) + QStringLiteral(": bu sunucu belge üretemiyor"), 501);
}

// ---------------------------------------------------------------------------------------------
// Files

// Files without an account are for every account; a session also sees its account's own.
QByteArray documentContent(Database &db, qint32 sirano, int accountId, qint64 &size, QString &adi)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT name, content FROM documents WHERE id = ? AND (account_id IS NULL OR account_id = ?)"),
                          {sirano, accountId});
    if (!q.next()) {
        size = 0;
        adi.clear();
        return {};
    }
    adi = q.value(0).toString();
    const QByteArray content = q.value(1).toByteArray();
    size = content.size();
    return content;
}

EncodedTable documentList(Database &db, bool detailed)
{
    std::vector<FieldDef> defs = detailed
        ? columns({{"SIRANO", I}, {"ADI", S}, {"BASLIK", S}, {"TUR", S}, {"BOYUT", I}, {"TARIH", Time}})
        : columns({{"SIRANO", I}, {"ADI", S}, {"BOYUT", I}, {"TARIH", Time}});
    QSqlQuery q = db.exec(QStringLiteral("SELECT id, name, title, mime, LENGTH(content), created_at FROM documents "
                                         "WHERE account_id IS NULL ORDER BY created_at DESC, id DESC"));
    JsonWriter w;
    TableEncoder t(w, defs);
    while (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        if (detailed) {
            t.addString(q.value(2).toString());
            t.addString(q.value(3).toString());
        }
        t.addInt(q.value(4).toInt());
        t.addValue(q.value(5));
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Order balances

EncodedTable TServerMethods1::BakiyelerVer2(qint32 carino)
{
    return balanceTable(database("BakiyelerVer2"), carino);
}

EncodedTable TServerMethods1::BakiyelerVer(qint32 carino)
{
    return balanceTable(database("BakiyelerVer"), carino);
}

qint32 TServerMethods1::BakiyeDuzenle(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano,
                                      qint32 siparissirano, double Adet, double Bakiye, const QString &barkod)
{
    // Deletes the open balance of a line: what is not delivered is given up. `Adet` and
    // `Bakiye` are the quantity and balance the window showed; whatever is open now goes.
    Database &db = database("BakiyeDuzenle");
    const Session s = sessionFor(k.get());
    Transaction tx(db);
    const BalanceLine line = balanceLine(db, s, "BakiyeDuzenle", stokno, sepetsirano, siparissirano, barkod);
    if (line.open() <= 0)
        return 0;
    db.change(QStringLiteral("UPDATE order_lines SET cancelled = quantity - delivered WHERE id = ?"), {line.id});
    closeOrderIfDone(db, line.orderId);
    tx.commit();
    return 1;
}

qint32 TServerMethods1::BakiyeDegistir(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano,
                                       qint32 siparissirano, double Adet, double Bakiye, const QString &barkod)
{
    // Sets the open balance of a line to `Bakiye` (the window sends the new balance as `Adet`
    // too). Less than is open gives the difference up; more first takes back what was given up
    // and then raises the ordered quantity, since the dealer now wants more.
    Database &db = database("BakiyeDegistir");
    if (!(Bakiye > 0) || Bakiye > kMaxBalance)
        throw paramError("BakiyeDegistir", QStringLiteral("yeni bakiye 0'dan büyük ve en çok %1 olmalı, %2 geldi")
                                               .arg(kMaxBalance, 0, 'f', 0).arg(Bakiye));
    const double balance = roundHalfAwayFromZero(Bakiye, 3);
    const Session s = sessionFor(k.get());
    Transaction tx(db);
    const BalanceLine line = balanceLine(db, s, "BakiyeDegistir", stokno, sepetsirano, siparissirano, barkod);
    if (line.open() <= 0)
        throw CallError(kConflictClass, QStringLiteral("Bu sipariş satırının açık bakiyesi kalmadı"), 409);
    const double undelivered = line.quantity - line.delivered;
    const double cancelled = std::max(0.0, roundHalfAwayFromZero(undelivered - balance, 3));
    const double quantity = roundHalfAwayFromZero(line.delivered + cancelled + balance, 3);
    db.change(QStringLiteral("UPDATE order_lines SET quantity = ?, cancelled = ? WHERE id = ?"), {quantity, cancelled, line.id});
    tx.commit();
    return 1;
}

qint32 TServerMethods1::BakiyeFiyatDegistir(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano,
                                            qint32 siparissirano, double Adet, double Bakiye, const QString &barkod,
                                            double fiyat, double ind)
{
    // Gives the open balance of a line a new unit price and a single discount rate (the price
    // dialog shows one rate; the other three are cleared so the net it showed is the net
    // stored). What was delivered was invoiced at the old price: a partly delivered line keeps
    // that part, and the open balance moves to a new line of the order with the new price.
    Database &db = database("BakiyeFiyatDegistir");
    if (!(fiyat >= 0) || fiyat > 1e9)
        throw paramError("BakiyeFiyatDegistir", QStringLiteral("fiyat 0 ya da daha büyük olmalı, %1 geldi").arg(fiyat));
    if (!(ind >= 0 && ind <= 100))
        throw paramError("BakiyeFiyatDegistir", QStringLiteral("indirim oranı 0 ile 100 arasında olmalı, %1 geldi").arg(ind));
    const double price = round2(fiyat);
    const double rate = round2(ind);
    const Session s = sessionFor(k.get());
    if (s.kind != 2)
        throw CallError(kSessionErrorClass, QStringLiteral("Fiyat değiştirme yetkiniz yok"), 403);
    Transaction tx(db);
    const BalanceLine line = balanceLine(db, s, "BakiyeFiyatDegistir", stokno, sepetsirano, siparissirano, barkod);
    if (line.open() <= 0)
        throw CallError(kConflictClass, QStringLiteral("Bu sipariş satırının açık bakiyesi kalmadı"), 409);
    if (line.delivered > 0) {
        const int lineNo = db.scalar(QStringLiteral("SELECT MAX(line_no) + 1 FROM order_lines WHERE order_id = ?"),
                                     {line.orderId})->toInt();
        db.change(QStringLiteral(
            "INSERT INTO order_lines (order_id, line_no, stock_id, quantity, delivered, cancelled, unit_price, first_price, "
            "vat_rate, ind1, ind2, ind3, ind4, campaign, note) "
            "SELECT order_id, ?, stock_id, quantity - delivered - cancelled, 0, 0, ?, first_price, vat_rate, ?, 0, 0, 0, "
            "0, note FROM order_lines WHERE id = ?"),
            {lineNo, price, rate, line.id});
        db.change(QStringLiteral("UPDATE order_lines SET quantity = delivered + cancelled WHERE id = ?"), {line.id});
    } else {
        db.change(QStringLiteral("UPDATE order_lines SET unit_price = ?, ind1 = ?, ind2 = 0, ind3 = 0, ind4 = 0, campaign = 0 "
                                 "WHERE id = ?"),
                  {price, rate, line.id});
    }
    tx.commit();
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Account statement and documents

EncodedTable TServerMethods1::CariEkstreVer(qint32 carino)
{
    return statementTable(database("CariEkstreVer"), carino, std::nullopt, std::nullopt);
}

EncodedTable TServerMethods1::CariEkstreVer2(qint32 carino, double TARIH1, double TARIH2)
{
    Database &db = database("CariEkstreVer2");
    const auto [from, to] = rangeParam("CariEkstreVer2", TARIH1, TARIH2);
    return statementTable(db, carino, from, to);
}

EncodedTable TServerMethods1::CariEkstreVer2Baslik(qint32 carino, double tarih1)
{
    // The heading of a statement from `tarih1`: the account and what it carried into that day.
    Database &db = database("CariEkstreVer2Baslik");
    const QDate from = dayParam("CariEkstreVer2Baslik", "tarih1", tarih1);
    JsonWriter w;
    TableEncoder t(w, columns({{"CARINO", I}, {"CARIKOD", S}, {"CARIADI", S}, {"YETKILI", S}, {"ADRES1", S}, {"ADRES2", S},
                               {"ILCE", S}, {"IL", S}, {"TEL1", S}, {"VERGIDAIRESI", S}, {"VERGINO", S}, {"SATICIADI", S},
                               {"VADE", I}, {"TARIH", Day}, {"BORC", D}, {"ALACAK", D}, {"BAKIYE", D}, {"D", S}}));
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT a.id, a.code, a.name, a.contact, a.address1, a.address2, a.district, a.city, a.phone1, a.tax_office, "
        "a.tax_number, COALESCE(r.name, ''), a.due_days, "
        "(SELECT COALESCE(SUM(m.debit), 0) FROM account_movements m WHERE m.account_id = a.id AND m.moved_at < ?), "
        "(SELECT COALESCE(SUM(m.credit), 0) FROM account_movements m WHERE m.account_id = a.id AND m.moved_at < ?) "
        "FROM accounts a LEFT JOIN representatives r ON r.id = a.rep_id WHERE a.id = ?"),
        {isoDate(from), isoDate(from), carino});
    if (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        for (int c = 1; c <= 11; ++c)
            t.addString(q.value(c).toString());
        t.addInt(q.value(12).toInt());
        t.addDate(from);
        const double debit = round2(q.value(13).toDouble());
        const double credit = round2(q.value(14).toDouble());
        t.addDouble(debit);
        t.addDouble(credit);
        t.addDouble(round2(debit - credit));
        t.addString(side(round2(debit - credit)));
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

EncodedTable TServerMethods1::FaturaGetir(qint32 carino, qint32 idnosu)
{
    // The lines of an invoice of the account; another account's invoice has none.
    Database &db = database("FaturaGetir");
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT s.oem_no, s.name, s.code, b.name, s.model, COALESCE(mg.name, g.name), s.unit, "
        "il.quantity, il.unit_price, il.amount, il.ind1, il.ind2, il.vat_rate, il.discount_amount, il.expense_amount, "
        "il.net_unit_price, il.net_amount, s.special_code, s.barcode, i.issued_at, i.kind, i.number, il.vat_amount, "
        "il.ind3, il.ind4, i.currency, i.rate, i.dispatch_no, "
        "(SELECT MAX(d.delivered_at) FROM deliveries d WHERE d.invoice_line_id = il.id), "
        "s.size, s.colour, il.note, i.due_days, ol.order_id, o.ordered_at, a.code, a.id, COALESCE(r.name, ''), "
        "s.maker_code, s.dp_code, s.other_name, s.p_code, i.id "
        "FROM invoice_lines il JOIN invoices i ON i.id = il.invoice_id JOIN accounts a ON a.id = i.account_id "
        "JOIN stocks s ON s.id = il.stock_id JOIN brands b ON b.id = s.brand_id "
        "JOIN product_groups g ON g.id = s.group_id LEFT JOIN product_groups mg ON mg.id = g.parent_id "
        "LEFT JOIN order_lines ol ON ol.id = il.order_line_id LEFT JOIN orders o ON o.id = ol.order_id "
        "LEFT JOIN representatives r ON r.id = i.rep_id "
        "WHERE i.id = ? AND i.account_id = ? ORDER BY il.line_no"),
        {idnosu, carino});
    JsonWriter w;
    TableEncoder t(w, columns({
        {"OEMNO", S}, {"STOKADI", S}, {"FINISHKOD", S}, {"MARKA", S}, {"MODEL", S}, {"ANAGRUP", S}, {"BIRIM", S},
        {"STOKHAR_MIKTAR", D}, {"STOKHAR_TLBIRIMFIYATI", D}, {"STOKHAR_TLTUTAR", D}, {"STOKHAR_INDIRIM1", D},
        {"STOKHAR_INDIRIM2", D}, {"KDV", D}, {"STOKHAR_TOPLAMINDIRIM", D}, {"STOKHAR_TOPLAMMASRAF", D},
        {"STOKHAR_NETTLBIRIMFIYATI", D}, {"STOKHAR_NETTLTUTAR", D},
        {"OZELKOD", S}, {"BARKOD", S}, {"STOKHAR_HAREKETTARIHI", Day}, {"STOKHAR_HAREKETTIPI2", S}, {"EVRAKNO", S},
        {"STOKHAR_TLVERGI", D}, {"STOKHAR_INDIRIM3", D}, {"STOKHAR_INDIRIM4", D}, {"STOKHAR_INDIRIM5", D},
        {"STOKHAR_INDIRIM6", D}, {"STOKHAR_INDIRIM7", D}, {"STOKHAR_INDIRIM8", D}, {"STOKHAR_DOVIZBIRIMFIYATI", D},
        {"STOKHAR_DOVIZVERGI", D}, {"STOKHAR_DOVIZTUTAR", D}, {"IRSALIYEEVRAKNO", S}, {"STOKHAR_IRSTARIHI", Day},
        {"STOKHAR_PARTI", S}, {"STOKHAR_BEDEN", S}, {"STOKHAR_RENK", S}, {"SATIRACIKLMASI", S}, {"STOKHAR_MASRAF1", D},
        {"STOKHAR_MASRAF2", D}, {"STOKHAR_DOVIZTOPLAMINDIRIM", D}, {"STOKHAR_DOVIZTOPLAMMASRAF", D}, {"STOKHAR_SAAT", S},
        {"STOKHAR_NETDOVIZBIRIMFIYATI", D}, {"STOKHAR_NETDOVIZTUTAR", D}, {"STOKHAR_KURTL", D}, {"STOKHAR_VADE", I},
        {"SIPARISTIPI", S}, {"SIPARISEVRAKNO", S}, {"SIPARISTARIHI", Day}, {"IRSALIYETIPINO", I}, {"IRSALIYETIP2", S},
        {"STOKCARIKOD", S}, {"SUBE_NO", I}, {"STOKHAR_CARINO", I}, {"KUR_KURSIMGE", S}, {"SATICIADI", S},
        {"URETICIKODU", S}, {"DPKOD", S}, {"ENADI", S}, {"PKOD", S}, {"BELGENO", S}, {"IDNO", I},
    }));
    while (q.next()) {
        int c = 0;
        auto v = [&q, &c] { return q.value(c++); };
        t.beginRow();
        for (int k = 0; k < 7; ++k) // OEMNO .. BIRIM
            t.addString(v().toString());
        const double quantity = v().toDouble();
        const double unitPrice = v().toDouble();
        const double amount = v().toDouble();
        t.addDouble(quantity);
        t.addDouble(unitPrice);
        t.addDouble(amount);
        t.addDouble(v().toDouble()); // INDIRIM1
        t.addDouble(v().toDouble()); // INDIRIM2
        t.addDouble(v().toDouble()); // KDV
        const double discount = v().toDouble();
        const double expense = v().toDouble();
        const double netUnitPrice = v().toDouble();
        const double net = v().toDouble();
        t.addDouble(discount);
        t.addDouble(expense);
        t.addDouble(netUnitPrice);
        t.addDouble(net);
        t.addString(v().toString()); // OZELKOD
        t.addString(v().toString()); // BARKOD
        const QVariant issuedAt = v();
        t.addDate(dateOf(issuedAt));
        t.addString(v().toString()); // kind
        const QString number = v().toString();
        t.addString(number);
        const double vat = v().toDouble();
        t.addDouble(vat);
        t.addDouble(v().toDouble()); // INDIRIM3
        t.addDouble(v().toDouble()); // INDIRIM4
        for (int k = 5; k <= 8; ++k)
            t.addDouble(0);
        // Amounts in the invoice's currency; a Turkish lira invoice has none.
        const QString currency = v().toString();
        const double rate = v().toDouble();
        const bool foreign = currency != QLatin1String("TL") && rate > 0;
        auto inCurrency = [&](double tl) { return foreign ? round2(tl / rate) : 0.0; };
        t.addDouble(inCurrency(unitPrice));
        t.addDouble(inCurrency(vat));
        t.addDouble(inCurrency(amount));
        const QString dispatchNo = v().toString();
        t.addString(dispatchNo);
        const QVariant deliveredAt = v();
        t.addDate(deliveredAt.isNull() ? dateOf(issuedAt) : dateOf(deliveredAt));
        t.addString(QString());      // PARTI
        t.addString(v().toString()); // BEDEN
        t.addString(v().toString()); // RENK
        t.addString(v().toString()); // SATIRACIKLMASI
        t.addDouble(0);              // MASRAF1
        t.addDouble(0);              // MASRAF2
        t.addDouble(inCurrency(discount));
        t.addDouble(inCurrency(expense));
        t.addString(timeOf(issuedAt));
        t.addDouble(inCurrency(netUnitPrice));
        t.addDouble(inCurrency(net));
        t.addDouble(rate);
        t.addInt(v().toInt()); // VADE
        const QVariant orderId = v();
        const QVariant orderedAt = v();
        t.addString(orderId.isNull() ? QString() : QStringLiteral("Alınan Sipariş"));
        t.addString(orderId.isNull() ? QString() : QString::number(orderId.toInt()));
        if (orderedAt.isNull())
            t.addNull();
        else
            t.addDate(dateOf(orderedAt));
        t.addInt(dispatchNo.isEmpty() ? 0 : 1);
        t.addString(dispatchNo.isEmpty() ? QString() : QStringLiteral("Satış İrsaliyesi"));
        t.addString(v().toString()); // STOKCARIKOD
        t.addInt(0);                 // SUBE_NO: one branch
        t.addInt(v().toInt());       // STOKHAR_CARINO
        t.addString(currency);
        for (int k = 0; k < 5; ++k) // SATICIADI, URETICIKODU, DPKOD, ENADI, PKOD
            t.addString(v().toString());
        t.addString(number);   // BELGENO
        t.addInt(v().toInt()); // IDNO
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

EncodedTable TServerMethods1::FaturaAltGetir(qint32 idnosu)
{
    // The totals row of an invoice, as it was issued.
    Database &db = database("FaturaAltGetir");
    JsonWriter w;
    TableEncoder t(w, columns({{"IDNO", I}, {"EVRAKNO", S}, {"TURADI", S}, {"TARIH", Day}, {"VADE", I}, {"VADETARIHI", Day},
                               {"KUR", S}, {"KURTL", D}, {"SATIRSAYISI", I}, {"TOPLAMMIKTAR", D}, {"TOPLAM", D},
                               {"TOPLAMINDIRIM", D}, {"TOPLAMMASRAF", D}, {"MATRAH", D}, {"KDVTUTAR", D}, {"KDVDAHIL", D},
                               {"SATICIADI", S}, {"IRSALIYEEVRAKNO", S}}));
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT i.id, i.number, i.kind, i.issued_at, i.due_days, i.due_date, i.currency, i.rate, "
        "(SELECT COUNT(*) FROM invoice_lines il WHERE il.invoice_id = i.id), "
        "(SELECT COALESCE(SUM(il.quantity), 0) FROM invoice_lines il WHERE il.invoice_id = i.id), "
        "i.total, i.discount_total, "
        "(SELECT COALESCE(SUM(il.expense_amount), 0) FROM invoice_lines il WHERE il.invoice_id = i.id), "
        "i.net_total, i.vat_total, i.grand_total, COALESCE(r.name, ''), i.dispatch_no "
        "FROM invoices i LEFT JOIN representatives r ON r.id = i.rep_id WHERE i.id = ?"),
        {idnosu});
    if (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addDate(dateOf(q.value(3)));
        t.addInt(q.value(4).toInt());
        t.addDate(dateOf(q.value(5)));
        t.addString(q.value(6).toString());
        t.addDouble(q.value(7).toDouble());
        t.addInt(q.value(8).toInt());
        t.addDouble(roundHalfAwayFromZero(q.value(9).toDouble(), 3));
        for (int c = 10; c <= 15; ++c)
            t.addDouble(round2(q.value(c).toDouble()));
        t.addString(q.value(16).toString());
        t.addString(q.value(17).toString());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

EncodedTable TServerMethods1::Tahsilat(qint32 idnosu)
{
    // The pieces of a collection (or payment): one row per cheque, note or transfer.
    Database &db = database("Tahsilat");
    JsonWriter w;
    TableEncoder t(w, columns({{"Tarih", Day}, {"Türü", S}, {"Cins", S}, {"Vade", Day}, {"Tutar", D}, {"Açıklama", S},
                               {"EvrakNo", S}, {"Kur", S}, {"KurTL", D}, {"Döviz Tutar", D}, {"Ref", S}, {"Saat", S}}));
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT c.received_at, c.kind, i.method, i.due_date, i.amount, "
        "CASE WHEN i.description <> '' THEN i.description ELSE c.description END, i.document_no, c.currency, c.rate, "
        "i.reference FROM collection_items i JOIN collections c ON c.id = i.collection_id "
        "WHERE c.id = ? ORDER BY i.due_date, i.id"),
        {idnosu});
    while (q.next()) {
        const QString currency = q.value(7).toString();
        const double rate = q.value(8).toDouble();
        const double amount = q.value(4).toDouble();
        t.beginRow();
        t.addDate(dateOf(q.value(0)));
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addDate(dateOf(q.value(3)));
        t.addDouble(amount);
        t.addString(q.value(5).toString());
        t.addString(q.value(6).toString());
        t.addString(currency);
        t.addDouble(rate);
        t.addDouble(currency != QLatin1String("TL") && rate > 0 ? round2(amount / rate) : 0.0);
        t.addString(q.value(9).toString());
        t.addString(timeOf(q.value(0)));
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

qint32 TServerMethods1::SanalposSiranoVer(qint32 idnosu)
{
    // The web payment a collection came from; 0 for one paid otherwise.
    return database("SanalposSiranoVer")
        .scalar(QStringLiteral("SELECT COALESCE(web_payment_id, 0) FROM collections WHERE id = ?"), {idnosu})
        .value_or(0)
        .toInt();
}

QByteArray TServerMethods1::SAnalPosPdfVer(qint32 sirano, qint64 &boy)
{
    Database &db = database("SAnalPosPdfVer");
    requireDocuments("SAnalPosPdfVer");
    return pdfResult(webPaymentReceiptPdf(db, sirano), boy);
}

QByteArray TServerMethods1::BelgeIndir(qint32 sirano, qint64 &size, QString &adi)
{
    // Without a session record only the files for every account.
    return documentContent(database("BelgeIndir"), sirano, 0, size, adi);
}

QByteArray TServerMethods1::BelgeIndir2(qint32 sirano, qint64 &size, QString &adi, std::unique_ptr<TSonucBilgisi> bilgi)
{
    Database &db = database("BelgeIndir2");
    const Session s = sessionFor(bilgi.get());
    return documentContent(db, sirano, s.accountId, size, adi);
}

// ---------------------------------------------------------------------------------------------
// Reports

QByteArray TServerMethods1::RaporGetir(qint32 raporno, qint32 bolum, qint32 idno, qint32 carino, const QString &saticiadi,
                                       double tarih1, double tarih2, qint64 &size)
{
    // `idno` is the user asking: it decides which accounts the report may show. The names in
    // the report come from the data, so `saticiadi` (the text the window had at hand) is not
    // needed. The customer selection sends the report number as `bolum` too.
    Database &db = database("RaporGetir");
    if (raporno != kReportAccountSummary && raporno != kReportAccountSales)
        throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı rapor yok").arg(raporno), 404);
    if (bolum != 0 && bolum != raporno)
        throw paramError("RaporGetir", QStringLiteral("%1 numaralı raporun %2 numaralı bölümü yok").arg(raporno).arg(bolum));
    const auto [from, to] = rangeParam("RaporGetir", tarih1, tarih2);
    const ReportUser user = reportUser(db, idno);
    requireDocuments("RaporGetir");

    if (carino <= 0) {
        if (raporno != kReportAccountSummary)
            throw paramError("RaporGetir", QStringLiteral("%1 numaralı rapor bir cari için alınır").arg(raporno));
        if (!user.representative())
            throw CallError(kSessionErrorClass, QStringLiteral("Toplu cari raporu yalnızca satış temsilcileri alabilir"), 403);
        // The sales manager sees every representative's accounts, a representative their own.
        return pdfResult(receivablesPdf(db, user.kind == 2 ? 0 : user.repId, from), size);
    }
    const std::optional<QVariant> accountRep = db.scalar(QStringLiteral("SELECT COALESCE(rep_id, 0) FROM accounts WHERE id = ?"),
                                                         {carino});
    const bool allowed = accountRep
        && (user.representative() ? accountRep->toInt() == user.repId : carino == user.accountId);
    if (!allowed)
        throw CallError(kSessionErrorClass, QStringLiteral("%1 numaralı cari için yetkiniz yok").arg(carino), 403);
    if (raporno == kReportAccountSummary)
        return pdfResult(accountSummaryPdf(db, carino, from), size);
    return pdfResult(accountSalesPdf(db, carino, from, to), size);
}

EncodedTable TServerMethods1::RaporAlinanSiparisler(std::unique_ptr<TSonucBilgisi> bilgi, double tarih1, double tarih2)
{
    // The orders taken in the range, cancelled ones left out, with their amounts as the
    // previous-orders list gives them: TUTAR before the discounts, NETTUTAR after them, VERGI
    // the VAT and GENELTOPLAM what the order comes to.
    Database &db = database("RaporAlinanSiparisler");
    const auto [from, to] = rangeParam("RaporAlinanSiparisler", tarih1, tarih2);
    const Session s = sessionFor(bilgi.get());
    const ReportScope scope = scopeOf(s, QStringLiteral("o.rep_id"), QStringLiteral("o.account_id"));
    std::vector<QVariant> params{isoDate(from), isoDate(to.addDays(1)), int(OrderStatus::Iptal)};
    params.insert(params.end(), scope.params.begin(), scope.params.end());
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT COALESCE(r.name, ''), o.id, a.id, o.ordered_at, o.currency, o.rate, u.id, COALESCE(ck.name, ''), "
        "COALESCE(dk.name, ''), COALESCE(NULLIF(u.full_name, ''), u.name), a.code, a.name, st.name, COALESCE(cf.name, ''), "
        "l.quantity, l.unit_price, l.ind1, l.ind2, l.ind3, l.ind4, l.vat_rate "
        "FROM orders o JOIN accounts a ON a.id = o.account_id JOIN users u ON u.id = o.user_id "
        "JOIN order_statuses st ON st.id = o.status_id JOIN order_lines l ON l.order_id = o.id "
        "LEFT JOIN representatives r ON r.id = o.rep_id LEFT JOIN cargo_kinds ck ON ck.id = o.cargo_kind_id "
        "LEFT JOIN delivery_kinds dk ON dk.id = o.delivery_kind_id LEFT JOIN cargo_firms cf ON cf.id = o.cargo_firm_id "
        "WHERE o.ordered_at >= ? AND o.ordered_at < ? AND o.status_id <> ? AND ") + scope.where
        + QStringLiteral(" ORDER BY COALESCE(r.name, ''), o.ordered_at, o.id, l.line_no"),
        params);
    JsonWriter w;
    TableEncoder t(w, columns({{"SATICIADI", S}, {"IDNO", D}, {"CARINO", I}, {"TARIH", Day}, {"KUR", S}, {"KURTL", D},
                               {"VERENIDNO", I}, {"KARGO", S}, {"TESLIM", S}, {"VEREN", S}, {"CARIKOD", S}, {"CARIADI", S},
                               {"DURUM", S}, {"KARGOADI", S}, {"VERGI", D}, {"NETTUTAR", D}, {"TUTAR", D},
                               {"INDIRIMTUTAR", D}, {"GENELTOPLAM", D}}));
    // The query gives one row per line; an order's row is written once its last line is read.
    std::vector<QVariant> header;
    LineAmounts sum;
    auto flush = [&] {
        if (header.empty())
            return;
        t.beginRow();
        t.addString(header[0].toString());
        t.addDouble(header[1].toInt());
        t.addInt(header[2].toInt());
        t.addDate(dateOf(header[3]));
        t.addString(header[4].toString());
        t.addDouble(header[5].toDouble());
        t.addInt(header[6].toInt());
        for (int k = 7; k <= 13; ++k)
            t.addString(header[size_t(k)].toString());
        t.addDouble(sum.vat);
        t.addDouble(sum.net);
        t.addDouble(sum.amount);
        t.addDouble(sum.discount);
        t.addDouble(sum.total);
        t.endRow();
        header.clear();
        sum = LineAmounts();
    };
    while (q.next()) {
        if (!header.empty() && header[1].toInt() != q.value(1).toInt())
            flush();
        if (header.empty()) {
            for (int k = 0; k <= 13; ++k)
                header.push_back(q.value(k));
        }
        Discounts d;
        for (size_t k = 0; k < 4; ++k)
            d.rates[k] = q.value(16 + int(k)).toDouble();
        const LineAmounts a = dialogLineAmounts(q.value(14).toDouble(), q.value(15).toDouble(), d, q.value(20).toDouble());
        sum.amount = round2(sum.amount + a.amount);
        sum.discount = round2(sum.discount + a.discount);
        sum.net = round2(sum.net + a.net);
        sum.vat = round2(sum.vat + a.vat);
        sum.total = round2(sum.total + a.total);
    }
    flush();
    t.finish();
    return {w.take()};
}

EncodedTable TServerMethods1::RaporEnCokSatilanStoklar(std::unique_ptr<TSonucBilgisi> bilgi, double tarih1, double tarih2)
{
    // What was sold in the range, by stock: sales invoices less returns, the most sold first.
    Database &db = database("RaporEnCokSatilanStoklar");
    const auto [from, to] = rangeParam("RaporEnCokSatilanStoklar", tarih1, tarih2);
    const Session s = sessionFor(bilgi.get());
    const ReportScope scope = scopeOf(s, QStringLiteral("i.rep_id"), QStringLiteral("i.account_id"));
    std::vector<QVariant> params{kMovementReturnInvoice, kMovementReturnInvoice, kMovementReturnInvoice, isoDate(from),
                                 isoDate(to.addDays(1))};
    params.insert(params.end(), scope.params.begin(), scope.params.end());
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT s.barcode, s.code, s.name, d.name, "
        "SUM(CASE WHEN i.kind = ? THEN -il.quantity ELSE il.quantity END), "
        "SUM(CASE WHEN i.kind = ? THEN -il.net_amount ELSE il.net_amount END), "
        "SUM(CASE WHEN i.kind = ? THEN -il.vat_amount ELSE il.vat_amount END) "
        "FROM invoice_lines il JOIN invoices i ON i.id = il.invoice_id JOIN stocks s ON s.id = il.stock_id "
        "JOIN departments d ON d.id = s.department_id "
        "WHERE i.issued_at >= ? AND i.issued_at < ? AND ") + scope.where
        + QStringLiteral(" GROUP BY s.id"),
        params);
    struct Row
    {
        QString barcode, code, name, department;
        double quantity, net, vat;
    };
    std::vector<Row> rows;
    while (q.next()) {
        Row r{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
              roundHalfAwayFromZero(q.value(4).toDouble(), 3), round2(q.value(5).toDouble()), round2(q.value(6).toDouble())};
        if (r.quantity != 0 || r.net != 0)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end(), [](const Row &x, const Row &y) {
        if (x.quantity != y.quantity)
            return x.quantity > y.quantity;
        if (x.net != y.net)
            return x.net > y.net;
        return x.code < y.code;
    });
    JsonWriter w;
    TableEncoder t(w, columns({{"BARKOD", S}, {"KOD", S}, {"ADI", S}, {"DEPARTMAN", S}, {"MIKTAR", D}, {"NETTUTAR", D},
                               {"TLVERGI", D}, {"TUTAR", D}}));
    for (const Row &r : rows) {
        t.beginRow();
        t.addString(r.barcode);
        t.addString(r.code);
        t.addString(r.name);
        t.addString(r.department);
        t.addDouble(r.quantity);
        t.addDouble(r.net);
        t.addDouble(r.vat);
        t.addDouble(round2(r.net + r.vat));
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

// ---------------------------------------------------------------------------------------------
// Files

QByteArray TServerMethods1::DosyaIndir(qint64 &size)
{
    // The newest file for every account.
    Database &db = database("DosyaIndir");
    const std::optional<QVariant> id = db.scalar(QStringLiteral(
        "SELECT id FROM documents WHERE account_id IS NULL ORDER BY created_at DESC, id DESC LIMIT 1"));
    QString name;
    return documentContent(db, id ? id->toInt() : 0, 0, size, name);
}

EncodedTable TServerMethods1::DosyaListesi()
{
    return documentList(database("DosyaListesi"), false);
}

EncodedTable TServerMethods1::DosyaListesi2()
{
    return documentList(database("DosyaListesi2"), true);
}

QByteArray TServerMethods1::ParvexaVer()
{
    // The catalogue for parts programs: every active stock with its codes, list price and
    // status, as UTF-8 text separated by semicolons.
    Database &db = database("ParvexaVer");
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT s.code, s.barcode, s.maker_code, s.oem_no, s.name, b.name, s.model, s.unit, s.vat_rate, s.list_price, s.status "
        "FROM stocks s JOIN brands b ON b.id = s.brand_id WHERE s.active = 1 ORDER BY s.code"));
    QString text = QStringLiteral("STOKKODU;BARKOD;URETICIKODU;OEMNO;ADI;MARKA;MODEL;BIRIM;KDV;LISTEFIYATI;DURUM\n");
    while (q.next()) {
        QStringList fields;
        for (int c = 0; c < 8; ++c)
            fields << csvField(q.value(c).toString());
        fields << QString::number(q.value(8).toDouble(), 'g', 6) << QString::number(q.value(9).toDouble(), 'f', 2)
               << QString::number(q.value(10).toInt());
        text += fields.join(QLatin1Char(';')) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

} // namespace vexor
