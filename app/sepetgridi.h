#pragma once

#include "platform/grid/columns.h"

namespace vexor {

// The cart grid's columns in display order, before the rules of the kind of user. Fixed
// columns (offered = false) never appear in the column customisation.
const GridColumns &sepetKolonlari();

} // namespace vexor
