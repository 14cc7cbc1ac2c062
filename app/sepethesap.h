#pragma once

#include "common/memtable.h"

#include <QLocale>
#include <QString>

namespace vexor {

// Totals of the marked cart lines (SEC = 1), each step rounded with Yuvarla:
// toplam = sum of TUTAR, indirim = sum of INDIRIMTUTAR, vergi = sum of VERGITUTARI,
// araToplam = toplam - indirim, genelToplam = araToplam + vergi.
struct SepetToplami
{
    double toplam = 0;
    double indirim = 0;
    double araToplam = 0;
    double vergi = 0;
    double genelToplam = 0;

    bool operator==(const SepetToplami &) const = default;
};

// Over the whole table; a closed table, and columns the table lacks, count as nothing.
SepetToplami sepetToplami(const MemTable &sepet);

// What the totals panel shows: the amounts in "#,###,##0.00" of the locale, and whether the
// discount and tax rows are shown (only above 1: a total of exactly 1.00 stays hidden).
struct ToplamGorunumu
{
    QString toplam;
    QString indirim;
    QString araToplam;
    QString vergi;
    QString genelToplam;
    bool indirimGorunur = false;
    bool vergiGorunur = false;

    bool operator==(const ToplamGorunumu &) const = default;
};

ToplamGorunumu toplamGorunumu(const SepetToplami &toplam, const QLocale &locale = QLocale());

// What the order-confirm window shows before an order is sent.
struct SiparisOzeti
{
    QString kullanici;
    QString cari;
    QString teslim;
    QString kargoTuru;
    QString tutar;
    QString kargoFirmasi;
    QString aciklama;
};

// Seven lines joined by CR LF (none after the last); the captions are padded to one width so
// that the fixed-pitch font of the confirm window lines the values up.
QString siparisOzetiYazisi(const SiparisOzeti &ozet);

// The delivery option chosen when the list is loaded: the second one (the usual choice), the
// only one when there is one, none (-1) when the list is empty.
int varsayilanTeslimSecimi(int secenekSayisi);

// Why "Gönder" cannot send, checked in this order.
enum class GonderEngeli {
    Yok,           // it can send
    ParcaYok,      // no marked line
    TeslimYok,     // no delivery option chosen
    KargoTuruYok,  // no cargo type chosen
    KargoYok,      // no cargo firm, or the blank first item
};

// `firmaIndex` is the index in the firm list, whose item 0 is the blank one; -1 for none.
GonderEngeli gonderEngeli(bool seciliVar, int teslimIndex, int kargoTuruIndex, int firmaIndex);
// The warning shown for an obstacle; empty for Yok.
QString gonderEngeliMesaji(GonderEngeli engel);

// What SepetSatirSil carries to say which line went: barcode, "-", stock name.
QString satirSilAciklamasi(const QString &barkod, const QString &stokadi);

} // namespace vexor
