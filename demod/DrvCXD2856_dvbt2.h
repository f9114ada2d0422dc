// The DVB-T2 operations of the demodulator driver: bring the chip up for DVB-T2, search the
// channel the host has tuned through its bandwidth candidates, profiles and PLPs (reading
// the L1 signalling on the way), arm the periodic measurements, and hand out their results,
// the signalling, constellation samples and the channel response. DVB-C2 shares the
// frequency-offset reading, the carrier writer and the channel response. Each
// DrvCXD2856_m_dvbt2_ operation works on the record given last, its DrvCXD2856_dvbt2_ twin
// on the static record.
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

typedef struct st_t_dvbt2_search_CXD2856 {
    uint32_t if_hz;       // the tuner's IF when there is no IF callback
    uint32_t bw_auto;     // try the other bandwidths when the requested one does not lock
    uint32_t bw;          // bandwidth id 5, 6, 7, 8 or 17 (1.7 MHz)
    uint32_t profile;     // KIT_DVBT2_PROFILE_BASE, _LITE or _ANY
    uint32_t plp_auto;    // the PLP the chip presents first
    uint32_t plp_id;
    uint32_t sp_inv_auto;
    uint32_t sp_inv;
    uint32_t reserved;
} st_t_dvbt2_search_CXD2856;

// ---- Life cycle -------------------------------------------------------------------------

KxlDrvLibError* DrvCXD2856_m_dvbt2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
KxlDrvLibError* DrvCXD2856_m_dvbt2_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt2_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt2_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbt2_look_for(KxlDrvLibError* err, st_t_dvbt2_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_look_for(KxlDrvLibError* err, st_t_dvbt2_search_CXD2856 search, uint8_t* locked);
KxlDrvLibError* DrvCXD2856_m_dvbt2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbt2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4);
void DrvCXD2856_dvbt2_set_default_measures(void);
uint32_t DrvCXD2856_dvbt2_get_execution_period(void);
uint32_t DrvCXD2856_dvbt2_get_stabilization_time_for_measure(void);

// ---- The search (its steps, for the look-for and for tests) -----------------------------------

// One DVB-T2 search over the bandwidth candidates: the lock status it reached (0 when the
// cancel flag ended it), the block describing the last candidate.
uint32_t DrvCXD2856_m_dvbt2_search_run(st_t_dvbt2_search_CXD2856 search, KxlDrvLibError* err,
                                       st_t_data_CXD2856* state);
// A blind tune for profile, then the waits for the demodulator lock and the L1-pre, and the
// L1-pre read and decoded. L1 state words: the sync state reached and the profile found.
void DrvCXD2856_m_dvbt2_tune_wait_l1_pre(kit_dtv_bandwidth_t bandwidth, uint32_t profile, uint32_t* l1State,
                                         kit_dvbt2_l1pre_t* l1pre, uint8_t* demodLocked, uint8_t* l1preRead,
                                         KxlDrvLibError* err, st_t_data_CXD2856* state);

// ---- Results ----------------------------------------------------------------------------

uint32_t DrvCXD2856_m_dvbt2_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_system_status(uint32_t* status);
KxlDrvLibError* DrvCXD2856_m_dvbt2_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_is_locked(KxlDrvLibError* err, uint8_t* locked);
uint32_t DrvCXD2856_m_dvbt2_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_m_dvbt2_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbt2_get_max_mer(void);
int32_t DrvCXD2856_dvbt2_get_min_mer(void);
uint32_t DrvCXD2856_m_dvbt2_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_dvbt2_get_max_lm(void);
int32_t DrvCXD2856_dvbt2_get_min_lm(void);
KxlDrvLibError* DrvCXD2856_m_dvbt2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate);
// The carrier offset now, in kHz, at the elementary clock of the DVB-T2 bandwidth.
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_dvbt2_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_dvbt2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbt2_get_max_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt2_get_max_cber(void);
float DrvCXD2856_m_dvbt2_get_min_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt2_get_min_cber(void);
uint32_t DrvCXD2856_m_dvbt2_get_ldpcber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_ldpcber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbt2_get_max_ldpcber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt2_get_max_ldpcber(void);
float DrvCXD2856_m_dvbt2_get_min_ldpcber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbt2_get_min_ldpcber(void);
uint32_t DrvCXD2856_m_dvbt2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds);
uint32_t DrvCXD2856_m_dvbt2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);
uint32_t DrvCXD2856_m_dvbt2_get_ldpc_iterations(uint32_t* average, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_ldpc_iterations(uint32_t* average);

// ---- Signal parameters and signalling ---------------------------------------------------------

uint32_t DrvCXD2856_m_dvbt2_get_bw(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_bw(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt2_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbt2_get_mode(uint8_t* valid, st_t_data_CXD2856* state);   // eFFT_MODE
uint32_t DrvCXD2856_dvbt2_get_mode(uint8_t* valid);
uint32_t DrvCXD2856_m_dvbt2_get_guard(uint8_t* valid, st_t_data_CXD2856* state);  // eGUARD_INTERVAL
uint32_t DrvCXD2856_dvbt2_get_guard(uint8_t* valid);
uint32_t DrvCXD2856_m_dvbt2_get_pilot_pattern(st_t_data_CXD2856* state);         // 0 PP1 ... 7 PP8
uint32_t DrvCXD2856_dvbt2_get_pilot_pattern(void);
// Whether the signal carries the base and the lite profile; returns the profile received.
uint32_t DrvCXD2856_m_dvbt2_get_profile(uint8_t* base, uint8_t* lite, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_profile(uint8_t* base, uint8_t* lite);
uint32_t DrvCXD2856_dvbt2_get_siso_or_miso(void);
uint32_t DrvCXD2856_m_dvbt2_get_cell_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_cell_id(void);
uint32_t DrvCXD2856_m_dvbt2_get_network_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_network_id(void);
uint32_t DrvCXD2856_m_dvbt2_get_t2_system_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_t2_system_id(void);
uint32_t DrvCXD2856_m_dvbt2_get_plp_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_plp_id(void);
void DrvCXD2856_m_dvbt2_get_plp_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_get_plp_list(uint32_t* count, const uint8_t** ids);
uint32_t DrvCXD2856_m_dvbt2_get_plp_coderate(st_t_data_CXD2856* state);          // eCODE_RATE_TYPE
uint32_t DrvCXD2856_dvbt2_get_plp_coderate(void);
uint32_t DrvCXD2856_m_dvbt2_get_plp_constellation_type(st_t_data_CXD2856* state); // eCONSTELLATION_TYPE
uint32_t DrvCXD2856_dvbt2_get_plp_constellation_type(void);
uint32_t DrvCXD2856_m_dvbt2_get_plp_constellation_rotation(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_plp_constellation_rotation(void);
// The signalling as far as the search read it: 1 once its stage is reached (L1-pre read for
// the L1-pre, L1-post read for the others), else 0; the pointers stay the block's.
uint32_t DrvCXD2856_m_dvbt2_get_L1pre_signalling(const kit_dvbt2_l1pre_t** l1pre, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_L1pre_signalling(const kit_dvbt2_l1pre_t** l1pre);
uint32_t DrvCXD2856_m_dvbt2_get_L1post_signalling(const kit_dvbt2_l1post_t** l1post, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_L1post_signalling(const kit_dvbt2_l1post_t** l1post);
// The raw L1 bytes: the 37 of the L1-pre, then the 19 of the L1-post's configurable part.
uint32_t DrvCXD2856_m_dvbt2_get_L1post_info(const uint8_t** bytes, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_L1post_info(const uint8_t** bytes);
// One record per PLP of the list, in list order (plp_records of them).
uint32_t DrvCXD2856_m_dvbt2_get_L1post_plp(const kit_dvbt2_plp_t** plps, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_L1post_plp(const kit_dvbt2_plp_t** plps);
uint32_t DrvCXD2856_m_dvbt2_get_tg(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbt2_get_tg(void);

// ---- Samples and channel response (DVB-C2 shares the carrier writer and the response) --------

KxlDrvLibError* DrvCXD2856_m_dvbt2_set_carrier(KxlDrvLibError* err, uint32_t carrier, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_set_carrier(KxlDrvLibError* err, uint32_t carrier);
// One raw sample of a carrier, waited for at most a second; *sampled 0 (I = Q = 0) when none.
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled);
// The cells of the PLP's FEC frame: first 0, last frame size / bits per cell - 1.
KxlDrvLibError* DrvCXD2856_m_dvbt2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last,
                                                  st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last);
KxlDrvLibError* DrvCXD2856_m_dvbt2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                    st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);
KxlDrvLibError* DrvCXD2856_m_dvbt2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                        uint8_t* valid, int32_t* level, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level);
KxlDrvLibError* DrvCXD2856_m_dvbt2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbt2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step);
int32_t DrvCXD2856_m_dvbt2_get_echoes_scale(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbt2_get_echoes_scale(void);

#ifdef __cplusplus
}
#endif
