#include "stoksekmesi.h"

#include "tform1.h"

namespace vexor {

TStokSekmesi::TStokSekmesi(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
}

} // namespace vexor
