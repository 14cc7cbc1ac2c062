#pragma once

// The stock list as data and plain rules: its columns, the text of the drawn "Fiyat Bilgisi"
// cell, the width rule of this grid and the search box's text rules. No widgets here beyond
// the validator; TStokSekmesi wires them up.

#include "common/memtable.h"
#include "platform/grid/columns.h"

#include <QString>
#include <QStringList>
#include <QValidator>

#include <optional>
#include <vector>

namespace vexor {

class GridView;

// ---- Search box

inline const QString kAzHarfUyarisi = QStringLiteral("Lütfen en az 3 harf giriniz !");
inline constexpr int kEnAzAramaHarfi = 3;

// A search starts only for a text of at least three characters once the blanks around it are
// gone ("  AB  " is two).
bool aramaMetniYeterli(const QString &text);

// What the search box does to every change of its text, typed or pasted: the Turkish letters
// folded to plain Latin ones and everything in capitals (foldTurkish), the cursor kept after
// the same text.
class AramaKutusuDogrulayici : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

// ---- Columns

// Field of the drawn price summary column; no such field exists in the data.
inline const QString kFiyatBilgisiAlani = QStringLiteral("FIYATBILGISI");

// The stock grid in display order with captions, weights and kinds; the price columns and
// "Fiyat Bilgisi" start in the wide layout and the width rule switches them.
GridColumns stokKolonlari();

// ---- "Fiyat Bilgisi"

// The prices of one row; an empty value (null cell or missing column) is nullopt.
struct FiyatBilgisiDegerleri
{
    std::optional<double> liste;
    std::optional<double> kampanya;
    std::optional<double> net;
    std::optional<double> kdvDahil;
};

// The summary text, every line ended by CR LF: "Liste Fiyatı: ", then "Kampanyalı Fiyat: " only
// for a campaign price above 0, "NetFiyat: " and "KDV li Fiyat: ", each followed by the amount
// in "#,###,##0.00" of the default locale. An empty amount leaves its line with the caption
// alone (a price the server did not send is not a price of 0,00); an empty campaign price is no
// campaign.
QString fiyatBilgisiYazisi(const FiyatBilgisiDegerleri &d);
// Draws the cell: the text above without its last line break, right-aligned and centred
// vertically in the cell narrowed by 10 pixels left and right, on as many lines as it takes,
// never cut with an ellipsis. The grid has painted the row's background already.
inline constexpr int kFiyatBilgisiKenari = 10;
void fiyatBilgisiCiz(QPainter &painter, const DrawnCell &cell);
// The same from a row of the stock table (LISTEFIYAT1, KAMPFIYAT, NETFIYAT, KDVDAHIL, hidden or
// not).
FiyatBilgisiDegerleri fiyatBilgisiDegerleri(const MemTable &table, int row);

// ---- Width rule

inline constexpr int kStokDarPencere = 1152;  // this wide or narrower: the narrow layout
inline constexpr int kStokSatirYuksekligi = 60;
inline constexpr int kStokDarSatirYuksekligi = 100;
inline constexpr int kStokDarOemGenisligi = 80;
inline constexpr int kStokDarFiyatBilgisiGenisligi = 150;

struct StokKolonu
{
    QString alan;
    int agirlik = 1;
    bool gorunur = false;
};

struct StokGenislikPlani
{
    bool dar = false;
    int satirYuksekligi = kStokSatirYuksekligi;
    std::vector<bool> gorunur;     // per column, after the rule
    std::vector<int> genislik;     // per column; -1: keep the width it has
};

// The stock list's own width rule for a main window `pencereGenisligi` wide and a grid
// `gridGenisligi` wide:
// - wider than 1152: "Liste Fiyatı" (LISTEFIYAT1), "Kampanyalı Fiyat", "Net Fiyatı" and
//   "KDV Dahil Fiyat" shown, "Fiyat Bilgisi" hidden, rows 60 high;
// - 1152 or narrower: those four hidden, "Fiyat Bilgisi" shown, rows 100 high;
// - every visible column gets weight x truncate((grid width - 30) / sum of visible weights);
// - narrow: "Oem1".."Oem3" then 80 wide and "Fiyat Bilgisi" 150.
// Fields in `gizliKalir` (hidden for the kind of user) are never shown by the rule.
StokGenislikPlani stokGenislikPlani(int pencereGenisligi, int gridGenisligi, const std::vector<StokKolonu> &kolonlar,
                                    const QStringList &gizliKalir = {});

// Applies the plan to the grid's declared columns. Run it as the grid's width rule (inside
// the grid's update lock), so that showing and hiding does not run the rule again.
void stokGenislikKuraliniUygula(GridView &grid, int pencereGenisligi, const QStringList &gizliKalir = {});

} // namespace vexor
