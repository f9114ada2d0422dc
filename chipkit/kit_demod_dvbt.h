// DVB-T reception: tune and sleep, lock checks, the hierarchical stream to decode, the echo
// setting applied after lock, and the sync-state, mode/guard, spectrum and TPS monitors the
// driver reads.
#pragma once

#include "kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// TPS codes: constellation 0 QPSK, 1 16-QAM, 2 64-QAM; hierarchy 0 none, 1..3; code rates
// 0..4 = 1/2, 2/3, 3/4, 5/6, 7/8; mode 0 2k, 1 8k.
enum {
    KIT_DVBT_CONSTELLATION_MAX = 2,
    KIT_DVBT_HIERARCHY_MAX = 3,
    KIT_DVBT_CODE_RATE_MAX = 4,
    KIT_DVBT_MODE_2K = 0,
    KIT_DVBT_MODE_8K = 1,
};

typedef struct kit_dvbt_tpsinfo_t {
    uint32_t constellation;
    uint32_t hierarchy;
    uint32_t rateHP;
    uint32_t rateLP;
    uint32_t guard;
    uint32_t mode;
    uint8_t fnum;             // frame number
    uint8_t lengthIndicator;
    uint16_t cellID;
    uint8_t reservedEven;     // the further 6-bit fields of the even and odd frames
    uint8_t reservedOdd;
} kit_dvbt_tpsinfo_t;

// Starts DVB-T reception for param's bandwidth (5..8 MHz); a retune on DVB-T rewrites the
// band setting only. Another bandwidth gives 3 with nothing written.
kit_result_t kit_demod_dvbt_Tune(kit_demod_t* demod, const kit_dvbt_tune_param_t* param);
kit_result_t kit_demod_dvbt_Sleep(kit_demod_t* demod);
kit_result_t kit_demod_dvbt_CheckDemodLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
kit_result_t kit_demod_dvbt_CheckTSLock(kit_demod_t* demod, kit_demod_lock_result_t* lock);
// HP (0) or LP (any other) stream. Asleep or active.
kit_result_t kit_demod_dvbt_SetProfile(kit_demod_t* demod, uint32_t profile);
// Relaxes the channel estimator for the 2k (and 4k) modes once synchronisation has started.
kit_result_t kit_demod_dvbt_EchoOptimization(kit_demod_t* demod);
kit_result_t kit_demod_dvbt_ClearBERSNRHistory(kit_demod_t* demod);

// 0 when the TPS is locked (sync state 6), else 4.
kit_result_t kit_demod_dvbt_TPSLocked(kit_demod_t* demod);
kit_result_t kit_demod_dvbt_monitor_SyncStat(kit_demod_t* demod, uint8_t* syncState, uint8_t* tsLock,
                                             uint8_t* earlyUnlock);
kit_result_t kit_demod_dvbt_monitor_ModeGuard(kit_demod_t* demod, uint32_t* mode, uint32_t* guard);
kit_result_t kit_demod_dvbt_monitor_SpectrumSense(kit_demod_t* demod, uint32_t* inverted);
kit_result_t kit_demod_dvbt_monitor_TPSInfo(kit_demod_t* demod, kit_dvbt_tpsinfo_t* info);

#ifdef __cplusplus
}
#endif
