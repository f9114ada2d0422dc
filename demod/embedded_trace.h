// Timed trace lines of the driver library: each line carries the milliseconds elapsed
// since a start tick, and I2C traffic can be dumped byte by byte. Lines are bounded and
// go to the debug sink.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Longest line handed to the sink, without its terminating zero.
enum { TRACE_LINE_MAX = 255 };

// Stores the current tick in start; with a format, writes "\r\tINIT LT   > " and the text.
void TRACE_init(uint64_t* start, const char* format, ...) __attribute__((format(printf, 2, 3)));
// "\r\tLT %5d > " with the elapsed milliseconds, then the text.
void TRACE_printf(uint64_t start, const char* format, ...) __attribute__((format(printf, 2, 3)));
// direction 0 is a transmission ("TX"), anything else a reception ("RX"); then "%02X," per
// byte for as many bytes as fit in the line.
void TRACE_i2c(uint64_t start, int direction, uint16_t address, const uint8_t* data, uint32_t count);

#ifdef __cplusplus
}
#endif
