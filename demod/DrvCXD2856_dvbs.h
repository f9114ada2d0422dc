// The DVB-S and DVB-S2 operations of the demodulator driver: bring the chip up for the
// satellite standards, lock at a symbol rate on the frequency the host has tuned, arm the
// periodic measurements and hand out their results, code rates and samples. DVB-S powers
// on and off through the DVB-C operations and reads the DVB-C adjustment data; DVB-S2
// shares DVB-S's init, adjustment update, power-on, sample read and scale. Each
// DrvCXD2856_m_ operation works on the record given last, its plain twin on the static one.
#pragma once

#include "DrvCXD2856_dvbc.h"

#include "chipkit/kit_demod_dvbs_s2_monitor.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct st_t_dvbs_search_CXD2856 {
    uint32_t if_hz;
    uint32_t automatic;
    uint32_t symbol_rate_ksps;
    uint32_t reserved;
} st_t_dvbs_search_CXD2856;

KxlDrvLibError* DrvCXD2856_m_dvbs_init(KxlDrvLibError* err, DrvCXD2856_tuner_configuration_sat_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_init(KxlDrvLibError* err, DrvCXD2856_tuner_configuration_sat_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
// The DVB-C reader and tables (the section both standards share).
KxlDrvLibError* DrvCXD2856_m_dvbs_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_update_adjusts(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_dvbs_poweron(KxlDrvLibError* err);
// The DVB-C power-off, the DVB-S results reset as well.
KxlDrvLibError* DrvCXD2856_m_dvbs_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_poweroff(KxlDrvLibError* err);
// Tune at the search's symbol rate and read the lock: DVB-S, and DVB-S2.
KxlDrvLibError* DrvCXD2856_m_dvbs_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked);
KxlDrvLibError* DrvCXD2856_m_dvbs2_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked,
                                            st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs2_look_for(KxlDrvLibError* err, st_t_dvbs_search_CXD2856 search, uint8_t* locked);
KxlDrvLibError* DrvCXD2856_m_dvbs_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbs_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbs2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                               uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs2_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                             uint32_t a3, uint32_t a4);
void DrvCXD2856_dvbs_set_default_measures(void);
uint32_t DrvCXD2856_dvbs_get_execution_period(void);
uint32_t DrvCXD2856_dvbs_get_stabilization_time_for_measure(void);

// DVB-S and DVB-S2 share their status and MER.
uint32_t DrvCXD2856_m_dvbs_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_system_status(uint32_t* status);
uint32_t DrvCXD2856_dvbs2_get_system_status(uint32_t* status);
uint32_t DrvCXD2856_m_dvbs_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_mer(uint32_t* status, int32_t* mer);
uint32_t DrvCXD2856_dvbs2_get_mer(uint32_t* status, int32_t* mer);
int32_t DrvCXD2856_dvbs_get_max_mer(void);
int32_t DrvCXD2856_dvbs_get_min_mer(void);
uint32_t DrvCXD2856_m_dvbs_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_dvbs_get_max_lm(void);
int32_t DrvCXD2856_dvbs_get_min_lm(void);
KxlDrvLibError* DrvCXD2856_dvbs_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_dvbs_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_dvbs_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_dvbs_get_max_cber(void);
float DrvCXD2856_dvbs_get_min_cber(void);
uint32_t DrvCXD2856_m_dvbs_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);

// Read from the chip now: the symbol rate (Bd) and the DVB-S code rate (kit_dvbs_coderate_t).
uint32_t DrvCXD2856_m_dvbs_get_symbol_rate(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_symbol_rate(void);
uint32_t DrvCXD2856_m_dvbs_get_code_rate(st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_code_rate(void);
// The DVB-S2 PLS code read now.
KxlDrvLibError* DrvCXD2856_m_dvbs2_get_code_rate_and_constellation(KxlDrvLibError* err, kit_dvbs2_plscode_t* pls,
                                                                   st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs2_get_code_rate_and_constellation(KxlDrvLibError* err, kit_dvbs2_plscode_t* pls);
// DVB-S: the DVB-C spectrum-sense pair. DVB-S: QPSK with the DVB-C constellation's flag;
// DVB-S2: the PLS modulation the look-for found (flag 0 before it found one).
uint32_t DrvCXD2856_dvbs_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbs_get_constellation(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs_get_constellation(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbs2_get_constellation(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbs2_get_constellation(uint8_t* automatic);
// One constellation sample of DVB-S or DVB-S2; *sampled 0 (I = Q = 0) when the chip gave none.
KxlDrvLibError* DrvCXD2856_m_dvbs_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled,
                                               st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbs_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled);
KxlDrvLibError* DrvCXD2856_dvbs_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);

#ifdef __cplusplus
}
#endif
