// The forms of the account, notice and request methods that the desktop client does not call
// (the mobile client and other callers use them): the account directory, the counters as
// out-values, the announcements as tables, the opening screens as a list and the forgotten
// password request.
#include "notices.h"

#include "dispatch.h"
#include "servermethods.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"

#include "common/formats.h"
#include "server/tablecodec.h"

#include <QJsonObject>

#include <cmath>

namespace vexor {

namespace {

// The announcements (every active opening screen) as a table; with `pictures` the JPEG file
// of each in RESIM.
EncodedTable announcementTable(Database &db, bool pictures)
{
    std::vector<FieldDef> columns = {{QStringLiteral("SIRANO"), FieldType::Int32, {}},
                                     {QStringLiteral("BASLIK"), FieldType::String, {}},
                                     {QStringLiteral("ARAMA"), FieldType::String, {}},
                                     {QStringLiteral("SIRA"), FieldType::Int32, {}},
                                     {QStringLiteral("REKLAM"), FieldType::Int32, {}},
                                     {QStringLiteral("TARIH"), FieldType::DateTime, {}},
                                     {QStringLiteral("BOYUT"), FieldType::Int32, {}}};
    if (pictures)
        columns.push_back({QStringLiteral("RESIM"), FieldType::Blob, {}});
    QSqlQuery q = db.exec(QStringLiteral("SELECT id, title, search, sort_order, advertisement, created_at, LENGTH(picture)%1 "
                                         "FROM opening_screens WHERE active = 1 ORDER BY sort_order, id")
                              .arg(pictures ? QStringLiteral(", picture") : QString()));
    JsonWriter w;
    TableEncoder t(w, columns);
    while (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.addString(q.value(2).toString());
        t.addInt(q.value(3).toInt());
        t.addInt(q.value(4).toInt());
        t.addValue(q.value(5));
        t.addInt(q.value(6).toInt());
        if (pictures)
            t.addBlob(q.value(7).toByteArray());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

const QString kForgottenSubject = QStringLiteral("Şifre Hatırlatma İsteği");

} // namespace

QJsonArray TServerMethods1::CarileriVer()
{
    // A directory of the active accounts: who they are and who looks after them. Balances,
    // discounts and contact details stay with the methods that check the caller.
    Database &db = database("CarileriVer");
    QSqlQuery q = db.exec(QStringLiteral("SELECT a.id, a.code, a.name, a.city, a.district, COALESCE(r.name, '') FROM accounts a "
                                         "LEFT JOIN representatives r ON r.id = a.rep_id WHERE a.active = 1 ORDER BY a.code"));
    QJsonArray accounts;
    while (q.next()) {
        accounts.append(QJsonObject{{QStringLiteral("CARINO"), q.value(0).toInt()},
                                    {QStringLiteral("CARIKOD"), q.value(1).toString()},
                                    {QStringLiteral("CARIADI"), q.value(2).toString()},
                                    {QStringLiteral("IL"), q.value(3).toString()},
                                    {QStringLiteral("ILCE"), q.value(4).toString()},
                                    {QStringLiteral("SATICISI"), q.value(5).toString()}});
    }
    return accounts;
}

qint32 TServerMethods1::BalonGetir2(qint32 carino, qint32 &sepet, qint32 &yenistok, qint32 &kampnayali, qint32 &duyuru,
                                    qint32 &Bakiye, qint32 &dosya)
{
    // The counters of BalonGetir for an account number, the open balance rounded to a whole
    // quantity; the result is the sum of the five counts, for a single badge.
    Database &db = database("BalonGetir2");
    if (carino < 0)
        throw CallError(kParamErrorClass, QStringLiteral("TServerMethods1.BalonGetir2: 'carino' 0 ya da bir cari numarası olmalı"), 400);
    bool campaigns = true;
    if (carino > 0) {
        const auto flag = db.scalar(QStringLiteral("SELECT campaigns FROM accounts WHERE id = ? AND active = 1"), {carino});
        if (!flag)
            throw CallError(QStringLiteral("EVexorNotFound"), QStringLiteral("%1 numaralı cari yok").arg(carino), 404);
        campaigns = flag->toInt() == 1;
    }
    const notices::Counters c = notices::countersFor(db, carino, campaigns);
    sepet = c.cartLines;
    yenistok = c.newStocks;
    kampnayali = c.campaignStocks;
    duyuru = c.announcements;
    Bakiye = qint32(roundHalfAwayFromZero(c.openBalance, 0));
    dosya = c.documents;
    return sepet + yenistok + kampnayali + duyuru + dosya;
}

EncodedTable TServerMethods1::DuyuruVer()
{
    return announcementTable(database("DuyuruVer"), false);
}

EncodedTable TServerMethods1::DuyuruVer2()
{
    return announcementTable(database("DuyuruVer2"), true);
}

std::unique_ptr<TAcilisEkranlar> TServerMethods1::AcilisEkranlarVer()
{
    auto r = std::make_unique<TAcilisEkranlar>();
    r->setItems(notices::openingScreens(database("AcilisEkranlarVer"), false));
    return r;
}

EncodedTable TServerMethods1::AcilisEkranlariVerData()
{
    // The opening screens as a table whose columns are the fields of the screen record.
    const RecordList<TAcilisEkran> screens = notices::openingScreens(database("AcilisEkranlariVerData"), false);
    JsonWriter w;
    TableEncoder t(w, {{QStringLiteral("SiraNo"), FieldType::Int32, {}},
                       {QStringLiteral("Resim"), FieldType::String, {}},
                       {QStringLiteral("Baslik"), FieldType::String, {}},
                       {QStringLiteral("Arama"), FieldType::String, {}}});
    for (const auto &s : screens) {
        t.beginRow();
        t.addInt(s->SiraNo());
        t.addString(s->Resim());
        t.addString(s->Baslik());
        t.addString(s->Arama());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

bool TServerMethods1::SifremiUnuttum(const QString &idsi, qint32 &mailvarmi)
{
    // Passwords are set by the distributor, so a forgotten one becomes a request in the outbox
    // to the office, which answers at the user's mail address; `mailvarmi` says whether the
    // user has one. False for a machine the server does not know or a user who may not log in.
    // A request that still waits in the outbox is not queued a second time.
    Database &db = database("SifremiUnuttum");
    mailvarmi = 0;
    notices::MachineUser u;
    try {
        u = notices::machineUser(db, idsi);
    } catch (const CallError &) {
        return false;
    }
    const bool hasMail = u.email.contains(QLatin1Char('@'));
    mailvarmi = hasMail ? 1 : 0;
    Transaction tx(db);
    const auto waiting = db.scalar(QStringLiteral("SELECT id FROM mail_outbox WHERE machine_id = ? AND subject = ? AND sent_at IS NULL "
                                                  "AND failed_at IS NULL"),
                                   {u.machineId, kForgottenSubject});
    if (waiting)
        return true;

    QString body = kForgottenSubject + QStringLiteral("\n\n");
    body += QStringLiteral("Bilgisayar ID: ") + u.machineId + QLatin1Char('\n');
    body += QStringLiteral("Kullanıcı Adı: ") + u.name + QLatin1Char('\n');
    if (!u.fullName.isEmpty())
        body += QStringLiteral("Adı Soyadı: ") + u.fullName + QLatin1Char('\n');
    if (u.accountId > 0) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT code, name FROM accounts WHERE id = ?"), {u.accountId});
        if (q.next())
            body += QStringLiteral("Cari: ") + q.value(0).toString() + QStringLiteral(" - ") + q.value(1).toString() + QLatin1Char('\n');
    }
    body += hasMail ? QStringLiteral("Yeni şifre kullanıcının posta adresine gönderilmelidir: ") + u.email + QLatin1Char('\n')
                    : QStringLiteral("Kullanıcının posta adresi kayıtlı değil; kendisine telefonla ulaşılmalıdır.\n");

    notices::OutgoingMail m;
    m.machineId = u.machineId;
    m.accountId = u.accountId;
    m.replyTo = hasMail ? u.email : QString();
    m.recipient = notices::recipientFor(db, u.repId, notices::MailTo::Office);
    m.subject = kForgottenSubject;
    m.body = body;
    notices::queueMail(db, m);
    tx.commit();
    return true;
}

} // namespace vexor
