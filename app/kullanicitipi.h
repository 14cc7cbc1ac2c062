#pragma once

#include <QList>
#include <QString>

namespace vexor {

// The grids whose columns depend on the kind of user.
enum class KuralGridi { Stok, Yeniler, Kampanya, Sepet };

// A column that a kind of user sees differently from the grid's own declaration.
struct KolonKurali
{
    KuralGridi grid;
    QString alan;      // field name
    bool goster;       // shown
    bool sunulur;      // offered in the column customisation
    QString baslik;    // a caption to give the column; empty: keep its own

    bool operator==(const KolonKurali &) const = default;
};

// What the main window changes for a kind of user (MusteriTipi) after the log-in.
struct KullaniciTipiKurallari
{
    bool baskaCariSec = false;   // the "Başka Cari Seç" button
    bool raporlar = false;       // the menu item "Raporlar"
    bool kampanyaSekmesi = true; // the tab "Kampanyalı Stoklar"
    QList<KolonKurali> kolonlar;

    QList<KolonKurali> kolonlari(KuralGridi grid) const;
};

// Kinds 1 and 2 (sales representatives) see the remainder and the order columns, choose other
// accounts and get the reports; kind 3 has no status column in the cart; kind 4 sees no
// campaigns. Other kinds change nothing.
KullaniciTipiKurallari kullaniciTipiKurallari(int musteriTipi);

} // namespace vexor
