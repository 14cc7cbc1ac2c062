// Cart and orders: the account's cart on the server, the delivery and cargo choices, turning
// the marked cart lines into an order, the orders with their lines and footer, the account's
// due and order-taking state, and the time rule that moves orders through their statuses.
#include "dispatch.h"
#include "servermethods.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"

#include "common/formats.h"
#include "common/memtable.h"
#include "server/tablecodec.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <functional>
#include <map>
#include <mutex>

namespace vexor {

namespace {

const QString kSessionErrorClass = QStringLiteral("EVexorSessionError");
const QString kCartErrorClass = QStringLiteral("EVexorCartError");
const QString kOrderErrorClass = QStringLiteral("EVexorOrderError");
const QString kNotFoundClass = QStringLiteral("EVexorNotFound");

// Bounds of what one call may write: far beyond any real order, low enough that amounts stay
// exact in a double.
constexpr double kMaxQuantity = 1'000'000;
constexpr double kMaxUnitPrice = 1'000'000'000;
constexpr int kMaxNoteLength = 2000;

CallError sessionError(const QString &message)
{
    return CallError(kSessionErrorClass, message, 403);
}

CallError cartRefusal(const QString &message)
{
    return CallError(kCartErrorClass, message, 400);
}

CallError orderRefusal(const QString &message)
{
    return CallError(kOrderErrorClass, message, 400);
}

double round2(double value)
{
    return roundHalfAwayFromZero(value, 2);
}

double round3(double value)
{
    return roundHalfAwayFromZero(value, 3);
}

QDateTime storedDateTime(const QVariant &value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODate);
}

QString moneyText(double value)
{
    return formatNumber(value, kTutarBicimi, QLocale(QLocale::Turkish, QLocale::Turkey));
}

// The amounts of one cart or order line, derived exactly as the stock dialog derives the
// figures it shows while the quantity is typed, so that the cart repeats them to the cent:
//   TUTAR          quantity x unit price
//   NETTUTAR       that amount after the successive discounts
//   INDIRIMTUTAR   TUTAR - NETTUTAR, so that "Toplam" less "İndirim" is "Ara Toplam"
//   NETBIRIMFIYAT  NETTUTAR / quantity
//   KDVLITUTAR     the VAT-inclusive unit price (NETBIRIMFIYAT with VAT) x quantity: the
//                  dialog's "Tutar"
//   VERGITUTARI    KDVLITUTAR - NETTUTAR
// Every figure is rounded to two decimals, halves away from zero.
using CartAmounts = LineAmounts;

CartAmounts cartAmounts(double quantity, double unitPrice, const Discounts &discounts, double vatRate)
{
    return dialogLineAmounts(quantity, unitPrice, discounts, vatRate);
}

// One cart or order line with its stock, as the line tables and the mobile records show it.
struct LineRow
{
    int id = 0;
    int accountId = 0;
    QString accountCode;
    QString accountName;
    int stockId = 0;
    int userId = 0;
    QString giver;
    double quantity = 0;
    double unitPrice = 0;
    double vatRate = 0;
    double ind1 = 0;
    double ind2 = 0;
    double ind3 = 0;
    double ind4 = 0;
    int campaign = 0;
    int selected = 0;
    QString currency;
    double rate = 1;
    QString note;
    QDateTime at;
    QString time;

    QString barcode;
    QString code;
    QString oemNo;
    QString oem1;
    QString oem2;
    QString oem3;
    QString oem4;
    QString name;
    QString otherName;
    QString makerCode;
    QString dpCode;
    QString pCode;
    QString specialCode;
    QString model;
    int stockStatus = 0;
    double stockQuantity = 0;
    int hasPicture = 0;
    QString brand;
    QString mainGroup;
    QString subGroup;

    // Order lines only; a cart line has none of these yet.
    int orderId = 0;
    int lineNo = 0;
    int transferred = 0;
    double delivered = 0;
    double cancelled = 0;
    double open = 0;
    int orderStatus = 0;
    QString orderStatusName;
    int deliveryKindId = 0;
    QString deliveryKind;
    int cargoKindId = 0;
    QString cargoKind;
    QString cargoFirm;

    double amount = 0;
    double discount = 0;
    double net = 0;
    double netUnitPrice = 0;
    double vat = 0;
    double total = 0;
    QString discountText;
};

// The select lists of the line queries: the line itself (20 columns), its stock (20 columns)
// and, for order lines, the order (12 columns).
const QString kStockColumns = QStringLiteral(
    "s.barcode, s.code, s.oem_no, s.oem1, s.oem2, s.oem3, s.oem4, s.name, s.other_name, s.maker_code, s.dp_code, "
    "s.p_code, s.special_code, s.model, s.status, s.quantity, s.picture_id IS NOT NULL, b.name, mg.name, g.name");
const QString kStockJoins = QStringLiteral(
    "JOIN brands b ON b.id = s.brand_id JOIN product_groups g ON g.id = s.group_id "
    "LEFT JOIN product_groups mg ON mg.id = g.parent_id");

const QString kCartLineQuery = QStringLiteral(
    "SELECT c.id, c.account_id, a.code, a.name, c.stock_id, c.user_id, COALESCE(NULLIF(u.full_name, ''), u.name), "
    "c.quantity, c.unit_price, c.vat_rate, c.ind1, c.ind2, c.ind3, c.ind4, c.campaign, c.selected, c.currency, c.rate, "
    "c.note, c.added_at, ") + kStockColumns + QStringLiteral(
    " FROM cart_lines c JOIN accounts a ON a.id = c.account_id JOIN users u ON u.id = c.user_id "
    "JOIN stocks s ON s.id = c.stock_id ") + kStockJoins;

const QString kOrderLineQuery = QStringLiteral(
    "SELECT ol.id, o.account_id, a.code, a.name, ol.stock_id, o.user_id, COALESCE(NULLIF(u.full_name, ''), u.name), "
    "ol.quantity, ol.unit_price, ol.vat_rate, ol.ind1, ol.ind2, ol.ind3, ol.ind4, ol.campaign, 0, o.currency, o.rate, "
    "ol.note, o.ordered_at, ") + kStockColumns + QStringLiteral(
    ", o.id, ol.line_no, ol.delivered, ol.cancelled, o.status_id, st.name, o.delivery_kind_id, dk.name, "
    "o.cargo_kind_id, ck.name, cf.name "
    "FROM order_lines ol JOIN orders o ON o.id = ol.order_id JOIN accounts a ON a.id = o.account_id "
    "JOIN users u ON u.id = o.user_id JOIN order_statuses st ON st.id = o.status_id "
    "LEFT JOIN delivery_kinds dk ON dk.id = o.delivery_kind_id LEFT JOIN cargo_kinds ck ON ck.id = o.cargo_kind_id "
    "LEFT JOIN cargo_firms cf ON cf.id = o.cargo_firm_id JOIN stocks s ON s.id = ol.stock_id ") + kStockJoins;

LineRow readLine(const QSqlQuery &q, bool orderLine)
{
    LineRow r;
    r.id = q.value(0).toInt();
    r.accountId = q.value(1).toInt();
    r.accountCode = q.value(2).toString();
    r.accountName = q.value(3).toString();
    r.stockId = q.value(4).toInt();
    r.userId = q.value(5).toInt();
    r.giver = q.value(6).toString();
    r.quantity = q.value(7).toDouble();
    r.unitPrice = q.value(8).toDouble();
    r.vatRate = q.value(9).toDouble();
    r.ind1 = q.value(10).toDouble();
    r.ind2 = q.value(11).toDouble();
    r.ind3 = q.value(12).toDouble();
    r.ind4 = q.value(13).toDouble();
    r.campaign = q.value(14).toInt();
    r.selected = q.value(15).toInt();
    r.currency = q.value(16).toString();
    r.rate = q.value(17).toDouble();
    r.note = q.value(18).toString();
    r.at = storedDateTime(q.value(19));
    r.time = r.at.toString(QStringLiteral("HH:mm"));

    r.barcode = q.value(20).toString();
    r.code = q.value(21).toString();
    r.oemNo = q.value(22).toString();
    r.oem1 = q.value(23).toString();
    r.oem2 = q.value(24).toString();
    r.oem3 = q.value(25).toString();
    r.oem4 = q.value(26).toString();
    r.name = q.value(27).toString();
    r.otherName = q.value(28).toString();
    r.makerCode = q.value(29).toString();
    r.dpCode = q.value(30).toString();
    r.pCode = q.value(31).toString();
    r.specialCode = q.value(32).toString();
    r.model = q.value(33).toString();
    r.stockStatus = q.value(34).toInt();
    r.stockQuantity = q.value(35).toDouble();
    r.hasPicture = q.value(36).toInt();
    r.brand = q.value(37).toString();
    r.mainGroup = q.value(38).toString();
    r.subGroup = q.value(39).toString();

    if (orderLine) {
        r.orderId = q.value(40).toInt();
        r.lineNo = q.value(41).toInt();
        r.transferred = 1;
        r.delivered = q.value(42).toDouble();
        r.cancelled = q.value(43).toDouble();
        r.open = round3(r.quantity - r.delivered - r.cancelled);
        r.orderStatus = q.value(44).toInt();
        r.orderStatusName = q.value(45).toString();
        r.deliveryKindId = q.value(46).toInt();
        r.deliveryKind = q.value(47).toString();
        r.cargoKindId = q.value(48).toInt();
        r.cargoKind = q.value(49).toString();
        r.cargoFirm = q.value(50).toString();
    }

    Discounts d;
    d.rates = {r.ind1, r.ind2, r.ind3, r.ind4};
    const CartAmounts a = cartAmounts(r.quantity, r.unitPrice, d, r.vatRate);
    r.amount = a.amount;
    r.discount = a.discount;
    r.net = a.net;
    r.netUnitPrice = a.netUnitPrice;
    r.vat = a.vat;
    r.total = a.total;
    // A campaign price is net: it reads "NET" unless someone gave a discount on it after all.
    r.discountText = discountText(d, r.campaign != 0 && !d.any());
    return r;
}

std::vector<LineRow> loadLines(Database &db, const QString &sql, std::initializer_list<QVariant> params, bool orderLines)
{
    std::vector<LineRow> rows;
    QSqlQuery q = db.exec(sql, params);
    while (q.next())
        rows.push_back(readLine(q, orderLines));
    return rows;
}

std::vector<LineRow> cartLines(Database &db, int accountId)
{
    return loadLines(db, kCartLineQuery + QStringLiteral(" WHERE c.account_id = ? ORDER BY c.id"), {accountId}, false);
}

// A column of a result table: its name, its kind and how a row fills it. Each table is declared
// once as a list of these.
template<class Row>
struct Column
{
    const char *name;
    FieldType type;
    std::function<void(TableEncoder &, const Row &)> put;
};

template<class Row>
Column<Row> col(const char *name, int Row::*member)
{
    return {name, FieldType::Int32, [member](TableEncoder &t, const Row &r) { t.addInt(r.*member); }};
}

template<class Row>
Column<Row> col(const char *name, double Row::*member)
{
    return {name, FieldType::Double, [member](TableEncoder &t, const Row &r) { t.addDouble(r.*member); }};
}

template<class Row>
Column<Row> col(const char *name, QString Row::*member)
{
    return {name, FieldType::String, [member](TableEncoder &t, const Row &r) { t.addString(r.*member); }};
}

// A date column (the day) or a date-time column (day and time of day).
template<class Row>
Column<Row> dateCol(const char *name, QDateTime Row::*member, FieldType type)
{
    return {name, type, [member](TableEncoder &t, const Row &r) { t.addDateTime(r.*member); }};
}

template<class Row>
EncodedTable encodeRows(const std::vector<Column<Row>> &columns, const std::vector<Row> &rows)
{
    std::vector<FieldDef> defs;
    defs.reserve(columns.size());
    for (const Column<Row> &c : columns)
        defs.push_back({QString::fromLatin1(c.name), c.type, {}});
    JsonWriter w;
    TableEncoder t(w, defs);
    for (const Row &r : rows) {
        t.beginRow();
        for (const Column<Row> &c : columns)
            c.put(t, r);
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

// The cart's table, in the order of its grid.
const std::vector<Column<LineRow>> &cartColumns()
{
    using R = LineRow;
    static const std::vector<Column<R>> columns = {
        col("SEC", &R::selected),
        dateCol("VERILISTARIHI", &R::at, FieldType::DateTime),
        col("SIRANO", &R::id),
        col("SIPARISNO", &R::orderId),
        col("CARINO", &R::accountId),
        dateCol("TARIH", &R::at, FieldType::Date),
        col("AKTAR", &R::transferred),
        col("STOKNO", &R::stockId),
        col("BARKOD", &R::barcode),
        col("FINISHKOD", &R::code),
        col("OEMNO", &R::oemNo),
        col("STOKADI", &R::name),
        col("MIKTAR", &R::quantity),
        col("BIRIMFIYAT", &R::unitPrice),
        col("TUTAR", &R::amount),
        col("INDIRIMYAZI", &R::discountText),
        col("INDIRIMORANI1", &R::ind1),
        col("INDIRIMORANI2", &R::ind2),
        col("INDIRIMORANI3", &R::ind3),
        col("INDIRIMTUTAR", &R::discount),
        col("NETBIRIMFIYAT", &R::netUnitPrice),
        col("KDV", &R::vatRate),
        col("VERGITUTARI", &R::vat),
        col("NETTUTAR", &R::net),
        col("KDVLITUTAR", &R::total),
        col("KUR", &R::currency),
        col("KURTL", &R::rate),
        col("VERENIDNO", &R::userId),
        col("SAAT", &R::time),
        col("TESLIMID", &R::deliveryKindId),
        col("KARGOID", &R::cargoKindId),
        col("ACIKLAMA", &R::note),
        col("IDNO", &R::orderId),
        col("VERENSIRANO", &R::userId),
        col("VEREN", &R::giver),
        col("CARIKOD", &R::accountCode),
        col("CARIADI", &R::accountName),
        col("OEM1", &R::oem1),
        col("OEM2", &R::oem2),
        col("OEM3", &R::oem3),
        col("OEM4", &R::oem4),
        col("STOK_STOKNO", &R::stockId),
        col("URETICIKODU", &R::makerCode),
        col("DIGERADI", &R::otherName),
        col("DPKOD", &R::dpCode),
        col("MARKA", &R::brand),
        col("MODEL", &R::model),
        col("ANAGRUP", &R::mainGroup),
        col("ALTGRUP", &R::subGroup),
        col("OZELKOD", &R::specialCode),
        col("PKOD", &R::pCode),
        col("DURUM", &R::stockStatus),
        col("KALAN", &R::stockQuantity), // in the depot
        col("INDIRIMORANI4", &R::ind4),
        col("K", &R::campaign),
        col("RESIM", &R::hasPicture),
    };
    return columns;
}

// The lines of orders (order detail, all orders of the account): KALAN is the open balance
// of the line here, ELDEKI what the depot holds, DURUM the stock's status.
const std::vector<Column<LineRow>> &orderLineColumns()
{
    using R = LineRow;
    static const std::vector<Column<R>> columns = {
        dateCol("VERILISTARIHI", &R::at, FieldType::DateTime),
        col("SIRANO", &R::id),
        col("SIPARISNO", &R::orderId),
        col("SATIRNO", &R::lineNo),
        col("CARINO", &R::accountId),
        dateCol("TARIH", &R::at, FieldType::Date),
        col("AKTAR", &R::transferred),
        col("STOKNO", &R::stockId),
        col("BARKOD", &R::barcode),
        col("FINISHKOD", &R::code),
        col("OEMNO", &R::oemNo),
        col("STOKADI", &R::name),
        col("MIKTAR", &R::quantity),
        col("BIRIMFIYAT", &R::unitPrice),
        col("TUTAR", &R::amount),
        col("INDIRIMYAZI", &R::discountText),
        col("INDIRIMORANI1", &R::ind1),
        col("INDIRIMORANI2", &R::ind2),
        col("INDIRIMORANI3", &R::ind3),
        col("INDIRIMORANI4", &R::ind4),
        col("INDIRIMTUTAR", &R::discount),
        col("NETBIRIMFIYAT", &R::netUnitPrice),
        col("KDV", &R::vatRate),
        col("VERGITUTARI", &R::vat),
        col("NETTUTAR", &R::net),
        col("KDVLITUTAR", &R::total),
        col("TESLIMEDILEN", &R::delivered),
        col("IPTALEDILEN", &R::cancelled),
        col("KALAN", &R::open),
        col("KUR", &R::currency),
        col("KURTL", &R::rate),
        col("VERENIDNO", &R::userId),
        col("SAAT", &R::time),
        col("TESLIMID", &R::deliveryKindId),
        col("TESLIM", &R::deliveryKind),
        col("KARGOID", &R::cargoKindId),
        col("KARGO", &R::cargoKind),
        col("KARGOADI", &R::cargoFirm),
        col("ACIKLAMA", &R::note),
        col("IDNO", &R::orderId),
        col("VERENSIRANO", &R::userId),
        col("VEREN", &R::giver),
        col("CARIKOD", &R::accountCode),
        col("CARIADI", &R::accountName),
        col("OEM1", &R::oem1),
        col("OEM2", &R::oem2),
        col("OEM3", &R::oem3),
        col("OEM4", &R::oem4),
        col("STOK_STOKNO", &R::stockId),
        col("URETICIKODU", &R::makerCode),
        col("DIGERADI", &R::otherName),
        col("DPKOD", &R::dpCode),
        col("MARKA", &R::brand),
        col("MODEL", &R::model),
        col("ANAGRUP", &R::mainGroup),
        col("ALTGRUP", &R::subGroup),
        col("OZELKOD", &R::specialCode),
        col("PKOD", &R::pCode),
        col("DURUM", &R::stockStatus),
        col("ELDEKI", &R::stockQuantity),
        col("SIPARISDURUMNO", &R::orderStatus),
        col("SIPARISDURUMU", &R::orderStatusName),
        col("K", &R::campaign),
    };
    return columns;
}

// One order with the totals of its lines, as the previous-orders list shows it.
struct OrderRow
{
    int id = 0;
    int accountId = 0;
    QString accountCode;
    QString accountName;
    QDateTime at;
    QString time;
    QString currency;
    double rate = 1;
    int userId = 0;
    QString giver;
    QString cargoKind;
    QString deliveryKind;
    QString status;
    int statusId = 0;
    QString cargoFirm;
    QString customerNote;
    QString staffNote;
    QString repNote;
    int lineCount = 0;
    double amount = 0;
    double discount = 0;
    double net = 0;
    double vat = 0;
    double total = 0;
    double open = 0;
};

const std::vector<Column<OrderRow>> &orderColumns()
{
    using R = OrderRow;
    static const std::vector<Column<R>> columns = {
        col("CARINO", &R::accountId),
        col("IDNO", &R::id),
        dateCol("TARIH", &R::at, FieldType::DateTime),
        col("SAAT", &R::time),
        col("KUR", &R::currency),
        col("KURTL", &R::rate),
        col("VERENIDNO", &R::userId),
        col("KARGO", &R::cargoKind),
        col("TESLIM", &R::deliveryKind),
        col("VEREN", &R::giver),
        col("CARIKOD", &R::accountCode),
        col("CARIADI", &R::accountName),
        col("SATIRSAYISI", &R::lineCount),
        col("TUTAR", &R::amount),
        col("INDIRIMTUTAR", &R::discount),
        col("NETTUTAR", &R::net),
        col("VERGI", &R::vat),
        col("GENELTOPLAM", &R::total),
        col("KALAN", &R::open),
        col("DURUM", &R::status),
        col("DURUMNO", &R::statusId),
        col("KARGOADI", &R::cargoFirm),
        col("VERENINNOTU", &R::customerNote),
        col("ALANNOTU", &R::staffNote),
        col("SATICINOTU", &R::repNote),
    };
    return columns;
}

std::vector<OrderRow> accountOrders(Database &db, int accountId)
{
    struct Sums
    {
        int lines = 0;
        double amount = 0, discount = 0, net = 0, vat = 0, total = 0, open = 0;
    };
    std::map<int, Sums> sums;
    QSqlQuery lines = db.exec(QStringLiteral(
        "SELECT ol.order_id, ol.quantity, ol.unit_price, ol.vat_rate, ol.ind1, ol.ind2, ol.ind3, ol.ind4, "
        "ol.quantity - ol.delivered - ol.cancelled FROM order_lines ol JOIN orders o ON o.id = ol.order_id "
        "WHERE o.account_id = ?"), {accountId});
    while (lines.next()) {
        Discounts d;
        d.rates = {lines.value(4).toDouble(), lines.value(5).toDouble(), lines.value(6).toDouble(), lines.value(7).toDouble()};
        const CartAmounts a = cartAmounts(lines.value(1).toDouble(), lines.value(2).toDouble(), d, lines.value(3).toDouble());
        Sums &s = sums[lines.value(0).toInt()];
        ++s.lines;
        s.amount = round2(s.amount + a.amount);
        s.discount = round2(s.discount + a.discount);
        s.net = round2(s.net + a.net);
        s.vat = round2(s.vat + a.vat);
        s.total = round2(s.total + a.total);
        s.open = round3(s.open + lines.value(8).toDouble());
    }

    std::vector<OrderRow> rows;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT o.id, o.account_id, a.code, a.name, o.ordered_at, o.currency, o.rate, o.user_id, "
        "COALESCE(NULLIF(u.full_name, ''), u.name), ck.name, dk.name, st.name, o.status_id, cf.name, o.customer_note, "
        "o.staff_note, o.rep_note FROM orders o JOIN accounts a ON a.id = o.account_id JOIN users u ON u.id = o.user_id "
        "JOIN order_statuses st ON st.id = o.status_id LEFT JOIN cargo_kinds ck ON ck.id = o.cargo_kind_id "
        "LEFT JOIN delivery_kinds dk ON dk.id = o.delivery_kind_id LEFT JOIN cargo_firms cf ON cf.id = o.cargo_firm_id "
        "WHERE o.account_id = ? ORDER BY o.ordered_at DESC, o.id DESC"), {accountId});
    while (q.next()) {
        OrderRow r;
        r.id = q.value(0).toInt();
        r.accountId = q.value(1).toInt();
        r.accountCode = q.value(2).toString();
        r.accountName = q.value(3).toString();
        r.at = storedDateTime(q.value(4));
        r.time = r.at.toString(QStringLiteral("HH:mm"));
        r.currency = q.value(5).toString();
        r.rate = q.value(6).toDouble();
        r.userId = q.value(7).toInt();
        r.giver = q.value(8).toString();
        r.cargoKind = q.value(9).toString();
        r.deliveryKind = q.value(10).toString();
        r.status = q.value(11).toString();
        r.statusId = q.value(12).toInt();
        r.cargoFirm = q.value(13).toString();
        r.customerNote = q.value(14).toString();
        r.staffNote = q.value(15).toString();
        r.repNote = q.value(16).toString();
        const Sums &s = sums[r.id];
        r.lineCount = s.lines;
        r.amount = s.amount;
        r.discount = s.discount;
        r.net = s.net;
        r.vat = s.vat;
        r.total = s.total;
        r.open = s.open;
        rows.push_back(std::move(r));
    }
    return rows;
}

// Number and name tables: the delivery kinds, the cargo kinds.
EncodedTable choiceTable(Database &db, const QString &sql, std::initializer_list<QVariant> params = {})
{
    JsonWriter w;
    TableEncoder t(w, {{QStringLiteral("SIRANO"), FieldType::Int32, {}}, {QStringLiteral("ADI"), FieldType::String, {}}});
    QSqlQuery q = db.exec(sql, params);
    while (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

std::unique_ptr<TMobilSepet> mobileCartLine(const LineRow &r)
{
    auto m = std::make_unique<TMobilSepet>();
    m->setKARGOID(r.cargoKindId);
    m->setStokNo(r.stockId);
    m->setTARIH(r.at.isValid() ? dateToDayNumber(r.at.date()) : 0);
    m->setSIRANO(r.id);
    m->setCARIADI(r.accountName);
    m->setVERILISTARIHI(r.at.isValid() ? dateTimeToDayNumber(r.at) : 0);
    m->setDurum(r.stockStatus);
    m->setMIKTAR(r.quantity);
    m->setVERENIDNO(r.userId);
    m->setNETTUTAR(r.net);
    m->setKDVLITUTAR(r.total);
    m->setKDV(r.vatRate);
    m->setAKTAR(r.transferred);
    m->setSAAT(r.time);
    m->setVERGITUTARI(r.vat);
    m->setPKod(r.pCode);
    m->setMODEL(r.model);
    m->setINDIRIMTUTAR(r.discount);
    m->setSTOK_STOKNO(r.stockId);
    m->setBIRIMFIYAT(r.unitPrice);
    m->setSEC(r.selected);
    m->setOEM2(r.oem2);
    m->setOEM3(r.oem3);
    m->setAnaGrup(r.mainGroup);
    m->setMARKA(r.brand);
    m->setVEREN(r.giver);
    m->setSTOKADI(r.name);
    m->setOEM1(r.oem1);
    m->setCARINO(r.accountId);
    m->setVERENSIRANO(r.userId);
    m->setACIKLAMA(0); // a number in this record; the line's note text has no place in it
    m->setINDIRIMORANI2(r.ind2);
    m->setOEM4(r.oem4);
    m->setKUR(r.currency);
    m->setINDIRIMORANI3(r.ind3);
    m->setSIPARISNO(r.orderId);
    m->setIDNO(r.orderId);
    m->setOzelKod(r.specialCode);
    m->setDpKod(r.dpCode);
    m->setKURTL(r.rate);
    m->setINDIRIMORANI1(r.ind1);
    m->setDIGERADI(r.otherName);
    m->setBarkod(r.barcode);
    m->setTUTAR(r.amount);
    m->setURETICIKODU(r.makerCode);
    m->setKalan(r.stockQuantity);
    m->setFINISHKOD(r.code);
    m->setCARIKOD(r.accountCode);
    m->setNETBIRIMFIYAT(r.netUnitPrice);
    m->setOemNo(r.oemNo);
    m->setTESLIMID(r.deliveryKindId);
    m->setResimVar(r.hasPicture);
    // The picture itself is fetched by stock number; a cart of many lines stays small.
    return m;
}

// Pricing of a session, as the stock lists price it: the account's rules; users of kind 4
// take part in no campaign.
AccountPricing pricingFor(Database &db, int accountId, int kind)
{
    AccountPricing pricing = loadAccountPricing(db, accountId);
    if (kind == 4)
        pricing.campaigns = false;
    return pricing;
}

bool isRepresentative(int kind)
{
    return kind == 1 || kind == 2;
}

// The account a cart or order call acts for: the session's, which the account number and the
// user number the client sent must name too.
int actingAccount(const TServerMethods1::Session &s, qint32 carino, qint32 verenid)
{
    if (s.accountId <= 0)
        throw sessionError(QStringLiteral("Önce işlem yapılacak cariyi seçiniz"));
    if (carino != s.accountId)
        throw sessionError(QStringLiteral("Gönderilen cari (%1) oturumun carisi (%2) değil").arg(carino).arg(s.accountId));
    if (verenid != s.userId)
        throw sessionError(QStringLiteral("Gönderilen kullanıcı (%1) oturumun kullanıcısı (%2) değil").arg(verenid).arg(s.userId));
    return s.accountId;
}

// Why the account cannot order now; empty when it can.
QString orderBlocker(Database &db, int accountId)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT active, orders_allowed FROM accounts WHERE id = ?"), {accountId});
    if (!q.next())
        return QStringLiteral("%1 numaralı cari bulunamadı").arg(accountId);
    if (q.value(0).toInt() != 1)
        return QStringLiteral("Cari hesap kapalı; sipariş alınamıyor");
    if (q.value(1).toInt() != 1)
        return QStringLiteral("Cari hesabınız siparişe kapatılmıştır; lütfen temsilcinizle görüşünüz");
    return {};
}

void checkAccountOpen(Database &db, int accountId)
{
    const auto active = db.scalar(QStringLiteral("SELECT active FROM accounts WHERE id = ?"), {accountId});
    if (!active || active->toInt() != 1)
        throw cartRefusal(QStringLiteral("Cari hesap kapalı; sepete işlem yapılamıyor"));
}

void checkQuantity(double quantity)
{
    if (!(quantity > 0) || quantity > kMaxQuantity)
        throw cartRefusal(QStringLiteral("Miktar 0'dan büyük ve en çok 1.000.000 olmalıdır"));
}

void checkUnitPrice(double price)
{
    if (!(price >= 0) || price > kMaxUnitPrice)
        throw cartRefusal(QStringLiteral("Birim fiyat 0 ile %1 arasında olmalıdır").arg(moneyText(kMaxUnitPrice)));
}

// Rates as the stock dialog applies them: zero or less means no discount; above 100 is an
// error rather than a negative price.
Discounts checkedRates(double ind1, double ind2, double ind3, double ind4)
{
    Discounts d;
    const double given[4] = {ind1, ind2, ind3, ind4};
    for (int i = 0; i < 4; ++i) {
        if (given[i] > 100)
            throw cartRefusal(QStringLiteral("İndirim oranı en çok yüzde 100 olabilir, %1 geldi").arg(given[i]));
        d.rates[size_t(i)] = given[i] > 0 ? round2(given[i]) : 0;
    }
    return d;
}

// The stock a cart line is added for: by number, or by barcode when no number came.
struct StockForCart
{
    int id = 0;
    int brandId = 0;
    double vatRate = 0;
    double listPrice = 0;
    double campaignPrice = 0;
    bool campaign = false;
};

StockForCart stockForCart(Database &db, qint32 stokno, const QString &barkod)
{
    QSqlQuery q = stokno > 0
        ? db.exec(QStringLiteral("SELECT id, brand_id, vat_rate, list_price, campaign_price, campaign, active FROM stocks WHERE id = ?"),
                  {stokno})
        : db.exec(QStringLiteral("SELECT id, brand_id, vat_rate, list_price, campaign_price, campaign, active FROM stocks "
                                 "WHERE barcode = ?"),
                  {barkod.trimmed()});
    if (!q.next())
        throw cartRefusal(stokno > 0 ? QStringLiteral("%1 numaralı stok bulunamadı").arg(stokno)
                                     : QStringLiteral("'%1' barkodlu stok bulunamadı").arg(barkod.trimmed()));
    if (q.value(6).toInt() != 1)
        throw cartRefusal(QStringLiteral("Bu stok artık satışta değil"));
    StockForCart s;
    s.id = q.value(0).toInt();
    s.brandId = q.value(1).toInt();
    s.vatRate = q.value(2).toDouble();
    s.listPrice = q.value(3).toDouble();
    s.campaignPrice = q.value(4).toDouble();
    s.campaign = q.value(5).toInt() == 1;
    return s;
}

// Shared body of the two add calls.
qint32 addToCart(TServerMethods1 &methods, Database &db, const TSonucBilgisi *bilgi, qint32 carino, qint32 stokno,
                 const QString &barkod, double miktar, double fiyat, const Discounts &given, qint32 verenid)
{
    const TServerMethods1::Session s = methods.sessionFor(bilgi);
    const int account = actingAccount(s, carino, verenid);
    checkQuantity(miktar);
    checkAccountOpen(db, account);
    const StockForCart stock = stockForCart(db, stokno, barkod);
    // The account's own price for the stock. Dealers always get it, whatever price and rates
    // their client sent; representatives may set the price and the rates themselves.
    const AccountPricing pricing = pricingFor(db, account, s.kind);
    const StockPrice price = stockPrice(stock.listPrice, stock.campaignPrice, stock.campaign && pricing.campaigns, stock.vatRate,
                                        pricing.forBrand(stock.brandId));
    double unitPrice = price.price;
    Discounts rates = price.discounts;
    bool campaign = price.campaign;
    if (isRepresentative(s.kind)) {
        checkUnitPrice(fiyat);
        unitPrice = round2(fiyat);
        rates = given;
        campaign = price.campaign && unitPrice == price.price;
    }
    // The same stock twice is one line: the quantities add up, and the latest price holds.
    // One statement, so concurrent adds to one cart never lose a quantity.
    db.change(QStringLiteral(
        "INSERT INTO cart_lines (account_id, stock_id, user_id, quantity, unit_price, vat_rate, ind1, ind2, ind3, ind4, "
        "campaign, selected, added_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1, ?) "
        "ON CONFLICT (account_id, stock_id) DO UPDATE SET quantity = MIN(cart_lines.quantity + excluded.quantity, ?), "
        "unit_price = excluded.unit_price, vat_rate = excluded.vat_rate, ind1 = excluded.ind1, ind2 = excluded.ind2, "
        "ind3 = excluded.ind3, ind4 = excluded.ind4, campaign = excluded.campaign"),
        {account, stock.id, s.userId, round3(miktar), unitPrice, stock.vatRate, rates.rates[0], rates.rates[1], rates.rates[2],
         rates.rates[3], campaign ? 1 : 0, isoDateTime(QDateTime::currentDateTime()), kMaxQuantity});
    return 1;
}

// Shared body of the two change calls. The line is named by its number; the stock number the
// client sends (0) is not needed.
qint32 changeCartLine(TServerMethods1 &methods, Database &db, const TSonucBilgisi *bilgi, qint32 carino, double miktar,
                      double fiyat, const Discounts &given, qint32 verenid, qint32 lineId)
{
    const TServerMethods1::Session s = methods.sessionFor(bilgi);
    const int account = actingAccount(s, carino, verenid);
    checkQuantity(miktar);
    checkAccountOpen(db, account);
    if (!isRepresentative(s.kind)) {
        // A dealer changes the quantity only; price and rates stay what the line was given.
        return db.change(QStringLiteral("UPDATE cart_lines SET quantity = ? WHERE id = ? AND account_id = ?"),
                         {round3(miktar), lineId, account}) == 1 ? 1 : 0;
    }
    checkUnitPrice(fiyat);
    // A campaign line stays one only while its price stands.
    return db.change(QStringLiteral(
               "UPDATE cart_lines SET quantity = ?, campaign = CASE WHEN unit_price = ? THEN campaign ELSE 0 END, "
               "unit_price = ?, ind1 = ?, ind2 = ?, ind3 = ?, ind4 = ? WHERE id = ? AND account_id = ?"),
               {round3(miktar), round2(fiyat), round2(fiyat), given.rates[0], given.rates[1], given.rates[2], given.rates[3],
                lineId, account}) == 1 ? 1 : 0;
}

// Turns the account's marked cart lines into one order; 0 when no line is marked. Runs in
// the caller's transaction.
int placeOrder(Database &db, int accountId, int userId, int deliveryKind, int cargoKind, int cargoFirm, const QString &note)
{
    struct CartLine
    {
        QVariant id, stock, quantity, price, vat, ind1, ind2, ind3, ind4, campaign, note;
    };
    std::vector<CartLine> lines;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT id, stock_id, quantity, unit_price, vat_rate, ind1, ind2, ind3, ind4, campaign, note FROM cart_lines "
        "WHERE account_id = ? AND selected = 1 ORDER BY id"), {accountId});
    while (q.next()) {
        lines.push_back({q.value(0), q.value(1), q.value(2), q.value(3), q.value(4), q.value(5), q.value(6), q.value(7),
                         q.value(8), q.value(9), q.value(10)});
    }
    if (lines.empty())
        return 0;
    const QString now = isoDateTime(QDateTime::currentDateTime());
    const QVariant rep = db.scalar(QStringLiteral("SELECT rep_id FROM accounts WHERE id = ?"), {accountId}).value_or(QVariant());
    const qint64 orderId = db.insert(QStringLiteral(
        "INSERT INTO orders (account_id, user_id, rep_id, ordered_at, status_id, status_changed_at, delivery_kind_id, "
        "cargo_kind_id, cargo_firm_id, customer_note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {accountId, userId, rep, now, int(OrderStatus::Alindi), now, deliveryKind, cargoKind, cargoFirm, note});
    QSqlQuery insertLine = db.prepare(QStringLiteral(
        "INSERT INTO order_lines (order_id, line_no, stock_id, quantity, unit_price, first_price, vat_rate, ind1, ind2, ind3, "
        "ind4, campaign, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery removeLine = db.prepare(QStringLiteral("DELETE FROM cart_lines WHERE id = ?"));
    int lineNo = 0;
    for (const CartLine &l : lines) {
        Database::run(insertLine, {orderId, ++lineNo, l.stock, l.quantity, l.price, l.price, l.vat, l.ind1, l.ind2, l.ind3,
                                   l.ind4, l.campaign, l.note});
        Database::run(removeLine, {l.id});
    }
    return int(orderId);
}

// Steps of the order flow and how long an order stays in each before it moves on.
constexpr qint64 kMinuteMs = 60 * 1000;
constexpr qint64 kHourMs = 60 * kMinuteMs;

qint64 stayOf(int status)
{
    switch (OrderStatus(status)) {
    case OrderStatus::Alindi: return 15 * kMinuteMs;
    case OrderStatus::Goruldu: return 45 * kMinuteMs;
    case OrderStatus::Onaylandi: return 3 * kHourMs;
    case OrderStatus::ParcaliHazirlandi:
    case OrderStatus::Hazirlandi: return 6 * kHourMs;
    case OrderStatus::SevkEdildi: return 48 * kHourMs;
    default: return -1; // completed and cancelled orders stay
    }
}

// What the depot can give an approved order: every open line in full, some of it, or nothing.
enum class Readiness { Nothing, Part, All };

Readiness readinessOf(Database &db, int orderId)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT ol.quantity - ol.delivered - ol.cancelled, s.quantity FROM order_lines ol JOIN stocks s ON s.id = ol.stock_id "
        "WHERE ol.order_id = ? AND ol.quantity - ol.delivered - ol.cancelled > 0"), {orderId});
    bool all = true;
    bool any = false;
    while (q.next()) {
        const double open = q.value(0).toDouble();
        const double inDepot = q.value(1).toDouble();
        if (inDepot > 0)
            any = true;
        if (inDepot < open)
            all = false;
    }
    if (!any)
        return all ? Readiness::All : Readiness::Nothing; // an order with nothing open is ready
    return all ? Readiness::All : Readiness::Part;
}

double openQuantityOf(Database &db, int orderId)
{
    return db.scalar(QStringLiteral("SELECT COALESCE(SUM(quantity - delivered - cancelled), 0) FROM order_lines WHERE order_id = ?"),
                     {orderId}).value_or(0).toDouble();
}

// Ships what the depot holds of the order's open lines at `at`: the goods leave the depot,
// the deliveries are recorded against the lines, and what went out is invoiced and debited
// to the account, as the distributor's accounting does. What is not there stays open as the
// line's balance. False when nothing could go out.
bool shipOrder(Database &db, int orderId, const QDateTime &at)
{
    struct Out
    {
        int lineId;
        int stockId;
        double quantity;
        double unitPrice;
        double vatRate;
        Discounts discounts;
    };
    std::vector<Out> out;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT ol.id, ol.stock_id, ol.quantity - ol.delivered - ol.cancelled, s.quantity, ol.unit_price, ol.vat_rate, "
        "ol.ind1, ol.ind2, ol.ind3, ol.ind4 FROM order_lines ol JOIN stocks s ON s.id = ol.stock_id "
        "WHERE ol.order_id = ? AND ol.quantity - ol.delivered - ol.cancelled > 0 ORDER BY ol.line_no"), {orderId});
    while (q.next()) {
        const double give = round3(std::min(q.value(2).toDouble(), std::max(0.0, q.value(3).toDouble())));
        if (give <= 0)
            continue;
        Out o{q.value(0).toInt(), q.value(1).toInt(), give, q.value(4).toDouble(), q.value(5).toDouble(), {}};
        o.discounts.rates = {q.value(6).toDouble(), q.value(7).toDouble(), q.value(8).toDouble(), q.value(9).toDouble()};
        out.push_back(o);
    }
    if (out.empty())
        return false;

    QSqlQuery order = db.exec(QStringLiteral("SELECT o.account_id, o.rep_id, a.due_days FROM orders o JOIN accounts a "
                                             "ON a.id = o.account_id WHERE o.id = ?"), {orderId});
    if (!order.next())
        return false;
    const int accountId = order.value(0).toInt();
    const QVariant repId = order.value(1);
    const int dueDays = order.value(2).toInt();
    const QDate dueDate = at.date().addDays(dueDays);
    const qint64 invoiceId = db.scalar(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM invoices")).value_or(1).toLongLong();
    const QString number = QStringLiteral("VXF%1%2").arg(at.date().year()).arg(invoiceId, 7, 10, QLatin1Char('0'));
    const QString dispatchNo = QStringLiteral("VXI%1%2").arg(at.date().year()).arg(invoiceId, 7, 10, QLatin1Char('0'));

    LineAmounts sum;
    std::vector<LineAmounts> amounts;
    for (const Out &o : out) {
        const LineAmounts a = lineAmounts(o.quantity, o.unitPrice, o.discounts, o.vatRate);
        sum.amount = round2(sum.amount + a.amount);
        sum.discount = round2(sum.discount + a.discount);
        sum.net = round2(sum.net + a.net);
        sum.vat = round2(sum.vat + a.vat);
        amounts.push_back(a);
    }
    const double grand = round2(sum.net + sum.vat);
    const QString atText = isoDateTime(at);
    db.change(QStringLiteral(
        "INSERT INTO invoices (id, account_id, number, kind, issued_at, due_days, due_date, rep_id, dispatch_no, total, "
        "discount_total, net_total, vat_total, grand_total) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {invoiceId, accountId, number, kMovementInvoice, atText, dueDays, isoDate(dueDate), repId, dispatchNo, sum.amount,
         sum.discount, sum.net, sum.vat, grand});
    QSqlQuery invoiceLine = db.prepare(QStringLiteral(
        "INSERT INTO invoice_lines (invoice_id, line_no, stock_id, order_line_id, quantity, unit_price, amount, ind1, ind2, "
        "ind3, ind4, discount_amount, net_unit_price, net_amount, vat_rate, vat_amount) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery delivery = db.prepare(QStringLiteral(
        "INSERT INTO deliveries (order_line_id, invoice_line_id, quantity, delivered_at) VALUES (?, ?, ?, ?)"));
    QSqlQuery delivered = db.prepare(QStringLiteral("UPDATE order_lines SET delivered = delivered + ? WHERE id = ?"));
    QSqlQuery depot = db.prepare(QStringLiteral("UPDATE stocks SET quantity = quantity - ? WHERE id = ?"));
    for (size_t i = 0; i < out.size(); ++i) {
        const Out &o = out[i];
        const LineAmounts &a = amounts[i];
        Database::run(invoiceLine, {invoiceId, int(i + 1), o.stockId, o.lineId, o.quantity, o.unitPrice, a.amount,
                                    o.discounts.rates[0], o.discounts.rates[1], o.discounts.rates[2], o.discounts.rates[3],
                                    a.discount, a.netUnitPrice, a.net, o.vatRate, a.vat});
        const QVariant invoiceLineId = invoiceLine.lastInsertId();
        Database::run(delivery, {o.lineId, invoiceLineId, o.quantity, atText});
        Database::run(delivered, {o.quantity, o.lineId});
        Database::run(depot, {o.quantity, o.stockId});
    }
    db.change(QStringLiteral(
        "INSERT INTO account_movements (account_id, moved_at, kind, document_no, debit, credit, description, due_date, "
        "invoice_id) VALUES (?, ?, ?, ?, ?, 0, ?, ?, ?)"),
        {accountId, atText, kMovementInvoice, number, grand, QStringLiteral("%1 nolu sipariş").arg(orderId),
         isoDate(dueDate), invoiceId});
    return true;
}

// The overdue part of an account's debts on `today`: payments settle the debts in the order
// they fall due; what is left of a debt whose due date (plus the account's grace period) has
// passed is overdue. `oldestDue` is the due date of the oldest debt still open and overdue.
struct Overdue
{
    double amount = 0;
    QDate oldestDue;
    double balance = 0;
};

Overdue overdueOf(Database &db, int accountId, QDate today, int graceDays, int graceMonths)
{
    Overdue o;
    const double allCredit = db.scalar(QStringLiteral("SELECT COALESCE(SUM(credit), 0) FROM account_movements WHERE account_id = ?"),
                                       {accountId}).value_or(0).toDouble();
    double credit = allCredit;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT debit, COALESCE(due_date, substr(moved_at, 1, 10)) AS due FROM account_movements "
        "WHERE account_id = ? AND debit > 0 ORDER BY due, id"), {accountId});
    double debit = 0;
    while (q.next()) {
        const double amount = q.value(0).toDouble();
        debit += amount;
        const QDate due = QDate::fromString(q.value(1).toString().left(10), Qt::ISODate);
        const double paid = std::min(amount, credit);
        credit -= paid;
        const double left = round2(amount - paid);
        if (left <= 0 || !due.isValid())
            continue;
        if (due.addMonths(graceMonths).addDays(graceDays) < today) {
            o.amount = round2(o.amount + left);
            if (!o.oldestDue.isValid())
                o.oldestDue = due;
        }
    }
    o.balance = round2(debit - allCredit);
    return o;
}

struct AccountTerms
{
    bool found = false;
    int graceDays = 0;
    int graceMonths = 0;
    double creditLimit = 0;
};

AccountTerms termsOf(Database &db, int accountId)
{
    AccountTerms t;
    QSqlQuery q = db.exec(QStringLiteral("SELECT due_check_days, due_check_months, credit_limit FROM accounts WHERE id = ?"),
                          {accountId});
    if (q.next()) {
        t.found = true;
        t.graceDays = q.value(0).toInt();
        t.graceMonths = q.value(1).toInt();
        t.creditLimit = q.value(2).toDouble();
    }
    return t;
}

} // namespace

EncodedTable TServerMethods1::SepetVer2(qint32 carino)
{
    return encodeRows(cartColumns(), cartLines(database("SepetVer2"), carino));
}

EncodedTable TServerMethods1::SepetVer(qint32 carino)
{
    return encodeRows(cartColumns(), cartLines(database("SepetVer"), carino));
}

std::unique_ptr<TMobilSepetler> TServerMethods1::SepetMobilVer(qint32 carino)
{
    RecordList<TMobilSepet> items;
    for (const LineRow &r : cartLines(database("SepetMobilVer"), carino))
        items.push_back(mobileCartLine(r));
    auto list = std::make_unique<TMobilSepetler>();
    list->setItems(std::move(items));
    return list;
}

qint32 TServerMethods1::SepetEkle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                                   const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                                   qint32 k, double ind2, double ind3, double ind4)
{
    // The stock's name, VAT rate and campaign flag are the server's own; the client's copies
    // are not needed.
    Database &db = database("SepetEkle2");
    const Discounts rates = checkedRates(ind1, ind2, ind3, ind4);
    return addToCart(*this, db, bilgim.get(), carino, stokno, barkod, miktar, fiyat, rates, verenid);
}

qint32 TServerMethods1::SepetEkle(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                                  const QString &stokadi, double miktar, double kdv, double fiyat, double indirim, qint32 verenid,
                                  qint32 k)
{
    Database &db = database("SepetEkle");
    const Discounts rates = checkedRates(indirim, 0, 0, 0);
    return addToCart(*this, db, bilgim.get(), carino, stokno, barkod, miktar, fiyat, rates, verenid);
}

qint32 TServerMethods1::SepetGuncelle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno,
                                       const QString &barkod, const QString &stokadi, double miktar, double kdv, double fiyat,
                                       double ind1, qint32 verenid, qint32 _sepetsirano, double ind2, double ind3, double ind4)
{
    Database &db = database("SepetGuncelle2");
    const Discounts rates = checkedRates(ind1, ind2, ind3, ind4);
    return changeCartLine(*this, db, bilgim.get(), carino, miktar, fiyat, rates, verenid, _sepetsirano);
}

qint32 TServerMethods1::SepetGuncelle(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno,
                                      const QString &barkod, const QString &stokadi, double miktar, double kdv, double fiyat,
                                      double indirim, qint32 verenid, qint32 _sepetsirano)
{
    Database &db = database("SepetGuncelle");
    const Discounts rates = checkedRates(indirim, 0, 0, 0);
    return changeCartLine(*this, db, bilgim.get(), carino, miktar, fiyat, rates, verenid, _sepetsirano);
}

qint32 TServerMethods1::SepetSatirSil(std::unique_ptr<TSonucBilgisi> bilgi, qint32 satirno, const QString &aciklamam)
{
    // `aciklamam` (barcode and name of the line) only tells a reader of the traffic what went;
    // the line number decides.
    Database &db = database("SepetSatirSil");
    const Session s = sessionFor(bilgi.get());
    if (s.accountId <= 0)
        throw sessionError(QStringLiteral("Önce işlem yapılacak cariyi seçiniz"));
    return db.change(QStringLiteral("DELETE FROM cart_lines WHERE id = ? AND account_id = ?"), {satirno, s.accountId}) == 1 ? 1 : 0;
}

qint32 TServerMethods1::SepetHepsiniSil(std::unique_ptr<TSonucBilgisi> bilgi)
{
    // The number of lines removed.
    Database &db = database("SepetHepsiniSil");
    const Session s = sessionFor(bilgi.get());
    if (s.accountId <= 0)
        throw sessionError(QStringLiteral("Önce işlem yapılacak cariyi seçiniz"));
    return db.change(QStringLiteral("DELETE FROM cart_lines WHERE account_id = ?"), {s.accountId});
}

void TServerMethods1::SepetSecimGuncelle(qint32 sirano, qint32 secim)
{
    Database &db = database("SepetSecimGuncelle");
    if (secim != 0 && secim != 1)
        throw CallError(kParamErrorClass, QStringLiteral("TServerMethods1.SepetSecimGuncelle: 'secim' 0 ya da 1 olmalı, %1 geldi")
                                              .arg(secim), 400);
    if (db.change(QStringLiteral("UPDATE cart_lines SET selected = ? WHERE id = ?"), {secim, sirano}) != 1)
        throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı sepet satırı bulunamadı").arg(sirano), 404);
}

EncodedTable TServerMethods1::TeslimVer()
{
    return choiceTable(database("TeslimVer"), QStringLiteral("SELECT id, name FROM delivery_kinds ORDER BY sort_order, id"));
}

EncodedTable TServerMethods1::KargoVer()
{
    return choiceTable(database("KargoVer"), QStringLiteral("SELECT id, name FROM cargo_kinds ORDER BY sort_order, id"));
}

EncodedTable TServerMethods1::KargolarVer(qint32 gn)
{
    Database &db = database("KargolarVer");
    JsonWriter w;
    TableEncoder t(w, {{QStringLiteral("SIRANO"), FieldType::Int32, {}},
                       {QStringLiteral("ADI"), FieldType::String, {}},
                       {QStringLiteral("UYARI"), FieldType::String, {}},
                       {QStringLiteral("TELEFON"), FieldType::String, {}}});
    QSqlQuery q = db.exec(QStringLiteral("SELECT f.id, f.name, f.warning, f.phone FROM cargo_firms f JOIN cargo_firm_kinds k "
                                         "ON k.firm_id = f.id WHERE k.kind_id = ? AND f.active = 1 ORDER BY f.name"),
                          {gn});
    while (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addString(q.value(3).toString());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

bool TServerMethods1::SiparisKaydet(std::unique_ptr<TSonucBilgisi> BB, qint32 _carino, qint32 _teslim, qint32 _kargo,
                                    const QString &_aciklama, qint32 _verenid, qint32 _kargoyeni)
{
    Database &db = database("SiparisKaydet");
    const Session s = sessionFor(BB.get());
    const int account = actingAccount(s, _carino, _verenid);
    if (const QString blocker = orderBlocker(db, account); !blocker.isEmpty())
        throw orderRefusal(blocker);
    if (!db.scalar(QStringLiteral("SELECT id FROM delivery_kinds WHERE id = ?"), {_teslim}))
        throw orderRefusal(QStringLiteral("Geçersiz teslim durumu (%1)").arg(_teslim));
    if (!db.scalar(QStringLiteral("SELECT id FROM cargo_kinds WHERE id = ?"), {_kargo}))
        throw orderRefusal(QStringLiteral("Geçersiz kargo türü (%1)").arg(_kargo));
    if (!db.scalar(QStringLiteral("SELECT f.id FROM cargo_firms f JOIN cargo_firm_kinds k ON k.firm_id = f.id "
                                  "WHERE f.id = ? AND k.kind_id = ? AND f.active = 1"),
                   {_kargoyeni, _kargo}))
        throw orderRefusal(QStringLiteral("Seçilen kargo firması (%1) bu kargo türüyle çalışmıyor").arg(_kargoyeni));
    if (_aciklama.size() > kMaxNoteLength)
        throw orderRefusal(QStringLiteral("Açıklama en çok %1 karakter olabilir").arg(kMaxNoteLength));

    // The marked lines leave the cart and become the order in one transaction: an order either
    // takes all of them or nothing happened. With no line marked nothing is written.
    Transaction tx(db);
    const int orderId = placeOrder(db, account, s.userId, _teslim, _kargo, _kargoyeni, _aciklama);
    if (orderId == 0)
        return false;
    tx.commit();
    return true;
}

qint32 TServerMethods1::MobilSiparisKaydet(qint32 idnosu)
{
    // The mobile form orders the marked lines of the cart of account `idnosu` with the first
    // delivery kind, the first cargo kind and its first firm, in the name of whoever added the
    // earliest marked line. The answer is the new order's number, 0 when nothing was marked.
    Database &db = database("MobilSiparisKaydet");
    if (const QString blocker = orderBlocker(db, idnosu); !blocker.isEmpty())
        throw orderRefusal(blocker);
    Transaction tx(db);
    const auto user = db.scalar(QStringLiteral("SELECT user_id FROM cart_lines WHERE account_id = ? AND selected = 1 ORDER BY id"),
                                {idnosu});
    if (!user)
        return 0;
    const auto delivery = db.scalar(QStringLiteral("SELECT id FROM delivery_kinds ORDER BY sort_order, id"));
    const auto cargo = db.scalar(QStringLiteral("SELECT id FROM cargo_kinds ORDER BY sort_order, id"));
    if (!delivery || !cargo)
        throw orderRefusal(QStringLiteral("Teslim ve kargo türleri tanımlanmamış"));
    const auto firm = db.scalar(QStringLiteral("SELECT f.id FROM cargo_firms f JOIN cargo_firm_kinds k ON k.firm_id = f.id "
                                               "WHERE k.kind_id = ? AND f.active = 1 ORDER BY f.name"),
                                {*cargo});
    if (!firm)
        throw orderRefusal(QStringLiteral("Kargo türü için kargo firması tanımlanmamış"));
    const int orderId = placeOrder(db, idnosu, user->toInt(), delivery->toInt(), cargo->toInt(), firm->toInt(), QString());
    tx.commit();
    return orderId;
}

EncodedTable TServerMethods1::OncekiSiparisler(qint32 carino)
{
    Database &db = database("OncekiSiparisler");
    keepOrdersMoving();
    return encodeRows(orderColumns(), accountOrders(db, carino));
}

EncodedTable TServerMethods1::OncekiSiparisler2(qint32 carino)
{
    return OncekiSiparisler(carino);
}

EncodedTable TServerMethods1::Oncekiler(qint32 carino)
{
    return OncekiSiparisler(carino);
}

EncodedTable TServerMethods1::SiparisAyrintisi2(qint32 carino, qint32 idnosu)
{
    // An order of another account reads as an order without lines.
    Database &db = database("SiparisAyrintisi2");
    keepOrdersMoving();
    return encodeRows(orderLineColumns(),
                      loadLines(db, kOrderLineQuery + QStringLiteral(" WHERE o.id = ? AND (? = 0 OR o.account_id = ?) ORDER BY ol.line_no"),
                                {idnosu, carino, carino}, true));
}

EncodedTable TServerMethods1::SiparisAyrintisi(qint32 carino, qint32 idnosu)
{
    return SiparisAyrintisi2(carino, idnosu);
}

std::unique_ptr<TSiparisDipAyrinti> TServerMethods1::SiparisAytintisiDip(qint32 carino, qint32 siranosu)
{
    // Callers send account 0: the order number alone names the order.
    Database &db = database("SiparisAytintisiDip");
    keepOrdersMoving();
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT o.customer_note, st.name, COALESCE(NULLIF(u.full_name, ''), u.name), cf.name, o.staff_note, dk.name, ck.name, "
        "o.rep_note FROM orders o JOIN order_statuses st ON st.id = o.status_id JOIN users u ON u.id = o.user_id "
        "LEFT JOIN cargo_firms cf ON cf.id = o.cargo_firm_id LEFT JOIN delivery_kinds dk ON dk.id = o.delivery_kind_id "
        "LEFT JOIN cargo_kinds ck ON ck.id = o.cargo_kind_id WHERE o.id = ? AND (? = 0 OR o.account_id = ?)"),
        {siranosu, carino, carino});
    if (!q.next())
        throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı sipariş bulunamadı").arg(siranosu), 404);
    auto r = std::make_unique<TSiparisDipAyrinti>();
    r->setSizinMesaj(q.value(0).toString());
    r->setDurumu(q.value(1).toString());
    r->setVeren(q.value(2).toString());
    r->setKargo(q.value(3).toString());
    r->setBizimMesaj(q.value(4).toString());
    r->setTeslimCinsi(q.value(5).toString());
    r->setKargoCinsi(q.value(6).toString());
    r->setSaticiNotu(q.value(7).toString());
    return r;
}

EncodedTable TServerMethods1::TumSiparislerVer(qint32 carino, qint32 stokno)
{
    // Every order line of the account, newest order first; stock 0 stands for all stocks.
    Database &db = database("TumSiparislerVer");
    keepOrdersMoving();
    return encodeRows(orderLineColumns(),
                      loadLines(db, kOrderLineQuery + QStringLiteral(" WHERE o.account_id = ? AND (? = 0 OR ol.stock_id = ?) "
                                                                     "ORDER BY o.ordered_at DESC, o.id DESC, ol.line_no"),
                                {carino, stokno, stokno}, true));
}

QString TServerMethods1::CariVadeGunGecmismiBul(qint32 carino)
{
    // Empty when nothing is overdue: the cart tab shows the text as it comes.
    Database &db = database("CariVadeGunGecmismiBul");
    const AccountTerms terms = termsOf(db, carino);
    if (!terms.found)
        return {};
    const QDate today = QDate::currentDate();
    const Overdue o = overdueOf(db, carino, today, terms.graceDays, terms.graceMonths);
    if (o.amount < 0.01)
        return {};
    return QStringLiteral("Vadesi geçmiş bakiyeniz %1 TL; en eski borcunuzun vadesi %2 gün önce doldu. Lütfen ödemenizi yapınız.")
        .arg(moneyText(o.amount))
        .arg(o.oldestDue.daysTo(today));
}

QString TServerMethods1::CariDurumVer(qint32 carino)
{
    Database &db = database("CariDurumVer");
    const AccountTerms terms = termsOf(db, carino);
    if (!terms.found)
        throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı cari bulunamadı").arg(carino), 404);
    keepOrdersMoving();
    const Overdue o = overdueOf(db, carino, QDate::currentDate(), terms.graceDays, terms.graceMonths);
    const int openOrders = db.scalar(QStringLiteral("SELECT COUNT(*) FROM orders WHERE account_id = ? AND status_id BETWEEN ? AND ?"),
                                     {carino, int(OrderStatus::Alindi), int(OrderStatus::SevkEdildi)})
                               .value_or(0).toInt();
    const QString side = o.balance > 0 ? QStringLiteral("B") : o.balance < 0 ? QStringLiteral("A") : QString();
    QStringList parts;
    parts << QStringLiteral("Bakiye: %1 TL %2").arg(moneyText(std::abs(o.balance)), side).trimmed();
    parts << QStringLiteral("Vadesi geçmiş: %1 TL").arg(moneyText(o.amount));
    if (terms.creditLimit > 0)
        parts << QStringLiteral("Risk limiti: %1 TL, kalan: %2 TL").arg(moneyText(terms.creditLimit),
                                                                        moneyText(round2(terms.creditLimit - o.balance)));
    parts << QStringLiteral("Açık sipariş: %1").arg(openOrders);
    const QString blocker = orderBlocker(db, carino);
    if (!blocker.isEmpty())
        parts << blocker;
    return parts.join(QStringLiteral(" | "));
}

QString TServerMethods1::SiparisAlinirmi(qint32 carino)
{
    // Empty when the account's orders are taken; otherwise why not.
    return orderBlocker(database("SiparisAlinirmi"), carino);
}

void TServerMethods1::CikisGonder(std::unique_ptr<TSonucBilgisi> bilgi)
{
    // The server keeps no state per session, so leaving needs nothing but a valid record;
    // a record of an unknown machine is refused like everywhere else.
    database("CikisGonder");
    sessionFor(bilgi.get());
}

void TServerMethods1::advanceOrderStatuses(qint64 nowMSecs)
{
    Database &db = database("advanceOrderStatuses");
    Transaction tx(db);
    struct Pending
    {
        int id;
        int status;
        qint64 since;
    };
    std::vector<Pending> pending;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT id, status_id, status_changed_at FROM orders WHERE status_id BETWEEN ? AND ? "
                                             "ORDER BY status_changed_at, id"),
                              {int(OrderStatus::Alindi), int(OrderStatus::SevkEdildi)});
        while (q.next()) {
            const QDateTime since = storedDateTime(q.value(2));
            if (since.isValid())
                pending.push_back({q.value(0).toInt(), q.value(1).toInt(), since.toMSecsSinceEpoch()});
        }
    }
    for (const Pending &p : pending) {
        int status = p.status;
        qint64 since = p.since;
        bool moved = false;
        for (;;) {
            const qint64 stay = stayOf(status);
            if (stay < 0 || since + stay > nowMSecs)
                break;
            const qint64 at = since + stay;
            int next = status;
            switch (OrderStatus(status)) {
            case OrderStatus::Alindi: next = int(OrderStatus::Goruldu); break;
            case OrderStatus::Goruldu: next = int(OrderStatus::Onaylandi); break;
            case OrderStatus::Onaylandi:
                // An order the depot has nothing for waits, approved, until goods come in.
                switch (readinessOf(db, p.id)) {
                case Readiness::All: next = int(OrderStatus::Hazirlandi); break;
                case Readiness::Part: next = int(OrderStatus::ParcaliHazirlandi); break;
                case Readiness::Nothing: break;
                }
                break;
            case OrderStatus::ParcaliHazirlandi:
            case OrderStatus::Hazirlandi:
                if (shipOrder(db, p.id, QDateTime::fromMSecsSinceEpoch(at)))
                    next = int(OrderStatus::SevkEdildi);
                else if (openQuantityOf(db, p.id) <= 0)
                    next = int(OrderStatus::Tamamlandi);
                break;
            case OrderStatus::SevkEdildi:
                // What could not go out stays open as the order's balances until it is
                // delivered or given up; only then is the order complete.
                if (openQuantityOf(db, p.id) <= 0)
                    next = int(OrderStatus::Tamamlandi);
                break;
            default: break;
            }
            if (next == status)
                break;
            status = next;
            since = at;
            moved = true;
        }
        if (moved) {
            db.change(QStringLiteral("UPDATE orders SET status_id = ?, status_changed_at = ? WHERE id = ?"),
                      {status, isoDateTime(QDateTime::fromMSecsSinceEpoch(since)), p.id});
        }
    }
    tx.commit();
}

void TServerMethods1::keepOrdersMoving()
{
    // At most once a minute per database; a failure is logged and leaves the reads working.
    static std::mutex lock;
    static std::map<QString, qint64> lastRun;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    Database &db = database("keepOrdersMoving");
    {
        std::lock_guard guard(lock);
        qint64 &last = lastRun[db.path()];
        if (last != 0 && now - last < kMinuteMs)
            return;
        last = now;
    }
    try {
        advanceOrderStatuses(now);
    } catch (const std::exception &e) {
        qWarning("vexor-server: moving the orders on failed: %s", e.what());
    }
}

} // namespace vexor
