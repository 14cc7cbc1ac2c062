#include "reports.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"

#include "common/formats.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

namespace vexor {

namespace {

// The distributor's name at the head of every document; `vexor-server` admins set it in the
// settings table.
const QString kSettingCompanyName = QStringLiteral("company_name");
const QString kDefaultCompanyName = QStringLiteral("VEXOR OTOMOTİV YEDEK PARÇA");

const QLocale &turkish()
{
    static const QLocale locale(QLocale::Turkish, QLocale::Turkey);
    return locale;
}

double round2(double v)
{
    return roundHalfAwayFromZero(v, 2);
}

QString money(double v)
{
    return formatNumber(v, kTutarBicimi, turkish());
}

QString quantity(double v)
{
    return formatNumber(v, QStringLiteral("#,###,##0.###"), turkish());
}

QString day(QDate d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

// "B" for a debit balance, "A" for a credit balance, as the statement marks them.
QString side(double balance)
{
    return balance > 0 ? QStringLiteral("B") : balance < 0 ? QStringLiteral("A") : QString();
}

QString signedBalance(double balance)
{
    const QString s = side(balance);
    return s.isEmpty() ? money(0) : money(std::abs(balance)) + QLatin1Char(' ') + s;
}

QDate dateOf(const QVariant &isoText)
{
    return QDate::fromString(isoText.toString().left(10), Qt::ISODate);
}

// The start of the day after `d`: movements "up to d" are those before it.
QString endOf(QDate d)
{
    return isoDate(d.addDays(1));
}

// A small HTML writer for QTextDocument: headings, label/value blocks and tables.
class Html
{
public:
    struct Column
    {
        QString caption;
        bool number = false;
    };

    Html(const QString &company, const QString &title, const QString &subtitle)
    {
        m_text += QStringLiteral("<p style=\"font-size:8pt;\">%1</p>").arg(company.toHtmlEscaped());
        m_text += QStringLiteral("<h2 align=\"center\">%1</h2>").arg(title.toHtmlEscaped());
        if (!subtitle.isEmpty())
            m_text += QStringLiteral("<p align=\"center\">%1</p>").arg(subtitle.toHtmlEscaped());
    }

    void heading(const QString &text)
    {
        m_text += QStringLiteral("<h4>%1</h4>").arg(text.toHtmlEscaped());
    }

    void paragraph(const QString &text)
    {
        m_text += QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
    }

    void fields(const std::vector<std::pair<QString, QString>> &rows)
    {
        m_text += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
        for (const auto &[label, value] : rows) {
            m_text += QStringLiteral("<tr><td><b>%1:</b></td><td>%2</td></tr>")
                          .arg(label.toHtmlEscaped(), value.toHtmlEscaped());
        }
        m_text += QStringLiteral("</table>");
    }

    void table(const std::vector<Column> &columns, const std::vector<QStringList> &rows, const QStringList &footer = {})
    {
        m_text += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\" "
                                 "style=\"border-collapse:collapse; border-color:#808080;\"><thead><tr>");
        for (const Column &c : columns)
            m_text += QStringLiteral("<th bgcolor=\"#e0e0e0\">%1</th>").arg(c.caption.toHtmlEscaped());
        m_text += QStringLiteral("</tr></thead>");
        auto row = [&](const QStringList &cells, bool bold) {
            m_text += QStringLiteral("<tr>");
            for (size_t i = 0; i < columns.size(); ++i) {
                const QString cell = cells.value(qsizetype(i)).toHtmlEscaped();
                m_text += QStringLiteral("<td%1>%2</td>")
                              .arg(columns[i].number ? QStringLiteral(" align=\"right\"") : QString(),
                                   bold ? QStringLiteral("<b>%1</b>").arg(cell) : cell);
            }
            m_text += QStringLiteral("</tr>");
        };
        for (const QStringList &r : rows)
            row(r, false);
        if (!footer.isEmpty())
            row(footer, true);
        m_text += QStringLiteral("</table>");
    }

    const QString &text() const { return m_text; }

private:
    QString m_text;
};

QByteArray renderPdf(const QString &title, const Html &html, QPageLayout::Orientation orientation)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("vexor-server"));
        writer.setResolution(300);
        // QTextDocument::print keeps a margin of its own (2 cm) and puts the page number in it.
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
        QTextDocument doc;
        QFont font(QStringLiteral("DejaVu Sans"), 9);
        font.setStyleHint(QFont::SansSerif);
        doc.setDefaultFont(font);
        doc.setHtml(html.text());
        doc.print(&writer);
    }
    buffer.close();
    return buffer.data();
}

QString companyName(Database &db)
{
    return readSetting(db, kSettingCompanyName, kDefaultCompanyName);
}

struct Account
{
    int id = 0;
    QString code, name, contact, address1, address2, district, city, phone1, phone2, gsm, email, taxOffice, taxNumber,
        repName;
    int dueDays = 0;
    double creditLimit = 0;
};

std::optional<Account> loadAccount(Database &db, int accountId)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT a.id, a.code, a.name, a.contact, a.address1, a.address2, a.district, a.city, a.phone1, a.phone2, a.gsm, "
        "a.email, a.tax_office, a.tax_number, COALESCE(r.name, ''), a.due_days, a.credit_limit "
        "FROM accounts a LEFT JOIN representatives r ON r.id = a.rep_id WHERE a.id = ?"),
        {accountId});
    if (!q.next())
        return std::nullopt;
    Account a;
    int c = 0;
    a.id = q.value(c++).toInt();
    for (QString *s : {&a.code, &a.name, &a.contact, &a.address1, &a.address2, &a.district, &a.city, &a.phone1, &a.phone2,
                       &a.gsm, &a.email, &a.taxOffice, &a.taxNumber, &a.repName})
        *s = q.value(c++).toString();
    a.dueDays = q.value(c++).toInt();
    a.creditLimit = q.value(c++).toDouble();
    return a;
}

QString joined(std::initializer_list<QString> parts, const QString &separator)
{
    QStringList kept;
    for (const QString &p : parts) {
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    }
    return kept.join(separator);
}

LedgerEntry ledgerEntry(const QSqlQuery &q, int first)
{
    LedgerEntry e;
    e.date = dateOf(q.value(first));
    e.due = q.value(first + 1).isNull() ? e.date : dateOf(q.value(first + 1));
    e.kind = q.value(first + 2).toString();
    e.documentNo = q.value(first + 3).toString();
    e.debit = q.value(first + 4).toDouble();
    e.credit = q.value(first + 5).toDouble();
    return e;
}

const QString kLedgerColumns = QStringLiteral("m.moved_at, m.due_date, m.kind, m.document_no, m.debit, m.credit");

std::vector<LedgerEntry> loadLedger(Database &db, int accountId, QDate until)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT %1 FROM account_movements m WHERE m.account_id = ? AND m.moved_at < ? "
                                         "ORDER BY m.moved_at, m.id").arg(kLedgerColumns),
                          {accountId, endOf(until)});
    std::vector<LedgerEntry> entries;
    while (q.next())
        entries.push_back(ledgerEntry(q, 0));
    return entries;
}

std::vector<QString> agingCaptions()
{
    return {QStringLiteral("Vadesi Gelmemiş"), QStringLiteral("1-30 Gün"), QStringLiteral("31-60 Gün"),
            QStringLiteral("61-90 Gün"), QStringLiteral("90+ Gün"), QStringLiteral("Vadesi Geçen")};
}

QStringList agingCells(const ReceivableAging &a)
{
    QStringList cells{money(a.notDue)};
    for (double v : a.overdue)
        cells << money(v);
    cells << money(a.overdueTotal());
    return cells;
}

} // namespace

QString amountInWords(double amount)
{
    static const char *const ones[] = {"", "bir", "iki", "üç", "dört", "beş", "altı", "yedi", "sekiz", "dokuz"};
    static const char *const tens[] = {"", "on", "yirmi", "otuz", "kırk", "elli", "altmış", "yetmiş", "seksen", "doksan"};
    static const char *const groups[] = {"", "bin", "milyon", "milyar", "trilyon", "katrilyon"};

    auto below1000 = [&](int n) {
        QStringList words;
        const int hundreds = n / 100;
        if (hundreds > 1)
            words << QString::fromUtf8(ones[hundreds]);
        if (hundreds > 0)
            words << QStringLiteral("yüz");
        if ((n / 10) % 10 > 0)
            words << QString::fromUtf8(tens[(n / 10) % 10]);
        if (n % 10 > 0)
            words << QString::fromUtf8(ones[n % 10]);
        return words;
    };
    auto number = [&](long long n) {
        if (n == 0)
            return QStringLiteral("sıfır");
        QStringList parts;
        for (int group = 0; n > 0; ++group, n /= 1000) {
            const int chunk = int(n % 1000);
            if (chunk == 0)
                continue;
            QStringList words;
            // "bin", never "bir bin"; but "bir milyon".
            if (!(group == 1 && chunk == 1))
                words = below1000(chunk);
            if (group > 0)
                words << QString::fromUtf8(groups[group]);
            parts.prepend(words.join(QLatin1Char(' ')));
        }
        return parts.join(QLatin1Char(' '));
    };

    const double rounded = roundHalfAwayFromZero(amount, 2);
    const long long cents = std::llround(std::abs(rounded) * 100);
    const long long lira = cents / 100;
    const int kurus = int(cents % 100);
    QString text;
    if (lira > 0 || kurus == 0)
        text = number(lira) + QStringLiteral(" Türk lirası");
    if (kurus > 0)
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + number(kurus) + QStringLiteral(" kuruş");
    if (rounded < 0)
        text.prepend(QStringLiteral("eksi "));
    return text;
}

double ReceivableAging::overdueTotal() const
{
    double total = 0;
    for (double v : overdue)
        total = round2(total + v);
    return total;
}

ReceivableAging ageReceivables(std::vector<LedgerEntry> entries, QDate day)
{
    ReceivableAging a;
    std::erase_if(entries, [day](const LedgerEntry &e) { return e.date > day; });
    // The oldest due date is settled first; on equal due dates the older document.
    std::stable_sort(entries.begin(), entries.end(), [](const LedgerEntry &x, const LedgerEntry &y) {
        return x.due != y.due ? x.due < y.due : x.date < y.date;
    });
    double credit = 0;
    for (const LedgerEntry &e : entries) {
        a.debit = round2(a.debit + e.debit);
        credit = round2(credit + e.credit);
    }
    a.credit = credit;
    a.balance = round2(a.debit - a.credit);
    for (const LedgerEntry &e : entries) {
        if (e.debit <= 0)
            continue;
        const double settled = std::min(credit, e.debit);
        credit = round2(credit - settled);
        const double remaining = round2(e.debit - settled);
        if (remaining <= 0)
            continue;
        OpenItem item{e.kind, e.documentNo, e.date, e.due, e.debit, remaining, 0};
        if (e.due < day) {
            item.daysLate = int(e.due.daysTo(day));
            const size_t bucket = item.daysLate <= 30 ? 0 : item.daysLate <= 60 ? 1 : item.daysLate <= 90 ? 2 : 3;
            a.overdue[bucket] = round2(a.overdue[bucket] + remaining);
        } else {
            a.notDue = round2(a.notDue + remaining);
        }
        a.openItems.push_back(item);
    }
    a.advance = credit;
    return a;
}

bool documentsAvailable()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) != nullptr;
}

QByteArray webPaymentReceiptPdf(Database &db, int paymentId)
{
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT w.id, w.paid_at, w.amount, w.installments, w.card_holder, w.card_number, w.bank, w.auth_code, w.reference, "
        "w.status, a.code, a.name, COALESCE(c.number, '') "
        "FROM web_payments w JOIN accounts a ON a.id = w.account_id LEFT JOIN collections c ON c.web_payment_id = w.id "
        "WHERE w.id = ?"),
        {paymentId});
    if (!q.next())
        return {};
    const QDateTime paidAt = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
    const double amount = q.value(2).toDouble();
    const int installments = q.value(3).toInt();
    const QString title = QStringLiteral("Sanal POS Ödeme Dekontu");
    Html html(companyName(db), title, QStringLiteral("Dekont No: %1").arg(q.value(0).toInt()));
    std::vector<std::pair<QString, QString>> fields = {
        {QStringLiteral("İşlem Tarihi"), paidAt.toString(QStringLiteral("dd.MM.yyyy HH:mm"))},
        {QStringLiteral("Cari Kod"), q.value(10).toString()},
        {QStringLiteral("Cari Adı"), q.value(11).toString()},
        {QStringLiteral("Kart Sahibi"), q.value(4).toString()},
        {QStringLiteral("Kart Numarası"), q.value(5).toString()},
        {QStringLiteral("Banka"), q.value(6).toString()},
        {QStringLiteral("Taksit"), installments > 1 ? QStringLiteral("%1 taksit").arg(installments) : QStringLiteral("Tek çekim")},
        {QStringLiteral("Onay Kodu"), q.value(7).toString()},
        {QStringLiteral("Referans No"), q.value(8).toString()},
        {QStringLiteral("İşlem Durumu"), q.value(9).toString()},
    };
    // A payment is booked as a collection once it is approved; the receipt names it then.
    if (!q.value(12).toString().isEmpty())
        fields.push_back({QStringLiteral("Tahsilat Evrak No"), q.value(12).toString()});
    html.fields(fields);
    html.heading(QStringLiteral("Tutar: %1 TL").arg(money(amount)));
    html.paragraph(QStringLiteral("Yalnız %1.").arg(amountInWords(amount)));
    html.paragraph(QStringLiteral("Bu dekont sanal POS üzerinden yapılan kart ödemesinin bilgisi içindir."));
    return renderPdf(title, html, QPageLayout::Portrait);
}

QByteArray accountSummaryPdf(Database &db, int accountId, QDate day)
{
    const std::optional<Account> account = loadAccount(db, accountId);
    if (!account)
        return {};
    const Account &a = *account;
    const std::vector<LedgerEntry> ledger = loadLedger(db, accountId, day);
    const ReceivableAging aging = ageReceivables(ledger, day);

    const QString title = QStringLiteral("Cari Özeti");
    Html html(companyName(db), title, QStringLiteral("Tarih: %1").arg(::vexor::day(day)));
    html.heading(QStringLiteral("Cari Bilgileri"));
    html.fields({
        {QStringLiteral("Cari Kod"), a.code},
        {QStringLiteral("Cari Adı"), a.name},
        {QStringLiteral("Yetkili"), a.contact},
        {QStringLiteral("Adres"), joined({a.address1, a.address2}, QStringLiteral(" "))},
        {QStringLiteral("İlçe / İl"), joined({a.district, a.city}, QStringLiteral(" / "))},
        {QStringLiteral("Telefon"), joined({a.phone1, a.phone2, a.gsm}, QStringLiteral(", "))},
        {QStringLiteral("Vergi D. / No"), joined({a.taxOffice, a.taxNumber}, QStringLiteral(" / "))},
        {QStringLiteral("Satıcı"), a.repName},
        {QStringLiteral("Vade (Gün)"), QString::number(a.dueDays)},
        {QStringLiteral("Kredi Limiti"), money(a.creditLimit)},
    });

    html.heading(QStringLiteral("Bakiye"));
    html.table({{QStringLiteral("Toplam Borç"), true}, {QStringLiteral("Toplam Alacak"), true}, {QStringLiteral("Bakiye"), true}},
               {{money(aging.debit), money(aging.credit), signedBalance(aging.balance)}});

    html.heading(QStringLiteral("Alacak Vadeleri"));
    std::vector<Html::Column> agingColumns;
    for (const QString &caption : agingCaptions())
        agingColumns.push_back({caption, true});
    agingColumns.push_back({QStringLiteral("Avans"), true});
    html.table(agingColumns, {agingCells(aging) << money(aging.advance)});

    html.heading(QStringLiteral("Açık Borçlar"));
    if (aging.openItems.empty()) {
        html.paragraph(QStringLiteral("Açık borç yok."));
    } else {
        std::vector<QStringList> rows;
        for (const OpenItem &i : aging.openItems) {
            rows.push_back({i.documentNo, i.kind, ::vexor::day(i.date), ::vexor::day(i.due), money(i.amount), money(i.remaining),
                            i.daysLate > 0 ? QString::number(i.daysLate) : QString()});
        }
        html.table({{QStringLiteral("Evrak No")}, {QStringLiteral("Tür")}, {QStringLiteral("Tarih")}, {QStringLiteral("Vade")},
                    {QStringLiteral("Tutar"), true}, {QStringLiteral("Kalan"), true}, {QStringLiteral("Gecikme (Gün)"), true}},
                   rows, {QStringLiteral("Toplam"), {}, {}, {}, {}, money(round2(aging.notDue + aging.overdueTotal())), {}});
    }

    // Order balances are what is open now; they have no history to take a day from.
    html.heading(QStringLiteral("Açık Sipariş Bakiyeleri (güncel)"));
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT o.id, o.ordered_at, s.code, s.name, l.quantity, l.quantity - l.delivered - l.cancelled, l.unit_price, "
        "l.ind1, l.ind2, l.ind3, l.ind4, l.vat_rate "
        "FROM order_lines l JOIN orders o ON o.id = l.order_id JOIN stocks s ON s.id = l.stock_id "
        "WHERE o.account_id = ? AND l.delivered + l.cancelled < l.quantity ORDER BY o.ordered_at, o.id, l.line_no"),
        {accountId});
    std::vector<QStringList> balanceRows;
    double balanceTotal = 0;
    while (q.next()) {
        Discounts discounts;
        for (size_t k = 0; k < discounts.rates.size(); ++k)
            discounts.rates[k] = q.value(7 + int(k)).toDouble();
        const double net = dialogLineAmounts(q.value(5).toDouble(), q.value(6).toDouble(), discounts, q.value(11).toDouble()).net;
        balanceTotal = round2(balanceTotal + net);
        balanceRows.push_back({QString::number(q.value(0).toInt()), ::vexor::day(dateOf(q.value(1))), q.value(2).toString(),
                               q.value(3).toString(), quantity(q.value(4).toDouble()), quantity(q.value(5).toDouble()),
                               money(net)});
    }
    if (balanceRows.empty()) {
        html.paragraph(QStringLiteral("Açık sipariş bakiyesi yok."));
    } else {
        const auto lines = qsizetype(balanceRows.size());
        html.table({{QStringLiteral("Sipariş No")}, {QStringLiteral("Tarih")}, {QStringLiteral("Stok Kodu")}, {QStringLiteral("Stok Adı")},
                    {QStringLiteral("Miktar"), true}, {QStringLiteral("Kalan"), true}, {QStringLiteral("Net Tutar"), true}},
                   balanceRows, {QStringLiteral("%1 satır").arg(lines), {}, {}, {}, {}, {}, money(balanceTotal)});
    }

    html.heading(QStringLiteral("Son Hareketler"));
    std::vector<QStringList> moves;
    double running = 0;
    for (const LedgerEntry &e : ledger) {
        running = round2(running + e.debit - e.credit);
        moves.push_back({::vexor::day(e.date), e.kind, e.documentNo, money(e.debit), money(e.credit), signedBalance(running)});
    }
    constexpr size_t kLastMovements = 10;
    if (moves.size() > kLastMovements)
        moves.erase(moves.begin(), moves.end() - kLastMovements);
    if (moves.empty())
        html.paragraph(QStringLiteral("Hareket yok."));
    else
        html.table({{QStringLiteral("Tarih")}, {QStringLiteral("Tür")}, {QStringLiteral("Evrak No")}, {QStringLiteral("Borç"), true},
                    {QStringLiteral("Alacak"), true}, {QStringLiteral("Bakiye"), true}},
                   moves);
    return renderPdf(title, html, QPageLayout::Portrait);
}

QByteArray receivablesPdf(Database &db, int repId, QDate day)
{
    struct Row
    {
        QString code, name, repName;
        int dueDays = 0;
        std::vector<LedgerEntry> ledger;
    };
    std::map<int, Row> rows; // by account id
    QString repName = QStringLiteral("Tümü");
    if (repId > 0)
        repName = db.scalar(QStringLiteral("SELECT name FROM representatives WHERE id = ?"), {repId}).value_or(QString()).toString();
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT a.id, a.code, a.name, COALESCE(r.name, ''), a.due_days, %1 "
        "FROM accounts a LEFT JOIN representatives r ON r.id = a.rep_id "
        "JOIN account_movements m ON m.account_id = a.id AND m.moved_at < ? "
        "WHERE (? = 0 OR a.rep_id = ?) ORDER BY a.id, m.moved_at, m.id").arg(kLedgerColumns),
        {endOf(day), repId, repId});
    while (q.next()) {
        Row &r = rows[q.value(0).toInt()];
        if (r.code.isEmpty()) {
            r.code = q.value(1).toString();
            r.name = q.value(2).toString();
            r.repName = q.value(3).toString();
            r.dueDays = q.value(4).toInt();
        }
        r.ledger.push_back(ledgerEntry(q, 5));
    }

    std::vector<std::pair<const Row *, ReceivableAging>> aged;
    for (const auto &[id, r] : rows) {
        ReceivableAging a = ageReceivables(r.ledger, day);
        if (a.balance != 0)
            aged.emplace_back(&r, std::move(a));
    }
    std::sort(aged.begin(), aged.end(), [](const auto &x, const auto &y) { return x.first->code < y.first->code; });

    const QString title = QStringLiteral("Cari Toplu Alacak Vadeleri");
    Html html(companyName(db), title, QStringLiteral("Tarih: %1    Satıcı: %2").arg(::vexor::day(day), repName));
    std::vector<Html::Column> columns = {{QStringLiteral("Cari Kod")}, {QStringLiteral("Cari Adı")}, {QStringLiteral("Satıcı")},
                                         {QStringLiteral("Vade"), true}, {QStringLiteral("Bakiye"), true}};
    for (const QString &caption : agingCaptions())
        columns.push_back({caption, true});
    std::vector<QStringList> tableRows;
    ReceivableAging total;
    for (const auto &[r, a] : aged) {
        tableRows.push_back(QStringList{r->code, r->name, r->repName, QString::number(r->dueDays), signedBalance(a.balance)}
                            + agingCells(a));
        total.balance = round2(total.balance + a.balance);
        total.notDue = round2(total.notDue + a.notDue);
        for (size_t k = 0; k < total.overdue.size(); ++k)
            total.overdue[k] = round2(total.overdue[k] + a.overdue[k]);
    }
    if (tableRows.empty()) {
        html.paragraph(QStringLiteral("Bakiyesi olan cari yok."));
    } else {
        html.table(columns, tableRows,
                   QStringList{QStringLiteral("Toplam"), QStringLiteral("%1 cari").arg(tableRows.size()), {}, {},
                               signedBalance(total.balance)}
                       + agingCells(total));
    }
    return renderPdf(title, html, QPageLayout::Landscape);
}

QByteArray accountSalesPdf(Database &db, int accountId, QDate from, QDate to)
{
    const std::optional<Account> account = loadAccount(db, accountId);
    if (!account)
        return {};
    const Account &a = *account;

    const double opening = round2(db.scalar(QStringLiteral("SELECT COALESCE(SUM(debit - credit), 0) FROM account_movements "
                                                           "WHERE account_id = ? AND moved_at < ?"),
                                            {accountId, isoDate(from)})
                                      .value_or(0)
                                      .toDouble());
    struct Month
    {
        double sales = 0, returns = 0, collections = 0, payments = 0, other = 0;
    };
    std::map<int, Month> months; // year * 12 + month - 1
    for (QDate m(from.year(), from.month(), 1); m <= to; m = m.addMonths(1))
        months[m.year() * 12 + m.month() - 1];
    QSqlQuery q = db.exec(QStringLiteral("SELECT moved_at, kind, debit, credit FROM account_movements "
                                         "WHERE account_id = ? AND moved_at >= ? AND moved_at < ? ORDER BY moved_at, id"),
                          {accountId, isoDate(from), endOf(to)});
    while (q.next()) {
        const QDate d = dateOf(q.value(0));
        Month &m = months[d.year() * 12 + d.month() - 1];
        const QString kind = q.value(1).toString();
        const double debit = q.value(2).toDouble();
        const double credit = q.value(3).toDouble();
        if (kind == kMovementInvoice)
            m.sales = round2(m.sales + debit - credit);
        else if (kind == kMovementReturnInvoice)
            m.returns = round2(m.returns + credit - debit);
        else if (kind == kMovementCollection)
            m.collections = round2(m.collections + credit - debit);
        else if (kind == kMovementPayment)
            m.payments = round2(m.payments + debit - credit);
        else
            m.other = round2(m.other + debit - credit);
    }

    const QString title = QStringLiteral("Cari Alış Satış Tablosu (Satıcılı)");
    Html html(companyName(db), title, QStringLiteral("%1 - %2").arg(day(from), day(to)));
    html.fields({
        {QStringLiteral("Cari Kod"), a.code},
        {QStringLiteral("Cari Adı"), a.name},
        {QStringLiteral("Satıcı"), a.repName},
        {QStringLiteral("Devir Bakiyesi"), signedBalance(opening)},
    });

    html.heading(QStringLiteral("Aylık Hareketler"));
    std::vector<QStringList> rows;
    Month total;
    double balance = opening;
    for (const auto &[key, m] : months) {
        balance = round2(balance + m.sales - m.returns - m.collections + m.payments + m.other);
        const QString month = turkish().standaloneMonthName(key % 12 + 1) + QLatin1Char(' ') + QString::number(key / 12);
        rows.push_back({month, money(m.sales), money(m.returns), money(round2(m.sales - m.returns)), money(m.collections),
                        money(m.payments), money(m.other), signedBalance(balance)});
        total.sales = round2(total.sales + m.sales);
        total.returns = round2(total.returns + m.returns);
        total.collections = round2(total.collections + m.collections);
        total.payments = round2(total.payments + m.payments);
        total.other = round2(total.other + m.other);
    }
    html.table({{QStringLiteral("Ay")}, {QStringLiteral("Satış"), true}, {QStringLiteral("İade"), true},
                {QStringLiteral("Net Satış"), true}, {QStringLiteral("Tahsilat"), true}, {QStringLiteral("Tediye"), true},
                {QStringLiteral("Diğer"), true}, {QStringLiteral("Bakiye"), true}},
               rows,
               {QStringLiteral("Toplam"), money(total.sales), money(total.returns), money(round2(total.sales - total.returns)),
                money(total.collections), money(total.payments), money(total.other), signedBalance(balance)});

    html.heading(QStringLiteral("Satıcı Bazında Satışlar"));
    QSqlQuery reps = db.exec(QStringLiteral(
        "SELECT COALESCE(r.name, ''), SUM(CASE WHEN i.kind = ? THEN 1 ELSE 0 END), "
        "SUM(CASE WHEN i.kind = ? THEN i.grand_total ELSE 0 END), SUM(CASE WHEN i.kind = ? THEN i.grand_total ELSE 0 END) "
        "FROM invoices i LEFT JOIN representatives r ON r.id = i.rep_id "
        "WHERE i.account_id = ? AND i.issued_at >= ? AND i.issued_at < ? GROUP BY COALESCE(r.name, '') ORDER BY 1"),
        {kMovementInvoice, kMovementInvoice, kMovementReturnInvoice, accountId, isoDate(from), endOf(to)});
    std::vector<QStringList> repRows;
    int invoiceCount = 0;
    double repSales = 0, repReturns = 0;
    while (reps.next()) {
        const double sales = round2(reps.value(2).toDouble());
        const double returns = round2(reps.value(3).toDouble());
        invoiceCount += reps.value(1).toInt();
        repSales = round2(repSales + sales);
        repReturns = round2(repReturns + returns);
        repRows.push_back({reps.value(0).toString(), QString::number(reps.value(1).toInt()), money(sales), money(returns),
                           money(round2(sales - returns))});
    }
    if (repRows.empty())
        html.paragraph(QStringLiteral("Bu dönemde fatura yok."));
    else
        html.table({{QStringLiteral("Satıcı")}, {QStringLiteral("Fatura Adedi"), true}, {QStringLiteral("Satış"), true},
                    {QStringLiteral("İade"), true}, {QStringLiteral("Net Satış"), true}},
                   repRows,
                   {QStringLiteral("Toplam"), QString::number(invoiceCount), money(repSales), money(repReturns),
                    money(round2(repSales - repReturns))});
    return renderPdf(title, html, QPageLayout::Landscape);
}

} // namespace vexor
