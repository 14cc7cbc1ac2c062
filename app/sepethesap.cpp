#include "sepethesap.h"

#include "common/formats.h"

namespace vexor {

SepetToplami sepetToplami(const MemTable &sepet)
{
    SepetToplami t;
    if (!sepet.isActive())
        return t;
    const int sec = sepet.fieldIndex(u"SEC");
    if (sec < 0)
        return t;
    const int tutar = sepet.fieldIndex(u"TUTAR");
    const int indirim = sepet.fieldIndex(u"INDIRIMTUTAR");
    const int vergi = sepet.fieldIndex(u"VERGITUTARI");
    const auto oku = [&](int row, int column) { return column < 0 ? 0.0 : sepet.asDouble(row, column); };
    for (int r = 0; r < sepet.rowCount(); ++r) {
        if (sepet.asInt(r, sec) != 1)
            continue;
        t.toplam = Yuvarla(t.toplam + oku(r, tutar));
        t.indirim = Yuvarla(t.indirim + oku(r, indirim));
        t.vergi = Yuvarla(t.vergi + oku(r, vergi));
    }
    t.araToplam = Yuvarla(t.toplam - t.indirim);
    t.genelToplam = Yuvarla(t.araToplam + t.vergi);
    return t;
}

ToplamGorunumu toplamGorunumu(const SepetToplami &toplam, const QLocale &locale)
{
    ToplamGorunumu g;
    g.toplam = formatNumber(toplam.toplam, kTutarBicimi, locale);
    g.indirim = formatNumber(toplam.indirim, kTutarBicimi, locale);
    g.araToplam = formatNumber(toplam.araToplam, kTutarBicimi, locale);
    g.vergi = formatNumber(toplam.vergi, kTutarBicimi, locale);
    g.genelToplam = formatNumber(toplam.genelToplam, kTutarBicimi, locale);
    g.indirimGorunur = toplam.indirim > 1;
    g.vergiGorunur = toplam.vergi > 1;
    return g;
}

QString siparisOzetiYazisi(const SiparisOzeti &ozet)
{
    const QString satirlar[] = {
        QStringLiteral("Kullanıcı: ") + ozet.kullanici,
        QStringLiteral("Cari     : ") + ozet.cari,
        QStringLiteral("Teslim   : ") + ozet.teslim,
        QStringLiteral("Kargo    : ") + ozet.kargoTuru,
        QStringLiteral("Tutar    : ") + ozet.tutar,
        QStringLiteral("Kargo    : ") + ozet.kargoFirmasi,
        QStringLiteral("Açıklama : ") + ozet.aciklama,
    };
    QString yazi;
    for (const QString &s : satirlar) {
        if (!yazi.isEmpty())
            yazi += QStringLiteral("\r\n");
        yazi += s;
    }
    return yazi;
}

int varsayilanTeslimSecimi(int secenekSayisi)
{
    return secenekSayisi > 1 ? 1 : secenekSayisi - 1;
}

GonderEngeli gonderEngeli(bool seciliVar, int teslimIndex, int kargoTuruIndex, int firmaIndex)
{
    if (!seciliVar)
        return GonderEngeli::ParcaYok;
    if (teslimIndex < 0)
        return GonderEngeli::TeslimYok;
    if (kargoTuruIndex < 0)
        return GonderEngeli::KargoTuruYok;
    if (firmaIndex < 1)
        return GonderEngeli::KargoYok;
    return GonderEngeli::Yok;
}

QString gonderEngeliMesaji(GonderEngeli engel)
{
    switch (engel) {
    case GonderEngeli::Yok: return {};
    case GonderEngeli::ParcaYok: return QStringLiteral("Gönderilecek Parça Yok ");
    case GonderEngeli::TeslimYok: return QStringLiteral("Lütfen Teslim Durumu Seçiniz !");
    case GonderEngeli::KargoTuruYok: return QStringLiteral("Lütfen Kargo Türünü Seçiniz !");
    case GonderEngeli::KargoYok: return QStringLiteral("Lütfen Kargo  Seçiniz !");
    }
    return {};
}

QString satirSilAciklamasi(const QString &barkod, const QString &stokadi)
{
    return barkod + u'-' + stokadi;
}

} // namespace vexor
