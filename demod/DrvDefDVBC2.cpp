#include "DrvDefDVBC2.h"

namespace {

// K_ldpc and K_bch by frame size (short, normal) and rate (2/3, 3/4, 4/5, 5/6, then 8/9 for
// short and 9/10 for normal frames): ETSI EN 302 769 clause 6.1, coding parameters.
const uint32_t kKldpc[2][5] = {
    {10800, 11880, 12600, 13320, 14400},
    {43200, 48600, 51840, 54000, 58320},
};
const uint32_t kKbch[2][5] = {
    {10632, 11712, 12432, 13152, 14232},
    {43040, 48408, 51648, 53840, 58192},
};

const uint32_t kBitsPerSymbol[5] = {4, 6, 8, 10, 12};
const uint32_t kConstellationFromKit[5] = {eCONST_16QAM, eCONST_64QAM, eCONST_256QAM, eCONST_1024QAM, eCONST_4096QAM};

bool sixMHz(uint32_t bw_id) { return bw_id == eBW_6MHZ; }

uint32_t frameKind(uint32_t fec_type) { return fec_type == 1 ? 1 : 0; }

uint32_t rateIndex(uint32_t code_rate) { return code_rate >= 2 && code_rate <= 5 ? code_rate - 1 : 0; }

} // namespace

uint32_t DRVDEFDVBC2_get_bw_hz_from_id(uint32_t bw_id) { return sixMHz(bw_id) ? 6000000 : 8000000; }

uint32_t DRVDEFDVBC2_get_bw_id_from_hz(uint32_t hz) { return hz == 6000000 ? eBW_6MHZ : eBW_8MHZ; }

uint32_t DRVDEFDVBC2_get_num_carrier(void) { return 3409; }

double DRVDEFDVBC2_get_elementary_clock(uint32_t bw_id) { return sixMHz(bw_id) ? 48e6 / 7.0 : 64e6 / 7.0; }

double DRVDEFDVBC2_get_elementary_period(uint32_t bw_id) { return 1.0 / DRVDEFDVBC2_get_elementary_clock(bw_id); }

uint32_t DRVDEFDVBC2_get_tu(uint32_t bw_id) { return sixMHz(bw_id) ? 597333 : 448000; }

uint32_t DRVDEFDVBC2_get_tgi(uint32_t bw_id, uint32_t guard)
{
    return DRVDEFDVBC2_get_tu(bw_id) / (guard == eGI_1_64 ? 64 : 128);
}

uint32_t DRVDEFDVBC2_get_ts(uint32_t bw_id, uint32_t guard)
{
    return DRVDEFDVBC2_get_tu(bw_id) + DRVDEFDVBC2_get_tgi(bw_id, guard);
}

uint32_t DRVDEFDVBC2_get_pilots_separation(uint32_t guard) { return guard == eGI_1_64 ? 12 : 24; }

uint32_t DRVDEFDVBC2_get_bits_per_symbol(uint32_t kit_constellation)
{
    return kit_constellation >= 1 && kit_constellation <= 5 ? kBitsPerSymbol[kit_constellation - 1] : 6;
}

uint32_t DRVDEFDVBC2_get_fecframe_size(uint32_t fec_type) { return fec_type == 1 ? 64800 : 16200; }

uint32_t DRVDEFDVBC2_get_fecframe_size_afterldpc(uint32_t fec_type, uint32_t code_rate)
{
    return kKldpc[frameKind(fec_type)][rateIndex(code_rate)];
}

uint32_t DRVDEFDVBC2_get_fecframe_size_afterbch(uint32_t fec_type, uint32_t code_rate)
{
    return kKbch[frameKind(fec_type)][rateIndex(code_rate)];
}

uint32_t DRVDEFDVBC2_translate_coderate(uint32_t fec_type, uint32_t kit_code_rate)
{
    switch (kit_code_rate) {
    case 2:
        return eCR_3_4;
    case 3:
        return eCR_4_5;
    case 4:
        return eCR_5_6;
    case 5:
        return fec_type == 1 ? eCR_9_10 : eCR_8_9;
    default:
        return eCR_2_3;
    }
}

uint32_t DRVDEFDVBC2_translate_constellation(uint32_t kit_constellation)
{
    if (kit_constellation >= 1 && kit_constellation <= 5)
        return kConstellationFromKit[kit_constellation - 1];
    return eCONST_256QAM;
}

uint32_t DRVDEFDVBC2_translate_gi(uint32_t kit_guard) { return kit_guard != 0 ? eGI_1_64 : eGI_1_128; }
