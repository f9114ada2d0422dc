// DVB-T2 through the integration layer: tune with its demodulator, TS and L1-post waits and
// the data-PLP check, the blind tune, the scan that reports every data PLP of a channel (both
// profiles of a mixed one), RF level and signal-strength indicator.
#pragma once

#include "kit_demod_dvbt2_monitor.h"
#include "kit_integ.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
    KIT_INTEG_DVBT2_DEMOD_LOCK_BASE_MS = 3500,
    KIT_INTEG_DVBT2_DEMOD_LOCK_OTHER_MS = 5000,  // lite, or either profile
    KIT_INTEG_DVBT2_TS_LOCK_BASE_MS = 1500,
    KIT_INTEG_DVBT2_TS_LOCK_LITE_MS = 2300,
    KIT_INTEG_DVBT2_L1POST_MS = 500,
    // How long a new data PLP takes to come through.
    KIT_INTEG_DVBT2_PLP_SWITCH_MIXED_BASE_MS = 510,
    KIT_INTEG_DVBT2_PLP_SWITCH_MIXED_LITE_MS = 1260,
    KIT_INTEG_DVBT2_PLP_SWITCH_MS = 260,
};

typedef struct kit_integ_dvbt2_scan_param_t {
    uint32_t startFrequencyKHz;
    uint32_t endFrequencyKHz;
    uint32_t stepFrequencyKHz;
    kit_dtv_bandwidth_t bandwidth;
    uint32_t profile;  // KIT_DVBT2_PROFILE_BASE, _LITE or _ANY
} kit_integ_dvbt2_scan_param_t;

// One frequency, or one data PLP of a channel found there.
typedef struct kit_integ_dvbt2_scan_result_t {
    uint32_t centerFreqKHz;
    kit_result_t tuneResult;
    kit_dvbt2_tune_param_t tuneParam;
} kit_integ_dvbt2_scan_result_t;

typedef void (*kit_integ_dvbt2_scan_callback_t)(kit_integ_t* integ, kit_integ_dvbt2_scan_result_t* result,
                                                kit_integ_dvbt2_scan_param_t* scanParam);

// Always clears the cancel flag. Bandwidth 1.7, 5, 6, 7 or 8 MHz (else 8) and profile base or
// lite (else 1) before the chip is touched; then the data PLP and profile, the demodulator,
// the tuner with system DVB-T2, the tune end and the waits. A data PLP reporting an error
// gives 12 with tuneInfo 1, the stream being locked all the same.
kit_result_t kit_integ_dvbt2_Tune(kit_integ_t* integ, kit_dvbt2_tune_param_t* param);
// Whatever DVB-T2 channel is there, the first data PLP, the profile given (either: the one
// found). The cancel flag survives in scan mode.
kit_result_t kit_integ_dvbt2_BlindTune(kit_integ_t* integ, uint32_t centerFreqKHz, kit_dtv_bandwidth_t bandwidth,
                                       uint32_t profile, uint32_t* profileFound);
kit_result_t kit_integ_dvbt2_WaitDemodLock(kit_integ_t* integ, uint32_t profile);
kit_result_t kit_integ_dvbt2_WaitTSLock(kit_integ_t* integ, uint32_t profile);
kit_result_t kit_integ_dvbt2_WaitL1PostLock(kit_integ_t* integ);

kit_result_t kit_integ_dvbt2_Scan(kit_integ_t* integ, kit_integ_dvbt2_scan_param_t* scanParam,
                                  kit_integ_dvbt2_scan_callback_t callback);
// The data PLPs of the channel locked (plpIds holds KIT_DVBT2_DATA_PLP_MAX) and whether
// it mixes profiles; a channel without valid signalling gives 6.
kit_result_t kit_integ_dvbt2_Scan_PrepareDataPLPLoop(kit_integ_t* integ, uint8_t* plpIds, uint8_t* numPLPs,
                                                     uint8_t* mixed);
// Selects another data PLP and waits for it to come through; 9 when cancelled meanwhile.
kit_result_t kit_integ_dvbt2_Scan_SwitchDataPLP(kit_integ_t* integ, uint8_t mixed, uint8_t plpId, uint32_t profile);

// How a scan hears of the data PLPs of a channel it found.
typedef void (*kit_integ_dvbt2_plp_report_t)(void* context, kit_result_t result, uint8_t plpId, uint32_t profile);
// A channel locked with profileFound: every data PLP reported, then, when any profile was
// asked for and the channel mixes them, the other profile at the same frequency.
kit_result_t kit_integ_dvbt2_ScanLockedChannel(kit_integ_t* integ, uint32_t centerFreqKHz,
                                               kit_dtv_bandwidth_t bandwidth, uint32_t profile,
                                               uint32_t profileFound, kit_integ_dvbt2_plp_report_t report,
                                               void* context);

kit_result_t kit_integ_dvbt2_monitor_RFLevel(kit_integ_t* integ, int32_t* levelDbmX1000);
// 0..100 from the RF level against the reference level of the data PLP's QAM and code rate;
// 10 for values outside the reference table.
kit_result_t kit_integ_dvbt2_monitor_SSI(kit_integ_t* integ, uint8_t* ssi);

#ifdef __cplusplus
}
#endif
