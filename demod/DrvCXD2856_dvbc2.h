// The DVB-C2 operations of the demodulator driver: bring the chip up for DVB-C2, find the C2
// system around the frequency the host has tuned, read its layer-1 signalling (data slices
// and their PLPs), lock a PLP, arm the periodic measurements and hand out their results, the
// signalling, constellation samples and the channel response (through the DVB-T2 analysis
// unit). Each DrvCXD2856_m_dvbc2_ operation works on the record given last, its
// DrvCXD2856_dvbc2_ twin on the static record.
#pragma once

#include "DrvCXD2856_dvbt2.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct st_t_dvbc2_search_CXD2856 {
    uint32_t if_hz;  // the tuner's IF when there is no IF callback
    uint32_t bw_auto;
    uint32_t bw;     // 6 or 8
    uint32_t dslice_auto;
    uint32_t dslice_id;
    uint32_t plp_auto;
    uint32_t plp_id;
    uint32_t sp_inv_auto;
    uint32_t sp_inv;
} st_t_dvbc2_search_CXD2856;

// ---- Life cycle -------------------------------------------------------------------------

KxlDrvLibError* DrvCXD2856_m_dvbc2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, DrvCXD2856_tuner_frequency_t tunerFrequency,
                                        uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, DrvCXD2856_tuner_frequency_t tunerFrequency,
                                      uint32_t channel);
KxlDrvLibError* DrvCXD2856_m_dvbc2_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc2_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc2_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc2_look_for(KxlDrvLibError* err, st_t_dvbc2_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_look_for(KxlDrvLibError* err, st_t_dvbc2_search_CXD2856 search, uint8_t* locked);
KxlDrvLibError* DrvCXD2856_m_dvbc2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbc2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4);
void DrvCXD2856_dvbc2_set_default_measures(void);
uint32_t DrvCXD2856_dvbc2_get_execution_period(void);
uint32_t DrvCXD2856_dvbc2_get_stabilization_time_for_measure(void);

// ---- The search (its steps, for the look-for and for tests) -----------------------------------

// The whole DVB-C2 search: the lock status reached (0 when the cancel flag ended it), the
// block holding the layer 1 and the data slice and PLP found.
uint32_t DrvCXD2856_m_dvbc2_search_run_full(st_t_dvbc2_search_CXD2856 search, KxlDrvLibError* err,
                                            st_t_data_CXD2856* state);
// 1 once the layer 1 is ready on 5 reads in a row, 20 ms apart; 0 after timeoutMs without,
// or when cancelled. keepFreeze leaves the monitors frozen after the fifth read.
uint8_t DrvCXD2856_m_dvbc2_wait_l1_ready(uint32_t keepFreeze, uint32_t timeoutMs, KxlDrvLibError* err,
                                         st_t_data_CXD2856* state);
// The frequency of a carrier position (carriers from 0 Hz), kHz: 125/56 kHz a carrier at
// 8 MHz, 375/224 at 6 MHz.
uint32_t DrvCXD2856_dvbc2_position_khz(uint32_t bw, uint64_t position);

// ---- Results ----------------------------------------------------------------------------

uint32_t DrvCXD2856_m_dvbc2_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_system_status(uint32_t* status);
KxlDrvLibError* DrvCXD2856_m_dvbc2_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_is_locked(KxlDrvLibError* err, uint8_t* locked);
uint32_t DrvCXD2856_m_dvbc2_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_m_dvbc2_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbc2_get_max_mer(void);
int32_t DrvCXD2856_dvbc2_get_min_mer(void);
uint32_t DrvCXD2856_m_dvbc2_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_dvbc2_get_max_lm(void);
int32_t DrvCXD2856_dvbc2_get_min_lm(void);
KxlDrvLibError* DrvCXD2856_m_dvbc2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate);
// The DVB-T2 reader at the elementary clock of the DVB-C2 bandwidth, in kHz.
KxlDrvLibError* DrvCXD2856_m_dvbc2_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_dvbc2_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_dvbc2_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbc2_get_max_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc2_get_max_cber(void);
float DrvCXD2856_m_dvbc2_get_min_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc2_get_min_cber(void);
uint32_t DrvCXD2856_m_dvbc2_get_ldpcber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_ldpcber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbc2_get_max_ldpcber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc2_get_max_ldpcber(void);
float DrvCXD2856_m_dvbc2_get_min_ldpcber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc2_get_min_ldpcber(void);
uint32_t DrvCXD2856_m_dvbc2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_bchesr(uint32_t* status, float* esr, uint32_t* seconds);
uint32_t DrvCXD2856_m_dvbc2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);
uint32_t DrvCXD2856_m_dvbc2_get_ldpc_iterations(uint32_t* average, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_ldpc_iterations(uint32_t* average);

// ---- Signal parameters and signalling ---------------------------------------------------------

uint32_t DrvCXD2856_m_dvbc2_get_bw(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_bw(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbc2_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbc2_get_guard(uint8_t* valid, st_t_data_CXD2856* state); // eGUARD_INTERVAL
uint32_t DrvCXD2856_dvbc2_get_guard(uint8_t* valid);
uint32_t DrvCXD2856_m_dvbc2_get_network_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_network_id(void);
uint32_t DrvCXD2856_m_dvbc2_get_c2_system_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_c2_system_id(void);
uint32_t DrvCXD2856_m_dvbc2_get_dslice_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_dslice_id(void);
uint32_t DrvCXD2856_m_dvbc2_get_plp_id(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_plp_id(void);
// The data slices of the system, and the PLPs of the data slice received.
void DrvCXD2856_m_dvbc2_get_dslice_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_get_dslice_list(uint32_t* count, const uint8_t** ids);
void DrvCXD2856_m_dvbc2_get_plp_list(uint32_t* count, const uint8_t** ids, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_get_plp_list(uint32_t* count, const uint8_t** ids);
uint32_t DrvCXD2856_m_dvbc2_get_plp_coderate(st_t_data_CXD2856* state);          // eCODE_RATE_TYPE
uint32_t DrvCXD2856_dvbc2_get_plp_coderate(void);
uint32_t DrvCXD2856_m_dvbc2_get_plp_constellation_type(st_t_data_CXD2856* state); // eCONSTELLATION_TYPE
uint32_t DrvCXD2856_dvbc2_get_plp_constellation_type(void);
// The stored records, or none while they are not valid.
const st_t_dvbc2_preamble_CXD2856* DrvCXD2856_m_dvbc2_get_preamble(st_t_data_CXD2856* state);
const st_t_dvbc2_preamble_CXD2856* DrvCXD2856_dvbc2_get_preamble(void);
const kit_dvbc2_l1_part2_t* DrvCXD2856_m_dvbc2_get_l1_part2(st_t_data_CXD2856* state);
const kit_dvbc2_l1_part2_t* DrvCXD2856_dvbc2_get_l1_part2(void);
// Nothing to do: the signalling is read whole by the search.
void DrvCXD2856_dvbc2_lock_signalling_data(void);
void DrvCXD2856_dvbc2_unlock_signalling_data(void);
uint32_t DrvCXD2856_m_dvbc2_get_tg(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc2_get_tg(void);

// ---- Samples and channel response --------------------------------------------------------------

KxlDrvLibError* DrvCXD2856_dvbc2_set_carrier(KxlDrvLibError* err, uint32_t carrier);
// One raw sample of a carrier (14-bit); *sampled 0 (I = Q = 0) when the chip gave none.
KxlDrvLibError* DrvCXD2856_m_dvbc2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled);
KxlDrvLibError* DrvCXD2856_m_dvbc2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last,
                                                  st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_get_iq_margins(KxlDrvLibError* err, uint32_t* first, uint32_t* last);
KxlDrvLibError* DrvCXD2856_m_dvbc2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                    st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);
KxlDrvLibError* DrvCXD2856_dvbc2_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level);
KxlDrvLibError* DrvCXD2856_m_dvbc2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc2_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step);
int32_t DrvCXD2856_m_dvbc2_get_echoes_scale(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbc2_get_echoes_scale(void);

#ifdef __cplusplus
}
#endif
