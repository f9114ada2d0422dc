#include "DrvDefDVBT.h"

#include "ber_scales.h"

namespace {

// Continual-pilot carrier indices of the 8k mode, ETSI EN 300 744 clause 4.5.3, table 7;
// the 2k mode uses the first 45 and the 4k mode (EN 300 744 annex F) the first 89.
const uint16_t st_ai_cp_8K[177] = {
    0,    48,   54,   87,   141,  156,  192,  201,  255,  279,  282,  333,  432,  450,  483,  525,  531,  618,
    636,  714,  759,  765,  780,  804,  873,  888,  918,  939,  942,  969,  984,  1050, 1101, 1107, 1110, 1137,
    1140, 1146, 1206, 1269, 1323, 1377, 1491, 1683, 1704, 1752, 1758, 1791, 1845, 1860, 1896, 1905, 1959, 1983,
    1986, 2037, 2136, 2154, 2187, 2229, 2235, 2322, 2340, 2418, 2463, 2469, 2484, 2508, 2577, 2592, 2622, 2643,
    2646, 2673, 2688, 2754, 2805, 2811, 2814, 2841, 2844, 2850, 2910, 2973, 3027, 3081, 3195, 3387, 3408, 3456,
    3462, 3495, 3549, 3564, 3600, 3609, 3663, 3687, 3690, 3741, 3840, 3858, 3891, 3933, 3939, 4026, 4044, 4122,
    4167, 4173, 4188, 4212, 4281, 4296, 4326, 4347, 4350, 4377, 4392, 4458, 4509, 4515, 4518, 4545, 4548, 4554,
    4614, 4677, 4731, 4785, 4899, 5091, 5112, 5160, 5166, 5199, 5253, 5268, 5304, 5313, 5367, 5391, 5394, 5445,
    5544, 5562, 5595, 5637, 5643, 5730, 5748, 5826, 5871, 5877, 5892, 5916, 5985, 6000, 6030, 6051, 6054, 6081,
    6096, 6162, 6213, 6219, 6222, 6249, 6252, 6258, 6318, 6381, 6435, 6489, 6603, 6795, 6816,
};

// TPS carrier indices of the 8k mode, ETSI EN 300 744 clause 4.5.4, table 8; the 2k mode
// uses the first 17 and the 4k mode the first 34.
const uint16_t st_ai_tps_8K[68] = {
    34,   50,   209,  346,  413,  569,  595,  688,  790,  901,  1073, 1219, 1262, 1286, 1469, 1594, 1687,
    1738, 1754, 1913, 2050, 2117, 2273, 2299, 2392, 2494, 2605, 2777, 2923, 2966, 2990, 3173, 3298, 3391,
    3442, 3458, 3617, 3754, 3821, 3977, 4003, 4096, 4198, 4309, 4481, 4627, 4670, 4694, 4877, 5002, 5095,
    5146, 5162, 5321, 5458, 5525, 5681, 5707, 5800, 5902, 6013, 6185, 6331, 6374, 6398, 6581, 6706, 6799,
};

const int32_t kCpCount = sizeof st_ai_cp_8K / sizeof st_ai_cp_8K[0];
const int32_t kTpsCount = sizeof st_ai_tps_8K / sizeof st_ai_tps_8K[0];

uint32_t byMode(uint32_t mode, uint32_t k2, uint32_t k8, uint32_t k4)
{
    if (mode == eFFT_2K)
        return k2;
    if (mode == eFFT_4K)
        return k4;
    return k8;
}

const uint16_t* indexes(const uint16_t* table, uint32_t mode, uint32_t* count, uint32_t k2, uint32_t k8, uint32_t k4)
{
    if (count && (mode == eFFT_2K || mode == eFFT_8K || mode == eFFT_4K))
        *count = byMode(mode, k2, k8, k4);
    return table;
}

} // namespace

uint32_t DRVDEFDVBT_get_bw_hz_from_id(uint32_t bw_id)
{
    switch (bw_id) {
    case eBW_5MHZ:
        return 5000000;
    case eBW_6MHZ:
        return 6000000;
    case eBW_7MHZ:
        return 7000000;
    default:
        return 8000000;
    }
}

uint32_t DRVDEFDVBT_get_bw_id_from_hz(uint32_t hz)
{
    switch (hz) {
    case 6000000:
        return eBW_6MHZ;
    case 7000000:
        return eBW_7MHZ;
    case 5000000:
        return eBW_5MHZ;
    default:
        return eBW_8MHZ;
    }
}

uint32_t DRVDEFDVBT_get_num_carrier(uint32_t mode) { return byMode(mode, 1705, 6817, 3409); }

uint32_t DRVDEFDVBT_get_num_data_carrier(uint32_t mode) { return byMode(mode, 1512, 6048, 3024); }

uint32_t DRVDEFDVBT_get_bits_per_carrier(uint32_t constellation)
{
    if (constellation == eCONST_QPSK)
        return 2;
    if (constellation == eCONST_16QAM)
        return 4;
    return 6;
}

uint32_t DRVDEFDVBT_scale_duration(uint64_t duration_8mhz, uint32_t bw_id)
{
    switch (bw_id) {
    case eBW_5MHZ:
        return static_cast<uint32_t>(duration_8mhz * 8 / 5);
    case eBW_6MHZ:
        return static_cast<uint32_t>(duration_8mhz * 4 / 3);
    case eBW_7MHZ:
        return static_cast<uint32_t>(duration_8mhz * 8 / 7);
    default:
        return static_cast<uint32_t>(duration_8mhz);
    }
}

uint32_t DRVDEFDVBT_get_tu(uint32_t bw_id, uint32_t mode)
{
    const uint64_t tu = byMode(mode, 224000, 896000, 448000); // 8 MHz
    if (bw_id == eBW_2MHZ)
        return static_cast<uint32_t>(tu * 4);
    return DRVDEFDVBT_scale_duration(tu, bw_id);
}

uint32_t DRVDEFDVBT_get_tgi_of_tu(uint32_t tu, uint32_t guard)
{
    switch (guard) {
    case eGI_1_8:
        return tu / 8;
    case eGI_1_16:
        return tu / 16;
    case eGI_1_32:
        return tu / 32;
    default:
        return tu / 4;
    }
}

uint32_t DRVDEFDVBT_get_tgi(uint32_t bw_id, uint32_t mode, uint32_t guard)
{
    return DRVDEFDVBT_get_tgi_of_tu(DRVDEFDVBT_get_tu(bw_id, mode), guard);
}

uint32_t DRVDEFDVBT_get_ts(uint32_t bw_id, uint32_t mode, uint32_t guard)
{
    return DRVDEFDVBT_get_tu(bw_id, mode) + DRVDEFDVBT_get_tgi(bw_id, mode, guard);
}

const uint16_t* DRVDEFDVBT_get_cp_indexs(uint32_t mode, uint32_t* count)
{
    return indexes(st_ai_cp_8K, mode, count, 45, 177, 89);
}

const uint16_t* DRVDEFDVBT_get_tps_indexs(uint32_t mode, uint32_t* count)
{
    return indexes(st_ai_tps_8K, mode, count, 17, 68, 34);
}

uint8_t DRVDEFDVBT_search_data(const uint16_t* table, int32_t count, uint32_t value, uint32_t* index)
{
    uint32_t at = 0;
    uint8_t found = 0;
    if (table && count >= 1 && value <= table[count - 1] && value >= table[0]) {
        while (static_cast<int32_t>(at) < count && table[at] < value)
            ++at;
        found = static_cast<int32_t>(at) < count && table[at] == value;
    }
    if (index)
        *index = at;
    return found;
}

uint8_t DRVDEFDVBT_is_tps_carrier(uint32_t carrier) { return DRVDEFDVBT_get_tps_carrier_index(carrier, nullptr); }

uint8_t DRVDEFDVBT_get_tps_carrier_index(uint32_t carrier, uint32_t* index)
{
    return DRVDEFDVBT_search_data(st_ai_tps_8K, kTpsCount, carrier, index);
}

uint8_t DRVDEFDVBT_is_cp_carrier(uint32_t carrier) { return DRVDEFDVBT_get_cp_carrier_index(carrier, nullptr); }

uint8_t DRVDEFDVBT_get_cp_carrier_index(uint32_t carrier, uint32_t* index)
{
    return DRVDEFDVBT_search_data(st_ai_cp_8K, kCpCount, carrier, index);
}

uint32_t DRVDEFDVBT_get_carrier_type(uint32_t carrier)
{
    if (DRVDEFDVBT_is_tps_carrier(carrier))
        return DRVDEFDVBT_CARRIER_TPS;
    if (DRVDEFDVBT_is_cp_carrier(carrier))
        return DRVDEFDVBT_CARRIER_CONTINUAL_PILOT;
    if (carrier % 3 == 0)
        return DRVDEFDVBT_CARRIER_SCATTERED_PILOT;
    return DRVDEFDVBT_CARRIER_DATA;
}

uint8_t DRVDEFDVBT_is_sp_carrier(uint32_t carrier)
{
    return DRVDEFDVBT_get_carrier_type(carrier) == DRVDEFDVBT_CARRIER_SCATTERED_PILOT;
}

uint8_t DRVDEFDVBT_is_data_carrier(uint32_t carrier)
{
    return DRVDEFDVBT_get_carrier_type(carrier) == DRVDEFDVBT_CARRIER_DATA;
}

uint32_t DRVDEFDVBT_get_bitrate_before_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation)
{
    const double symbolsPerSecond = 1e9 / DRVDEFDVBT_get_ts(bw_id, mode, guard);
    return static_cast<uint32_t>(0.5 + symbolsPerSecond * DRVDEFDVBT_get_bits_per_carrier(constellation) *
                                           DRVDEFDVBT_get_num_data_carrier(mode));
}

uint32_t DRVDEFDVBT_get_bitrate_after_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation,
                                              uint32_t hierarchy, uint32_t hp_code_rate, uint32_t lp_code_rate,
                                              uint32_t lp_stream)
{
    uint64_t rate = DRVDEFDVBT_get_bitrate_before_viberbi(bw_id, mode, guard, constellation);
    uint32_t codeRate = hp_code_rate;
    if (hierarchy != 0) {
        // The HP stream is the QPSK part of the constellation, the LP stream the rest.
        if (lp_stream == 0) {
            if (constellation == eCONST_16QAM)
                rate /= 2;
            else if (constellation == eCONST_64QAM)
                rate /= 3;
        } else {
            codeRate = lp_code_rate;
            if (constellation == eCONST_16QAM)
                rate /= 2;
            else if (constellation == eCONST_64QAM)
                rate = rate * 2 / 3;
        }
    }
    const t_fractional_code_rate f = Get_Fractional_Code_Rate(codeRate);
    return static_cast<uint32_t>(rate * f.numerator / f.denominator);
}

uint32_t DRVDEFDVBT_get_packet_rate(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation,
                                    uint32_t hierarchy, uint32_t hp_code_rate, uint32_t lp_code_rate,
                                    uint32_t lp_stream)
{
    return DRVDEFDVBT_get_bitrate_after_viberbi(bw_id, mode, guard, constellation, hierarchy, hp_code_rate,
                                                lp_code_rate, lp_stream) /
           1632;
}

double DRVDEFDVBT_get_elementary_clock(uint32_t bw_id)
{
    switch (bw_id) {
    case eBW_2MHZ:
    case eBW_5MHZ:
    case eBW_6MHZ:
    case eBW_7MHZ:
        return 8e6 * bw_id / 7.0;
    default: // 8 MHz, and 3 and 4 taken as 8
        return 64e6 / 7.0;
    }
}

double DRVDEFDVBT_get_elementary_period(uint32_t bw_id) { return 1.0 / DRVDEFDVBT_get_elementary_clock(bw_id); }
