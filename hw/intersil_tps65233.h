// The LNB supply as the driver kit sees it: an LNB-controller record whose operations only
// keep the requested settings in the record (the supply itself is driven by DrvTPS65233).
#pragma once

#include "chipkit/kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

// Fills lnbc: address, link, state 2 (active), voltage 0, tone 2 (automatic), transmit mode
// 0, configuration words 0, 0, 10 and the seven operations. 0, or 1 for a null record or link.
kit_result_t intersil_tps65233_Create(kit_lnbc_t* lnbc, uint8_t i2cAddress, kit_i2c_t* i2c);

#ifdef __cplusplus
}
#endif
