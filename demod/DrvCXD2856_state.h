// The demodulator driver's one state record: the kit handles and the I2C binding they talk
// through, the table of periodic measurement tasks with its tick counter, one block per
// standard with its requested and found parameters, post-processing objects and latest
// results, the adjustment data and the host's parameters. The plain DrvCXD2856_ operations
// work on the record DrvCXD2856_state() returns; their DrvCXD2856_m_ twins take a record as
// the last argument.
#pragma once

#include "DrvCXD2856_host.h"
#include "DrvCXD2856_i2c.h"
#include "DrvCXD2856_plugplag.h"
#include "measure_ber.h"
#include "measure_esr.h"
#include "measure_mer.h"
#include "measure_mer_constellation.h"
#include "measure_per.h"
#include "measure_result.h"

#include "chipkit/kit_common.h"
#include "chipkit/kit_integ.h"
#include "chipkit/kit_demod_dvbc2.h"
#include "chipkit/kit_demod_dvbt2.h"
#include "chipkit/kit_demod_dvbt2_monitor.h"
#include "chipkit/kit_demod_isdbt.h"

#ifdef __cplusplus
extern "C" {
#endif

struct st_t_data_CXD2856;

// Lock status as the signal-status readers derive it; only TS lock (12) counts as locked.
// The partial codes differ per standard (see the readers).
typedef uint32_t eDEMOD_LOCK_STATUS;
enum { eDEMOD_LOCK_STATUS_UNLOCKED = 0, eDEMOD_LOCK_STATUS_TS_LOCKED = 12 };

// Special modes of the chip's analysis unit (chip measure mode).
enum {
    DRVCXD2856_MEASURE_NONE = 0,
    DRVCXD2856_MEASURE_FULL_IQ = 1,
    DRVCXD2856_MEASURE_CARRIER_MER = 2,
    DRVCXD2856_MEASURE_CHANNEL_RESPONSE = 3,
};

// One slot of the task table: the task runs on a tick when its countdown is below 2, and
// its countdown then restarts at the period.
typedef void (*DrvCXD2856_task_t)(KxlDrvLibError* result, struct st_t_data_CXD2856* state);
typedef struct t_toc_task {
    DrvCXD2856_task_t task; // none: empty slot
    uint8_t enabled;        // 0: skipped
    uint32_t period;        // ticks; 0: skipped
    int32_t countdown;
} t_toc_task;
enum { DRVCXD2856_TASKS = 8 };

// A signal parameter: requested (automatic 0) or found by the search (automatic 1).
typedef struct st_t_param_CXD2856 {
    uint8_t automatic;
    uint32_t value;
} st_t_param_CXD2856;

// ---- DVB-T ----------------------------------------------------------------------------

// The TPS as the chip gives it (TPS codes, not the library's).
typedef struct st_t_dvbt_tps_CXD2856 {
    uint32_t length_indicator;
    uint32_t constellation; // 0 QPSK, 1 16QAM, 2 64QAM
    uint32_t hierarchy;     // 0 none, 1..3 alpha 1, 2, 4
    uint32_t hp_code_rate;  // 0..4 = 1/2, 2/3, 3/4, 5/6, 7/8
    uint32_t lp_code_rate;
    uint32_t guard;         // 0..3 = 1/32, 1/16, 1/8, 1/4
    uint32_t mode;          // 0 2k, 1 8k
    uint16_t cell_id;       // with a length indicator of 31 or more
    uint8_t interleaver;    // the DVB-H flags, with a length indicator of 33
    uint8_t time_slicing;
    uint8_t mpe_fec;
} st_t_dvbt_tps_CXD2856;

typedef struct st_t_dvbt_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    // Library codes: bandwidth id, eFFT_MODE, eGUARD_INTERVAL, eCONSTELLATION_TYPE, eCODE_RATE_TYPE.
    st_t_param_CXD2856 bw;
    st_t_param_CXD2856 sp_inv;
    st_t_param_CXD2856 mode;
    st_t_param_CXD2856 guard;
    uint32_t constellation;
    uint32_t hierarchy; // 0 none, 1..3
    uint32_t hp_code_rate;
    uint32_t lp_code_rate;
    uint8_t code_rate_valid;
    uint32_t priority; // 0 HP stream, 1 LP stream
    uint32_t standard;
    uint32_t interleaver;
    uint32_t time_slicing;
    uint32_t mpe_fec;
    uint16_t cell_id;
    uint8_t tps_valid; // set by the search
    st_t_dvbt_tps_CXD2856 tps;
    uint32_t mer_offset; // where the next MER carrier walk starts

    t_measure_mer_constellation mer_object;
    MeasureResult mer;
    t_measure_ber cber_object;
    MeasureResult cber;
    uint32_t cber_bits; // per counting window
    t_measure_ber vber_object;
    MeasureResult vber;
    uint32_t vber_bits;
    t_measure_per per_object;
    t_per_result per;
} st_t_dvbt_CXD2856;

// ---- DVB-T2 and DVB-C2 ------------------------------------------------------------------

// What DVB-T2 and DVB-C2 measure alike: MER, the BER before LDPC (CBER) and before BCH
// (LDPC BER) with the errored-second ratio of the frames after BCH, LDPC iterations, PER.
typedef struct st_t_fec_measures_CXD2856 {
    t_measure_mer mer_object;
    MeasureResult mer;
    t_measure_ber cber_object;
    MeasureResult cber;
    uint32_t cber_bits;
    t_measure_ber ldpc_object;
    MeasureResult ldpcber;
    uint32_t ldpc_bits;
    t_measure_esr esr_object;
    t_esr_result esr;
    uint32_t ldpc_iterations;
    t_measure_per per_object;
    t_per_result per;
} st_t_fec_measures_CXD2856;

enum { DRVCXD2856_T2_L1_BYTES = 255 };

typedef struct st_t_dvbt2_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    st_t_param_CXD2856 bw; // bandwidth id 5, 6, 7, 8 or 17
    st_t_param_CXD2856 sp_inv;
    uint32_t fft_mode;      // eFFT_MODE
    uint32_t guard;         // eGUARD_INTERVAL
    uint32_t pilot_pattern; // kit pilot pattern
    uint32_t bw_extended;   // the word after the pilot pattern
    uint32_t profile;       // base or lite as found
    uint8_t profile_mixed;
    uint8_t plp_id;         // data PLP received
    uint32_t plp_code_rate;     // kit code
    uint32_t plp_constellation; // kit code
    uint8_t plp_rotation;
    uint32_t fec_frame;     // kit FEC type: 0 16K, 1 64K
    // Sizing the LDPC counting window.
    uint32_t data_symbols;
    uint32_t fec_blocks;
    uint32_t fef_interval;
    uint32_t fef_length;

    // What the search left: the L1 as far as it was read.
    uint8_t demod_locked;
    uint8_t l1pre_read;
    uint8_t l1post_read;
    uint32_t l1_state[2];
    kit_dvbt2_l1pre_t l1pre;
    uint8_t l1_buffer[DRVCXD2856_T2_L1_BYTES];
    uint8_t l1_buffer_stale; // the buffer must be read again
    uint8_t frame_parameters[3];
    uint32_t plp_count;
    uint8_t plp_ids[KIT_DVBT2_DATA_PLP_MAX];
    // Owned, on the driver heap.
    kit_dvbt2_l1post_t* l1post;
    kit_dvbt2_plp_t* plps;
    uint32_t plp_records;

    kit_dvbt2_mer_filter_t mer_filter;
    uint8_t mer_window_last; // with MER source 1: the window's last value, not its estimate
    st_t_fec_measures_CXD2856 m;
} st_t_dvbt2_CXD2856;

// One data slice of the DVB-C2 system with the ids of its PLPs.
typedef struct st_t_dvbc2_dslice_CXD2856 {
    kit_dvbc2_data_slice_t slice;
    uint32_t plp_count;
    uint8_t plp_ids[255];
} st_t_dvbc2_dslice_CXD2856;

// What the received frame told before its layer 1: a 14-bit and a 2-bit field.
typedef struct st_t_dvbc2_preamble_CXD2856 {
    uint32_t start;
    uint32_t type;
} st_t_dvbc2_preamble_CXD2856;

typedef struct st_t_dvbc2_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    st_t_param_CXD2856 bw; // 6 or 8
    st_t_param_CXD2856 sp_inv;
    uint32_t guard;             // kit guard code
    uint32_t fec_type;          // FEC frame type bit
    uint32_t plp_constellation; // kit modulation code
    uint32_t plp_code_rate;     // kit code-rate code
    uint32_t network_id;
    uint32_t c2_system_id;
    uint8_t dslice_id;
    uint8_t plp_id;
    st_t_dvbc2_preamble_CXD2856 preamble;

    uint8_t demod_locked;
    uint8_t l1_read;
    uint8_t preamble_valid;
    uint8_t l1_part2_valid;
    uint32_t dslice_count;
    uint8_t dslice_ids[256];
    uint32_t plp_count;
    uint8_t plp_ids[256];
    // Owned, on the driver heap: the decoded L1 part 2, one record per data slice of the list
    // (dslice_count) and one per PLP the search selected (plp_records).
    kit_dvbc2_l1_part2_t* l1_part2;
    st_t_dvbc2_dslice_CXD2856* dslices;
    kit_dvbc2_plp_t* plps;
    uint32_t plp_records;

    st_t_fec_measures_CXD2856 m;
} st_t_dvbc2_CXD2856;

// ---- DVB-C, J.83 Annex B, DVB-S/S2 ----------------------------------------------------

typedef struct st_t_dvbc_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    st_t_param_CXD2856 symbol_rate; // Bd
    st_t_param_CXD2856 sp_inv;
    st_t_param_CXD2856 constellation; // eCONSTELLATION_TYPE
    t_measure_mer mer_object;
    MeasureResult mer;
    t_measure_ber cber_object;
    MeasureResult cber;
    uint32_t cber_bits;
    t_measure_per per_object;
    t_per_result per;
} st_t_dvbc_CXD2856;

typedef st_t_dvbc_CXD2856 st_t_annexb_CXD2856;

// DVB-S and DVB-S2 share it: one is received at a time.
typedef struct st_t_dvbs_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    st_t_param_CXD2856 s2_constellation; // eCONSTELLATION_TYPE of the PLS, once DVB-S2 locked
    t_measure_mer mer_object;
    MeasureResult mer;
    t_measure_ber cber_object;
    MeasureResult cber;    // DVB-S, before Reed-Solomon
    MeasureResult s2_cber; // DVB-S2, before BCH
    t_measure_per per_object;
    t_per_result per;
} st_t_dvbs_CXD2856;

// ---- ISDB-T ---------------------------------------------------------------------------

// The TMCC in library codes: constellation eCONSTELLATION_TYPE, code rate eCODE_RATE_TYPE,
// interleaving length in symbols.
typedef struct st_t_isdbt_layer_CXD2856 {
    uint32_t constellation;
    uint32_t code_rate;
    uint32_t interleaving;
    uint8_t segments;
} st_t_isdbt_layer_CXD2856;

typedef struct st_t_isdbt_tmcc_CXD2856 {
    uint32_t system;
    uint8_t partial_reception;
    st_t_isdbt_layer_CXD2856 layer[3]; // A, B, C
    uint8_t segment_layout[13];
    uint32_t highest_layer; // 0 A, 1 B, 2 C
    uint8_t raw[26];        // the 13 bytes at 0x32 as nibbles, each bit-reversed
} st_t_isdbt_tmcc_CXD2856;

typedef struct st_t_isdbt_CXD2856 {
    eDEMOD_LOCK_STATUS status;
    st_t_param_CXD2856 bw; // 6, 7, 8
    st_t_param_CXD2856 sp_inv;
    uint32_t mode;  // eFFT_MODE 2k, 8k or 4k
    uint32_t guard; // eGUARD_INTERVAL
    uint8_t tmcc_valid;
    uint8_t tmcc_locked;
    st_t_isdbt_tmcc_CXD2856 tmcc;
    kit_isdbt_tmcc_info_t tmcc_kit;
    uint32_t measure_layer; // 1 B, 2 C, 3 A + B + C, 4 the highest, else A
    uint32_t ts_layer;

    t_measure_mer mer_object;
    MeasureResult mer;
    t_ber_smoothing cber_smoothing; // the MER-estimated CBER
    MeasureResult cber;
    t_measure_ber vber_object;
    MeasureResult vber;
    uint32_t vber_bits;
    t_measure_per per_object;
    t_per_result per;
} st_t_isdbt_CXD2856;

// ---- Host parameters ------------------------------------------------------------------

typedef struct st_t_host_CXD2856 {
    DrvCXD2856_power_query_t power_query;
    uint32_t spare;
    DrvCXD2856_adjust_reader_t reader_dvbt;
    DrvCXD2856_adjust_reader_t reader_dvbt2;
    DrvCXD2856_adjust_reader_t reader_dvbc; // DVB-S reads it as well
    DrvCXD2856_adjust_reader_t reader_dvbc2;
    DrvCXD2856_adjust_reader_t reader_annexb;
    DrvCXD2856_adjust_reader_t reader_isdbt;
    DrvCXD2856_adjust_predicate_t adjust_predicate;
    DrvCXD2856_event_registration_t event_set;
    DrvCXD2856_event_registration_t event_clear;
    DrvCXD2856_tuner_configuration_t tuner_configuration;
    DrvCXD2856_tuner_configuration_sat_t tuner_configuration_sat;
    DrvCXD2856_tuner_if_t tuner_if;
    DrvCXD2856_tuner_frequency_t tuner_frequency;
} st_t_host_CXD2856;

typedef struct st_t_data_CXD2856 {
    kit_demod_t demod;
    kit_tuner_terr_cable_t tuner;         // the null tuner: the host drives the real one
    kit_integ_t integ;                    // its cancel flag is the driver's
    kit_i2c_t i2c;                        // bound to i2c_context
    t_DrvCXD2856_i2c_context i2c_context; // its handle is the I2C channel of the init
    uint32_t measure_mode;                // what the chip's analysis unit is set to
    uint8_t mer_source;                   // DVB-T2 MER: 1 from the MER window, else filtered
    int32_t response_mode;                // the channel-response mode last written with mode 3
    t_toc_task tasks[DRVCXD2856_TASKS];
    uint32_t ticks; // ticks run, wrapping
    MeasureResult freq_offset; // Hz
    // Each standard apart: none shares storage with another.
    st_t_dvbt_CXD2856 dvbt;
    st_t_dvbt2_CXD2856 dvbt2;
    st_t_dvbc2_CXD2856 dvbc2;
    st_t_dvbc_CXD2856 dvbc;
    st_t_annexb_CXD2856 annexb;
    st_t_dvbs_CXD2856 dvbs;
    st_t_isdbt_CXD2856 isdbt;
    st_t_plugplag_CXD2856* plugplag;
    st_t_host_CXD2856 host;
} st_t_data_CXD2856;

// The one static record, zero until a standard's init fills it.
st_t_data_CXD2856* DrvCXD2856_state(void);

#ifdef __cplusplus
}

namespace drvcxd2856 {
// Whether the host's stop is raised; the kit then counts it as answered (kit_integ.h).
inline bool cancelled(st_t_data_CXD2856* s)
{
    return kit_integ_CheckCancellation(&s->integ) == KIT_RESULT_ERROR_CANCEL;
}
} // namespace drvcxd2856
#endif

