// Log-in and stock search: the session record of a machine, the stock searches and lists with
// the prices of the account, and the stock pictures.
#include "dispatch.h"
#include "servermethods.h"

#include "storage/database.h"
#include "storage/pricing.h"
#include "storage/schema.h"
#include "storage/search.h"

#include "server/tablecodec.h"

#include <QJsonArray>

namespace vexor {

namespace {

const QString kSessionErrorClass = QStringLiteral("EVexorSessionError");

CallError sessionError(const QString &message)
{
    return CallError(kSessionErrorClass, message, 403);
}

// The columns of every stock list (search, new stocks, campaign stocks), in this order.
const std::vector<FieldDef> &stockColumns()
{
    static const std::vector<FieldDef> columns = [] {
        std::vector<FieldDef> c;
        auto add = [&c](const char *name, FieldType type) { c.push_back({QString::fromLatin1(name), type, {}}); };
        add("STOK_STOKNO", FieldType::Int32);
        add("BARKOD", FieldType::String);
        add("BARKOD_BARKODNO", FieldType::Int32);
        add("ADI", FieldType::String);
        add("DIGERADI", FieldType::String);
        add("FINISHKOD", FieldType::String);
        add("URETICIKODU", FieldType::String);
        add("OEMNO", FieldType::String);
        add("OEM1", FieldType::String);
        add("OEM2", FieldType::String);
        add("OEM3", FieldType::String);
        add("OEM4", FieldType::String);
        add("DPKOD", FieldType::String);
        add("PKOD", FieldType::String);
        add("OZELKOD", FieldType::String);
        add("BIRIM", FieldType::String);
        add("MARKA", FieldType::String);
        add("MODEL", FieldType::String);
        add("ANAGRUP", FieldType::String);
        add("ALTGRUP", FieldType::String);
        add("DEPARTMAN", FieldType::String);
        add("RENK", FieldType::String);
        add("BEDEN", FieldType::String);
        add("KDV", FieldType::Double);
        add("LISTEFIYAT1", FieldType::Double);
        add("FIYAT", FieldType::Double);
        add("KAMPFIYAT", FieldType::Double);
        add("ESKIFIYAT", FieldType::Double);
        add("IND1", FieldType::Double);
        add("IND2", FieldType::Double);
        add("IND3", FieldType::Double);
        add("IND4", FieldType::Double);
        add("INDIRIM", FieldType::Double);
        add("INDIRIMYAZI", FieldType::String);
        add("NETFIYAT", FieldType::Double);
        add("KDVDAHIL", FieldType::Double);
        add("K", FieldType::Int32);
        add("Y", FieldType::Int32);
        add("DURUM", FieldType::Int32);
        add("RESIM", FieldType::Int32);
        add("KALAN", FieldType::Double);
        add("ALINANSIPARIS", FieldType::Double);
        add("VERILENSIPARIS", FieldType::Double);
        return c;
    }();
    return columns;
}

EncodedTable stockTable(const std::vector<StockRow> &rows)
{
    JsonWriter w;
    TableEncoder t(w, stockColumns());
    for (const StockRow &r : rows) {
        const StockPrice &p = r.price;
        t.beginRow();
        t.addInt(r.id);
        t.addString(r.barcode);
        t.addInt(r.barcodeNo);
        t.addString(r.name);
        t.addString(r.otherName);
        t.addString(r.code);
        t.addString(r.makerCode);
        t.addString(r.oemNo);
        for (const QString &oem : r.oem)
            t.addString(oem);
        t.addString(r.dpCode);
        t.addString(r.pCode);
        t.addString(r.specialCode);
        t.addString(r.unit);
        t.addString(r.brand);
        t.addString(r.model);
        t.addString(r.mainGroup);
        t.addString(r.subGroup);
        t.addString(r.department);
        t.addString(r.colour);
        t.addString(r.size);
        t.addDouble(r.vatRate);
        t.addDouble(p.listPrice);
        t.addDouble(p.price);
        t.addDouble(p.campaignPrice);
        t.addDouble(p.listPrice);
        for (double rate : p.discounts.rates)
            t.addDouble(rate);
        t.addDouble(p.combinedRate);
        t.addString(p.discountText);
        t.addDouble(p.netPrice);
        t.addDouble(p.vatIncluded);
        t.addInt(p.campaign ? 1 : 0);
        t.addInt(r.isNew ? 1 : 0);
        t.addInt(r.status);
        t.addInt(r.hasPicture ? 1 : 0);
        t.addDouble(r.quantity);
        t.addDouble(r.openOrders);
        t.addDouble(r.incoming);
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

std::unique_ptr<TMobilStok> mobileStock(const StockRow &r)
{
    const StockPrice &p = r.price;
    auto s = std::make_unique<TMobilStok>();
    s->setStokNo(r.id);
    s->setResimVar(r.hasPicture ? 1 : 0);
    s->setYeni(r.isNew ? 1 : 0);
    s->setDepartman(r.department);
    s->setVerilenSiparis(r.incoming);
    s->setAltGrup(r.subGroup);
    s->setDurum(r.status);
    s->setRenk(r.colour);
    s->setBirim(r.unit);
    s->setKDV(r.vatRate);
    s->setAlinanSiparis(r.openOrders);
    s->setIsk1(p.discounts.rates[0]);
    s->setIsk2(p.discounts.rates[1]);
    s->setIsk3(p.discounts.rates[2]);
    s->setIsk4(p.discounts.rates[3]);
    s->setAnaGrup(r.mainGroup);
    s->setKod(r.code);
    s->setListeFiyati(p.listPrice);
    s->setBeden(r.size);
    s->setNetFiyat(p.netPrice);
    s->setKDVliFiyat(p.vatIncluded);
    s->setOzelKod(r.specialCode);
    s->setKampnayali(p.campaign ? 1 : 0);
    s->setBarkod(r.barcode);
    s->setIndirimOran(p.combinedRate);
    s->setKalan(r.quantity);
    s->setUreticiKod(r.makerCode);
    s->setKampanyaliFiyat(p.campaignPrice);
    s->setOemNo(r.oemNo);
    s->setBarkodNo(r.barcodeNo);
    s->setPKod(r.pCode);
    s->setDpKod(r.dpCode);
    s->setAdi(r.name);
    s->setFiyat(p.price);
    return s;
}

std::unique_ptr<TMobilStoklar> mobileStocks(const std::vector<StockRow> &rows)
{
    RecordList<TMobilStok> items;
    items.reserve(rows.size());
    for (const StockRow &r : rows)
        items.push_back(mobileStock(r));
    auto list = std::make_unique<TMobilStoklar>();
    list->setItems(std::move(items));
    return list;
}

// Pricing of a session: the account's rules; users of kind 4 take part in no campaign.
AccountPricing pricingFor(Database &db, int accountId, int kind)
{
    AccountPricing pricing = loadAccountPricing(db, accountId);
    if (kind == 4)
        pricing.campaigns = false;
    return pricing;
}

SearchScope scopeOf(const char *method, qint32 neresi)
{
    switch (neresi) {
    case 0: return SearchScope::All;
    case 1: return SearchScope::Codes;
    case 2: return SearchScope::Names;
    default:
        throw CallError(kParamErrorClass, QStringLiteral("TServerMethods1.%1: 'neresi' 0 (her yer), 1 (kodlar) ya da 2 (adlar) olmalı, %2 geldi")
                                              .arg(QLatin1String(method)).arg(neresi), 400);
    }
}

// `nekadar` caps a mobile search; 0 or less means the server's own cap.
int limitOf(qint32 nekadar)
{
    return nekadar <= 0 ? kSearchCap : std::min<int>(nekadar, kSearchCap);
}

enum class PictureSize { Full, Thumbnail };

QByteArray pictureOf(Database &db, int stockId, PictureSize size)
{
    const auto bytes = db.scalar(size == PictureSize::Full
                                     ? QStringLiteral("SELECT p.jpeg FROM stocks s JOIN pictures p ON p.id = s.picture_id WHERE s.id = ?")
                                     : QStringLiteral("SELECT p.thumbnail FROM stocks s JOIN pictures p ON p.id = s.picture_id WHERE s.id = ?"),
                                 {stockId});
    return bytes ? bytes->toByteArray() : QByteArray();
}

} // namespace

TServerMethods1::Session TServerMethods1::sessionFor(const TSonucBilgisi *bilgi)
{
    if (!bilgi)
        throw sessionError(QStringLiteral("Oturum bilgisi gönderilmedi"));
    Database &db = database("sessionFor");
    Session s;
    s.machineId = normalizeMachineId(bilgi->BILGISAYARID());
    QSqlQuery q = db.exec(QStringLiteral("SELECT u.id, u.kind, u.active, u.account_id, u.rep_id FROM machines m "
                                         "JOIN users u ON u.id = m.user_id WHERE m.machine_id = ?"),
                          {s.machineId});
    if (s.machineId.isEmpty() || !q.next())
        throw sessionError(QStringLiteral("Bu bilgisayar sunucuda kayıtlı değil"));
    if (q.value(2).toInt() != 1)
        throw sessionError(QStringLiteral("Kullanıcı etkin değil"));
    s.userId = q.value(0).toInt();
    s.kind = q.value(1).toInt();
    if (s.kind == 1 || s.kind == 2) {
        s.repId = q.value(4).toInt();
        const qint32 account = bilgi->CARINO();
        if (account > 0) {
            const auto rep = db.scalar(QStringLiteral("SELECT rep_id FROM accounts WHERE id = ? AND active = 1"), {account});
            if (!rep || rep->toInt() != s.repId)
                throw sessionError(QStringLiteral("%1 numaralı cari için yetkiniz yok").arg(account));
            s.accountId = account;
        }
    } else {
        s.accountId = q.value(3).toInt();
        s.repId = db.scalar(QStringLiteral("SELECT rep_id FROM accounts WHERE id = ?"), {s.accountId}).value_or(0).toInt();
    }
    return s;
}

std::unique_ptr<TSonucBilgisi> TServerMethods1::BuyukGetir(const QString &idsi)
{
    Database &db = database("BuyukGetir");
    auto r = std::make_unique<TSonucBilgisi>();
    r->setBILGISAYARID(idsi);
    // An unknown machine is told the current version too: it updates before it is sent to
    // the request form.
    const int serverVersion = readSetting(db, kSettingClientVersion, QStringLiteral("1")).toInt();
    r->setVersion(serverVersion > 0 ? serverVersion : 1);
    const QString machine = normalizeMachineId(idsi);
    if (machine.isEmpty())
        return r;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT u.id, u.name, u.password, u.email, u.kind, u.active, u.version, a.id, a.code, a.name, "
        "r.id, r.name, r.email, r.phone "
        "FROM machines m JOIN users u ON u.id = m.user_id "
        "LEFT JOIN accounts a ON a.id = u.account_id "
        "LEFT JOIN representatives r ON r.id = CASE WHEN u.kind IN (1, 2) THEN u.rep_id ELSE a.rep_id END "
        "WHERE m.machine_id = ?"),
        {machine});
    if (!q.next())
        return r;
    r->setVarmi(true);
    r->setSirano(q.value(0).toInt());
    r->setADI(q.value(1).toString());
    r->setSIFRE(q.value(2).toString());
    r->setKullanicimail(q.value(3).toString());
    r->setMusteriTipi(q.value(4).toInt());
    r->setAKTIF(q.value(5).toInt());
    if (!q.value(6).isNull())
        r->setVersion(q.value(6).toInt());
    // Representatives choose their account after log-in; a dealer's is theirs.
    r->setCARINO(q.value(7).toInt());
    r->setcarikod(q.value(8).toString());
    r->setCariAdi(q.value(9).toString());
    r->setSaticiNo(q.value(10).toInt());
    r->setSaticiAdi(q.value(11).toString());
    r->setSaticiMail(q.value(12).toString());
    r->setSaticiTelefon(q.value(13).toString());
    // The read must end before the write: an open read keeps its snapshot, and SQLite cannot
    // turn that into a write once another log-in has written meanwhile ("database is locked").
    q.finish();
    db.change(QStringLiteral("UPDATE machines SET last_login_at = ? WHERE machine_id = ?"),
              {isoDateTime(QDateTime::currentDateTime()), machine});
    return r;
}

EncodedTable TServerMethods1::StokAraGetir(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    Database &db = database("StokAraGetir");
    const Session s = sessionFor(bilgi.get());
    return stockTable(loadStockRows(db, findStocks(db, kod), pricingFor(db, s.accountId, s.kind)));
}

// The other searches with a session record answer the same table.
EncodedTable TServerMethods1::StokAraTarsel(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    return StokAraGetir(kod, std::move(bilgi));
}

EncodedTable TServerMethods1::StokAraLindor(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    return StokAraGetir(kod, std::move(bilgi));
}

EncodedTable TServerMethods1::StokAraLindor2(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    return StokAraGetir(kod, std::move(bilgi));
}

EncodedTable TServerMethods1::StokAraZelna(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    return StokAraGetir(kod, std::move(bilgi));
}

EncodedTable TServerMethods1::Tavinor(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi)
{
    return StokAraGetir(kod, std::move(bilgi));
}

EncodedTable TServerMethods1::StokAra(const QString &kod, const QString &carino, qint32 satici)
{
    // The form without a session record: prices of the account number given (list prices for
    // one that is not a number or not an account), campaigns unless the user kind is 4.
    Database &db = database("StokAra");
    bool ok = false;
    const int account = carino.trimmed().toInt(&ok);
    return stockTable(loadStockRows(db, findStocks(db, kod), pricingFor(db, ok ? account : 0, satici)));
}

EncodedTable TServerMethods1::ZelnadeAra(const QString &s)
{
    Database &db = database("ZelnadeAra");
    return stockTable(loadStockRows(db, findStocks(db, s), AccountPricing()));
}

std::unique_ptr<TMobilStoklar> TServerMethods1::MobilStokara(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi,
                                                             qint32 neresi, qint32 nekadar)
{
    Database &db = database("MobilStokara");
    const SearchScope scope = scopeOf("MobilStokara", neresi);
    const Session s = sessionFor(bilgi.get());
    return mobileStocks(loadStockRows(db, findStocks(db, kod, scope, limitOf(nekadar)), pricingFor(db, s.accountId, s.kind)));
}

std::unique_ptr<TMobilStok> TServerMethods1::MobilStokNoAra(qint32 stokno, std::unique_ptr<TSonucBilgisi> bilgi)
{
    Database &db = database("MobilStokNoAra");
    const Session s = sessionFor(bilgi.get());
    const std::vector<StockRow> rows = loadStockRows(db, {stokno}, pricingFor(db, s.accountId, s.kind));
    if (rows.empty())
        return nullptr;
    auto stock = mobileStock(rows.front());
    // One stock comes with its picture, as hexadecimal text like the opening screens.
    if (stock->ResimVar())
        stock->setResim(QString::fromLatin1(pictureOf(db, stokno, PictureSize::Full).toHex()));
    return stock;
}

qint32 TServerMethods1::MobilStokaraGeri(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi, qint32 neresi,
                                         qint32 nekadar, const QString &geri)
{
    // The rows themselves travel through the callback channel of the mobile client; here the
    // callback id is only checked, and the answer is the number of stocks found.
    Database &db = database("MobilStokaraGeri");
    const SearchScope scope = scopeOf("MobilStokaraGeri", neresi);
    if (geri.size() > 200 || std::any_of(geri.begin(), geri.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        throw CallError(kParamErrorClass, QStringLiteral("TServerMethods1.MobilStokaraGeri: geçersiz geri çağırma kimliği"), 400);
    sessionFor(bilgi.get());
    return qint32(findStocks(db, kod, scope, limitOf(nekadar)).size());
}

std::unique_ptr<TMobilStoklar> TServerMethods1::MobilStokaraAdimli(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi,
                                                                   qint32 neresi, qint32 nekadar, qint32 ilk, qint32 Adet,
                                                                   bool &kalan, qint32 &toplam)
{
    // A page of the result: rows ilk .. ilk + Adet - 1 (counted from 0) of the stocks that
    // the search with `neresi` and `nekadar` finds; `toplam` is their number and `kalan` says
    // whether rows follow the page.
    Database &db = database("MobilStokaraAdimli");
    const SearchScope scope = scopeOf("MobilStokaraAdimli", neresi);
    const Session s = sessionFor(bilgi.get());
    const std::vector<int> ids = findStocks(db, kod, scope, limitOf(nekadar));
    toplam = qint32(ids.size());
    const qsizetype first = std::clamp<qsizetype>(ilk, 0, qsizetype(ids.size()));
    const qsizetype count = std::clamp<qsizetype>(Adet, 0, qsizetype(ids.size()) - first);
    kalan = first + count < qsizetype(ids.size());
    const std::vector<int> page(ids.begin() + first, ids.begin() + first + count);
    return mobileStocks(loadStockRows(db, page, pricingFor(db, s.accountId, s.kind)));
}

void TServerMethods1::AramaGonderAl(std::unique_ptr<TSonucBilgisi> b, const QString &kod, qint32 Adet)
{
    Database &db = database("AramaGonderAl");
    const Session s = sessionFor(b.get());
    db.change(QStringLiteral("INSERT INTO search_log (searched_at, user_id, account_id, machine_id, text, result_count) "
                             "VALUES (?, ?, ?, ?, ?, ?)"),
              {isoDateTime(QDateTime::currentDateTime()), s.userId, s.accountId > 0 ? QVariant(s.accountId) : QVariant(),
               s.machineId, kod.left(200), std::max(0, int(Adet))});
}

EncodedTable TServerMethods1::DepartmanlariGetir()
{
    Database &db = database("DepartmanlariGetir");
    JsonWriter w;
    TableEncoder t(w, {{QStringLiteral("SIRANO"), FieldType::Int32, {}},
                       {QStringLiteral("ADI"), FieldType::String, {}},
                       {QStringLiteral("STOKSAYISI"), FieldType::Int32, {}}});
    QSqlQuery q = db.exec(QStringLiteral("SELECT d.id, d.name, (SELECT COUNT(*) FROM stocks s WHERE s.department_id = d.id "
                                         "AND s.active = 1) FROM departments d ORDER BY d.id"));
    while (q.next()) {
        t.beginRow();
        t.addInt(q.value(0).toInt());
        t.addString(q.value(1).toString());
        t.addInt(q.value(2).toInt());
        t.endRow();
    }
    t.finish();
    return {w.take()};
}

QByteArray TServerMethods1::ResimVer5(qint32 stokno, qint64 &boy)
{
    const QByteArray jpeg = pictureOf(database("ResimVer5"), stokno, PictureSize::Full);
    boy = jpeg.size();
    return jpeg;
}

QJsonArray TServerMethods1::ResimVer6(qint32 stokno, qint64 &boy)
{
    const QByteArray jpeg = pictureOf(database("ResimVer6"), stokno, PictureSize::Full);
    QJsonArray bytes;
    for (const char c : jpeg)
        bytes.append(int(quint8(c)));
    boy = jpeg.size();
    return bytes;
}

QString TServerMethods1::BuyukResimVer(qint32 stokno, qint32 &boy)
{
    const QByteArray jpeg = pictureOf(database("BuyukResimVer"), stokno, PictureSize::Full);
    boy = qint32(jpeg.size());
    return QString::fromLatin1(jpeg.toHex());
}

QString TServerMethods1::KucukResimVer(qint32 stokno)
{
    return QString::fromLatin1(pictureOf(database("KucukResimVer"), stokno, PictureSize::Thumbnail).toHex());
}

void TServerMethods1::HttpResimVer(qint32 stokno)
{
    // Pictures are served from the database at the web address as they are; there is nothing
    // to prepare, but a stock that does not exist is reported.
    if (!database("HttpResimVer").scalar(QStringLiteral("SELECT id FROM stocks WHERE id = ?"), {stokno}))
        throw CallError(QStringLiteral("EVexorNotFound"), QStringLiteral("%1 numaralı stok yok").arg(stokno), 404);
}

EncodedTable TServerMethods1::YenilerVer2(qint32 carino)
{
    Database &db = database("YenilerVer2");
    return stockTable(loadStockRows(db, newStockIds(db), loadAccountPricing(db, carino)));
}

EncodedTable TServerMethods1::YenilerVer(qint32 carino)
{
    return YenilerVer2(carino);
}

EncodedTable TServerMethods1::ZelnaYenilerVer(qint32 carino)
{
    return YenilerVer2(carino);
}

EncodedTable TServerMethods1::YenilerVerMobile(qint32 carino)
{
    return YenilerVer2(carino);
}

EncodedTable TServerMethods1::KampanyaliVer2(qint32 cario, qint32 satici)
{
    // Users of kind 4 and accounts outside campaigns get an empty list (with its columns).
    Database &db = database("KampanyaliVer2");
    const AccountPricing pricing = pricingFor(db, cario, satici);
    if (!pricing.campaigns)
        return stockTable({});
    return stockTable(loadStockRows(db, campaignStockIds(db), pricing));
}

EncodedTable TServerMethods1::KampanyaliVer(qint32 cario, qint32 satici)
{
    return KampanyaliVer2(cario, satici);
}

EncodedTable TServerMethods1::ZelnaKampanyaliVer(qint32 cario, qint32 satici)
{
    return KampanyaliVer2(cario, satici);
}

EncodedTable TServerMethods1::KampanyaliVermMobil(qint32 cario, qint32 satici)
{
    return KampanyaliVer2(cario, satici);
}

} // namespace vexor
