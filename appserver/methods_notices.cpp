// Sales representatives (account search and order-status lists), notices (news line,
// counters, banners, opening screens and advertisements) and the requests users send by mail.
#include "notices.h"

#include "dispatch.h"
#include "servermethods.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"
#include "storage/search.h"

#include "common/formats.h"
#include "common/turkish.h"
#include "server/tablecodec.h"

#include <QRegularExpression>

#include <optional>

namespace vexor {

namespace {

const QString kSessionErrorClass = QStringLiteral("EVexorSessionError");
const QString kNotFoundClass = QStringLiteral("EVexorNotFound");
const QString kLimitErrorClass = QStringLiteral("EVexorLimitError");

CallError sessionError(const QString &message)
{
    return CallError(kSessionErrorClass, message, 403);
}

CallError paramError(const QString &message)
{
    return CallError(kParamErrorClass, message, 400);
}

bool isRepresentative(int kind)
{
    return kind == 1 || kind == 2;
}

// The accounts a session may see: a representative's own accounts, a dealer's one account.
struct Visibility
{
    QString where;
    QVariant value;
};

Visibility visibilityOf(const TServerMethods1::Session &s)
{
    if (isRepresentative(s.kind))
        return {QStringLiteral("a.rep_id = ?"), s.repId};
    return {QStringLiteral("a.id = ?"), s.accountId};
}

// The order status behind each list of the customer selection window (n = 2..7).
std::optional<OrderStatus> statusOfList(qint32 n)
{
    switch (n) {
    case 2: return OrderStatus::Alindi;
    case 3: return OrderStatus::Onaylandi;
    case 4: return OrderStatus::Goruldu;
    case 5: return OrderStatus::ParcaliHazirlandi;
    case 6: return OrderStatus::Hazirlandi;
    case 7: return OrderStatus::SevkEdildi;
    default: return std::nullopt;
    }
}

// The account list of the customer selection window, in this column order.
const std::vector<FieldDef> &accountColumns()
{
    static const std::vector<FieldDef> columns = [] {
        std::vector<FieldDef> c;
        auto add = [&c](const char *name, FieldType type) { c.push_back({QString::fromLatin1(name), type, {}}); };
        add("CARINO", FieldType::Int32);
        add("CARIKOD", FieldType::String);
        add("CARIADI", FieldType::String);
        add("SATICISI", FieldType::String);
        add("TLBAKIYE", FieldType::Double);
        add("DURUM", FieldType::String);
        add("SEPET", FieldType::Int32);
        add("ALINDI", FieldType::Int32);
        add("GORULDU", FieldType::Int32);
        add("ONAYLANDI", FieldType::Int32);
        add("PARCALIHAZIRLANDI", FieldType::Int32);
        add("HAZIRLANDI", FieldType::Int32);
        add("SEVKEDILDI", FieldType::Int32);
        add("OZELKOD", FieldType::String);
        add("KOD1", FieldType::String);
        add("KOD2", FieldType::String);
        add("KOD3", FieldType::String);
        add("KOD4", FieldType::String);
        add("KOD5", FieldType::String);
        add("TEL1", FieldType::String);
        add("TEL2", FieldType::String);
        add("GSM", FieldType::String);
        add("FAX1", FieldType::String);
        add("FAX2", FieldType::String);
        add("EMAIL", FieldType::String);
        add("YETKILI", FieldType::String);
        add("ADRES1", FieldType::String);
        add("ADRES2", FieldType::String);
        add("ILCE", FieldType::String);
        add("IL", FieldType::String);
        add("VERGIDAIRESI", FieldType::String);
        add("VERGINO", FieldType::String);
        add("ANAGRUP", FieldType::String);
        add("ALTGRUP", FieldType::String);
        add("INDIRIM", FieldType::Double);
        add("VADE", FieldType::Int32);
        add("VADEKONTROLGUN", FieldType::Int32);
        add("VADEKONTROLAY", FieldType::Int32);
        add("TLBORC", FieldType::Double);
        add("TLALACAK", FieldType::Double);
        return c;
    }();
    return columns;
}

// The accounts a session sees that also meet `extra` (SQL with its own parameters), as the
// account list. The balance is shown as its size with "B" (the account owes) or "A" (the
// account is owed); the counts are of cart lines and of orders in each status.
EncodedTable accountList(Database &db, const TServerMethods1::Session &s, const QString &extra,
                         const std::vector<QVariant> &extraParams)
{
    const Visibility v = visibilityOf(s);
    QString sql = QStringLiteral(
        "SELECT a.id, a.code, a.name, COALESCE(r.name, ''), "
        "(SELECT COALESCE(SUM(m.debit), 0) FROM account_movements m WHERE m.account_id = a.id), "
        "(SELECT COALESCE(SUM(m.credit), 0) FROM account_movements m WHERE m.account_id = a.id), "
        "(SELECT COUNT(*) FROM cart_lines c WHERE c.account_id = a.id), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 1), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 2), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 3), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 4), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 5), "
        "(SELECT COUNT(*) FROM orders o WHERE o.account_id = a.id AND o.status_id = 6), "
        "a.special_code, a.code1, a.code2, a.code3, a.code4, a.code5, a.phone1, a.phone2, a.gsm, a.fax1, a.fax2, a.email, "
        "a.contact, a.address1, a.address2, a.district, a.city, a.tax_office, a.tax_number, a.main_group, a.sub_group, "
        "COALESCE(d.ind1, 0), COALESCE(d.ind2, 0), COALESCE(d.ind3, 0), COALESCE(d.ind4, 0), "
        "a.due_days, a.due_check_days, a.due_check_months "
        "FROM accounts a LEFT JOIN representatives r ON r.id = a.rep_id "
        "LEFT JOIN account_discounts d ON d.account_id = a.id AND d.brand_id IS NULL "
        "WHERE a.active = 1 AND %1");
    sql = sql.arg(v.where);
    if (!extra.isEmpty())
        sql += QStringLiteral(" AND ") + extra;
    sql += QStringLiteral(" ORDER BY a.code");
    std::vector<QVariant> params{v.value};
    params.insert(params.end(), extraParams.begin(), extraParams.end());
    QSqlQuery q = db.exec(sql, params);

    JsonWriter w;
    TableEncoder t(w, accountColumns());
    while (q.next()) {
        const double debit = roundHalfAwayFromZero(q.value(4).toDouble());
        const double credit = roundHalfAwayFromZero(q.value(5).toDouble());
        const double balance = roundHalfAwayFromZero(debit - credit);
        Discounts general;
        for (int i = 0; i < 4; ++i)
            general.rates[size_t(i)] = q.value(34 + i).toDouble();
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addString(q.value(3).toString());
        t.addDouble(std::abs(balance));
        t.addString(balance > 0 ? QStringLiteral("B") : balance < 0 ? QStringLiteral("A") : QString());
        for (int i = 6; i <= 12; ++i)
            t.addInt(q.value(i).toInt());
        for (int i = 13; i <= 33; ++i)
            t.addString(q.value(i).toString());
        t.addDouble(combinedRate(general));
        t.addInt(q.value(38).toInt());
        t.addInt(q.value(39).toInt());
        t.addInt(q.value(40).toInt());
        t.addDouble(debit);
        t.addDouble(credit);
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

// A search text as conditions on the accounts' folded code and name: every word must occur.
void addSearchWords(const QString &text, QString &extra, std::vector<QVariant> &params)
{
    const QStringList words = foldTurkish(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < std::min<qsizetype>(words.size(), kMaxSearchWords); ++i) {
        QString word = words[i].left(kMaxSearchWordLength);
        word.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        word.replace(QLatin1Char('%'), QStringLiteral("\\%"));
        word.replace(QLatin1Char('_'), QStringLiteral("\\_"));
        if (!extra.isEmpty())
            extra += QStringLiteral(" AND ");
        extra += QStringLiteral("a.search_key LIKE ? ESCAPE '\\'");
        params.push_back(QString(QLatin1Char('%') + word + QLatin1Char('%')));
    }
}

QByteArray bannerOf(Database &db, int slot, qint64 &size)
{
    const auto content = db.scalar(QStringLiteral("SELECT content FROM banners WHERE slot = ?"), {slot});
    const QByteArray bytes = content ? content->toByteArray() : QByteArray();
    size = bytes.size();
    return bytes;
}

std::unique_ptr<TAcilisEkran> screenFrom(QSqlQuery &q)
{
    auto screen = std::make_unique<TAcilisEkran>();
    screen->setSiraNo(q.value(0).toInt());
    screen->setResim(QString::fromLatin1(q.value(1).toByteArray().toHex().toUpper()));
    screen->setBaslik(q.value(2).toString());
    screen->setArama(q.value(3).toString());
    return screen;
}

const QString kScreenColumns = QStringLiteral("SELECT id, picture, title, search FROM opening_screens WHERE active = 1");
const QString kScreenOrder = QStringLiteral(" ORDER BY sort_order, id");

bool isMailAddress(const QString &text)
{
    static const QRegularExpression address(QStringLiteral(R"(^[^@\s<>,;"]+@[^@\s<>,;"]+\.[^@\s<>,;"]+$)"));
    return text.size() <= 254 && address.match(text).hasMatch();
}

// Texts of the request forms are refused beyond these sizes.
constexpr qsizetype kMaxFieldLength = 500;
constexpr qsizetype kMaxMessageLength = 20000;

void checkLength(const QString &value, const char *name, qsizetype max)
{
    if (value.size() > max)
        throw paramError(QStringLiteral("'%1' en çok %2 karakter olabilir").arg(QLatin1String(name)).arg(max));
}

// The message text as the mail form sends it: its lines joined by commas, a line with a
// blank, comma, quote or control character in quotes (quotes doubled). Gives the lines back,
// or nothing when the text is not of that form (another client's plain text), which is then
// kept as it came.
std::optional<QStringList> messageLines(const QString &text)
{
    QStringList lines;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        QString line;
        if (i < n && text[i] == QLatin1Char('"')) {
            ++i;
            while (true) {
                if (i >= n)
                    return std::nullopt; // no closing quote
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        line += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                line += text[i++];
            }
            if (i < n && text[i] != QLatin1Char(','))
                return std::nullopt;
        } else {
            while (i < n && text[i] != QLatin1Char(',')) {
                const QChar c = text[i];
                if (c == QLatin1Char(' ') || c == QLatin1Char('"') || c.category() == QChar::Other_Control)
                    return std::nullopt; // would have been quoted
                line += c;
                ++i;
            }
        }
        lines << line;
        if (i >= n)
            return lines;
        ++i; // the comma
    }
}

QString fieldLine(const QString &label, const QString &value)
{
    return label + QLatin1Char(' ') + notices::oneLine(value) + QLatin1Char('\n');
}

QString replyAddress(const QString &typed, const notices::MachineUser &u, Database &db)
{
    const QString trimmed = typed.trimmed();
    if (isMailAddress(trimmed))
        return trimmed;
    if (isMailAddress(u.email))
        return u.email;
    if (u.accountId > 0) {
        const QString accountMail = db.scalar(QStringLiteral("SELECT email FROM accounts WHERE id = ?"), {u.accountId})
                                        .value_or(QString()).toString();
        if (isMailAddress(accountMail))
            return accountMail;
    }
    return {};
}

// The heading lines every request mail starts with: who sent it from where.
QString senderLines(Database &db, const notices::MachineUser &u)
{
    QString text = fieldLine(QStringLiteral("Bilgisayar ID:"), u.machineId);
    text += fieldLine(QStringLiteral("Kullanıcı:"), u.fullName.isEmpty() ? u.name : u.name + QStringLiteral(" (") + u.fullName
                                                                                     + QLatin1Char(')'));
    if (u.accountId > 0) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT code, name FROM accounts WHERE id = ?"), {u.accountId});
        if (q.next())
            text += fieldLine(QStringLiteral("Cari:"), q.value(0).toString() + QStringLiteral(" - ") + q.value(1).toString());
    }
    return text;
}

} // namespace

namespace notices {

Counters countersFor(Database &db, int accountId, bool campaigns)
{
    Counters c;
    c.newStocks = int(newStockIds(db).size());
    c.campaignStocks = campaigns ? int(campaignStockIds(db).size()) : 0;
    c.announcements = db.scalar(QStringLiteral("SELECT COUNT(*) FROM opening_screens WHERE active = 1")).value_or(0).toInt();
    c.documents = db.scalar(QStringLiteral("SELECT COUNT(*) FROM documents WHERE account_id IS NULL OR account_id = ?"),
                            {accountId}).value_or(0).toInt();
    if (accountId <= 0)
        return c;
    c.cartLines = db.scalar(QStringLiteral("SELECT COUNT(*) FROM cart_lines WHERE account_id = ?"), {accountId}).value_or(0).toInt();
    // Lines of cancelled or completed orders are closed whatever their numbers say.
    const double open = db.scalar(QStringLiteral(
        "SELECT COALESCE(SUM(l.quantity - l.delivered - l.cancelled), 0) FROM order_lines l JOIN orders o ON o.id = l.order_id "
        "WHERE o.account_id = ? AND o.status_id NOT IN (7, 8) AND l.delivered + l.cancelled < l.quantity"),
        {accountId}).value_or(0).toDouble();
    c.openBalance = roundHalfAwayFromZero(open, 3);
    return c;
}

RecordList<TAcilisEkran> openingScreens(Database &db, bool advertisementsOnly)
{
    QSqlQuery q = db.exec(kScreenColumns + (advertisementsOnly ? QStringLiteral(" AND advertisement = 1") : QString())
                          + kScreenOrder);
    RecordList<TAcilisEkran> screens;
    while (q.next())
        screens.push_back(screenFrom(q));
    return screens;
}

MachineUser machineUser(Database &db, const QString &machineId)
{
    MachineUser u;
    u.machineId = normalizeMachineId(machineId);
    if (u.machineId.isEmpty())
        throw sessionError(QStringLiteral("Bilgisayar kimliği gönderilmedi"));
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT u.id, u.kind, u.active, COALESCE(u.account_id, 0), COALESCE(CASE WHEN u.kind IN (1, 2) THEN u.rep_id ELSE a.rep_id END, 0), "
        "u.name, u.password, u.email, u.full_name "
        "FROM machines m JOIN users u ON u.id = m.user_id LEFT JOIN accounts a ON a.id = u.account_id WHERE m.machine_id = ?"),
        {u.machineId});
    if (!q.next())
        throw sessionError(QStringLiteral("Bu bilgisayar sunucuda kayıtlı değil"));
    if (q.value(2).toInt() != 1)
        throw sessionError(QStringLiteral("Kullanıcı etkin değil"));
    u.userId = q.value(0).toInt();
    u.kind = q.value(1).toInt();
    u.accountId = q.value(3).toInt();
    u.repId = q.value(4).toInt();
    u.name = q.value(5).toString();
    u.password = q.value(6).toString();
    u.email = q.value(7).toString();
    u.fullName = q.value(8).toString();
    return u;
}

QString recipientFor(Database &db, int repId, MailTo to)
{
    const QString office = readSetting(db, kSettingMailTo).trimmed();
    QString rep;
    if (repId > 0)
        rep = db.scalar(QStringLiteral("SELECT email FROM representatives WHERE id = ? AND active = 1"), {repId})
                  .value_or(QString()).toString().trimmed();
    const QString first = to == MailTo::Office ? office : rep;
    const QString second = to == MailTo::Office ? rep : office;
    if (isMailAddress(first))
        return first;
    if (isMailAddress(second))
        return second;
    throw CallError(QStringLiteral("EVexorConfigError"), QStringLiteral("Sunucuda isteklerin gideceği posta adresi tanımlı değil"), 500);
}

qint64 queueMail(Database &db, const OutgoingMail &mail)
{
    const QDateTime now = QDateTime::currentDateTime();
    Transaction tx(db);
    const int recent = db.scalar(QStringLiteral("SELECT COUNT(*) FROM mail_outbox WHERE machine_id = ? AND created_at > ?"),
                                 {mail.machineId, isoDateTime(now.addSecs(-3600))}).value_or(0).toInt();
    if (recent >= kMailsPerMachinePerHour)
        throw CallError(kLimitErrorClass, QStringLiteral("Çok fazla istek gönderildi, lütfen daha sonra tekrar deneyin"), 429);
    const qint64 id = db.insert(QStringLiteral("INSERT INTO mail_outbox (created_at, machine_id, account_id, reply_to, recipient, "
                                               "subject, body) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                                {isoDateTime(now), mail.machineId, mail.accountId > 0 ? QVariant(mail.accountId) : QVariant(),
                                 oneLine(mail.replyTo), oneLine(mail.recipient), oneLine(mail.subject).left(200), mail.body});
    tx.commit();
    return id;
}

QString oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line;
}

} // namespace notices

EncodedTable TServerMethods1::CariAra(std::unique_ptr<TSonucBilgisi> bil, const QString &aranan)
{
    Database &db = database("CariAra");
    const Session s = sessionFor(bil.get());
    QString extra;
    std::vector<QVariant> params;
    addSearchWords(aranan, extra, params);
    return accountList(db, s, extra, params);
}

EncodedTable TServerMethods1::CariSepetVer(std::unique_ptr<TSonucBilgisi> bil, qint32 n)
{
    Database &db = database("CariSepetVer");
    if (n == 1) {
        const Session s = sessionFor(bil.get());
        return accountList(db, s, QStringLiteral("EXISTS (SELECT 1 FROM cart_lines c WHERE c.account_id = a.id)"), {});
    }
    const std::optional<OrderStatus> status = statusOfList(n);
    if (!status)
        throw paramError(QStringLiteral("TServerMethods1.CariSepetVer: 'n' 1 ile 7 arasında olmalı, %1 geldi").arg(n));
    const Session s = sessionFor(bil.get());
    return accountList(db, s, QStringLiteral("EXISTS (SELECT 1 FROM orders o WHERE o.account_id = a.id AND o.status_id = ?)"),
                       {int(*status)});
}

qint32 TServerMethods1::SepetSayisi(std::unique_ptr<TSonucBilgisi> bil)
{
    // The number of accounts the cart button lists.
    Database &db = database("SepetSayisi");
    const Session s = sessionFor(bil.get());
    const Visibility v = visibilityOf(s);
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM accounts a WHERE a.active = 1 AND %1 "
                                    "AND EXISTS (SELECT 1 FROM cart_lines c WHERE c.account_id = a.id)").arg(v.where),
                     {v.value}).value_or(0).toInt();
}

std::unique_ptr<TTusSonuclari> TServerMethods1::TusSonuclariVer(std::unique_ptr<TSonucBilgisi> bil)
{
    // Orders in each status over the accounts the session sees.
    Database &db = database("TusSonuclariVer");
    const Session s = sessionFor(bil.get());
    const Visibility v = visibilityOf(s);
    QSqlQuery q = db.exec(QStringLiteral("SELECT o.status_id, COUNT(*) FROM orders o JOIN accounts a ON a.id = o.account_id "
                                         "WHERE a.active = 1 AND %1 AND o.status_id BETWEEN 1 AND 6 GROUP BY o.status_id")
                              .arg(v.where),
                          {v.value});
    auto r = std::make_unique<TTusSonuclari>();
    while (q.next()) {
        const int count = q.value(1).toInt();
        switch (OrderStatus(q.value(0).toInt())) {
        case OrderStatus::Alindi: r->setAlindi(count); break;
        case OrderStatus::Goruldu: r->setGoruldu(count); break;
        case OrderStatus::Onaylandi: r->setOnaylandi(count); break;
        case OrderStatus::ParcaliHazirlandi: r->setParcaliHazirlandi(count); break;
        case OrderStatus::Hazirlandi: r->setHazirlandi(count); break;
        case OrderStatus::SevkEdildi: r->setSevkEdildi(count); break;
        default: break;
        }
    }
    return r;
}

QString TServerMethods1::KayanYaziGetir()
{
    return readSetting(database("KayanYaziGetir"), kSettingNews);
}

EncodedTable TServerMethods1::BalonGetir(std::unique_ptr<TSonucBilgisi> bil)
{
    Database &db = database("BalonGetir");
    const Session s = sessionFor(bil.get());
    const bool campaigns = s.kind != 4 && loadAccountPricing(db, s.accountId).campaigns;
    const notices::Counters c = notices::countersFor(db, s.accountId, campaigns);
    JsonWriter w;
    TableEncoder t(w, {{QStringLiteral("SEPET"), FieldType::Int32, {}},
                       {QStringLiteral("YENISTOK"), FieldType::Int32, {}},
                       {QStringLiteral("KAMPANYALI"), FieldType::Int32, {}},
                       {QStringLiteral("DUYURU"), FieldType::Int32, {}},
                       {QStringLiteral("BAKIYE"), FieldType::Double, {}},
                       {QStringLiteral("DOSYA"), FieldType::Int32, {}}});
    t.beginRow();
    t.addInt(c.cartLines);
    t.addInt(c.newStocks);
    t.addInt(c.campaignStocks);
    t.addInt(c.announcements);
    t.addDouble(c.openBalance);
    t.addInt(c.documents);
    t.endRow();
    t.finish();
    return {w.take()};
}

QByteArray TServerMethods1::BannerResimVer(qint64 &size)
{
    return bannerOf(database("BannerResimVer"), 1, size);
}

QByteArray TServerMethods1::BannerResimVer2(qint64 &size)
{
    return bannerOf(database("BannerResimVer2"), 2, size);
}

QByteArray TServerMethods1::BannerResimVer3(qint64 &size)
{
    return bannerOf(database("BannerResimVer3"), 3, size);
}

qint32 TServerMethods1::AcilisReklamAdet()
{
    return database("AcilisReklamAdet")
        .scalar(QStringLiteral("SELECT COUNT(*) FROM opening_screens WHERE active = 1 AND advertisement = 1"))
        .value_or(0)
        .toInt();
}

std::unique_ptr<TAcilisEkran> TServerMethods1::AcilisREklamVer(qint32 sira)
{
    Database &db = database("AcilisREklamVer");
    if (sira >= 0) {
        QSqlQuery q = db.exec(kScreenColumns + QStringLiteral(" AND advertisement = 1") + kScreenOrder
                                  + QStringLiteral(" LIMIT 1 OFFSET ?"),
                              {sira});
        if (q.next())
            return screenFrom(q);
    }
    // The window asks for its position minus one; a position past the end means the
    // advertisements changed under it.
    throw CallError(kNotFoundClass, QStringLiteral("%1. reklam yok").arg(qint64(sira) + 1), 404);
}

std::unique_ptr<TAcilisEkranlariki> TServerMethods1::AcilisEkranlarVer2()
{
    auto r = std::make_unique<TAcilisEkranlariki>();
    r->setEkranlar(notices::openingScreens(database("AcilisEkranlarVer2"), false));
    return r;
}

qint32 TServerMethods1::MailGonserCari(const QString &idsi, const QString &baslik, const QString &firmaadi,
                                       const QString &adres1, const QString &adres2, const QString &ilce, const QString &sehir,
                                       const QString &telefon, const QString &fax, const QString &vd, const QString &vn,
                                       const QString &yetkili, const QString &kullaniciadi, const QString &sifre,
                                       const QString &mail, const QString &kargoambar)
{
    Database &db = database("MailGonserCari");
    const notices::MachineUser u = notices::machineUser(db, idsi);
    const std::pair<const QString &, const char *> all[] = {
        {baslik, "baslik"}, {firmaadi, "firmaadi"}, {adres1, "adres1"}, {adres2, "adres2"}, {ilce, "ilce"},
        {sehir, "sehir"}, {telefon, "telefon"}, {fax, "fax"}, {vd, "vd"}, {vn, "vn"}, {yetkili, "yetkili"},
        {kullaniciadi, "kullaniciadi"}, {sifre, "sifre"}, {mail, "mail"}, {kargoambar, "kargoambar"}};
    for (const auto &[value, name] : all)
        checkLength(value, name, kMaxFieldLength);
    // The same fields the request form insists on, with its messages.
    const std::pair<const QString &, QString> required[] = {
        {firmaadi, QStringLiteral("Firma Adı boş olamaz !")},   {adres1, QStringLiteral("Adres boş olamaz !")},
        {ilce, QStringLiteral("İlçe Adı boş olamaz !")},        {sehir, QStringLiteral("Şehir Adı boş olamaz !")},
        {telefon, QStringLiteral("Telefon  boş olamaz !")},     {yetkili, QStringLiteral("Yetkili  boş olamaz !")},
        {kullaniciadi, QStringLiteral("Kullanıcı  boş olamaz !")}, {sifre, QStringLiteral("Şifre  boş olamaz !")},
        {mail, QStringLiteral("Mail  boş olamaz !")}};
    for (const auto &[value, message] : required) {
        if (value.trimmed().isEmpty())
            throw paramError(message);
    }

    const QString subject = baslik.trimmed().isEmpty() ? QStringLiteral("Şifre Değiştirme İsteği") : baslik.trimmed();
    QString body = notices::oneLine(subject) + QStringLiteral("\n\n") + senderLines(db, u) + QLatin1Char('\n');
    body += QStringLiteral("Firma Bilgileri\n");
    body += fieldLine(QStringLiteral("Firma Adı:"), firmaadi);
    body += fieldLine(QStringLiteral("Adres:"), adres1);
    body += fieldLine(QStringLiteral("Adres2:"), adres2);
    body += fieldLine(QStringLiteral("İlçe/Şehir:"), ilce + QStringLiteral(" / ") + sehir);
    body += fieldLine(QStringLiteral("Telefon/Fax:"), telefon + QStringLiteral(" / ") + fax);
    body += fieldLine(QStringLiteral("Vergi Dairesi / No:"), vd + QStringLiteral(" / ") + vn);
    body += QStringLiteral("\nKullanıcı Bilgileri\n");
    body += fieldLine(QStringLiteral("Yetkili:"), yetkili);
    body += fieldLine(QStringLiteral("Kullanıcı Adı:"), kullaniciadi);
    body += fieldLine(QStringLiteral("Şifre:"), sifre);
    body += fieldLine(QStringLiteral("Mail:"), mail);
    body += fieldLine(QStringLiteral("Kargo Ambar:"), kargoambar);

    notices::OutgoingMail m;
    m.machineId = u.machineId;
    m.accountId = u.accountId;
    m.replyTo = replyAddress(mail, u, db);
    m.recipient = notices::recipientFor(db, u.repId, notices::MailTo::Office);
    m.subject = subject;
    m.body = body;
    return qint32(notices::queueMail(db, m));
}

qint32 TServerMethods1::MailGonserCariNormal(const QString &idsi, const QString &baslik, const QString &firmaadi,
                                             const QString &adres1, const QString &adres2, const QString &ilce,
                                             const QString &sehir, const QString &telefon, const QString &fax, const QString &vd,
                                             const QString &vn, const QString &yetkili, const QString &kullaniciadi,
                                             const QString &sifre, const QString &mail, const QString &kargoambar,
                                             const QString &konu)
{
    Database &db = database("MailGonserCariNormal");
    const notices::MachineUser u = notices::machineUser(db, idsi);
    const std::pair<const QString &, const char *> all[] = {
        {baslik, "baslik"}, {firmaadi, "firmaadi"}, {adres1, "adres1"}, {adres2, "adres2"}, {ilce, "ilce"},
        {sehir, "sehir"}, {telefon, "telefon"}, {fax, "fax"}, {vd, "vd"}, {vn, "vn"}, {yetkili, "yetkili"},
        {kullaniciadi, "kullaniciadi"}, {sifre, "sifre"}, {mail, "mail"}, {kargoambar, "kargoambar"}};
    for (const auto &[value, name] : all)
        checkLength(value, name, kMaxFieldLength);
    checkLength(konu, "konu", kMaxMessageLength);
    if (baslik.trimmed().isEmpty())
        throw paramError(QStringLiteral("Lütfen Başlık Giriniz !"));
    const std::optional<QStringList> lines = messageLines(konu);
    const QString message = lines ? lines->join(QLatin1Char('\n')) : konu;
    if (message.trimmed().isEmpty())
        throw paramError(QStringLiteral("Lütfen Konu Giriniz !"));

    // The form fills the account fields from the server's own record, and the user's password
    // with them; a free message has no use for the password, so it is not written into the mail.
    Q_UNUSED(sifre);
    QString body = message + QStringLiteral("\n\n-- \n") + senderLines(db, u);
    body += fieldLine(QStringLiteral("Firma Adı:"), firmaadi);
    body += fieldLine(QStringLiteral("Adres:"), adres1);
    body += fieldLine(QStringLiteral("Adres2:"), adres2);
    body += fieldLine(QStringLiteral("İlçe/Şehir:"), ilce + QStringLiteral(" / ") + sehir);
    body += fieldLine(QStringLiteral("Telefon/Fax:"), telefon + QStringLiteral(" / ") + fax);
    body += fieldLine(QStringLiteral("Vergi Dairesi / No:"), vd + QStringLiteral(" / ") + vn);
    body += fieldLine(QStringLiteral("Yetkili:"), yetkili);
    body += fieldLine(QStringLiteral("Kullanıcı Adı:"), kullaniciadi);
    body += fieldLine(QStringLiteral("Mail:"), mail);
    if (!kargoambar.trimmed().isEmpty())
        body += fieldLine(QStringLiteral("Kargo Ambar:"), kargoambar);

    notices::OutgoingMail m;
    m.machineId = u.machineId;
    m.accountId = u.accountId;
    m.replyTo = replyAddress(mail, u, db);
    m.recipient = notices::recipientFor(db, u.repId, notices::MailTo::Representative);
    m.subject = baslik.trimmed();
    m.body = body;
    return qint32(notices::queueMail(db, m));
}

std::unique_ptr<TMobilCariBilgisi> TServerMethods1::MobilCariBilgisiGetir(qint32 sirano, const QString &_idsi)
{
    // `sirano` 0 asks for the account of the machine's user; a representative may name one of
    // their accounts instead (a representative without one gets the user and representative
    // fields only).
    Database &db = database("MobilCariBilgisiGetir");
    const notices::MachineUser u = notices::machineUser(db, _idsi);
    if (sirano < 0)
        throw paramError(QStringLiteral("TServerMethods1.MobilCariBilgisiGetir: 'sirano' 0 ya da bir cari numarası olmalı"));
    int account = u.accountId;
    if (sirano > 0 && sirano != u.accountId) {
        const auto rep = db.scalar(QStringLiteral("SELECT rep_id FROM accounts WHERE id = ? AND active = 1"), {sirano});
        if (!isRepresentative(u.kind) || !rep || rep->toInt() != u.repId)
            throw sessionError(QStringLiteral("%1 numaralı cari için yetkiniz yok").arg(sirano));
        account = sirano;
    }

    auto r = std::make_unique<TMobilCariBilgisi>();
    r->setBILGISAYARID(u.machineId);
    r->setKULLANICIADI(u.name);
    r->setSIFRE(u.password);
    r->setMAIL(u.email);
    int repId = u.repId;
    if (account > 0) {
        QSqlQuery q = db.exec(QStringLiteral(
            "SELECT a.code, a.name, a.city, a.district, a.address1, a.address2, a.country, a.phone1, a.phone2, a.gsm, a.fax1, "
            "a.fax2, a.email, a.tax_office, a.tax_number, a.contact, a.main_group, a.sub_group, a.special_code, "
            "COALESCE(a.rep_id, 0), "
            "(SELECT COALESCE(SUM(m.debit), 0) FROM account_movements m WHERE m.account_id = a.id), "
            "(SELECT COALESCE(SUM(m.credit), 0) FROM account_movements m WHERE m.account_id = a.id) "
            "FROM accounts a WHERE a.id = ?"),
            {account});
        if (!q.next())
            throw CallError(kNotFoundClass, QStringLiteral("%1 numaralı cari yok").arg(account), 404);
        r->setCARINO(account);
        r->setCARIKOD(q.value(0).toString());
        r->setCARIADI(q.value(1).toString());
        r->setSEHIR(q.value(2).toString());
        r->setILCE(q.value(3).toString());
        r->setADRES1(q.value(4).toString());
        r->setADRES2(q.value(5).toString());
        r->setULKE(q.value(6).toString());
        r->setTEL1(q.value(7).toString());
        r->setTEL2(q.value(8).toString());
        r->setGSM(q.value(9).toString());
        r->setFAX1(q.value(10).toString());
        r->setFAX2(q.value(11).toString());
        r->setEMAIL(q.value(12).toString());
        r->setVERGIDAIRESI(q.value(13).toString());
        r->setVERGINO(q.value(14).toString());
        r->setYETKILI(q.value(15).toString());
        r->setAnaGrup(q.value(16).toString());
        r->setAltGrup(q.value(17).toString());
        r->setOzelKod(q.value(18).toString());
        repId = q.value(19).toInt();
        const double debit = roundHalfAwayFromZero(q.value(20).toDouble());
        const double credit = roundHalfAwayFromZero(q.value(21).toDouble());
        r->setTLBORC(debit);
        r->setTLALACAK(credit);
        r->setTLBAKIYE(roundHalfAwayFromZero(debit - credit));
        if (r->MAIL().isEmpty())
            r->setMAIL(r->EMAIL());
    } else {
        r->setYETKILI(u.fullName);
    }
    if (repId > 0) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT name, email, phone FROM representatives WHERE id = ?"), {repId});
        if (q.next()) {
            r->setSATICIADI(q.value(0).toString());
            r->setSATICIMAIL(q.value(1).toString());
            r->setSATICITELEFON(q.value(2).toString());
        }
    }
    return r;
}

} // namespace vexor
