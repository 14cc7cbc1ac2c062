#pragma once

#include "record.h"

#include <QByteArray>

namespace vexor {

// Field lists: X(type, property, default), in declaration (= JSON) order. Dates are day
// numbers in a double.

#define VEXOR_TMOBILCARIBILGISI_FIELDS(X)                                                          \
    X(QString, BILGISAYARID, {})                                                                   \
    X(QString, SEHIR, {})                                                                          \
    X(QString, FAX1, {})                                                                           \
    X(QString, SATICIMAIL, {})                                                                     \
    X(QString, SATICIADI, {})                                                                      \
    X(QString, CARIADI, {})                                                                        \
    X(QString, EMAIL, {})                                                                          \
    X(QString, VERGIDAIRESI, {})                                                                   \
    X(QString, YETKILI, {})                                                                        \
    X(QString, AltGrup, {})                                                                        \
    X(QString, TEL2, {})                                                                           \
    X(QString, SIFRE, {})                                                                          \
    X(QString, GSM, {})                                                                            \
    X(QString, TEL1, {})                                                                           \
    X(QString, ADRES2, {})                                                                         \
    X(double, TLBORC, 0)                                                                           \
    X(double, TLALACAK, 0)                                                                         \
    X(QString, ADRES1, {})                                                                         \
    X(QString, ULKE, {})                                                                           \
    X(QString, AnaGrup, {})                                                                        \
    X(qint32, CARINO, 0)                                                                           \
    X(double, TLBAKIYE, 0)                                                                         \
    X(QString, VERGINO, {})                                                                        \
    X(QString, MAIL, {})                                                                           \
    X(QString, OzelKod, {})                                                                        \
    X(QString, KULLANICIADI, {})                                                                   \
    X(QString, SATICITELEFON, {})                                                                  \
    X(QString, CARIKOD, {})                                                                        \
    X(QString, FAX2, {})                                                                           \
    X(QString, ILCE, {})

#define VEXOR_TACILISEKRAN_FIELDS(X)                                                               \
    X(qint32, SiraNo, 0)                                                                           \
    X(QString, Resim, {})                                                                          \
    X(QString, Baslik, {})                                                                         \
    X(QString, Arama, {})

#define VEXOR_TMOBILSTOK_FIELDS(X)                                                                 \
    X(qint32, StokNo, 0)                                                                           \
    X(qint32, ResimVar, 0)                                                                         \
    X(QString, Resim, {})                                                                          \
    X(qint32, Yeni, 0)                                                                             \
    X(QString, Departman, {})                                                                      \
    X(double, VerilenSiparis, 0)                                                                   \
    X(QString, AltGrup, {})                                                                        \
    X(qint32, Durum, 0)                                                                            \
    X(QString, Renk, {})                                                                           \
    X(QString, Birim, QStringLiteral("ADET"))                                                      \
    X(double, KDV, 18)                                                                             \
    X(double, AlinanSiparis, 0)                                                                    \
    X(double, Isk2, 0)                                                                             \
    X(QString, AnaGrup, {})                                                                        \
    X(QString, Kod, {})                                                                            \
    X(double, Isk3, 0)                                                                             \
    X(double, ListeFiyati, 0)                                                                      \
    X(QString, Beden, {})                                                                          \
    X(double, NetFiyat, 0)                                                                         \
    X(double, Isk1, 0)                                                                             \
    X(double, KDVliFiyat, 0)                                                                       \
    X(double, Isk4, 0)                                                                             \
    X(QString, OzelKod, {})                                                                        \
    X(qint32, Kampnayali, 0)                                                                       \
    X(QString, Barkod, {})                                                                         \
    X(double, IndirimOran, 0)                                                                      \
    X(double, Kalan, 0)                                                                            \
    X(QString, UreticiKod, {})                                                                     \
    X(double, KampanyaliFiyat, 0)                                                                  \
    X(QString, OemNo, {})                                                                          \
    X(qint32, BarkodNo, 0)                                                                         \
    X(QString, PKod, {})                                                                           \
    X(QString, DpKod, {})                                                                          \
    X(QString, Adi, {})                                                                            \
    X(double, Fiyat, 0)

#define VEXOR_TMOBILSEPET_FIELDS(X)                                                                \
    X(qint32, KARGOID, 0)                                                                          \
    X(qint32, StokNo, 0)                                                                           \
    X(double, TARIH, 0)                                                                            \
    X(qint32, SIRANO, 0)                                                                           \
    X(QString, CARIADI, {})                                                                        \
    X(double, VERILISTARIHI, 0)                                                                    \
    X(qint32, Durum, 0)                                                                            \
    X(double, MIKTAR, 0)                                                                           \
    X(qint32, VERENIDNO, 0)                                                                        \
    X(double, NETTUTAR, 0)                                                                         \
    X(double, KDVLITUTAR, 0)                                                                       \
    X(double, KDV, 0)                                                                              \
    X(qint32, AKTAR, 0)                                                                            \
    X(QString, SAAT, {})                                                                           \
    X(double, VERGITUTARI, 0)                                                                      \
    X(QString, PKod, {})                                                                           \
    X(QString, MODEL, {})                                                                          \
    X(double, INDIRIMTUTAR, 0)                                                                     \
    X(qint32, STOK_STOKNO, 0)                                                                      \
    X(double, BIRIMFIYAT, 0)                                                                       \
    X(qint32, SEC, 0)                                                                              \
    X(QString, OEM2, {})                                                                           \
    X(QString, OEM3, {})                                                                           \
    X(QString, AnaGrup, {})                                                                        \
    X(QString, MARKA, {})                                                                          \
    X(QString, VEREN, {})                                                                          \
    X(QString, STOKADI, {})                                                                        \
    X(QString, OEM1, {})                                                                           \
    X(qint32, CARINO, 0)                                                                           \
    X(qint32, VERENSIRANO, 0)                                                                      \
    X(qint32, ACIKLAMA, 0)                                                                         \
    X(double, INDIRIMORANI2, 0)                                                                    \
    X(QString, OEM4, {})                                                                           \
    X(QString, KUR, {})                                                                            \
    X(double, INDIRIMORANI3, 0)                                                                    \
    X(qint32, SIPARISNO, 0)                                                                        \
    X(double, IDNO, 0)                                                                             \
    X(QString, OzelKod, {})                                                                        \
    X(QString, DpKod, {})                                                                          \
    X(double, KURTL, 0)                                                                            \
    X(double, INDIRIMORANI1, 0)                                                                    \
    X(QString, DIGERADI, {})                                                                       \
    X(QString, Barkod, {})                                                                         \
    X(double, TUTAR, 0)                                                                            \
    X(QString, URETICIKODU, {})                                                                    \
    X(double, Kalan, 0)                                                                            \
    X(QString, FINISHKOD, {})                                                                      \
    X(QString, CARIKOD, {})                                                                        \
    X(double, NETBIRIMFIYAT, 0)                                                                    \
    X(QString, OemNo, {})                                                                          \
    X(qint32, TESLIMID, 0)                                                                         \
    X(qint32, ResimVar, 0)                                                                         \
    X(QString, Resim, {})

// Account details that prefill the request and mail forms.
class TMobilCariBilgisi : public RecordWithFields<TMobilCariBilgisi>
{
    VEXOR_RECORD_CLASS(TMobilCariBilgisi, "mobilstokunit.TMobilCariBilgisi")

public:
    void Kopyala(const TMobilCariBilgisi &source) { copyFields(source); }

    VEXOR_TMOBILCARIBILGISI_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TMOBILCARIBILGISI_FIELDS(VEXOR_RECORD_MEMBER)
};

// One opening screen or advertisement; `Resim` is its JPEG as hexadecimal text
// (see HexAkisaCevir).
class TAcilisEkran : public RecordWithFields<TAcilisEkran>
{
    VEXOR_RECORD_CLASS(TAcilisEkran, "mobilstokunit.TAcilisEkran")

public:
    VEXOR_TACILISEKRAN_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TACILISEKRAN_FIELDS(VEXOR_RECORD_MEMBER)
};

// All opening screens in server order, in one record that owns them.
#define VEXOR_TACILISEKRANLARIKI_FIELDS(X) X(RecordList<TAcilisEkran>, Ekranlar, {})

class TAcilisEkranlariki : public RecordWithFields<TAcilisEkranlariki>
{
    VEXOR_RECORD_CLASS(TAcilisEkranlariki, "mobilstokunit.TAcilisEkranlariki")

public:
    VEXOR_TACILISEKRANLARIKI_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TACILISEKRANLARIKI_FIELDS(VEXOR_RECORD_MEMBER)
};

// One stock.
class TMobilStok : public RecordWithFields<TMobilStok>
{
    VEXOR_RECORD_CLASS(TMobilStok, "mobilstokunit.TMobilStok")

public:
    // Copies every field except PKod and DpKod, which keep the target's values.
    void Kopyala(const TMobilStok &source) { copyFields(source, {"FPKod", "FDpKod"}); }

    VEXOR_TMOBILSTOK_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TMOBILSTOK_FIELDS(VEXOR_RECORD_MEMBER)
};

// One cart or order line.
class TMobilSepet : public RecordWithFields<TMobilSepet>
{
    VEXOR_RECORD_CLASS(TMobilSepet, "mobilstokunit.TMobilSepet")

public:
    void Kopyala(const TMobilSepet &source) { copyFields(source); }

    VEXOR_TMOBILSEPET_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TMOBILSEPET_FIELDS(VEXOR_RECORD_MEMBER)
};

// Owning lists. Their JSON form is ours (no client of the original form exists): one field
// "FItems", the array of element records.
#define VEXOR_TACILISEKRANLAR_FIELDS(X) X(RecordList<TAcilisEkran>, Items, {})
#define VEXOR_TMOBILSTOKLAR_FIELDS(X) X(RecordList<TMobilStok>, Items, {})
#define VEXOR_TMOBILSEPETLER_FIELDS(X) X(RecordList<TMobilSepet>, Items, {})

class TAcilisEkranlar : public RecordWithFields<TAcilisEkranlar>
{
    VEXOR_RECORD_CLASS(TAcilisEkranlar, "mobilstokunit.TAcilisEkranlar")

public:
    VEXOR_TACILISEKRANLAR_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TACILISEKRANLAR_FIELDS(VEXOR_RECORD_MEMBER)
};

class TMobilStoklar : public RecordWithFields<TMobilStoklar>
{
    VEXOR_RECORD_CLASS(TMobilStoklar, "mobilstokunit.TMobilStoklar")

public:
    VEXOR_TMOBILSTOKLAR_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TMOBILSTOKLAR_FIELDS(VEXOR_RECORD_MEMBER)
};

class TMobilSepetler : public RecordWithFields<TMobilSepetler>
{
    VEXOR_RECORD_CLASS(TMobilSepetler, "mobilstokunit.TMobilSepetler")

public:
    VEXOR_TMOBILSEPETLER_FIELDS(VEXOR_RECORD_ACCESSORS)

private:
    VEXOR_TMOBILSEPETLER_FIELDS(VEXOR_RECORD_MEMBER)
};

// Hexadecimal picture text to bytes: two digits per byte, either case, no separators. A final
// single digit becomes the last byte on its own. Any other character throws ProtocolError.
// Decoding the bytes as a picture is the caller's part.
QByteArray HexAkisaCevir(const QString &hex);

void registerMobilstokunitRecords(RecordRegistry &registry);

} // namespace vexor
