// DVB-T physical-layer numbers: bandwidths, carrier counts, symbol durations (ns), pilot
// and TPS carrier positions, gross and net bit rates and the elementary clock. Pure
// functions over constant tables; any thread may call them.
#pragma once

#include "DrvDefCodes.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    DRVDEFDVBT_CARRIER_DATA = 0,
    DRVDEFDVBT_CARRIER_TPS = 1,
    DRVDEFDVBT_CARRIER_CONTINUAL_PILOT = 2,
    DRVDEFDVBT_CARRIER_SCATTERED_PILOT = 3,
};

uint32_t DRVDEFDVBT_get_bw_hz_from_id(uint32_t bw_id);
uint32_t DRVDEFDVBT_get_bw_id_from_hz(uint32_t hz);
uint32_t DRVDEFDVBT_get_num_carrier(uint32_t mode);
uint32_t DRVDEFDVBT_get_num_data_carrier(uint32_t mode);
uint32_t DRVDEFDVBT_get_bits_per_carrier(uint32_t constellation);
// A duration at 8 MHz for the 5, 6 and 7 MHz channels (integer, multiplication first);
// other ids leave it unchanged.
uint32_t DRVDEFDVBT_scale_duration(uint64_t duration_8mhz, uint32_t bw_id);
// Useful symbol duration, ns.
uint32_t DRVDEFDVBT_get_tu(uint32_t bw_id, uint32_t mode);
// Guard duration for a useful duration: Tu/4, /8, /16, /32 for guard 0..3, else Tu/4.
uint32_t DRVDEFDVBT_get_tgi_of_tu(uint32_t tu, uint32_t guard);
uint32_t DRVDEFDVBT_get_tgi(uint32_t bw_id, uint32_t mode, uint32_t guard);
uint32_t DRVDEFDVBT_get_ts(uint32_t bw_id, uint32_t mode, uint32_t guard);

// The 8k tables and the entries a mode uses (2k, 4k, 8k); another mode leaves *count alone.
const uint16_t* DRVDEFDVBT_get_cp_indexs(uint32_t mode, uint32_t* count);
const uint16_t* DRVDEFDVBT_get_tps_indexs(uint32_t mode, uint32_t* count);
// Search of an ascending table: 1 when value is in it (index = its position), else 0 with
// index = the position of the first larger entry (0 below the first and above the last).
uint8_t DRVDEFDVBT_search_data(const uint16_t* table, int32_t count, uint32_t value, uint32_t* index);
uint8_t DRVDEFDVBT_is_tps_carrier(uint32_t carrier);
uint8_t DRVDEFDVBT_get_tps_carrier_index(uint32_t carrier, uint32_t* index);
uint8_t DRVDEFDVBT_is_cp_carrier(uint32_t carrier);
uint8_t DRVDEFDVBT_get_cp_carrier_index(uint32_t carrier, uint32_t* index);
// DRVDEFDVBT_CARRIER_*: TPS first, then continual pilot, then every third carrier.
uint32_t DRVDEFDVBT_get_carrier_type(uint32_t carrier);
uint8_t DRVDEFDVBT_is_sp_carrier(uint32_t carrier);
uint8_t DRVDEFDVBT_is_data_carrier(uint32_t carrier);

// Bit rates in bit/s.
uint32_t DRVDEFDVBT_get_bitrate_before_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation);
// hierarchy: 0 none, else hierarchical; lp_stream: 0 the HP stream, else the LP one. Code
// rates are eCODE_RATE_TYPE.
uint32_t DRVDEFDVBT_get_bitrate_after_viberbi(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation,
                                              uint32_t hierarchy, uint32_t hp_code_rate, uint32_t lp_code_rate,
                                              uint32_t lp_stream);
// 204-byte packets per second.
uint32_t DRVDEFDVBT_get_packet_rate(uint32_t bw_id, uint32_t mode, uint32_t guard, uint32_t constellation,
                                    uint32_t hierarchy, uint32_t hp_code_rate, uint32_t lp_code_rate,
                                    uint32_t lp_stream);
// Elementary clock in Hz (64/7 MHz at 8 MHz, scaled by the bandwidth) and its period in s.
double DRVDEFDVBT_get_elementary_clock(uint32_t bw_id);
double DRVDEFDVBT_get_elementary_period(uint32_t bw_id);

#ifdef __cplusplus
}
#endif
