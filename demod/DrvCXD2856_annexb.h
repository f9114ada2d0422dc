// The J.83 Annex B operations of the demodulator driver: bring the chip up, lock the channel
// the host has tuned (keeping a plausible symbol rate when it does not lock), arm the
// periodic measurements and hand out their results, the signal parameters and samples.
// Each DrvCXD2856_m_annexb_ operation works on the record given last, its
// DrvCXD2856_annexb_ twin on the static record.
#pragma once

#include "DrvCXD2856_dvbc.h"

#ifdef __cplusplus
extern "C" {
#endif

// As DVB-C's: the first word is the IF used without an IF callback.
typedef st_t_dvbc_search_CXD2856 st_t_annexb_search_CXD2856;

// The symbol rates of the two constellations (Bd).
enum { DRVCXD2856_ANNEXB_SR_64QAM = 5056941, DRVCXD2856_ANNEXB_SR_256QAM = 5309734 };

KxlDrvLibError* DrvCXD2856_m_annexb_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                         DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                         DrvCXD2856_event_registration_t eventSet,
                                         DrvCXD2856_event_registration_t eventClear, uint32_t ignored1,
                                         uint32_t ignored2, uint32_t ignored3,
                                         DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                         DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear, uint32_t ignored1,
                                       uint32_t ignored2, uint32_t ignored3,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
KxlDrvLibError* DrvCXD2856_m_annexb_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_annexb_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_annexb_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_annexb_look_for(KxlDrvLibError* err, st_t_annexb_search_CXD2856 search,
                                             uint8_t* locked, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_look_for(KxlDrvLibError* err, st_t_annexb_search_CXD2856 search, uint8_t* locked);
KxlDrvLibError* DrvCXD2856_m_annexb_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                  uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_annexb_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                                uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t a4);
void DrvCXD2856_annexb_set_default_measures(void);
uint32_t DrvCXD2856_annexb_get_execution_period(void);
uint32_t DrvCXD2856_annexb_get_stabilization_time_for_measure(void);

uint32_t DrvCXD2856_m_annexb_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_system_status(uint32_t* status);
uint32_t DrvCXD2856_m_annexb_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_m_annexb_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_annexb_get_max_mer(void);
int32_t DrvCXD2856_annexb_get_min_mer(void);
uint32_t DrvCXD2856_m_annexb_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_annexb_get_max_lm(void);
int32_t DrvCXD2856_annexb_get_min_lm(void);
KxlDrvLibError* DrvCXD2856_annexb_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_annexb_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_annexb_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_m_annexb_get_max_cber(st_t_data_CXD2856* state);
float DrvCXD2856_annexb_get_max_cber(void);
float DrvCXD2856_m_annexb_get_min_cber(st_t_data_CXD2856* state);
float DrvCXD2856_annexb_get_min_cber(void);
uint32_t DrvCXD2856_m_annexb_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);
KxlDrvLibError* DrvCXD2856_annexb_read_pre_rs_errors(KxlDrvLibError* err, st_t_counter_CXD2856* counter);

uint32_t DrvCXD2856_m_annexb_get_symbol_rate(uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_symbol_rate(uint8_t* valid);
uint32_t DrvCXD2856_m_annexb_get_sp_inv(uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_sp_inv(uint8_t* valid);
uint32_t DrvCXD2856_m_annexb_get_constellation(uint8_t* valid, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_annexb_get_constellation(uint8_t* valid);
KxlDrvLibError* DrvCXD2856_annexb_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled);
KxlDrvLibError* DrvCXD2856_m_annexb_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                     st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_annexb_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);

#ifdef __cplusplus
}
#endif
