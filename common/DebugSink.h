// Where the plain libraries without Qt (the shared ticks, the driver kit) write their debug
// text: start-up installs the application's debug output; until then the text goes to
// standard error.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*DebugSinkFunction)(const char* text);

// Null restores standard error.
void DebugSink_install(DebugSinkFunction sink);
void DebugSink_write(const char* text);

#ifdef __cplusplus
}
#endif
