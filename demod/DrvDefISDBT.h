// ISDB-T physical-layer numbers: bandwidth ids, carrier counts of the 13 segments, symbol
// durations (ns), bit rates per number of segments and the placement of segments and layers
// in the band.
#pragma once

#include "DrvDefCodes.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { DRVDEFISDBT_SEGMENTS = 13 };

uint32_t DRVDEFISDBT_get_bw_id_from_hz(uint32_t hz);
// Modes as DVB-T: 0 2k (mode 1), 2 4k (mode 2), anything else 8k (mode 3).
uint32_t DRVDEFISDBT_get_num_carrier(uint32_t mode);
uint32_t DRVDEFISDBT_get_num_data_carrier(uint32_t mode);
uint32_t DRVDEFISDBT_get_bits_per_carrier(uint32_t constellation);
uint32_t DRVDEFISDBT_get_tu(uint32_t bw_id, uint32_t mode);
uint32_t DRVDEFISDBT_get_tgi(uint32_t bw_id, uint32_t mode, uint32_t guard);
uint32_t DRVDEFISDBT_get_ts(uint32_t bw_id, uint32_t mode, uint32_t guard);
// Bit rates of `segments` of the 13 segments, bit/s.
uint32_t DRVDEFISDBT_get_bitrate_before_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard,
                                               uint32_t constellation, uint32_t segments);
uint32_t DRVDEFISDBT_get_bitrate_after_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard,
                                              uint32_t constellation, uint32_t segments, uint32_t code_rate);
// Position in the band (0 lowest ... 12 highest) of segment 0 ... 12.
uint32_t DRVDEFISDBT_get_segment_position(uint32_t segment);

// Where one layer sits: the lowest and highest band positions its segments occupy, and the
// carriers from the start of the lowest to the end of the highest. A layer placed around an
// inner one spans it too.
typedef struct t_isdbt_layer_span {
    uint32_t segments;
    uint32_t first_position;
    uint32_t last_position;
    uint32_t first_carrier;
    uint32_t last_carrier;
} t_isdbt_layer_span;

// Lays out layer A (the partial-reception layer, from segment 0 on), then B and C on the
// following segments; counts beyond the 13 segments are cut. Returns the carriers per segment.
uint32_t DRVDEFISDBT_get_carriers_distribution(uint32_t mode, uint32_t partial_segments, uint32_t segments_b,
                                               uint32_t segments_c, t_isdbt_layer_span spans[3]);

#ifdef __cplusplus
}
#endif
