#pragma once

#include "settings.h"

#include "servermethods_skeleton.h"

#include <memory>
#include <string_view>

namespace vexor {

class Database;

// The server's implementation of TServerMethods1. Methods it does not override answer that
// they are not available yet.
class TServerMethods1 : public TServerMethods1Skeleton
{
public:
    // Without a database (nullptr) the methods that need data answer that they are not
    // available; the others work.
    TServerMethods1(const ServerSettings &settings, std::shared_ptr<Database> database);

    // Interface methods without data (servermethods.cpp).
    QString EchoString(const QString &Value) override;
    QString ReverseString(const QString &Value) override;
    qint32 KurlariAl(double &usd, double &eur) override;
    void DSServerModuleCreate(std::unique_ptr<Record> Sender) override;

    // Log-in and stock search (methods_stock.cpp).
    std::unique_ptr<TSonucBilgisi> BuyukGetir(const QString &idsi) override;
    EncodedTable StokAraGetir(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable StokAra(const QString &kod, const QString &carino, qint32 satici) override;
    EncodedTable StokAraTarsel(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable StokAraLindor(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable StokAraLindor2(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable StokAraZelna(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable Tavinor(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi) override;
    EncodedTable ZelnadeAra(const QString &s) override;
    std::unique_ptr<TMobilStoklar> MobilStokara(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi, qint32 neresi,
                                                qint32 nekadar) override;
    std::unique_ptr<TMobilStok> MobilStokNoAra(qint32 stokno, std::unique_ptr<TSonucBilgisi> bilgi) override;
    qint32 MobilStokaraGeri(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi, qint32 neresi, qint32 nekadar,
                            const QString &geri) override;
    std::unique_ptr<TMobilStoklar> MobilStokaraAdimli(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi,
                                                      qint32 neresi, qint32 nekadar, qint32 ilk, qint32 Adet, bool &kalan,
                                                      qint32 &toplam) override;
    void AramaGonderAl(std::unique_ptr<TSonucBilgisi> b, const QString &kod, qint32 Adet) override;
    EncodedTable DepartmanlariGetir() override;
    QByteArray ResimVer5(qint32 stokno, qint64 &boy) override;
    QJsonArray ResimVer6(qint32 stokno, qint64 &boy) override;
    QString BuyukResimVer(qint32 stokno, qint32 &boy) override;
    QString KucukResimVer(qint32 stokno) override;
    void HttpResimVer(qint32 stokno) override;
    EncodedTable YenilerVer2(qint32 carino) override;
    EncodedTable YenilerVer(qint32 carino) override;
    EncodedTable ZelnaYenilerVer(qint32 carino) override;
    EncodedTable YenilerVerMobile(qint32 carino) override;
    EncodedTable KampanyaliVer2(qint32 cario, qint32 satici) override;
    EncodedTable KampanyaliVer(qint32 cario, qint32 satici) override;
    EncodedTable ZelnaKampanyaliVer(qint32 cario, qint32 satici) override;
    EncodedTable KampanyaliVermMobil(qint32 cario, qint32 satici) override;

    // Whom a session record speaks for. The record comes from the client, so only its machine
    // identity is taken from it: the machine names the user, and the user decides the account.
    // A dealer (kinds 0, 3, 4) always acts for their own account, whatever CARINO says; a
    // representative (kinds 1, 2) for the account in CARINO when it is one of theirs, or for
    // none (0) before choosing. Throws CallError (EVexorSessionError) for a missing record, an
    // unknown machine, an inactive user or an account that is not the representative's.
    struct Session
    {
        qint32 userId = 0;
        qint32 kind = 0;
        qint32 accountId = 0;
        qint32 repId = 0;
        QString machineId;
    };
    Session sessionFor(const TSonucBilgisi *bilgi);

    // Cart and orders (methods_cart.cpp).
    EncodedTable SepetVer2(qint32 carino) override;
    EncodedTable SepetVer(qint32 carino) override;
    std::unique_ptr<TMobilSepetler> SepetMobilVer(qint32 carino) override;
    qint32 SepetEkle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                      const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid, qint32 k,
                      double ind2, double ind3, double ind4) override;
    qint32 SepetEkle(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                     const QString &stokadi, double miktar, double kdv, double fiyat, double indirim, qint32 verenid,
                     qint32 k) override;
    qint32 SepetGuncelle2(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                          const QString &stokadi, double miktar, double kdv, double fiyat, double ind1, qint32 verenid,
                          qint32 _sepetsirano, double ind2, double ind3, double ind4) override;
    qint32 SepetGuncelle(std::unique_ptr<TSonucBilgisi> bilgim, qint32 carino, qint32 stokno, const QString &barkod,
                         const QString &stokadi, double miktar, double kdv, double fiyat, double indirim, qint32 verenid,
                         qint32 _sepetsirano) override;
    qint32 SepetSatirSil(std::unique_ptr<TSonucBilgisi> bilgi, qint32 satirno, const QString &aciklamam) override;
    qint32 SepetHepsiniSil(std::unique_ptr<TSonucBilgisi> bilgi) override;
    void SepetSecimGuncelle(qint32 sirano, qint32 secim) override;
    EncodedTable TeslimVer() override;
    EncodedTable KargoVer() override;
    EncodedTable KargolarVer(qint32 gn) override;
    bool SiparisKaydet(std::unique_ptr<TSonucBilgisi> BB, qint32 _carino, qint32 _teslim, qint32 _kargo,
                       const QString &_aciklama, qint32 _verenid, qint32 _kargoyeni) override;
    qint32 MobilSiparisKaydet(qint32 idnosu) override;
    EncodedTable OncekiSiparisler(qint32 carino) override;
    EncodedTable OncekiSiparisler2(qint32 carino) override;
    EncodedTable Oncekiler(qint32 carino) override;
    EncodedTable SiparisAyrintisi2(qint32 carino, qint32 idnosu) override;
    EncodedTable SiparisAyrintisi(qint32 carino, qint32 idnosu) override;
    std::unique_ptr<TSiparisDipAyrinti> SiparisAytintisiDip(qint32 carino, qint32 siranosu) override;
    EncodedTable TumSiparislerVer(qint32 carino, qint32 stokno) override;
    QString CariVadeGunGecmismiBul(qint32 carino) override;
    QString CariDurumVer(qint32 carino) override;
    QString SiparisAlinirmi(qint32 carino) override;
    void CikisGonder(std::unique_ptr<TSonucBilgisi> bilgi) override;

    // Moves orders through their statuses by the time each has spent in its status (docs/server.md,
    // "Cart and orders"): received, seen, approved, prepared (in part when the depot lacks
    // goods), shipped with an invoice for what went out, completed when nothing is left open.
    // Catches up on every step that `nowMSecs` (milliseconds since the epoch) allows. The order
    // reads run it on their own, at most once a minute; a family that counts orders by status
    // calls keepOrdersMoving() first.
    void advanceOrderStatuses(qint64 nowMSecs);
    void keepOrdersMoving();

    // Account follow-up: previous orders, balances, statement, documents, reports (methods_account.cpp).
    EncodedTable BakiyelerVer2(qint32 carino) override;
    EncodedTable BakiyelerVer(qint32 carino) override;
    qint32 BakiyeDuzenle(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                         double Adet, double Bakiye, const QString &barkod) override;
    qint32 BakiyeDegistir(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                          double Adet, double Bakiye, const QString &barkod) override;
    qint32 BakiyeFiyatDegistir(std::unique_ptr<TSonucBilgisi> k, qint32 stokno, qint32 sepetsirano, qint32 siparissirano,
                               double Adet, double Bakiye, const QString &barkod, double fiyat, double ind) override;
    EncodedTable CariEkstreVer(qint32 carino) override;
    EncodedTable CariEkstreVer2(qint32 carino, double TARIH1, double TARIH2) override;
    EncodedTable CariEkstreVer2Baslik(qint32 carino, double tarih1) override;
    EncodedTable FaturaGetir(qint32 carino, qint32 idnosu) override;
    EncodedTable FaturaAltGetir(qint32 idnosu) override;
    EncodedTable Tahsilat(qint32 idnosu) override;
    qint32 SanalposSiranoVer(qint32 idnosu) override;
    QByteArray SAnalPosPdfVer(qint32 sirano, qint64 &boy) override;
    QByteArray BelgeIndir(qint32 sirano, qint64 &size, QString &adi) override;
    QByteArray BelgeIndir2(qint32 sirano, qint64 &size, QString &adi, std::unique_ptr<TSonucBilgisi> bilgi) override;
    QByteArray RaporGetir(qint32 raporno, qint32 bolum, qint32 idno, qint32 carino, const QString &saticiadi, double tarih1,
                          double tarih2, qint64 &size) override;
    EncodedTable RaporAlinanSiparisler(std::unique_ptr<TSonucBilgisi> bilgi, double tarih1, double tarih2) override;
    EncodedTable RaporEnCokSatilanStoklar(std::unique_ptr<TSonucBilgisi> bilgi, double tarih1, double tarih2) override;
    QByteArray DosyaIndir(qint64 &size) override;
    EncodedTable DosyaListesi() override;
    EncodedTable DosyaListesi2() override;
    QByteArray ParvexaVer() override;

    // Sales representatives, notices, banners, opening screens, mail requests (methods_notices.cpp).
    EncodedTable CariAra(std::unique_ptr<TSonucBilgisi> bil, const QString &aranan) override;
    EncodedTable CariSepetVer(std::unique_ptr<TSonucBilgisi> bil, qint32 n) override;
    qint32 SepetSayisi(std::unique_ptr<TSonucBilgisi> bil) override;
    std::unique_ptr<TTusSonuclari> TusSonuclariVer(std::unique_ptr<TSonucBilgisi> bil) override;
    QString KayanYaziGetir() override;
    EncodedTable BalonGetir(std::unique_ptr<TSonucBilgisi> bil) override;
    QByteArray BannerResimVer(qint64 &size) override;
    QByteArray BannerResimVer2(qint64 &size) override;
    QByteArray BannerResimVer3(qint64 &size) override;
    qint32 AcilisReklamAdet() override;
    std::unique_ptr<TAcilisEkran> AcilisREklamVer(qint32 sira) override;
    std::unique_ptr<TAcilisEkranlariki> AcilisEkranlarVer2() override;
    qint32 MailGonserCari(const QString &idsi, const QString &baslik, const QString &firmaadi, const QString &adres1,
                          const QString &adres2, const QString &ilce, const QString &sehir, const QString &telefon,
                          const QString &fax, const QString &vd, const QString &vn, const QString &yetkili,
                          const QString &kullaniciadi, const QString &sifre, const QString &mail,
                          const QString &kargoambar) override;
    qint32 MailGonserCariNormal(const QString &idsi, const QString &baslik, const QString &firmaadi, const QString &adres1,
                                const QString &adres2, const QString &ilce, const QString &sehir, const QString &telefon,
                                const QString &fax, const QString &vd, const QString &vn, const QString &yetkili,
                                const QString &kullaniciadi, const QString &sifre, const QString &mail,
                                const QString &kargoambar, const QString &konu) override;
    std::unique_ptr<TMobilCariBilgisi> MobilCariBilgisiGetir(qint32 sirano, const QString &_idsi) override;

    // Files and the mobile forms not listed above (methods_other.cpp).
    QJsonArray CarileriVer() override;
    qint32 BalonGetir2(qint32 carino, qint32 &sepet, qint32 &yenistok, qint32 &kampnayali, qint32 &duyuru, qint32 &Bakiye,
                       qint32 &dosya) override;
    EncodedTable DuyuruVer() override;
    EncodedTable DuyuruVer2() override;
    std::unique_ptr<TAcilisEkranlar> AcilisEkranlarVer() override;
    EncodedTable AcilisEkranlariVerData() override;
    bool SifremiUnuttum(const QString &idsi, qint32 &mailvarmi) override;

protected:
    // The database, for the methods that need one; throws the not-available error naming the
    // method when the server runs without one.
    Database &database(std::string_view method) const;

private:
    ServerSettings m_settings;
    std::shared_ptr<Database> m_database;
};

} // namespace vexor
