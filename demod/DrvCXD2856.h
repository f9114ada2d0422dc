// The demodulator driver as its host sees it: one family of operations per standard (DVB-T,
// DVB-T2, DVB-C, DVB-C2, J.83 Annex B, DVB-S/S2, ISDB-T), the tick that runs the measurement
// tasks, the cancel flag and TS output, and the IF AGC of whatever standard is active.
#pragma once

#include "DrvCXD2856_annexb.h"
#include "DrvCXD2856_core.h"
#include "DrvCXD2856_dvbc.h"
#include "DrvCXD2856_dvbc2.h"
#include "DrvCXD2856_dvbs.h"
#include "DrvCXD2856_dvbt.h"
#include "DrvCXD2856_dvbt2.h"
#include "DrvCXD2856_gate.h"
#include "DrvCXD2856_isdbt.h"

#ifdef __cplusplus
extern "C" {
#endif

// The IF AGC of the system the demodulator is active on (DVB-T, DVB-T2, DVB-C, DVB-C2,
// ISDB-T, J.83B); any other gives 0 and the software-state error.
KxlDrvLibError* DrvCXD2856_m_read_agc_if(KxlDrvLibError* err, uint16_t* agc, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_read_agc_if(KxlDrvLibError* err, uint16_t* agc);

#ifdef __cplusplus
}
#endif
