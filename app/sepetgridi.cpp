#include "sepetgridi.h"

namespace vexor {

using namespace Qt::StringLiterals;

const GridColumns &sepetKolonlari()
{
    // Hidden columns without a caption show their field name if the user offers them again.
    static const GridColumns kolonlar = {
        {.field = u"SEC"_s, .caption = u"Seç"_s, .offered = false, .kind = CellKind::Check, .width = 74},
        {.field = u"VERILISTARIHI"_s, .caption = u"Sipariş Tarihi"_s, .footer = Summary::Count},
        {.field = u"SIRANO"_s, .shown = false, .offered = false},
        {.field = u"SIPARISNO"_s, .caption = u"Sipariş No"_s, .shown = false},
        {.field = u"CARINO"_s, .shown = false, .offered = false},
        {.field = u"TARIH"_s, .caption = u"Tarih"_s, .shown = false},
        {.field = u"AKTAR"_s, .shown = false, .offered = false},
        {.field = u"STOKNO"_s, .shown = false, .offered = false},
        {.field = u"BARKOD"_s, .caption = u"Barkod"_s, .weight = 2, .footer = Summary::RowCount},
        {.field = u"FINISHKOD"_s, .caption = u"FinishKod"_s, .weight = 2},
        {.field = u"OEMNO"_s, .caption = u"OEMNo"_s, .weight = 2},
        {.field = u"STOKADI"_s, .caption = u"Stok Açıklama"_s, .weight = 3, .wordWrap = true},
        {.field = u"MIKTAR"_s, .caption = u"Miktar"_s, .footer = Summary::Sum},
        {.field = u"BIRIMFIYAT"_s, .caption = u"Birim Fiyat"_s},
        {.field = u"TUTAR"_s, .caption = u"Tutar"_s},
        {.field = u"INDIRIMYAZI"_s, .caption = u"İndirim Oran"_s, .weight = 2, .alignment = Qt::AlignHCenter},
        {.field = u"INDIRIMORANI1"_s, .caption = u"İndirim Oranı %"_s, .shown = false, .offered = false},
        {.field = u"INDIRIMORANI2"_s, .shown = false, .offered = false},
        {.field = u"INDIRIMORANI3"_s, .shown = false, .offered = false},
        {.field = u"INDIRIMTUTAR"_s, .caption = u"İndirim Tutar"_s, .shown = false, .offered = false},
        {.field = u"NETBIRIMFIYAT"_s, .caption = u"Net Fiyat"_s},
        {.field = u"KDV"_s, .shown = false},
        {.field = u"VERGITUTARI"_s, .caption = u"Vergi Tutarı"_s, .shown = false},
        {.field = u"NETTUTAR"_s, .caption = u"Net Tutar"_s, .footer = Summary::Sum},
        {.field = u"KUR"_s, .caption = u"Kur"_s, .shown = false},
        {.field = u"KURTL"_s, .shown = false, .offered = false},
        {.field = u"VERENIDNO"_s, .shown = false, .offered = false},
        {.field = u"SAAT"_s, .caption = u"Saat"_s, .shown = false},
        {.field = u"TESLIMID"_s, .shown = false, .offered = false},
        {.field = u"KARGOID"_s, .shown = false, .offered = false},
        {.field = u"ACIKLAMA"_s, .caption = u"Açıklama"_s, .shown = false},
        {.field = u"IDNO"_s, .shown = false, .offered = false},
        {.field = u"VERENSIRANO"_s, .shown = false, .offered = false},
        {.field = u"VEREN"_s, .caption = u"Veren"_s},
        {.field = u"CARIKOD"_s, .caption = u"Cari Kod"_s, .shown = false, .offered = false},
        {.field = u"CARIADI"_s, .caption = u"Cari Adı"_s, .shown = false, .offered = false},
        {.field = u"OEM1"_s, .shown = false},
        {.field = u"OEM2"_s, .shown = false},
        {.field = u"OEM3"_s, .shown = false},
        {.field = u"OEM4"_s, .shown = false},
        {.field = u"STOK_STOKNO"_s, .shown = false, .offered = false},
        {.field = u"URETICIKODU"_s, .shown = false, .offered = false},
        {.field = u"DIGERADI"_s, .shown = false},
        {.field = u"DPKOD"_s, .shown = false},
        {.field = u"MARKA"_s, .caption = u"Marka"_s, .shown = false},
        {.field = u"MODEL"_s, .caption = u"Model"_s, .shown = false},
        {.field = u"ANAGRUP"_s, .caption = u"Ana Grup"_s, .shown = false},
        {.field = u"OZELKOD"_s, .caption = u"Özel Kod"_s, .shown = false},
        {.field = u"PKOD"_s, .shown = false},
        {.field = u"DURUM"_s, .caption = u"Durum"_s, .kind = CellKind::Status},
        {.field = u"KALAN"_s, .caption = u"Kalan"_s, .shown = false, .offered = false},
        {.field = u"INDIRIMORANI4"_s, .shown = false},
    };
    return kolonlar;
}

} // namespace vexor
