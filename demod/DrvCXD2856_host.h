// What the host hands the demodulator driver at a standard's init: its power-state query,
// adjustment readers and predicate, cancel-event registrations and the tuner callbacks the
// searches call. Any of them may be missing; the driver then does without.
#pragma once

#include "tuner_host_callbacks.h"

#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// *flag comes preset to 1; left at 0 it asks for a full start after the power-on delay.
typedef KxlDrvLibError* (*DrvCXD2856_power_query_t)(KxlDrvLibError* err, uint8_t* flag, uint32_t length);
// Fills buffer with the standard's adjustment blob; a non-ok err rejects it.
typedef KxlDrvLibError* (*DrvCXD2856_adjust_reader_t)(KxlDrvLibError* err, uint8_t* buffer, uint32_t capacity);
// 0 measures without the adjustment tables.
typedef uint32_t (*DrvCXD2856_adjust_predicate_t)(void);
// The driver's set-flag and clear-flag handlers, for the host to call on its events.
typedef void (*DrvCXD2856_event_t)(void);
typedef void (*DrvCXD2856_event_registration_t)(DrvCXD2856_event_t handler);
// The tuner callbacks, as the tuner wrapper gives them: set-up for a signal type, colour
// system, analogue standard and bandwidth (the satellite form: symbol rate and frequency),
// the IF the tuner delivers and its frequency.
typedef tuner_configuration_t DrvCXD2856_tuner_configuration_t;
typedef tuner_configuration_sat_t DrvCXD2856_tuner_configuration_sat_t;
typedef tuner_if_frequency_hz_t DrvCXD2856_tuner_if_t;
typedef get_tuner_frequency_hz_t DrvCXD2856_tuner_frequency_t;

#ifdef __cplusplus
}
#endif
