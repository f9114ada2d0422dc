// The DVB-C operations of the demodulator driver: bring the chip up for DVB-C, search the
// channel the host has tuned (narrowing the tuner's filter to the signal found), arm the
// periodic measurements and hand out their results, the symbol rate, spectrum sense,
// constellation and samples. DVB-S shares the power-on and power-off, the MER and CBER
// limits and the frequency-offset reading; J.83 Annex B the offset and the sample read.
// Each DrvCXD2856_m_dvbc_ operation works on the record given last, its DrvCXD2856_dvbc_
// twin on the static record.
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

typedef struct st_t_dvbc_search_CXD2856 {
    uint32_t if_hz; // the tuner's IF when there is no IF callback
    uint32_t sp_inv_auto;
    uint32_t sp_inv;
    uint32_t constellation_auto;
    uint32_t constellation; // eCONSTELLATION_TYPE
    uint32_t reserved;
} st_t_dvbc_search_CXD2856;

// ---- Life cycle -------------------------------------------------------------------------

// ignored1..3: words of the host's call that the driver does not use.
KxlDrvLibError* DrvCXD2856_m_dvbc_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                       DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                       DrvCXD2856_event_registration_t eventSet,
                                       DrvCXD2856_event_registration_t eventClear, uint32_t ignored1,
                                       uint32_t ignored2, uint32_t ignored3,
                                       DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                       DrvCXD2856_tuner_if_t tunerIf, uint32_t channel, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_init(KxlDrvLibError* err, DrvCXD2856_power_query_t query, uint32_t spare,
                                     DrvCXD2856_adjust_reader_t reader, DrvCXD2856_adjust_predicate_t predicate,
                                     DrvCXD2856_event_registration_t eventSet,
                                     DrvCXD2856_event_registration_t eventClear, uint32_t ignored1, uint32_t ignored2,
                                     uint32_t ignored3, DrvCXD2856_tuner_configuration_t tunerConfiguration,
                                     DrvCXD2856_tuner_if_t tunerIf, uint32_t channel);
KxlDrvLibError* DrvCXD2856_m_dvbc_update_adjusts(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_update_adjusts(KxlDrvLibError* err);
// DVB-S powers on and off through these as well.
KxlDrvLibError* DrvCXD2856_m_dvbc_poweron(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc_poweroff(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_dvbc_look_for(KxlDrvLibError* err, st_t_dvbc_search_CXD2856 search, uint8_t* locked,
                                           st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_look_for(KxlDrvLibError* err, st_t_dvbc_search_CXD2856 search, uint8_t* locked);
// One DVB-C search on the tuner as it is set: the lock status (0 when the cancel flag is
// set), with spectrum sense, constellation and symbol rate stored.
uint32_t DrvCXD2856_m_dvbc_search_run(st_t_dvbc_search_CXD2856 search, KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_dvbc_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3,
                                                uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_init_measures(KxlDrvLibError* err, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
KxlDrvLibError* DrvCXD2856_m_dvbc_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                              uint32_t a3, uint32_t a4, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_init_measures_without_event(KxlDrvLibError* err, uint32_t a1, uint32_t a2,
                                                            uint32_t a3, uint32_t a4);
void DrvCXD2856_dvbc_set_default_measures(void);
uint32_t DrvCXD2856_dvbc_get_execution_period(void);
uint32_t DrvCXD2856_dvbc_get_stabilization_time_for_measure(void);

// ---- Results ----------------------------------------------------------------------------

uint32_t DrvCXD2856_m_dvbc_get_system_status(uint32_t* status, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_system_status(uint32_t* status);
uint32_t DrvCXD2856_m_dvbc_get_mer(uint32_t* status, int32_t* mer, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_mer(uint32_t* status, int32_t* mer);
// The MER table of the constellation received (DVB-S reads the DVB-C constellation too).
int32_t DrvCXD2856_m_dvbc_get_max_mer(st_t_data_CXD2856* state);
int32_t DrvCXD2856_dvbc_get_max_mer(void);
int32_t DrvCXD2856_dvbc_get_min_mer(void);
uint32_t DrvCXD2856_m_dvbc_get_lm(uint32_t* status, int32_t* lm, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_lm(uint32_t* status, int32_t* lm);
int32_t DrvCXD2856_dvbc_get_max_lm(void);
int32_t DrvCXD2856_dvbc_get_min_lm(void);
// The carrier offset now, in kHz (DVB-C, J.83B and DVB-S alike).
KxlDrvLibError* DrvCXD2856_m_dvbc_read_freq_offset(KxlDrvLibError* err, int32_t* khz, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_read_freq_offset(KxlDrvLibError* err, int32_t* khz);
uint32_t DrvCXD2856_dvbc_get_max_freq_offset_hz(void);
uint32_t DrvCXD2856_m_dvbc_get_cber(uint32_t* status, float* ber, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_cber(uint32_t* status, float* ber);
float DrvCXD2856_m_dvbc_get_max_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc_get_max_cber(void);
float DrvCXD2856_m_dvbc_get_min_cber(st_t_data_CXD2856* state);
float DrvCXD2856_dvbc_get_min_cber(void);
uint32_t DrvCXD2856_m_dvbc_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_per(uint32_t* overflow, uint32_t* errors, uint64_t* ms);

// ---- Signal parameters and samples ----------------------------------------------------------

// The stored symbol rate rounded to whole kBd (in Bd).
uint32_t DrvCXD2856_m_dvbc_get_symbol_rate(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_symbol_rate(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbc_get_sp_inv(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_sp_inv(uint8_t* automatic);
uint32_t DrvCXD2856_m_dvbc_get_constellation(uint8_t* automatic, st_t_data_CXD2856* state);
uint32_t DrvCXD2856_dvbc_get_constellation(uint8_t* automatic);
// One sample (DVB-C and J.83B): two signed bytes at bank 0x40 register 0x47; *sampled 0
// (I = Q = 0) when they could not be read.
KxlDrvLibError* DrvCXD2856_m_dvbc_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled,
                                               st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_read_full_iq(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled);
KxlDrvLibError* DrvCXD2856_m_dvbc_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q,
                                                   st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_dvbc_get_iq_top_right(KxlDrvLibError* err, int16_t* i, int16_t* q);

#ifdef __cplusplus
}
#endif
