// The tuner's gate: the demodulator's tuner I2C path and repeater, opened before and closed
// after every access to the tuner that sits behind it.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Opens: clears the demodulator's sticky I2C error, then the tuner path, then the repeater.
// Closes: the repeater first, then the tuner path. err comes back ok: a gate that did not
// move shows as the tuner's own bus error on its next access.
KxlDrvLibError* DrvCXD2856_m_opengate(KxlDrvLibError* err, st_t_data_CXD2856* state);
KxlDrvLibError* DrvCXD2856_m_closegate(KxlDrvLibError* err, st_t_data_CXD2856* state);

// The same on the static record, in the form the tuner driver calls its gate functions; the
// argument names no demodulator on this board (there is one).
KxlDrvLibError* DrvCXD2856_opengate(KxlDrvLibError* err, uint32_t argument);
KxlDrvLibError* DrvCXD2856_closegate(KxlDrvLibError* err, uint32_t argument);

#ifdef __cplusplus
}
#endif
