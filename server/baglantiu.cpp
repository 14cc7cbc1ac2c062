#include "baglantiu.h"

namespace vexor {

VEXOR_DEFINE_FIELD_TABLE(TSonucBilgisi, VEXOR_TSONUCBILGISI_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TSiparisDipAyrinti, VEXOR_TSIPARISDIPAYRINTI_FIELDS)
VEXOR_DEFINE_FIELD_TABLE(TTusSonuclari, VEXOR_TTUSSONUCLARI_FIELDS)

void registerBaglantiuRecords(RecordRegistry &registry)
{
    registry.add<TSonucBilgisi>();
    registry.add<TSiparisDipAyrinti>();
    registry.add<TTusSonuclari>();
}

} // namespace vexor
