// The ISDB-T operations of the demodulator driver: bring the chip up for ISDB-T, search the
// channel the host has tuned through its bandwidth candidates and read its TMCC, arm the
// periodic measurements for a chosen layer and hand out their results, the per-layer
// parameters, constellation samples and the channel response (through the DVB-T analysis
// unit). Each DrvCXD2856_m_isdbt_ operation works on the record given last, its
// DrvCXD2856_isdbt_ twin on the static record.
#pragma once

#include "DrvCXD2856_dvbt.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct st_t_isdbt_search_CXD2856 {
    uint32_t bw_auto; // try the other bandwidths when the requested one does not lock
    uint32_t bw;      // 6, 7 or 8
    uint32_t sp_inv_auto;
    uint32_t sp_inv;
    uint32_t if_hz;   // the tuner's IF when there is no IF callback
} st_t_isdbt_search_CXD2856;

// Layers of the TMCC getters: 1 layer B, 2 layer C, any other layer A.
KxlDrvLibError* DrvCXD2856_m_isdbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                        DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                        DrvCXD2856_event_registration_t eventSet,
                                        DrvCXD2856_event_registration_t eventClear,
                                        DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                        DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                      DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                      DrvCXD2856_event_registration_t eventSet,
                                      DrvCXD2856_event_registration_t eventClear,
                                      DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                      DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
KxlDrvLibError* DrvCXD2856_m_isdbt_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_isdbt_update_adjusts_withoutheap(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_isdbt_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_isdbt_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_isdbt_look_for(KxlDrvLibError* err, st_t_isdbt_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_look_for(KxlDrvLibError* err, st_t_isdbt_search_CXD2856 search, uint8_t* locked);
void DrvCXD2856_m_isdbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_enable_toc(uint32_t mer, uint32_t cber, uint32_t vber);
// measureLayer: the layer the BER and PER follow (3 all, 4 the highest in use); tsLayer kept
// for the host.
KxlDrvLibError* DrvCXD2856_m_isdbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                 uint32_t a4, uint32_t a5, uint32_t measureLayer, uint32_t tsLayer,
                                                 st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                               uint32_t a4, uint32_t a5, uint32_t measureLayer, uint32_t tsLayer);
KxlDrvLibError* DrvCXD2856_m_isdbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, uint32_t a5,
                                                               uint32_t measureLayer, uint32_t tsLayer,
                                                               st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4, uint32_t a5,
                                                             uint32_t measureLayer, uint32_t tsLayer);
void DrvCXD2856_isdbt_set_default_measures(void);
uint32_t DrvCXD2856_isdbt_get_execution_period(void);

uint32_t DrvCXD2856_m_isdbt_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_system_status(uint32_t* status);
KxlDrvLibError* DrvCXD2856_m_isdbt_is_locked(KxlDrvLibError* err, uint8_t* locked, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_is_locked(KxlDrvLibError* err, uint8_t* locked);
uint32_t DrvCXD2856_m_isdbt_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_m_isdbt_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_isdbt_get_max_mer(void);
int32_t DrvCXD2856_isdbt_get_min_mer(void);
// The status is the MER's: no lock test.
uint32_t DrvCXD2856_m_isdbt_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_isdbt_get_max_lm(void);
int32_t DrvCXD2856_isdbt_get_min_lm(void);
uint32_t DrvCXD2856_m_isdbt_correct_mer(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_correct_mer(void);
// Uncalibrated whatever calibrate says.
KxlDrvLibError* DrvCXD2856_m_isdbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                     uint32_t* status, uint8_t calibrate, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_singlecarrier_mer(KxlDrvLibError* err, uint32_t carrier, int32_t* mer,
                                                   uint32_t* status, uint8_t calibrate);
KxlDrvLibError* DrvCXD2856_m_isdbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_isdbt_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_isdbt_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_isdbt_get_max_cber(void);
float DrvCXD2856_isdbt_get_min_cber(void);
uint32_t DrvCXD2856_m_isdbt_get_vber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_vber(uint32_t* status, float* ber);
float DrvCXD2856_m_isdbt_get_max_vber(st_t_data_CXD2856* state);
float DrvCXD2856_isdbt_get_max_vber(void);
float DrvCXD2856_m_isdbt_get_min_vber(st_t_data_CXD2856* state);
float DrvCXD2856_isdbt_get_min_vber(void);
uint32_t DrvCXD2856_m_isdbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);

uint32_t DrvCXD2856_m_isdbt_get_bw(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_bw(uint8_t* automatic);
uint32_t DrvCXD2856_m_isdbt_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_isdbt_get_mode(uint8_t* valid, st_t_data_CXD2856* state);  // eFFT_MODE
uint32_t DrvCXD2856_isdbt_get_mode(uint8_t* valid);
uint32_t DrvCXD2856_m_isdbt_get_guard(uint8_t* valid, st_t_data_CXD2856* state); // eGUARD_INTERVAL
uint32_t DrvCXD2856_isdbt_get_guard(uint8_t* valid);
uint32_t DrvCXD2856_m_isdbt_get_constellation(uint32_t layer, uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_constellation(uint32_t layer, uint8_t* valid);
uint32_t DrvCXD2856_m_isdbt_get_coderate(uint32_t layer, uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_coderate(uint32_t layer, uint8_t* valid);
uint32_t DrvCXD2856_m_isdbt_get_time_interleaving(uint32_t layer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_time_interleaving(uint32_t layer);
// Segments of layers A, B and C (each counted only from 1 to 13) and the highest layer in use;
// all 0 unless TS locked.
void DrvCXD2856_m_isdbt_get_segment_layers(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* highest,
                                           st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_get_segment_layers(uint32_t* a, uint32_t* b, uint32_t* c, uint32_t* highest);
uint32_t DrvCXD2856_m_isdbt_get_measure_layer(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_measure_layer(void);
uint32_t DrvCXD2856_m_isdbt_get_ts_layer(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_ts_layer(void);
const st_t_isdbt_tmcc_CXD2856* DrvCXD2856_m_isdbt_get_extended_data(uint8_t* valid, st_t_data_CXD2856* state);
const st_t_isdbt_tmcc_CXD2856* DrvCXD2856_isdbt_get_extended_data(uint8_t* valid);
// The emergency-alarm flag of a valid TMCC, else 0.
uint32_t DrvCXD2856_m_isdbt_get_emergency_alarm(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_emergency_alarm(void);
uint32_t DrvCXD2856_m_isdbt_get_tg(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_isdbt_get_tg(void);

KxlDrvLibError* DrvCXD2856_isdbt_set_carrier(KxlDrvLibError* err, uint32_t carrier);
// One raw sample of a carrier; *sampled 0 (I = Q = 0) when the chip gave none.
KxlDrvLibError* DrvCXD2856_m_isdbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                                uint8_t* sampled, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_read_full_iq(KxlDrvLibError* err, uint32_t carrier, int16_t* i, int16_t* q,
                                              uint8_t* sampled);
// Negative: the ISDB-T samples come mirrored through the centre.
KxlDrvLibError* DrvCXD2856_m_isdbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                    st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);
KxlDrvLibError* DrvCXD2856_isdbt_read_channelresponse(KxlDrvLibError* err, int32_t mode, uint32_t point,
                                                      uint8_t* valid, int32_t* level);
KxlDrvLibError* DrvCXD2856_m_isdbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate,
                                                             uint32_t* first, uint32_t* last, float* step,
                                                             st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_isdbt_get_channelresponse_scale(KxlDrvLibError* err, uint32_t decimate, uint32_t* first,
                                                           uint32_t* last, float* step);
int32_t DrvCXD2856_m_isdbt_get_echoes_scale(st_t_data_CXD2856* state);
int32_t DrvCXD2856_isdbt_get_echoes_scale(void);
uint32_t DrvCXD2856_isdbt_get_echoes_mode(uint8_t* a, uint8_t* b);

#ifdef __cplusplus
}
#endif
