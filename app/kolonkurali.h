#pragma once

#include "kullanicitipi.h"

#include "platform/grid/columns.h"

namespace vexor {

// A grid's declared columns with the rules of a kind of user applied: each rule shows or hides
// its field, offers it in the column customisation or not, and may give it another caption.
// Rules for fields the grid does not declare are ignored.
GridColumns kolonKurallariniUygula(GridColumns kolonlar, const QList<KolonKurali> &kurallar);

} // namespace vexor
