// The DVB-T operations of the demodulator driver: bring the chip up for DVB-T, search and
// lock the channel the host has tuned (trying the bandwidths in turn when asked), arm the
// periodic measurements and hand out their latest results, the TPS parameters, constellation
// samples and the channel response. Each DrvCXD2856_m_dvbt_ operation works on the record
// given last; its DrvCXD2856_dvbt_ twin on the static record.
#pragma once

#include "DrvCXD2856_host.h"
#include "DrvCXD2856_readers.h"
#include "DrvCXD2856_state.h"
#include "DrvCXD2856_tasks.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// What the host asks a DVB-T search for. Bandwidth ids in MHz (eBANDWIDTH_ID); mode, guard
// and spectrum inversion each fixed, or found by the search when their flag is set.
typedef struct st_t_dvbt_search_CXD2856 {
    uint32_t if_hz;          // the tuner's IF when there is no IF callback
    uint32_t code_rate_auto; // kept with the code rates the search finds
    uint32_t reserved;
    uint32_t bw_auto;        // try the other bandwidths when the requested one does not lock
    uint32_t bw;
    uint32_t mode_auto;
    uint32_t mode;           // eFFT_MODE
    uint32_t guard_auto;
    uint32_t guard;          // eGUARD_INTERVAL
    uint32_t sp_inv_auto;
    uint32_t sp_inv;
    uint32_t priority;       // 0 HP stream, 1 LP stream
} st_t_dvbt_search_CXD2856;

// ---- Life cycle -------------------------------------------------------------------------

KxlDrvLibError* DrvCXD2856_m_dvbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                     DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                     DrvCXD2856_event_registration_t eventSet,
                                     DrvCXD2856_event_registration_t eventClear,
                                     DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
// The adjustment data (or its defaults), the signal parameters' defaults, unlocked results.
KxlDrvLibError* DrvCXD2856_m_dvbt_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt_update_adjusts_withoutheap(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_update_adjusts_withoutheap(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_poweroff(KxlDrvLibError* err);
// Tunes and locks; *locked is 1 at TS lock (TS output on), else 0 (output off). Programs the
// error-count windows.
KxlDrvLibError* DrvCXD2856_m_dvbt_look_for(KxlDrvLibError* err, st_t_dvbt_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_look_for(KxlDrvLibError* err, st_t_dvbt_search_CXD2856 search, uint8_t* locked);
// The pre-Viterbi counting window for about 200 ms of the stored parameters' rate, written
// as its exponent n (1..7, 2^(n + 12) bits); returns the bits it counts as the results scale
// them by constellation and HP code rate.
uint32_t DrvCXD2856_m_dvbt_write_cber_window(KxlDrvLibError* err, st_t_data_CXD2856* state);
// The MER, CBER and VBER slots' enables; the first three slots on.
void DrvCXD2856_m_dvbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber);
KxlDrvLibError* DrvCXD2856_m_dvbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4);
void DrvCXD2856_dvbt_set_default_measures(void);
uint32_t DrvCXD2856_dvbt_get_execution_period(void);

// ---- Results: each getter returns the tick counter ------------------------------------------

uint32_t DrvCXD2856_m_dvbt_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_system_status(uint32_t* status);
KxlDrvLibError* DrvCXD2856_m_dvbt_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_is_locked(KxlDrvLibError* err, uint8_t* locked);
uint32_t DrvCXD2856_m_dvbt_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_m_dvbt_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbt_get_max_mer(void);
int32_t DrvCXD2856_m_dvbt_get_min_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbt_get_min_mer(void);
uint32_t DrvCXD2856_m_dvbt_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_dvbt_get_max_lm(void);
int32_t DrvCXD2856_dvbt_get_min_lm(void);
// The host's adjustment predicate, 0 without one.
uint32_t DrvCXD2856_m_dvbt_correct_mer(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_correct_mer(void);
// MER of one carrier, calibrated by the table of the bandwidth and mode unless calibrate is 0
// or the host's predicate refuses the tables.
KxlDrvLibError* DrvCXD2856_m_dvbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                    uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                  uint32_t* status, uint8_t calibrate);
// The carrier offset now, in kHz.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_dvbt_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_dvbt_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbt_get_max_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt_get_max_cber(void);
float DrvCXD2856_m_dvbt_get_min_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt_get_min_cber(void);
uint32_t DrvCXD2856_m_dvbt_get_vber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_vber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbt_get_max_vber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt_get_max_vber(void);
float DrvCXD2856_m_dvbt_get_min_vber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt_get_min_vber(void);
uint32_t DrvCXD2856_m_dvbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);
KxlDrvLibError* DrvCXD2856_dvbt_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* counter);

// ---- Signal parameters ---------------------------------------------------------------------
// A parameter the search finds or is told gives its automatic flag in *automatic.

uint32_t DrvCXD2856_m_dvbt_get_bw(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_bw(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt_get_mode(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_mode(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt_get_guard(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_guard(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt_get_constellation(uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_constellation(uint8_t* valid);
// The HP code rate; the LP one and the hierarchy beside it.
uint32_t DrvCXD2856_m_dvbt_get_coderate(uint32_t* lp, uint32_t* hierarchy, uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_coderate(uint32_t* lp, uint32_t* hierarchy, uint8_t* valid);
const st_t_dvbt_tps_CXD2856* DrvCXD2856_m_dvbt_get_tps_info(uint8_t* valid, st_t_data_CXD2856* state);
const st_t_dvbt_tps_CXD2856* DrvCXD2856_dvbt_get_tps_info(uint8_t* valid);
uint32_t DrvCXD2856_m_dvbt_get_cellid(uint16_t* cellId, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_cellid(uint16_t* cellId);
uint32_t DrvCXD2856_m_dvbt_get_standard(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_standard(void);
// Changes nothing: the stream is chosen by the search.
KxlDrvLibError* DrvCXD2856_dvbt_set_priority_ts(KxlDrvLibError* err, uint32_t priority);
uint32_t DrvCXD2856_m_dvbt_get_priority_ts(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_priority_ts(void);
uint32_t DrvCXD2856_m_dvbt_get_interleaver(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_interleaver(void);
uint32_t DrvCXD2856_m_dvbt_get_mpe_fec(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_mpe_fec(void);
uint32_t DrvCXD2856_m_dvbt_get_timeslicing(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_timeslicing(void);
// Guard-interval duration of the stored parameters / 100.
uint32_t DrvCXD2856_m_dvbt_get_tg(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt_get_tg(void);

// ---- Samples and channel response (ISDB-T shares the carrier writer and the response) -------

KxlDrvLibError* DrvCXD2856_m_dvbt_set_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_set_carrier(KxlDrvLibError* err, uint32_t carrier);
// One raw I/Q sample of a carrier (wrapped to the carriers of the mode). *sampled is 0, and
// I and Q are 0, when the chip gave none: such a point is no constellation point.
KxlDrvLibError* DrvCXD2856_m_dvbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                               uint8_t* sampled, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                             uint8_t* sampled);
// The outermost ideal point of the constellation in sample units.
KxlDrvLibError* DrvCXD2856_m_dvbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                   st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);
// The level of one point of the channel response, tenths of a dB (-350: no level).
KxlDrvLibError* DrvCXD2856_m_dvbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                       uint8_t* valid, int32_t* level, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                     uint8_t* valid, int32_t* level);
// Points first..last of the response and the time per point, in the units of get_tg.
KxlDrvLibError* DrvCXD2856_m_dvbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                            uint32_t* last, float* step, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                          uint32_t* last, float* step);
int32_t DrvCXD2856_m_dvbt_get_echoes_scale(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbt_get_echoes_scale(void);
// Both flags 1; returns 0.
uint32_t DrvCXD2856_dvbt_get_echoes_mode(uint8_t* a, uint8_t* b);

#ifdef __cplusplus
}
#endif
