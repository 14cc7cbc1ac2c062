#include "stokgridi.h"

#include "common/formats.h"
#include "common/turkish.h"
#include "platform/grid/gridview.h"
#include "platform/grid/widthrule.h"

#include <QPainter>

namespace vexor {

using namespace Qt::StringLiterals;

bool aramaMetniYeterli(const QString &text)
{
    return text.trimmed().size() >= kEnAzAramaHarfi;
}

QValidator::State AramaKutusuDogrulayici::validate(QString &input, int &pos) const
{
    pos = int(foldTurkish(QStringView(input).left(pos)).size());
    input = foldTurkish(input);
    return Acceptable;
}

namespace {

// Text columns wrap; every cell is centred vertically by the grid.
GridColumn metin(const QString &field, const QString &caption, int weight, bool shown, bool offered = true)
{
    return {.field = field, .caption = caption, .weight = weight, .shown = shown, .offered = offered, .wordWrap = true};
}

GridColumn sayi(const QString &field, const QString &caption, int weight, bool shown, bool offered = true)
{
    return {.field = field, .caption = caption, .weight = weight, .shown = shown, .offered = offered};
}

GridColumn simge(const QString &field, const QString &caption, CellKind kind)
{
    return {.field = field, .caption = caption, .weight = 1, .kind = kind, .alignment = Qt::AlignCenter};
}

} // namespace

GridColumns stokKolonlari()
{
    // Columns without a caption of their own show their field name when a kind of user gets
    // them (KALAN, the order columns) or when the user picks them from the customisation.
    GridColumns c;
    c.push_back(simge(u"DURUM"_s, u"Durum"_s, CellKind::Status));
    c.push_back(metin(u"OEM1"_s, u"Oem1"_s, 2, false));
    c.push_back(metin(u"OEM2"_s, u"Oem2"_s, 2, false));
    c.push_back(metin(u"OEM3"_s, u"Oem3"_s, 2, false));
    c.push_back(metin(u"BARKOD"_s, u"Barkod"_s, 2, true));
    GridColumn adi = metin(u"ADI"_s, u"Açıklama"_s, 3, true);
    adi.footer = Summary::RowCount;
    c.push_back(adi);
    c.push_back(metin(u"OEM4"_s, u"Oem4"_s, 2, false));
    c.push_back(sayi(u"STOK_STOKNO"_s, QString(), 1, false, false));
    c.push_back(metin(u"FINISHKOD"_s, u"Finish Kod"_s, 2, false));
    c.push_back(metin(u"URETICIKODU"_s, u"Üretici Kod"_s, 2, false));
    c.push_back(simge(u"RESIM"_s, u"Resim"_s, CellKind::PictureFlag));
    c.push_back(sayi(u"BARKOD_BARKODNO"_s, QString(), 1, false, false));
    c.push_back(metin(u"DIGERADI"_s, u"Diğer Adı"_s, 3, false));
    c.push_back(metin(u"DPKOD"_s, QString(), 2, false, false));
    c.push_back(metin(u"OEMNO"_s, u"Oem No"_s, 2, false));
    c.push_back(metin(u"BIRIM"_s, u"Birim"_s, 1, false));
    c.push_back(metin(u"MARKA"_s, u"Marka"_s, 2, true));
    c.push_back(metin(u"MODEL"_s, u"Model"_s, 2, true));
    c.push_back(metin(u"ANAGRUP"_s, u"Ana Grup"_s, 2, false));
    c.push_back(metin(u"OZELKOD"_s, u"Özel Kod"_s, 2, true));
    c.push_back(sayi(u"KALAN"_s, QString(), 1, false, false));
    c.push_back(metin(u"PKOD"_s, QString(), 1, false, false));
    c.push_back(sayi(u"KDV"_s, QString(), 1, false));
    c.push_back(sayi(u"ALINANSIPARIS"_s, QString(), 1, false, false));
    c.push_back(sayi(u"VERILENSIPARIS"_s, QString(), 1, false, false));
    c.push_back(sayi(u"LISTEFIYAT1"_s, u"Liste Fiyatı"_s, 2, true));
    c.push_back(sayi(u"KAMPFIYAT"_s, u"Kampanyalı Fiyat"_s, 2, true));
    c.push_back(sayi(u"FIYAT"_s, u"Liste Fiyatı"_s, 2, false));
    c.push_back(simge(u"Y"_s, u"Yeni"_s, CellKind::YesNo));
    c.push_back(simge(u"K"_s, u"Kampanyalı"_s, CellKind::YesNo));
    GridColumn indirim = metin(u"INDIRIMYAZI"_s, u"İndirim Oran"_s, 2, true);
    indirim.alignment = Qt::AlignHCenter;
    c.push_back(indirim);
    c.push_back(sayi(u"NETFIYAT"_s, u"Net Fiyatı"_s, 2, true));
    c.push_back(sayi(u"KDVDAHIL"_s, u"KDV Dahil Fiyat"_s, 3, true));
    c.push_back({.field = kFiyatBilgisiAlani,
                 .caption = u"Fiyat Bilgisi"_s,
                 .weight = 2,
                 .shown = false,
                 .kind = CellKind::Drawn,
                 .alignment = Qt::AlignRight,
                 .wordWrap = true,
                 .padding = kFiyatBilgisiKenari,
                 .text = [](const MemTable &t, int row) -> QString { return fiyatBilgisiYazisi(fiyatBilgisiDegerleri(t, row)); },
                 .paint = fiyatBilgisiCiz});
    return c;
}

QString fiyatBilgisiYazisi(const FiyatBilgisiDegerleri &d)
{
    const auto satir = [](const QString &baslik, const std::optional<double> &tutar) -> QString {
        return baslik + (tutar ? formatNumber(*tutar, kTutarBicimi) : QString()) + u"\r\n"_s;
    };
    QString text = satir(u"Liste Fiyatı: "_s, d.liste);
    if (d.kampanya && *d.kampanya > 0)
        text += satir(u"Kampanyalı Fiyat: "_s, d.kampanya);
    text += satir(u"NetFiyat: "_s, d.net);
    text += satir(u"KDV li Fiyat: "_s, d.kdvDahil);
    return text;
}

void fiyatBilgisiCiz(QPainter &painter, const DrawnCell &cell)
{
    // The text's last line break would be drawn as an empty line under the text and push the
    // text off the middle of the row.
    QString text = fiyatBilgisiYazisi(fiyatBilgisiDegerleri(cell.table, cell.row));
    text.replace(u"\r\n"_s, u"\n"_s);
    if (text.endsWith(u'\n'))
        text.chop(1);
    painter.setFont(cell.font);
    painter.setPen(cell.foreground);
    painter.drawText(cell.rect.adjusted(kFiyatBilgisiKenari, 0, -kFiyatBilgisiKenari, 0),
                     Qt::AlignRight | Qt::AlignVCenter | Qt::TextWordWrap, text);
}

FiyatBilgisiDegerleri fiyatBilgisiDegerleri(const MemTable &table, int row)
{
    const auto deger = [&](const QString &field) -> std::optional<double> {
        const int column = table.fieldIndex(field);
        if (column < 0 || table.isNull(row, column))
            return std::nullopt;
        return table.asDouble(row, column);
    };
    return {deger(u"LISTEFIYAT1"_s), deger(u"KAMPFIYAT"_s), deger(u"NETFIYAT"_s), deger(u"KDVDAHIL"_s)};
}

StokGenislikPlani stokGenislikPlani(int pencereGenisligi, int gridGenisligi, const std::vector<StokKolonu> &kolonlar,
                                    const QStringList &gizliKalir)
{
    static const QStringList fiyatKolonlari = {u"LISTEFIYAT1"_s, u"KAMPFIYAT"_s, u"NETFIYAT"_s, u"KDVDAHIL"_s};
    static const QStringList oemKolonlari = {u"OEM1"_s, u"OEM2"_s, u"OEM3"_s};

    StokGenislikPlani plan;
    plan.dar = pencereGenisligi <= kStokDarPencere;
    plan.satirYuksekligi = plan.dar ? kStokDarSatirYuksekligi : kStokSatirYuksekligi;
    plan.gorunur.reserve(kolonlar.size());
    std::vector<int> agirliklar;
    agirliklar.reserve(kolonlar.size());
    for (const StokKolonu &k : kolonlar) {
        bool gorunur = k.gorunur;
        if (fiyatKolonlari.contains(k.alan))
            gorunur = !plan.dar;
        else if (k.alan == kFiyatBilgisiAlani)
            gorunur = plan.dar;
        if (gizliKalir.contains(k.alan))
            gorunur = false;
        plan.gorunur.push_back(gorunur);
        // Hidden columns take no share: a weight of 0 keeps their width.
        agirliklar.push_back(gorunur ? k.agirlik : 0);
    }
    plan.genislik = proportionalWidths(agirliklar, gridGenisligi);
    if (plan.dar) {
        for (size_t i = 0; i < kolonlar.size(); ++i) {
            if (oemKolonlari.contains(kolonlar[i].alan))
                plan.genislik[i] = kStokDarOemGenisligi;
            else if (kolonlar[i].alan == kFiyatBilgisiAlani)
                plan.genislik[i] = kStokDarFiyatBilgisiGenisligi;
        }
    }
    return plan;
}

void stokGenislikKuraliniUygula(GridView &grid, int pencereGenisligi, const QStringList &gizliKalir)
{
    const GridColumns &columns = grid.columns();
    std::vector<StokKolonu> kolonlar;
    kolonlar.reserve(columns.size());
    for (const GridColumn &c : columns)
        kolonlar.push_back({c.field, c.weight, c.shown});
    const StokGenislikPlani plan = stokGenislikPlani(pencereGenisligi, grid.width(), kolonlar, gizliKalir);
    grid.beginUpdate();
    for (size_t i = 0; i < kolonlar.size(); ++i) {
        if (plan.gorunur[i] != kolonlar[i].gorunur)
            grid.setColumnShown(kolonlar[i].alan, plan.gorunur[i]);
    }
    for (size_t i = 0; i < kolonlar.size(); ++i) {
        if (plan.genislik[i] >= 0)
            grid.setColumnWidth(kolonlar[i].alan, plan.genislik[i]);
    }
    grid.setRowHeight(plan.satirYuksekligi);
    grid.endUpdate();
}

} // namespace vexor
