#include "DrvDefDVBT2.h"

#include "DrvDefDVBT.h"

#include <cmath>

namespace {

// K_ldpc and K_bch by frame size (short, normal) and T2 code rate (1/2, 3/5, 2/3, 3/4, 4/5,
// 5/6, 1/3, 2/5): ETSI EN 302 755 clause 6.1, coding parameters of the short and normal
// FECFRAME. The standard has no 1/3 and 2/5 normal-frame codes; those entries repeat 1/2.
const uint32_t kKldpc[2][8] = {
    {7200, 9720, 10800, 11880, 12600, 13320, 5400, 6480},
    {32400, 38880, 43200, 48600, 51840, 54000, 32400, 32400},
};
const uint32_t kKbch[2][8] = {
    {7032, 9552, 10632, 11712, 12432, 13152, 5232, 6312},
    {32208, 38688, 43040, 48408, 51648, 53840, 32208, 32208},
};

const uint32_t kCarriers[9] = {1705, 6817, 3409, 853, 6913, 13633, 13921, 27265, 27841};
const uint32_t kTu8MHz[7] = {224000, 896000, 448000, 112000, 896000, 1792000, 1792000};
const uint32_t kP2Symbols[7] = {8, 2, 4, 16, 2, 1, 1};
const uint32_t kBitsPerSymbol[3] = {2, 4, 6};
const uint32_t kPilotSeparation[7] = {3, 6, 6, 12, 12, 24, 24};
const uint32_t kGuardFromKit[7] = {eGI_1_32, eGI_1_16, eGI_1_8, eGI_1_4, eGI_1_128, eGI_19_128, eGI_19_256};
const uint32_t kConstellationFromKit[4] = {eCONST_QPSK, eCONST_16QAM, eCONST_64QAM, eCONST_256QAM};
const uint32_t kCodeRateFromKit[8] = {eCR_1_2, eCR_3_5, eCR_2_3, eCR_3_4, eCR_4_5, eCR_5_6, eCR_1_3, eCR_2_5};

template <size_t N>
uint32_t pick(const uint32_t (&table)[N], uint32_t index, uint32_t otherwise)
{
    return index < N ? table[index] : otherwise;
}

uint32_t frameKind(uint32_t fec_type) { return fec_type == 0 ? 0 : 1; }

uint32_t rateIndex(uint32_t code_rate) { return code_rate <= 7 ? code_rate : 0; }

} // namespace

uint32_t DRVDEFDVBT2_get_bw_hz_from_id(uint32_t bw_id)
{
    if (bw_id == eBW_10MHZ)
        return 10000000;
    if (bw_id == eBW_1_7MHZ)
        return 1700000;
    return DRVDEFDVBT_get_bw_hz_from_id(bw_id);
}

uint32_t DRVDEFDVBT2_get_bw_id_from_hz(uint32_t hz)
{
    if (hz == 10000000)
        return eBW_10MHZ;
    if (hz == 1700000)
        return eBW_1_7MHZ;
    return DRVDEFDVBT_get_bw_id_from_hz(hz);
}

uint32_t DRVDEFDVBT2_get_num_carrier(uint32_t fft_mode) { return pick(kCarriers, fft_mode, 27265); }

uint32_t DRVDEFDVBT2_get_fecframe_size(uint32_t fec_type) { return fec_type == 0 ? 16200 : 64800; }

uint32_t DRVDEFDVBT2_get_fecframe_size_afterldpc(uint32_t fec_type, uint32_t code_rate)
{
    return kKldpc[frameKind(fec_type)][rateIndex(code_rate)];
}

uint32_t DRVDEFDVBT2_get_fecframe_size_afterbch(uint32_t fec_type, uint32_t code_rate)
{
    return kKbch[frameKind(fec_type)][rateIndex(code_rate)];
}

uint32_t DRVDEFDVBT2_get_bits_per_symbol(uint32_t kit_constellation)
{
    return pick(kBitsPerSymbol, kit_constellation, 8);
}

uint32_t DRVDEFDVBT2_get_pilots_separation(uint32_t pilot_pattern) { return pick(kPilotSeparation, pilot_pattern, 6); }

uint32_t DRVDEFDVBT2_get_tu(uint32_t bw_id, uint32_t fft_mode)
{
    const uint64_t tu = pick(kTu8MHz, fft_mode, 3584000);
    if (bw_id == eBW_10MHZ)
        return static_cast<uint32_t>(tu * 4 / 5);
    if (bw_id == eBW_1_7MHZ) // elementary period 71/131 us against 7/64 us at 8 MHz
        return static_cast<uint32_t>(71 * tu * 8 / 917 * 8);
    if (bw_id == eBW_2MHZ) // a DVB-T id only
        return static_cast<uint32_t>(tu);
    return DRVDEFDVBT_scale_duration(tu, bw_id);
}

uint32_t DRVDEFDVBT2_get_tgi(uint32_t bw_id, uint32_t fft_mode, uint32_t guard)
{
    const uint64_t tu = DRVDEFDVBT2_get_tu(bw_id, fft_mode);
    switch (guard) {
    case eGI_1_4:
        return static_cast<uint32_t>(tu / 4);
    case eGI_1_8:
        return static_cast<uint32_t>(tu / 8);
    case eGI_1_16:
        return static_cast<uint32_t>(tu / 16);
    case eGI_1_32:
        return static_cast<uint32_t>(tu / 32);
    case eGI_19_128:
        return static_cast<uint32_t>(19 * tu / 128);
    case eGI_19_256:
        return static_cast<uint32_t>(19 * tu / 256);
    default: // 1/128
        return static_cast<uint32_t>(tu / 128);
    }
}

uint32_t DRVDEFDVBT2_get_ts(uint32_t bw_id, uint32_t fft_mode, uint32_t guard)
{
    return DRVDEFDVBT2_get_tu(bw_id, fft_mode) + DRVDEFDVBT2_get_tgi(bw_id, fft_mode, guard);
}

uint32_t DRVDEFDVBT2_get_num_p2_per_frame(uint32_t fft_mode) { return pick(kP2Symbols, fft_mode, 1); }

uint64_t DRVDEFDVBT2_get_frame_time(uint32_t bw_id, uint32_t fft_mode, uint32_t guard, uint32_t data_symbols)
{
    const uint64_t p1 = DRVDEFDVBT2_get_tu(bw_id, eFFT_2K);
    const uint64_t symbols = static_cast<uint64_t>(DRVDEFDVBT2_get_num_p2_per_frame(fft_mode)) + data_symbols;
    return p1 + symbols * DRVDEFDVBT2_get_ts(bw_id, fft_mode, guard);
}

uint32_t DRVDEFDVBT2_get_fef_length(uint32_t a, uint32_t b, const uint32_t* fef_fields)
{
    if (!fef_fields)
        return 0;
    uint32_t length = fef_fields[0] & 0x4FFFFF;
    if (a == 2 && b == 1)
        length += (fef_fields[1] & 3) << 22;
    return length;
}

double DRVDEFDVBT2_get_ratio_t2frame_fef(double frame_time, double fef_interval, double fef_time)
{
    if (fef_interval == 0 || fef_time == 0)
        return 1.0;
    return frame_time / (fef_time / fef_interval + frame_time);
}

double DRVDEFDVBT2_get_elementary_clock(uint32_t bw_id)
{
    switch (bw_id) {
    case eBW_5MHZ:
    case eBW_6MHZ:
    case eBW_7MHZ:
    case eBW_10MHZ:
        return 8e6 * bw_id / 7.0;
    case eBW_1_7MHZ:
        return 131e6 / 71.0;
    default: // 8 MHz, and the ids 9 and 11 ... 16 taken as 8
        return 64e6 / 7.0;
    }
}

double DRVDEFDVBT2_get_elementary_period(uint32_t bw_id) { return 1.0 / DRVDEFDVBT2_get_elementary_clock(bw_id); }

double DRVDEFDVBT2_get_fecrate(uint32_t bw_id, uint32_t fft_mode, uint32_t guard, uint32_t data_symbols,
                               uint32_t fec_blocks, uint32_t fef_interval, uint32_t fef_length)
{
    const double frame = static_cast<double>(DRVDEFDVBT2_get_frame_time(bw_id, fft_mode, guard, data_symbols));
    if (frame <= 0)
        return 0;
    const double fefTime =
        static_cast<double>(fef_length) * std::trunc(DRVDEFDVBT2_get_elementary_period(bw_id) * 1e9);
    // FEC blocks per frame, frames per second, and only the share of the time that is not FEF.
    return fec_blocks / (frame / 1e9) * DRVDEFDVBT2_get_ratio_t2frame_fef(frame, fef_interval, fefTime);
}

uint32_t DRVDEFDVBT2_translate_gi(uint32_t kit_guard) { return pick(kGuardFromKit, kit_guard, eGI_1_128); }

uint32_t DRVDEFDVBT2_translate_constellation(uint32_t kit_constellation)
{
    return pick(kConstellationFromKit, kit_constellation, eCONST_64QAM);
}

uint32_t DRVDEFDVBT2_translate_coderate(uint32_t kit_code_rate)
{
    return pick(kCodeRateFromKit, kit_code_rate, eCR_2_3);
}
