// Millisecond and microsecond ticks and waits of the driver library and the kit, on the
// monotonic clock: setting the date never moves them, and they are 64-bit so they
// do not wrap. Users only take differences of two readings.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint64_t EMBEDDEDTIMERS_GeticksInMs(void);
uint64_t EMBEDDEDTIMERS_GeticksInUs(void);

// Waits until the clock reaches start + n; returns the low 32 bits of the last reading.
uint32_t EMBEDDEDTIMERS_HUGE_delayms(uint64_t n);
uint32_t EMBEDDEDTIMERS_delayms(uint16_t n);
uint32_t EMBEDDEDTIMERS_code_delayms(uint16_t n);
uint32_t EMBEDDEDTIMERS_HUGE_delayus(uint64_t n);
uint32_t EMBEDDEDTIMERS_code_delayus(uint16_t n);

#ifdef __cplusplus
}
#endif
