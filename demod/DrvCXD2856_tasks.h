// The periodic measurement tasks of the demodulator driver, which the tick runs from the
// task table, and what arms them: each standard's task table, the reset of its results to
// their no-value state, and the creation and release of its post-processing objects.
// The tasks keep results only while the stored lock status is 12 (TS locked); they lower
// the status when the signal degrades, never raise it: only a search sets 12.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum eDrvCXD2856_standard {
    DRVCXD2856_STD_DVBT,
    DRVCXD2856_STD_DVBT2,
    DRVCXD2856_STD_DVBC,
    DRVCXD2856_STD_DVBC2,
    DRVCXD2856_STD_ANNEXB,
    DRVCXD2856_STD_DVBS, // and DVB-S2
    DRVCXD2856_STD_ISDBT,
} eDrvCXD2856_standard;

// ---- Lifetime of the post-processing objects -----------------------------------------

// Frees everything every standard holds on the driver heap (object histories, decoded
// signalling, PLP and data-slice records), so a family's init starts from nothing held.
void DrvCXD2856_m_release_standards(st_t_data_CXD2856* state);
// Releases every standard, then creates this one's post-processing objects with its
// parameters. A creation failure leaves that object without history (not reported).
void DrvCXD2856_m_create_measures(eDrvCXD2856_standard standard, st_t_data_CXD2856* state);

// ---- Results to their no-value state ---------------------------------------------------

void DrvCXD2856_m_dvbt_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_dvbt2_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_dvbc_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_dvbc2_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_annexb_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_dvbs_set_default_measures(st_t_data_CXD2856* state);
void DrvCXD2856_m_isdbt_set_default_measures(st_t_data_CXD2856* state);

// ---- Task tables ------------------------------------------------------------------------

// Each clears the table and fills the standard's slots with their enables (a1..a4, the
// arguments of init-measures) and periods in ticks; every countdown starts at 0.
void DrvCXD2856_m_dvbt_fill_tasks(st_t_data_CXD2856* state, uint32_t a1, uint32_t a2, uint32_t a3);
void DrvCXD2856_m_dvbt2_fill_tasks(st_t_data_CXD2856* state, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
void DrvCXD2856_m_dvbc2_fill_tasks(st_t_data_CXD2856* state, uint32_t a1, uint32_t a2, uint32_t a3, uint32_t a4);
void DrvCXD2856_m_dvbc_fill_tasks(st_t_data_CXD2856* state, uint32_t a2);
void DrvCXD2856_m_annexb_fill_tasks(st_t_data_CXD2856* state, uint32_t a2);
void DrvCXD2856_m_dvbs_fill_tasks(st_t_data_CXD2856* state, uint32_t a2);
void DrvCXD2856_m_dvbs2_fill_tasks(st_t_data_CXD2856* state, uint32_t a2);
void DrvCXD2856_m_isdbt_fill_tasks(st_t_data_CXD2856* state, uint32_t a1, uint32_t a2, uint32_t a3);

// The DVB-T2 MER calibration table of the block's bandwidth and FFT size (none without
// adjustment data).
const t_mer_calibration_table* DrvCXD2856_m_dvbt2_mer_calibration_table(const st_t_data_CXD2856* state);

// ---- The tasks ----------------------------------------------------------------------------

void DrvCXD2856_dvbt_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_tps_info_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_vber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

void DrvCXD2856_dvbt2_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_signalling_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_ldpcber_bchesr_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_ldpc_iterations_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbt2_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

void DrvCXD2856_dvbc2_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_signalling_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_ldpcber_bchesr_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_ldpc_iterations_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc2_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

void DrvCXD2856_dvbc_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbc_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

void DrvCXD2856_annexb_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_annexb_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_annexb_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_annexb_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_annexb_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

// DVB-S and DVB-S2 share the status and PER tasks.
void DrvCXD2856_dvbs_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbs_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbs_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbs_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbs2_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_dvbs2_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

void DrvCXD2856_isdbt_read_signal_status_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_tmcc_info_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_frequency_offset_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_mer_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_cber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_vber_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);
void DrvCXD2856_isdbt_read_per_toc(KxlDrvLibError* result, st_t_data_CXD2856* state);

#ifdef __cplusplus
}
#endif
