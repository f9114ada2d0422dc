// Compiled ISDB-T adjustment defaults: uncalibrated MER tables and the link margins per
// layer constellation (QPSK, DQPSK, 16QAM, 64QAM) and code rate (1/2 ... 7/8).
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

namespace {

// Rows as the defaults have always had them; the 64QAM row holds no required MER.
constexpr int16_t kLinkMargin[DRVCXD2856_ISDBT_LM] = {31,  47,  48,  62,  62,  81,  102, 113, 121, 125,
                                                      147, 176, 188, 199, 211, 0,   0,   0,   0,   0};

} // namespace

void DrvCXD2856_default_isdbt_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    for (t_mer_calibration_table& t : record->isdbt.mer_table)
        MEASURE_MER_default_table(&t);
    drvcxd2856::installLinkMargin(record->isdbt.linkmargin, kLinkMargin);
}
