// A bench routine for the satellite line: the 22 kHz output of the demodulator and two
// DiSEqC committed-switch messages through the kit, each printed as it goes out. Nothing in
// the instrument calls it; it is kept for trying the line on a bench.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { DRVCXD2856_BENCH_LNBC_ADDRESS = 0x10 };

// An LNB controller at DRVCXD2856_BENCH_LNBC_ADDRESS, the DiSEqC output at 22 kHz, then Write
// N0 (data 0xF8) and Write N1 (data 0xF2) from the master to every device, the tone on
// afterwards. Stops at the first failing step and reports it (a bus error first).
KxlDrvLibError* DrvCXD2856_22KHz_enable(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2856_m_22KHz_enable(KxlDrvLibError* err, st_t_data_CXD2856* state);

#ifdef __cplusplus
}
#endif
