// The demodulator driver's one state record: the kit handles it hands to the driver kit and
// the I2C binding they talk through. The plain DrvCXD2856_ operations work on the record
// DrvCXD2856_state() returns; their DrvCXD2856_m_ twins take a record as the last argument.
#pragma once

#include "DrvCXD2856_i2c.h"

#include "chipkit/kit_common.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct st_t_data_CXD2856 {
    kit_demod_t demod;
    kit_tuner_terr_cable_t tuner;  // the null tuner: the host drives the real one
    kit_integ_t integ;             // its cancel flag is the driver's
    kit_i2c_t i2c;                 // bound to i2c_context
    t_DrvCXD2856_i2c_context i2c_context;  // its handle is the I2C channel of the init
} st_t_data_CXD2856;

// The one static record, zero until a standard's init fills it.
st_t_data_CXD2856* DrvCXD2856_state(void);

#ifdef __cplusplus
}
#endif
