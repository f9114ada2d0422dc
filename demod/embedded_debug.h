// Debug text of the driver library, handed to the application's debug sink.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

enum { EMBEDDEDDEBUG_BUFFER_SIZE = 224 };

void EMBEDDEDDEBUG_string(const char* text);
// Formats into a buffer of EMBEDDEDDEBUG_BUFFER_SIZE bytes; longer output is cut.
void EMBEDDEDDEBUG_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

#ifdef __cplusplus
}
#endif
