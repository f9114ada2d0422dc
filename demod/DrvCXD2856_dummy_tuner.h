// The terrestrial tuner the kit's integration layer is given. The driver drives the real
// tuner itself through the host's callbacks, so this one only remembers what the kit asked.
#pragma once

#include "chipkit/kit_common.h"
#include "common/KxlDrvLibError.h"

#ifdef __cplusplus
extern "C" {
#endif

// Clears the record, installs Initialize, Tune, Sleep and Shutdown (every other slot stays
// empty, so the integration layer skips it) and initialises. 0; 1 for a null record or error
// record, a null record also leaving code 34 in err unless it holds an error.
kit_result_t DrvCXD2856_dummy_tuner_create(kit_tuner_terr_cable_t* tuner, KxlDrvLibError* err);

#define DRVCXD2856_DUMMY_TUNER_TEXT_NULL "[DrvCXD2856_dummy_tuner_create] null tuner."

#ifdef __cplusplus
}
#endif
