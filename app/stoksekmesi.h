#pragma once

#include "kullanicitipi.h"

#include "common/memtable.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QKeyEvent;
class QMenu;

namespace vexor {

class GridView;
class IAwait;
class PictureBox;
class TForm1;

// The "Stok Listesi" tab: the search bar's search, the stock grid and adding a stock to the
// cart. Built by the main window into its `sstoklistesi` page; it lives as long as the window.
//
// Idle (search box enabled) -> searching (box disabled, busy indicator, grid detached and
// locked) -> idle. Enter, "Ara", "Temizle" and the width rule check the box first, so nothing
// starts twice while a search runs.
class TStokSekmesi : public QObject
{
    Q_OBJECT

public:
    explicit TStokSekmesi(TForm1 &form);
    ~TStokSekmesi() override;

    // The result of the last search (StokAraGetir), replaced as a whole by each search; emptied
    // by "Temizle" and by a change of account.
    MemTable stok;
    GridView *cxGrid1DBTableView1 = nullptr;
    // Context menu of the grid and its items.
    QMenu *stokMenu = nullptr;
    QAction *SepeteEkle = nullptr;             // "Sepete Ekle"
    QAction *SiparisBakiyeleriniz = nullptr;   // "Sipariş Bakiyeleriniz"
    QAction *SiparisleriGoster = nullptr;      // "Siparişleri Göster"

    // The all-orders window for a stock number ("Siparişleri Göster"). Empty while that window
    // is not part of the program: the item is then disabled.
    std::function<void(qint32 stokno)> tumSiparisleriGoster;

    // A search is running (the search box is disabled).
    bool aramaSuruyor() const;

    // Key handler of the search box: Enter starts the search; true when the key was used.
    // (The folding of every key is the box's validator, so pasted text is folded too.)
    bool araeditKeyPress(QKeyEvent *event);
    // "Ara": the search, as Enter in the box.
    void SpeedButton2Click();
    // "Temizle": empties the list and the box.
    void SpeedButton1Click();
    // The search: at least three characters after trimming, then StokAraGetir in the
    // background on a connection clone with a copy of the session record.
    void Ara();

    // Double click or "Sepete Ekle" on the focused row: the change of its cart line when the
    // stock is in the cart already, otherwise the dealer's or the representative's add.
    void cxGrid1DBTableView1DblClick();
    // The width rule of this grid (run on every resize while the search box is enabled).
    void cxGrid1Resize();
    void KolonGenislikAyarla();

    // The dealer's add: the standard stock dialog filled from row `row` of `stok`; the line
    // takes the quantity typed and the row's price and rates.
    void StokSepeteEkle(int row);
    // The representative's add: the administrator dialog with editable price and rates; the
    // line takes what was typed.
    void StokSepeteEkleTemsilci(int row);
    // Adds row `row` of `tablo` (a stock list: STOK_STOKNO, BARKOD, ADI, KDV, FIYAT, IND1..IND4,
    // K) to the cart with the quantity `miktar` and the row's price and rates (SepetEkle2 on
    // the shared connection); the cart reloads when the server answers 1. Used by the other
    // stock lists too.
    void SepeteSatirEkle(const MemTable &tablo, int row, double miktar);
    // Loads the stock's picture (ResimVer5, JPEG) into `resim`; true when it was replaced. A
    // failing call or picture shows "<class>: <message>"; a connection failure the opener's
    // message.
    bool StokResmiAl(qint32 stokno, PictureBox *resim);

signals:
    // The completion of a search has run (rows shown or the failure reported).
    void aramaTamamlandi();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct AramaBaglami;

    void gridiKur();
    void aramaBitti(AramaBaglami &b);
    void cariDegisti();
    void tipKurallariniUygula();
    void stokuBosalt();
    // SepetEkle2 for a row of a stock list with the given quantity, price and rates.
    void sepeteEkle(const MemTable &tablo, int row, double miktar, double fiyat, const std::array<double, 4> &oranlar);

    TForm1 &m_form;
    std::shared_ptr<IAwait> m_arama;
    // Counts account changes: a search that completes after one shows nothing of the old
    // account.
    quint64 m_cariNesli = 0;
    // The user-kind rules last applied to the grid, and the fields they keep hidden.
    QList<KolonKurali> m_uygulananKurallar;
    QStringList m_gizliKalir;
};

} // namespace vexor
