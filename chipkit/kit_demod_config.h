// The demodulator's configuration items: output polarity and timing, clock rates, counter
// periods, AGC and filter options, and the option flags kept in the handle. Items that
// touch the chip are saved, so they survive shutdown and wake-up.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Ids with a meaning of their own to callers; the others are known by number only.
typedef uint32_t kit_demod_config_id_t;
enum {
    KIT_DEMOD_CONFIG_PARALLEL_SEL = 0,            // non-zero: parallel TS output
    KIT_DEMOD_CONFIG_SER_DATA_ON_HIGH_PIN = 1,    // serial data on the highest data pin
    KIT_DEMOD_CONFIG_SERIAL_TS_CLOCK_ROW = 7,     // flag
    KIT_DEMOD_CONFIG_PARALLEL_TS_CLOCK = 11,      // 0..255, 0 means 8
    KIT_DEMOD_CONFIG_TS_CLOCK_GATING = 13,        // flag
    KIT_DEMOD_CONFIG_TERR_CABLE_SERIAL_TS_RATE = 20,  // 1..5
    KIT_DEMOD_CONFIG_TUNER_FILTER = 21,           // kept as given
    KIT_DEMOD_CONFIG_IF_SPECTRUM_INVERTED = 24,   // flag
    KIT_DEMOD_CONFIG_BLIND_TUNE_T2_FIRST = 25,    // flag
    KIT_DEMOD_CONFIG_SAT_SERIAL_TS_RATE = 43,     // 0..5
    KIT_DEMOD_CONFIG_SAT_IQ_INVERTED = 44,        // flag
    KIT_DEMOD_CONFIG_SAT_SEARCH = 50,             // 0..7
    KIT_DEMOD_CONFIG_TLV_OUTPUT_SYSTEM10 = 59,    // flag
    KIT_DEMOD_CONFIG_TLV_OUTPUT_DVBC2 = 60,       // flag
    KIT_DEMOD_CONFIG_SERIAL_TLV_CLOCK_ROW = 68,   // flag
    KIT_DEMOD_CONFIG_TLV_RATE_SERIAL_DVBC2 = 72,      // 1..5
    KIT_DEMOD_CONFIG_TLV_RATE_SERIAL_SYSTEM10 = 73,   // 0..5
    KIT_DEMOD_CONFIG_TLV_RATE_PARALLEL_DVBC2 = 74,    // 1..2
    KIT_DEMOD_CONFIG_TLV_RATE_PARALLEL_SYSTEM10 = 75, // 1..2
    KIT_DEMOD_CONFIG_COUNT = 76,
};

// Sets one item. State 2 or 3 (else 3); an id above 75 gives 8; items that reconfigure the
// output need state 2 (else 3); a value outside the item's range gives 7 and changes nothing.
kit_result_t kit_demod_SetConfig(kit_demod_t* demod, kit_demod_config_id_t id, uint32_t value);

#ifdef __cplusplus
}
#endif
