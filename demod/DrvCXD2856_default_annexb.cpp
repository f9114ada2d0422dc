// Compiled J.83 Annex B adjustment defaults for 64 and 256QAM: one straight MER curve (a
// reading of 40 dB is 50 dB), neutral BER corrections, and no required MER (link margins 0).
#include "DrvCXD2856_default.h"

#include "DrvCXD2856_default_tables.h"

using drvcxd2856::curve;

namespace {

constexpr t_mer_point kMer[] = {{400, 500}, {0, 0}};
constexpr int16_t kLinkMargin[DRVCXD2856_ANNEXB_TABLES] = {0, 0};

} // namespace

void DrvCXD2856_default_annexb_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    for (int i = 0; i < DRVCXD2856_ANNEXB_TABLES; ++i) {
        drvcxd2856::installCurve(&record->annexb.mer_table[i], curve(500, kMer));
        MEASURE_BER_default_table(&record->annexb.ber_table[i]);
    }
    drvcxd2856::installLinkMargin(record->annexb.linkmargin, kLinkMargin);
}
