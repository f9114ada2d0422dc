// Packet error rates read straight from the kit's monitors of the single-carrier, DVB-C2 and
// satellite standards, for the constellation engine's post-BER accumulation.
#pragma once

#include "DrvCXD2856_state.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Each writes the packet error rate x 10^6 to value (0 when the monitor has none) and returns
// 1 when the monitor answered. A bus error, else the translated kit result, goes to err
// unless it holds an error already.
// DVB-S and DVB-S2 alike.
uint8_t DrvCXD2856_dvbs_read_PER(uint32_t* value, KxlDrvLibError* err);
uint8_t DrvCXD2856_m_dvbs_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state);
uint8_t DrvCXD2856_dvbc_read_PER(uint32_t* value, KxlDrvLibError* err);
uint8_t DrvCXD2856_m_dvbc_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state);
uint8_t DrvCXD2856_dvbc2_read_PER(uint32_t* value, KxlDrvLibError* err);
uint8_t DrvCXD2856_m_dvbc2_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state);
uint8_t DrvCXD2856_annexb_read_PER(uint32_t* value, KxlDrvLibError* err);
uint8_t DrvCXD2856_m_annexb_read_PER(uint32_t* value, KxlDrvLibError* err, st_t_data_CXD2856* state);

#ifdef __cplusplus
}
#endif
