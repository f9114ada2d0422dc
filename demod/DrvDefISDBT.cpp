#include "DrvDefISDBT.h"

#include "DrvDefDVBT.h"
#include "ber_scales.h"

#include <algorithm>

namespace {

// Useful symbol durations in ns, ARIB STD-B31: rows mode 1 (2k), 2 (4k), 3 (8k); columns
// 8, 7 and 6 MHz channels.
const uint32_t kTu[3][3] = {
    {189000, 216000, 252000},
    {378000, 432000, 504000},
    {756000, 864000, 1008000},
};

// Band position of segments 0 ... 12 (ARIB STD-B31): segment 0 in the centre, the others
// alternating below and above it.
const uint32_t kSegmentPosition[DRVDEFISDBT_SEGMENTS] = {6, 5, 7, 4, 8, 3, 9, 2, 10, 1, 11, 0, 12};

uint32_t modeRow(uint32_t mode)
{
    if (mode == eFFT_2K)
        return 0;
    return mode == eFFT_4K ? 1 : 2;
}

} // namespace

uint32_t DRVDEFISDBT_get_bw_id_from_hz(uint32_t hz)
{
    if (hz == 7000000)
        return eBW_7MHZ;
    if (hz == 8000000)
        return eBW_8MHZ;
    return eBW_6MHZ;
}

uint32_t DRVDEFISDBT_get_num_carrier(uint32_t mode) { return 1404u << modeRow(mode); }

uint32_t DRVDEFISDBT_get_num_data_carrier(uint32_t mode) { return 1248u << modeRow(mode); }

uint32_t DRVDEFISDBT_get_bits_per_carrier(uint32_t constellation)
{
    switch (constellation) {
    case eCONST_BPSK:
    case eCONST_QPSK:
    case eCONST_DQPSK:
        return 2;
    case eCONST_16QAM:
        return 4;
    default:
        return 6;
    }
}

uint32_t DRVDEFISDBT_get_tu(uint32_t bw_id, uint32_t mode)
{
    const uint32_t column = bw_id == eBW_8MHZ ? 0 : bw_id == eBW_7MHZ ? 1 : 2;
    return kTu[modeRow(mode)][column];
}

uint32_t DRVDEFISDBT_get_tgi(uint32_t bw_id, uint32_t mode, uint32_t guard)
{
    return DRVDEFDVBT_get_tgi_of_tu(DRVDEFISDBT_get_tu(bw_id, mode), guard);
}

uint32_t DRVDEFISDBT_get_ts(uint32_t bw_id, uint32_t mode, uint32_t guard)
{
    return DRVDEFISDBT_get_tu(bw_id, mode) + DRVDEFISDBT_get_tgi(bw_id, mode, guard);
}

uint32_t DRVDEFISDBT_get_bitrate_before_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard,
                                               uint32_t constellation, uint32_t segments)
{
    const double symbolsPerSecond = 1e9 / DRVDEFISDBT_get_ts(bw_id, mode, guard);
    const uint64_t all = static_cast<uint64_t>(0.5 + symbolsPerSecond * DRVDEFISDBT_get_bits_per_carrier(constellation) *
                                                         DRVDEFISDBT_get_num_data_carrier(mode));
    return static_cast<uint32_t>(segments * all / DRVDEFISDBT_SEGMENTS);
}

uint32_t DRVDEFISDBT_get_bitrate_after_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard,
                                              uint32_t constellation, uint32_t segments, uint32_t code_rate)
{
    const uint64_t rate = DRVDEFISDBT_get_bitrate_before_viberbi(bw_id, mode, guard, constellation, segments);
    const t_fractional_code_rate f = Get_Fractional_Code_Rate(code_rate);
    return static_cast<uint32_t>(rate * f.numerator / f.denominator);
}

uint32_t DRVDEFISDBT_get_segment_position(uint32_t segment)
{
    return segment < DRVDEFISDBT_SEGMENTS ? kSegmentPosition[segment] : 0;
}

uint32_t DRVDEFISDBT_get_carriers_distribution(uint32_t mode, uint32_t partial_segments, uint32_t segments_b,
                                               uint32_t segments_c, t_isdbt_layer_span spans[3])
{
    const uint32_t perSegment = DRVDEFISDBT_get_num_carrier(mode) / DRVDEFISDBT_SEGMENTS;
    const uint32_t asked[3] = {partial_segments, segments_b, segments_c};
    uint32_t segment = 0;
    for (uint32_t layer = 0; layer < 3; ++layer) {
        t_isdbt_layer_span span{};
        span.segments = std::min(asked[layer], DRVDEFISDBT_SEGMENTS - segment);
        if (span.segments > 0) {
            span.first_position = DRVDEFISDBT_SEGMENTS;
            for (uint32_t s = segment; s < segment + span.segments; ++s) {
                span.first_position = std::min(span.first_position, kSegmentPosition[s]);
                span.last_position = std::max(span.last_position, kSegmentPosition[s]);
            }
            span.first_carrier = span.first_position * perSegment;
            span.last_carrier = (span.last_position + 1) * perSegment - 1;
        }
        segment += span.segments;
        if (spans)
            spans[layer] = span;
    }
    return perSegment;
}
