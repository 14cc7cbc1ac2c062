#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <optional>

namespace vexor {

// The grid's own small pictures (resources/grid): stock status, yes/no and picture flag.
enum class GridIcon {
    StatusVar,
    StatusYok,
    StatusTelefon,
    StatusYolda,
    StatusOzelSiparis,
    StatusTedarik,
    Yes,
    No,
    Picture,
};

// Rendered once per size and device pixel ratio; UI thread only.
QPixmap gridPixmap(GridIcon icon, int size = 24, qreal devicePixelRatio = 1.0);
QIcon gridIcon(GridIcon icon);

// Stock status codes of `DURUM`: 0 "Yok", 1 "Var", 2 "Telefon Açınız", 3 "Yolda",
// 4 "Özel Sipariş", 5 "Tedarik Sürecinde". Other codes have no icon and no text.
std::optional<GridIcon> statusIcon(qint64 code);
QString statusText(qint64 code);
// The legend's wording: "Stok mevcut" for 1, the status text for the others.
QString statusLegendText(qint64 code);

} // namespace vexor
