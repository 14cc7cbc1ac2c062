#include "sepetsekmesi.h"

#include "tform1.h"

namespace vexor {

TSepetSekmesi::TSepetSekmesi(TForm1 &form)
    : QObject(&form)
    , m_form(form)
{
}

} // namespace vexor
